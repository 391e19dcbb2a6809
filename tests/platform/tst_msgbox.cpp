#include "msgbox.h"
#include "testmain.h"

class TestMsgBox : public QObject {
    Q_OBJECT
private slots:
    void recorderLogsAndAnswers() {
        msgbox::Recorder rec;
        rec.answer(vb::vbNo);
        QCOMPARE(MsgBox("Smazat?", vb::vbYesNo | vb::vbQuestion, "Dotaz"), int(vb::vbNo));
        // unscripted: the default button
        QCOMPARE(MsgBox("Chyba", vb::vbCritical), int(vb::vbOK));
        QCOMPARE(MsgBox("x", vb::vbYesNo | vb::vbDefaultButton2), int(vb::vbNo));
        QCOMPARE(rec.count(), 3);
        QCOMPARE(rec.boxes()[0].title, QString("Dotaz"));
        QCOMPARE(rec.boxes()[0].icon(), int(vb::vbQuestion));
        QCOMPARE(rec.boxes()[0].buttons(), int(vb::vbYesNo));
        QCOMPARE(rec.boxes()[1].title, QString("Zorv DVD Merva-lóna"));
        QCOMPARE(rec.boxes()[1].icon(), int(vb::vbCritical));
    }
    void nestedRecordersRestoreTheOuterOne() {
        msgbox::Recorder outer;
        {
            msgbox::Recorder inner;
            MsgBox("a");
            QCOMPARE(inner.count(), 1);
        }
        MsgBox("b");
        QCOMPARE(outer.count(), 1);
        QCOMPARE(outer.last().text, QString("b"));
    }
};

DVD_TEST_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
