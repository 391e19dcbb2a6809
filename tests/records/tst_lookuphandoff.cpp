#include "records/frmDVD.h"

#include "core/Main.h"
#include "lookup/frmCSFDFind.h"
#include "lookup/frmNetFind.h"

#include "fixtures.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

namespace {

QString writePicture(const QString& path, const QColor& colour = Qt::red) {
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(colour);
    img.save(path, "JPG");
    return path;
}

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs `fill` on the film-database window once it is shown modal.
void onFilmDb(std::function<void(frmCSFDFind*)> fill) {
    QTimer::singleShot(0, [fill] {
        auto* find = qobject_cast<frmCSFDFind*>(QApplication::activeModalWidget());
        QVERIFY(find);
        fill(find);
    });
}

void onEShop(std::function<void(frmNetFind*)> fill) {
    QTimer::singleShot(0, [fill] {
        auto* find = qobject_cast<frmNetFind*>(QApplication::activeModalWidget());
        QVERIFY(find);
        fill(find);
    });
}

// The search pages the e-shop window starts from.
void installSearchPages(const QString& dataPath) {
    for (const char* name : {"finddvd.htm", "finddvd2.htm", "null.htm"}) {
        QFile::remove(dataPath + name);
        QVERIFY(QFile::copy(QFINDTESTDATA(QString("../../data/") + name), dataPath + name));
    }
}

} // namespace

