#include "core/Main.h"
#include "core/frmMaster.h"
#include "core/frmSplash.h"
#include "lookup/frmNewVersion.h"
#include "lookup/mNewVersion.h"
#include "lookup/webroots.h"

#include "apppath.h"
#include "fixtures.h"
#include "httpserver.h"
#include "msgbox.h"
#include "progdir.h"
#include "shell.h"
#include "testmain.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using testsupport::HttpServer;

namespace {

const QString kVersionPath = "/podpora/files/dvdmervaver.asp";

// Runs `action` on each window of type W as soon as it shows, while it lives.
template <class W> struct WhenShown {
    std::function<void(W*)> action;
    int seen = 0;
    QList<QWidget*> owners;
    QTimer timer;
    explicit WhenShown(std::function<void(W*)> a) : action(std::move(a)) {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<W*>(w); d && d->isVisible()) {
                    ++seen;
                    owners << d->parentWidget();
                    action(d);
                }
        });
        timer.start();
    }
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestNewVersion : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<HttpServer> server;
    std::unique_ptr<msgbox::Recorder> boxes;

    void offer(const QByteArray& body, int status = 200) {
        server->route(kVersionPath, body, "text/plain", status);
    }

private slots:
    void init() {
        testsupport::clearProgramSettings();
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
        server = std::make_unique<HttpServer>();
        SetWebRootsBase(server->baseUrl());
        boxes = std::make_unique<msgbox::Recorder>();
    }
    void cleanup() {
        delete frmMaster::instance();
        boxes.reset();
        SetWebRootsBase(QString());
        server.reset();
        dir.reset();
    }

    void offeredVersions_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("newer");
        QTest::newRow("equal") << QByteArray("1-8-6") << false;
        QTest::newRow("revision") << QByteArray("1-8-7") << true;
        QTest::newRow("minor") << QByteArray("1-9-0") << true;
        QTest::newRow("major") << QByteArray("2-0-0") << true;
        QTest::newRow("leading zero") << QByteArray("1-08-7") << true;
        QTest::newRow("older revision") << QByteArray("1-8-5") << false;
        QTest::newRow("older minor, higher revision") << QByteArray("1-7-9") << false;
        QTest::newRow("older major") << QByteArray("0-9-9") << false;
        QTest::newRow("newer major, lower rest") << QByteArray("2-0-0\r\n") << true;
        QTest::newRow("comma and more") << QByteArray("1-8-7,x\r\nother line") << true;
        QTest::newRow("comma, older") << QByteArray("1-8-6,2-0-0") << false;
        QTest::newRow("quoted") << QByteArray("\"1-8-7\",\"x\"") << true;
        QTest::newRow("blanks around") << QByteArray("  1-8-7  \n") << true;
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                       "1-9-0")
                                         << true;
        QTest::newRow("only the first line") << QByteArray("1-8-6\n9-9-9") << false;
        QTest::newRow("huge number") << QByteArray("99999999999999999999999-0-0") << true;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("empty line") << QByteArray("\r\n1-9-0") << false;
        QTest::newRow("two parts") << QByteArray("1-9") << false;
        QTest::newRow("four parts") << QByteArray("1-9-0-0") << false;
        QTest::newRow("letters after the deciding part") << QByteArray("1-9-x") << false;
        QTest::newRow("negative") << QByteArray("1--9-0") << false;
        QTest::newRow("error page")
            << QByteArray(
                   "<!DOCTYPE html>\n<html><head><title>Chyba - 500</title></head><body>x-y-z</body></html>")
            << false;
    }
    void offeredVersions() {
        QFETCH(QByteArray, file);
        QFETCH(bool, newer);
        offer(file);
        QCOMPARE(CheckNewVersion(), newer);
        QCOMPARE(server->requestCount(), 1);
        QCOMPARE(server->requests().first().method, QByteArray("GET"));
        QCOMPARE(server->requests().first().path, kVersionPath);
        QCOMPARE(fileBytes(DataPath() + "dvdver.inf"), file); // kept after the check
    }

    void failedDownloadIsNoNewerVersion() {
        QFile old(DataPath() + "dvdver.inf");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("2-0-0");
        old.close();
        offer("9-9-9", 404);
        QVERIFY(!CheckNewVersion()); // the earlier file is not read
        QCOMPARE(fileBytes(DataPath() + "dvdver.inf"), QByteArray("2-0-0"));
        SetWebRoot(WebSite::Support, "http://127.0.0.1:1/"); // refused
        QVERIFY(!CheckNewVersion());
    }

    void dialogShowsTheAnnouncement() {
        SaveSett("ShowNewVer", "N");
        frmNewVersion dlg;
        QCOMPARE(dlg.windowTitle(), QString("Nová verze je k dispozici!"));
        QCOMPARE(
            dlg.findChild<QLabel*>("Label1")->text(),
            QString("Na internetu je ke stažení nová verze aplikace.\r\n"
                    "Kliknutím na tlačítko \"Stáhnout\" se spustí stažení souboru.\r\n\r\n"
                    "Pokud budete chtít instalaci rovnou spustit musíte nejprve vypnout DVD Mervalónu!"));
        auto* box = dlg.findChild<QCheckBox*>("chkNenabizet");
        QCOMPARE(box->text(), QString("Nechci zobrazovat informace o nové verzi."));
        QVERIFY(!box->isChecked()); // whatever is stored
        QCOMPARE(dlg.findChild<QPushButton*>("Command1")->text(), QString("Stáhnout"));
        QCOMPARE(dlg.findChild<QPushButton*>("Command2")->text(), QString("Konec"));
        QVERIFY(!dlg.findChild<QLabel*>("Image1")->pixmap().isNull());
        for (auto* b : dlg.findChildren<QPushButton*>())
            QVERIFY(!b->autoDefault() && !b->isDefault());
    }

    void downloadButtonOpensTheUpgradeAndStays() {
        shell::Recorder shellRec;
        shellRec.result = false; // not reported either way
        WhenShown<frmNewVersion> user([](frmNewVersion* d) {
            if (d->property("clicked").toBool()) return;
            d->setProperty("clicked", true);
            QTest::mouseClick(d->findChild<QPushButton*>("Command1"), Qt::LeftButton);
            QVERIFY(d->isVisible());
            QTest::keyClick(d, Qt::Key_Escape); // Esc closes nothing
            QVERIFY(d->isVisible());
            QCOMPARE(GetSett("ShowNewVer", "none"), QString("none")); // nothing stored while open
            QTest::mouseClick(d->findChild<QPushButton*>("Command2"), Qt::LeftButton);
        });
        ShowNewVersionDialog(nullptr);
        QCOMPARE(user.seen, 1);
        QCOMPARE(shellRec.count(), 1);
        QCOMPARE(shellRec.last().target, server->baseUrl() + "/podpora/files/setupupgrade.exe");
        QCOMPARE(shellRec.last().url, QUrl(server->baseUrl() + "/podpora/files/setupupgrade.exe"));
        QCOMPARE(boxes->count(), 0);
    }

    void everyCloseStoresTheChoice() {
        // ticked, close box: "N"
        WhenShown<frmNewVersion> tick([](frmNewVersion* d) {
            d->findChild<QCheckBox*>("chkNenabizet")->click();
            d->close();
        });
        ShowNewVersionDialog(nullptr);
        QCOMPARE(tick.seen, 1);
        QCOMPARE(GetSett("ShowNewVer", "A"), QString("N"));
        tick.timer.stop();

        // opened again unticked, "Konec": back to "A"
        WhenShown<frmNewVersion> konec([](frmNewVersion* d) {
            QVERIFY(!d->findChild<QCheckBox*>("chkNenabizet")->isChecked());
            QTest::mouseClick(d->findChild<QPushButton*>("Command2"), Qt::LeftButton);
        });
        ShowNewVersionDialog(nullptr);
        QCOMPARE(konec.seen, 1);
        QCOMPARE(GetSett("ShowNewVer", "N"), QString("A"));
    }

    void helpMenuCheck() {
        QWidget owner;
        SaveSett("ShowNewVer", "N"); // the menu checks all the same

        offer("1-8-6");
        WhenShown<frmNewVersion> none([](frmNewVersion* d) { d->close(); });
        ZjistitNovouVerzi(&owner);
        QCOMPARE(none.seen, 0);
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text, QString("Máte nejaktuálnější verzi aplikace."));
        QCOMPARE(boxes->last().title, QString("Dotaz na novou verzi"));
        QCOMPARE(boxes->last().icon(), int(vb::vbInformation));
        QCOMPARE(boxes->last().buttons(), int(vb::vbOKOnly));

        offer("", 500); // a failed check reads the same
        ZjistitNovouVerzi(&owner);
        QCOMPARE(boxes->count(), 2);
        QCOMPARE(boxes->last().text, QString("Máte nejaktuálnější verzi aplikace."));

        offer("1-9-0");
        ZjistitNovouVerzi(&owner);
        QCOMPARE(none.seen, 1);
        QCOMPARE(none.owners, QList<QWidget*>{&owner});
        QCOMPARE(boxes->count(), 2);
        QCOMPARE(GetSett("ShowNewVer", "N"), QString("A")); // closed unticked
        QCOMPARE(server->requests(kVersionPath).size(), 3);
    }

    void startUpChecksOnlyWhenAsked() {
        SplashCloser closer;
        offer("1-8-7");
        WhenShown<frmNewVersion> dialog([](frmNewVersion* d) {
            QVERIFY(frmMaster::instance() && frmMaster::instance()->isVisible()); // after the main window
            d->findChild<QCheckBox*>("chkNenabizet")->click();
            QTest::mouseClick(d->findChild<QPushButton*>("Command2"), Qt::LeftButton);
        });

        Main(); // no "ShowNewVer" yet: "A"
        QVERIFY(frmMaster::instance());
        QCOMPARE(server->requests(kVersionPath).size(), 1);
        QCOMPARE(dialog.seen, 1);
        QCOMPARE(dialog.owners, QList<QWidget*>{nullptr});
        QCOMPARE(GetSett("ShowNewVer", "A"), QString("N"));
        delete frmMaster::instance();

        Main(); // "N": nothing is downloaded
        QVERIFY(frmMaster::instance());
        QCOMPARE(server->requestCount(), 1);
        QCOMPARE(dialog.seen, 1);
        QCOMPARE(boxes->count(), 0);
    }

private:
    // Presses a key on each splash as soon as it shows.
    struct SplashCloser : WhenShown<frmSplash> {
        SplashCloser() : WhenShown<frmSplash>([](frmSplash* s) { QTest::keyClick(s, Qt::Key_X); }) {}
    };
};

DVD_TEST_MAIN(TestNewVersion)
#include "tst_newversion.moc"
