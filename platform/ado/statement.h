#pragma once
// Prepared statements that finalize themselves, and the few calls every part
// of the layer makes on a connection.
#include <QByteArray>

#include <sqlite3.h>

namespace ado::detail {

class Stmt {
public:
    Stmt() = default;
    ~Stmt() { reset(); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    sqlite3_stmt* get() const { return st_; }
    sqlite3_stmt** out() {
        reset();
        return &st_;
    }
    void reset() {
        if (st_) sqlite3_finalize(st_);
        st_ = nullptr;
    }

private:
    sqlite3_stmt* st_ = nullptr;
};

// Each raises the connection's failure as an ado::Error.
void Prepare(sqlite3* db, const QByteArray& sql, Stmt& st);
void Exec(sqlite3* db, const char* sql);
qint64 PragmaValue(sqlite3* db, const char* name);
// Runs a prepared statement to its end (a write only into a file that may be
// written); returns the rows it changed.
long RunToEnd(sqlite3* db, Stmt& st);

QByteArray QuoteIdent(const QString& name);

// cache_size as SQLite takes it: pages when positive, KiB when negative.
void SetCacheSize(sqlite3* db, qint64 size);
constexpr qint64 kSmallCacheKiB = 2000; // SQLite's default

// cache_size for a scope, the previous one back after it.
class CacheSizeFor {
public:
    CacheSizeFor(sqlite3* db, qint64 size);
    ~CacheSizeFor();
    CacheSizeFor(const CacheSizeFor&) = delete;
    CacheSizeFor& operator=(const CacheSizeFor&) = delete;

private:
    sqlite3* db_;
    qint64 previous_;
};

// A read of several statements that sees one state of the file. Inside a
// transaction of the caller's it is that transaction. Done() checks the
// pages read (see CheckPagesRead) and ends it.
class ReadTransaction {
public:
    explicit ReadTransaction(sqlite3* db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    void Done();

private:
    sqlite3* db_;
    bool own_;
};

} // namespace ado::detail
