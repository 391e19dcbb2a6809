#include "core/modSortLvw.h"

#include "listview.h"
#include "vb.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

int ordered(double a, double b, ListSortOrder order) {
    if (a == b || std::isnan(a) || std::isnan(b)) return 0;
    if (a < b) return order == lvwAscending ? -1 : 1;
    return order == lvwAscending ? 1 : -1;
}

// An empty cell sorts below every number; a number too large is NaN, which
// compares equal to anything.
double cellNumber(const QString& text) {
    if (text.isEmpty()) return -std::numeric_limits<double>::max();
    try {
        return vb::Val(text);
    } catch (const vb::RuntimeError&) {
        return std::numeric_limits<double>::quiet_NaN();
    }
}

// A cell that is no date counts as the zero date (0).
double cellDate(const QString& text) {
    const QDateTime dt = vb::TextToDate(text);
    return dt.isValid() ? vb::DateToDouble(dt) : 0.0;
}

} // namespace

QString LvwGetItemTextByParam(qint64 lParam, ListView* lvw, int subItem) {
    const int index = lvw->FindIndexByValue(lParam);
    if (index == 0) return QString();
    return lvw->CellText(index, subItem);
}

int CompareNumbers(qint64 lParam1, qint64 lParam2, ListView* lvw) {
    if (!lvw) return 0;
    const int key = lvw->SortKey();
    const double a = cellNumber(LvwGetItemTextByParam(lParam1, lvw, key));
    const double b = cellNumber(LvwGetItemTextByParam(lParam2, lvw, key));
    return ordered(a, b, lvw->SortOrder());
}

int CompareDates(qint64 lParam1, qint64 lParam2, ListView* lvw) {
    if (!lvw) return 0;
    const int key = lvw->SortKey();
    const double a = cellDate(LvwGetItemTextByParam(lParam1, lvw, key));
    const double b = cellDate(LvwGetItemTextByParam(lParam2, lvw, key));
    return ordered(a, b, lvw->SortOrder());
}

// The same comparisons as CompareNumbers / CompareDates, but each cell is read
// and converted once per sort instead of at every comparison: a date text
// costs far more to convert than the sort spends comparing.
void SortListView(ListView* lvw, short sortType) {
    if (sortType != SortNumbers && sortType != SortDates) return;
    const int key = lvw->SortKey();
    const int count = lvw->Count();
    std::vector<std::pair<qint64, double>> cells;
    cells.reserve(size_t(count));
    qint64 lo = std::numeric_limits<qint64>::max(), hi = std::numeric_limits<qint64>::min();
    for (int i = 1; i <= count; ++i) {
        const QString text = lvw->CellText(i, key);
        const qint64 value = lvw->Item(i)->Value();
        cells.emplace_back(value, sortType == SortNumbers ? cellNumber(text) : cellDate(text));
        lo = std::min(lo, value);
        hi = std::max(hi, value);
    }
    const ListSortOrder order = lvw->SortOrder();
    // An item without a value of its own reads as an empty cell.
    const double empty = sortType == SortNumbers ? cellNumber(QString()) : cellDate(QString());

    // The list hands out values 1, 2, 3, ...: a table indexed by value is
    // the usual case, a hash the fallback for values set by hand.
    std::vector<double> table;
    QHash<qint64, double> keys;
    const bool dense = count > 0 && hi - lo <= qint64(count) * 4;
    if (dense) {
        table.assign(size_t(hi - lo + 1), empty);
        for (const auto& [value, k] : cells)
            table[size_t(value - lo)] = k;
    } else {
        keys.reserve(count);
        for (const auto& [value, k] : cells)
            keys.insert(value, k);
    }
    auto keyOf = [&](qint64 v) {
        if (!dense) return keys.value(v, empty);
        return v < lo || v > hi ? empty : table[size_t(v - lo)];
    };
    // A number too large (NaN) compares equal to anything, which no order of
    // the keys can give: only then the pairs are compared one by one.
    const bool nan =
        std::any_of(cells.begin(), cells.end(), [](const auto& c) { return std::isnan(c.second); });
    if (nan)
        lvw->SortItems([&](qint64 a, qint64 b) { return ordered(keyOf(a), keyOf(b), order); });
    else
        lvw->SortItemsByKey(keyOf, order);
}
