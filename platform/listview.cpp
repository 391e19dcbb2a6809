#include "listview.h"

#include "controls.h"
#include "czcollate.h"
#include <QAbstractTableModel>

#include <QCollator>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMultiHash>
#include <QPainter>
#include <QSet>
#include <algorithm>

#include "err.h"
#include "heap.h"
#include "twips.h"
#include "vb.h"

namespace {

enum : long {
    ErrInvalidPropertyValue = 380,
    ErrIndexOutOfBounds = 35600,
    ErrElementNotFound = 35601,
    ErrKeyNotUnique = 35602,
};

// A short Latin-1 key (as "K123") packed with its length into one number,
// 0 for any other: the look-up then compares numbers in the table itself,
// not texts that lie elsewhere in memory. A refresh looks up thousands.
quint64 packedKey(const QString& key) {
    if (key.size() > 7) return 0;
    quint64 packed = quint64(key.size());
    for (const QChar c : key) {
        if (c.unicode() > 0xFF) return 0;
        packed = packed << 8 | c.unicode();
    }
    return packed;
}

[[noreturn]] void fail(long number) {
    switch (number) {
    case ErrInvalidPropertyValue:
        throw vb::RuntimeError(number, "Invalid property value");
    case ErrIndexOutOfBounds:
        throw vb::RuntimeError(number, "Index out of bounds");
    case ErrElementNotFound:
        throw vb::RuntimeError(number, "Element not found");
    default:
        throw vb::RuntimeError(ErrKeyNotUnique, "Key is not unique in collection");
    }
}

// The same order as the database's text columns.
const QCollator& czechCollator() {
    return cz::Collator();
}

// Stable merge sort that stays within bounds whatever the callback answers.
template <class T, class Less> void mergeSort(std::vector<T>& v, Less less) {
    std::vector<T> tmp(v.size());
    for (size_t width = 1; width < v.size(); width *= 2) {
        for (size_t lo = 0; lo < v.size(); lo += 2 * width) {
            const size_t mid = std::min(lo + width, v.size());
            const size_t hi = std::min(lo + 2 * width, v.size());
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                tmp[k++] = less(v[j], v[i]) ? v[j++] : v[i++];
            while (i < mid)
                tmp[k++] = v[i++];
            while (j < hi)
                tmp[k++] = v[j++];
        }
        v.swap(tmp);
    }
}

} // namespace

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
    ListItem* byKey(const QString& key) const {
        const quint64 packed = packedKey(key);
        return packed ? shortKeys_.value(packed) : keys_.value(key);
    }
    ListItem* byValue(qint64 value) const;
    void valueChanged(ListItem* item, qint64 oldValue);
    void cellChanged(ListItem* item, int cell, bool textChanged);

    // --- batches and order
    void beginUpdate() { ++batch_; }
    void endUpdate();
    void ensureOrder();
    void flush();
    void sortItems(const ListView::CompareFunction& compare);
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
    void commitOrder(std::vector<ListItem*>&& order);
    void postFlush();
    void pushSelectionToView();
    bool before(const QString& a, const QString& b) const {
        const int c = czechCollator().compare(a, b);
        return sortOrder_ == lvwAscending ? c < 0 : c > 0;
    }
    const QString& sortText(const ListItem* item) const {
        static const QString empty;
        return size_t(sortKey_) < item->cells_.size() ? item->cells_[size_t(sortKey_)].text : empty;
    }

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

    bool multi_ = false;
    bool syncing_ = false; // the view's selection is being set from the items
    QSet<ListItem*> selected_;
    ListItem* current_ = nullptr;
    ListItem* pendingVisible_ = nullptr;
    bool resizing_ = false;
};

