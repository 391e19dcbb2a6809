#include "core/mDatabase.h"
#include "records/frmOddeleniList.h"
#include "records/frmZanry.h"

#include "listview.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"
#include "vb.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

QStringList keys(const ListView* lv) {
    QStringList out;
    for (int i = 1; i <= lv->Count(); ++i)
        out << lv->Item(i)->Key();
    return out;
}

QStringList names(const ListView* lv) {
    QStringList out;
    for (int i = 1; i <= lv->Count(); ++i)
        out << lv->Item(i)->SubItem(1);
    return out;
}

QString key(long id) {
    return QString("Z%1").arg(id);
}

qint32 backColor(const CodeListEditor* e) {
    return vb::RGBFromColor(e->txtZanr->palette().color(QPalette::Base));
}

} // namespace

class TestCodeLists : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec; // each test clears the boxes it expects
    QPointer<QMainWindow> owner;
    bool editorShown = false;
    bool editorLeftOpen = false;

    // Runs `action` on the modal editor once the list window has shown it; an
    // editor the action leaves open is closed, so a failing test cannot hang.
    void onEditor(std::function<void(CodeListEditor*)> action) {
        editorShown = false;
        editorLeftOpen = false;
        QTimer::singleShot(0, this, [this, action] {
            auto* editor = qobject_cast<CodeListEditor*>(QApplication::activeModalWidget());
            if (!editor) return;
            editorShown = true;
            action(editor);
            if (editor->isVisible()) {
                editorLeftOpen = true;
                editor->cmdStorno->click();
            }
        });
    }

    long genreCount() { return dir->scalar("SELECT COUNT(*) FROM tZanr").toLong(); }

