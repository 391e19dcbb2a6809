#include "ado/longvalue.h"

#include "ado.h"
#include "ado/failure.h"
#include "savefile.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryFile>

namespace ado::detail {

namespace {

// The value opened, or the reason it cannot be: a row deleted meanwhile, or
// a value that is no bytes (another program stored a number there), is said
// as such.
sqlite3_blob* openValue(sqlite3* db, const LongValuePlace& at, bool forWriting) {
    sqlite3_blob* blob = nullptr;
    const int rc = sqlite3_blob_open(db, "main", at.table.toUtf8().constData(), at.column.toUtf8().constData(),
                                     at.key, forWriting ? 1 : 0, &blob);
    if (rc == SQLITE_OK) return blob;
    if ((rc & 0xff) != SQLITE_ERROR) FailSqlite(db, rc);
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db));
    {
        Stmt st;
        if (sqlite3_prepare_v2(db, "SELECT typeof(" + QuoteIdent(at.column) + ") FROM " + QuoteIdent(at.table) +
                                       " WHERE rowid = ?",
                               -1, st.out(), nullptr) == SQLITE_OK) {
            sqlite3_bind_int64(st.get(), 1, at.key);
            const int step = sqlite3_step(st.get());
            if (step == SQLITE_DONE) FailRowGone();
            const QByteArray type = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
            if (step == SQLITE_ROW && type != "blob" && type != "text")
                Fail(adErrTypeMismatch, QStringLiteral("Pole '%1' neobsahuje binární data.").arg(at.column));
        }
    }
    Fail(adErrSyntax, Describe(rc, FileOf(db), detail));
}

} // namespace

QByteArray ReadLongValue(sqlite3* db, const LongValuePlace& at) {
    const CacheSizeFor small(db, -kSmallCacheKiB);
    sqlite3_blob* blob = openValue(db, at, false);
    struct Closer {
        sqlite3_blob* b;
        ~Closer() { sqlite3_blob_close(b); }
    } closer{blob};
    const int length = sqlite3_blob_bytes(blob);
    QByteArray out(length, Qt::Uninitialized);
    const int rc = sqlite3_blob_read(blob, out.data(), length, 0);
    if (rc != SQLITE_OK) FailSqlite(db, rc);
    CheckPagesRead(db);
    return out;
}

QByteArray LongValueReader::read(sqlite3* db, const LongValuePlace& at, qint64 from, qint64 length,
                                 qint64 total) {
    if (length <= 0) return QByteArray();
    QByteArray out(qsizetype(length), Qt::Uninitialized);
    for (int attempt = 0;; ++attempt) {
        if (!blob_ || db_ != db || at_.key != at.key || at_.table != at.table || at_.column != at.column) {
            close();
            cache_.emplace(db, -kSmallCacheKiB);
            blob_ = openValue(db, at, false);
            db_ = db;
            at_ = at;
        }
        const int rc = sqlite3_blob_read(blob_, out.data(), int(length), int(from));
        if (rc == SQLITE_OK) break;
        // The row was written since the value was opened: open it again once.
        if ((rc & 0xff) != SQLITE_ABORT || attempt > 0) {
            try {
                FailSqlite(db, rc);
            } catch (...) {
                close();
                throw;
            }
        }
        close();
    }
    if (from + length >= total) {
        try {
            CheckPagesRead(db);
        } catch (...) {
            close();
            throw;
        }
        close();
    }
    return out;
}

void LongValueReader::close() {
    if (blob_) sqlite3_blob_close(blob_);
    blob_ = nullptr;
    cache_.reset();
}

void Spool::append(const QByteArray& data, const QString& fieldName) {
    if (!device_) {
        auto memory = std::make_unique<QBuffer>();
        memory->open(QIODevice::ReadWrite);
        device_ = std::move(memory);
    }
    if (size_ + data.size() > kOnePassBytes && inMemory()) {
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/ado-chunks-XXXXXX"));
        if (!file->open() || file->write(static_cast<QBuffer*>(device_.get())->data()) != size_)
            Fail(adErrProvider, QStringLiteral("Pro data pole '%1' nelze vytvořit dočasný soubor. %2")
                                    .arg(fieldName, FileErrorText(file->error())));
        device_ = std::move(file);
    }
    device_->seek(size_);
    if (device_->write(data) != data.size())
        Fail(adErrProvider, QStringLiteral("Data pole '%1' nelze uchovat. %2")
                                .arg(fieldName, inMemory() ? QStringLiteral("Nestačí paměť.")
                                                           : FileErrorText(static_cast<QFileDevice*>(device_.get())->error())));
    size_ += data.size();
}

bool Spool::inMemory() const {
    return qobject_cast<QBuffer*>(device_.get()) != nullptr;
}

QByteArray Spool::read(qint64 from, qint64 length) {
    if (!device_) return QByteArray();
    device_->seek(from);
    return device_->read(length);
}

QByteArray Spool::all() {
    return read(0, size_);
}

void Spool::writeTo(sqlite3* db, const LongValuePlace& at, const QString& fieldName) {
    if (size_ == 0) return;
    sqlite3_blob* blob = openValue(db, at, true);
    auto put = [&](const char* bytes, qint64 length, qint64 offset) {
        const int rc = sqlite3_blob_write(blob, bytes, int(length), int(offset));
        if (rc != SQLITE_OK) {
            try {
                FailSqlite(db, rc);
            } catch (...) {
                sqlite3_blob_close(blob);
                throw;
            }
        }
    };
    if (inMemory()) {
        put(static_cast<QBuffer*>(device_.get())->data().constData(), size_, 0);
    } else {
        device_->seek(0);
        for (qint64 offset = 0; offset < size_;) {
            const QByteArray buf = device_->read(qMin(kChunkSize, size_ - offset));
            if (buf.isEmpty()) {
                sqlite3_blob_close(blob);
                Fail(adErrProvider, QStringLiteral("Data pole '%1' nelze přečíst zpět.").arg(fieldName));
            }
            put(buf.constData(), buf.size(), offset);
            offset += buf.size();
        }
    }
    const int rc = sqlite3_blob_close(blob);
    if (rc != SQLITE_OK) FailSqlite(db, rc);
}

} // namespace ado::detail
