#include "listviewmodel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>

#include "twips.h"
#include "vb.h"

namespace listview {

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

} // namespace listview

using namespace listview;

namespace {

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

// ---------------------------------------------------------------- model

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= items_.size()) return {};
    const ListItem* item = items_[size_t(index.row())];
    const size_t c = size_t(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return item->cellText(int(c)).toString();
    case Qt::ForegroundRole: {
        const qint32 color = item->cellColor(int(c));
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
    item->slot_ = nextSlot_++;
    ranks_.clear(); // the new text has no rank yet
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
    qDeleteAll(items_);
    items_.clear();
    shortKeys_.clear();
    keys_.clear();
    values_.clear();
    valuesMade_ = false;
    ranks_.clear();
    nextSlot_ = 0;
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

void ListViewModel::textChanged(ListItem* item, int cell, bool differs) {
    if (sorted_ && cell == sortKey_) markSortDirty(item);
    if (differs && size_t(cell) < ranks_.size()) ranks_[size_t(cell)].clear();
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
            const QString t = sortText(item);
            auto at =
                std::upper_bound(order.begin(), order.end(), item,
                                 [&](const ListItem*, const ListItem* e) { return before(t, sortText(e)); });
            order.insert(at, item);
        }
    } else {
        // The column's collation ranks, then a stable counting sort on them:
        // equal texts keep their order in either direction.
        std::vector<quint32> made;
        const std::vector<quint32>& rank = ranks(sortKey_, made);
        const size_t n = items_.size();
        std::vector<quint32> at(n);
        quint32 top = 0;
        for (size_t i = 0; i < n; ++i) {
            at[i] = rank[items_[i]->slot_];
            top = std::max(top, at[i]);
        }
        if (sortOrder_ == lvwDescending)
            for (quint32& r : at)
                r = top - r;
        std::vector<size_t> start(size_t(top) + 2, 0);
        for (const quint32 r : at)
            ++start[r + 1];
        for (size_t r = 1; r < start.size(); ++r)
            start[r] += start[r - 1];
        order.resize(n);
        for (size_t i = 0; i < n; ++i)
            order[start[at[i]]++] = items_[i];
    }
    orderValid_ = true;
    commitOrder(std::move(order));
}

// The ranks of a column's texts, kept in ranks_ for a column of the list;
// for a sort key past the columns they are made into spare each time.
const std::vector<quint32>& ListViewModel::ranks(int column, std::vector<quint32>& spare) {
    if (column >= columns()) {
        makeRanks(column, spare);
        return spare;
    }
    if (ranks_.size() <= size_t(column)) ranks_.resize(size_t(column) + 1);
    std::vector<quint32>& kept = ranks_[size_t(column)];
    if (kept.empty()) makeRanks(column, kept);
    return kept;
}

// Items already in the column's order, either way (as a fill in that order
// leaves them): the ranks follow from comparing neighbours, without keys.
bool ListViewModel::ranksFromOrder(int column, std::vector<quint32>& rank) const {
    const QCollator& coll = cz::Collator();
    // As the keys of a full sort order them: the collator's compare puts an
    // empty text before any other, where the key of a text of ignorable
    // characters alone (a soft hyphen) equals the empty text's.
    auto compare = [&](const QString& a, const QString& b) {
        if (a.isEmpty() != b.isEmpty()) return coll.sortKey(a).compare(coll.sortKey(b));
        return coll.compare(a, b);
    };
    const size_t n = items_.size();
    std::vector<quint32> step(n, 0); // rank in the order as it stands
    int direction = 0;
    for (size_t i = 1; i < n; ++i) {
        const int c = compare(cellText(items_[i - 1], column), cellText(items_[i], column));
        if (c != 0) {
            const int d = c < 0 ? 1 : -1;
            if (direction == 0)
                direction = d;
            else if (d != direction)
                return false;
        }
        step[i] = step[i - 1] + (c != 0 ? 1 : 0);
    }
    const quint32 top = n ? step[n - 1] : 0;
    rank.assign(nextSlot_, 0);
    for (size_t i = 0; i < n; ++i)
        rank[items_[i]->slot_] = direction < 0 ? top - step[i] : step[i];
    return true;
}

