#include "records/frmDVD.h"

#include "core/Main.h"
#include "core/frmMaster.h"
#include "core/mDatabase.h"
#include "core/schema.h"

#include "ado.h"
#include "filedialogs.h"
#include "listview.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QPointer>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>

namespace {

using V = TestProgramDir::Values;
using ado::Variant;

void clearSettings() {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, kSettingsApp);
    store.clear();
    store.sync();
}

template <class W> W* child(QWidget* w, const QString& name) {
    W* c = w->findChild<W*>(name);
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
}

void click(QWidget* w, const QString& name) { QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton); }

// On the box's indicator: the widget is wider than its caption.
void tick(QAbstractButton* box) {
    QVERIFY(box->isVisible());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void clickTab(frmDVD* w, int tab) {
    QTabBar* bar = w->tabMain->Tabs();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab - 1).center());
}

QString flags(const QList<QCheckBox*>& group) {
    QString out;
    for (QCheckBox* b : group) out += b->isChecked() ? 'A' : 'N';
    return out;
}

QString writePicture(const QString& path, const QColor& colour) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(colour);
    img.save(path, "JPG");
    return path;
}

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList selectedGenres(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) out << list->item(i)->text();
    return out;
}

void selectGenres(QListWidget* list, const QStringList& names) {
    for (const QString& n : names) {
        const auto found = list->findItems(n, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
    }
}

} // namespace

class TestFrmDVD : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec; // each test takes the boxes it expects
    std::unique_ptr<frmDVD> win;

    frmDVD* open(long id) {
        win = std::make_unique<frmDVD>();
        win->Inicializuj(id);
        win->show();
        return win.get();
    }

    TestProgramDir::Row film(long id) {
        const auto rows = dir->rows(QString("SELECT * FROM tDVD WHERE DVDID=%1").arg(id));
        return rows.isEmpty() ? TestProgramDir::Row() : rows[0];
    }

