#include "core/mDatabase.h"
#include "core/schema.h"
#include "lending/frmKlienti.h"
#include "lending/frmUser.h"

#include "captions.h"
#include "controls.h"
#include "fixtures.h"
#include "listview.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"
#include "twips.h"
#include "vb.h"

#include <QAction>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

using testsupport::at;

using Row = TestProgramDir::Row;

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QList<long> ids(const QListWidget* list) {
    QList<long> out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->data(Qt::UserRole).toInt();
    return out;
}

void mark(QListWidget* list, const QString& title, int nth = 0) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == title && nth-- == 0) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(i)).center());
            QVERIFY(list->item(i)->isSelected());
            return;
        }
    QFAIL(qPrintable("no entry " + title));
}

// Where a label's text puts ink when drawn unclipped, in the label's
// coordinates: the label's font, alignment and room, as QLabel draws it.
QRect inkOf(const QLabel* label) {
    const int pad = 40;
    QImage image(label->size() + QSize(2 * pad, 2 * pad), QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(qRound(label->logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(label->logicalDpiY() / 0.0254));
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setFont(label->font());
        p.setPen(Qt::black);
        p.drawText(label->contentsRect().translated(pad, pad), int(label->alignment()) | Qt::TextDontClip,
                   label->text());
    }
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) ink |= QRect(x - pad, y - pad, 1, 1);
    return ink;
}

// Runs `action` on the modal client editor once it is shown.
void onEditor(std::function<void(frmUser*)> action) {
    QTimer::singleShot(0, [action] {
        auto* editor = qobject_cast<frmUser*>(QApplication::activeModalWidget());
        QVERIFY(editor);
        action(editor);
    });
}

} // namespace

