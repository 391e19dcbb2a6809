// Opening the film editor on a film without pictures and on one with a large
// cover (a generated photo-like JPEG, 4000 x 3000 by default), from creating
// the window to its first paint, and the part of it that brings the cover
// from the picture store to its working file.
//   bench_editor [WIDTH HEIGHT]
#include "bench/catalogue.h"
#include "core/mDatabase.h"
#include "core/schema.h"
#include "records/frmDVD.h"

#include "ado.h"
#include "apppath.h"
#include "msgbox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// Smooth shapes with some grain, so the file is about as large as a camera's.
void writePhoto(const QString& path, int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    QRandomGenerator g(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = int(g.bounded(24)) - 12;
            const int r = int(127 + 100 * std::sin(x / 170.0) * std::cos(y / 230.0)) + grain;
            const int gr = int(127 + 100 * std::sin((x + y) / 310.0)) + grain;
            const int b = (x * 255 / width + y * 255 / height) / 2 + grain;
            line[x] = qRgb(qBound(0, r, 255), qBound(0, gr, 255), qBound(0, b, 255));
        }
    }
    img.save(path, "JPG", 90);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int width = argc > 2 ? QByteArray(argv[1]).toInt() : 4000;
    const int height = argc > 2 ? QByteArray(argv[2]).toInt() : 3000;
    msgbox::Recorder boxes;

    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("data"));
    SetAppPath(dir.path());
    DBPath = dir.filePath("data/data.ddb");
    bench::FillCatalogue(DBPath, 1000);
    schema::CreatePictureStore(PicturesPath());

    const QString photo = dir.filePath("foto.jpg");
    writePhoto(photo, width, height);
    const long coverId = SaveObalPic(2, photo);
    {
        ado::Connection cn;
        cn.Open(schema::ConnString(DBPath));
        sqlite3_exec(
            cn.handle(),
            QStringLiteral("UPDATE tDVD SET Obal_ID=%1 WHERE DVDID=2").arg(coverId).toUtf8().constData(),
            nullptr, nullptr, nullptr);
        cn.Close();
    }

    QSize shown;
    auto open = [&](long id) {
        QElapsedTimer t;
        t.start();
        auto* w = new frmDVD;
        w->Inicializuj(id);
        w->show();
        QApplication::processEvents(); // the first paint
        const double took = ms(t);
        shown = w->imgObalDesk[0]->pixmap().size();
        delete w;
        return took;
    };
    auto median = [&](long id, int runs) {
        open(id); // warm-up: the key is derived, the file comes into the cache
        std::vector<double> v;
        for (int r = 0; r < runs; ++r)
            v.push_back(open(id));
        return bench::Median(v);
    };
    const double none = median(1, 9);
    const double cover = median(2, 9);
    const QSize coverShown = shown;
    std::vector<double> loads;
    for (int r = 0; r < 9; ++r) {
        QElapsedTimer t;
        t.start();
        LoadObalPic(coverId);
        loads.push_back(ms(t));
    }

    std::printf("cover %dx%d, %.1f MB; shown %dx%d\n", width, height, QFileInfo(photo).size() / 1e6,
                coverShown.width(), coverShown.height());
    std::printf("%14s %14s %14s %18s\n", "no picture ms", "cover ms", "cover-none ms", "store->file ms");
    std::printf("%14.1f %14.1f %14.1f %18.1f\n", none, cover, cover - none, bench::Median(loads));
    if (boxes.count()) std::printf("messages: %d, last: %s\n", boxes.count(), qPrintable(boxes.last().text));
    SetAppPath(QString());
    return 0;
}
