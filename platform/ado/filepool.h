#pragma once
// The open database files. Deriving a file's key and reading its schema cost
// tens of milliseconds, and a connection's page cache is lost when it closes;
// the program opens and closes a connection for every operation. So one
// connection per file is kept open between those operations and handed to the
// next open of that file, as long as it is still the same file, equally
// writable, and the password gives its key. A kept connection holds no lock
// and no transaction: another program's changes show at its next read.
#include <QString>

#include <sqlite3.h>

namespace ado::detail {

// Pages of the files this layer creates: pictures move through far fewer
// encrypted pages than with SQLCipher's default of 1 KiB, which older files
// still use (and still open).
constexpr int kPageSize = 8192;

// A connection to the file at path, which exists: the kept one or a new one.
// Either way it has just read the file, so a wrong password, a damaged first
// page or a lock shows here.
sqlite3* TakeConnection(const QString& path, const QString& password);

// Back from an open: kept for the next one, unless a connection to that file
// is kept already or this one met a failure (see Distrust); then closed.
void GiveBack(sqlite3* db);

// The table's INTEGER PRIMARY KEY column, "" when it has none; learnt once
// per connection.
QString KeyColumn(sqlite3* db, const QString& table);

// After a write that failed: the connection is closed and, when the failed
// transaction left its journal behind (a full disk can keep SQLite from
// undoing it), a new connection undoes it at once, so the file has its old
// size and the room is free again. Returns the new connection, nullptr when
// none could be opened.
sqlite3* ReopenAfterFailedWrite(sqlite3* db, const QString& password);

} // namespace ado::detail