// ---------------------------------------------------------------- model

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= items_.size()) return {};
    const ListItem* item = items_[size_t(index.row())];
    const size_t c = size_t(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return c < item->cells_.size() ? item->cells_[c].text : QString();
    case Qt::ForegroundRole: {
        const qint32 color = c < item->cells_.size() ? item->cells_[c].color : ListItem::DefaultColor;
        if (color < 0) return {};
        return QBrush(vb::ColorFromRGB(color));
    }
    case Qt::TextAlignmentRole:
        return headerData(index.column(), Qt::Horizontal, role);
    default:
        return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns()) return {};
    const ColumnHeader* col = columns_[size_t(section)].get();
    if (role == Qt::DisplayRole) return col->text_;
    if (role == Qt::TextAlignmentRole) {
        Qt::Alignment h = col->alignment_ == lvwColumnRight    ? Qt::AlignRight
                          : col->alignment_ == lvwColumnCenter ? Qt::AlignHCenter
                                                               : Qt::AlignLeft;
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    return {};
}

// ---------------------------------------------------------------- columns

ColumnHeader* ListViewModel::addColumn(const QString& text, int widthTwips, ListColumnAlignment alignment) {
    if (widthTwips < 0) fail(ErrInvalidPropertyValue);
    const int n = columns();
    beginInsertColumns(QModelIndex(), n, n);
    columns_.emplace_back(new ColumnHeader(this, n, text, widthTwips, alignment));
    endInsertColumns();
    applyWidth(columns_.back().get());
    return columns_.back().get();
}

void ListViewModel::clearColumns() {
    if (columns_.empty()) return;
    beginRemoveColumns(QModelIndex(), 0, columns() - 1);
    columns_.clear();
    endRemoveColumns();
}

void ListViewModel::applyWidth(ColumnHeader* column) {
    resizing_ = true;
    view_->header()->resizeSection(column->index_, TwipsToPixels(column->widthTwips_));
    resizing_ = false;
}

void ListViewModel::columnChanged(ColumnHeader* column) {
    emit headerDataChanged(Qt::Horizontal, column->index_, column->index_);
    cellsDirty_ = true;
    postFlush();
}

void ListViewModel::sectionResized(int logical, int newSize) {
    if (resizing_ || logical < 0 || logical >= columns()) return;
    ColumnHeader* col = columns_[size_t(logical)].get();
    if (TwipsToPixels(col->widthTwips_) != newSize) col->widthTwips_ = PixelsToTwips(newSize);
}

// ---------------------------------------------------------------- items

// One look-up: a new key's place, taken at once.
ListItem** ListViewModel::newKeySlot(const QString& key) {
    auto take = [](auto& table, const auto& k) {
        const qsizetype before = table.size();
        ListItem** slot = &table[k];
        if (table.size() == before) fail(ErrKeyNotUnique);
        return slot;
    };
    const quint64 packed = packedKey(key);
    return packed ? take(shortKeys_, packed) : take(keys_, key);
}

void ListViewModel::removeKey(const QString& key) {
    if (const quint64 packed = packedKey(key))
        shortKeys_.remove(packed);
    else
        keys_.remove(key);
}

ListItem* ListViewModel::add(const QString& key, const QString& text) {
    ListItem** slot = key.isEmpty() ? nullptr : newKeySlot(key);
    ListItem* item = nullptr;
    try {
        item = new ListItem(this, key, text, nextValue_++);
    } catch (...) {
        if (slot) removeKey(key);
        throw;
    }
    if (slot) *slot = item;
    const int row = count();
    if (!batch_) beginInsertRows(QModelIndex(), row, row);
    item->pos_ = row;
    items_.push_back(item);
    if (valuesMade_) values_.insert(item->value_, item);
    if (batch_) {
        batchStructure_ = true;
    } else {
        published_ = count();
        endInsertRows();
    }
    if (sorted_) markSortDirty(item);
    if (row == 0 && selected_.isEmpty()) setItemSelected(item, true);
    return item;
}

void ListViewModel::forget(ListItem* item) {
    if (!item->key_.isEmpty()) removeKey(item->key_);
    if (valuesMade_) values_.remove(item->value_, item);
    selected_.remove(item);
    if (current_ == item) current_ = nullptr;
    if (pendingVisible_ == item) pendingVisible_ = nullptr;
    if (item->sortDirty_) sortDirty_.erase(std::find(sortDirty_.begin(), sortDirty_.end(), item));
}

