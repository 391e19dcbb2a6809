#pragma once
// What the layer says when something fails: ADO's error numbers with a Czech
// description, and what it remembers of files and connections that failed.
#include <QString>

#include <sqlite3.h>

namespace ado::detail {

[[noreturn]] void Fail(long number, const QString& description);
[[noreturn]] void FailClosed();
[[noreturn]] void FailOpen();
[[noreturn]] void FailNoCurrent();
[[noreturn]] void FailRowGone();
// The connection's failure rc as an ado::Error. A damaged file is remembered;
// the connection is no longer trusted (see Distrusted).
[[noreturn]] void FailSqlite(sqlite3* db, int rc);
[[noreturn]] void FailDamaged(const QString& path);
// A statement's step failed with rc inside a read: when the failure comes from
// a damaged page read before (see CheckPagesRead), it is said as damage.
[[noreturn]] void FailStep(sqlite3* db, int rc);

// The failure in words, for a file at path; detail is SQLite's own text.
QString Describe(int rc, const QString& path, const QString& detail);

QString FileOf(sqlite3* db);

// Files found damaged in this run: nothing more is written into them.
void MarkDamaged(const QString& path);
bool IsDamaged(const QString& path);

// A write-protected file and one found damaged are not written: the write
// fails before anything is changed.
void RequireWritableFile(sqlite3* db);

// SQLCipher checks each page as it is read; a page that fails comes back as
// zeros, and only the next page read on the connection fails. So after a read
// (a row pass, a long value) the connection reads one more page: a failure
// then means the pages just read were damaged.
void CheckPagesRead(sqlite3* db);

// A connection on which something failed is closed rather than kept: its
// state after a failed write or a damaged page is not to be relied on.
void Distrust(sqlite3* db);
bool Distrusted(sqlite3* db);
void Forget(sqlite3* db); // the connection is closed

} // namespace ado::detail
