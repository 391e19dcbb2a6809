#include "ado.h"

#include "ado/recordset_p.h"
#include "ado/filepool.h"
#include "ado/statement.h"

#include <algorithm>
#include <cstring>

namespace ado {

using namespace detail;

namespace detail {

Kind KindOf(const char* decl) {
    if (!decl) return KGeneric;
    const QByteArray d = QByteArray(decl).toUpper();
    if (d.contains("DATE") || d.contains("TIME")) return KDate;
    if (d.contains("INT")) return KInteger;
    if (d.contains("CHAR") || d.contains("CLOB") || d.contains("TEXT") || d.contains("MEMO")) return KText;
    if (d.contains("BLOB") || d.contains("BINARY")) return KBlob;
    if (d.contains("REAL") || d.contains("FLOA") || d.contains("DOUB")) return KReal;
    return KGeneric;
}

} // namespace detail

namespace {

bool parseIsoDate(const char* p, quint32 n, QDateTime* out) {
    auto num = [p](int from, int len) {
        int v = 0;
        for (int k = from; k < from + len; ++k) {
            if (p[k] < '0' || p[k] > '9') return -1;
            v = v * 10 + (p[k] - '0');
        }
        return v;
    };
    if (n != 19 && n != 10) return false;
    if (p[4] != '-' || p[7] != '-') return false;
    const QDate date(num(0, 4), num(5, 2), num(8, 2));
    if (!date.isValid()) return false;
    QTime time(0, 0);
    if (n == 19) {
        if (p[10] != ' ' || p[13] != ':' || p[16] != ':') return false;
        time = QTime(num(11, 2), num(14, 2), num(17, 2));
        if (!time.isValid()) return false;
    }
    *out = QDateTime(date, time);
    return true;
}

// The table's highest key now, 0 when it has no rows.
qint64 highestKey(sqlite3* db, const TableInfo& t) {
    Stmt st;
    Prepare(db, "SELECT max(" + QuoteIdent(t.keyColumn) + ") FROM " + QuoteIdent(t.name), st);
    const int rc = sqlite3_step(st.get());
    if (rc != SQLITE_ROW) FailSqlite(db, rc);
    return sqlite3_column_int64(st.get(), 0);
}

} // namespace

// ---------------------------------------------------------------------------
// Recordset::Impl: reading

sqlite3* Recordset::Impl::db() const {
    if (!conn || !conn->d->db) FailClosed();
    return conn->d->db;
}

void Recordset::Impl::requireOpen() const {
    if (!open) FailClosed();
}

void Recordset::Impl::requireCurrent() {
    requireOpen();
    if (pos < 0 || pos >= rows()) readRows(); // a row added here needs none read
    if (pos < 0 || pos >= rows() || (flags[size_t(pos)] & RowDeleted)) FailNoCurrent();
}

void Recordset::Impl::requireWritable() const {
    if (readOnly)
        Fail(adErrFeatureNotAvailable, QStringLiteral("Aktuální sada záznamů nepodporuje aktualizaci. Může jít o "
                                                      "omezení zprostředkovatele nebo zvoleného typu zámku."));
}

// An unread query's rows, ahead of those added here meanwhile, which stay
// where the caller is.
void Recordset::Impl::readRows() {
    if (!unread) return;
    const long added = rows();
    readQuery(true);
    unread = false;
    const long read = rows() - added;
    std::vector<quint32> order(static_cast<size_t>(rows()));
    for (long i = 0; i < read; ++i)
        order[size_t(i)] = quint32(added + i);
    for (long i = 0; i < added; ++i)
        order[size_t(read + i)] = quint32(i);
    store.reorder(order);
    std::vector<quint8> addedFlags(flags.begin(), flags.end());
    flags.assign(size_t(read), 0);
    flags.insert(flags.end(), addedFlags.begin(), addedFlags.end());
    live += read;
    // A place on an added row moves with it; the start stays the start.
    if (pos < added) pos += read;
    if (editMode == adEditAdd ? addFrom < added - 1 : addFrom < added) addFrom += read;
}

// The query's rows, all in one read: they show the file as it was at one
// moment, whatever another program writes meanwhile.
void Recordset::Impl::readQuery(bool onlyKeysAtOpen) {
    sqlite3* h = db();
    ReadTransaction read(h);
    if (wholeTable.ok) {
        readWholeTable(h, onlyKeysAtOpen);
    } else {
        Stmt st;
        Prepare(h, readSql, st);
        std::vector<CellRule> rules;
        for (const Column& c : cols)
            rules.push_back(c.rule);
        const int keyCell = tables.empty() ? -1 : tables[0].keyCell;
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            if (onlyKeysAtOpen && sqlite3_column_int64(st.get(), keyCell) > highestKeyAtOpen) continue;
            store.appendRow(st.get(), rules);
            flags.push_back(0);
        }
        if (rc != SQLITE_DONE) FailStep(h, rc);
    }
    read.Done();
}

