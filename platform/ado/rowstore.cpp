#include "ado/rowstore.h"

#include "ado.h"
#include "ado/failure.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace ado::detail {

void Arena::clear() {
    for (char* b : blocks_)
        std::free(b);
    blocks_.clear();
    used_ = room_ = 0;
}

quint32 Arena::alloc(size_t n, size_t align) {
    if (n > kBlock) { // a value of its own block
        addBlock(static_cast<char*>(std::malloc(n)));
        used_ = room_ = 0;
        return quint32((blocks_.size() - 1) << kShift);
    }
    used_ = (used_ + align - 1) & ~(align - 1);
    if (used_ + n > room_) {
        addBlock(static_cast<char*>(std::malloc(kBlock)));
        room_ = kBlock;
        used_ = 0;
    }
    const size_t off = ((blocks_.size() - 1) << kShift) | used_;
    used_ += n;
    return quint32(off);
}

quint32 Arena::append(const void* p, size_t n) {
    const quint32 off = alloc(n, 1);
    if (n) std::memcpy(at(off), p, n);
    return off;
}

void Arena::addBlock(char* b) {
    if (!b) throw std::bad_alloc();
    if (blocks_.size() >= (size_t(1) << (32 - kShift))) {
        std::free(b);
        Fail(adErrProvider, QStringLiteral("Výsledek dotazu je příliš velký."));
    }
    blocks_.push_back(b);
}

Cell RowStore::intCell(qint64 v) {
    if (v >= INT32_MIN && v <= INT32_MAX) return Cell::make(CInt32, quint32(qint32(v)), 0);
    return Cell::make(CInt64, arena_.append(&v, sizeof v), 8);
}

Cell RowStore::bytesCell(CellType t, const void* p, quint32 n) {
    if (n > Cell::kMaxLen) Fail(adErrProvider, QStringLiteral("Hodnota je příliš velká."));
    if (n > Cell::kInline) return Cell::make(t, arena_.append(p, n), n);
    Cell c = Cell::make(t, 0, n);
    if (n) std::memcpy(&c.off, p, n);
    return c;
}

Cell RowStore::cellOf(sqlite3_stmt* st, int i, CellRule rule) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return Cell{};
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(st, i);
        if (rule.statementGivesSize) return Cell::make(CBlobRef, quint32(v), 0);
        return intCell(v);
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(st, i);
        return Cell::make(CDouble, arena_.append(&v, sizeof v), 8);
    }
    case SQLITE_BLOB: {
        const int n = sqlite3_column_bytes(st, i);
        if (rule.blobAsSize) return Cell::make(CBlobRef, quint32(n), 0);
        return bytesCell(CBytes, sqlite3_column_blob(st, i), quint32(n));
    }
    default: {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        return bytesCell(CText, p, quint32(sqlite3_column_bytes(st, i)));
    }
    }
}

void RowStore::appendRow(sqlite3_stmt* st, const std::vector<CellRule>& rules) {
    const quint32 off = arena_.alloc(size_t(width_) * sizeof(Cell));
    rows_.push_back(off);
    for (int i = 0; i < width_; ++i) {
        const Cell c = cellOf(st, i, i < int(rules.size()) ? rules[size_t(i)] : CellRule{});
        row(rows() - 1)[i] = c; // cellOf may add a block: the row's place stays
    }
}

Cell* RowStore::appendEmptyRow() {
    const quint32 off = arena_.alloc(size_t(width_) * sizeof(Cell));
    rows_.push_back(off);
    return static_cast<Cell*>(std::memset(arena_.at(off), 0, size_t(width_) * sizeof(Cell)));
}

void RowStore::reorder(const std::vector<quint32>& places) {
    std::vector<quint32> kept;
    kept.reserve(places.size());
    for (const quint32 p : places)
        kept.push_back(rows_[p]);
    rows_.swap(kept);
}

qint64 RowStore::intValue(Cell c) const {
    if (c.type() == CInt32) return qint32(c.off);
    qint64 v = 0;
    if (c.type() == CInt64) std::memcpy(&v, arena_.at(c.off), sizeof v);
    return v;
}

double RowStore::doubleValue(Cell c) const {
    double v = 0;
    std::memcpy(&v, arena_.at(c.off), sizeof v);
    return v;
}

void RowStore::clear() {
    rows_.clear();
    rows_.shrink_to_fit();
    arena_.clear();
}

} // namespace ado::detail