private slots:
    void init() {
        rec = std::make_unique<msgbox::Recorder>();
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
        owner = new QMainWindow;
    }
    void cleanup() {
        delete owner.data(); // takes the list windows with it
        dir.reset();
        const int unexpected = rec->count();
        rec.reset();
        QCOMPARE(unexpected, 0);
    }

    void genreListShowsEveryGenreInItsColour() {
        const long drama = dir->insertGenre("Drama", 255);
        const long horor = dir->insertGenre("Horor", vb::RGB(0, 0, 200));
        const long sci = dir->insertRow("tZanr", {{"ZNAME", "Sci-fi"}}); // the table's default colour
        dir->execute("INSERT INTO tZanr (ZNAME, ZCOLOR) VALUES (NULL, 'modrá')");
        const long blank = dir->scalar("SELECT MAX(ZID) FROM tZanr").toLong();

        frmZanry* w = frmZanry::Open(owner);
        QCOMPARE(rec->count(), 0);
        QCOMPARE(w->objectName(), QString("frmZanry"));
        QCOMPARE(w->windowTitle(), QString("Žánry - číselník"));
        QCOMPARE(w->parentWidget(), owner.data());
        QVERIFY(w->isVisible() && !w->isModal());
        ListView* lv = w->lvwZanr;
        QCOMPARE(lv->ColumnCount(), 2);
        QCOMPARE(lv->Column(1)->Text(), QString("ID"));
        QCOMPARE(lv->Column(2)->Text(), QString("Název Žánru"));
        QCOMPARE(keys(lv), QStringList({key(drama), key(horor), key(sci), key(blank)}));
        QCOMPARE(lv->Item(1)->Text(), QString::number(drama));
        QCOMPARE(names(lv), QStringList({"Drama", "Horor", "Sci-fi", ""}));

        QCOMPARE(lv->Item(1)->ForeColor(), 255);
        QCOMPARE(lv->Item(1)->SubItemForeColor(1), 255);
        for (int c = 0; c < 2; ++c)
            QCOMPARE(lv->model()->index(0, c).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
        QCOMPARE(lv->Item(2)->SubItemForeColor(1), vb::RGB(0, 0, 200));
        QCOMPARE(lv->Item(3)->ForeColor(), 0);
        // a colour that is no number leaves the row in the list's own colour
        QCOMPARE(lv->Item(4)->ForeColor(), ListItem::DefaultColor);

        QCOMPARE(w->Command1->toolTip(), QString("Přidá nový záznam"));
        QCOMPARE(w->Command3->toolTip(), QString("Upraví aktuální záznam"));
        QVERIFY(w->Command1->text().isEmpty() && !w->Command1->icon().isNull());
        QVERIFY(w->Command3->text().isEmpty() && !w->Command3->icon().isNull());
        QVERIFY(w->Command3->isEnabled());
    }

    void departmentListIsUncolouredWithZKeys() {
        dir->insertGenre("Drama", 255);
        const long filmy = dir->insertDepartment("Filmy");
        const long serialy = dir->insertDepartment("Seriály");
        const long none = dir->insertRow("tOddeleni", {{"OdJm", ado::Variant()}});

        frmOddeleniList* w = frmOddeleniList::Open(owner);
        QCOMPARE(rec->count(), 0);
        QCOMPARE(w->objectName(), QString("frmOddeleniList"));
        QCOMPARE(w->windowTitle(), QString("Oddělení  - číselník"));
        ListView* lv = w->lvwZanr;
        QCOMPARE(lv->Column(1)->Text(), QString("ID"));
        QCOMPARE(lv->Column(2)->Text(), QString("Název"));
        QCOMPARE(keys(lv), QStringList({key(filmy), key(serialy), key(none)}));
        QCOMPARE(names(lv), QStringList({"Filmy", "Seriály", ""}));
        for (int i = 1; i <= lv->Count(); ++i) {
            QCOMPARE(lv->Item(i)->ForeColor(), ListItem::DefaultColor);
            QCOMPARE(lv->Item(i)->SubItemForeColor(1), ListItem::DefaultColor);
        }
        QVERIFY(w->Command1->toolTip().isEmpty());
        QVERIFY(w->Command3->toolTip().isEmpty());
    }

    void openingAgainBringsTheSameWindowUnfilled() {
        dir->insertGenre("Drama");
        frmZanry* w = frmZanry::Open(owner);
        QCOMPARE(w->lvwZanr->Count(), 1);
        dir->insertGenre("Horor");
        QCOMPARE(frmZanry::Open(owner), w);
        QCOMPARE(w->lvwZanr->Count(), 1);
        // the other list is a window of its own
        frmOddeleniList* d = frmOddeleniList::Open(owner);
        QVERIFY(static_cast<QWidget*>(d) != static_cast<QWidget*>(w));
        QCOMPARE(frmOddeleniList::Open(owner), d);

        // Esc leaves it open; closed, it goes, and the next opening is a fresh fill
        QPointer<frmZanry> gone = w;
        QTest::keyClick(w->lvwZanr, Qt::Key_Escape);
        QVERIFY(w->isVisible());
        w->close();
        QTRY_VERIFY(gone.isNull());
        w = frmZanry::Open(owner);
        QCOMPARE(w->lvwZanr->Count(), 2);
    }

    void addingToAnEmptyGenreListEnablesEdit() {
        frmZanry* w = frmZanry::Open(owner);
        QCOMPARE(w->lvwZanr->Count(), 0);
        QVERIFY(!w->Command3->isEnabled());

        QString caption;
        qint32 id = -1;
        QString startText = "x";
        onEditor([&](CodeListEditor* e) {
            caption = e->windowTitle();
            id = e->ID;
            startText = e->txtZanr->text();
            QCOMPARE(e->objectName(), QString("frmZanr"));
            QCOMPARE(e->Label1->text(), QString("Název:"));
            QCOMPARE(e->cmdSave->text(), QString("Uložit"));
            QCOMPARE(e->cmdStorno->text(), QString("Storno"));
            e->txtZanr->setText("Válečný");
            e->cmdSave->click();
        });
        w->Command1->click();
        QVERIFY(editorShown);
        QVERIFY(!editorLeftOpen);
        QCOMPARE(caption, QString("Žánr"));
        QCOMPARE(id, 0);
        QCOMPARE(startText, QString());

        const auto rows = dir->rows("SELECT * FROM tZanr");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["ZNAME"].toString(), QString("Válečný"));
        QCOMPARE(rows[0]["ZCOLOR"].toLong(), 0LL); // the table's default: never written here
        QCOMPARE(keys(w->lvwZanr), QStringList({key(rows[0]["ZID"].toLong())}));
        QCOMPARE(names(w->lvwZanr), QStringList({"Válečný"}));
        QVERIFY(w->Command3->isEnabled());
    }

    void nameCheckRefusesTwoCharacters() {
        frmZanry* w = frmZanry::Open(owner);
        QList<qint32> colours;
        QList<int> boxes;
        bool openAfterRefusal = false;
        onEditor([&](CodeListEditor* e) {
            QVERIFY(!e->cmdSave->autoDefault() && !e->cmdStorno->autoDefault());
            for (const char* text : {"ab", " ab ", "", "   "}) {
                e->txtZanr->setText(text);
                e->cmdSave->click();
                colours << backColor(e);
                boxes << rec->count();
            }
            openAfterRefusal = e->isVisible();
            QCOMPARE(rec->last().text, QString("Název musí být vyplněn!"));
            QCOMPARE(rec->last().title, QString("Chyba:"));
            QCOMPARE(rec->last().flags, int(vb::vbOKOnly));
            QVERIFY(!e->Kontrola()); // still pink until a check passes
            QCOMPARE(backColor(e), vb::RGB(250, 200, 200));
            e->txtZanr->setText(" abc ");
            QVERIFY(e->Kontrola());
            QCOMPARE(backColor(e), vb::RGB(255, 255, 255));
            e->txtZanr->setText("abc"); // Enter presses nothing
            QTest::keyClick(e->txtZanr, Qt::Key_Return);
            QTest::keyClick(e->txtZanr, Qt::Key_Escape);
            QVERIFY(e->isVisible());
            e->txtZanr->setText("  Ábč  ");
            e->cmdSave->click();
        });
        w->Command1->click();
        QVERIFY(!editorLeftOpen);
        QVERIFY(openAfterRefusal);
        QCOMPARE(boxes, QList<int>({1, 2, 3, 4}));
        for (qint32 c : colours)
            QCOMPARE(c, vb::RGB(250, 200, 200));
        // the refusals wrote nothing; the name is stored with its blanks
        QCOMPARE(dir->scalar("SELECT ZNAME FROM tZanr").toString(), QString("  Ábč  "));
        QCOMPARE(genreCount(), 1L);
        rec->clear();
    }

    void renamingKeepsIdAndFilms() {
        dir->insertGenre("Akční");
        const long drama = dir->insertGenre("Drama", 255);
        const long film = dir->insertFilm("Pelíšky", {{"Zanr", "Drama"}});
        frmZanry* w = frmZanry::Open(owner);
        w->lvwZanr->setSelectedItem(w->lvwZanr->Item(key(drama)));

        qint32 id = 0;
        QString read;
        onEditor([&](CodeListEditor* e) {
            id = e->ID;
            read = e->txtZanr->text();
            e->txtZanr->setText("Drama a tragédie");
            e->cmdSave->click();
        });
        w->Command3->click();
        QVERIFY(!editorLeftOpen);
        QCOMPARE(id, qint32(drama));
        QCOMPARE(read, QString("Drama"));
        QCOMPARE(genreCount(), 2L);
        QCOMPARE(dir->scalar(QString("SELECT ZNAME FROM tZanr WHERE ZID=%1").arg(drama)).toString(),
                 QString("Drama a tragédie"));
        QCOMPARE(dir->scalar(QString("SELECT ZCOLOR FROM tZanr WHERE ZID=%1").arg(drama)).toLong(), 255LL);
        QCOMPARE(dir->scalar(QString("SELECT Zanr FROM tDVD WHERE DVDID=%1").arg(film)).toString(),
                 QString("Drama"));
        QCOMPARE(w->lvwZanr->Item(key(drama))->SubItem(1), QString("Drama a tragédie"));
        QCOMPARE(w->lvwZanr->Item(key(drama))->ForeColor(), 255);
    }

    void departmentAddAndRename() {
        const long filmy = dir->insertDepartment("Filmy");
        const long film = dir->insertFilm("Pelíšky", {{"Oddel_ID", filmy}});
        frmOddeleniList* w = frmOddeleniList::Open(owner);
        QString caption;
        onEditor([&](CodeListEditor* e) {
            caption = e->windowTitle();
            QCOMPARE(e->objectName(), QString("frmOddel"));
            e->txtZanr->setText("Seriály ");
            e->cmdSave->click();
        });
        w->Command1->click();
        QVERIFY(!editorLeftOpen);
        QCOMPARE(caption, QString("Oddělení"));
        QCOMPARE(names(w->lvwZanr), QStringList({"Filmy", "Seriály "}));
        QCOMPARE(w->lvwZanr->Item(2)->ForeColor(), ListItem::DefaultColor);

        w->lvwZanr->setSelectedItem(w->lvwZanr->Item(key(filmy)));
        QString read;
        onEditor([&](CodeListEditor* e) {
            read = e->txtZanr->text();
            e->txtZanr->setText("Hrané filmy");
            e->cmdSave->click();
        });
        w->Command3->click();
        QCOMPARE(read, QString("Filmy"));
        QCOMPARE(dir->scalar(QString("SELECT OdJm FROM tOddeleni WHERE ODID=%1").arg(filmy)).toString(),
                 QString("Hrané filmy"));
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tOddeleni").toLong(), 2LL);
        QCOMPARE(dir->scalar(QString("SELECT Oddel_ID FROM tDVD WHERE DVDID=%1").arg(film)).toLong(),
                 qint64(filmy));
    }

    void cancelWritesNothingButRefreshes() {
        const long drama = dir->insertGenre("Drama");
        frmZanry* w = frmZanry::Open(owner);
        w->lvwZanr->setSelectedItem(w->lvwZanr->Item(1));
        onEditor([&](CodeListEditor* e) {
            e->txtZanr->setText("Komedie");
            dir->insertGenre("Krimi"); // made elsewhere meanwhile
            e->cmdStorno->click();
        });
        w->Command3->click();
        QVERIFY(editorShown && !editorLeftOpen);
        QCOMPARE(names(w->lvwZanr), QStringList({"Drama", "Krimi"}));
        QCOMPARE(dir->scalar(QString("SELECT ZNAME FROM tZanr WHERE ZID=%1").arg(drama)).toString(),
                 QString("Drama"));

        // the close box cancels too; a cancelled add leaves no row
        onEditor([&](CodeListEditor* e) {
            e->txtZanr->setText("Muzikál");
            dir->insertGenre("Horor");
            e->close();
        });
        w->Command1->click();
        QVERIFY(editorShown && !editorLeftOpen);
        QCOMPARE(names(w->lvwZanr), QStringList({"Drama", "Krimi", "Horor"}));
        QCOMPARE(genreCount(), 3L);
    }

    void editWithoutSelectionDoesNothing() {
        frmOddeleniList* d = frmOddeleniList::Open(owner);
        QCOMPARE(d->lvwZanr->Count(), 0);
        QVERIFY(d->Command3->isEnabled()); // the department list never disables it
        onEditor([](CodeListEditor*) {});
        d->Command3->click();
        QCoreApplication::processEvents();
        QVERIFY(!editorShown);
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tOddeleni").toLong(), 0LL);

        dir->insertGenre("Drama");
        frmZanry* w = frmZanry::Open(owner);
        w->lvwZanr->setSelectedItem(nullptr);
        onEditor([](CodeListEditor*) {});
        w->Command3->click();
        QCoreApplication::processEvents();
        QVERIFY(!editorShown);
        QCOMPARE(genreCount(), 1L);
    }

    // A damaged genre table: the save says why, not only that the table did not open.
    void damagedTableIsSaid() {
        frmZanry* w = frmZanry::Open(owner);
        QVERIFY(dir->damagePage(dir->rootPage("tZanr")));
        onEditor([&](CodeListEditor* e) {
            e->txtZanr->setText("Horor");
            e->cmdSave->click();
            QVERIFY(e->isVisible());
            e->cmdStorno->click();
        });
        w->Command1->click();
        QVERIFY(rec->count() >= 1);
        const QString said = rec->boxes()[0].text;
        QVERIFY2(said.startsWith("Záznam se nepodařilo uložit.") && said.contains("je poškozen"), qPrintable(said));
        rec->clear();
        w->close();
    }

    void databaseFailuresEndTheOperationOnly() {
        const long drama = dir->insertGenre("Drama");
        frmZanry* w = frmZanry::Open(owner);
        w->lvwZanr->setSelectedItem(w->lvwZanr->Item(1));

        // the entry was deleted elsewhere: no text, and saving adds no row in its place
        dir->execute(QString("DELETE FROM tZanr WHERE ZID=%1").arg(drama));
        bool openAfterSave = false;
        onEditor([&](CodeListEditor* e) {
            QCOMPARE(e->txtZanr->text(), QString());
            e->txtZanr->setText("Drama 2");
            e->cmdSave->click();
            openAfterSave = e->isVisible();
            QCOMPARE(e->txtZanr->text(), QString("Drama 2"));
        });
        w->Command3->click();
        QVERIFY(openAfterSave);
        QCOMPARE(rec->count(), 2);
        QVERIFY(rec->boxes()[0].text.startsWith("Záznam se nepodařilo načíst."));
        QVERIFY(rec->boxes()[1].text.startsWith("Záznam se nepodařilo uložit."));
        QCOMPARE(rec->last().title, QString("Chyba:"));
        QCOMPARE(genreCount(), 0L);
        QCOMPARE(w->lvwZanr->Count(), 0);
        QVERIFY(!w->Command3->isEnabled());
        rec->clear();

        // the catalogue cannot be opened: the open's own box, the text stays for another try
        const QString path = DBPath;
        onEditor([&](CodeListEditor* e) {
            e->txtZanr->setText("Horor");
            DBPath = dir->dataPath() + "chybi.ddb";
            e->cmdSave->click();
            openAfterSave = e->isVisible();
            QCOMPARE(rec->count(), 1);
            QVERIFY(rec->last().text.contains("chybi.ddb"));
            DBPath = path;
            e->cmdSave->click();
        });
        w->Command1->click();
        QVERIFY(openAfterSave);
        QVERIFY(!editorLeftOpen);
        QCOMPARE(names(w->lvwZanr), QStringList({"Horor"}));
        rec->clear();

        // the table is gone: the list is emptied with a message, and the window goes on
        dir->execute("DROP TABLE tZanr");
        w->Refresh_List();
        QCOMPARE(rec->count(), 1);
        QVERIFY(rec->last().text.startsWith("Seznam se nepodařilo z katalogu načíst."));
        QCOMPARE(w->lvwZanr->Count(), 0);
        QVERIFY(!w->Command3->isEnabled());
        QVERIFY(w->isVisible());
        rec->clear();
    }
};

DVD_TEST_MAIN(TestCodeLists)
#include "tst_codelists.moc"