void ListViewModel::makeRanks(int column, std::vector<quint32>& rank) {
    if (ranksFromOrder(column, rank)) return;
    const size_t n = items_.size();
    // Each distinct text once where a column repeats its texts (genres,
    // languages, empty cells): the collation key is the dear part. In a
    // column of titles, as its first rows show, the look-ups save nothing.
    constexpr size_t kSample = 1000;
    QHash<QStringView, quint32> index;
    index.reserve(qsizetype(std::min(n, kSample)));
    bool repeats = true;
    std::vector<QString> distinct; // each over its item's own text
    std::vector<quint32> textOf(n);
    for (size_t i = 0; i < n; ++i) {
        const QString text = cellText(items_[i], column);
        if (!repeats) {
            textOf[i] = quint32(distinct.size());
            distinct.push_back(text);
            continue;
        }
        const qsizetype before = index.size();
        quint32& d = index[QStringView(text)];
        if (index.size() != before) {
            d = quint32(distinct.size());
            distinct.push_back(text);
        }
        textOf[i] = d;
        if (i + 1 == kSample && distinct.size() * 2 > kSample) repeats = false;
    }
    const QCollator& coll = cz::Collator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(distinct.size());
    for (const QString& text : distinct)
        keys.push_back(coll.sortKey(text));
    std::vector<quint32> sorted(distinct.size());
    for (size_t d = 0; d < sorted.size(); ++d)
        sorted[d] = quint32(d);
    // (a merge sort: fewer comparisons, each a look at two keys elsewhere)
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](quint32 a, quint32 b) { return keys[a].compare(keys[b]) < 0; });
    std::vector<quint32> rankOf(distinct.size());
    quint32 r = 0;
    for (size_t k = 0; k < sorted.size(); ++k) {
        if (k > 0 && keys[sorted[k - 1]].compare(keys[sorted[k]]) != 0) ++r;
        rankOf[sorted[k]] = r;
    }
    rank.assign(nextSlot_, 0);
    for (size_t i = 0; i < n; ++i)
        rank[items_[i]->slot_] = rankOf[textOf[i]];
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

void ListViewModel::sortItemsByKey(const ListView::KeyFunction& key, ListSortOrder order) {
    ensureOrder();
    const size_t n = items_.size();
    std::vector<std::pair<double, ListItem*>> keyed;
    keyed.reserve(n);
    for (ListItem* item : items_)
        keyed.emplace_back(key(item->value_), item);
    const bool up = order == lvwAscending;
    auto first = [up](double a, double b) { return up ? a < b : b < a; };
    bool inOrder = true, reversed = true;
    for (size_t i = 1; i < n && (inOrder || reversed); ++i) {
        if (first(keyed[i].first, keyed[i - 1].first)) inOrder = false;
        if (first(keyed[i - 1].first, keyed[i].first)) reversed = false;
    }
    std::vector<ListItem*> sorted;
    sorted.reserve(n);
    if (!inOrder && reversed) {
        // In the opposite order (the same column sorted again the other way):
        // the runs of equal keys in reverse, each keeping its own order.
        for (size_t end = n; end > 0;) {
            size_t begin = end - 1;
            while (begin > 0 && keyed[begin - 1].first == keyed[begin].first)
                --begin;
            for (size_t i = begin; i < end; ++i)
                sorted.push_back(keyed[i].second);
            end = begin;
        }
    } else {
        if (!inOrder)
            std::stable_sort(keyed.begin(), keyed.end(),
                             [&](const auto& a, const auto& b) { return first(a.first, b.first); });
        for (const auto& k : keyed)
            sorted.push_back(k.second);
    }
    orderValid_ = false;
    commitOrder(std::move(sorted));
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
