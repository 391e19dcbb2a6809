// Storing and loading a cover of 5 MB and of 50 MB against a plain copy of
// the same file, and how far the peak memory rises during each. "store" puts
// the picture to one film again and again (the old one's pages are freed),
// "new" gives it to a new film each time.
#include "bench/catalogue.h"
#include "core/mDatabase.h"
#include "core/schema.h"

#include "apppath.h"
#include "msgbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

struct Run {
    double ms;
    long peakGrowthKb;
};

// The best of `times` runs, and the largest rise of the peak over the
// resident size before a run.
Run measure(int times, const std::function<void()>& work) {
    Run r{1e30, 0};
    for (int i = 0; i < times; ++i) {
        const bool reset = bench::ResetPeak();
        const long before = reset ? bench::StatusKb("VmRSS") : bench::StatusKb("VmHWM");
        QElapsedTimer t;
        t.start();
        work();
        r.ms = std::min(r.ms, t.nsecsElapsed() / 1e6);
        r.peakGrowthKb = std::max(r.peakGrowthKb, bench::StatusKb("VmHWM") - before);
    }
    return r;
}

void writePicture(const QString& path, qint64 size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return;
    QRandomGenerator g(size);
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (qint64 left = size; left > 0; left -= piece.size()) {
        for (qsizetype i = 0; i < piece.size(); ++i)
            piece[i] = char(g.generate());
        f.write(piece.constData(), std::min<qint64>(left, piece.size()));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir prog;
    SetAppPath(prog.path());
    QDir().mkpath(DataPath());
    schema::CreatePictureStore(PicturesPath());
    msgbox::Recorder boxes; // a failure is counted, not shown

    std::printf("%-8s %9s %9s %9s %9s %8s %8s %8s %14s %14s %14s\n", "size", "copy ms", "store ms", "new ms",
                "load ms", "store/c", "new/c", "load/c", "copy peak+kB", "store peak+kB", "load peak+kB");
    long nextFilm = 2;
    for (qint64 mb : {5, 50}) {
        const qint64 size = mb * 1000 * 1000;
        const QString source = prog.filePath(QStringLiteral("zdroj%1.jpg").arg(mb));
        writePicture(source, size);
        const QString copy = prog.filePath(QStringLiteral("kopie%1.jpg").arg(mb));

        const Run c = measure(3, [&] {
            QFile::remove(copy);
            QFile::copy(source, copy);
        });
        // the same film's picture again and again (each run replaces one of this
        // size); a new film's picture
        long id = SaveObalPic(1, source);
        const Run s = measure(3, [&] { id = SaveObalPic(1, source); });
        const Run n = measure(3, [&] { SaveObalPic(nextFilm++, source); });
        QString work;
        const Run l = measure(3, [&] { work = LoadObalPic(id); });

        QFile a(source), b(work);
        const bool same = a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) &&
                          a.size() == b.size() && a.readAll() == b.readAll();
        std::printf("%5lld MB %9.1f %9.1f %9.1f %9.1f %8.2f %8.2f %8.2f %14ld %14ld %14ld%s\n", mb, c.ms,
                    s.ms, n.ms, l.ms, s.ms / c.ms, n.ms / c.ms, l.ms / c.ms, c.peakGrowthKb, s.peakGrowthKb,
                    l.peakGrowthKb, same ? "" : "  (working file differs!)");
    }
    if (boxes.count()) std::printf("messages: %d, last: %s\n", boxes.count(), qPrintable(boxes.last().text));
    std::printf("temp folder of the layer's spool: %s\n", qPrintable(QDir::tempPath()));
    return 0;
}
