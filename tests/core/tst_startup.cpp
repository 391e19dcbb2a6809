#include "core/Main.h"
#include "core/frmMaster.h"
#include "core/frmSplash.h"
#include "core/mDatabase.h"
#include "core/mFunction.h"

#include "fixtures.h"
#include "listview.h"
#include "msgbox.h"
#include "progdir.h"
#include "settings.h"
#include "statusbar.h"
#include "testmain.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

namespace {

frmSplash* visibleSplash() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<frmSplash*>(w); s && s->isVisible()) return s;
    return nullptr;
}

// Presses a key on the splash as soon as it shows.
struct SplashCloser {
    bool seen = false;
    QTimer timer;
    SplashCloser() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (frmSplash* s = visibleSplash()) {
                seen = true;
                timer.stop();
                QTest::keyClick(s, Qt::Key_X);
            }
        });
        timer.start();
    }
};

int versionChecks = 0;
bool newerVersion = false;
int versionDialogs = 0;
bool countingCheck() {
    ++versionChecks;
    return newerVersion;
}
void countingDialog() {
    ++versionDialogs;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    std::unique_ptr<msgbox::Recorder> rec;

    // Main() as the program runs it; the splash is closed by a key.
    frmMaster* runMain() {
        SplashCloser closer;
        Main();
        [&] { QVERIFY(closer.seen); }();
        return frmMaster::instance();
    }

private slots:
    void init() {
        testsupport::clearProgramSettings();
        rec = std::make_unique<msgbox::Recorder>();
        versionChecks = versionDialogs = 0;
        newerVersion = false;
        startup::CheckNewVersion = countingCheck;
        startup::ShowNewVersion = countingDialog;
    }
    void cleanup() {
        delete frmMaster::instance();
        rec.reset();
    }

    void startsOnTheCatalogueAndKeepsWidths() {
        TestProgramDir dir;
        QVERIFY(dir.isValid());
        const long alice = dir.insertClient("Alena Nováková");
        const long bob = dir.insertClient("Bohumil Černý");
        const long a = dir.insertFilm("Amélie z Montmartru",
                                      {{"PuvJm", "Le Fabuleux destin d'Amélie Poulain"}, {"Jazyk", 1}});
        const long b = dir.insertFilm("Básník", {{"Jazyk", 0}});
        const long c = dir.insertFilm("Čelisti", {{"PuvJm", "Jaws"}, {"Jazyk", 0}});
        dir.insertLoan(alice, a, QDateTime(QDate(2026, 12, 8), QTime(19, 3, 23)));
        dir.insertLoan(bob, b, QDateTime(QDate(2026, 1, 2), QTime(8, 0, 0)),
                       QDateTime(QDate(2026, 1, 9), QTime(8, 0, 0)));
        dir.insertLoan(bob, c, QDateTime(QDate(2025, 11, 30), QTime(7, 5, 9)));
        dir.execute("DROP INDEX ixPujcky_Open"); // as in a catalogue made before
        DBPath.clear(); // Main fixes it

        frmMaster* w = runMain();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(DBPath, dir.cataloguePath()); // no "ActDB": the program's data folder
        QCOMPARE(dir.scalar("SELECT count(*) FROM sqlite_master WHERE name = 'ixPujcky_Open'"), ado::Variant(1));
        QCOMPARE(w->windowTitle(), QString("Zorv DVD Merva-lóna 1.8.6"));
        QCOMPARE(versionChecks, 1); // "ShowNewVer" defaults to "A"
        QCOMPARE(versionDialogs, 0);
        QCOMPARE(rec->count(), 0);

        ListView* lv = w->lvwList;
        QCOMPARE(lv->Count(), 3);
        QCOMPARE(lv->Item(1)->Key(), QString("K%1").arg(a));
        QCOMPARE(lv->Item(2)->Key(), QString("K%1").arg(b));
        QCOMPARE(lv->Item(3)->Key(), QString("K%1").arg(c));
        for (long lent : {a, c}) {
            ListItem* it = lv->Item(QString("K%1").arg(lent));
            QCOMPARE(it->ForeColor(), PujcenoColor);
            for (int s = 1; s <= 6; ++s)
                QCOMPARE(it->SubItemForeColor(s), PujcenoColor);
        }
        QVERIFY(lv->Item(2)->ForeColor() != PujcenoColor); // returned
        QCOMPARE(lv->Item(1)->SubItem(3), QString("Alena Nováková"));
        QCOMPARE(lv->Item(1)->SubItem(4), QString("8.12.2026 19:03:23"));
        QCOMPARE(lv->Item(3)->SubItem(3), QString("Bohumil Černý"));
        QCOMPARE(lv->Item(3)->SubItem(4), QString("30.11.2025 7:05:09"));
        QCOMPARE(lv->Item(2)->SubItem(3), QString());
        QCOMPARE(lv->Item(2)->SubItem(4), QString());
        QCOMPARE(w->sbMain->Panel(5)->Text(), QString("  Celkem záznamů : 3  "));
        QCOMPARE(w->sbMain->Panel(6)->Text(), QString("  Vypůjčených záznamů : 2  "));

        // the user widens two columns and closes; the next start shows them so
        lv->header()->resizeSection(0, 150);
        lv->Column(5)->setWidth(3333);
        QPointer<frmMaster> guard(w);
        w->close();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(GetSett("ColSie"), QString("2250|4410|2117|2117|3333|2540|2540|"));

        w = runMain();
        QVERIFY(w);
        QCOMPARE(w->lvwList->Column(1)->Width(), 2250);
        QCOMPARE(w->lvwList->Column(5)->Width(), 3333);
        QCOMPARE(w->lvwList->header()->sectionSize(0), 150);
        QCOMPARE(w->GetColSizeStr(), QString("2250|4410|2117|2117|3333|2540|2540|"));
        QCOMPARE(rec->count(), 0);
    }

    // Texts that Qt draws itself are Czech after start-up, whatever the locale.
    void qtTextsInCzech() {
        TestProgramDir dir;
        QVERIFY(runMain());
        QLineEdit box;
        const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList entries;
        for (const QAction* a : menu->actions())
            if (!a->isSeparator()) entries << a->text().section(u'\t', 0, 0); // without the shortcut
        QCOMPARE(entries.first(), QString("&Zpět"));
        QVERIFY(!entries.contains("&Undo"));
        QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Open)->text(), QString("Otevřít"));
        // the file dialogs' type column, which Qt's Czech translation lacks
        QCOMPARE(QFileIconProvider().type(QFileInfo(dir.dataPath())), QString("Složka"));
    }

    void catalogueCheck_data() {
        QTest::addColumn<QString>("fileName"); // "" = no file at all
        QTest::addColumn<bool>("accepted");
        QTest::newRow("missing") << QString() << false;
        QTest::newRow("no ddb in the name") << QString("katalog.mdb") << false;
        QTest::newRow("capitals") << QString("KATALOG.DDB") << true;
        QTest::newRow("ddb inside") << QString("myddbfile") << true;
    }
    void catalogueCheck() {
        QFETCH(QString, fileName);
        QFETCH(bool, accepted);
        TestProgramDir dir;
        QString path = dir.dataPath() + "gone.ddb";
        if (!fileName.isEmpty()) {
            path = dir.dataPath() + fileName;
            QVERIFY(QFile::copy(dir.cataloguePath(), path));
        }
        SaveSett("ActDB", path);
        frmMaster* w = runMain();
        QCOMPARE(DBPath, path);
        if (accepted) {
            QVERIFY(w && w->isVisible());
            QCOMPARE(rec->count(), 0);
        } else {
            QVERIFY(!w);
            QCOMPARE(rec->count(), 1);
            QCOMPARE(rec->last().text, QString("Nenalezen soubor databáze!"));
            QCOMPARE(rec->last().title, QString("Chyba:"));
            QCOMPARE(rec->last().icon(), int(vb::vbCritical));
            QCOMPARE(rec->last().buttons(), int(vb::vbOKOnly));
            QCOMPARE(versionChecks, 0);
            for (QWidget* top : QApplication::topLevelWidgets())
                QVERIFY(!top->isVisible());
        }
    }

    // A catalogue elsewhere, named by hand in the settings file.
    void handWrittenCatalogueOpens() {
        TestProgramDir dir;
        const long film = dir.insertFilm("Kolja");
        const QString folder = dir.path() + "/My, Fi;lms\\x";
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(dir.cataloguePath(), folder + "/data.ddb"));
        QFile::remove(dir.cataloguePath());
        QFile ini(SettingsFile(kSettingsApp));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings]\nActDB=" + folder.toUtf8() + "/data.ddb\n");
        ini.close();

        frmMaster* w = runMain();
        QCOMPARE(DBPath, folder + "/data.ddb");
        QVERIFY(w && w->isVisible());
        QCOMPARE(rec->count(), 0);
        QCOMPARE(w->lvwList->Count(), 1);
        QCOMPARE(w->lvwList->Item(1)->Key(), QString("K%1").arg(film));
    }

    // Blanks, quotes and "key=" texts belong to the path: start-up and the
    // database layer open the same file, not one the path only resembles.
    void oddCatalogueNamesOpenThatFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("lookalike"); // a file the path could be cut to, "" for none
        QTest::newRow("ends in a blank") << QString("trail.ddb ") << QString("trail.ddb");
        QTest::newRow("starts with a quote") << QString("\"q.ddb") << QString();
        QTest::newRow("holds a key") << QString("a;Mode=Read;b.ddb") << QString("a");
    }
    void oddCatalogueNamesOpenThatFile() {
        QFETCH(QString, name);
        QFETCH(QString, lookalike);
        TestProgramDir dir;
        const long film = dir.insertFilm("Kolja");
        QVERIFY(QFile::copy(dir.cataloguePath(), dir.dataPath() + name));
        QVERIFY(dir.execute("DELETE FROM tDVD") == 1); // the program's own catalogue, now empty
        if (!lookalike.isEmpty()) QVERIFY(QFile::copy(dir.cataloguePath(), dir.dataPath() + lookalike));
        QFile ini(SettingsFile(kSettingsApp));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings]\nActDB=" + (dir.dataPath() + name).toUtf8() + "\n");
        ini.close();

        frmMaster* w = runMain();
        QCOMPARE(DBPath, dir.dataPath() + name);
        QVERIFY(w && w->isVisible());
        QCOMPARE(rec->count(), 0);
        QCOMPARE(w->lvwList->Count(), 1);
        QCOMPARE(w->lvwList->Item(1)->Key(), QString("K%1").arg(film));
    }

    void versionCheckOnlyOnA_data() {
        QTest::addColumn<QString>("showNewVer");
        QTest::addColumn<bool>("newer");
        QTest::addColumn<int>("checks");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("A, none newer") << "A" << false << 1 << 0;
        QTest::newRow("A, newer") << "A" << true << 1 << 1;
        QTest::newRow("N") << "N" << true << 0 << 0;
        QTest::newRow("lower-case a") << "a" << true << 0 << 0;
        QTest::newRow("other") << "Ano" << true << 0 << 0;
        QTest::newRow("empty") << "" << true << 0 << 0;
    }
    void versionCheckOnlyOnA() {
        QFETCH(QString, showNewVer);
        QFETCH(bool, newer);
        QFETCH(int, checks);
        QFETCH(int, dialogs);
        TestProgramDir dir;
        SaveSett("ShowNewVer", showNewVer);
        newerVersion = newer;
        QVERIFY(runMain());
        QCOMPARE(versionChecks, checks);
        QCOMPARE(versionDialogs, dialogs);
    }

    void splashShowsAndCloses() {
        frmSplash splash;
        QCOMPARE(splash.lblVersion->text(), QString("Version 1.8.6"));
        QCOMPARE(splash.lblCompany->text(), QString("Zorv"));
        QCOMPARE(splash.lblProductName->text(), QString("DVD Merva-lóna"));
        QVERIFY(!splash.lblWeb->text().isEmpty());
        QVERIFY(!splash.imgLogo->pixmap().isNull());
        QCOMPARE(splash.Timer1->interval(), 5000);
        QVERIFY(splash.Timer1->isActive());

        // the first tick closes it
        splash.Timer1->setInterval(50);
        QElapsedTimer t;
        t.start();
        splash.exec();
        QVERIFY(t.elapsed() < 4000);
        QVERIFY(!splash.isVisible());

        // a key that types nothing leaves it; Esc, like any character, closes it
        frmSplash again;
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QTest::keyClick(&again, Qt::Key_Shift);
        QVERIFY(again.isVisible());
        QTest::keyClick(&again, Qt::Key_Escape);
        QVERIFY(!again.isVisible());
    }
};

DVD_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
