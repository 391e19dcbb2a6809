#pragma once
// The model under the list view: what its items, headers and widget
// (listviewitems.cpp, listviewwidget.cpp) share. Callers include listview.h.
#include "listview.h"

#include "czcollate.h"
#include <QAbstractTableModel>
#include <QHash>
#include <QItemSelection>
#include <QMultiHash>
#include <QSet>

#include <memory>
#include <vector>

namespace listview {

enum : long {
    ErrInvalidPropertyValue = 380,
    ErrIndexOutOfBounds = 35600,
    ErrElementNotFound = 35601,
    ErrKeyNotUnique = 35602,
};

// Throws the Windows control's error of that number (any other: 35602).
[[noreturn]] void fail(long number);

// A short Latin-1 key (as "K123") packed with its length into one number,
// 0 for any other: the look-up then compares numbers in the table itself,
// not texts that lie elsewhere in memory. A refresh looks up thousands.
quint64 packedKey(const QString& key);

} // namespace listview

// Items, columns and order of one list view, published to the view as a
// flat table.
class ListViewModel final : public QAbstractTableModel {
public:
    explicit ListViewModel(ListView* view) : QAbstractTableModel(view), view_(view) {}
    ~ListViewModel() override { qDeleteAll(items_); }

    // --- QAbstractItemModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : published_;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(columns_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                               : Qt::NoItemFlags;
    }

    // --- columns
    ColumnHeader* addColumn(const QString& text, int widthTwips, ListColumnAlignment alignment);
    void clearColumns();
    void applyWidth(ColumnHeader* column);
    void columnChanged(ColumnHeader* column);
    void sectionResized(int logical, int newSize);
    ColumnHeader* column(int index0) const { return columns_[size_t(index0)].get(); }
    int columns() const { return int(columns_.size()); }

    // --- items
    ListItem* add(const QString& key, const QString& text);
    void remove(ListItem* item);
    void clear();
    int count() const { return int(items_.size()); }
    ListItem* at(int pos) const { return items_[size_t(pos)]; }
    // Callers mostly walk the rows by index, and a long sorted list lies all
    // over the heap: the rows a few places on are fetched while this one is
    // worked on.
    void prefetchAfter(int pos) const {
        if (size_t(pos) + 16 < items_.size()) __builtin_prefetch(items_[size_t(pos) + 16]);
        if (size_t(pos) + 8 < items_.size()) __builtin_prefetch(items_[size_t(pos) + 8]->meta_.get());
    }
    ListItem* byKey(const QString& key) const {
        const quint64 packed = listview::packedKey(key);
        return packed ? shortKeys_.value(packed) : keys_.value(key);
    }
    ListItem* byValue(qint64 value) const;
    void valueChanged(ListItem* item, qint64 oldValue);
    // A cell's text was set; differs when it is not the text it had.
    void textChanged(ListItem* item, int cell, bool differs);
    void colorChanged() { // inline: a recolouring sets every cell of the list
        cellsDirty_ = true;
        if (!flushPosted_ && !batch_) postFlush();
    }

    // --- batches and order
    void beginUpdate() { ++batch_; }
    void endUpdate();
    void ensureOrder();
    void flush();
    void sortItems(const ListView::CompareFunction& compare);
    void sortItemsByKey(const ListView::KeyFunction& key, ListSortOrder order);
    void setSortSettings(bool sorted, int key, ListSortOrder order);
    bool sorted() const { return sorted_; }
    int sortKey() const { return sortKey_; }
    ListSortOrder sortOrder() const { return sortOrder_; }

    // --- selection
    void setItemSelected(ListItem* item, bool on);
    void clearSelection();
    ListItem* selectedItem() const;
    QList<ListItem*> selectedItems();
    bool multiSelect() const { return multi_; }
    void setMultiSelect(bool multi);
    void ensureVisible(ListItem* item);
    void viewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void viewCurrentChanged(const QModelIndex& current);

private:
    void renumber(size_t from = 0) {
        for (size_t i = from; i < items_.size(); ++i)
            items_[i]->pos_ = int(i);
    }
    void forget(ListItem* item);
    void markSortDirty(ListItem* item);
    void sortNow();
    const std::vector<quint32>& ranks(int column, std::vector<quint32>& spare);
    void makeRanks(int column, std::vector<quint32>& ranks);
    bool ranksFromOrder(int column, std::vector<quint32>& ranks) const;
    void commitOrder(std::vector<ListItem*>&& order);
    void postFlush();
    void pushSelectionToView();
    bool before(const QString& a, const QString& b) const {
        const int c = cz::Collator().compare(a, b);
        return sortOrder_ == lvwAscending ? c < 0 : c > 0;
    }
    // The cell's text over the item's own (no copy): good while the item's
    // texts do not change.
    static QString cellText(const ListItem* item, int column) {
        const QStringView text = item->cellText(column);
        return QString::fromRawData(text.data(), text.size());
    }
    QString sortText(const ListItem* item) const { return cellText(item, sortKey_); }

    ListView* view_;
    std::vector<std::unique_ptr<ColumnHeader>> columns_;
    std::vector<ListItem*> items_; // display order; owned
    ListItem** newKeySlot(const QString& key);
    void removeKey(const QString& key);
    QHash<quint64, ListItem*> shortKeys_; // by packedKey()
    QHash<QString, ListItem*> keys_;      // the rest
    // Application value -> items, made at the first look-up by value: a fill
    // of many items does without it.
    mutable QMultiHash<qint64, ListItem*> values_;
    mutable bool valuesMade_ = false;
    qint64 nextValue_ = 1;
    int published_ = 0; // rows the view knows of

    int batch_ = 0;
    bool batchStructure_ = false; // rows added, removed or reordered within the batch
    bool cellsDirty_ = false;     // cells changed since the view last heard
    bool flushPosted_ = false;

    bool sorted_ = false;
    int sortKey_ = 0;
    ListSortOrder sortOrder_ = lvwAscending;
    bool sortPending_ = false;
    bool orderValid_ = false; // items other than sortDirty_ are in text order
    std::vector<ListItem*> sortDirty_;
    // Collation ranks of each column's texts by ListItem::slot_: texts the
    // collator finds equal share a rank, a lower rank sorts first. Made by
    // the first full sort on a column and kept until one of its texts
    // changes or an item is added, so that turning the order over or coming
    // back to a column does not make the keys of every text again.
    std::vector<std::vector<quint32>> ranks_; // by column; empty while not made
    quint32 nextSlot_ = 0;

    bool multi_ = false;
    bool syncing_ = false; // the view's selection is being set from the items
    QSet<ListItem*> selected_;
    ListItem* current_ = nullptr;
    ListItem* pendingVisible_ = nullptr;
    bool resizing_ = false;
};
