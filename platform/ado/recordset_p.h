#pragma once
// A recordset's state, shared by its reading (recordset.cpp), its writing
// (rowwrite.cpp) and its fields (field.cpp).
#include "ado.h"
#include "ado/connection_p.h"
#include "ado/failure.h"
#include "ado/longvalue.h"
#include "ado/rowstore.h"
#include "ado/sqltext.h"

#include <QHash>

#include <optional>
#include <vector>

namespace ado {

namespace detail {

// How a column's declared type makes its values read and written.
enum Kind : quint8 { KGeneric, KInteger, KReal, KText, KDate, KBlob };
Kind KindOf(const char* declaredType);

struct Column {
    QString name;   // as the query names it
    QString table;  // base table, "" for an expression
    QString origin; // base column
    Kind kind = KGeneric;
    int tableIndex = -1; // into Recordset::Impl::tables; -1 when not writable
    bool isKey = false;  // its table's autonumber: never written
    CellRule rule;
};

struct TableInfo {
    QString name;
    QString keyColumn;
    int keyCell = -1; // position of the key among a row's cells
};

// A value assigned to a field, waiting for Update.
struct Pending {
    bool set = false;
    Variant value;
    std::optional<Spool> spool; // AppendChunk's bytes
};

enum RowFlag : quint8 { RowDeleted = 1, RowNew = 2 };

} // namespace detail

struct Recordset::Impl {
    Connection* conn = nullptr;
    bool open = false;
    bool readOnly = false;
    std::vector<detail::Column> cols; // the query's columns
    std::vector<detail::TableInfo> tables;
    std::vector<Field> fields;
    QHash<QString, int> names;      // exact spelling
    QHash<QString, int> lowerNames; // lower case
    detail::RowStore store;         // each row: the columns' cells, then one key per table
    std::vector<quint8> flags;      // each row's RowFlag
    long live = 0; // rows not deleted
    long pos = 0;  // -1 before the first row, rows() after the last
    long editMode = adEditNone;
    long addFrom = 0;
    std::vector<detail::Pending> pending;
    std::vector<qint64> chunkPos;
    detail::LongValueReader reader;

    // The rows, read at the open or (an append) at the first look at them.
    QByteArray readSql;         // the query as read: its tables' keys added
    QByteArray selectPart;      // readSql up to its FROM
    detail::sqltext::WholeTable wholeTable; // read in two passes when ok
    bool unread = false;
    qint64 highestKeyAtOpen = 0; // of an unread one-table query: later rows are not its own

    long rows() const { return store.rows(); }
    detail::Cell* row(long r) { return store.row(r); }
    const detail::Cell* row(long r) const { return store.row(r); }
    sqlite3* db() const;
    void requireOpen() const;
    void requireCurrent();
    void requireWritable() const;

    // recordset.cpp
    void readRows();
    void readQuery(bool onlyKeysAtOpen);
    void readWholeTable(sqlite3* h, bool onlyKeysAtOpen);
    qint64 keyOf(long r, int tableIndex) const;
    Variant cellValue(int column, long r);
    detail::LongValuePlace placeOf(int column, long r) const;
    // The first row from `from` on, going by `step`, that is not deleted;
    // -1 or rows() when there is none.
    long liveRow(long from, long step) const;
    void move(long to);
    void clear();
    void resetEdit();
    void resetChunks();

    // rowwrite.cpp
    void updateRow();
    void reread(long r, int tableIndex);
    Variant normalize(const detail::Column& c, const Variant& v) const;
};

} // namespace ado
