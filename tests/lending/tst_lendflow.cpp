#include "core/Main.h"
#include "core/frmMaster.h"
#include "core/mFunction.h"
#include "lending/frmKlienti.h"
#include "lending/frmPujcDVD.h"
#include "lending/frmUser.h"

#include "controls.h"
#include "fixtures.h"
#include "listview.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"
#include "vb.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QToolBar>

// The lending round from the main window: lend through the lend dialog,
// return in bulk in the lending window, see it in the history.
class TestLendFlow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec;
    QPointer<frmMaster> win;

    QAction* action(const char* name) {
        auto* a = win->findChild<QAction*>(QLatin1String(name));
        if (!a) qFatal("no action %s", name);
        return a;
    }

private slots:
    void init() {
        testsupport::clearProgramSettings();
        rec = std::make_unique<msgbox::Recorder>();
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        delete win.data();
        QVERIFY(!frmKlienti::instance());
        dir.reset();
        const int unexpected = rec->count();
        rec.reset();
        QCOMPARE(unexpected, 0);
    }

    void lendReturnAndHistory() {
        dir->insertClient("Zelený Petr");
        const long alena = dir->insertClient("Adámková Alena", {{"USREGNUM", "A-1"}});
        const long film = dir->insertFilm("Čelisti", {{"Zanr", "Horor"}});
        win = new frmMaster;
        win->show();
        const QString key = QString("K%1").arg(film);
        win->lvwList->Item(key)->setSelected(true);

        // lend: the dialog comes up for the selected film, the row turns green after it
        bool dialogSeen = false;
        QTimer::singleShot(0, [&] {
            auto* d = win->findChild<frmPujcDVD*>();
            QVERIFY(d);
            dialogSeen = true;
            QCOMPARE(d->windowTitle(), QString("Zapůjčit: Čelisti"));
            QCOMPARE(d->Combo1->currentText(), QString("Adámková Alena"));
            QTest::mouseClick(d->Command2, Qt::LeftButton);
        });
        action("KeyPujcitVratit")->trigger();
        QVERIFY(dialogSeen);
        ListItem* row = win->lvwList->Item(key);
        QCOMPARE(row->ForeColor(), vb::RGB(1, 100, 1));
        QCOMPARE(row->SubItemForeColor(3), vb::RGB(1, 100, 1));
        QCOMPARE(row->SubItem(3), QString("Adámková Alena"));
        const QDateTime lent = vb::TextToDate(row->SubItem(4));
        QVERIFY(lent.isValid());
        QVERIFY(qAbs(lent.secsTo(vb::Now())) < 60);
        QCOMPARE(dir->scalar("SELECT P_UID FROM tPujcky WHERE PDatVraceni IS NULL").toLong(), alena);

        action("mnuVypujcky")->trigger();
        QPointer<frmKlienti> k = frmKlienti::instance();
        QVERIFY(k && k->isVisible());
        QCOMPARE(k->parentWidget(), win.data());
        k->lvwUsers->Item(QString("U%1").arg(alena))->setSelected(true);
        QTest::mouseClick(k->Toolbar1->widgetForAction(k->ToolbarButton("keyHVratit")), Qt::LeftButton);
        QCOMPARE(k->lstVratit->count(), 1);
        QCOMPARE(k->lstVratit->item(0)->text(), QString("Čelisti"));
        k->lstVratit->item(0)->setSelected(true);
        QTest::mouseClick(k->Command9, Qt::LeftButton);
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tPujcky WHERE PDatVraceni IS NULL").toLong(), 0);

        QTest::mouseClick(k->Toolbar1->widgetForAction(k->ToolbarButton("ShowUserHistory")), Qt::LeftButton);
        QVERIFY(k->txtHistorie->toPlainText().startsWith("Čelisti vráceno : " +
                                                         vb::Now().date().toString("d.M.yyyy")));
        // the main window learns of it at its next refresh
        win->ObnovitZaznam(film);
        QCOMPARE(win->lvwList->Item(key)->SubItem(3), QString());
        QVERIFY(win->lvwList->Item(key)->ForeColor() != vb::RGB(1, 100, 1));

        // "Přidat uživatele": a modeless editor; the lending window lists the client after a reload
        action("mnuPridatUzivatele")->trigger();
        QPointer<frmUser> editor = win->findChild<frmUser*>();
        QVERIFY(editor && editor->isVisible() && !editor->isModal());
        editor->txtUSNAME->setText("Bárta Jan");
        SetBoxText(editor->txtUSADR, "Náměstí 1");
        QTest::mouseClick(editor->cmdSave, Qt::LeftButton);
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(k->lvwUsers->Count(), 2);
        k->NactiList();
        QCOMPARE(k->lvwUsers->Count(), 3);
        QCOMPARE(k->lvwUsers->Item(2)->SubItem(1), QString("Bárta Jan"));
    }
};

DVD_TEST_MAIN(TestLendFlow)
#include "tst_lendflow.moc"
