#pragma once
// The rows a recordset keeps: each row a run of 8-byte cells, texts and wide
// numbers beside them in blocks that never move. A long binary value of a
// table's row is kept as its size only: its bytes stay in the file until they
// are asked for.
#include <QtGlobal>

#include <sqlite3.h>

#include <vector>

namespace ado::detail {

enum CellType : quint32 {
    CNull = 0,
    CInt32 = 1,
    CInt64 = 2,
    CDouble = 3,
    CText = 4,
    CBlobRef = 5, // in the file; the cell holds its size
    CBytes = 6,
};

struct Cell {
    quint32 off = 0; // place in the store, or the bytes themselves when kInline fit; the value of a
                     // CInt32; the size of a CBlobRef
    quint32 lenType = 0;
    static constexpr quint32 kInline = sizeof(quint32);

    CellType type() const { return CellType(lenType >> 29); }
    quint32 len() const { return lenType & kMaxLen; }
    static constexpr quint32 kMaxLen = 0x1fffffff;
    static Cell make(CellType t, quint32 off, quint32 len) { return Cell{off, (quint32(t) << 29) | len}; }
};

// Blocks of bytes that never move. They are small enough to come from the
// heap, where the memory a previous result or the page cache let go is
// taken again rather than touched anew.
class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena() { clear(); }

    void clear();
    // Room for n contiguous bytes at a multiple of align.
    quint32 alloc(size_t n, size_t align = 4);
    quint32 append(const void* p, size_t n);
    char* at(quint32 off) const { return blocks_[off >> kShift] + (off & (kBlock - 1)); }

private:
    static constexpr int kShift = 16;
    static constexpr size_t kBlock = size_t(1) << kShift; // below glibc's threshold for a mapping of its own
    void addBlock(char* b);

    std::vector<char*> blocks_;
    size_t used_ = 0;
    size_t room_ = 0; // of the last block
};

// How a column's values are kept.
struct CellRule {
    bool blobAsSize = false; // a table's long binary column: its size only
    bool statementGivesSize = false; // the statement already yields length() for it
};

class RowStore {
public:
    void setWidth(int cells) { width_ = cells; }
    int width() const { return width_; }
    long rows() const { return long(rows_.size()); }

    // A row of the statement's first width() columns, at the end.
    void appendRow(sqlite3_stmt* st, const std::vector<CellRule>& rules);
    // A row of empty (Null) cells, at the end.
    Cell* appendEmptyRow();
    void dropLastRow() { rows_.pop_back(); }
    // Keeps only the rows at these places, in this order.
    void reorder(const std::vector<quint32>& places);

    Cell* row(long r) { return reinterpret_cast<Cell*>(arena_.at(rows_[size_t(r)])); }
    const Cell* row(long r) const { return reinterpret_cast<const Cell*>(arena_.at(rows_[size_t(r)])); }

    // A cell of the statement's column i.
    Cell cellOf(sqlite3_stmt* st, int i, CellRule rule);
    Cell intCell(qint64 v);
    Cell bytesCell(CellType t, const void* p, quint32 n);

    qint64 intValue(Cell c) const;
    double doubleValue(Cell c) const;
    // A text's or bytes' first byte: in the cell itself when they are short,
    // so the pointer is good only while `c` is.
    const char* bytes(const Cell& c) const {
        return c.len() <= Cell::kInline ? reinterpret_cast<const char*>(&c.off) : arena_.at(c.off);
    }

    void clear();

private:
    Arena arena_;
    std::vector<quint32> rows_; // each row's place in the arena
    int width_ = 0;
};

} // namespace ado::detail