class TestFrmKlienti : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec;
    std::unique_ptr<QWidget> owner;

    frmKlienti* open() {
        frmKlienti* w = frmKlienti::Open(owner.get());
        return w;
    }
    void clickToolbar(frmKlienti* w, const QString& key) {
        QAction* a = w->ToolbarButton(key);
        QVERIFY(a);
        QTest::mouseClick(w->Toolbar1->widgetForAction(a), Qt::LeftButton);
    }
    void select(frmKlienti* w, long usid) { w->lvwUsers->Item(QString("U%1").arg(usid))->setSelected(true); }
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
        owner.reset(); // the lending window goes with its owner
        QVERIFY(!frmKlienti::instance());
        dir.reset();
        const int unexpected = rec->count();
        rec.reset();
        QCOMPARE(unexpected, 0);
    }

    void windowListAndToolbar() {
        const long b =
            dir->insertClient("Novák Petr", {{"USREGNUM", "120"}, {"USADR", "Dlouhá 5\r\nPraha 1\r\nCZ"}});
        const long a = dir->insertClient("Adam Jiří", {{"USREGNUM", "7"}, {"USADR", "Krátká 2"}});
        const long c = dir->insertClient("Čech Karel", {{"USADR", ado::Variant()}});
        frmKlienti* w = open();
        QCOMPARE(frmKlienti::Open(owner.get()), w); // one at a time
        QCOMPARE(w->windowTitle(), QString("Půjčovna"));
        QCOMPARE(w->parentWidget(), owner.get());
        QVERIFY(w->isVisible() && !w->isModal());

        ListView* lv = w->lvwUsers;
        QCOMPARE(lv->Count(), 3);
        QCOMPARE(lv->Item(1)->Key(), QString("U%1").arg(a));
        QCOMPARE(lv->Item(2)->Key(), QString("U%1").arg(c)); // Czech order: C < Č < N
        QCOMPARE(lv->Item(3)->Key(), QString("U%1").arg(b));
        QCOMPARE(lv->Item(3)->Text(), QString("120"));
        QCOMPARE(lv->Item(3)->SubItem(1), QString("Novák Petr"));
        QCOMPARE(lv->Item(3)->SubItem(2), QString("Dlouhá 5, Praha 1, CZ"));
        QCOMPARE(lv->Item(2)->Text(), QString());
        QCOMPARE(lv->Item(2)->SubItem(2), QString());
        QCOMPARE(lv->SelectedItem(), lv->Item(1));

        const QStringList keys{"ShowUserHistory", "keyHpujcka", "keyHVratit"};
        const QStringList captions{"Historie   ", "Půjčit      ", "Vrátit      "};
        QCOMPARE(w->Toolbar1->actions().size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(w->ToolbarButton(keys[i])->text(), captions[i]);
        for (QFrame* p : {w->picVypujcit, w->picVratit, w->picHistorie})
            QVERIFY(!p->isVisible());
        // an unknown key does nothing
        w->Toolbar1_ButtonClick("keyhpujcka");
        QVERIFY(!w->picVypujcit->isVisible());

        // no window menu that could hide the toolbar, no tool tips
        QCOMPARE(testsupport::popUpAt(w->Toolbar1, QPoint(w->Toolbar1->width() - 2, 5)), QStringList());
        QCOMPARE(testsupport::shownToolTips(w), QStringList());
    }

    // A caption too long for one line goes on two, the whole name and code
    // shown; only a name that two lines cannot hold loses its end, never the
    // personal code. No pixel of what is shown is cut.
    void captionsShowWholeNamesOnTwoLines() {
        const long a = dir->insertClient("Šťastný-Přemyslovský", {{"USREGNUM", "8001011234"}});
        const long b = dir->insertClient("Nováková-Svatopluková Přemyslovská", {{"USREGNUM", "7501011234"}});
        const QString longest = "Evita Šťastná-Přemyslovská-Wolkensteinová-Lobkowic";
        QCOMPARE(longest.size(), 50); // the longest name a client can have
        const long c = dir->insertClient(longest, {{"USREGNUM", "6001011234"}});
        frmKlienti* w = open();
        const QStringList prefixes{
            "Volné filmy k zapůjčení : ", "Vypůjčené filmy k vrácení: ", "Historie výpůjček : "};
        for (long client : {a, b, c}) {
            select(w, client);
            for (const char* key : {"keyHpujcka", "keyHVratit", "ShowUserHistory"})
                clickToolbar(w, key);
            QCOMPARE(CutCaptions(w).join(" | "), QString());
            const ListItem* itm = w->lvwUsers->SelectedItem();
            const QString code = " (" + itm->Text() + ")";
            const QList<QLabel*> captions{w->lblKZapujceni, w->lblVratit, w->lblHist};
            for (int i = 0; i < 3; ++i) {
                QLabel* caption = captions[i];
                const QString text = caption->text();
                QVERIFY2(text.count('\n') <= 1, qPrintable(text));
                QVERIFY2(caption->contentsRect().contains(inkOf(caption)), qPrintable(text));
                // a line broken at a blank or after a hyphen
                const QString read = QString(text).replace("-\n", "-").replace('\n', ' ');
                const QString whole = prefixes[i] + itm->SubItem(1) + code;
                if (client == c && read != whole) {
                    // the name's start on two lines, shortened before the whole code
                    const QString shown = read.mid(prefixes[i].size()).chopped(code.size());
                    QVERIFY2(text.contains('\n') && read.startsWith(prefixes[i]) && read.endsWith(code) &&
                                 shown.endsWith("…") && itm->SubItem(1).startsWith(shown.chopped(1)),
                             qPrintable(text));
                } else {
                    QCOMPARE(read, whole);
                }
            }
        }
    }

    // A click on the empty area or a ctrl-click on the selected client keeps it selected.
    void aClientStaysSelected() {
        dir->insertClient("Adam Jiří");
        const long b = dir->insertClient("Bártová Eva");
        frmKlienti* w = open();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        select(w, b);
        ListView* lv = w->lvwUsers;
        const QPoint row = lv->visualRect(lv->model()->index(1, 0)).center();
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::ControlModifier, row);
        QCOMPARE(lv->SelectedItem(), lv->Item(QString("U%1").arg(b)));
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, QPoint(20, lv->viewport()->height() - 5));
        QCOMPARE(lv->SelectedItem(), lv->Item(QString("U%1").arg(b)));
        clickToolbar(w, "keyHVratit");
        QVERIFY(w->picVratit->isVisible()); // no "Neexistuje osoba pro zapůjčení!"
    }

    void search() {
        const long n = dir->insertClient("Novák Petr", {{"USREGNUM", "120"}});
        const long a = dir->insertClient("adámek Jiří", {{"USREGNUM", "3312"}});
        dir->insertClient("Zelený", {{"USREGNUM", "12"}});
        const long k = dir->insertClient("Kos 12", {{"USREGNUM", "K-9"}});
        frmKlienti* w = open();
        auto find = [&](const QString& text) {
            w->txtFindUser->setText(text);
            QTest::mouseClick(w->Command4, Qt::LeftButton);
            return w->lvwUsers->SelectedItem()->Key();
        };
        auto key = [](long id) { return QString("U%1").arg(id); };
        QCOMPARE(find("12"), key(a));      // codes only, first in name order: 3312 before 120 and 12
        QCOMPARE(find(" NOVÁK "), key(n)); // names, trimmed, any case
        QCOMPARE(find("kos 1"), key(k));   // a letter in it: names only
        QCOMPARE(find("9"), key(k));       // any code may hold the digits
        QCOMPARE(find("xyz"), key(k));     // no match: the selection stays
        QCOMPARE(find(""), key(a));        // empty: the first client
        QCOMPARE(rec->count(), 0);
    }

    void addAndEditReloadTheList() {
        const long b = dir->insertClient("Bílý", {{"USADR", "Ulice 1"}, {"USREGNUM", "B1"}});
        frmKlienti* w = open();

        onEditor([](frmUser* e) {
            QCOMPARE(e->lblUSID->text(), QString("0"));
            QVERIFY(e->isModal());
            e->txtUSNAME->setText("Adámek");
            SetBoxText(e->txtUSADR, "Řádek 1\r\nŘádek 2");
            QTest::mouseClick(e->cmdSave, Qt::LeftButton);
        });
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QCOMPARE(w->lvwUsers->Count(), 2);
        QCOMPARE(w->lvwUsers->Item(1)->SubItem(1), QString("Adámek"));
        QCOMPARE(w->lvwUsers->Item(1)->SubItem(2), QString("Řádek 1, Řádek 2"));
        QVERIFY(!w->findChild<frmUser*>()); // the editor is gone

        select(w, b);
        onEditor([b](frmUser* e) {
            QCOMPARE(e->lblUSID->text(), QString::number(b));
            QCOMPARE(e->txtUSNAME->text(), QString("Bílý"));
            e->txtUSNAME->setText("Aaron Bílý");
            QTest::mouseClick(e->cmdSave, Qt::LeftButton);
        });
        QTest::mouseClick(w->Command3, Qt::LeftButton);
        QCOMPARE(w->lvwUsers->Item(1)->Key(), QString("U%1").arg(b));
        QCOMPARE(w->lvwUsers->Item(1)->SubItem(1), QString("Aaron Bílý"));
    }

    void noClientOpensNoPanel() {
        dir->insertFilm("Film");
        frmKlienti* w = open();
        QCOMPARE(w->lvwUsers->Count(), 0);
        QTest::mouseClick(w->Command3, Qt::LeftButton); // edit with nothing to edit: nothing
        for (const char* key : {"ShowUserHistory", "keyHpujcka", "keyHVratit"}) {
            clickToolbar(w, key);
            QCOMPARE(rec->last().text, QString("Neexistuje osoba pro zapůjčení!"));
            QCOMPARE(rec->last().title, QString("Nepovolená operace:"));
            QCOMPARE(rec->last().icon(), int(vb::vbInformation));
        }
        QCOMPARE(rec->count(), 3);
        for (QFrame* p : {w->picVypujcit, w->picVratit, w->picHistorie})
            QVERIFY(!p->isVisible());
        rec->clear();
    }

    void freeFilmsAndBulkLend() {
        const long other = dir->insertClient("Jiný");
        // a client whose code differs from its id lends under its id
        const long me = dir->insertClient("Malý Tomáš", {{"USREGNUM", "X-55"}});
        const long never = dir->insertFilm("Nikdy");
        const long back = dir->insertFilm("Vrácený");
        const long out = dir->insertFilm("Venku");
        const long twin1 = dir->insertFilm("Dvojče");
        const long twin2 = dir->insertFilm("Dvojče");
        dir->insertLoan(other, back, at(1, 1, 2025), at(2, 1, 2025));
        dir->insertLoan(me, back, at(3, 1, 2025), at(4, 1, 2025));
        dir->insertLoan(other, out, at(5, 1, 2025));
        frmKlienti* w = open();
        select(w, me);

        clickToolbar(w, "keyHpujcka");
        QVERIFY(w->picVypujcit->isVisible());
        QCOMPARE(w->picVypujcit->pos(), QPoint(TwipsToPixels(205), TwipsToPixels(205)));
        QCOMPARE(w->lblKZapujceni->text(), QString("Volné filmy k zapůjčení : Malý Tomáš (X-55)"));
        QCOMPARE(texts(w->lstPujcit), QStringList({"Dvojče", "Dvojče", "Nikdy", "Vrácený"}));
        const QList<long> free = ids(w->lstPujcit);
        QCOMPARE(QSet<long>(free.begin(), free.begin() + 2), QSet<long>({twin1, twin2}));
        QCOMPARE(free.mid(2), QList<long>({never, back}));

        // Storno and the close button write nothing
        mark(w->lstPujcit, "Nikdy");
        QTest::mouseClick(w->Command7, Qt::LeftButton);
        QVERIFY(!w->picVypujcit->isVisible());
        clickToolbar(w, "keyHpujcka");
        QVERIFY(w->lstPujcit->selectedItems().isEmpty()); // filled anew
        QTest::mouseClick(w->Command14, Qt::LeftButton);
        QVERIFY(!w->picVypujcit->isVisible());
        clickToolbar(w, "keyHpujcka");
        QTest::mouseClick(w->Command8, Qt::LeftButton); // nothing marked
        QVERIFY(!w->picVypujcit->isVisible());
        QCOMPARE(loans().size(), 3);

        clickToolbar(w, "keyHpujcka");
        mark(w->lstPujcit, "Dvojče", 1);
        mark(w->lstPujcit, "Nikdy");
        mark(w->lstPujcit, "Vrácený");
        const QDateTime before = vb::Now();
        QTest::mouseClick(w->Command8, Qt::LeftButton);
        QVERIFY(!w->picVypujcit->isVisible());
        const QList<Row> rows = loans().mid(3);
        QCOMPARE(rows.size(), 3);
        QSet<long> lent;
        for (const Row& r : rows) {
            QCOMPARE(r["P_UID"].toLong(), me);
            QVERIFY(r["PDatVraceni"].isNull());
            QVERIFY(r["PDatPujcky"].toDateTime() >= before);
            QVERIFY(r["PDatPujcky"].toDateTime().secsTo(vb::Now()) < 60);
            lent << r["P_DVDID"].toLong();
        }
        QCOMPARE(lent.size(), 3);
        QVERIFY(lent.contains(never) && lent.contains(back));
        QVERIFY(lent.contains(twin1) != lent.contains(twin2));

        // the refresh button shows what is left
        clickToolbar(w, "keyHpujcka");
        QCOMPARE(texts(w->lstPujcit), QStringList({"Dvojče"}));
        dir->insertFilm("Nový");
        QTest::mouseClick(w->Command13, Qt::LeftButton);
        QCOMPARE(texts(w->lstPujcit), QStringList({"Dvojče", "Nový"}));
    }

    // A list longer than the panel: each entry keeps its own film, and entries
    // marked far apart are all lent.
    void longFreeListKeepsEachFilm() {
        const long me = dir->insertClient("Malý Tomáš");
        // "Film 300" first: the list's order is not the films' order
        dir->execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                     "INSERT INTO tDVD (CZJm, KatCisl) SELECT printf('Film %03d', 301 - i), i FROM n");
        frmKlienti* w = open();
        select(w, me);
        clickToolbar(w, "keyHpujcka");
        QCOMPARE(w->lstPujcit->count(), 300);
        const QList<long> free = ids(w->lstPujcit);
        for (int k = 1; k <= 300; ++k) {
            QCOMPARE(w->lstPujcit->item(k - 1)->text(), QString::asprintf("Film %03d", k));
            QCOMPARE(free[k - 1], long(301 - k));
        }
        for (int k : {2, 150, 299}) {
            w->lstPujcit->scrollToItem(w->lstPujcit->item(k - 1));
            mark(w->lstPujcit, QString::asprintf("Film %03d", k));
        }
        QCOMPARE(w->lstPujcit->selectedItems().size(), 3);
        QTest::mouseClick(w->Command8, Qt::LeftButton);
        QSet<long> lent;
        for (const Row& r : loans()) {
            QCOMPARE(r["P_UID"].toLong(), me);
            lent << r["P_DVDID"].toLong();
        }
        QCOMPARE(lent, QSet<long>({299, 151, 2}));
    }

    // The panel names its client; moving the selection under it (the keys
    // still reach the list) does not send the films to another client.
    void bulkLendGoesToThePanelsClient() {
        const long other = dir->insertClient("Jiný");
        const long me = dir->insertClient("Malý Tomáš");
        const long film = dir->insertFilm("Nikdy");
        frmKlienti* w = open();
        select(w, me);
        clickToolbar(w, "keyHpujcka");
        QCOMPARE(w->lblKZapujceni->text(), QString("Volné filmy k zapůjčení : Malý Tomáš ()"));
        select(w, other);
        mark(w->lstPujcit, "Nikdy");
        QTest::mouseClick(w->Command8, Qt::LeftButton);
        const QList<Row> rows = loans();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["P_UID"].toLong(), me);
        QCOMPARE(rows[0]["P_DVDID"].toLong(), film);
    }

    void returnsAndHistory() {
        const long me = dir->insertClient("Malý Tomáš", {{"USREGNUM", "X-55"}});
        const long other = dir->insertClient("Jiný", {{"USREGNUM", "J"}});
        const long a = dir->insertFilm("Alfa");
        const long b = dir->insertFilm("Beta");
        const long c = dir->insertFilm("Cizí");
        dir->insertLoan(me, a, at(1, 1, 2025), at(8, 12, 2025, 19, 3, 23));
        dir->insertLoan(me, b, at(2, 1, 2025), at(3, 1, 2025, 9, 5, 7));
        const long openA = dir->insertLoan(me, a, at(10, 1, 2026));
        dir->insertLoan(me, b, at(11, 1, 2026));
        dir->insertLoan(other, c, at(11, 1, 2026));
        dir->insertLoan(other, c, at(1, 1, 2024), at(2, 1, 2024));
        frmKlienti* w = open();
        select(w, me);

        clickToolbar(w, "ShowUserHistory");
        QVERIFY(w->picHistorie->isVisible());
        QCOMPARE(w->picHistorie->pos(), QPoint(TwipsToPixels(205), TwipsToPixels(205)));
        QCOMPARE(w->lblHist->text(), QString("Historie výpůjček : Malý Tomáš (X-55)"));
        QCOMPARE(w->picHistorie->palette().color(QPalette::Window), QColor(224, 224, 224));
        QVERIFY(w->txtHistorie->isReadOnly());
        QCOMPARE(w->txtHistorie->toPlainText(),
                 QString("Alfa vráceno : 8.12.2025 19:03:23\nBeta vráceno : 3.1.2025 9:05:07\n"));

        clickToolbar(w, "keyHVratit");
        QVERIFY(w->picVratit->isVisible());
        QVERIFY(w->picHistorie->isVisible()); // opening one panel leaves the other
        QCOMPARE(w->lblVratit->text(), QString("Vypůjčené filmy k vrácení: Malý Tomáš (X-55)"));
        QCOMPARE(texts(w->lstVratit), QStringList({"Alfa", "Beta"}));
        QCOMPARE(ids(w->lstVratit), QList<long>({a, b}));
        // stacked: lent films on top, history under it, free films lowest
        const QObjectList order = w->picVratit->parent()->children();
        QVERIFY(order.indexOf(w->picVypujcit) < order.indexOf(w->picHistorie));
        QVERIFY(order.indexOf(w->picHistorie) < order.indexOf(w->picVratit));
        QVERIFY(order.indexOf(w->lvwUsers) < order.indexOf(w->picVypujcit));

        mark(w->lstVratit, "Alfa");
        QTest::mouseClick(w->Command10, Qt::LeftButton); // Storno
        QVERIFY(!w->picVratit->isVisible());
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tPujcky WHERE PDatVraceni IS NULL").toLong(), 3);

        clickToolbar(w, "keyHVratit");
        mark(w->lstVratit, "Alfa");
        QTest::mouseClick(w->Command9, Qt::LeftButton);
        QVERIFY(!w->picVratit->isVisible());
        const QList<Row> all = loans();
        QCOMPARE(all.size(), 6);
        for (const Row& r : all) {
            if (r["P_ID"].toLong() == openA)
                QVERIFY(r["PDatVraceni"].toDateTime().secsTo(vb::Now()) < 60);
            else if (r["P_DVDID"].toLong() == a)
                QCOMPARE(r["PDatVraceni"].toDateTime(), at(8, 12, 2025, 19, 3, 23)); // earlier loan unchanged
        }
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tPujcky WHERE PDatVraceni IS NULL").toLong(), 2);

        QTest::mouseClick(w->Command12, Qt::LeftButton); // refresh: the return on top
        const QStringList lines = w->txtHistorie->toPlainText().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("Alfa vráceno : " + vb::Now().date().toString("d.M.yyyy")));
        QCOMPARE(lines[1], QString("Alfa vráceno : 8.12.2025 19:03:23"));
        QTest::mouseClick(w->Command11, Qt::LeftButton);
        QVERIFY(!w->picHistorie->isVisible());

        // another client: no returned loans, its open loan only among lent films
        select(w, other);
        clickToolbar(w, "ShowUserHistory");
        QCOMPARE(w->txtHistorie->toPlainText(), QString("Cizí vráceno : 2.1.2024 10:00:00\n"));
        const long newcomer = dir->insertClient("Aaa Nový");
        w->NactiList();
        select(w, newcomer);
        clickToolbar(w, "ShowUserHistory");
        QCOMPARE(w->txtHistorie->toPlainText(), QString());
        clickToolbar(w, "keyHVratit");
        QCOMPARE(w->lstVratit->count(), 0);
        QTest::mouseClick(w->Command9, Qt::LeftButton); // nothing marked
        QVERIFY(!w->picVratit->isVisible());
        QCOMPARE(dir->scalar("SELECT COUNT(*) FROM tPujcky WHERE PDatVraceni IS NULL").toLong(), 2);
    }

    void aLongTitleWrapsAnywhere() {
        // A title of one long word: the history wraps it anywhere (at word
        // boundaries it costs the square of its length), the lists measure
        // and paint only its start.
        const long me = dir->insertClient("Malý");
        const long a = dir->insertFilm(QString(5000, 'x'));
        dir->insertFilm(QString(1100, 'x'));
        dir->insertLoan(me, a, at(1, 1, 2025), at(2, 1, 2025));
        const long other = dir->insertClient("Jiný");
        dir->insertLoan(other, dir->insertFilm("Beta"), at(1, 1, 2025), at(3, 1, 2025));
        frmKlienti* w = open();
        select(w, me);
        clickToolbar(w, "ShowUserHistory");
        QVERIFY(w->txtHistorie->toPlainText().startsWith(QString(5000, 'x') + " vráceno : "));
        QCOMPARE(w->txtHistorie->wordWrapMode(), QTextOption::WrapAnywhere);
        clickToolbar(w, "keyHpujcka");
        const auto width = [w](int length) {
            const QList<QListWidgetItem*> found =
                w->lstPujcit->findItems(QString(length, 'x'), Qt::MatchExactly);
            return found.isEmpty()
                       ? -1
                       : w->lstPujcit->sizeHintForIndex(w->lstPujcit->indexFromItem(found[0])).width();
        };
        QVERIFY(width(5000) > 0);
        QCOMPARE(width(5000), width(1100));
        select(w, other);
        clickToolbar(w, "ShowUserHistory");
        QCOMPARE(w->txtHistorie->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    }

    // A loan write the catalogue refuses: a box, the loans before it stay, the
    // rest are not tried and the panel shows what is free now.
    // Lists that cannot be read are said; no panel shows an empty list as
    // if there were nothing to lend, return or look back on.
    void unreadListsAreSaid() {
        const long me = dir->insertClient("Malý");
        dir->insertFilm("Alfa");
        frmKlienti* w = open();
        select(w, me);
        const QString catalogue = DBPath;
        DBPath = dir->dataPath() + "jinde.ddb";
        for (const char* key : {"keyHpujcka", "keyHVratit", "ShowUserHistory"})
            clickToolbar(w, key);
        w->NactiList();
        DBPath = catalogue;
        QCOMPARE(rec->count(), 4);
        QVERIFY(rec->boxes()[0].text.startsWith("Seznam filmů se nepodařilo z katalogu načíst."));
        QVERIFY(rec->boxes()[1].text.startsWith("Seznam filmů se nepodařilo z katalogu načíst."));
        QVERIFY(rec->boxes()[2].text.startsWith("Historii výpůjček se nepodařilo z katalogu načíst."));
        QVERIFY(rec->boxes()[3].text.startsWith("Seznam uživatelů se nepodařilo z katalogu načíst."));
        for (QFrame* p : {w->picVypujcit, w->picVratit, w->picHistorie})
            QVERIFY(!p->isVisible());
        QCOMPARE(w->lvwUsers->Count(), 1);
        rec->clear();
    }

    void refusedWritesAreSaid() {
        const long me = dir->insertClient("Malý");
        dir->insertFilm("Alfa");
        const long beta = dir->insertFilm("Beta");
        dir->insertFilm("Gama");
        dir->execute(QString("CREATE TRIGGER refuse BEFORE INSERT ON tPujcky WHEN NEW.P_DVDID = %1 "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                         .arg(beta));
        frmKlienti* w = open();
        clickToolbar(w, "keyHpujcka");
        for (const char* t : {"Alfa", "Beta", "Gama"})
            mark(w->lstPujcit, t);
        QTest::mouseClick(w->Command8, Qt::LeftButton);
        QCOMPARE(rec->count(), 1);
        QVERIFY2(rec->last().text.startsWith("Výpůjčku se nepodařilo zapsat"), qPrintable(rec->last().text));
        QCOMPARE(rec->last().title, QString("Půjčovna"));
        QCOMPARE(rec->last().icon(), int(vb::vbCritical));
        QCOMPARE(loans().size(), 1);
        QCOMPARE(loans()[0]["P_UID"].toLong(), me);
        QVERIFY(w->picVypujcit->isVisible());
        QCOMPARE(texts(w->lstPujcit), QStringList({"Beta", "Gama"}));
        rec->clear();

        // a catalogue locked by another connection: the return is said to fail and nothing changes
        dir->execute("DROP TRIGGER refuse");
        clickToolbar(w, "keyHVratit");
        mark(w->lstVratit, "Alfa");
        ado::Connection other;
        other.Open(schema::ConnString(dir->cataloguePath()));
        other.Execute("BEGIN IMMEDIATE");
        QTest::mouseClick(w->Command9, Qt::LeftButton);
        QCOMPARE(rec->count(), 1);
        QVERIFY2(rec->last().text.startsWith("Vrácení se nepodařilo zapsat"), qPrintable(rec->last().text));
        other.Execute("ROLLBACK");
        QVERIFY(w->isVisible());
        QVERIFY(w->picVratit->isVisible());
        QVERIFY(loans()[0]["PDatVraceni"].isNull());
        rec->clear();

        // the loan table damaged: the reason is said, not a guess
        QVERIFY(dir->damagePage(dir->rootPage("tPujcky")));
        mark(w->lstVratit, "Alfa");
        QTest::mouseClick(w->Command9, Qt::LeftButton);
        QVERIFY(rec->count() >= 1);
        const QString said = rec->boxes()[0].text;
        QVERIFY2(said.startsWith("Vrácení se nepodařilo zapsat") && said.contains("je poškozen") &&
                     !said.contains("možná"),
                 qPrintable(said));
        rec->clear();
    }
};

DVD_TEST_MAIN(TestFrmKlienti)
#include "tst_frmklienti.moc"