void ListViewModel::remove(ListItem* item) {
    const int row = item->pos_;
    if (!batch_) beginRemoveRows(QModelIndex(), row, row);
    forget(item);
    items_.erase(items_.begin() + row);
    renumber(size_t(row));
    delete item;
    if (batch_) {
        batchStructure_ = true;
    } else {
        published_ = count();
        endRemoveRows();
    }
}

void ListViewModel::clear() {
    if (!batch_) beginResetModel();
    constexpr qint64 kItemBytes = 512; // an item with its texts and look-up entries, roughly
    const qint64 freed = qint64(items_.size()) * kItemBytes;
    qDeleteAll(items_);
    items_.clear();
    shortKeys_.clear();
    keys_.clear();
    values_.clear();
    valuesMade_ = false;
    GiveBackFreedHeap(freed);
    selected_.clear();
    current_ = pendingVisible_ = nullptr;
    sortDirty_.clear();
    sortPending_ = false;
    orderValid_ = true;
    if (batch_) {
        batchStructure_ = true;
    } else {
        published_ = 0;
        endResetModel();
    }
}

ListItem* ListViewModel::byValue(qint64 value) const {
    if (!valuesMade_) {
        values_.reserve(qsizetype(items_.size()));
        for (ListItem* item : items_)
            values_.insert(item->value_, item);
        valuesMade_ = true;
    }
    ListItem* first = nullptr;
    for (auto it = values_.constFind(value); it != values_.cend() && it.key() == value; ++it)
        if (!first || it.value()->pos_ < first->pos_) first = it.value();
    return first;
}

void ListViewModel::valueChanged(ListItem* item, qint64 oldValue) {
    if (!valuesMade_) return;
    values_.remove(oldValue, item);
    values_.insert(item->value_, item);
}

void ListViewModel::cellChanged(ListItem* item, int cell, bool textChanged) {
    if (textChanged && sorted_ && cell == sortKey_) markSortDirty(item);
    cellsDirty_ = true;
    postFlush();
}

// ---------------------------------------------------------------- order

void ListViewModel::markSortDirty(ListItem* item) {
    if (!item->sortDirty_) {
        item->sortDirty_ = true;
        sortDirty_.push_back(item);
    }
    sortPending_ = true;
    postFlush();
}

void ListViewModel::setSortSettings(bool sorted, int key, ListSortOrder order) {
    if (sorted == sorted_ && key == sortKey_ && order == sortOrder_) return;
    const bool resort = sorted && (!sorted_ || key != sortKey_ || order != sortOrder_);
    sorted_ = sorted;
    sortKey_ = key;
    sortOrder_ = order;
    if (resort) {
        orderValid_ = false;
        sortPending_ = true;
        postFlush();
    }
}

void ListViewModel::ensureOrder() {
    if (sortPending_) sortNow();
}