// "SELECT * FROM t ORDER BY ..." walks an index and looks up each row's page:
// the pages come at random, and unless the cache holds the whole table each
// is read and decrypted once per row. Instead the keys are taken in the
// query's order (from the index alone), then the rows in the table's own
// order, each page read once, and put in the keys' order.
void Recordset::Impl::readWholeTable(sqlite3* h, bool onlyKeysAtOpen) {
    const TableInfo& t = tables[0];
    const QByteArray key = QuoteIdent(t.name) + '.' + QuoteIdent(t.keyColumn);
    std::vector<std::pair<qint64, quint32>> places; // key, place in the query's order
    {
        Stmt st;
        Prepare(h, "SELECT " + key + " FROM " + QuoteIdent(t.name) + " ORDER BY " + wholeTable.orderBy, st);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            const qint64 k = sqlite3_column_int64(st.get(), 0);
            if (!onlyKeysAtOpen || k <= highestKeyAtOpen) places.emplace_back(k, quint32(places.size()));
        }
        if (rc != SQLITE_DONE) FailStep(h, rc);
    }
    std::sort(places.begin(), places.end());

    std::vector<CellRule> rules;
    for (const Column& c : cols)
        rules.push_back(c.rule);
    const long first = rows();
    std::vector<quint32> order(static_cast<size_t>(first) + places.size()); // rows' places in the store
    for (long i = 0; i < first; ++i)
        order[size_t(i)] = quint32(i);
    // The table's pages pass once, in order: a few pages of cache do. Kept
    // in the cache they would hold the whole table again beside its rows
    // here, while the caller still holds what it made of the last read.
    constexpr qint64 kScanCacheKiB = 256;
    const CacheSizeFor small(h, -kScanCacheKiB);
    Stmt st;
    Prepare(h, selectPart + " FROM " + QuoteIdent(t.name) + " ORDER BY " + key, st);
    size_t next = 0; // rows come in key order, as the places now are
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW && next < places.size()) {
        const qint64 k = sqlite3_column_int64(st.get(), t.keyCell);
        while (next < places.size() && places[next].first < k)
            ++next;
        if (next == places.size() || places[next].first != k) continue;
        order[size_t(first) + places[next].second] = quint32(rows());
        store.appendRow(st.get(), rules);
        ++next;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) FailStep(h, rc);
    if (rows() - first != long(places.size())) // both passes read in one transaction
        Fail(adErrProvider, QStringLiteral("Řádky tabulky '%1' se nepodařilo přečíst.").arg(t.name));
    std::vector<std::pair<qint64, quint32>>().swap(places); // its room, for the reordering
    store.reorder(order);
    flags.resize(size_t(rows()), 0);
}

qint64 Recordset::Impl::keyOf(long r, int tableIndex) const {
    const Cell c = row(r)[tables[size_t(tableIndex)].keyCell];
    if (c.type() == CInt32 || c.type() == CInt64) return store.intValue(c);
    FailRowGone();
}

LongValuePlace Recordset::Impl::placeOf(int column, long r) const {
    const Column& c = cols[size_t(column)];
    return LongValuePlace{c.table, c.origin, keyOf(r, c.tableIndex)};
}

