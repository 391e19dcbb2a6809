// Start-up, as the user sees it: from starting the program to the main window
// shown with the whole list, on an empty catalogue and on one of 100 000 films
// (a tenth of them lent), each in a process of its own, and their ratio. The
// splash is closed by a key as soon as it shows; the version check is off.
//   bench_start [FILMS]     films of the large catalogue (default 100000)
#include "bench/catalogue.h"
#include "core/Main.h"
#include "core/frmSplash.h"
#include "core/schema.h"

#include "apppath.h"
#include "vb.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The program itself, started on the program folder dir; prints "shown" and
// its peak memory once the main window shows the list.
int child(int argc, char** argv, const QString& dir) {
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    vb::PinLocalTimeZone();
    QApplication app(argc, argv);
    SetAppPath(dir);
    QTimer closer;
    closer.setInterval(1);
    QObject::connect(&closer, &QTimer::timeout, [&closer] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<frmSplash*>(w) && w->isVisible()) {
                closer.stop();
                QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
                QCoreApplication::sendEvent(w, &key);
                return;
            }
        }
    });
    closer.start();
    Main();
    std::printf("shown %ld\n", bench::StatusKb("VmHWM"));
    std::fflush(stdout);
    return 0;
}

struct Start {
    double ms = -1;
    long peakKb = -1;
};

Start startOnce(const QString& dir) {
    QProcess p;
    p.setProgram(QCoreApplication::applicationFilePath());
    p.setArguments({QStringLiteral("--child"), dir});
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start();
    Start s;
    QByteArray out;
    while (!out.contains('\n') && p.waitForReadyRead(60000))
        out += p.readAllStandardOutput();
    if (out.startsWith("shown ")) {
        s.ms = t.nsecsElapsed() / 1e6;
        s.peakKb = out.mid(6).trimmed().toLong();
    }
    p.waitForFinished(60000);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QString::fromLocal8Bit(argv[2]));

    // The settings and caches of the runs: not the user's own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    const int films = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    SaveSett(QStringLiteral("ShowNewVer"), QStringLiteral("N"));

    QTemporaryDir empty, large;
    for (QTemporaryDir* d : {&empty, &large}) {
        QDir().mkpath(d->filePath(QStringLiteral("data")));
        schema::CreatePictureStore(d->filePath(QStringLiteral("data/pictures.ddb")));
    }
    bench::FillCatalogue(empty.filePath(QStringLiteral("data/data.ddb")), 0);
    bench::FillCatalogue(large.filePath(QStringLiteral("data/data.ddb")), films);

    startOnce(empty.path()); // the program's files into the system's cache
    std::vector<double> emptyMs, largeMs;
    long emptyPeak = 0, largePeak = 0;
    for (int r = 0; r < 5; ++r) {
        const Start e = startOnce(empty.path());
        const Start l = startOnce(large.path());
        if (e.ms < 0 || l.ms < 0) {
            std::fprintf(stderr, "bench_start: the program did not show its window\n");
            return 1;
        }
        emptyMs.push_back(e.ms);
        largeMs.push_back(l.ms);
        emptyPeak = std::max(emptyPeak, e.peakKb);
        largePeak = std::max(largePeak, l.peakKb);
    }
    const double e = bench::Median(emptyMs), l = bench::Median(largeMs);
    std::printf("%8s %10s %10s\n", "films", "start ms", "peak MB");
    std::printf("%8d %10.1f %10.1f\n", 0, e, emptyPeak / 1024.0);
    std::printf("%8d %10.1f %10.1f\n", films, l, largePeak / 1024.0);
    std::printf("ratio %d/0: %.2f\n", films, l / e);
    return 0;
}
