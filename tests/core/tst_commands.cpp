#include "core/Main.h"
#include "core/frmAbout.h"
#include "core/frmFindStr.h"
#include "core/frmMaster.h"
#include "core/mFunction.h"
#include "core/modSortLvw.h"
#include "lending/frmKlienti.h"
#include "lookup/frmFindObal.h"
#include "lookup/webroots.h"
#include "printing/frmTisknout.h"
#include "records/frmOddeleniList.h"
#include "records/frmZanry.h"

#include "apppath.h"
#include "codepage.h"
#include "fixtures.h"
#include "htmlhelp.h"
#include "httpserver.h"
#include "listview.h"
#include "msgbox.h"
#include "progdir.h"
#include "shell.h"
#include "testmain.h"
#include "vb.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtEndian>

namespace {

using testsupport::at;

QString key(long id) {
    return QStringLiteral("K%1").arg(id);
}

// Captions of a menu's entries, "-" for a separator, "name >" for a sub-menu.
QStringList entries(const QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-")
                : a->menu()      ? a->text() + QStringLiteral(" >")
                                 : a->text());
    return out;
}

} // namespace

class TestCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec;
    QPointer<frmMaster> win;

    frmMaster* open() {
        win = new frmMaster;
        return win;
    }
    QAction* action(const char* name) {
        auto* a = win->findChild<QAction*>(QLatin1String(name));
        if (!a) qFatal("no action %s", name);
        return a;
    }
    void select(long id) { win->lvwList->Item(key(id))->setSelected(true); }