Variant Recordset::Impl::cellValue(int column, long r) {
    const Column& col = cols[size_t(column)];
    const Cell cell = row(r)[column];
    switch (cell.type()) {
    case CNull:
        return Variant();
    case CInt32:
    case CInt64:
        return Variant(store.intValue(cell));
    case CDouble:
        return Variant(store.doubleValue(cell));
    case CText: {
        const char* p = store.bytes(cell);
        if (col.kind == KDate) {
            QDateTime dt;
            if (parseIsoDate(p, cell.len(), &dt)) return Variant(dt);
        }
        return Variant(QString::fromUtf8(p, qsizetype(cell.len())));
    }
    case CBytes:
        return Variant(QByteArray(store.bytes(cell), qsizetype(cell.len())));
    case CBlobRef:
        if (cell.off == 0) return Variant(QByteArray());
        reader.close();
        return Variant(ReadLongValue(db(), placeOf(column, r)));
    }
    return Variant();
}

void Recordset::Impl::resetEdit() {
    for (Pending& p : pending) {
        p.set = false;
        p.value = Variant();
        p.spool.reset();
    }
    editMode = adEditNone;
}

void Recordset::Impl::resetChunks() {
    reader.close();
    std::fill(chunkPos.begin(), chunkPos.end(), 0);
}

long Recordset::Impl::liveRow(long from, long step) const {
    long p = from;
    while (p >= 0 && p < rows() && (flags[size_t(p)] & RowDeleted))
        p += step;
    return p;
}

void Recordset::Impl::move(long to) {
    if (editMode != adEditNone) updateRow();
    pos = to;
    resetChunks();
}

void Recordset::Impl::clear() {
    cols.clear();
    tables.clear();
    fields.clear();
    names.clear();
    lowerNames.clear();
    store.clear();
    flags.clear();
    flags.shrink_to_fit();
    pending.clear();
    reader.close();
    chunkPos.clear();
    readSql.clear();
    selectPart.clear();
    wholeTable = {};
    unread = false;
    highestKeyAtOpen = 0;
    live = 0;
    pos = 0;
    editMode = adEditNone;
    open = false;
    readOnly = false;
}

// ---------------------------------------------------------------------------
// Recordset

Recordset::Recordset() : d(std::make_unique<Impl>()) {}

Recordset::~Recordset() {
    if (d->open) {
        if (d->conn) d->conn->d->recordsets.removeOne(this);
        d->clear();
    }
}

long Recordset::State() const {
    return d->open ? adStateOpen : adStateClosed;
}

