// A download from a server that answers without end, 1 MiB at a time and as
// fast as it can: the peak memory while it runs, its whole time and the time
// from the server passing the size limit to the call's failing. Then a
// 60 MB picture that must still arrive whole. The server runs on a thread of
// its own, as a real one would not wait for the program.
//   bench_download [runs]   (default 3)
#include "bench/catalogue.h"

#include "download.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kChunk = 1024 * 1024;

// Serves every request on its own thread: `size` bytes, or without end when
// size is 0 (no length given, the connection never closes).
class Server : public QThread {
public:
    explicit Server(qint64 size) : size_(size) {}
    quint16 port() const { return port_.load(); }
    qint64 sent() const { return sent_.load(); }
    // Nanoseconds of `clock` when the bytes sent first passed `limit`, 0 before.
    qint64 passedAt() const { return passedAt_.load(); }
    void watch(const QElapsedTimer* clock, qint64 limit) {
        clock_ = clock;
        limit_ = limit;
        sent_ = 0;
        passedAt_ = 0;
    }

protected:
    void run() override {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port_ = server.serverPort();
        const QByteArray chunk(kChunk, 'x');
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket* s = server.nextPendingConnection();
            auto request = std::make_shared<QByteArray>();
            auto left = std::make_shared<qint64>(size_);
            const auto more = [this, s, left, &chunk] {
                // Kept a chunk ahead of the network, no further.
                while (s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() < kChunk &&
                       (size_ == 0 || *left > 0)) {
                    const qint64 n = size_ == 0 ? kChunk : qMin(kChunk, *left);
                    s->write(chunk.constData(), n);
                    *left -= n;
                    const qint64 total = sent_ += n;
                    if (const QElapsedTimer* c = clock_.load(); c && total > limit_ && passedAt_ == 0)
                        passedAt_ = c->nsecsElapsed();
                }
                if (size_ != 0 && *left <= 0 && s->bytesToWrite() == 0) s->disconnectFromHost();
            };
            QObject::connect(s, &QTcpSocket::readyRead, s, [s, request, more, this] {
                *request += s->readAll();
                if (!request->contains("\r\n\r\n")) return;
                QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n";
                if (size_ != 0) head += "Content-Length: " + QByteArray::number(size_) + "\r\n";
                s->write(head + "Connection: close\r\n\r\n");
                QObject::connect(s, &QTcpSocket::bytesWritten, s, more);
                more();
            });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        });
        exec();
    }

private:
    const qint64 size_;
    std::atomic<quint16> port_{0};
    std::atomic<qint64> sent_{0};
    std::atomic<qint64> passedAt_{0};
    std::atomic<const QElapsedTimer*> clock_{nullptr};
    std::atomic<qint64> limit_{0};
};

Server* start(qint64 size) {
    auto* s = new Server(size);
    s->start();
    while (s->port() == 0)
        QThread::msleep(5);
    return s;
}

void stop(Server* s) {
    s->quit();
    s->wait();
    delete s;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString file = dir.filePath("download.bin");
    const qint64 limit = DownloadSizeLimit();

    std::printf("endless answer, size limit %lld MiB\n", limit / kChunk);
    std::printf("%-5s %10s %12s %10s %14s %10s\n", "run", "result", "peak MB", "time s", "after limit s",
                "sent MiB");
    std::vector<double> peaks, times, after;
    Server* endless = start(0);
    const QString url = QStringLiteral("http://127.0.0.1:%1/endless.jpg").arg(endless->port());
    for (int run = 1; run <= runs; ++run) {
        const long before = bench::StatusKb("VmRSS");
        bench::ResetPeak();
        QElapsedTimer clock;
        clock.start();
        endless->watch(&clock, limit);
        const bool ok = URLDownloadToFile(url, file, Transfer::Picture);
        const qint64 done = clock.nsecsElapsed();
        const double peak = (bench::StatusKb("VmHWM") - before) / 1024.0;
        const double late = endless->passedAt() ? (done - endless->passedAt()) / 1e9 : -1;
        peaks.push_back(peak);
        times.push_back(done / 1e9);
        after.push_back(late);
        std::printf("%-5d %10s %12.1f %10.2f %14.2f %10.1f\n", run, ok ? "succeeded" : "failed", peak,
                    done / 1e9, late, endless->sent() / double(kChunk));
        std::fflush(stdout);
    }
    stop(endless);
    std::printf("median: peak %.1f MB over the size before, %.2f s in all, %.2f s after the limit\n\n",
                bench::Median(peaks), bench::Median(times), bench::Median(after));

    const qint64 pictureSize = qint64(60) * 1000 * 1000;
    Server* picture = start(pictureSize);
    std::printf("a 60 MB picture\n");
    for (int run = 1; run <= runs; ++run) {
        const long before = bench::StatusKb("VmRSS");
        bench::ResetPeak();
        QElapsedTimer clock;
        clock.start();
        const bool ok = URLDownloadToFile(QStringLiteral("http://127.0.0.1:%1/big.jpg").arg(picture->port()),
                                          file, Transfer::Picture);
        const double secs = clock.nsecsElapsed() / 1e9;
        const double peak = (bench::StatusKb("VmHWM") - before) / 1024.0;
        std::printf("%-5d %10s %12.1f MB peak %8.2f s, file %lld bytes\n", run, ok ? "succeeded" : "failed",
                    peak, secs, QFile(file).size());
        std::fflush(stdout);
    }
    stop(picture);
    return 0;
}