private slots:
    void init() {
        testsupport::clearProgramSettings();
        rec = std::make_unique<msgbox::Recorder>();
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        delete win.data();
        dir.reset();
        const int unexpected = rec->count();
        rec.reset();
        QCOMPARE(unexpected, 0);
    }

    void menusToolbarsAndPopUp() {
        frmMaster* w = open();
        QStringList bar;
        for (QAction* a : w->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, QStringList({"Databáze", "Půjčovna", "Obaly", "Nápověda"}));
        const QList<QAction*> menus = w->menuBar()->actions();
        QCOMPARE(entries(menus[0]->menu()), QStringList({"Obnovit", "-", "Číselníky >", "-", "Konec"}));
        QCOMPARE(entries(w->findChild<QMenu*>("mnuCiselniky")),
                 QStringList({"Číselník žánrů", "Číselník oddělení"}));
        QCOMPARE(entries(menus[1]->menu()), QStringList({"Modul výpůjček", "-", "Přidat uživatele"}));
        QCOMPARE(entries(menus[2]->menu()), QStringList({"Najít obal na internetu"}));
        QCOMPARE(entries(menus[3]->menu()),
                 QStringList({"Obsah", "-", "Zjistit novou verzi", "-", "O programu"}));
        QCOMPARE(entries(w->mnuPopUp),
                 QStringList({"Upravit", "Zapůjčit / Vrátit", "Smazat", "-", "Hledat obal"}));
        for (QAction* a : w->findChildren<QAction*>())
            QVERIFY2(!a->text().contains('&'), qPrintable(a->text())); // no access keys

        QStringList t1;
        for (QAction* a : w->Toolbar1->actions())
            t1 << a->text() + "=" + a->data().toString();
        QCOMPARE(t1, QStringList({"Vyhledat=keyFind", "Seřadit=SortCZName", "Tisknout=keyPrint"}));
        QCOMPARE(entries(w->findChild<QMenu*>("mnuVyhledat")),
                 QStringList({"V českém názvu", "V cizím názvu", "Katalogové číslo"}));
        QCOMPARE(entries(w->findChild<QMenu*>("mnuSeradit")),
                 QStringList({"Podle CZ názvu (default)", "Podle Katalogového čísla"}));
        QStringList t2;
        for (QAction* a : w->Toolbar2->actions())
            t2 << a->text() + "=" + a->data().toString();
        QCOMPARE(t2, QStringList({"Nový=KeyAddNew", "Uprav=KeyEdit"}));
        QCOMPARE(w->Toolbar2->actions()[0]->toolTip(), QString("Přidat nový disk do seznamu."));
        QCOMPARE(w->tbDisk->parentWidget(), w->Picture1);
        QCOMPARE(w->tbDisk->actions()[0]->text(), QString("Půjčit / Vrátit"));
        QCOMPARE(w->tbDisk->actions()[0]->toolTip(), QString("Půjčí - vrátí disk"));

        // The pop-up opens on a right-button release, also over empty space.
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTest::mouseRelease(w->lvwList->viewport(), Qt::RightButton, {}, QPoint(20, 40));
        QTRY_VERIFY(w->mnuPopUp->isVisible());
        w->mnuPopUp->close();
        QTest::mouseRelease(w->lvwList->viewport(), Qt::LeftButton, {}, QPoint(20, 40));
        QVERIFY(!w->mnuPopUp->isVisible());

        // No window menu over the bars; tool tips only where they are given.
        for (QWidget* bar : {static_cast<QWidget*>(w->menuBar()), static_cast<QWidget*>(w->Toolbar1),
                             static_cast<QWidget*>(w->tbDisk)})
            QCOMPARE(testsupport::popUpAt(bar, QPoint(bar->width() - 2, bar->height() / 2)), QStringList());
        QCOMPARE(testsupport::popUpAt(w, QPoint(w->width() - 5, w->menuBar()->height() + 5)), QStringList());
        QCOMPARE(testsupport::shownToolTips(w), QStringList({"KeyAddNew: Přidat nový disk do seznamu.",
                                                             "KeyPujcitVratit: Půjčí - vrátí disk"}));
    }

    void searchAndSortButtons() {
        dir->insertFilm("Alfa", {{"KatCisl", "10"}, {"PuvJm", "First"}});
        dir->insertFilm("Beta", {{"KatCisl", "2"}, {"PuvJm", "Second"}});
        frmMaster* w = open();
        QCOMPARE(testsupport::listColumn(w->lvwList, 1), QStringList({"Alfa", "Beta"}));
        action("SortKatNum")->trigger(); // text order of the number column
        QCOMPARE(testsupport::listColumn(w->lvwList, 1), QStringList({"Alfa", "Beta"}));
        dir->insertFilm("Ačko", {{"KatCisl", "1"}});
        w->findChild<QMenu*>("mnuSeradit")->findChild<QAction*>("SortCZName")->trigger();
        QCOMPARE(testsupport::listColumn(w->lvwList, 1), QStringList({"Ačko", "Alfa", "Beta"}));

        // "Cizí název" search through the button's menu, prompt answered by typing.
        QTimer::singleShot(0, [] {
            auto* prompt = qobject_cast<frmFindStr*>(QApplication::activeModalWidget());
            QVERIFY(prompt);
            QCOMPARE(prompt->windowTitle(), QString("Najít v původním názvu"));
            QTest::keyClicks(prompt->Text1, "second");
            prompt->cmdVyhledat->click();
        });
        action("KeyFindPUV")->trigger();
        QCOMPARE(w->SelectedTitle(), QString("Beta"));
        // The button itself searches in the Czech title.
        QTimer::singleShot(0, [] {
            auto* prompt = qobject_cast<frmFindStr*>(QApplication::activeModalWidget());
            QVERIFY(prompt);
            QCOMPARE(prompt->windowTitle(), QString("Najít v českém názvu"));
            prompt->Text1->setText("čko");
            prompt->cmdVyhledat->click();
        });
        action("keyFind")->trigger();
        QCOMPARE(w->SelectedTitle(), QString("Ačko"));
    }

    void deleteAsksAndReloadsInTitleOrder() {
        const long alice = dir->insertClient("Alena");
        const long a = dir->insertFilm("Zebra", {{"KatCisl", "1"}});
        const long b = dir->insertFilm("Anděl", {{"KatCisl", "3"}});
        const long c = dir->insertFilm("Čáp", {{"KatCisl", "2"}});
        dir->insertLoan(alice, b, at(1, 2, 2026));
        dir->insertLoan(alice, c, at(2, 2, 2026));
        frmMaster* w = open();
        action("SortKatNum")->trigger();
        QCOMPARE(testsupport::listColumn(w->lvwList, 1), QStringList({"Zebra", "Čáp", "Anděl"}));
        QVERIFY(w->VypujcenoText().contains(": 2 "));

        select(b);
        rec->answer(vb::vbNo);
        action("mnuPopSmazat")->trigger();
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().text, QString("Opravdu vymazat záznam (Anděl)?"));
        QCOMPARE(rec->last().title, QString("Ověření požadavku na smazání."));
        QCOMPARE(rec->last().buttons(), int(vb::vbYesNo));
        QCOMPARE(rec->last().icon(), int(vb::vbInformation));
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tDVD").toString(), QString("3"));

        rec->answer(vb::vbYes);
        action("mnuPopSmazat")->trigger();
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tDVD").toString(), QString("2"));
        // Czech-title order again, and the deleted film's open loan no longer counts.
        QCOMPARE(testsupport::listColumn(w->lvwList, 1), QStringList({"Čáp", "Zebra"}));
        QVERIFY(w->VypujcenoText().contains(": 1 "));
        // its loan and nothing else stays in the catalogue
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tPujcky").toString(), QString("2"));
        Q_UNUSED(a)
        rec->clear();
    }

    void returnClosesOneOpenLoan() {
        const long alice = dir->insertClient("Alena");
        const long bob = dir->insertClient("Bohumil");
        const long film = dir->insertFilm("Čelisti");
        dir->insertLoan(alice, film, at(1, 2, 2026));
        dir->insertLoan(bob, film, at(3, 2, 2026));
        frmMaster* w = open();
        select(film);

        rec->answer(vb::vbNo);
        action("KeyPujcitVratit")->trigger();
        QCOMPARE(rec->last().text, QString("Opravdu vrátit film : \" Čelisti ?"));
        QCOMPARE(rec->last().title, QString("Ověření"));
        QCOMPARE(rec->last().icon(), int(vb::vbQuestion));
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tPujcky WHERE PDatVraceni IS NULL").toString(),
                 QString("2"));

        rec->answer(vb::vbYes);
        action("KeyPujcitVratit")->trigger();
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tPujcky WHERE PDatVraceni IS NULL").toString(),
                 QString("1"));
        const QDateTime returned = vb::TextToDate(
            dir->scalar("SELECT PDatVraceni FROM tPujcky WHERE PDatVraceni IS NOT NULL").toString());
        QVERIFY(qAbs(returned.secsTo(QDateTime::currentDateTime())) < 120);
        // one loan is still open: the row still shows the film lent
        ListItem* row = w->lvwList->Item(key(film));
        QVERIFY(!row->SubItem(3).isEmpty());
        QCOMPARE(row->ForeColor(), PujcenoColor);
        rec->clear();
    }

    void lentFilmAfterSortIsBlackButStillLent() {
        const long alice = dir->insertClient("Alena");
        const long film = dir->insertFilm("Čelisti");
        dir->insertLoan(alice, film, at(1, 2, 2026));
        frmMaster* w = open();
        emit w->lvwList->ColumnClick(2);
        ListItem* row = w->lvwList->Item(key(film));
        QCOMPARE(row->ForeColor(), 0);
        select(film);
        rec->answer(vb::vbNo);
        action("mnuPopPujcit")->trigger();
        QCOMPARE(rec->count(), 1); // the return question, not the lend dialog
        rec->clear();
    }

    void commandsWithoutSelectionDoNothing() {
        const long alice = dir->insertClient("Alena");
        const long film = dir->insertFilm("Čelisti");
        dir->insertLoan(alice, film, at(1, 2, 2026));
        frmMaster* w = open();
        // a click below the films leaves the film selected; only code clears it
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QWidget* area = w->lvwList->viewport();
        QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(20, area->height() - 5));
        QVERIFY(w->lvwList->SelectedItem());
        if (ListItem* first = w->lvwList->SelectedItem()) first->setSelected(false);
        QVERIFY(!w->lvwList->SelectedItem());
        QCOMPARE(w->SelectedDVDID(), 0L);
        for (const char* name : {"mnuPopUpravit", "mnuPopPujcit", "mnuPopSmazat", "mnuPopHledatObal",
                                 "KeyEdit", "KeyPujcitVratit"})
            action(name)->trigger();
        QCOMPARE(rec->count(), 0);
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tDVD").toString(), QString("1"));
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tPujcky WHERE PDatVraceni IS NULL").toString(),
                 QString("1"));
    }

    void helpAndAbout() {
        htmlhelp::Recorder help;
        open();
        QCOMPARE(GetHelpFile(1), AppPath() + "/data/napoveda.chm");
        QCOMPARE(GetHelpFile(2), QString());
        action("mnuObsah")->trigger();
        QCOMPARE(help.count(), 1);
        QCOMPARE(help.last(), AppPath() + "/data/napoveda.chm");

        QTimer::singleShot(0, [] {
            auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            QVERIFY(about);
            QCOMPARE(about->windowTitle(), QString("O programu"));
            QCOMPARE(about->Label1->text(), QString("Zorv DVD Merva-lóna 1.8.6"));
            about->cmdOK->click();
        });
        action("mnuOProgramu")->trigger();
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The main window keeps to the screen (the test screen is smaller than
    // its designed size); the lending window opens over the main window.
    void windowsOpenOnTheScreenOverTheMainWindow() {
        frmMaster* w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2(screen.contains(w->frameGeometry()), qPrintable(QString("%1x%2 on %3x%4")
                                                                     .arg(w->frameGeometry().width())
                                                                     .arg(w->frameGeometry().height())
                                                                     .arg(screen.width())
                                                                     .arg(screen.height())));
        w->move(screen.topLeft() + QPoint(10, 20));
        action("mnuVypujcky")->trigger();
        auto* lending = frmKlienti::instance();
        QVERIFY(lending && lending->isVisible());
        QVERIFY(screen.contains(lending->frameGeometry()));
        // centred but for the title bar the window manager will add
        const QPoint off = lending->frameGeometry().center() - w->frameGeometry().center();
        QVERIFY2(qAbs(off.x()) <= 2 && qAbs(off.y()) <= 20,
                 qPrintable(QString("%1,%2").arg(off.x()).arg(off.y())));
        lending->close();
    }

    // The compiled help reads in Czech: a viewer takes its title and contents
    // in the code page of the language it declares (Czech: windows-1250), and
    // each page in the charset the page names.
    void helpFileIsInTheCzechCodePage() {
        const QString chm = QCoreApplication::applicationDirPath() + "/../data/napoveda.chm";
        if (!QFileInfo::exists(chm)) QSKIP("no help file: it is built where chmcmd is");
        const QString chmls = QStandardPaths::findExecutable("chmls"); // comes with chmcmd
        if (chmls.isEmpty()) QSKIP("no chmls to read the help file back");
        QTemporaryDir out;
        const auto extract = [&](const QString& name) {
            const QString file = out.filePath("extracted");
            QFile::remove(file);
            QProcess p;
            p.start(chmls, {"extract", chm, "/" + name, file});
            QFile f(file);
            return p.waitForFinished(30000) && p.exitCode() == 0 && f.open(QIODevice::ReadOnly)
                       ? f.readAll()
                       : QByteArray();
        };

        // #SYSTEM: a version, then records of a code, a length and the data
        const QByteArray system = extract("#SYSTEM");
        QMap<quint16, QByteArray> records;
        for (qsizetype at = 4; at + 4 <= system.size();) {
            const quint16 length = qFromLittleEndian<quint16>(system.constData() + at + 2);
            records.insert(qFromLittleEndian<quint16>(system.constData() + at), system.mid(at + 4, length));
            at += 4 + length;
        }
        QVERIFY2(records.contains(3) && records.contains(4), "no title or language in #SYSTEM");
        QCOMPARE(qFromLittleEndian<quint32>(records.value(4).constData()), quint32(0x405)); // Czech
        QCOMPARE(cp1250::toUnicode(QByteArray(records.value(3).constData())),
                 QString("Zorv DVD Merva-lóna - nápověda"));

        // the contents and every page: the sources' text, in windows-1250 and saying so
        const QDir sources = QFileInfo(QFINDTESTDATA("../../data/help/napoveda.hhp")).dir();
        const QStringList names = sources.entryList({"*.hhc", "*.htm"}, QDir::Files);
        QVERIFY(names.contains("obsah.hhc") && names.contains("index.htm"));
        for (const QString& name : names) {
            QFile source(sources.filePath(name));
            QVERIFY(source.open(QIODevice::ReadOnly));
            QString expected = QString::fromUtf8(source.readAll());
            QVERIFY2(expected.contains("charset=utf-8"), qPrintable(name));
            expected.replace("charset=utf-8", "charset=windows-1250");
            QCOMPARE(cp1250::toUnicode(extract(name)), expected);
        }
    }

    void codeListsOpenOwnedAndOnce() {
        dir->insertGenre("Drama");
        frmMaster* w = open();
        action("mnuZanry")->trigger();
        auto* genres = w->findChild<frmZanry*>();
        QVERIFY(genres && genres->isVisible());
        QCOMPARE(genres->lvwZanr->Count(), 1);
        genres->setWindowState(Qt::WindowMinimized);
        action("mnuZanry")->trigger(); // the same window, no longer minimised
        QCOMPARE(w->findChildren<frmZanry*>().size(), 1);
        QVERIFY(!(genres->windowState() & Qt::WindowMinimized));
        action("mnuOddeleni")->trigger();
        auto* departments = w->findChild<frmOddeleniList*>();
        QVERIFY(departments && departments->isVisible());
        QCOMPARE(departments->parentWidget(), w);
    }

    void versionCheckFromTheHelpMenu() {
        testsupport::HttpServer server; // knows no version file: 404
        SetWebRootsBase(server.baseUrl());
        SaveSett("ShowNewVer", "N"); // plays no part here
        open();
        action("mnuNovaVerze")->trigger();
        QCOMPARE(server.requestCount(), 1);
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().text, QString("Máte nejaktuálnější verzi aplikace."));
        QCOMPARE(rec->last().title, QString("Dotaz na novou verzi"));
        QCOMPARE(rec->last().icon(), int(vb::vbInformation));
        rec->clear();
    }

    void printButtonOpensThePrintDialog() {
        shell::Recorder shell;
        dir->insertFilm("Čelisti");
        open();
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<frmTisknout*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("Tisk seznamu"));
            dialog->Command1->click();
            dialog->close();
        });
        action("keyPrint")->trigger();
        QCOMPARE(shell.count(), 1);
        QVERIFY(QFile::exists(dir->dataPath() + "test.htm"));
    }

    void coverSearchOpensWithTheSelectedTitle() {
        const long film = dir->insertFilm("  Pelíšky ");
        open();
        QStringList seen;
        auto answer = [&seen] {
            QTimer::singleShot(0, [&seen] {
                auto* search = qobject_cast<frmFindObal*>(QApplication::activeModalWidget());
                QVERIFY(search);
                seen << search->Text1->text();
                search->close();
            });
        };
        answer();
        action("mnuNajitObal")->trigger();
        select(film);
        answer();
        action("mnuPopHledatObal")->trigger();
        QCOMPARE(seen, QStringList({"", "Pelíšky"}));
    }

    void konecClosesTheWindow() {
        frmMaster* w = open();
        w->show();
        action("mnuKonec")->trigger();
        QTRY_VERIFY(win.isNull()); // deletes itself on close
    }
};

DVD_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
