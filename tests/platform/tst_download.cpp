#include "download.h"
#include "httpserver.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSemaphore>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

#include <functional>
#include <utility>

using testsupport::HttpServer;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A test server on a thread of its own, set up there by `setup`.
class ServerThread : public QThread {
public:
    explicit ServerThread(std::function<void(HttpServer&)> setup) : setup_(std::move(setup)) {
        start();
        ready_.acquire();
    }
    ~ServerThread() override {
        quit();
        wait();
    }
    HttpServer* server() const { return server_; }
    QString url(const QString& path) const { return base_ + path; }

protected:
    void run() override {
        HttpServer server;
        setup_(server);
        base_ = server.baseUrl();
        server_ = &server;
        ready_.release();
        exec();
    }

private:
    std::function<void(HttpServer&)> setup_;
    QSemaphore ready_;
    HttpServer* server_ = nullptr;
    QString base_;
};
} // namespace

class TestDownload : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString file_;

private slots:
    void init() {
        file_ = dir_.filePath("dvdver.inf");
        writeFile(file_, "earlier");
    }
    void cleanup() {
        SetDownloadTimeout(0);
        SetDownloadSizeLimit(0);
        SetDownloadTimeLimit(0);
    }

    void downloadsTheBodyAndRecordsTheRequest() {
        HttpServer server;
        QByteArray big(300000, 'x');
        big.prepend("1-8-7,\r\n");
        server.route("/podpora/files/dvdmervaver.asp", big, "text/plain");
        QVERIFY(URLDownloadToFile(server.url("/podpora/files/dvdmervaver.asp"), file_));
        QCOMPARE(readAll(file_), big);
        QCOMPARE(server.requestCount(), 1);
        const HttpServer::Request r = server.requests().first();
        QCOMPARE(r.method, QByteArray("GET"));
        QCOMPARE(r.path, QString("/podpora/files/dvdmervaver.asp"));
        QVERIFY(r.query.isEmpty());
        QVERIFY(r.header("host").startsWith("127.0.0.1:"));
        // No temporary files left beside the target.
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"dvdver.inf"});
    }

    void anyContentCountsAndAnEmptyBodyEmptiesTheFile() {
        HttpServer server;
        server.route("/pic.jpg", "<html>not a picture</html>");
        server.route("/empty", "", "text/plain", 200);
        QVERIFY(URLDownloadToFile(server.url("/pic.jpg"), file_));
        QCOMPARE(readAll(file_), QByteArray("<html>not a picture</html>"));
        QVERIFY(URLDownloadToFile(server.url("/empty"), file_));
        QCOMPARE(readAll(file_), QByteArray());
    }

    void errorStatusLeavesTheEarlierFile() {
        HttpServer server;
        server.route("/gone", "<html>error page</html>", "text/html", 500);
        QVERIFY(!URLDownloadToFile(server.url("/missing.asp"), file_));
        QCOMPARE(readAll(file_), QByteArray("earlier"));
        QVERIFY(!URLDownloadToFile(server.url("/gone"), file_));
        QCOMPARE(readAll(file_), QByteArray("earlier"));
        QCOMPARE(server.requestCount(), 2);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"dvdver.inf"});
    }

    void redirectsAreFollowed() {
        HttpServer server;
        server.redirect("/old", "/middle", 301);
        server.redirect("/middle", server.url("/new?x=1"), 302);
        server.route("/new", "final body");
        QVERIFY(URLDownloadToFile(server.url("/old"), file_));
        QCOMPARE(readAll(file_), QByteArray("final body"));
        QCOMPARE(server.requestCount(), 3);
        QCOMPARE(server.requests().last().query, QString("x=1"));

        server.redirect("/toNowhere", "/nothing");
        writeFile(file_, "earlier");
        QVERIFY(!URLDownloadToFile(server.url("/toNowhere"), file_));
        QCOMPARE(readAll(file_), QByteArray("earlier"));

        // A redirect loop ends in failure.
        server.clearRequests();
        server.redirect("/loop", "/loop");
        QVERIFY(!URLDownloadToFile(server.url("/loop"), file_));
        QVERIFY(server.requestCount() > 5 && server.requestCount() < 50);
        QCOMPARE(readAll(file_), QByteArray("earlier"));
    }

    void stallsTimeOut_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("silent") << int(HttpServer::Stall::Silent);
        QTest::newRow("after headers") << int(HttpServer::Stall::AfterHeaders);
        QTest::newRow("half body") << int(HttpServer::Stall::HalfBody);
    }
    void stallsTimeOut() {
        QFETCH(int, mode);
        HttpServer server;
        server.stall("/slow", HttpServer::Stall(mode), QByteArray(1000, 'b'));
        SetDownloadTimeout(400);
        QCOMPARE(DownloadTimeout(), 400);
        QElapsedTimer t;
        t.start();
        QVERIFY(!URLDownloadToFile(server.url("/slow"), file_));
        QVERIFY2(t.elapsed() >= 350 && t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(readAll(file_), QByteArray("earlier"));
    }

    void slowButSteadyTransferIsNotCutOff() {
        // The limit is on silence, not on the whole transfer.
        HttpServer server;
        HttpServer::Response r;
        r.body = "0123456789";
        r.trickleMs = 100;
        server.route("/trickle", r);
        SetDownloadTimeout(400);
        QElapsedTimer t;
        t.start();
        QVERIFY(URLDownloadToFile(server.url("/trickle"), file_));
        QVERIFY(t.elapsed() > 800);
        QCOMPARE(readAll(file_), QByteArray("0123456789"));
        SetDownloadTimeout(0);
        QCOMPARE(DownloadTimeout(), 30000);

        // But a server that drips for ever meets the limit on the whole
        // transfer, redirects included, and the earlier file stays.
        r.body = QByteArray(1000, 'd');
        server.route("/drip", r);
        server.redirect("/via", "/drip");
        SetDownloadTimeLimit(700);
        t.start();
        QVERIFY(!URLDownloadToFile(server.url("/via"), file_, Transfer::Picture));
        QVERIFY2(t.elapsed() >= 650 && t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(readAll(file_), QByteArray("0123456789"));
        SetDownloadTimeLimit(0);
    }

    void bodyOverTheSizeLimitFailsAndLeavesTheEarlierFile() {
        HttpServer server;
        server.route("/fits", QByteArray(1000, 'a'), "application/octet-stream");
        // Sent in pieces, as a server streaming without end would send it.
        HttpServer::Response endless;
        endless.body = QByteArray(5000, 'b');
        endless.trickleMs = 1;
        endless.trickleBytes = 200;
        server.route("/endless", endless);
        SetDownloadSizeLimit(1000);
        QVERIFY(URLDownloadToFile(server.url("/fits"), file_));
        QCOMPARE(readAll(file_), QByteArray(1000, 'a'));
        writeFile(file_, "earlier");
        QVERIFY(!URLDownloadToFile(server.url("/endless"), file_));
        QCOMPARE(readAll(file_), QByteArray("earlier"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"dvdver.inf"});
        SetDownloadSizeLimit(0);
        QCOMPARE(DownloadSizeLimit(), qint64(64) * 1024 * 1024);
    }

    void endlessAnswerIsNotReadAheadOfTheFile() {
        // A server that sends as fast as it is read, on a thread of its own,
        // while this one is held up: the network side takes no more than a
        // little ahead of the file, so the connection holds the server back,
        // and the download fails once past the limit.
        ServerThread thread([](HttpServer& server) {
            HttpServer::Response endless;
            endless.body = QByteArray(256 * 1024, 'e');
            endless.contentType = "image/jpeg";
            endless.endless = true;
            server.route("/endless.jpg", endless);
        });
        constexpr qint64 limit = 1024 * 1024;
        constexpr qint64 farAhead = 64 * 1024 * 1024;
        SetDownloadSizeLimit(limit);
        QTimer busy;
        connect(&busy, &QTimer::timeout, this, [&] {
            if (thread.server()->bodyBytesSent() == 0) return;
            busy.stop();
            // Held up until the server is held back too, or far ahead.
            for (qint64 last = -1, now = 0; now != last && now < farAhead; QThread::msleep(200))
                last = std::exchange(now, thread.server()->bodyBytesSent());
        });
        busy.start(1);
        QVERIFY(!URLDownloadToFile(thread.url("/endless.jpg"), file_, Transfer::Picture));
        const qint64 sent = thread.server()->bodyBytesSent();
        QVERIFY2(sent < limit + 32 * 1024 * 1024, qPrintable(QString::number(sent)));
        QCOMPARE(readAll(file_), QByteArray("earlier"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"dvdver.inf"});
    }

    void refusedConnectionFails() {
        quint16 port;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        QVERIFY(!URLDownloadToFile(QString("http://127.0.0.1:%1/x.htm").arg(port), file_));
        QCOMPARE(readAll(file_), QByteArray("earlier"));
        QVERIFY(!URLDownloadToFile("not an address", file_));
        QVERIFY(!URLDownloadToFile("ftp://127.0.0.1/x", file_));
        QCOMPARE(readAll(file_), QByteArray("earlier"));
    }

    void missingTargetFolderFails() {
        HttpServer server;
        server.route("/a", "a");
        QVERIFY(!URLDownloadToFile(server.url("/a"), dir_.filePath("no/such/folder/a.htm")));
    }

    void addressTextIsSentAsTheWindowsCallSentIt() {
        // Blanks escaped, letters outside ASCII as their windows-1250 bytes,
        // what is already escaped untouched.
        HttpServer server;
        server.route("/covers.php", "list");
        QVERIFY(URLDownloadToFile(server.url("/covers.php?search=Pelíšky 2&x=%7B"), file_));
        QCOMPARE(server.requests().first().query, QString("search=Pel%ED%9Aky%202&x=%7B"));
    }

    void localFilesByAddress() {
        const QString source = dir_.filePath("zdroj.htm");
        writeFile(source, "local page");
        QVERIFY(URLDownloadToFile(QUrl::fromLocalFile(source).toString(), file_));
        QCOMPARE(readAll(file_), QByteArray("local page"));
        writeFile(file_, "earlier");
        QVERIFY(!URLDownloadToFile(QUrl::fromLocalFile(dir_.filePath("none.htm")).toString(), file_));
        QCOMPARE(readAll(file_), QByteArray("earlier"));
    }
};

DVD_TEST_MAIN(TestDownload)
#include "tst_download.moc"