class TestLookupHandoff : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec;
    std::unique_ptr<frmDVD> win;

    frmDVD* open() {
        win = std::make_unique<frmDVD>();
        win->Inicializuj(0);
        return win.get();
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

    void countryShortening() {
        const QString exact24 = "Česko, Slovensko, Polsko";
        QCOMPARE(exact24.size(), 24);
        QCOMPARE(frmDVD::ZkratitStat(exact24), exact24);
        QCOMPARE(frmDVD::ZkratitStat("Spojené království, Kanada, USA"), QString("Eng, Kanada, USA"));
        const QString thirty = "Francie, Německo, Itálie, Rusk";
        QCOMPARE(thirty.size(), 30);
        QCOMPARE(frmDVD::ZkratitStat(thirty), thirty.left(23));
        // still too long after the replacement
        QCOMPARE(frmDVD::ZkratitStat("Spojené království, Francie, Německo, Itálie").size(), 23);
    }

    void filmDatabaseCopiesOnlyWhatItFound() {
        frmDVD* w = open();
        w->txtCZName->setText("  Kolja  ");
        w->txtRok->setText("1995");
        w->txtZanr->setText("Drama");
        w->txtKatalog->setText("42");
        QString prefilled;
        onFilmDb([&](frmCSFDFind* f) {
            prefilled = f->Text1->text();
            f->findCZ->setText("Kolja");
            f->findRok->setText("   "); // blank: the editor keeps its year
            f->findDelka->setText("  105");
            f->findPuvName->setEditText("Kolya");
            f->findStat->setText("Spojené království, Kanada, USA");
            f->findPopis->setPlainText("Řádek 1\nŘádek 2");
            f->findZanr->setText("");
            f->chkGetPicture->setChecked(false);
            f->cmdInsertData->click();
        });
        w->Command4->click();
        QCOMPARE(prefilled, QString("Kolja"));
        QCOMPARE(w->txtCZName->text(), QString("Kolja"));
        QCOMPARE(w->txtRok->text(), QString("1995"));
        QCOMPARE(w->txtDelka->text(), QString("  105")); // copied with its blanks
        QCOMPARE(w->txtPuvName->text(), QString("Kolya"));
        QCOMPARE(w->txtStat->text(), QString("Eng, Kanada, USA"));
        QCOMPARE(w->txtPopis->toPlainText(), QString("Řádek 1\nŘádek 2"));
        QCOMPARE(w->txtZanr->text(), QString("Drama"));
        QCOMPARE(w->txtKatalog->text(), QString("42")); // never touched
        QCOMPARE(w->lblNahled->text(), QString());
    }

    void stornoLeavesTheEditorAsItWas() {
        frmDVD* w = open();
        w->txtCZName->setText("   ");
        QString prefilled = "x";
        onFilmDb([&](frmCSFDFind* f) {
            prefilled = f->Text1->text();
            f->findCZ->setText("Jiný");
            f->cmdStorno->click();
        });
        w->Command4->click();
        QCOMPARE(prefilled, QString());
        QCOMPARE(w->txtCZName->text(), QString("   "));
    }

    void eShopCopiesEveryValue() {
        installSearchPages(dir->dataPath());
        frmDVD* w = open();
        w->txtCZName->setText("  Pelíšky ");
        w->txtRok->setText("1999");
        const QString before = writePicture(dir->dataPath() + "mine.jpg");
        w->lblNahled->setText(before);
        onEShop([](frmNetFind* f) {
            f->findCZ->setText("Pelíšky");
            f->findPuvodni->setText("&nbsp;");
            f->findRok->setText(""); // empties the editor's year
            f->findStat->setText("Spojené království, Kanada, USA");
            f->findHerci->setPlainText("Jiří Kodet");
            f->chkGetPicture->setChecked(false);
            f->Text1->setText("/nikde/obrazek.jpg"); // not taken: the box is unticked
            f->Command4->click();
        });
        w->cmdFindNet->click();
        // the trimmed title went into the search page
        QFile page(dir->dataPath() + "finddvdx.htm");
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("value=\"Pel"));
        QCOMPARE(w->txtCZName->text(), QString("Pelíšky"));
        QCOMPARE(w->txtPuvName->text(), QString(" "));
        QCOMPARE(w->txtRok->text(), QString());
        QCOMPARE(w->txtStat->text(), QString("Eng, Kanada, USA"));
        QCOMPARE(w->txtHerci->toPlainText(), QString("Jiří Kodet"));
        QCOMPARE(w->lblNahled->text(), before);

        // no title: the search page is not prepared; "Storno" changes nothing
        QFile::remove(dir->dataPath() + "finddvdx.htm");
        w->txtCZName->setText(" ");
        onEShop([](frmNetFind* f) {
            f->findCZ->setText("Jiný");
            f->findPuvodni->setText("&nbsp;x");
            f->Command5->click();
        });
        w->cmdFindNet->click();
        QVERIFY(!QFile::exists(dir->dataPath() + "finddvdx.htm"));
        QCOMPARE(w->txtCZName->text(), QString(" "));
    }

    void previewTakenClearedOrKept() {
        frmDVD* w = open();
        const QString poster = writePicture(dir->dataPath() + "webnahl.jpg");
        auto accept = [](const QString& path) {
            onFilmDb([path](frmCSFDFind* f) {
                f->chkGetPicture->setChecked(true);
                f->Text2->setText(path);
                f->cmdInsertData->click();
            });
        };
        accept(poster);
        w->Command4->click();
        const QString own = w->lblNahled->text(); // the editor's own copy
        const QByteArray shown = bytes(poster);
        QVERIFY(own != poster && bytes(own) == shown);
        QVERIFY(!w->imgObalDesk[1]->pixmap().isNull());

        // a later look-up downloads over its file, and its fetch fails: the
        // preview stays the one shown, the user is told
        writePicture(poster, Qt::green);
        accept("http://www.example/poster.jpg");
        w->Command4->click();
        QCOMPARE(rec->count(), 1);
        QVERIFY(rec->last().text.contains("http://www.example/poster.jpg"));
        rec->clear();
        QCOMPARE(w->lblNahled->text(), own);
        w->cmdSave->click();
        QCOMPARE(dir->scalar("SELECT PicDat FROM tPicture WHERE PicSkup='N'", dir->picturesPath()).toBytes(),
                 shown);

        // an empty path: no preview any more
        w = open();
        accept(poster);
        w->Command4->click();
        accept("");
        w->Command4->click();
        QCOMPARE(w->lblNahled->text(), QString());
        QVERIFY(w->imgObalDesk[1]->pixmap().isNull());
    }
};

DVD_TEST_MAIN(TestLookupHandoff)
#include "tst_lookuphandoff.moc"
