#pragma once
// Long binary values (pictures) of a table's row, moved in pieces: read
// straight from the file, and written from a spool that gathers the pieces
// until the row is updated. Neither needs the whole value in memory.
#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <sqlite3.h>

#include <memory>
#include <optional>

#include "ado/statement.h"

namespace ado::detail {

// Where a long value stands: its table's row by key, and its column.
struct LongValuePlace {
    QString table;
    QString column;
    qint64 key = 0;
};

// The whole value as it is now.
QByteArray ReadLongValue(sqlite3* db, const LongValuePlace& at);

// Reads a value piece by piece. The value stays open from one piece to the
// next, so SQLite keeps its place in the chain of pages (opening it anew for
// every piece walks the chain from the start); it is let go after its last
// piece, so no read outlasts the reading.
class LongValueReader {
public:
    ~LongValueReader() { close(); }
    // `length` bytes from `from`; total is the value's size.
    QByteArray read(sqlite3* db, const LongValuePlace& at, qint64 from, qint64 length, qint64 total);
    void close();

private:
    sqlite3_blob* blob_ = nullptr;
    sqlite3* db_ = nullptr;
    LongValuePlace at_;
    // The pieces pass through a small cache: a large picture does not fill a large one.
    std::optional<CacheSizeFor> cache_;
};

// The pieces of a value waiting for the row's update: in memory up to
// kOnePassBytes, in a temporary file beyond.
class Spool {
public:
    void append(const QByteArray& data, const QString& fieldName);
    qint64 size() const { return size_; }
    QByteArray read(qint64 from, qint64 length);
    QByteArray all();
    bool inMemory() const;
    // Copies the bytes into the value that room (zeroblob) was made for.
    void writeTo(sqlite3* db, const LongValuePlace& at, const QString& fieldName);

private:
    std::unique_ptr<QIODevice> device_;
    qint64 size_ = 0;
};

// Up to this size a written value's pages wait in the page cache until the
// commit, so each reaches the file once; a larger one goes out as it comes.
constexpr qint64 kOnePassBytes = qint64(16) << 20;

} // namespace ado::detail
