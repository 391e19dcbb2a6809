#include "apppath.h"
#include "err.h"
#include "httpserver.h"
#include "lookup/mModInetPic.h"
#include "lookup/webroots.h"
#include "testmain.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>

using testsupport::HttpServer;

namespace {
QByteArray picture(int w, int h, const char* format, QColor colour = Qt::red) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return bytes;
}
// 1x1 GIF: Qt reads GIF but does not write it.
const QByteArray
    kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
         "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
         43);
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestInetPic : public QObject {
    Q_OBJECT
    QTemporaryDir* dir_ = nullptr;
    HttpServer* server_ = nullptr;

private slots:
    void init() {
        dir_ = new QTemporaryDir;
        QVERIFY(QDir(dir_->path()).mkpath("data"));
        SetAppPath(dir_->path());
        server_ = new HttpServer;
        SetWebRootsBase(server_->baseUrl());
    }
    void cleanup() {
        SetWebRootsBase(QString());
        SetAppPath(QString());
        delete server_;
        delete dir_;
    }

    void eshopPreviewIsSavedAndShown() {
        const QByteArray jpeg = picture(40, 30, "JPG");
        server_->route("/obrazky/kolja.jpg", jpeg, "image/jpeg");
        QLabel pic;
        const QString local = NactiWebNahled("obrazky/kolja.jpg", &pic);
        QCOMPARE(local, DataPath() + "webnahl.jpg");
        QCOMPARE(readAll(local), jpeg);
        QCOMPARE(pic.pixmap().size(), QSize(40, 30));
        QCOMPARE(server_->requests().size(), 1);
        QCOMPARE(server_->requests().first().path, QString("/obrazky/kolja.jpg"));
    }

    void fileNameTakesTheLastThreeCharacters() {
        QLabel pic;
        server_->route("/foto/x.jpeg", picture(5, 5, "JPG"), "image/jpeg");
        QCOMPARE(NactiWebNahled("foto/x.jpeg", &pic), DataPath() + "webnahl.peg");
        // A leading "/" gives "//" in the address, which Qt's HTTP sends as one "/".
        server_->route("/foto/a.GIF", kGif, "image/gif");
        QCOMPARE(NactiWebNahled("/foto/a.GIF", &pic), DataPath() + "webnahl.GIF");
        QCOMPARE(pic.pixmap().size(), QSize(1, 1));
        // By complete address: a query string gives its own last three characters.
        server_->route("/poster.php", picture(7, 9, "PNG"), "image/png");
        QCOMPARE(NactiWebNahledURL(server_->url("/poster.php?id=12"), &pic), DataPath() + "webnahl.=12");
        QCOMPARE(pic.pixmap().size(), QSize(7, 9));
        QCOMPARE(server_->requests().last().query, QString("id=12"));
    }

    void laterFetchReplacesTheEarlierOne() {
        QLabel pic;
        const QByteArray first = picture(10, 10, "JPG", Qt::green);
        const QByteArray second = picture(20, 12, "JPG", Qt::blue);
        server_->route("/a.jpg", first, "image/jpeg");
        server_->route("/b.jpg", second, "image/jpeg");
        QCOMPARE(NactiWebNahledURL(server_->url("/a.jpg"), &pic), DataPath() + "webnahl.jpg");
        QCOMPARE(NactiWebNahledURL(server_->url("/b.jpg"), &pic), DataPath() + "webnahl.jpg");
        QCOMPARE(readAll(DataPath() + "webnahl.jpg"), second);
        QCOMPARE(pic.pixmap().size(), QSize(20, 12));
        QCOMPARE(QDir(DataPath()).entryList(QDir::Files), QStringList{"webnahl.jpg"});
    }

    void failedFetchKeepsPictureAndFile() {
        QLabel pic;
        const QByteArray first = picture(10, 10, "JPG");
        server_->route("/a.jpg", first, "image/jpeg");
        QVERIFY(!NactiWebNahled("a.jpg", &pic).isEmpty());
        const qint64 shown = pic.pixmap().cacheKey();
        QCOMPARE(NactiWebNahled("missing.jpg", &pic), QString());
        QCOMPARE(NactiWebNahledURL("http://127.0.0.1:1/none.jpg", &pic), QString());
        QCOMPARE(pic.pixmap().cacheKey(), shown);
        QCOMPARE(readAll(DataPath() + "webnahl.jpg"), first);
    }

    void aPageUnderAPictureNameRaisesAfterTheDownload() {
        QLabel pic;
        server_->route("/err.jpg", "<html><body>Chyba</body></html>", "text/html");
        QVERIFY(DownloadFile(server_->url("/err.jpg"), dir_->filePath("plain.jpg")));
        try {
            NactiWebNahled("err.jpg", &pic);
            QFAIL("no error raised");
        } catch (const vb::RuntimeError& e) {
            QCOMPARE(e.number(), 481L);
        }
        QVERIFY(pic.pixmap().isNull());
        QCOMPARE(readAll(DataPath() + "webnahl.jpg"), QByteArray("<html><body>Chyba</body></html>"));
    }

    void webRootsHaveTheirOwnClosingSlash() {
        QCOMPARE(EShopRoot(), server_->baseUrl() + "/");
        QCOMPARE(SupportRoot(), server_->baseUrl() + "/");
        QCOMPARE(CoverRoot(), server_->baseUrl() + "/");
        QCOMPARE(FilmDbRoot(), server_->baseUrl());
        QCOMPARE(ImdbRoot(), server_->baseUrl());
        SetWebRootsBase(QString());
        QCOMPARE(EShopRoot(), QString("http://www.dvd-eshop.example/"));
        QVERIFY(!FilmDbRoot().endsWith('/'));
        SetWebRoot(WebSite::Cover, "http://c.test/");
        QCOMPARE(CoverRoot(), QString("http://c.test/"));
        QCOMPARE(SupportRoot(), QString("http://www.zorv-software.example/"));
    }
};

DVD_TEST_MAIN(TestInetPic)
#include "tst_inetpic.moc"
