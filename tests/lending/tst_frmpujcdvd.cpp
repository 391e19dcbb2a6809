#include "core/mDatabase.h"
#include "core/schema.h"
#include "lending/frmPujcDVD.h"
#include "lending/frmUser.h"

#include "controls.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"
#include "vb.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

using Row = TestProgramDir::Row;

// Runs `action` once the waiting has begun.
void whileWaiting(std::function<void()> action) {
    QTimer::singleShot(0, action);
}

} // namespace

class TestFrmPujcDVD : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec;
    std::unique_ptr<QWidget> owner;

    frmPujcDVD* dialog() { return owner->findChild<frmPujcDVD*>(); }
    QList<Row> loans() { return dir->rows("SELECT * FROM tPujcky ORDER BY P_ID"); }

private slots:
    void init() {
        rec = std::make_unique<msgbox::Recorder>();
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
        owner = std::make_unique<QWidget>();
        owner->show();
    }
    void cleanup() {
        owner.reset();
        dir.reset();
        const int unexpected = rec->count();
        rec.reset();
        QCOMPARE(unexpected, 0);
    }

    void lendsToTheFirstClientInNameOrder() {
        const long z = dir->insertClient("Zelený Petr");
        const long a = dir->insertClient("Adámek Jiří");
        const long film = dir->insertFilm("Čelisti");
        QPointer<frmPujcDVD> seen;
        bool waited = false;
        whileWaiting([&] {
            seen = dialog();
            QVERIFY(seen);
            waited = true;
            QCOMPARE(seen->windowTitle(), QString("Zapůjčit: Čelisti"));
            QCOMPARE(seen->Label2->text(), QString("Komu zapůjčit:"));
            QVERIFY(!seen->isModal());
            QVERIFY(!seen->Hotovo);
            QCOMPARE(seen->Combo1->count(), 2);
            QCOMPARE(seen->Combo1->itemText(0), QString("Adámek Jiří"));
            QCOMPARE(seen->Combo1->itemData(1).toInt(), int(z));
            QCOMPARE(seen->Combo1->currentIndex(), 0);
            QTest::keyClick(seen->Combo1, Qt::Key_Escape); // Esc does not close it
            QVERIFY(seen->isVisible());
            QTest::mouseClick(seen->Command2, Qt::LeftButton);
        });
        frmPujcDVD::LendAndWait(owner.get(), film, "Čelisti");
        QVERIFY(waited);
        QTRY_VERIFY(seen.isNull()); // closed and gone
        const QList<Row> rows = loans();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["P_UID"].toLong(), a);
        QCOMPARE(rows[0]["P_DVDID"].toLong(), film);
        QVERIFY(rows[0]["PDatVraceni"].isNull());
        QVERIFY(qAbs(rows[0]["PDatPujcky"].toDateTime().secsTo(vb::Now())) < 60);

        // a film without a Czech title
        auto* d = new frmPujcDVD(owner.get());
        d->Init(film, QString());
        QCOMPARE(d->windowTitle(), QString("Zapůjčit: "));
        delete d;
    }

    void stornoAndCloseBoxEndTheWait() {
        dir->insertClient("Adámek");
        const long film = dir->insertFilm("Film");
        QPointer<frmPujcDVD> seen;
        whileWaiting([&] {
            seen = dialog();
            QTest::mouseClick(seen->Command1, Qt::LeftButton);
        });
        frmPujcDVD::LendAndWait(owner.get(), film, "Film");
        QTRY_VERIFY(seen.isNull());

        whileWaiting([&] {
            seen = dialog();
            seen->close(); // the close box
        });
        frmPujcDVD::LendAndWait(owner.get(), film, "Film");
        QTRY_VERIFY(seen.isNull());
        QCOMPARE(loans().size(), 0);
    }

    // No clients: the box, the wait ends, the dialog stays; a client added
    // through the dialog is chosen and the loan goes through.
    void noClientThenNewClient() {
        const long film = dir->insertFilm("Film");
        QPointer<frmPujcDVD> seen;
        whileWaiting([&] {
            seen = dialog();
            QCOMPARE(seen->Combo1->count(), 0);
            QCOMPARE(seen->Combo1->currentIndex(), -1);
            QTest::mouseClick(seen->Command2, Qt::LeftButton);
        });
        frmPujcDVD::LendAndWait(owner.get(), film, "Film");
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().text,
                 QString("Není možné zapůjčit, neexistuje uživatel, je nutné ho nejprve vytvořit!"));
        QCOMPARE(rec->last().title, QString("Půjčovna"));
        QCOMPARE(rec->last().icon(), int(vb::vbCritical));
        QVERIFY(seen && seen->isVisible());
        QVERIFY(seen->Hotovo);
        QCOMPARE(loans().size(), 0);

        QTimer::singleShot(0, [] {
            auto* editor = qobject_cast<frmUser*>(QApplication::activeModalWidget());
            QVERIFY(editor);
            editor->txtUSNAME->setText("Nová Klientka");
            SetBoxText(editor->txtUSADR, "Adresa 1");
            QTest::mouseClick(editor->cmdSave, Qt::LeftButton);
        });
        QTest::mouseClick(seen->Command4, Qt::LeftButton);
        QVERIFY(!seen->findChild<frmUser*>());
        QCOMPARE(seen->Combo1->count(), 1);
        QCOMPARE(seen->Combo1->currentText(), QString("Nová Klientka"));
        QTest::mouseClick(seen->Command2, Qt::LeftButton);
        QTRY_VERIFY(seen.isNull());
        const long client = dir->scalar("SELECT USID FROM tUser").toLong();
        QCOMPARE(loans().size(), 1);
        QCOMPARE(loans()[0]["P_UID"].toLong(), client);
        QCOMPARE(loans()[0]["P_DVDID"].toLong(), film);
        rec->clear();
    }

    // The owner stays usable while it waits: asking again for the same film
    // brings the open dialog forward, so the film is not lent twice; another
    // film gets a dialog of its own.
    void oneDialogPerFilm() {
        const long client = dir->insertClient("Adámek");
        const long film = dir->insertFilm("Film");
        const long other = dir->insertFilm("Jiný");
        QPointer<frmPujcDVD> first;
        int dialogsDuringSecondRequest = -1;
        whileWaiting([&] {
            first = dialog();
            QVERIFY(first);
            frmPujcDVD::LendAndWait(owner.get(), film, "Film"); // returns at once
            dialogsDuringSecondRequest = int(owner->findChildren<frmPujcDVD*>().size());
            QTest::mouseClick(first->Command2, Qt::LeftButton);
        });
        frmPujcDVD::LendAndWait(owner.get(), film, "Film");
        QCOMPARE(dialogsDuringSecondRequest, 1);
        QTRY_VERIFY(first.isNull());
        QCOMPARE(loans().size(), 1);

        // with no client chosen the first dialog stays open after its wait
        QPointer<frmPujcDVD> waiting;
        whileWaiting([&] {
            waiting = dialog();
            waiting->Combo1->setCurrentIndex(-1);
            QTest::mouseClick(waiting->Command2, Qt::LeftButton);
        });
        frmPujcDVD::LendAndWait(owner.get(), other, "Jiný");
        QVERIFY(waiting && waiting->isVisible());
        QCOMPARE(rec->count(), 1);
        frmPujcDVD::LendAndWait(owner.get(), other, "Jiný");
        QCOMPARE(owner->findChildren<frmPujcDVD*>().size(), 1);
        waiting->Combo1->setCurrentIndex(0);
        QTest::mouseClick(waiting->Command2, Qt::LeftButton);
        QTRY_VERIFY(waiting.isNull());
        QCOMPARE(loans().size(), 2);
        QCOMPARE(loans()[1]["P_DVDID"].toLong(), other);
        QCOMPARE(loans()[1]["P_UID"].toLong(), client);

        // a finished dialog is no obstacle to the next lend of that film
        whileWaiting([&] { QTest::mouseClick(dialog()->Command1, Qt::LeftButton); });
        frmPujcDVD::LendAndWait(owner.get(), film, "Film");
        QTRY_VERIFY(!dialog());
        rec->clear();
    }

    // An unread client list is said, and lending then says why it cannot
    // lend instead of inviting the user to add a client again.
    void unreadClientList() {
        dir->insertClient("Adámek");
        const long film = dir->insertFilm("Film");
        const QString catalogue = DBPath;
        DBPath = dir->dataPath() + "jinde.ddb";
        QPointer<frmPujcDVD> d = new frmPujcDVD(owner.get());
        DBPath = catalogue;
        QCOMPARE(rec->count(), 1);
        QVERIFY(rec->last().text.startsWith("Seznam uživatelů se nepodařilo z katalogu načíst."));
        d->Init(film, "Film");
        d->show();
        QTest::mouseClick(d->Command2, Qt::LeftButton);
        QCOMPARE(rec->count(), 2);
        QVERIFY(rec->last().text.contains("seznam uživatelů se nepodařilo"));
        QVERIFY(d && d->isVisible());
        QCOMPARE(loans().size(), 0);
        d->close();
        rec->clear();
    }

    // A loan the catalogue refuses: a box, the dialog stays open for another try.
    void lockedCatalogueKeepsTheDialog() {
        const long client = dir->insertClient("Adámek");
        const long film = dir->insertFilm("Film");
        ado::Connection other;
        other.Open(schema::ConnString(dir->cataloguePath()));
        other.Execute("BEGIN IMMEDIATE");
        QPointer<frmPujcDVD> seen;
        whileWaiting([&] {
            seen = dialog();
            QTest::mouseClick(seen->Command2, Qt::LeftButton);
        });
        frmPujcDVD::LendAndWait(owner.get(), film, "Film");
        QCOMPARE(rec->count(), 1);
        QVERIFY2(rec->last().text.startsWith("Výpůjčku se nepodařilo zapsat"), qPrintable(rec->last().text));
        QCOMPARE(rec->last().icon(), int(vb::vbCritical));
        QVERIFY(seen && seen->isVisible());
        other.Execute("ROLLBACK");
        QCOMPARE(loans().size(), 0);

        QTest::mouseClick(seen->Command2, Qt::LeftButton);
        QTRY_VERIFY(seen.isNull());
        QCOMPARE(loans().size(), 1);
        QCOMPARE(loans()[0]["P_UID"].toLong(), client);
        rec->clear();
    }
};

DVD_TEST_MAIN(TestFrmPujcDVD)
#include "tst_frmpujcdvd.moc"
