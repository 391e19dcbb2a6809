#include "records/frmDVD.h"

#include "core/Main.h"
#include "core/frmMaster.h"
#include "core/mDatabase.h"
#include "core/schema.h"

#include "controls.h"
#include "filedialogs.h"
#include "filesizelimit.h"
#include "fixtures.h"
#include "listview.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabBar>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>

namespace {

using ado::Variant;

void click(QWidget* w, const char* name) {
    QTest::mouseClick(w->findChild<QPushButton*>(name), Qt::LeftButton);
}
// On the indicator: the box is wider than its caption.
void tick(QAbstractButton* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}
void clickTab(frmDVD* w, int tab) {
    QTest::mouseClick(w->tabMain->Tabs(), Qt::LeftButton, {}, w->tabMain->Tabs()->tabRect(tab - 1).center());
}
QString flags(const QList<QCheckBox*>& group) {
    QString out;
    for (QCheckBox* b : group)
        out += b->isChecked() ? 'A' : 'N';
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
void pickGenres(QListWidget* list, const QStringList& names) {
    for (const QString& n : names)
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->findItems(n, Qt::MatchExactly).value(0)).center());
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
        return dir->rows(QString("SELECT * FROM tDVD WHERE DVDID=%1").arg(id)).value(0);
    }
    Variant department(const char* name) {
        return dir->scalar(
            QString("SELECT ODID FROM tOddeleni WHERE OdJm='%1'").arg(QString::fromUtf8(name)));
    }
    // The editor's own failure box, taken.
    void expectSaveFailure(frmDVD* w) {
        QVERIFY(rec->count() >= 1);
        QVERIFY(rec->last().text.startsWith("Film se nepodařilo uložit do katalogu."));
        QCOMPARE(rec->last().title, QString("Chyba aplikace"));
        rec->clear();
        QVERIFY(w->isVisible());
        QCOMPARE(w->Vysledek, 0);
    }