void Recordset::Open(const QString& source, Connection& connection, long /*cursorType*/, long lockType,
                     long options) {
    if (d->open) FailOpen();
    sqlite3* h = connection.d->db;
    if (!h) FailClosed();
    const QByteArray sql = source.toUtf8();
    Stmt st;
    Prepare(h, sql, st);
    const int n = sqlite3_column_count(st.get());
    if (n == 0) { // a statement without rows: run it; the recordset stays closed
        RunToEnd(h, st);
        return;
    }

    d->clear();
    d->conn = &connection;
    d->readOnly = lockType == adLockReadOnly;
    d->cols.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        Column& c = d->cols[size_t(i)];
        c.name = QString::fromUtf8(sqlite3_column_name(st.get(), i));
        c.table = QString::fromUtf8(sqlite3_column_table_name(st.get(), i));
        c.origin = QString::fromUtf8(sqlite3_column_origin_name(st.get(), i));
        c.kind = KindOf(sqlite3_column_decltype(st.get(), i));
        // On nested joins SQLite names the column "tDVD.DVDID": the field is DVDID.
        const qsizetype dot = c.name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0 && !c.origin.isEmpty() && c.name.mid(dot + 1).compare(c.origin, Qt::CaseInsensitive) == 0)
            c.name = c.origin;
    }

    // Rows are written back by key: each base table's INTEGER PRIMARY KEY is
    // added to the query by name (a rowid cannot be selected through a
    // parenthesised join). Long binary columns of "SELECT *" are read as their
    // length only: their bytes stay in the file until asked for.
    const sqltext::Select shape = sqltext::SplitSelect(sql);
    if (shape.ok) {
        for (Column& c : d->cols) {
            if (c.table.isEmpty() || c.origin.isEmpty()) continue;
            int t = 0;
            while (t < int(d->tables.size()) && d->tables[size_t(t)].name.compare(c.table, Qt::CaseInsensitive) != 0)
                ++t;
            if (t == int(d->tables.size())) {
                const QString key = KeyColumn(h, c.table);
                if (key.isEmpty()) continue;
                d->tables.push_back(TableInfo{c.table, key, n + t});
            }
            c.tableIndex = t;
            c.isKey = c.origin.compare(d->tables[size_t(t)].keyColumn, Qt::CaseInsensitive) == 0;
            c.rule.blobAsSize = c.kind == KBlob;
        }
    }
    d->readSql = sql;
    if (!d->tables.empty()) {
        QByteArray list = sql.mid(shape.listStart, shape.fromPos - shape.listStart);
        bool listed = false; // "*" spelled out, long binary columns as their length
        if (list.trimmed() == "*" &&
            std::all_of(d->cols.begin(), d->cols.end(), [](const Column& c) { return !c.origin.isEmpty(); }) &&
            std::any_of(d->cols.begin(), d->cols.end(), [](const Column& c) { return c.kind == KBlob; })) {
            list = " ";
            for (int i = 0; i < n; ++i) {
                const Column& c = d->cols[size_t(i)];
                const QByteArray ref = QuoteIdent(c.table) + '.' + QuoteIdent(c.origin);
                if (i) list += ", ";
                list += c.kind == KBlob ? "length(" + ref + ")" : ref;
            }
            listed = true;
        }
        QByteArray selectPart = sql.left(shape.listStart) + list;
        for (const TableInfo& t : d->tables)
            selectPart += ", " + QuoteIdent(t.name) + '.' + QuoteIdent(t.keyColumn);
        const QByteArray rewritten = selectPart + ' ' + sql.mid(shape.fromPos);
        Stmt check;
        bool usable = sqlite3_prepare_v2(h, rewritten.constData(), int(rewritten.size()), check.out(), nullptr) ==
                          SQLITE_OK &&
                      sqlite3_column_count(check.get()) == n + int(d->tables.size());
        for (int t = 0; usable && t < int(d->tables.size()); ++t) {
            const char* origin = sqlite3_column_origin_name(check.get(), n + t);
            usable = origin &&
                     d->tables[size_t(t)].keyColumn.compare(QString::fromUtf8(origin), Qt::CaseInsensitive) == 0;
        }
        if (usable) {
            d->readSql = rewritten;
            d->selectPart = selectPart;
            for (Column& c : d->cols)
                c.rule.statementGivesSize = listed && c.kind == KBlob;
        } else { // e.g. a table under an alias: its rows stay read-only
            d->tables.clear();
            for (Column& c : d->cols) {
                c.tableIndex = -1;
                c.isKey = false;
                c.rule = CellRule{};
            }
        }
    }
    st.reset();
    d->store.setWidth(n + int(d->tables.size()));

    const bool oneTable =
        d->tables.size() == 1 && std::all_of(d->cols.begin(), d->cols.end(), [&](const Column& c) {
            return c.table.isEmpty() || c.table.compare(d->tables[0].name, Qt::CaseInsensitive) == 0;
        });
    if (oneTable) {
        d->wholeTable = sqltext::WholeTableInOrder(sql);
        if (d->wholeTable.ok &&
            QString::fromUtf8(d->wholeTable.table).compare(d->tables[0].name, Qt::CaseInsensitive) != 0)
            d->wholeTable = {};
    }
    try {
        // An append reads none of the rows until they are looked at.
        if (oneTable && options != -1 && (options & adAsyncFetch)) {
            d->highestKeyAtOpen = highestKey(h, d->tables[0]);
            d->unread = true;
        } else {
            d->readQuery(false);
        }
    } catch (...) {
        d->clear();
        throw;
    }

    d->live = d->rows();
    d->pos = 0;
    d->pending.resize(size_t(n));
    d->chunkPos.assign(size_t(n), 0);
    d->fields.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        d->fields.push_back(Field(this, i));
        const Column& c = d->cols[size_t(i)];
        QStringList keys{c.name};
        if (!c.origin.isEmpty()) keys << c.origin << c.table + QLatin1Char('.') + c.origin;
        for (const QString& k : keys) {
            if (!d->names.contains(k)) d->names.insert(k, i);
            const QString lower = k.toLower();
            if (!d->lowerNames.contains(lower)) d->lowerNames.insert(lower, i);
        }
    }
    d->open = true;
    connection.d->recordsets.append(this);
}

