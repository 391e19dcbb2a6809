#include "ado/statement.h"

#include "ado/failure.h"

#include <QString>

namespace ado::detail {

void Prepare(sqlite3* db, const QByteArray& sql, Stmt& st) {
    const int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), st.out(), nullptr);
    if (rc != SQLITE_OK) FailSqlite(db, rc);
}

void Exec(sqlite3* db, const char* sql) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) FailSqlite(db, rc);
}

qint64 PragmaValue(sqlite3* db, const char* name) {
    Stmt st;
    Prepare(db, QByteArrayLiteral("PRAGMA ") + name, st);
    return sqlite3_step(st.get()) == SQLITE_ROW ? sqlite3_column_int64(st.get(), 0) : 0;
}

long RunToEnd(sqlite3* db, Stmt& st) {
    if (!sqlite3_stmt_readonly(st.get())) RequireWritableFile(db);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) FailSqlite(db, rc);
    return sqlite3_changes(db);
}

QByteArray QuoteIdent(const QString& name) {
    QByteArray s = name.toUtf8();
    s.replace('"', "\"\"");
    return '"' + s + '"';
}

void SetCacheSize(sqlite3* db, qint64 size) {
    const QByteArray sql = QByteArrayLiteral("PRAGMA cache_size = ") + QByteArray::number(size);
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

CacheSizeFor::CacheSizeFor(sqlite3* db, qint64 size) : db_(db), previous_(PragmaValue(db, "cache_size")) {
    SetCacheSize(db, size);
}

CacheSizeFor::~CacheSizeFor() {
    SetCacheSize(db_, previous_);
}

ReadTransaction::ReadTransaction(sqlite3* db) : db_(db), own_(sqlite3_get_autocommit(db) != 0) {
    if (own_) Exec(db, "BEGIN");
}

ReadTransaction::~ReadTransaction() {
    if (own_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void ReadTransaction::Done() {
    CheckPagesRead(db_);
    if (own_) Exec(db_, "COMMIT");
    own_ = false;
}

} // namespace ado::detail