private slots:
    void init() {
        testsupport::clearProgramSettings();
        rec = std::make_unique<msgbox::Recorder>();
        dir = std::make_unique<TestProgramDir>(true);
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        win.reset();
        dir.reset();
        const int unexpected = rec->count();
        rec.reset();
        QCOMPARE(unexpected, 0);
    }

    void newFilmAndPages() {
        frmDVD* w = open(0);
        QCOMPARE(w->windowTitle(), QString("DVD Film"));
        QCOMPARE(w->txtDisk->text(), QString("1"));
        QVERIFY(w->optJazyk[0]->isChecked());
        QCOMPARE(w->cboOddel->currentText(), QString("Filmy"));
        QCOMPARE(w->lstZanr->count(), schema::DefaultGenres().size());
        QVERIFY(w->lstZanr->selectedItems().isEmpty());
        for (QLineEdit* box :
             {w->txtKatalog, w->txtCZName, w->txtPuvName, w->txtZanr, w->txtRezie, w->txtDelka})
            QVERIFY(box->text().isEmpty());
        QCOMPARE(flags(w->chkMenu) + flags(w->chkSound) + flags(w->chkTitle), QString(21, 'N'));
        QVERIFY(w->lblObal->text().isEmpty() && w->imgObalDesk[0]->pixmap().isNull());
        QVERIFY(!w->picZanr->isVisible() && !w->lblObal->isVisible() && !w->cmdSave->autoDefault());

        clickTab(w, 3);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(w->picTab[i]->isVisible(), i == 2);
        QCOMPARE(w->picTab[2]->geometry(), w->tabMain->ClientArea());
        QVERIFY(w->tabMain->ClientArea().top() >= w->tabMain->y() + w->tabMain->Tabs()->height() - 1);
    }

    void savesANewFilm() {
        frmDVD* w = open(0);
        w->txtKatalog->setText("   "); // blank: the film's own id
        w->txtCZName->setText("Pelíšky");
        w->txtPuvName->setText("Cosy Dens");
        w->txtDisk->setText("2,5");
        w->txtPopis->setPlainText("Řádek 1\nŘádek 2");
        tick(w->optJazyk[1]);
        clickTab(w, 2);
        w->txtRezie->setText(QString("Jan Hřebejk").leftJustified(40, 'x'));
        w->txtDelka->setText("115 min");
        w->cboOddel->setCurrentIndex(1);
        w->txtPozn->setPlainText("Vánoční film");
        clickTab(w, 3);
        for (QCheckBox* box : {w->chkMenu[0], w->chkMenu[3], w->chkSound[2], w->chkTitle[6]})
            tick(box);
        click(w, "cmdSave");

        QCOMPARE(w->Vysledek, 1);
        QVERIFY(!w->isVisible() && w->ID > 0);
        const auto r = film(w->ID);
        const TestProgramDir::Row expected{{"DVDID", w->ID},
                                           {"KatCisl", QString::number(w->ID)},
                                           {"CZJm", "Pelíšky"},
                                           {"PuvJm", "Cosy Dens"},
                                           {"Zanr", ""},
                                           {"DiskPocet", 2},
                                           {"Obsah", "Řádek 1\r\nŘádek 2"}, // line ends as CR LF
                                           {"Jazyk", 1},
                                           {"Stat", ""},
                                           {"Rezie", QString("Jan Hřebejk").leftJustified(35, 'x')},
                                           {"Delka", "115"},
                                           {"Rok", ""},
                                           {"Oddel_ID", department("Seriály")},
                                           {"Herci", ""},
                                           {"Poznamka", "Vánoční film"},
                                           {"Nabidka", "A|N|N|A|N"},
                                           {"JazykDetail", "N|N|A|N|N|N|N|N|N"},
                                           {"Titulky", "N|N|N|N|N|N|A"},
                                           {"Obal_ID", 0},
                                           {"Nahled_ID", 0}};
        QCOMPARE(r, expected);
    }

    void typedValuesConvert_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Variant>("stored");
        QTest::addColumn<QString>("shown");
        const QString delka("Delka"), disk("DiskPocet");
        QTest::newRow("120 min") << delka << "120 min" << Variant("120") << "120";
        QTest::newRow("1.45") << delka << "1.45" << Variant("145") << "145";
        QTest::newRow("95 Min") << delka << "95 Min" << Variant("0") << "0";
        QTest::newRow("2 hod") << delka << "2 hod" << Variant("0") << "0";
        QTest::newRow("90") << delka << "90" << Variant("90") << "90";
        QTest::newRow("abc") << delka << "abc" << Variant("abc") << "abc";
        QTest::newRow("four blanks") << delka << "    " << Variant("0") << "0";
        QTest::newRow("2.5 discs") << disk << "2.5" << Variant(2) << "2.5";
        QTest::newRow("3,5 discs") << disk << "3,5" << Variant(4) << "3,5";
        QTest::newRow("no number keeps") << disk << "dva" << Variant(5) << "dva";
        QTest::newRow("catalogue as typed") << "KatCisl"
                                            << " A-17 " << Variant(" A-17 ") << " A-17 ";
    }
    void typedValuesConvert() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(Variant, stored);
        QFETCH(QString, shown);
        const long id = dir->insertFilm("Převody", {{"DiskPocet", 5}});
        frmDVD* w = open(id);
        QLineEdit* box = field == "Delka" ? w->txtDelka : field == "KatCisl" ? w->txtKatalog : w->txtDisk;
        box->setText(typed);
        click(w, "cmdSave");
        QCOMPARE(box->text(), shown);
        QCOMPARE(film(id)[field], stored);
    }

    void loadsAndSavesAnExistingFilm() {
        const long id = dir->insertFilm("Kolja", {{"KatCisl", "K-1"},
                                                  {"Zanr", "Drama"},
                                                  {"DiskPocet", 3},
                                                  {"Jazyk", 2},
                                                  {"Delka", "105"},
                                                  {"Herci", "Zdeněk Svěrák"},
                                                  {"Oddel_ID", department("Koncerty")},
                                                  {"Nabidka", "A|N|A|N|A"},
                                                  {"JazykDetail", "N|A"},
                                                  {"Titulky", "A|A|N|N|N|N|A"}});
        frmDVD* w = open(id);
        QCOMPARE(w->txtKatalog->text() + w->txtCZName->text() + w->txtZanr->text() + w->txtDisk->text(),
                 QString("K-1KoljaDrama3"));
        QVERIFY(w->optJazyk[2]->isChecked()); // "neuvedeno"
        QCOMPARE(w->cboOddel->currentText(), QString("Koncerty"));
        QCOMPARE(flags(w->chkMenu) + flags(w->chkSound) + flags(w->chkTitle),
                 QString("ANANANANNNNNNNAANNNNA"));
        auto expected = film(id);
        expected["JazykDetail"] = "N|A|N|N|N|N|N|N|N";
        expected["Obal_ID"] = expected["Nahled_ID"] = 0;
        for (const char* empty : {"PuvJm", "Obsah", "Stat", "Rezie", "Rok", "Poznamka"})
            expected[empty] = "";
        click(w, "cmdSave");
        QCOMPARE(film(id), expected);

        // Null fields, an unknown language and a department gone, in a window that showed other values
        const long bare = dir->insertFilm("Prázdný", {{"Oddel_ID", 999}, {"Jazyk", 7}});
        w = open(id);
        w->Inicializuj(bare);
        QCOMPARE(w->txtZanr->text() + w->txtDisk->text(), QString("1"));
        QVERIFY(w->optJazyk[0]->isChecked());
        QCOMPARE(w->cboOddel->currentIndex(), -1);
        click(w, "cmdSave");
        QCOMPARE(film(bare)["DiskPocet"], Variant(1));
        QCOMPARE(film(bare)["Jazyk"], Variant(0));
        QCOMPARE(film(bare)["Oddel_ID"], Variant(999));
    }

    // A film opened and saved unchanged is stored unchanged; an edited box
    // stores its line ends as CR LF; a director is cut at whole characters.
    void textComesBackUnchanged() {
        const QString longTitle = QString("Začátek ") + QString(40000, 'x');
        const QString obsah = QString::fromUtf8("a\u00a0b\u2028c\r\nd\re\nf\u2029g");
        const QString emoji = QString::fromUtf8("\U0001F3AC");
        const long id = dir->insertFilm(longTitle, {{"Obsah", obsah},
                                                    {"Herci", "Herec 1\nHerec 2"},
                                                    {"Poznamka", "p1\r\np2"},
                                                    {"Rezie", QString(34, 'r') + emoji + "zz"}});
        frmDVD* w = open(id);
        QCOMPARE(w->txtCZName->cursorPosition(), 0); // shown from its first character
        click(w, "cmdSave");
        auto r = film(id);
        QCOMPARE(r["CZJm"].toString(), longTitle);
        QCOMPARE(r["Obsah"].toString(), obsah);
        QCOMPARE(r["Herci"].toString(), QString("Herec 1\nHerec 2"));
        QCOMPARE(r["Rezie"].toString(), QString(34, 'r') + emoji);

        w = open(id);
        w->txtPozn->moveCursor(QTextCursor::End);
        QTest::keyClicks(w->txtPozn, "3");
        QTest::keyClick(w->txtHerci, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(w->txtHerci, Qt::Key_Return);
        click(w, "cmdSave");
        r = film(id);
        QCOMPARE(r["Poznamka"].toString(), QString("p1\r\np23"));
        QCOMPARE(r["Herci"].toString(), QString("Herec 1\r\nHerec 2\r\n"));
        QCOMPARE(r["Obsah"].toString(), obsah);
    }

    void aLongWordWrapsAnywhere() {
        // Laid out at word boundaries, one long word costs the square of its
        // length; the boxes wrap it anywhere, and the lists measure and paint
        // only the start of a long name.
        const long id = dir->insertFilm("Kolja", {{"Obsah", "Začátek " + QString(3000, 'x') + " konec"}});
        dir->insertGenre(QString(5000, 'g'));
        dir->insertGenre(QString(1100, 'g'));
        frmDVD* w = open(id);
        QCOMPARE(w->txtPopis->wordWrapMode(), QTextOption::WrapAnywhere);
        QCOMPARE(w->txtHerci->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        // Pasted by the user too.
        QApplication::clipboard()->setText(QString(1000, 'y'));
        w->txtPozn->paste();
        QCOMPARE(w->txtPozn->wordWrapMode(), QTextOption::WrapAnywhere);
        QCOMPARE(BoxText(w->txtPozn), QString(1000, 'y'));
        click(w, "Command1");
        const auto width = [w](int length) {
            const QList<QListWidgetItem*> found =
                w->lstZanr->findItems(QString(length, 'g'), Qt::MatchExactly);
            return found.isEmpty()
                       ? -1
                       : w->lstZanr->sizeHintForIndex(w->lstZanr->indexFromItem(found[0])).width();
        };
        QVERIFY(width(5000) > 0);
        QCOMPARE(width(5000), width(1100));
        // An ordinary text wraps at word boundaries again.
        w = open(dir->insertFilm("Pelíšky", {{"Obsah", "Vánoce 1967 v pražském činžáku."}}));
        QCOMPARE(w->txtPopis->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QCOMPARE(w->txtPozn->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    }

    void flagStrings_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("saved");
        QTest::newRow("five N") << "N|N|N|N|N"
                                << "NNNNN"
                                << "N|N|N|N|N";
        QTest::newRow("A alone") << "A"
                                 << "ANNNN"
                                 << "A|N|N|N|N";
        QTest::newRow("lower-case a") << "a|A|x|A"
                                      << "NANAN"
                                      << "N|A|N|A|N";
        QTest::newRow("extra parts") << "A|A|A|A|A|A|N"
                                     << "AAAAA"
                                     << "A|A|A|A|A";
    }
    void flagStrings() {
        QFETCH(QString, stored);
        QFETCH(QString, boxes);
        QFETCH(QString, saved);
        const long id = dir->insertFilm("Menu", {{"Nabidka", stored}});
        frmDVD* w = open(id);
        QCOMPARE(flags(w->chkMenu), boxes);
        click(w, "cmdSave");
        QCOMPARE(film(id)["Nabidka"], Variant(saved));
    }

    void stornoCloseBoxAndDeletedFilm() {
        const long id = dir->insertFilm("Beze změny", {{"Delka", "100 min"}});
        const auto before = film(id);
        frmDVD* w = open(id);
        w->txtDelka->setText("120 min");
        QTest::keyClick(w->txtDelka, Qt::Key_Escape); // neither Esc nor Enter ends the dialog
        QTest::keyClick(w->txtDelka, Qt::Key_Return);
        QVERIFY(w->isVisible());
        click(w, "cmdStorno");
        QCOMPARE(w->Vysledek, 2);
        QVERIFY(!w->isVisible());
        w = open(id);
        w->txtCZName->setText("Změněno");
        w->close();
        QCOMPARE(w->Vysledek, 0);
        QCOMPARE(film(id), before);

        // deleted meanwhile: said, nothing made up, and the dialog ends as saved
        w = open(id);
        dir->execute(QString("DELETE FROM tDVD WHERE DVDID=%1").arg(id));
        click(w, "cmdSave");
        QCOMPARE(w->Vysledek, 1);
        open(id);
        QCOMPARE(rec->count(), 2);
        for (const auto& box : rec->boxes())
            QVERIFY(box.text == "Záznam nenalezen! (cmdSAVE,frmDVD)" && box.title == "Chyba aplikace" &&
                    box.icon() == vb::vbCritical);
        rec->clear();
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(0));
    }

    // A film the catalogue would not give: said as a failed read, and the
    // blank form is never saved over it; a really missing film is "not found".
    void unreadFilmIsNeverOverwritten() {
        const long id = dir->insertFilm("Film 1", {{"Herci", "Herec"},
                                                   {"Obsah", "Děj"},
                                                   {"Rok", "1999"},
                                                   {"DiskPocet", 2},
                                                   {"Jazyk", 2},
                                                   {"Nabidka", "A|A|A|A|A"},
                                                   {"Obal_ID", 7},
                                                   {"Nahled_ID", 8}});
        const auto before = film(id);
        frmDVD* w = open(0);
        {
            ado::Connection other;
            other.Open(schema::ConnString(dir->cataloguePath()));
            other.Execute("BEGIN EXCLUSIVE"); // nobody else reads
            w->Inicializuj(id);
        }
        QCOMPARE(rec->count(), 1);
        QVERIFY2(rec->last().text.startsWith("Film se nepodařilo z katalogu načíst"),
                 qPrintable(rec->last().text));
        rec->clear();
        QCOMPARE(w->ID, id);
        w->txtCZName->setText("Nový název");
        click(w, "cmdSave"); // the catalogue is back: still nothing written
        QCOMPARE(rec->count(), 1);
        QVERIFY(rec->last().text.contains("nic neuložilo"));
        rec->clear();
        QVERIFY(w->isVisible() && w->Vysledek == 0);
        QCOMPARE(film(id), before);
    }

    // Written in part: the message does not offer Storno as a way back, and
    // after Storno the main list shows what the catalogue holds.
    void partlyWrittenSaveAndStorno() {
        const long id = dir->insertFilm("Starý název");
        dir->execute("CREATE TRIGGER tNoPicture BEFORE UPDATE OF Obal_ID ON tDVD WHEN NEW.Obal_ID <> 0 "
                     "BEGIN SELECT RAISE(ABORT, 'no picture'); END");
        filedialogs::Script dialogs;
        dialogs.answer(writePicture(dir->path() + "/obal.jpg", Qt::red));
        QPointer<frmMaster> m = new frmMaster;
        m->show();
        m->lvwList->setSelectedItem(m->lvwList->Item(QString("K%1").arg(id)));
        QString message;
        QTimer::singleShot(0, [&] {
            auto* ed = qobject_cast<frmDVD*>(QApplication::activeModalWidget());
            QVERIFY(ed);
            ed->txtCZName->setText("Nový název");
            click(ed, "cmdOpenObalPic");
            click(ed, "cmdSave");
            message = rec->last().text;
            rec->clear();
            click(ed, "cmdStorno");
        });
        m->findChild<QAction*>("mnuPopUpravit")->trigger();
        QVERIFY2(message.startsWith("Film se nepodařilo uložit celý") && message.contains("ponechá"),
                 qPrintable(message));
        QCOMPARE(film(id)["CZJm"], Variant("Nový název"));
        QCOMPARE(m->lvwList->Item(QString("K%1").arg(id))->SubItem(1), QString("Nový název"));
        delete m.data();
    }

    void genrePickerAndCodeLists() {
        frmDVD* w = open(0);
        w->txtZanr->setText("Vlastní");
        click(w, "Command1");
        QVERIFY(w->picZanr->isVisible() && w->lstZanr->selectedItems().isEmpty());
        pickGenres(w->lstZanr, {"Komedie", "Drama"});
        click(w, "Command2");
        QCOMPARE(w->txtZanr->text(), QString("Drama, Komedie")); // list order
        click(w, "Command1");
        QCOMPARE(w->lstZanr->selectedItems().size(), 2); // kept from the last use
        pickGenres(w->lstZanr, {"Horor"});
        click(w, "Command3");
        QVERIFY(!w->picZanr->isVisible());
        QCOMPARE(w->txtZanr->text(), QString("Drama, Komedie"));
        click(w, "Command1");
        w->lstZanr->clearSelection();
        click(w, "Command2");
        QCOMPARE(w->txtZanr->text(), QString());

        // the tables gone: each list reports once, after the description
        dir->execute("DROP TABLE tZanr");
        dir->execute("DROP TABLE tOddeleni");
        frmDVD broken;
        QCOMPARE(rec->count(), 2);
        QVERIFY(
            rec->boxes()[0].text.startsWith("Seznam žánrů nelze z katalogu načíst.\nChyba : Refresh_ZanrCBO, "
                                            "frmDVD\n\nDatabáze nemůže najít tabulku nebo dotaz 'tZanr'"));
        QVERIFY(rec->boxes()[1].text.startsWith("Seznam oddělení nelze z katalogu načíst.\nChyba : "
                                                "Refresh_OddelCBO, frmDVD"));
        QCOMPARE(rec->last().title, QString("Chyba Aplikace"));
        rec->clear();
    }

    void pictureButtons() {
        const QString cover = writePicture(dir->path() + "/Obrazy/film.jpg", Qt::red);
        const QString notPicture = dir->path() + "/text.jpg";
        QFile f(notPicture);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("text") == 4);
        f.close();
        writePicture(dir->dataPath() + "obal.jpg", Qt::black); // another film's working copy
        const QString target = dir->path() + "/kopie.jpg";
        filedialogs::Script dialogs;
        frmDVD* w = open(0);
        click(w, "cmdSaveObal"); // no picture: said, no dialog
        QCOMPARE(rec->count(), 1);
        rec->clear();
        QCOMPARE(dialogs.count(), 0);

        dialogs.answer(cover);
        click(w, "cmdOpenObalPic");
        QCOMPARE(w->lblObal->text(), cover);
        QCOMPARE(GetSett("Covers"), dir->path() + "/Obrazy/");
        QVERIFY(!w->imgObalDesk[0]->pixmap().isNull());
        dialogs.answer(notPicture); // refused; the cover stays
        click(w, "cmdOpenObalPic");
        QCOMPARE(rec->count(), 1);
        rec->clear();
        QCOMPARE(w->lblObal->text(), cover);

        dialogs.cancel(); // the save dialog cancelled: nothing copied
        click(w, "cmdSaveObal");
        QVERIFY(!QFile::exists(target));
        dialogs.answer(target);
        click(w, "cmdSaveObal");
        QCOMPARE(bytes(target), bytes(cover));
        {
            FileSizeLimit full(16); // the copy cannot be completed: the user's file stays
            QVERIFY(full.ok);
            dialogs.answer(target);
            click(w, "cmdSaveObal");
        }
        QCOMPARE(rec->count(), 1);
        rec->clear();
        QCOMPARE(bytes(target), bytes(cover));

        dialogs.cancel();
        click(w, "cmdOpenObalPic");
        QVERIFY(w->lblObal->text().isEmpty() && w->imgObalDesk[0]->pixmap().isNull());
        QCOMPARE(GetSett("Covers", "?"), QString());
    }

    // A camera's photo is shown fitted to its frame, its aspect kept and upright,
    // when chosen and when it comes back from the store.
    void largePicturesFitTheirFrames() {
        auto halves = [](const QString& path, QSize size, QImageIOHandler::Transformation turn) {
            QImage img(size, QImage::Format_RGB32);
            img.fill(Qt::blue);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width() / 2; ++x)
                    img.setPixel(x, y, qRgb(255, 0, 0));
            QImageWriter writer(path, "jpg");
            writer.setTransformation(turn);
            QVERIFY(writer.write(img));
        };
        const QString cover = dir->path() + "/foto.jpg";
        const QString preview = dir->path() + "/nahled.jpg";
        halves(cover, QSize(1600, 1200), QImageIOHandler::TransformationNone);
        halves(preview, QSize(1200, 800), QImageIOHandler::TransformationRotate90); // shown 800 x 1200
        auto check = [](QLabel* img, QSize upright, bool sideBySide) {
            const QImage shown = img->pixmap().toImage();
            QCOMPARE(shown.size(), upright.scaled(img->contentsRect().size(), Qt::KeepAspectRatio));
            const QPoint red = sideBySide ? QPoint(shown.width() / 4, shown.height() / 2)
                                          : QPoint(shown.width() / 2, shown.height() / 4);
            const QPoint blue = sideBySide ? QPoint(shown.width() * 3 / 4, shown.height() / 2)
                                           : QPoint(shown.width() / 2, shown.height() * 3 / 4);
            QVERIFY(shown.pixelColor(red).red() > 200 && shown.pixelColor(red).blue() < 60);
            QVERIFY(shown.pixelColor(blue).blue() > 200 && shown.pixelColor(blue).red() < 60);
        };
        filedialogs::Script dialogs;
        dialogs.answer(cover);
        dialogs.answer(preview);
        frmDVD* w = open(0);
        click(w, "cmdOpenObalPic");
        click(w, "cmdOpenNahledPic");
        check(w->imgObalDesk[0], QSize(1600, 1200), true);
        check(w->imgObalDesk[1], QSize(800, 1200), false);
        click(w, "cmdSave");

        w = open(w->ID);
        QCOMPARE(bytes(w->lblObal->text()), bytes(cover)); // stored as it was
        QCOMPARE(bytes(w->lblNahled->text()), bytes(preview));
        check(w->imgObalDesk[0], QSize(1600, 1200), true);
        check(w->imgObalDesk[1], QSize(800, 1200), false);
    }

    void pictureLinks() {
        const QString first = writePicture(dir->path() + "/prvni.jpg", Qt::red);
        const QString second = writePicture(dir->path() + "/druhy.jpg", Qt::green);
        filedialogs::Script dialogs;
        dialogs.answer(first);
        frmDVD* w = open(0);
        click(w, "cmdOpenObalPic");
        click(w, "cmdSave");
        const long id = w->ID;
        const Variant picId = film(id)["Obal_ID"];
        const auto pics = dir->rows("SELECT * FROM tPicture", dir->picturesPath());
        QCOMPARE(pics.size(), 1);
        QVERIFY(pics[0]["PicID"] == picId && pics[0]["PicDVDID"] == Variant(id) && pics[0]["PicSkup"] == "O");

        // shown from the store's working copy and stored again into the same row
        w = open(id);
        QCOMPARE(bytes(w->lblObal->text()), bytes(first));
        click(w, "cmdSave");
        QCOMPARE(film(id)["Obal_ID"], picId);
        QCOMPARE(dir->scalar("SELECT count(*) FROM tPicture", dir->picturesPath()), Variant(1));

        // a new picture the store cannot take: the film keeps its picture
        dialogs.answer(second);
        w = open(id);
        click(w, "cmdOpenObalPic");
        {
            WriteProtectedFile wp(dir->picturesPath());
            if (!wp.isProtected()) QSKIP(qPrintable(wp.why()));
            click(w, "cmdSave");
            QVERIFY(rec->count() >= 1); // the store's message
            rec->clear();
        }
        QCOMPARE(film(id)["Obal_ID"], picId);

        // a picture the store cannot give keeps its link too
        dir->execute(QString("UPDATE tDVD SET Nahled_ID=999 WHERE DVDID=%1").arg(id));
        w = open(id);
        QCOMPARE(rec->count(), 0); // no box: the editor just shows no picture
        QVERIFY(w->lblNahled->text().isEmpty());
        click(w, "cmdSave");
        QCOMPARE(film(id)["Nahled_ID"], Variant(999));
        // only clearing it drops the link
        dialogs.cancel();
        w = open(id);
        rec->clear();
        click(w, "cmdOpenObalPic");
        click(w, "cmdSave");
        QCOMPARE(film(id)["Obal_ID"], Variant(0));
    }

    void catalogueThatCannotBeWritten() {
        const long id = dir->insertFilm("Zamčený");
        const auto before = film(id);
        {
            ado::Connection other;
            other.Open(schema::ConnString(dir->cataloguePath()));
            other.Execute("BEGIN IMMEDIATE"); // others read, nobody else writes
            frmDVD* w = open(id);
            w->txtCZName->setText("Přejmenovaný");
            click(w, "cmdSave");
            expectSaveFailure(w);
            w = open(0);
            click(w, "cmdSave");
            expectSaveFailure(w);
            QCOMPARE(film(id), before);
            other.Execute("ROLLBACK");
            click(w, "cmdSave"); // the same window saves once the lock is gone
            QCOMPARE(w->Vysledek, 1);
            QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(2));
        }

        // the new row goes in, its fields do not: it is taken out again
        dir->execute(
            "CREATE TRIGGER tNoUpdate BEFORE UPDATE ON tDVD BEGIN SELECT RAISE(ABORT, 'no update'); END");
        frmDVD* w = open(0);
        click(w, "cmdSave");
        QVERIFY(rec->last().text.contains("no update"));
        expectSaveFailure(w);
        QCOMPARE(w->ID, 0L);
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(2));
        dir->execute("DROP TRIGGER tNoUpdate");

        w = open(id);
        WriteProtectedFile wp(dir->cataloguePath());
        if (!wp.isProtected()) QSKIP(qPrintable(wp.why()));
        click(w, "cmdSave"); // read-only: the one box says why
        QCOMPARE(rec->count(), 1);
        QVERIFY(rec->last().text.contains("chráněna proti zápisu"));
        expectSaveFailure(w);
    }

    void editingFromTheMainWindow() {
        const long jaws = dir->insertFilm("Čelisti", {{"Zanr", "Horor"}, {"Jazyk", 0}});
        dir->insertFilm("Cesta");
        filedialogs::Script dialogs;
        dialogs.answer(writePicture(dir->path() + "/celisti.jpg", Qt::darkBlue));
        QPointer<frmMaster> m = new frmMaster;
        m->show();
        ListView* lv = m->lvwList;
        lv->setSelectedItem(lv->Item(QString("K%1").arg(jaws)));
        auto onEditor = [](std::function<void(frmDVD*)> action) {
            QTimer::singleShot(0, [action] {
                auto* ed = qobject_cast<frmDVD*>(QApplication::activeModalWidget());
                if (ed) action(ed);
            });
        };
        auto toolbar = [&](const char* key) {
            QTest::mouseClick(m->Toolbar2->widgetForAction(m->findChild<QAction*>(key)), Qt::LeftButton);
        };

        onEditor([&](frmDVD* ed) {
            ed->txtCZName->setText(ed->ID == jaws ? "Čelisti 2" : "?");
            ed->txtKatalog->setText("C-2");
            click(ed, "Command1");
            pickGenres(ed->lstZanr, {"Thriller", "Horor"});
            click(ed, "Command2");
            tick(ed->optJazyk[1]);
            clickTab(ed, 2);
            ed->txtDelka->setText("124 min");
            clickTab(ed, 3);
            tick(ed->chkTitle[2]);
            clickTab(ed, 4);
            click(ed, "cmdOpenObalPic");
            click(ed, "cmdSave");
        });
        toolbar("KeyEdit");
        QVERIFY(!QApplication::activeModalWidget() && !m->findChild<frmDVD*>());
        const auto r = film(jaws);
        QCOMPARE(QStringList({r["CZJm"].toString(), r["KatCisl"].toString(), r["Zanr"].toString(),
                              r["Jazyk"].toString(), r["Delka"].toString(), r["Titulky"].toString()}),
                 QStringList({"Čelisti 2", "C-2", "Horor, Thriller", "1", "124", "N|N|A|N|N|N|N"}));
        QCOMPARE(
            r["Obal_ID"],
            dir->scalar(QString("SELECT PicID FROM tPicture WHERE PicDVDID=%1 AND PicSkup='O'").arg(jaws),
                        dir->picturesPath()));
        ListItem* row = lv->Item(QString("K%1").arg(jaws));
        QCOMPARE(QStringList({row->Text(), row->SubItem(1), row->SubItem(2), row->SubItem(6)}),
                 QStringList({"C-2", "Čelisti 2", "Horor, Thriller", "CZ Titulky"}));

        onEditor([](frmDVD* ed) {
            ed->txtCZName->setText("Vetřelec");
            click(ed, "cmdSave");
        });
        toolbar("KeyAddNew");
        const long alien = dir->scalar("SELECT DVDID FROM tDVD WHERE CZJm='Vetřelec'").toLong();
        QCOMPARE(lv->Item(QString("K%1").arg(alien))->Text(), QString::number(alien));

        lv->setSelectedItem(row);
        onEditor([](frmDVD* ed) {
            ed->txtCZName->setText("Zahozeno");
            click(ed, "cmdStorno");
        });
        m->findChild<QAction*>("mnuPopUpravit")->trigger();
        QCOMPARE(film(jaws)["CZJm"], Variant("Čelisti 2"));
        QCOMPARE(row->SubItem(1), QString("Čelisti 2"));
        delete m.data();
    }
};

DVD_TEST_MAIN(TestFrmDVD)
#include "tst_frmdvd.moc"