void Recordset::Close() {
    d->requireOpen();
    if (d->conn) d->conn->d->recordsets.removeOne(this);
    d->clear();
    d->conn = nullptr;
}

bool Recordset::Eof() const {
    d->requireOpen();
    d->readRows();
    return d->pos >= d->rows();
}

bool Recordset::Bof() const {
    d->requireOpen();
    d->readRows();
    return d->pos < 0 || (d->live == 0 && d->pos >= d->rows());
}

long Recordset::RecordCount() const {
    d->requireOpen();
    d->readRows();
    return d->live;
}

void Recordset::MoveNext() {
    d->requireOpen();
    d->readRows();
    if (d->pos >= d->rows()) FailNoCurrent();
    d->move(d->liveRow(d->pos + 1, 1));
}

void Recordset::MovePrevious() {
    d->requireOpen();
    d->readRows();
    if (d->pos < 0) FailNoCurrent();
    d->move(d->liveRow(d->pos - 1, -1));
}

void Recordset::MoveFirst() {
    d->requireOpen();
    d->readRows();
    d->move(d->liveRow(0, 1));
}

void Recordset::MoveLast() {
    d->requireOpen();
    d->readRows();
    const long p = d->liveRow(d->rows() - 1, -1);
    d->move(p < 0 ? d->rows() : p);
}

int Recordset::FieldCount() const {
    d->requireOpen();
    return int(d->cols.size());
}

Field& Recordset::Fields(int index) {
    d->requireOpen();
    if (index < 0 || index >= int(d->fields.size()))
        Fail(adErrItemNotFound, QStringLiteral("Položku nelze nalézt v kolekci odpovídající požadovanému názvu "
                                               "nebo pořadovému číslu."));
    return d->fields[size_t(index)];
}

Field& Recordset::Fields(const QString& name) {
    d->requireOpen();
    int i = d->names.value(name, -1);
    if (i < 0) i = d->lowerNames.value(name.toLower(), -1);
    if (i < 0)
        Fail(adErrItemNotFound, QStringLiteral("Položku nelze nalézt v kolekci odpovídající požadovanému názvu "
                                               "nebo pořadovému číslu (%1).")
                                    .arg(name));
    return d->fields[size_t(i)];
}

void Recordset::Delete() {
    d->requireOpen();
    d->reader.close();
    d->requireWritable();
    if (d->editMode == adEditAdd) { // the new row was never written
        CancelUpdate();
        return;
    }
    if (d->editMode != adEditNone) CancelUpdate();
    d->requireCurrent();
    if (d->tables.size() != 1)
        Fail(adErrFeatureNotAvailable, QStringLiteral("Řádky tohoto dotazu nelze odstranit."));
    sqlite3* h = d->db();
    RequireWritableFile(h);
    const TableInfo& t = d->tables[0];
    Stmt st;
    Prepare(h, "DELETE FROM " + QuoteIdent(t.name) + " WHERE " + QuoteIdent(t.keyColumn) + " = ?", st);
    sqlite3_bind_int64(st.get(), 1, d->keyOf(d->pos, 0));
    const int rc = sqlite3_step(st.get());
    if (rc != SQLITE_DONE) FailSqlite(h, rc);
    if (sqlite3_changes(h) == 0)
        Fail(adErrRowDeleted, QStringLiteral("Řádek nelze pro odstranění najít: mezitím byl smazán."));
    d->flags[size_t(d->pos)] |= RowDeleted;
    --d->live;
}

long Recordset::EditMode() const {
    d->requireOpen();
    return d->editMode;
}

} // namespace ado