private slots:
    void init() {
        clearSettings();
        rec = std::make_unique<msgbox::Recorder>();
        dir = std::make_unique<TestProgramDir>(true);
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        win.reset();
        dir.reset();
        const int unexpected = rec->count();
        if (unexpected) qWarning() << "unexpected box:" << rec->last().text;
        rec.reset();
        QCOMPARE(unexpected, 0);
    }

    void newFilmStartsCleared() {
        frmDVD* w = open(0);
        QCOMPARE(w->windowTitle(), QString("DVD Film"));
        QCOMPARE(w->ID, 0L);
        QCOMPARE(w->Vysledek, 0);
        QCOMPARE(w->txtDisk->text(), QString("1"));
        QVERIFY(w->optJazyk[0]->isChecked());
        QCOMPARE(w->optJazyk[2]->text(), QString("neuvedeno"));
        QCOMPARE(w->cboOddel->currentIndex(), 0);
        QCOMPARE(w->cboOddel->currentText(), QString("Filmy"));
        for (QLineEdit* box : {w->txtKatalog, w->txtCZName, w->txtPuvName, w->txtZanr, w->txtStat, w->txtRok,
                               w->txtRezie, w->txtDelka})
            QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
        for (QPlainTextEdit* box : {w->txtPopis, w->txtHerci, w->txtPozn}) QVERIFY(box->toPlainText().isEmpty());
        QCOMPARE(flags(w->chkMenu), QString("NNNNN"));
        QCOMPARE(flags(w->chkSound), QString("NNNNNNNNN"));
        QCOMPARE(flags(w->chkTitle), QString("NNNNNNN"));
        QVERIFY(w->lblObal->text().isEmpty() && w->lblNahled->text().isEmpty());
        QVERIFY(w->imgObalDesk[0]->pixmap().isNull() && w->imgObalDesk[1]->pixmap().isNull());
        // the lists in the catalogue's order, with their keys
        QCOMPARE(w->lstZanr->count(), schema::DefaultGenres().size());
        QCOMPARE(w->lstZanr->item(0)->text(), schema::DefaultGenres()[0]);
        QVERIFY(selectedGenres(w->lstZanr).isEmpty());
        QCOMPARE(w->cboOddel->count(), schema::DefaultDepartments().size());
        QCOMPARE(w->cboOddel->itemData(1).toLongLong(),
                 dir->scalar("SELECT ODID FROM tOddeleni WHERE OdJm='Seriály'").toLong());
        // first page shown, the picker and the path labels hidden, no default button
        QVERIFY(w->picTab[0]->isVisible() && !w->picTab[1]->isVisible());
        QVERIFY(!w->picZanr->isVisible());
        QVERIFY(!w->lblObal->isVisible());
        QVERIFY(!w->cmdSave->autoDefault() && !w->cmdSave->isDefault());
        QCOMPARE(w->cmdSave->text(), QString("Uložit"));
        QCOMPARE(w->cmdStorno->text(), QString("Storno"));
        QVERIFY(w->findChild<QPushButton*>("cmdFindNet") && w->findChild<QPushButton*>("Command4"));
    }

    void tabShowsItsPageInTheClientArea() {
        frmDVD* w = open(0);
        clickTab(w, 3);
        QCOMPARE(w->tabMain->SelectedIndex(), 3);
        for (int i = 0; i < 4; ++i) QCOMPARE(w->picTab[i]->isVisible(), i == 2);
        const QRect client = w->tabMain->ClientArea();
        QCOMPARE(w->picTab[2]->geometry(), client);
        // inside the strip, under its tabs
        QVERIFY(w->tabMain->geometry().contains(client));
        QVERIFY(client.top() >= w->tabMain->y() + w->tabMain->Tabs()->height() - 1);
        QVERIFY(w->chkSound[8]->isVisible());
        clickTab(w, 1);
        QVERIFY(w->picTab[0]->isVisible() && !w->picTab[2]->isVisible());
    }

    void savesANewFilmFromEveryPage() {
        const long serialy = dir->scalar("SELECT ODID FROM tOddeleni WHERE OdJm='Seriály'").toLong();
        frmDVD* w = open(0);
        w->txtKatalog->setText("   "); // blank: the film's own id
        w->txtCZName->setText("Pelíšky");
        w->txtPuvName->setText("Cosy Dens");
        w->txtZanr->setText("Komedie");
        w->txtDisk->setText("2,5");
        w->txtPopis->setPlainText("Řádek 1\nŘádek 2");
        tick(w->optJazyk[1]);
        clickTab(w, 2);
        w->txtStat->setText("ČR");
        w->txtRok->setText("1999");
        w->txtRezie->setText(QString("Jan Hřebejk").leftJustified(40, 'x'));
        w->txtDelka->setText("115 min");
        w->cboOddel->setCurrentIndex(1);
        w->txtHerci->setPlainText("Miroslav Donutil");
        w->txtPozn->setPlainText("Vánoční film");
        clickTab(w, 3);
        tick(w->chkMenu[0]);
        tick(w->chkMenu[3]);
        tick(w->chkSound[0]);
        tick(w->chkSound[2]);
        tick(w->chkTitle[6]);
        click(w, "cmdSave");

        QCOMPARE(rec->count(), 0);
        QCOMPARE(w->Vysledek, 1);
        QVERIFY(!w->isVisible());
        QVERIFY(w->ID > 0);
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(1));
        const auto r = film(w->ID);
        QCOMPARE(r["KatCisl"], Variant(QString::number(w->ID)));
        QCOMPARE(r["CZJm"], Variant("Pelíšky"));
        QCOMPARE(r["PuvJm"], Variant("Cosy Dens"));
        QCOMPARE(r["Zanr"], Variant("Komedie"));
        QCOMPARE(r["DiskPocet"], Variant(2)); // half to even
        QCOMPARE(r["Obsah"], Variant("Řádek 1\nŘádek 2"));
        QCOMPARE(r["Jazyk"], Variant(1));
        QCOMPARE(r["Stat"], Variant("ČR"));
        QCOMPARE(r["Rok"], Variant("1999"));
        QCOMPARE(r["Rezie"].toString().size(), 35);
        QCOMPARE(r["Rezie"], Variant(QString("Jan Hřebejk").leftJustified(35, 'x')));
        QCOMPARE(r["Delka"], Variant("115"));
        QCOMPARE(r["Oddel_ID"], Variant(serialy));
        QCOMPARE(r["Herci"], Variant("Miroslav Donutil"));
        QCOMPARE(r["Poznamka"], Variant("Vánoční film"));
        QCOMPARE(r["Nabidka"], Variant("A|N|N|A|N"));
        QCOMPARE(r["JazykDetail"], Variant("A|N|A|N|N|N|N|N|N"));
        QCOMPARE(r["Titulky"], Variant("N|N|N|N|N|N|A"));
        QCOMPARE(r["Obal_ID"], Variant(0));
        QCOMPARE(r["Nahled_ID"], Variant(0));
    }

    void typedCatalogueNumberIsKeptAsTyped() {
        frmDVD* w = open(0);
        w->txtKatalog->setText(" A-17 ");
        click(w, "cmdSave");
        QCOMPARE(film(w->ID)["KatCisl"], Variant(" A-17 "));
    }

    void runningTimeIsCleanedUp_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("minutes") << "120 min" << "120";
        QTest::newRow("hours with point") << "1.45" << "145";
        QTest::newRow("upper-case Min") << "95 Min" << "0";
        QTest::newRow("hours word") << "2 hod" << "0";
        QTest::newRow("short number") << "90" << "90";
        QTest::newRow("short text") << "abc" << "abc";
        QTest::newRow("four blanks") << "    " << "0";
        QTest::newRow("empty") << "" << "";
    }
    void runningTimeIsCleanedUp() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        frmDVD* w = open(0);
        w->txtDelka->setText(typed);
        click(w, "cmdSave");
        QCOMPARE(w->txtDelka->text(), stored);
        QCOMPARE(film(w->ID)["Delka"], Variant(stored));
    }

    void discCountConvertsByCzechRules_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Variant>("stored");
        QTest::newRow("comma half down to even") << "2,5" << Variant(2);
        QTest::newRow("point half down to even") << "2.5" << Variant(2);
        QTest::newRow("half up to even") << "3,5" << Variant(4);
        QTest::newRow("blanks around") << " 3 " << Variant(3);
        QTest::newRow("not a number keeps the field") << "dva" << Variant(5);
        QTest::newRow("empty keeps the field") << "" << Variant(5);
    }
    void discCountConvertsByCzechRules() {
        QFETCH(QString, typed);
        QFETCH(Variant, stored);
        const long id = dir->insertFilm("Disky", {{"DiskPocet", 5}});
        frmDVD* w = open(id);
        QCOMPARE(w->txtDisk->text(), QString("5"));
        w->txtDisk->setText(typed);
        click(w, "cmdSave");
        QCOMPARE(w->Vysledek, 1);
        QCOMPARE(film(id)["DiskPocet"], stored);
    }

    void loadsAnExistingFilm() {
        const long koncerty = dir->scalar("SELECT ODID FROM tOddeleni WHERE OdJm='Koncerty'").toLong();
        const long id = dir->insertFilm(
            "Kolja", {{"KatCisl", "K-1"},   {"PuvJm", "Kolya"},       {"Zanr", "Drama"},
                      {"DiskPocet", 3},     {"Obsah", "Violoncellista"}, {"Jazyk", 2},
                      {"Stat", "ČR"},       {"Rezie", "Jan Svěrák"},  {"Delka", "105"},
                      {"Rok", "1996"},      {"Oddel_ID", koncerty},   {"Herci", "Zdeněk Svěrák"},
                      {"Poznamka", "Oscar"}, {"Nabidka", "A|N|A|N|A"}, {"JazykDetail", "N|A"},
                      {"Titulky", "A|A|N|N|N|N|A"}});
        frmDVD* w = open(id);
        QCOMPARE(w->ID, id);
        QCOMPARE(w->txtKatalog->text(), QString("K-1"));
        QCOMPARE(w->txtCZName->text(), QString("Kolja"));
        QCOMPARE(w->txtPuvName->text(), QString("Kolya"));
        QCOMPARE(w->txtZanr->text(), QString("Drama"));
        QCOMPARE(w->txtDisk->text(), QString("3"));
        QCOMPARE(w->txtPopis->toPlainText(), QString("Violoncellista"));
        QVERIFY(w->optJazyk[2]->isChecked()); // "neuvedeno"
        QCOMPARE(w->txtStat->text(), QString("ČR"));
        QCOMPARE(w->txtRezie->text(), QString("Jan Svěrák"));
        QCOMPARE(w->txtDelka->text(), QString("105"));
        QCOMPARE(w->txtRok->text(), QString("1996"));
        QCOMPARE(w->cboOddel->currentText(), QString("Koncerty"));
        QCOMPARE(w->txtHerci->toPlainText(), QString("Zdeněk Svěrák"));
        QCOMPARE(w->txtPozn->toPlainText(), QString("Oscar"));
        QCOMPARE(flags(w->chkMenu), QString("ANANA"));
        QCOMPARE(flags(w->chkSound), QString("NANNNNNNN"));
        QCOMPARE(flags(w->chkTitle), QString("AANNNNA"));

        // saved unchanged: the row reads the same but for the full flag string and the picture ids
        auto expected = film(id);
        expected["JazykDetail"] = "N|A|N|N|N|N|N|N|N";
        expected["Obal_ID"] = 0;
        expected["Nahled_ID"] = 0;
        click(w, "cmdSave");
        QCOMPARE(w->Vysledek, 1);
        QCOMPARE(film(id), expected);
    }

    void flagStringsAreReadLeniently_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("savedAgain");
        QTest::newRow("five N") << "N|N|N|N|N" << "NNNNN" << "N|N|N|N|N";
        QTest::newRow("A alone") << "A" << "ANNNN" << "A|N|N|N|N";
        QTest::newRow("lower-case a") << "a|A|x|A" << "NANAN" << "N|A|N|A|N";
        QTest::newRow("extra parts") << "A|A|A|A|A|A|N|A" << "AAAAA" << "A|A|A|A|A";
        QTest::newRow("empty") << "" << "NNNNN" << "N|N|N|N|N";
    }
    void flagStringsAreReadLeniently() {
        QFETCH(QString, stored);
        QFETCH(QString, boxes);
        QFETCH(QString, savedAgain);
        const long id = dir->insertFilm("Menu", {{"Nabidka", stored}});
        frmDVD* w = open(id);
        QCOMPARE(flags(w->chkMenu), boxes);
        click(w, "cmdSave");
        QCOMPARE(film(id)["Nabidka"], Variant(savedAgain));
    }

    void nullFieldsLeaveTheClearedState() {
        // a film with nothing but its name: Null everywhere, an unknown department and language
        const long id = dir->insertFilm("Prázdný", {{"Oddel_ID", 999}, {"Jazyk", 7}});
        // a window that showed another film first keeps no trace of it in the cleared controls
        frmDVD* w = open(0);
        w->txtZanr->setText("Horor");
        w->txtDisk->setText("4");
        tick(w->optJazyk[2]);
        clickTab(w, 3);
        tick(w->chkTitle[1]);
        w->Inicializuj(id);
        QCOMPARE(w->txtZanr->text(), QString());
        QCOMPARE(w->txtDisk->text(), QString("1"));
        QVERIFY(w->optJazyk[0]->isChecked()); // no option 7
        QCOMPARE(flags(w->chkTitle), QString("NNNNNNN"));
        QCOMPARE(w->cboOddel->currentIndex(), -1); // department gone: none shown
        QCOMPARE(w->cboOddel->currentText(), QString());

        click(w, "cmdSave");
        QCOMPARE(rec->count(), 0);
        const auto r = film(id);
        QCOMPARE(r["DiskPocet"], Variant(1));
        QCOMPARE(r["Jazyk"], Variant(0));
        QCOMPARE(r["Oddel_ID"], Variant(999)); // kept
        QCOMPARE(r["Zanr"], Variant(""));
    }

    void typedDepartmentTextPicksTheMatchingEntry() {
        const long id = dir->insertFilm("Oddělení", {{"Oddel_ID", 999}});
        frmDVD* w = open(id);
        w->cboOddel->setEditText("Pro děti");
        click(w, "cmdSave");
        QCOMPARE(film(id)["Oddel_ID"], dir->scalar("SELECT ODID FROM tOddeleni WHERE OdJm='Pro děti'"));
    }

    void stornoAndCloseBoxLeaveTheRow() {
        const long id = dir->insertFilm("Beze změny", {{"Delka", "100 min"}});
        const auto before = film(id);
        frmDVD* w = open(id);
        w->txtCZName->setText("Změněno");
        w->txtDelka->setText("120 min");
        QTest::keyClick(w->txtCZName, Qt::Key_Escape); // Esc does not end the dialog
        QVERIFY(w->isVisible());
        QTest::keyClick(w->txtCZName, Qt::Key_Return); // nor does Enter press a button
        QVERIFY(w->isVisible());
        QCOMPARE(w->Vysledek, 0);
        click(w, "cmdStorno");
        QCOMPARE(w->Vysledek, 2);
        QVERIFY(!w->isVisible());
        QCOMPARE(film(id), before);

        frmDVD* w2 = open(id);
        w2->txtCZName->setText("Změněno");
        w2->close();
        QVERIFY(!w2->isVisible());
        QCOMPARE(w2->Vysledek, 0);
        QCOMPARE(film(id), before);
    }

    void filmDeletedMeanwhile() {
        const long id = dir->insertFilm("Smazaný");
        frmDVD* w = open(id);
        dir->execute(QString("DELETE FROM tDVD WHERE DVDID=%1").arg(id));
        w->txtCZName->setText("Nový název");
        click(w, "cmdSave");
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().text, QString("Záznam nenalezen! (cmdSAVE,frmDVD)"));
        QCOMPARE(rec->last().title, QString("Chyba aplikace"));
        QCOMPARE(rec->last().icon(), int(vb::vbCritical));
        rec->clear();
        QCOMPARE(w->Vysledek, 1);
        QCOMPARE(w->ID, id);
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(0)); // no row made up

        // loading it shows the same box and a new film's state
        frmDVD* w2 = open(id);
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().text, QString("Záznam nenalezen! (cmdSAVE,frmDVD)"));
        rec->clear();
        QCOMPARE(w2->txtDisk->text(), QString("1"));
        QVERIFY(w2->txtCZName->text().isEmpty());
    }

    void genrePicker() {
        frmDVD* w = open(0);
        w->txtZanr->setText("Vlastní žánr");
        click(w, "Command1");
        QVERIFY(w->picZanr->isVisible());
        QVERIFY(selectedGenres(w->lstZanr).isEmpty()); // not read from the text
        selectGenres(w->lstZanr, {"Komedie", "Drama"});
        click(w, "Command2");
        QVERIFY(!w->picZanr->isVisible());
        QCOMPARE(w->txtZanr->text(), QString("Drama, Komedie")); // list order

        // the selection lasts; closing with Command3 changes nothing
        click(w, "Command1");
        QCOMPARE(selectedGenres(w->lstZanr), QStringList({"Drama", "Komedie"}));
        selectGenres(w->lstZanr, {"Horor"});
        click(w, "Command3");
        QVERIFY(!w->picZanr->isVisible());
        QCOMPARE(w->txtZanr->text(), QString("Drama, Komedie"));

        // nothing chosen: the text goes, even a typed one
        click(w, "Command1");
        w->lstZanr->clearSelection();
        w->txtZanr->setText("napsáno");
        click(w, "Command2");
        QCOMPARE(w->txtZanr->text(), QString());

        // one genre alone, however short its name
        dir->insertGenre("X");
        w->Refresh_ZanrLST();
        click(w, "Command1");
        selectGenres(w->lstZanr, {"X"});
        click(w, "Command2");
        QCOMPARE(w->txtZanr->text(), QString("X"));
    }

    void codeListFailures() {
        // an empty genre table: an empty list, no message
        dir->execute("DELETE FROM tZanr");
        {
            frmDVD w;
            QCOMPARE(w.lstZanr->count(), 0);
            QCOMPARE(rec->count(), 0);
        }
        // tables gone: each list reports once with its procedure's name
        dir->execute("DROP TABLE tZanr");
        dir->execute("DROP TABLE tOddeleni");
        frmDVD w;
        QCOMPARE(rec->count(), 2);
        QVERIFY(rec->boxes()[0].text.endsWith("\nChyba : Refresh_ZanrCBO, frmDVD"));
        QVERIFY(rec->boxes()[1].text.endsWith("\nChyba : Refresh_OddelCBO, frmDVD"));
        for (const auto& box : rec->boxes()) {
            QCOMPARE(box.title, QString("Chyba Aplikace"));
            QCOMPARE(box.icon(), int(vb::vbCritical));
            QVERIFY(box.text.size() > QString("\nChyba : Refresh_OddelCBO, frmDVD").size()); // a description first
        }
        rec->clear();
        QCOMPARE(w.lstZanr->count(), 0);
        QCOMPARE(w.cboOddel->count(), 0);
        QVERIFY(w.isEnabled());
    }

    void openingACoverKeepsItsFolder() {
        const QString path = writePicture(dir->path() + "/Obrazy/film.jpg", Qt::red);
        filedialogs::Script dialogs;
        dialogs.answer(path);
        frmDVD* w = open(0);
        clickTab(w, 4);
        click(w, "cmdOpenObalPic");
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(w->lblObal->text(), path);
        QCOMPARE(GetSett("Covers"), dir->path() + "/Obrazy/");
        QVERIFY(!w->imgObalDesk[0]->pixmap().isNull());

        const QString preview = writePicture(dir->path() + "/nahled.jpg", Qt::blue);
        dialogs.answer(preview);
        click(w, "cmdOpenNahledPic");
        QCOMPARE(w->lblNahled->text(), preview);
        QCOMPARE(GetSett("Nahled"), dir->path() + "/");
        QVERIFY(!w->imgObalDesk[1]->pixmap().isNull());

        // cancelled: no picture, no folder
        dialogs.cancel();
        click(w, "cmdOpenObalPic");
        QVERIFY(w->lblObal->text().isEmpty());
        QVERIFY(w->imgObalDesk[0]->pixmap().isNull());
        QCOMPARE(GetSett("Covers", "?"), QString());
    }

    void fileThatIsNoPictureChangesNothing() {
        const QString good = writePicture(dir->path() + "/a.jpg", Qt::green);
        const QString bad = dir->path() + "/b.jpg";
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a picture");
        f.close();
        filedialogs::Script dialogs;
        dialogs.answer(good);
        dialogs.answer(bad);
        frmDVD* w = open(0);
        click(w, "cmdOpenObalPic");
        click(w, "cmdOpenObalPic");
        QCOMPARE(rec->count(), 1);
        QVERIFY(rec->last().text.contains(bad));
        rec->clear();
        QCOMPARE(w->lblObal->text(), good);
        QVERIFY(!w->imgObalDesk[0]->pixmap().isNull());
        QVERIFY(w->isVisible());
    }

    void savingThePictureCopiesTheFilmsOwn() {
        // a working file left by another film must not be what is saved
        writePicture(dir->dataPath() + "obal.jpg", Qt::black);
        const QString own = writePicture(dir->path() + "/vlastni.jpg", Qt::white);
        const QString target = dir->path() + "/kopie.jpg";
        QFile::copy(dir->dataPath() + "obal.jpg", target); // an existing target is replaced
        filedialogs::Script dialogs;
        frmDVD* w = open(0);

        // nothing to save yet: said, and no dialog
        click(w, "cmdSaveObal");
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().icon(), int(vb::vbInformation));
        rec->clear();
        QCOMPARE(dialogs.count(), 0);

        dialogs.answer(own);
        click(w, "cmdOpenObalPic");
        dialogs.cancel();
        click(w, "cmdSaveObal"); // cancelled: nothing copied
        QCOMPARE(dialogs.count(), 2);
        QFile t0(target);
        QVERIFY(t0.open(QIODevice::ReadOnly));
        QFile w0(dir->dataPath() + "obal.jpg");
        QVERIFY(w0.open(QIODevice::ReadOnly));
        QCOMPARE(t0.readAll(), w0.readAll());
        t0.close();

        dialogs.answer(target);
        click(w, "cmdSaveObal");
        QCOMPARE(dialogs.last().kind, filedialogs::Kind::Save);
        QFile a(target), b(own);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), b.readAll());

        // the preview button says so when there is none
        click(w, "cmdSaveNahled");
        QCOMPARE(rec->count(), 1);
        rec->clear();
        QCOMPARE(rec->count(), 0);
    }

    void picturesGoToTheStore() {
        const QString cover = writePicture(dir->path() + "/obal1.jpg", Qt::red);
        const QString preview = writePicture(dir->path() + "/nahled1.jpg", Qt::blue);
        filedialogs::Script dialogs;
        dialogs.answer(cover);
        dialogs.answer(preview);
        frmDVD* w = open(0);
        click(w, "cmdOpenObalPic");
        click(w, "cmdOpenNahledPic");
        click(w, "cmdSave");
        const long id = w->ID;
        const auto pics = dir->rows("SELECT * FROM tPicture ORDER BY PicID", dir->picturesPath());
        QCOMPARE(pics.size(), 2);
        QCOMPARE(pics[0]["PicSkup"], Variant("O"));
        QCOMPARE(pics[0]["PicDVDID"], Variant(id));
        QCOMPARE(pics[0]["PicSize"], Variant(qint64(bytes(cover).size())));
        QCOMPARE(pics[1]["PicSkup"], Variant("N"));
        auto r = film(id);
        QCOMPARE(r["Obal_ID"], pics[0]["PicID"]);
        QCOMPARE(r["Nahled_ID"], pics[1]["PicID"]);

        // shown again from the store, saved again into the same rows
        w = open(id);
        QCOMPARE(w->lblObal->text(), dir->dataPath() + "obal.jpg");
        QCOMPARE(bytes(w->lblObal->text()), bytes(cover));
        QVERIFY(!w->imgObalDesk[0]->pixmap().isNull() && !w->imgObalDesk[1]->pixmap().isNull());
        click(w, "cmdSave");
        QCOMPARE(film(id), r);
        QCOMPARE(dir->scalar("SELECT count(*) FROM tPicture", dir->picturesPath()), Variant(2));

        // the cover removed: its link goes, the preview stays
        w = open(id);
        dialogs.cancel();
        click(w, "cmdOpenObalPic");
        click(w, "cmdSave");
        r = film(id);
        QCOMPARE(r["Obal_ID"], Variant(0));
        QCOMPARE(r["Nahled_ID"], pics[1]["PicID"]);
    }

    void pictureNotLoadedKeepsItsLink() {
        const long id = dir->insertFilm("Bez obrázku", {{"Obal_ID", 999}});
        frmDVD* w = open(id);
        QCOMPARE(rec->count(), 1); // the store says the picture is not there
        rec->clear();
        QVERIFY(w->lblObal->text().isEmpty());
        click(w, "cmdSaveObal"); // nothing to copy
        QCOMPARE(rec->count(), 1);
        rec->clear();
        click(w, "cmdSave");
        QCOMPARE(w->Vysledek, 1);
        QCOMPARE(film(id)["Obal_ID"], Variant(999));
    }

    void pictureNotStoredKeepsTheEarlierId() {
        const QString first = writePicture(dir->path() + "/prvni.jpg", Qt::red);
        const QString second = writePicture(dir->path() + "/druhy.jpg", Qt::green);
        const long id = dir->insertFilm("Obal");
        const long picId = SaveObalPic(id, first);
        QVERIFY(picId > 0);
        dir->execute(QString("UPDATE tDVD SET Obal_ID=%1 WHERE DVDID=%2").arg(picId).arg(id));

        filedialogs::Script dialogs;
        dialogs.answer(second);
        frmDVD* w = open(id);
        click(w, "cmdOpenObalPic");
        WriteProtectedFile wp(dir->picturesPath());
        if (!wp.isProtected()) QSKIP(qPrintable(wp.why()));
        click(w, "cmdSave");
        QVERIFY(rec->count() >= 1); // the store's own message
        rec->clear();
        QCOMPARE(w->Vysledek, 1);
        QCOMPARE(film(id)["Obal_ID"], Variant(picId));
        // a new film whose cover cannot be stored has none
        dialogs.answer(second);
        w = open(0);
        click(w, "cmdOpenObalPic");
        click(w, "cmdSave");
        rec->clear();
        QCOMPARE(film(w->ID)["Obal_ID"], Variant(0));
    }

    void editingFromTheMainWindow() {
        const long jaws = dir->insertFilm("Čelisti", {{"Zanr", "Horor"}, {"PuvJm", "Jaws"}, {"Jazyk", 0}});
        dir->insertFilm("Cesta");
        const QString cover = writePicture(dir->path() + "/Obrazy/celisti.jpg", Qt::darkBlue);
        filedialogs::Script dialogs;
        dialogs.answer(cover);
        QPointer<frmMaster> m = new frmMaster;
        m->show();
        ListView* lv = m->lvwList;
        lv->setSelectedItem(lv->Item(QString("K%1").arg(jaws)));

        bool edited = false;
        QTimer::singleShot(0, [&] {
            auto* ed = qobject_cast<frmDVD*>(QApplication::activeModalWidget());
            if (!ed || ed->ID != jaws || ed->txtCZName->text() != "Čelisti") return;
            QCOMPARE(ed->parentWidget(), m.data());
            ed->txtCZName->setText("Čelisti 2");
            ed->txtKatalog->setText("C-2");
            click(ed, "Command1");
            selectGenres(ed->lstZanr, {"Thriller", "Horor"});
            click(ed, "Command2");
            tick(ed->optJazyk[1]);
            clickTab(ed, 2);
            ed->txtRezie->setText("Steven Spielberg");
            ed->txtDelka->setText("124 min");
            ed->cboOddel->setCurrentIndex(2);
            clickTab(ed, 3);
            tick(ed->chkTitle[2]);
            clickTab(ed, 4);
            click(ed, "cmdOpenObalPic");
            click(ed, "cmdSave");
            edited = true;
        });
        QTest::mouseClick(m->Toolbar2->widgetForAction(m->findChild<QAction*>("KeyEdit")), Qt::LeftButton);
        QVERIFY(edited);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!m->findChild<frmDVD*>()); // the editor is gone

        const auto r = film(jaws);
        QCOMPARE(r["CZJm"], Variant("Čelisti 2"));
        QCOMPARE(r["KatCisl"], Variant("C-2"));
        QCOMPARE(r["Zanr"], Variant("Horor, Thriller"));
        QCOMPARE(r["Jazyk"], Variant(1));
        QCOMPARE(r["Rezie"], Variant("Steven Spielberg"));
        QCOMPARE(r["Delka"], Variant("124"));
        QCOMPARE(r["Oddel_ID"], dir->scalar("SELECT ODID FROM tOddeleni WHERE OdJm='Dokumenty'"));
        QCOMPARE(r["Titulky"], Variant("N|N|A|N|N|N|N"));
        const auto pics = dir->rows("SELECT * FROM tPicture", dir->picturesPath());
        QCOMPARE(pics.size(), 1);
        QCOMPARE(pics[0]["PicDVDID"], Variant(jaws));
        QCOMPARE(pics[0]["PicSkup"], Variant("O"));
        QCOMPARE(r["Obal_ID"], pics[0]["PicID"]);
        QCOMPARE(GetSett("Covers"), dir->path() + "/Obrazy/");

        ListItem* row = lv->Item(QString("K%1").arg(jaws));
        QCOMPARE(row->Text(), QString("C-2"));
        QCOMPARE(row->SubItem(1), QString("Čelisti 2"));
        QCOMPARE(row->SubItem(2), QString("Horor, Thriller"));
        QCOMPARE(row->SubItem(6), QString("CZ Titulky"));

        // "Nový": a new row in the list under the film's own number
        QTimer::singleShot(0, [&] {
            auto* ed = qobject_cast<frmDVD*>(QApplication::activeModalWidget());
            if (!ed || ed->ID != 0) return;
            ed->txtCZName->setText("Vetřelec");
            click(ed, "cmdSave");
        });
        QTest::mouseClick(m->Toolbar2->widgetForAction(m->findChild<QAction*>("KeyAddNew")), Qt::LeftButton);
        QCOMPARE(lv->Count(), 3);
        const long alien = dir->scalar("SELECT DVDID FROM tDVD WHERE CZJm='Vetřelec'").toLong();
        QCOMPARE(lv->Item(QString("K%1").arg(alien))->Text(), QString::number(alien));

        // "Storno" from the pop-up's "Upravit": nothing changes
        lv->setSelectedItem(lv->Item(QString("K%1").arg(jaws)));
        QTimer::singleShot(0, [&] {
            auto* ed = qobject_cast<frmDVD*>(QApplication::activeModalWidget());
            if (!ed) return;
            ed->txtCZName->setText("Zahozeno");
            click(ed, "cmdStorno");
        });
        m->findChild<QAction*>("mnuPopUpravit")->trigger();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(film(jaws)["CZJm"], Variant("Čelisti 2"));
        QCOMPARE(row->SubItem(1), QString("Čelisti 2"));
        delete m.data();
    }

    void lockedCatalogueKeepsTheEditorOpen() {
        const long id = dir->insertFilm("Zamčený");
        const auto before = film(id);
        ado::Connection other;
        other.Open(schema::ConnString(dir->cataloguePath()));
        other.Execute("BEGIN IMMEDIATE"); // others read, nobody else writes

        // an existing film
        frmDVD* w = open(id);
        w->txtCZName->setText("Přejmenovaný");
        w->txtDelka->setText("99 min");
        click(w, "cmdSave");
        QCOMPARE(rec->count(), 1);
        QVERIFY(rec->last().text.startsWith("Film se nepodařilo uložit do katalogu."));
        QCOMPARE(rec->last().title, QString("Chyba aplikace"));
        QCOMPARE(rec->last().icon(), int(vb::vbCritical));
        rec->clear();
        QVERIFY(w->isVisible());
        QCOMPARE(w->Vysledek, 0);
        QCOMPARE(w->ID, id);
        QCOMPARE(w->txtCZName->text(), QString("Přejmenovaný"));

        // a new film
        frmDVD* n = nullptr;
        std::unique_ptr<frmDVD> first = std::move(win);
        n = open(0);
        n->txtCZName->setText("Nový");
        click(n, "cmdSave");
        QCOMPARE(rec->count(), 1);
        rec->clear();
        QVERIFY(n->isVisible());
        QCOMPARE(n->Vysledek, 0);
        QCOMPARE(n->ID, 0L);

        // once free, the same windows save what they hold, the new film once
        other.Execute("ROLLBACK");
        QCOMPARE(film(id), before);
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(1));
        click(first.get(), "cmdSave");
        QCOMPARE(first->Vysledek, 1);
        QCOMPARE(film(id)["CZJm"], Variant("Přejmenovaný"));
        QCOMPARE(film(id)["Delka"], Variant("99"));
        click(n, "cmdSave");
        QCOMPARE(n->Vysledek, 1);
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(2));
        QCOMPARE(film(n->ID)["CZJm"], Variant("Nový"));
        QCOMPARE(rec->count(), 0);
    }

    void failedFieldWriteDropsTheNewRow() {
        // the new row goes in, writing its fields fails
        const long kept = dir->insertFilm("Starý");
        dir->execute("CREATE TRIGGER tNoUpdate BEFORE UPDATE ON tDVD BEGIN SELECT RAISE(ABORT, 'no update'); END");
        frmDVD* w = open(0);
        w->txtCZName->setText("Nový");
        click(w, "cmdSave");
        QCOMPARE(rec->count(), 1);
        QVERIFY(rec->last().text.contains("no update"));
        rec->clear();
        QVERIFY(w->isVisible());
        QCOMPARE(w->Vysledek, 0);
        QCOMPARE(w->ID, 0L);
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(1)); // no empty row left
        // an existing film whose update fails likewise stays open and unchanged
        frmDVD* e = open(kept);
        e->txtCZName->setText("Jiný");
        click(e, "cmdSave");
        QCOMPARE(rec->count(), 1);
        rec->clear();
        QCOMPARE(e->Vysledek, 0);
        QCOMPARE(film(kept)["CZJm"], Variant("Starý"));
        dir->execute("DROP TRIGGER tNoUpdate");
        click(e, "cmdSave");
        QCOMPARE(e->Vysledek, 1);
        QCOMPARE(film(kept)["CZJm"], Variant("Jiný"));
    }

    void writeProtectedCatalogueKeepsTheEditorOpen() {
        const long id = dir->insertFilm("Chráněný");
        frmDVD* w = open(id);
        WriteProtectedFile wp(dir->cataloguePath());
        if (!wp.isProtected()) QSKIP(qPrintable(wp.why()));
        w->txtCZName->setText("Jiný");
        click(w, "cmdSave");
        // the layer's own box with the reason, then the editor's
        QCOMPARE(rec->count(), 2);
        QVERIFY(rec->boxes()[0].text.contains("write-protected"));
        QVERIFY(rec->last().text.startsWith("Film se nepodařilo uložit do katalogu."));
        rec->clear();
        QVERIFY(w->isVisible());
        QCOMPARE(w->Vysledek, 0);
        QCOMPARE(w->txtCZName->text(), QString("Jiný"));
    }
};

DVD_TEST_MAIN(TestFrmDVD)
#include "tst_frmdvd.moc"
