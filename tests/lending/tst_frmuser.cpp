#include "core/mDatabase.h"
#include "core/schema.h"
#include "lending/frmUser.h"

#include "controls.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace {

using V = TestProgramDir::Values;
using Row = TestProgramDir::Row;

void fill(frmUser* w, const QString& name, const QString& adr, const QString& regNum = QString(),
          const QString& phone = QString(), const QString& mail = QString(),
          const QString& pozn = QString()) {
    w->txtUSNAME->setText(name);
    SetBoxText(w->txtUSADR, adr);
    w->txtUSREGNUM->setText(regNum);
    w->txtUSPHONE->setText(phone);
    w->txtUSMAIL->setText(mail);
    SetBoxText(w->txtUSPOZN, pozn);
}

} // namespace

class TestFrmUser : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec;

    QList<Row> clients() { return dir->rows("SELECT * FROM tUser ORDER BY USID"); }

    // A fresh editor, shown as its callers show it.
    std::unique_ptr<frmUser> editor(long usid = 0) {
        auto w = std::make_unique<frmUser>();
        if (usid) {
            w->lblUSID->setText(QString::number(usid));
            w->ReadData();
        }
        w->show();
        return w;
    }

private slots:
    void init() {
        rec = std::make_unique<msgbox::Recorder>();
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        dir.reset();
        const int unexpected = rec->count();
        rec.reset();
        QCOMPARE(unexpected, 0);
    }

    // Full boxes refuse what does not fit and drop nothing already there; a
    // longer stored value is kept whole; characters are never split.
    void limitsKeepWhatIsThere() {
        auto w = editor();
        QTest::keyClicks(w->txtUSADR, "Ulice 1");
        QTest::keyClick(w->txtUSADR, Qt::Key_Return); // a line end counts as its two
        QTest::keyClicks(w->txtUSADR, QString(41, 'b'));
        const QString full = "Ulice 1\r\n" + QString(41, 'b');
        QCOMPARE(BoxText(w->txtUSADR), full);
        QTextCursor at5 = w->txtUSADR->textCursor();
        at5.setPosition(5);
        w->txtUSADR->setTextCursor(at5);
        QTest::keyClicks(w->txtUSADR, "X");
        QCOMPARE(BoxText(w->txtUSADR), full);
        QCOMPARE(w->txtUSADR->textCursor().position(), 5);
        QTest::keyClick(w->txtUSADR, Qt::Key_Backspace);
        QTest::keyClick(w->txtUSADR, Qt::Key_Backspace);
        w->txtUSADR->insertPlainText("123456"); // a paste in the middle: what fits goes in
        QCOMPARE(BoxText(w->txtUSADR), "Uli12 1\r\n" + QString(41, 'b'));
        QTest::keyClick(w->txtUSNAME, Qt::Key_Escape);
        QVERIFY(w->isVisible());

        const QString emoji = QString::fromUtf8("\U0001F3AC");
        QTest::keyClicks(w->txtUSNAME, QString(49, 'a'));
        QTest::sendKeyEvent(QTest::Click, w->txtUSNAME, Qt::Key_unknown, emoji, Qt::NoModifier);
        QTest::keyClicks(w->txtUSNAME, "b");
        QCOMPARE(w->txtUSNAME->text(), QString(49, 'a') + emoji);

        SetBoxText(w->txtUSPOZN, QString(60, 'n'));
        QCOMPARE(BoxText(w->txtUSPOZN), QString(60, 'n'));
    }

    void newClientsAreStoredAsTyped() {
        // blank personal code: the new USID is the code, and lblUSID holds it
        auto w = editor();
        fill(w.get(), "  Nováková Alena ", "Dlouhá 5\r\nPraha 1", "", "603 111 222", "alena@example.cz",
             "VIP");
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QList<Row> rows = clients();
        QCOMPARE(rows.size(), 1);
        const long first = rows[0]["USID"].toLong();
        QCOMPARE(w->lblUSID->text(), QString::number(first));
        QCOMPARE(rows[0]["USREGNUM"].toString(), QString::number(first));
        QCOMPARE(rows[0]["USNAME"].toString(), QString("  Nováková Alena "));
        QCOMPARE(rows[0]["USADR"].toString(), QString("Dlouhá 5\r\nPraha 1"));
        QCOMPARE(rows[0]["USPHONE"].toString(), QString("603 111 222"));
        QCOMPARE(rows[0]["USMAIL"].toString(), QString("alena@example.cz"));
        QCOMPARE(rows[0]["USPOZN"].toString(), QString("VIP"));

        // a second fresh editor adds a second row; a code of blanks counts as blank
        auto w2 = editor();
        QCOMPARE(w2->lblUSID->text(), QString("0"));
        QVERIFY(w2->txtUSNAME->text().isEmpty());
        fill(w2.get(), "Černý Bohumil", "Krátká 1", "   ");
        QTest::mouseClick(w2->cmdSave, Qt::LeftButton);
        rows = clients();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1]["USREGNUM"].toString(), QString::number(rows[1]["USID"].toLong()));

        // a code with blanks around it is kept as typed
        auto w3 = editor();
        fill(w3.get(), "Dvořák", "Nová 3", " K-12 ");
        QTest::mouseClick(w3->cmdSave, Qt::LeftButton);
        rows = clients();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[2]["USREGNUM"].toString(), QString(" K-12 "));
        QCOMPARE(w3->lblUSID->text(), QString("0")); // only a blank code brings the id back
        QCOMPARE(rec->count(), 0);
    }

    void editingExistingClient() {
        const long id = dir->insertClient("Veselý Jan", {{"USADR", "Horní 2\r\nBrno"},
                                                         {"USREGNUM", "A77"},
                                                         {"USPHONE", ado::Variant()},
                                                         {"USPOZN", "dluží"}});
        auto w = editor(id);
        QCOMPARE(w->txtUSNAME->text(), QString("Veselý Jan"));
        QCOMPARE(BoxText(w->txtUSADR), QString("Horní 2\r\nBrno"));
        QCOMPARE(w->txtUSREGNUM->text(), QString("A77"));
        QCOMPARE(w->txtUSPHONE->text(), QString());
        QCOMPARE(BoxText(w->txtUSPOZN), QString("dluží"));
        QCOMPARE(w->lblUSID->text(), QString::number(id));

        // Storno leaves the row as it was
        w->txtUSNAME->setText("Jiný");
        QTest::mouseClick(w->cmdStorno, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(dir->scalar(QString("SELECT USNAME FROM tUser WHERE USID=%1").arg(id)).toString(),
                 QString("Veselý Jan"));

        // clearing the code gives the client its own id as code
        auto w2 = editor(id);
        w2->txtUSREGNUM->clear();
        w2->txtUSPHONE->setText("777");
        QTest::mouseClick(w2->cmdSave, Qt::LeftButton);
        QCOMPARE(clients().size(), 1);
        const Row row = clients()[0];
        QCOMPARE(row["USREGNUM"].toString(), QString::number(id));
        QCOMPARE(row["USPHONE"].toString(), QString("777"));
        QCOMPARE(row["USNAME"].toString(), QString("Veselý Jan"));
        QCOMPARE(rec->count(), 0);
    }

    void missingClientRow() {
        const long id = dir->insertClient("Smazaný", {{"USADR", "Pryč 1"}});
        auto w = editor(id + 10);
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().text, QString("Záznam k úpravě nenalezen!"));
        QCOMPARE(rec->last().title, QString("Chyba zápisu uživatele:"));
        QCOMPARE(rec->last().icon(), int(vb::vbCritical));
        QVERIFY(w->txtUSNAME->text().isEmpty());
        rec->clear();

        // gone between loading and saving: the same box, nothing written, the editor closes
        auto w2 = editor(id);
        dir->execute(QString("DELETE FROM tUser WHERE USID=%1").arg(id));
        QTest::mouseClick(w2->cmdSave, Qt::LeftButton);
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().text, QString("Záznam k úpravě nenalezen!"));
        QVERIFY(!w2->isVisible());
        QCOMPARE(clients().size(), 0);
        rec->clear();
    }

    // A client the catalogue would not give is said as a failed read, not as
    // missing, and the blank form is never saved over it.
    void unreadClientIsNeverOverwritten() {
        const long id = dir->insertClient(
            "Dlužník",
            {{"USADR", "Ulice 1"}, {"USREGNUM", "V-1"}, {"USPHONE", "777"}, {"USPOZN", "dluží 200"}});
        const QList<Row> before = clients();
        const QString catalogue = DBPath;
        DBPath = dir->dataPath() + "jinde.ddb"; // unreachable
        auto w = editor(id);
        DBPath = catalogue;
        QCOMPARE(rec->count(), 1);
        QVERIFY2(rec->last().text.startsWith("Údaje uživatele se nepodařilo z katalogu načíst"),
                 qPrintable(rec->last().text));
        fill(w.get(), "Jiný", "Jinde 2");
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QCOMPARE(rec->count(), 2);
        QVERIFY(rec->last().text.contains("nic neuložilo"));
        QVERIFY(w->isVisible());
        QCOMPARE(clients(), before);
        rec->clear();
    }

    // A refused check keeps what was typed: the editor stays open and a
    // corrected save then writes it.
    void refusedCheckKeepsTheEditorOpen() {
        auto w = editor();
        fill(w.get(), "   ", "", "R1", "602", "x@y.cz", "pozn");
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QCOMPARE(rec->count(), 1);
        QCOMPARE(rec->last().text, QString("Jméno musí být vyplněno!\r\nAdresa musí být vyplněno!\r\n"));
        QCOMPARE(rec->last().title, QString("Nelze uložit!"));
        QCOMPARE(rec->last().icon(), int(vb::vbInformation));
        QVERIFY(w->isVisible());
        QCOMPARE(w->txtUSREGNUM->text(), QString("R1"));
        QCOMPARE(w->txtUSPHONE->text(), QString("602"));
        QCOMPARE(clients().size(), 0);

        w->txtUSNAME->setText("Malá Eva");
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QCOMPARE(rec->count(), 2);
        QCOMPARE(rec->last().text, QString("Adresa musí být vyplněno!\r\n"));
        QVERIFY(w->isVisible());

        SetBoxText(w->txtUSADR, "Polní 8");
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QCOMPARE(rec->count(), 2);
        QVERIFY(!w->isVisible());
        const QList<Row> rows = clients();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["USNAME"].toString(), QString("Malá Eva"));
        QCOMPARE(rows[0]["USREGNUM"].toString(), QString("R1"));
        rec->clear();
    }

    // A catalogue locked by another connection: the editor says so, keeps the
    // values, and a later save writes exactly one row.
    void lockedCatalogueKeepsTheEditorOpen() {
        auto w = editor();
        fill(w.get(), "Zámek Petr", "Zavřená 1", "", "", "", "");
        ado::Connection other;
        other.Open(schema::ConnString(dir->cataloguePath()));
        other.Execute("BEGIN IMMEDIATE");
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QCOMPARE(rec->count(), 1);
        QVERIFY2(rec->last().text.startsWith("Uživatele se nepodařilo uložit"), qPrintable(rec->last().text));
        // the reason is known, so no guess
        QVERIFY2(rec->last().text.contains("zamčena") && !rec->last().text.contains("možná"),
                 qPrintable(rec->last().text));
        QCOMPARE(rec->last().title, QString("Chyba zápisu uživatele:"));
        QCOMPARE(rec->last().icon(), int(vb::vbCritical));
        QVERIFY(w->isVisible());
        QCOMPARE(w->txtUSNAME->text(), QString("Zámek Petr"));
        QCOMPARE(w->lblUSID->text(), QString("0"));
        other.Execute("ROLLBACK");
        QCOMPARE(clients().size(), 0);

        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QCOMPARE(rec->count(), 1);
        QVERIFY(!w->isVisible());
        QCOMPARE(clients().size(), 1);
        rec->clear();

        // a change refused the same way leaves the stored row unchanged until it goes through
        const long id = clients()[0]["USID"].toLong();
        auto w2 = editor(id);
        w2->txtUSPHONE->setText("999");
        other.Execute("BEGIN IMMEDIATE");
        QTest::mouseClick(w2->cmdSave, Qt::LeftButton);
        QCOMPARE(rec->count(), 1);
        QVERIFY(w2->isVisible());
        other.Execute("ROLLBACK");
        QCOMPARE(clients()[0]["USPHONE"].toString(), QString());
        QTest::mouseClick(w2->cmdSave, Qt::LeftButton);
        QCOMPARE(clients().size(), 1);
        QCOMPARE(clients()[0]["USPHONE"].toString(), QString("999"));
        rec->clear();
    }
};

DVD_TEST_MAIN(TestFrmUser)
#include "tst_frmuser.moc"
