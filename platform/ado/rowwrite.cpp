#include "ado.h"

#include "ado/recordset_p.h"
#include "ado/statement.h"

#include <algorithm>

namespace ado {

using namespace detail;

namespace {

QString dateText(const QDateTime& dt) {
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool parseNumber(const QString& text, double* out) {
    QString s = text.trimmed();
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    *out = s.toDouble(&ok);
    return ok && !s.isEmpty();
}

void bindValue(sqlite3_stmt* st, int index, const Variant& v) {
    switch (v.type()) {
    case Variant::Null:
        sqlite3_bind_null(st, index);
        break;
    case Variant::Long:
    case Variant::Boolean:
        sqlite3_bind_int64(st, index, v.toLong());
        break;
    case Variant::Double:
        sqlite3_bind_double(st, index, v.toDouble());
        break;
    case Variant::String: {
        const QByteArray s = v.toString().toUtf8();
        sqlite3_bind_text64(st, index, s.constData(), sqlite3_uint64(s.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    case Variant::Date: {
        const QByteArray s = dateText(v.toDateTime()).toUtf8();
        sqlite3_bind_text64(st, index, s.constData(), sqlite3_uint64(s.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    case Variant::Binary: {
        const QByteArray b = v.toBytes();
        sqlite3_bind_blob64(st, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

// A spooled value goes in as room (zeros) that its bytes then fill.
void bindPending(sqlite3_stmt* st, int index, const Pending& p) {
    if (p.spool)
        sqlite3_bind_zeroblob64(st, index, sqlite3_uint64(p.spool->size()));
    else
        bindValue(st, index, p.value);
}

// The cache holds a row's long binary bytes whole when they are few enough
// (kOnePassBytes), so each page reaches the file once; larger ones stream
// through a small cache.
qint64 cacheForWriting(sqlite3* db, const std::vector<Pending>& pending) {
    qint64 onePass = 0;
    bool streamed = false;
    for (const Pending& p : pending) {
        if (!p.set || !p.spool) continue;
        if (p.spool->size() <= kOnePassBytes)
            onePass += p.spool->size();
        else
            streamed = true;
    }
    const qint64 roomKiB = kSmallCacheKiB + (onePass + onePass / 8) / 1024; // an eighth for page headers
    if (onePass > 0) return roomKiB > -PragmaValue(db, "cache_size") ? -roomKiB : 0;
    return streamed ? -kSmallCacheKiB : 0;
}

} // namespace

// Reads row r's values of one table again from the file (after a write, so
// defaults and the new key show).
void Recordset::Impl::reread(long r, int tableIndex) {
    const TableInfo& t = tables[size_t(tableIndex)];
    QByteArray sql = "SELECT " + QuoteIdent(t.keyColumn);
    std::vector<int> which;
    for (int i = 0; i < int(cols.size()); ++i) {
        const Column& c = cols[size_t(i)];
        if (c.tableIndex != tableIndex) continue;
        which.push_back(i);
        sql += c.kind == KBlob ? ", length(" + QuoteIdent(c.origin) + ")" : ", " + QuoteIdent(c.origin);
    }
    sql += " FROM " + QuoteIdent(t.name) + " WHERE " + QuoteIdent(t.keyColumn) + " = ?";
    sqlite3* h = db();
    Stmt st;
    Prepare(h, sql, st);
    sqlite3_bind_int64(st.get(), 1, keyOf(r, tableIndex));
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_DONE) return; // gone meanwhile
    if (rc != SQLITE_ROW) FailSqlite(h, rc);
    row(r)[t.keyCell] = store.cellOf(st.get(), 0, CellRule{});
    for (size_t k = 0; k < which.size(); ++k) {
        const Column& c = cols[size_t(which[k])];
        row(r)[which[k]] = store.cellOf(st.get(), int(k + 1), CellRule{false, c.kind == KBlob});
    }
}

// A value as the field's column will store it; a value it cannot hold is
// refused at the assignment, as ADO does.
Variant Recordset::Impl::normalize(const Column& c, const Variant& v) const {
    if (v.isNull()) return v;
    auto mismatch = [&]() -> Variant {
        Fail(adErrTypeMismatch, QStringLiteral("Hodnota '%1' se nehodí do pole '%2'.").arg(v.toString(), c.name));
    };
    auto number = [&](auto convert) -> Variant {
        switch (v.type()) {
        case Variant::Long:
        case Variant::Boolean:
        case Variant::Double:
            return convert(v);
        case Variant::String: {
            double d;
            if (!parseNumber(v.toString(), &d)) return mismatch();
            return convert(Variant(d));
        }
        default:
            return mismatch();
        }
    };
    switch (c.kind) {
    case KInteger:
        return number([](const Variant& x) { return Variant(x.toLong()); });
    case KReal:
        return number([](const Variant& x) { return Variant(x.toDouble()); });
    case KText:
        if (v.type() == Variant::Binary) return Variant(QString::fromUtf8(v.toBytes()));
        return Variant(v.toString());
    case KDate: {
        if (v.type() != Variant::Date && v.type() != Variant::String) return mismatch();
        const QDateTime dt = v.toDateTime();
        if (!dt.isValid()) return mismatch();
        return Variant(dt);
    }
    case KBlob:
        return Variant(v.toBytes());
    case KGeneric:
        return v;
    }
    return v;
}

void Recordset::Impl::updateRow() {
    requireOpen();
    reader.close();
    if (editMode == adEditNone) return;
    sqlite3* h = db();
    RequireWritableFile(h);
    const bool adding = editMode == adEditAdd;
    std::vector<std::vector<int>> byTable(tables.size());
    for (int i = 0; i < int(cols.size()); ++i)
        if (pending[size_t(i)].set) byTable[size_t(cols[size_t(i)].tableIndex)].push_back(i);
    std::vector<int> touched;
    for (int t = 0; t < int(tables.size()); ++t)
        if (!byTable[size_t(t)].empty()) touched.push_back(t);
    if (adding && touched.empty()) {
        if (tables.size() != 1)
            Fail(adErrFeatureNotAvailable,
                 QStringLiteral("Nový řádek tohoto dotazu potřebuje hodnotu aspoň jednoho pole."));
        touched.push_back(0);
    }

    std::optional<CacheSizeFor> room;
    if (const qint64 cache = cacheForWriting(h, pending)) room.emplace(h, cache);

    // All tables of the row and its long binary bytes, or nothing. Inside a
    // transaction of the caller's a savepoint does the same.
    const bool own = sqlite3_get_autocommit(h) != 0;
    int rc = sqlite3_exec(h, own ? "BEGIN IMMEDIATE" : "SAVEPOINT ado_update", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) FailSqlite(h, rc);
    try {
        for (int t : touched) {
            const TableInfo& info = tables[size_t(t)];
            const std::vector<int>& set = byTable[size_t(t)];
            QByteArray sql;
            if (adding && set.empty()) {
                sql = "INSERT INTO " + QuoteIdent(info.name) + " DEFAULT VALUES";
            } else if (adding) {
                QByteArray names, marks;
                for (int i : set) {
                    names += (names.isEmpty() ? "" : ", ") + QuoteIdent(cols[size_t(i)].origin);
                    marks += marks.isEmpty() ? "?" : ", ?";
                }
                sql = "INSERT INTO " + QuoteIdent(info.name) + " (" + names + ") VALUES (" + marks + ")";
            } else {
                sql = "UPDATE " + QuoteIdent(info.name) + " SET ";
                for (size_t k = 0; k < set.size(); ++k)
                    sql += (k ? ", " : "") + QuoteIdent(cols[size_t(set[k])].origin) + " = ?";
                sql += " WHERE " + QuoteIdent(info.keyColumn) + " = ?";
            }
            Stmt st;
            Prepare(h, sql, st);
            int index = 1;
            for (int i : set)
                bindPending(st.get(), index++, pending[size_t(i)]);
            if (!adding) sqlite3_bind_int64(st.get(), index, keyOf(pos, t));
            rc = sqlite3_step(st.get());
            if (rc != SQLITE_DONE) FailSqlite(h, rc);
            qint64 key;
            if (adding) {
                key = sqlite3_last_insert_rowid(h);
                row(pos)[info.keyCell] = store.intCell(key);
            } else {
                if (sqlite3_changes(h) == 0)
                    Fail(adErrRowDeleted, QStringLiteral("Řádek nelze pro úpravu najít: mezitím byl smazán."));
                key = keyOf(pos, t);
            }
            for (int i : set) {
                Pending& p = pending[size_t(i)];
                if (p.spool) p.spool->writeTo(h, LongValuePlace{info.name, cols[size_t(i)].origin, key}, cols[size_t(i)].name);
            }
        }
        rc = sqlite3_exec(h, own ? "COMMIT" : "RELEASE ado_update", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) FailSqlite(h, rc);
    } catch (...) {
        sqlite3_exec(h, own ? "ROLLBACK" : "ROLLBACK TO ado_update; RELEASE ado_update", nullptr, nullptr,
                     nullptr);
        if (adding) // the row still has no key of its own
            for (int t : touched)
                row(pos)[tables[size_t(t)].keyCell] = Cell{};
        room.reset();
        if (own) conn->d->afterFailedWrite();
        throw;
    }
    room.reset();
    // A picture's pages are not read again soon, and held in the cache they
    // make the next one's store spill pages before its commit.
    if (std::any_of(pending.begin(), pending.end(), [](const Pending& p) { return p.set && p.spool; }))
        sqlite3_db_release_memory(h);
    flags[size_t(pos)] &= quint8(~RowNew);
    resetEdit();
    resetChunks();
    for (int t : touched)
        reread(pos, t);
}

void Recordset::AddNew() {
    d->requireOpen();
    d->requireWritable();
    if (d->tables.empty())
        Fail(adErrFeatureNotAvailable, QStringLiteral("Aktuální sada záznamů nepodporuje aktualizaci."));
    if (d->editMode != adEditNone) d->updateRow();
    d->addFrom = d->pos;
    d->store.appendEmptyRow();
    d->flags.push_back(RowNew);
    ++d->live;
    d->pos = d->rows() - 1;
    d->editMode = adEditAdd;
    d->resetChunks();
}

void Recordset::Update() {
    d->updateRow();
}

void Recordset::CancelUpdate() {
    d->requireOpen();
    if (d->editMode == adEditAdd) {
        d->store.dropLastRow();
        d->flags.pop_back();
        --d->live;
        d->pos = d->addFrom;
    }
    d->resetEdit();
    d->resetChunks();
}

} // namespace ado
