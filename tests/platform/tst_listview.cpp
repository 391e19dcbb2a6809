#include "listview.h"

#include <QHeaderView>
#include <QSignalSpy>

#include "err.h"
#include "testmain.h"
#include "twips.h"
#include "vb.h"

namespace {

// Texts of one column in display order.
QStringList columnTexts(const ListView& lv, int subItem = 0) {
    QStringList out;
    for (int i = 1; i <= lv.Count(); ++i)
        out << (subItem ? lv.Item(i)->SubItem(subItem) : lv.Item(i)->Text());
    return out;
}

template <class F> long errorNumber(F&& f) {
    try {
        f();
    } catch (const vb::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

class TestListView : public QObject {
    Q_OBJECT

    std::unique_ptr<ListView> makeList(int columns = 3) {
        auto lv = std::make_unique<ListView>();
        for (int c = 1; c <= columns; ++c)
            lv->AddColumn(QString("C%1").arg(c), 1440);
        return lv;
    }

private slots:
    void keysAndCollectionErrors() {
        auto lv = makeList();
        lv->Add("K1", "one");
        try {
            lv->Add("K1", "again");
            QFAIL("duplicate key accepted");
        } catch (const vb::RuntimeError& e) {
            QCOMPARE(e.number(), 35602L);
            QCOMPARE(e.description(), QString("Key is not unique in collection"));
        }
        QCOMPARE(lv->Count(), 1);
        // items without a key do not clash
        lv->Add("", "a");
        lv->Add("", "b");
        QCOMPARE(lv->Count(), 3);
        QCOMPARE(errorNumber([&] { lv->Item("K9"); }), 35601L);
        QCOMPARE(errorNumber([&] { lv->Item(0); }), 35600L);
        QCOMPARE(errorNumber([&] { lv->Item(4); }), 35600L);
        QCOMPARE(errorNumber([&] { lv->Item(1)->setSubItem(3, "x"); }), 380L); // only sub-items 1 and 2
        QCOMPARE(lv->FindItem("K9"), nullptr);
        // a removed key can be used again
        lv->Remove("K1");
        QCOMPARE(lv->FindItem("K1"), nullptr);
        QCOMPARE(lv->Add("K1", "new")->Text(), QString("new"));
        // short, long, Latin-1 and other keys: each its own, none mistaken for another
        const QStringList kinds = {"K",
                                   QString("K") + QChar(0),
                                   QString("K") + QChar(0) + QChar(0),
                                   "K\u010D",
                                   "K123456",
                                   "K1234567",
                                   "k1",
                                   "K01"};
        for (const QString& k : kinds)
            lv->Add(k, k);
        for (const QString& k : kinds)
            QCOMPARE(lv->Item(k)->Text(), k);
        QCOMPARE(errorNumber([&] { lv->Add("K\u010D", "again"); }), 35602L);
        QCOMPARE(errorNumber([&] { lv->Add("K1234567", "again"); }), 35602L);
        lv->Remove("K\u010D");
        lv->Remove("K123456");
        QCOMPARE(lv->FindItem("K\u010D"), nullptr);
        QCOMPARE(lv->FindItem("K123456"), nullptr);
        QCOMPARE(lv->Item("K1234567")->Text(), QString("K1234567"));
        lv->Clear();
        QCOMPARE(lv->Count(), 0);
        QCOMPARE(lv->FindItem("K1"), nullptr);
    }

    void lookupsByKeyAndValueSurviveSorts() {
        auto lv = makeList();
        QList<ListItem*> added;
        for (const char* t : {"delta", "alfa", "echo", "cyril", "bravo"})
            added << lv->Add(QString("K") + t, t);
        QSet<qint64> values;
        for (ListItem* it : added)
            values.insert(it->Value());
        QCOMPARE(values.size(), added.size()); // every item has a value of its own

        added[2]->setValue(500); // "echo"
        lv->setSorted(true);
        QCOMPARE(columnTexts(*lv), QStringList({"alfa", "bravo", "cyril", "delta", "echo"}));
        lv->setSortOrder(lvwDescending);
        QCOMPARE(lv->Item(1)->Text(), QString("echo"));
        for (ListItem* it : added) {
            QCOMPARE(lv->Item(it->Key()), it);
            QCOMPARE(lv->FindItemByValue(it->Value()), it);
            QCOMPARE(lv->Item(it->Index()), it);
            QCOMPARE(lv->FindIndexByValue(it->Value()), it->Index());
        }
        QCOMPARE(lv->FindItemByValue(500), added[2]);
        QCOMPARE(lv->FindIndexByValue(123456), 0);

        lv->Remove(lv->Item(1)); // "echo"
        QCOMPARE(lv->FindItemByValue(500), nullptr);
        QCOMPARE(columnTexts(*lv), QStringList({"delta", "cyril", "bravo", "alfa"}));
        QCOMPARE(lv->Item("Kalfa")->Index(), 4);
    }

    void czechCaseInsensitiveTextSort() {
        auto lv = makeList();
        const QStringList shuffled{"Ivan", "dech", "Chata", "Čelisti", "had", "cesta", "Ahoj", "ČAS"};
        for (const QString& t : shuffled)
            lv->Add("", t);
        lv->setSorted(true);
        const QStringList ascending{"Ahoj", "cesta", "ČAS", "Čelisti", "dech", "had", "Chata", "Ivan"};
        QCOMPARE(columnTexts(*lv), ascending);
        lv->setSortOrder(lvwDescending);
        QStringList descending = ascending;
        std::reverse(descending.begin(), descending.end());
        QCOMPARE(columnTexts(*lv), descending);
    }

    void sortKeyOnSubItemAndEqualTexts() {
        auto lv = makeList();
        lv->Add("A", "1")->setSubItem(1, "Zima");
        lv->Add("B", "2")->setSubItem(1, "ABECEDA");
        lv->Add("C", "3"); // no sub-item: sorts as ""
        lv->Add("D", "4")->setSubItem(1, "abeceda");
        lv->setSortKey(1);
        lv->setSorted(true);
        QCOMPARE(columnTexts(*lv), QStringList({"3", "2", "4", "1"})); // equal texts keep their order
    }

    // Sorts keep each column's collation order from one sort to the next:
    // a text changed or an item added meanwhile must sort by its text as it
    // is now, and equal texts keep their order whichever way the column goes.
    void resortsUseTheTextsAsTheyAreNow() {
        auto lv = makeList();
        lv->setSortKey(1);
        // added in the column's order, equal texts among them
        const QStringList texts{"ahoj", "AHOJ", "Cesta", "Ahoj", "Dech"};
        const QStringList sorted{"ahoj", "AHOJ", "Ahoj", "Cesta", "Dech"};
        for (const QString& t : sorted)
            lv->Add("K" + QString::number(texts.indexOf(t) + 1), QString::number(texts.indexOf(t) + 1))
                ->setSubItem(1, t);
        lv->setSortOrder(lvwDescending);
        lv->setSorted(true);
        QCOMPARE(columnTexts(*lv), QStringList({"5", "3", "1", "2", "4"})); // not "4", "2", "1"
        lv->setSortOrder(lvwAscending);
        QCOMPARE(columnTexts(*lv), QStringList({"1", "2", "4", "3", "5"}));

        lv->Item("K5")->setSubItem(1, "Abeceda");
        lv->setSortOrder(lvwDescending);
        QCOMPARE(columnTexts(*lv), QStringList({"3", "1", "2", "4", "5"}));
        lv->Add("K6", "6")->setSubItem(1, "Bob");
        lv->setSortOrder(lvwAscending);
        QCOMPARE(columnTexts(*lv), QStringList({"5", "1", "2", "4", "6", "3"}));

        // a soft hyphen alone sorts as an empty text does
        auto hyphen = makeList();
        for (const QString& t : {QString(), QString(QChar(0xAD)), QString("b")})
            hyphen->Add("", t);
        hyphen->setSortOrder(lvwDescending);
        hyphen->setSorted(true);
        QCOMPARE(columnTexts(*hyphen), QStringList({"b", "", QString(QChar(0xAD))}));
    }

    void sortedListStaysSorted() {
        auto lv = makeList();
        lv->setSorted(true);
        lv->Add("K1", "Dech");
        lv->Add("K2", "Cesta");
        ListItem* had = lv->Add("K3", "Had");
        QCOMPARE(columnTexts(*lv), QStringList({"Cesta", "Dech", "Had"}));
        ListItem* added = lv->Add("K4", "Čelisti");
        QCoreApplication::processEvents(); // the view's rows are put in order by the event loop too
        QCOMPARE(lv->model()->index(1, 0).data().toString(), QString("Čelisti"));
        QCOMPARE(added->Index(), 2);
        had->setText("Abeceda");
        QCOMPARE(had->Index(), 1);

        // a refill in one batch: sorted at its end, and the view's rows follow
        lv->BeginUpdate();
        lv->Clear();
        for (const char* t : {"Ivan", "Chata", "Had", "cesta"})
            lv->Add(QString("K") + t, QString::fromUtf8(t));
        lv->EndUpdate();
        QCOMPARE(columnTexts(*lv), QStringList({"cesta", "Had", "Chata", "Ivan"}));
        QAbstractItemModel* m = lv->model();
        QCOMPARE(m->rowCount(), 4);
        for (int r = 0; r < 4; ++r)
            QCOMPARE(m->index(r, 0).data().toString(), lv->Item(r + 1)->Text());

        // not sorted: new items go to the end
        lv->setSorted(false);
        lv->Add("Kx", "Abc");
        QCOMPARE(lv->Item(lv->Count())->Text(), QString("Abc"));
    }

    void customSortOverValues() {
        auto lv = makeList();
        for (const char* t : {"10", "2", "", "9", "2"})
            lv->Add("", t);
        const qint64 firstTwo = lv->Item(2)->Value();
        lv->setSortOrder(lvwDescending); // a text sort setting; not Sorted, so nothing moves
        QCOMPARE(columnTexts(*lv), QStringList({"10", "2", "", "9", "2"}));

        // the cell read by value, as the numeric column sort does it
        auto number = [&](qint64 value) {
            const QString t = lv->CellText(lv->FindIndexByValue(value), 0);
            return t.isEmpty() ? -1e300 : t.toDouble();
        };
        lv->SortItems([&](qint64 a, qint64 b) {
            const double x = number(a), y = number(b);
            return x < y ? -1 : x > y ? 1 : 0;
        });
        QCOMPARE(columnTexts(*lv), QStringList({"", "2", "2", "9", "10"}));
        QCOMPARE(lv->Item(2)->Value(), firstTwo); // equal items keep their order
        QVERIFY(!lv->Sorted());
        QCOMPARE(lv->model()->index(4, 0).data().toString(), QString("10"));
    }

    void cellTextReadsAtMost31Characters() {
        auto lv = makeList();
        const QString longText = QString::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy");
        ListItem* it = lv->Add("K1", longText);
        it->setSubItem(2, "short");
        QCOMPARE(lv->CellText(1, 0), longText.left(31));
        QCOMPARE(lv->CellText(1, 0).size(), 31);
        QCOMPARE(it->Text(), longText); // the item keeps its whole text
        QCOMPARE(lv->CellText(1, 2), QString("short"));
        QCOMPARE(lv->CellText(1, 1), QString());
        QCOMPARE(lv->CellText(0, 0), QString()); // no such item
        QCOMPARE(lv->CellText(2, 0), QString());
    }

    void textColoursPerCell() {
        auto lv = makeList();
        ListItem* it = lv->Add("K1", "x");
        it->setSubItem(1, "a");
        const qint32 lent = vb::RGB(1, 100, 1);
        it->setForeColor(lent);
        it->setSubItemForeColor(2, 255); // red, a sub-item never given a text
        QCOMPARE(it->ForeColor(), lent);
        QCOMPARE(it->SubItemForeColor(1), ListItem::DefaultColor);
        QCOMPARE(it->SubItemForeColor(2), 255);
        QAbstractItemModel* m = lv->model();
        QCOMPARE(m->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(1, 100, 1));
        QVERIFY(!m->index(0, 1).data(Qt::ForegroundRole).isValid()); // default colour
        QCOMPARE(m->index(0, 2).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        it->setForeColor(0);
        QCOMPARE(m->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::black));
        // all at once: the item's and each sub-item's set so far
        it->setAllForeColors(lent);
        QCOMPARE(it->ForeColor(), lent);
        QCOMPARE(it->SubItemForeColor(1), lent);
        QCOMPARE(it->SubItemForeColor(2), lent);
        QCOMPARE(it->SubItemCount(), 2);
    }

    void columnWidthsInTwips() {
        ListView lv;
        ColumnHeader* c1 = lv.AddColumn("Ev. číslo", 1587);
        ColumnHeader* c2 = lv.AddColumn("CZ Název", 4410, lvwColumnRight);
        QCOMPARE(c1->Width(), 1587); // reads back as set, not as its pixels
        QCOMPARE(lv.header()->sectionSize(0), TwipsToPixels(1587));
        QCOMPARE(lv.header()->sectionSize(1), 294);
        QCOMPARE(lv.Column(2), c2);
        QCOMPARE(lv.Column(2)->Index(), 2);
        QCOMPARE(errorNumber([&] { lv.Column(3); }), 35600L);
        QCOMPARE(errorNumber([&] { c1->setWidth(-1); }), 380L);
        QCOMPARE(c1->Width(), 1587);
        QCOMPARE(lv.model()->headerData(0, Qt::Horizontal).toString(), QString("Ev. číslo"));
        QVERIFY(lv.model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);

        c1->setWidth(2117);
        QCOMPARE(c1->Width(), 2117);
        lv.header()->resizeSection(0, 200); // as the user dragging the divider
        QCOMPARE(c1->Width(), 3000);

        // a refill does not touch the widths
        lv.BeginUpdate();
        lv.Clear();
        lv.Add("K1", "1")->setSubItem(1, "x");
        lv.EndUpdate();
        QCOMPARE(lv.header()->sectionSize(0), 200);
        QCOMPARE(lv.header()->sectionSize(1), 294);
        QCOMPARE(c2->Width(), 4410);
    }

    void selectionAndScrolling() {
        auto lv = makeList();
        lv->resize(300, 200);
        lv->show();
        QVERIFY(QTest::qWaitForWindowExposed(lv.get()));
        lv->BeginUpdate();
        for (int i = 1; i <= 1000; ++i)
            lv->Add(QString("K%1").arg(i), QString("%1").arg(i, 4, 10, QChar('0')));
        lv->EndUpdate();
        // as in the Windows control, the first item is selected after a fill
        QCOMPARE(lv->SelectedItem(), lv->Item(1));
        QVERIFY(lv->selectionModel()->isRowSelected(0, QModelIndex()));
        lv->setSelectedItem(nullptr);
        QCOMPARE(lv->SelectedItem(), nullptr);
        QVERIFY(!lv->selectionModel()->hasSelection());

        ListItem* far = lv->Item("K900");
        const QModelIndex farIndex = lv->model()->index(899, 0);
        QVERIFY(!lv->viewport()->rect().intersects(lv->visualRect(farIndex)));
        far->setSelected(true);
        far->EnsureVisible();
        QVERIFY(lv->viewport()->rect().contains(lv->visualRect(farIndex).center()));
        QCOMPARE(lv->SelectedItem(), far);
        QVERIFY(lv->selectionModel()->isRowSelected(899, QModelIndex()));

        // single selection: selecting another drops the first
        ListItem* other = lv->Item("K901");
        other->setSelected(true);
        QVERIFY(!far->Selected());
        QCOMPARE(lv->SelectedItems(), QList<ListItem*>{other});

        // the selection stays with its item when the order changes
        lv->setSortOrder(lvwDescending);
        lv->setSorted(true);
        QCOMPARE(other->Index(), 100);
        QCOMPARE(lv->selectionModel()->selectedRows(), QModelIndexList{lv->model()->index(99, 0)});
        QCOMPARE(lv->SelectedItem(), other);

        // a click on a row selects it and reports it
        QSignalSpy clicks(lv.get(), &ListView::ItemClick);
        other->EnsureVisible();
        QApplication::processEvents();
        const QModelIndex otherRow = lv->model()->index(other->Index() - 1, 0);
        const QModelIndex below = otherRow.siblingAtRow(otherRow.row() + 1);
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, lv->visualRect(below).center());
        QCOMPARE(clicks.size(), 1);
        ListItem* clicked = clicks.at(0).at(0).value<ListItem*>();
        QCOMPARE(clicked, lv->Item(below.row() + 1));
        QCOMPARE(lv->SelectedItem(), clicked);
        QVERIFY(!other->Selected());

        // removing the selected item: the item answers what the view shows
        lv->Remove(clicked);
        const QModelIndexList rows = lv->selectionModel()->selectedRows();
        QCOMPARE(lv->SelectedItems().size(), rows.size());
        if (!rows.isEmpty()) QCOMPARE(lv->SelectedItem(), lv->Item(rows.first().row() + 1));
    }

    void multiSelect() {
        auto lv = makeList();
        lv->setMultiSelect(true);
        for (int i = 1; i <= 5; ++i)
            lv->Add(QString("K%1").arg(i), QString::number(i));
        lv->Item(4)->setSelected(true);
        lv->Item(2)->setSelected(true);
        QCOMPARE(lv->SelectedItems(), (QList<ListItem*>{lv->Item(1), lv->Item(2), lv->Item(4)}));
        lv->Item(1)->setSelected(false);
        QCOMPARE(lv->SelectedItems(), (QList<ListItem*>{lv->Item(2), lv->Item(4)}));
        QCOMPARE(lv->selectionModel()->selectedRows().size(), 2);
    }

    void mouseSignals() {
        auto lv = makeList();
        lv->resize(400, 200);
        lv->show();
        QVERIFY(QTest::qWaitForWindowExposed(lv.get()));
        QSignalSpy columns(lv.get(), &ListView::ColumnClick);
        QHeaderView* h = lv->header();
        const QPoint third(h->sectionViewportPosition(2) + 5, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, third);
        QCOMPARE(columns.size(), 1);
        QCOMPARE(columns.at(0).at(0).toInt(), 3);

        // a right click over empty space still reports the button and the place
        QSignalSpy ups(lv.get(), &ListView::MouseUp);
        const QPoint empty = lv->viewport()->rect().center();
        QTest::mouseClick(lv->viewport(), Qt::RightButton, {}, empty);
        QCOMPARE(ups.size(), 1);
        QCOMPARE(ups.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(ups.at(0).at(2).toPoint(), lv->viewport()->mapTo(lv.get(), empty));
    }

    void gridLines() {
        auto lv = makeList();
        lv->resize(300, 200);
        lv->Add("K1", "a");
        lv->Add("K2", "b");
        lv->setSelectedItem(nullptr);
        const QModelIndex second = lv->model()->index(1, 0);
        auto pixelBelowRow = [&] {
            const QImage img = lv->viewport()->grab().toImage();
            return img.pixel(10, lv->visualRect(second).bottom());
        };
        const QRgb line = lv->palette().color(QPalette::Midlight).rgb();
        QVERIFY(!lv->GridLines());
        QVERIFY(pixelBelowRow() != line);
        lv->setGridLines(true);
        QCOMPARE(pixelBelowRow(), line);
    }

    void largeSortedRefill() {
        ListView lv;
        for (int c = 0; c < 7; ++c)
            lv.AddColumn(QString::number(c), 1587);
        lv.setSortKey(1);
        lv.setSorted(true);
        lv.show();
        lv.BeginUpdate();
        lv.Clear();
        const int n = 20000;
        for (int i = 0; i < n; ++i) {
            ListItem* it = lv.Add(QString("K%1").arg(i), QString::number(i));
            it->setSubItem(1, QString("Film %1").arg((i * 7919) % n, 6, 10, QChar('0')));
            for (int s = 2; s <= 6; ++s)
                it->setSubItem(s, "text");
            it->setForeColor(0);
            for (int s = 1; s <= 6; ++s)
                it->setSubItemForeColor(s, 0);
        }
        lv.EndUpdate();
        QApplication::processEvents();
        QCOMPARE(lv.Count(), n);
        QCOMPARE(lv.Item(1)->SubItem(1), QString("Film 000000"));
        QCOMPARE(lv.Item(n)->SubItem(1), QString("Film 019999"));
        QCOMPARE(lv.Item("K1")->Index(), 7919 + 1);
    }
};

DVD_TEST_MAIN(TestListView)
#include "tst_listview.moc"