void ListViewModel::sortNow() {
    sortPending_ = false;
    std::vector<ListItem*> dirty;
    dirty.swap(sortDirty_);
    for (ListItem* item : dirty)
        item->sortDirty_ = false;
    if (!sorted_ || items_.size() < 2) {
        orderValid_ = sorted_;
        return;
    }
    std::vector<ListItem*> order;
    if (orderValid_ && dirty.size() <= std::max<size_t>(8, items_.size() / 64)) {
        // A few changed items: take them out and put each back in its place.
        QSet<ListItem*> moving(dirty.begin(), dirty.end());
        order.reserve(items_.size());
        for (ListItem* item : items_)
            if (!moving.contains(item)) order.push_back(item);
        for (ListItem* item : dirty) {
            const QString& t = sortText(item);
            auto at =
                std::upper_bound(order.begin(), order.end(), item,
                                 [&](const ListItem*, const ListItem* e) { return before(t, sortText(e)); });
            order.insert(at, item);
        }
    } else {
        // Collation keys once per item, then a plain stable sort on them.
        const QCollator& coll = czechCollator();
        std::vector<std::pair<QCollatorSortKey, ListItem*>> keyed;
        keyed.reserve(items_.size());
        for (ListItem* item : items_)
            keyed.emplace_back(coll.sortKey(sortText(item)), item);
        if (sortOrder_ == lvwAscending)
            std::stable_sort(keyed.begin(), keyed.end(),
                             [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
        else
            std::stable_sort(keyed.begin(), keyed.end(),
                             [](const auto& a, const auto& b) { return b.first.compare(a.first) < 0; });
        order.reserve(keyed.size());
        for (auto& k : keyed)
            order.push_back(k.second);
    }
    orderValid_ = true;
    commitOrder(std::move(order));
}

void ListViewModel::commitOrder(std::vector<ListItem*>&& order) {
    if (order == items_) return;
    if (batch_) {
        items_ = std::move(order);
        renumber();
        batchStructure_ = true;
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList oldIndexes = persistentIndexList();
    std::vector<ListItem*> held;
    held.reserve(size_t(oldIndexes.size()));
    for (const QModelIndex& i : oldIndexes)
        held.push_back(size_t(i.row()) < items_.size() ? items_[size_t(i.row())] : nullptr);
    items_ = std::move(order);
    renumber();
    QModelIndexList newIndexes;
    newIndexes.reserve(oldIndexes.size());
    for (qsizetype i = 0; i < oldIndexes.size(); ++i)
        newIndexes.append(held[size_t(i)] ? index(held[size_t(i)]->pos_, oldIndexes[i].column())
                                          : QModelIndex());
    changePersistentIndexList(oldIndexes, newIndexes);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListViewModel::sortItems(const ListView::CompareFunction& compare) {
    ensureOrder();
    std::vector<ListItem*> order = items_;
    // Sorting a copy: the callback reads cells by index or value and sees
    // the order as it was before the sort.
    mergeSort(order, [&](const ListItem* a, const ListItem* b) { return compare(a->value_, b->value_) < 0; });
    orderValid_ = false;
    commitOrder(std::move(order));
}

void ListViewModel::postFlush() {
    if (flushPosted_ || batch_) return;
    flushPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            flushPosted_ = false;
            flush();
        },
        Qt::QueuedConnection);
}

void ListViewModel::flush() {
    if (batch_) return;
    ensureOrder();
    if (cellsDirty_) {
        cellsDirty_ = false;
        // Only the rows in sight: the view walks every row of the range it is
        // told of (tens of milliseconds for 100 000 rows), and reads the
        // others anew when they scroll in.
        if (items_.empty() || columns_.empty() || !view_->isVisible()) return;
        const QRect area = view_->viewport()->rect();
        const int top = std::max(0, view_->indexAt(area.topLeft()).row());
        int bottom = view_->indexAt(area.bottomLeft()).row();
        if (bottom < 0) bottom = count() - 1;
        emit dataChanged(index(top, 0), index(std::max(top, bottom), columns() - 1));
    }
}

void ListViewModel::endUpdate() {
    if (batch_ == 0) return;
    if (batch_ > 1) {
        --batch_;
        return;
    }
    ensureOrder(); // still inside the batch: the reset below tells the view
    batch_ = 0;
    if (batchStructure_) {
        batchStructure_ = false;
        cellsDirty_ = false;
        beginResetModel();
        published_ = count();
        endResetModel();
        pushSelectionToView();
    } else if (cellsDirty_) {
        flush();
    }
    if (pendingVisible_) {
        ListItem* item = pendingVisible_;
        pendingVisible_ = nullptr;
        ensureVisible(item);
    }
}

// ---------------------------------------------------------------- selection

void ListViewModel::setItemSelected(ListItem* item, bool on) {
    if (on && !multi_) {
        for (ListItem* other : std::as_const(selected_))
            other->selected_ = false;
        selected_.clear();
    }
    item->selected_ = on;
    if (on) {
        selected_.insert(item);
        if (!multi_ || !current_) current_ = item;
    } else {
        selected_.remove(item);
    }
    if (batch_ || columns_.empty()) return;
    syncing_ = true;
    QItemSelectionModel* sm = view_->selectionModel();
    const QModelIndex idx = index(item->pos_, 0);
    if (on && !multi_)
        sm->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        sm->select(idx, (on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                            QItemSelectionModel::Rows);
    syncing_ = false;
}

void ListViewModel::clearSelection() {
    for (ListItem* item : std::as_const(selected_))
        item->selected_ = false;
    selected_.clear();
    if (batch_) return;
    syncing_ = true;
    view_->selectionModel()->clearSelection();
    syncing_ = false;
}

void ListViewModel::pushSelectionToView() {
    if (columns_.empty()) return;
    syncing_ = true;
    QItemSelection sel;
    for (ListItem* item : std::as_const(selected_))
        sel.select(index(item->pos_, 0), index(item->pos_, columns() - 1));
    QItemSelectionModel* sm = view_->selectionModel();
    if (current_) sm->setCurrentIndex(index(current_->pos_, 0), QItemSelectionModel::NoUpdate);
    sm->select(sel, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

ListItem* ListViewModel::selectedItem() const {
    if (current_ && current_->selected_) return current_;
    ListItem* first = nullptr;
    for (ListItem* item : selected_)
        if (!first || item->pos_ < first->pos_) first = item;
    return first;
}

QList<ListItem*> ListViewModel::selectedItems() {
    ensureOrder();
    QList<ListItem*> list(selected_.begin(), selected_.end());
    std::sort(list.begin(), list.end(),
              [](const ListItem* a, const ListItem* b) { return a->pos_ < b->pos_; });
    return list;
}

void ListViewModel::setMultiSelect(bool multi) {
    multi_ = multi;
    view_->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                                  : QAbstractItemView::SingleSelection);
    if (!multi && selected_.size() > 1) {
        ListItem* keep = selectedItem();
        setItemSelected(keep, true);
    }
}

void ListViewModel::ensureVisible(ListItem* item) {
    if (batch_) {
        pendingVisible_ = item;
        return;
    }
    ensureOrder();
    if (!columns_.empty()) view_->scrollTo(index(item->pos_, 0), QAbstractItemView::EnsureVisible);
}

void ListViewModel::viewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (syncing_ || batch_) return;
    auto apply = [this](const QItemSelection& ranges, bool on) {
        for (const QItemSelectionRange& r : ranges)
            for (int row = r.top(); row <= r.bottom() && size_t(row) < items_.size(); ++row) {
                ListItem* item = items_[size_t(row)];
                item->selected_ = on;
                if (on)
                    selected_.insert(item);
                else
                    selected_.remove(item);
            }
    };
    apply(deselected, false);
    apply(selected, true);
}

void ListViewModel::viewCurrentChanged(const QModelIndex& current) {
    if (syncing_ || batch_) return;
    current_ =
        current.isValid() && size_t(current.row()) < items_.size() ? items_[size_t(current.row())] : nullptr;
}

// ---------------------------------------------------------------- ColumnHeader

void ColumnHeader::setText(const QString& text) {
    text_ = text;
    owner_->columnChanged(this);
}

void ColumnHeader::setWidth(int twips) {
    if (twips < 0) fail(ErrInvalidPropertyValue);
    widthTwips_ = twips;
    owner_->applyWidth(this);
}

void ColumnHeader::setAlignment(ListColumnAlignment alignment) {
    alignment_ = alignment;
    owner_->columnChanged(this);
}

// ---------------------------------------------------------------- ListItem

ListItem::ListItem(ListViewModel* owner, const QString& key, const QString& text, qint64 value)
    : owner_(owner), key_(key), value_(value) {
    cells_.reserve(size_t(std::max(1, owner->columns())));
    cells_.emplace_back().text = text;
}

ListItem::Cell& ListItem::cell(int index, bool create) {
    if (index < 0 || (index > 0 && index >= owner_->columns())) fail(ErrInvalidPropertyValue);
    if (create && size_t(index) >= cells_.size()) cells_.resize(size_t(index) + 1);
    return cells_[size_t(index)];
}

int ListItem::Index() const {
    owner_->ensureOrder();
    return pos_ + 1;
}

QString ListItem::Text() const {
    return cells_[0].text;
}

void ListItem::setText(const QString& text) {
    cells_[0].text = text;
    owner_->cellChanged(this, 0, true);
}

QString ListItem::SubItem(int index) const {
    if (index < 1 || index >= owner_->columns()) fail(ErrInvalidPropertyValue);
    return size_t(index) < cells_.size() ? cells_[size_t(index)].text : QString();
}

void ListItem::setSubItem(int index, const QString& text) {
    if (index < 1) fail(ErrInvalidPropertyValue);
    cell(index, true).text = text;
    owner_->cellChanged(this, index, true);
}

qint32 ListItem::ForeColor() const {
    return cells_[0].color;
}

void ListItem::setForeColor(qint32 color) {
    cells_[0].color = color;
    owner_->cellChanged(this, 0, false);
}

qint32 ListItem::SubItemForeColor(int index) const {
    if (index < 1 || index >= owner_->columns()) fail(ErrInvalidPropertyValue);
    return size_t(index) < cells_.size() ? cells_[size_t(index)].color : DefaultColor;
}

void ListItem::setSubItemForeColor(int index, qint32 color) {
    if (index < 1) fail(ErrInvalidPropertyValue);
    cell(index, true).color = color;
    owner_->cellChanged(this, index, false);
}

void ListItem::setValue(qint64 value) {
    const qint64 old = value_;
    value_ = value;
    owner_->valueChanged(this, old);
}

void ListItem::setSelected(bool selected) {
    owner_->setItemSelected(this, selected);
}

void ListItem::EnsureVisible() {
    owner_->ensureVisible(this);
}

// ---------------------------------------------------------------- ListView

ListView::ListView(QWidget* parent) : QTreeView(parent), m_(new ListViewModel(this)) {
    setModel(m_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    // A cell filled from a hostile page can hold a megabyte, and shaping all
    // of it at every repaint would take seconds for a width no column shows.
    ShowShortTexts(this);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    QHeaderView* h = header();
    h->setStretchLastSection(false);
    h->setSectionsMovable(false);
    h->setSectionsClickable(true);
    h->setHighlightSections(false);
    h->setSortIndicatorShown(false);
    h->setMinimumSectionSize(0);
    connect(h, &QHeaderView::sectionClicked, this, [this](int logical) { emit ColumnClick(logical + 1); });
    connect(h, &QHeaderView::sectionResized, this,
            [this](int logical, int, int newSize) { m_->sectionResized(logical, newSize); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& s, const QItemSelection& d) { m_->viewSelectionChanged(s, d); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_->viewCurrentChanged(current); });
}

ListView::~ListView() = default;

ColumnHeader* ListView::AddColumn(const QString& text, int widthTwips, ListColumnAlignment alignment) {
    return m_->addColumn(text, widthTwips, alignment);
}

int ListView::ColumnCount() const {
    return m_->columns();
}

ColumnHeader* ListView::Column(int index) const {
    if (index < 1 || index > m_->columns()) fail(ErrIndexOutOfBounds);
    return m_->column(index - 1);
}

void ListView::ClearColumns() {
    m_->clearColumns();
}

ListItem* ListView::Add(const QString& key, const QString& text) {
    return m_->add(key, text);
}

void ListView::Remove(ListItem* item) {
    if (item && item->owner_ == m_) m_->remove(item);
}

void ListView::Remove(int index) {
    m_->remove(Item(index));
}

void ListView::Remove(const QString& key) {
    m_->remove(Item(key));
}

void ListView::Clear() {
    m_->clear();
}

int ListView::Count() const {
    return m_->count();
}

ListItem* ListView::Item(int index) const {
    if (index < 1 || index > m_->count()) fail(ErrIndexOutOfBounds);
    m_->ensureOrder();
    return m_->at(index - 1);
}

ListItem* ListView::Item(const QString& key) const {
    ListItem* item = m_->byKey(key);
    if (!item) fail(ErrElementNotFound);
    return item;
}

ListItem* ListView::FindItem(const QString& key) const {
    return m_->byKey(key);
}

ListItem* ListView::FindItemByValue(qint64 value) const {
    m_->ensureOrder(); // the first of equal values is the first in display order
    return m_->byValue(value);
}

int ListView::FindIndexByValue(qint64 value) const {
    m_->ensureOrder();
    const ListItem* item = m_->byValue(value);
    return item ? item->pos_ + 1 : 0;
}

QString ListView::CellText(int index, int subItem) const {
    if (index < 1 || index > m_->count() || subItem < 0) return {};
    m_->ensureOrder();
    const ListItem* item = m_->at(index - 1);
    if (size_t(subItem) >= item->cells_.size()) return {};
    return item->cells_[size_t(subItem)].text.left(CellTextLimit);
}

void ListView::BeginUpdate() {
    m_->beginUpdate();
}

void ListView::EndUpdate() {
    m_->endUpdate();
}

void ListView::Refresh() {
    m_->flush();
    viewport()->update();
}

ListItem* ListView::SelectedItem() const {
    return m_->selectedItem();
}

void ListView::setSelectedItem(ListItem* item) {
    if (item)
        m_->setItemSelected(item, true);
    else
        m_->clearSelection();
}

QList<ListItem*> ListView::SelectedItems() const {
    return m_->selectedItems();
}

bool ListView::MultiSelect() const {
    return m_->multiSelect();
}

void ListView::setMultiSelect(bool multi) {
    m_->setMultiSelect(multi);
}

bool ListView::Sorted() const {
    return m_->sorted();
}

void ListView::setSorted(bool sorted) {
    m_->setSortSettings(sorted, m_->sortKey(), m_->sortOrder());
}

int ListView::SortKey() const {
    return m_->sortKey();
}

void ListView::setSortKey(int key) {
    if (key < 0) fail(ErrInvalidPropertyValue);
    m_->setSortSettings(m_->sorted(), key, m_->sortOrder());
}

ListSortOrder ListView::SortOrder() const {
    return m_->sortOrder();
}

void ListView::setSortOrder(ListSortOrder order) {
    m_->setSortSettings(m_->sorted(), m_->sortKey(), order);
}

void ListView::SortItems(const CompareFunction& compare) {
    if (compare) m_->sortItems(compare);
}

int ListView::CompareText(const QString& a, const QString& b) {
    return czechCollator().compare(a, b);
}

void ListView::setGridLines(bool on) {
    gridLines_ = on;
    viewport()->update();
}

QItemSelectionModel::SelectionFlags ListView::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTreeView::selectionCommand(index, event);
    if (!keepSelection_ || MultiSelect()) return command;
    // An empty spot, a deselecting ctrl-click: nothing would be selected afterwards.
    const bool leavesNone =
        command.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle) ||
        !command.testFlag(QItemSelectionModel::Select);
    return index.isValid() && !leavesNone ? command : QItemSelectionModel::NoUpdate;
}

bool ListView::viewportEvent(QEvent* event) {
    // Whatever the view paints or hit-tests must see the sorted order.
    switch (event->type()) {
    case QEvent::Paint:
        m_->ensureOrder();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ToolTip:
        m_->flush();
        break;
    default:
        break;
    }
    return QTreeView::viewportEvent(event);
}

void ListView::keyPressEvent(QKeyEvent* event) {
    m_->flush();
    QTreeView::keyPressEvent(event);
    emit KeyPress(event->key(), event->modifiers(), event->text());
}

void ListView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    const QModelIndex idx = indexAt(event->position().toPoint());
    if (idx.isValid() && idx.row() < m_->count()) emit ItemClick(m_->at(idx.row()));
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    emit MouseUp(event->button(), event->modifiers(), viewport()->mapTo(this, event->position().toPoint()));
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void ListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    if (!gridLines_) return;
    painter->save();
    painter->setPen(palette().color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    const QHeaderView* h = header();
    for (int c = 0; c < h->count(); ++c) {
        const int x = h->sectionViewportPosition(c) + h->sectionSize(c) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}
