#include "core/Main.h"
#include "core/frmMaster.h"
#include "core/mFunction.h"
#include "core/modSortLvw.h"

#include "fixtures.h"
#include "listview.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"
#include "vb.h"

#include <QAction>
#include <QPointer>
#include <QRandomGenerator>
#include <QSettings>

namespace {

using testsupport::at;

} // namespace

class TestSorting : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> rec;
    QPointer<frmMaster> win;

    frmMaster* open() {
        win = new frmMaster;
        return win;
    }
    void click(int header) { emit win->lvwList->ColumnClick(header); }

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
        QCOMPARE(rec->count(), 0);
        rec.reset();
    }

    void numbersSortAsNumbersWithOneSharedOrder() {
        dir->insertFilm("Beta", {{"KatCisl", "10"}});
        dir->insertFilm("Alfa", {{"KatCisl", "2"}});
        dir->insertFilm("Gama", {{"KatCisl", "9"}});
        dir->insertFilm("Delta", {{"KatCisl", ""}});
        dir->insertFilm("Epsilon", {{"KatCisl", "3a"}});
        frmMaster* w = open();
        ListView* lv = w->lvwList;
        QCOMPARE(lv->SortOrder(), lvwAscending);

        click(1); // the order is reversed before the sort: descending first
        QCOMPARE(testsupport::listColumn(lv, 0), QStringList({"10", "9", "3a", "2", ""}));
        QCOMPARE(lv->SortKey(), 0);
        QVERIFY(!lv->Sorted());
        click(1);
        QCOMPARE(testsupport::listColumn(lv, 0), QStringList({"", "2", "3a", "9", "10"}));

        // Another column goes on with the same order: this click is descending.
        click(2);
        QCOMPARE(lv->SortKey(), 1);
        QVERIFY(lv->Sorted());
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Gama", "Epsilon", "Delta", "Beta", "Alfa"}));

        // A text sort stays on: a refill comes back sorted by the list.
        w->NactiSeznamDVD("KatCisl");
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Gama", "Epsilon", "Delta", "Beta", "Alfa"}));
        // A numeric sort switches it off: a refill shows the query's order.
        click(1);
        QVERIFY(!lv->Sorted());
        w->NactiSeznamDVD("CZJM");
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Alfa", "Beta", "Delta", "Epsilon", "Gama"}));
    }

    void datesSortWithUnlentFilmsAsTheZeroDate() {
        const long alice = dir->insertClient("Alena");
        const long a = dir->insertFilm("Alfa");
        const long b = dir->insertFilm("Beta");
        dir->insertFilm("Cé");
        const long d = dir->insertFilm("Dé");
        dir->insertLoan(alice, a, at(5, 1, 2026, 9, 0, 0));
        dir->insertLoan(alice, b, at(20, 12, 2025, 23, 59, 59));
        dir->insertLoan(alice, d, at(5, 1, 2026, 8, 59, 59));
        frmMaster* w = open();
        ListView* lv = w->lvwList;
        QCOMPARE(lv->Item("K" + QString::number(a))->ForeColor(), PujcenoColor);
        click(5);
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Alfa", "Dé", "Beta", "Cé"}));
        QCOMPARE(lv->SortKey(), 4);
        click(5);
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Cé", "Beta", "Dé", "Alfa"}));
        // after any header click the lent films are black
        for (int i = 1; i <= lv->Count(); ++i) {
            QCOMPARE(lv->Item(i)->ForeColor(), 0);
            QCOMPARE(lv->Item(i)->SubItemForeColor(3), 0);
        }
    }

    // Clicking a column again turns its order over, but films with equal
    // numbers (or no lend date) keep the order they had, as any sort does.
    void equalCellsKeepTheirOrderEitherWay() {
        const long alice = dir->insertClient("Alena");
        dir->insertFilm("Alfa", {{"KatCisl", "5"}});
        const long b = dir->insertFilm("Beta", {{"KatCisl", "3"}});
        dir->insertFilm("Delta", {{"KatCisl", "5"}});
        dir->insertFilm("Gama", {{"KatCisl", "5"}});
        dir->insertLoan(alice, b, at(5, 1, 2026, 9, 0, 0));
        ListView* lv = open()->lvwList;
        click(1);
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Alfa", "Delta", "Gama", "Beta"}));
        click(1);
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Beta", "Alfa", "Delta", "Gama"}));
        click(5);
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Beta", "Alfa", "Delta", "Gama"}));
        click(5);
        QCOMPARE(testsupport::listColumn(lv, 1), QStringList({"Alfa", "Delta", "Gama", "Beta"}));
    }

    void comparisonsReadAtMost31Characters() {
        ListView lv;
        lv.AddColumn("A");
        const QString common(31, QLatin1Char('1'));
        ListItem* x = lv.Add("a", common + "9");
        ListItem* y = lv.Add("b", common + "0");
        ListItem* z = lv.Add("c", "");
        ListItem* big = lv.Add("d", "1e999");
        ListItem* text = lv.Add("e", "12a");
        QCOMPARE(LvwGetItemTextByParam(x->Value(), &lv, 0), common);
        QCOMPARE(LvwGetItemTextByParam(-5, &lv, 0), QString());
        QCOMPARE(CompareNumbers(x->Value(), y->Value(), &lv), 0);
        QCOMPARE(CompareNumbers(z->Value(), text->Value(), &lv), -1);
        QCOMPARE(CompareNumbers(text->Value(), z->Value(), &lv), 1);
        QCOMPARE(CompareNumbers(big->Value(), text->Value(), &lv), 0); // too large: equal
        QCOMPARE(CompareNumbers(x->Value(), y->Value(), nullptr), 0);
        lv.setSortOrder(lvwDescending);
        QCOMPARE(CompareNumbers(z->Value(), text->Value(), &lv), 1);

        ListView dates;
        dates.AddColumn("D");
        ListItem* d1 = dates.Add("a", "8.12.2026 19:03:23");
        ListItem* d2 = dates.Add("b", "9.12.2026");
        ListItem* junk = dates.Add("c", "zítra");
        ListItem* old = dates.Add("d", "1.1.1800");
        QCOMPARE(CompareDates(d1->Value(), d2->Value(), &dates), -1);
        QCOMPARE(CompareDates(junk->Value(), d1->Value(), &dates), -1);
        QCOMPARE(CompareDates(old->Value(), junk->Value(), &dates), -1); // before the zero date
    }

    // The list sort converts each cell once; its order must be one that the
    // pairwise comparisons agree with.
    void sortAgreesWithThePairwiseComparisons() {
        const QStringList samples{"",
                                  "7",
                                  "-3",
                                  "12a",
                                  "1.5",
                                  "1,5",
                                  " 4 2",
                                  "abc",
                                  "2e3",
                                  "0",
                                  "8.12.2026 19:03:23",
                                  "1.1.2026",
                                  "31.12.1899",
                                  "zítra",
                                  "9.12.2026 0:00:01"};
        QRandomGenerator rnd(11);
        for (short type : {SortNumbers, SortDates}) {
            for (ListSortOrder order : {lvwAscending, lvwDescending}) {
                ListView lv;
                lv.AddColumn("A");
                lv.AddColumn("B");
                for (int i = 0; i < 300; ++i) {
                    ListItem* it = lv.Add(QString::number(i), "x");
                    it->setSubItem(1, samples[int(rnd.bounded(samples.size()))]);
                    if (order == lvwDescending) it->setValue(qint64(i) * 1000003); // sparse values
                }
                lv.setSortKey(1);
                lv.setSortOrder(order);
                SortListView(&lv, type);
                for (int i = 1; i < lv.Count(); ++i) {
                    const qint64 a = lv.Item(i)->Value(), b = lv.Item(i + 1)->Value();
                    const int c = type == SortNumbers ? CompareNumbers(a, b, &lv) : CompareDates(a, b, &lv);
                    QVERIFY2(c <= 0, qPrintable(lv.Item(i)->SubItem(1) + " / " + lv.Item(i + 1)->SubItem(1)));
                }
            }
        }
    }
};

DVD_TEST_MAIN(TestSorting)
#include "tst_sorting.moc"
