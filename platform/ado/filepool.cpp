#include "ado/filepool.h"

#include "ado.h"
#include "ado/failure.h"
#include "ado/key.h"
#include "ado/statement.h"
#include "czcollate.h"

#include <QFile>
#include <QHash>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace ado::detail {

namespace {

constexpr int kBusyTimeoutMs = 1000;
constexpr int kLegacyPageSize = 1024; // SQLCipher's default, in older files
// Files kept open at most (the catalogue and the picture store, and some room).
constexpr size_t kMaxKept = 4;

const char kCollationName[] = "CZ";

// Which file a path names now, and how it stood when we last let it go.
struct FileState {
    dev_t dev = 0;
    ino_t ino = 0;
    bool writable = false;
    qint64 size = -1;
    qint64 mtimeNs = -1;
};

bool fileState(const QString& path, FileState* out) {
    struct stat st;
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    out->dev = st.st_dev;
    out->ino = st.st_ino;
    out->writable = ::access(name.constData(), W_OK) == 0;
    out->size = st.st_size;
    out->mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

struct OpenFile {
    sqlite3* db = nullptr;
    QString path;
    QByteArray salt, key;
    FileState state; // as it was opened, or as it was left when given back
    QHash<QString, QString> keyColumns; // lower-case table name -> its key column
    qint64 cacheSizedFor = -1;          // the file's size when its page cache was sized
};

std::vector<OpenFile> kept;        // idle, newest last
QHash<sqlite3*, OpenFile> inUse;   // taken by a logical connection

struct CloseAtExit {
    ~CloseAtExit() {
        for (OpenFile& f : kept)
            sqlite3_close_v2(f.db);
        kept.clear();
    }
} closeAtExit;

void closeFile(sqlite3* db) {
    Forget(db);
    sqlite3_close_v2(db);
}

int collateCz(void*, int n1, const void* p1, int n2, const void* p2) {
    if (n1 == n2 && std::memcmp(p1, p2, size_t(n1)) == 0) return 0;
    return cz::Compare(QString::fromUtf8(static_cast<const char*>(p1), n1),
                       QString::fromUtf8(static_cast<const char*>(p2), n2));
}

// The first bytes of the database file, read through SQLite's own descriptor:
// closing one of ours would let go of every lock this process holds on the
// file, other connections' included.
QByteArray fileHead(sqlite3* db, int size) {
    sqlite3_file* file = nullptr;
    sqlite3_int64 length = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->xFileSize(file, &length) != SQLITE_OK)
        return QByteArray();
    QByteArray head(int(qMin<sqlite3_int64>(size, length)), Qt::Uninitialized);
    if (file->pMethods->xRead(file, head.data(), int(head.size()), 0) != SQLITE_OK) return QByteArray();
    return head;
}

// One read of the file: takes a read lock (undoing a journal a failed write
// left), checks the page cache against the file and reads the first page.
int readFirstPage(sqlite3* db) {
    Stmt st;
    int rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, st.out(), nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

// Every page read from the file is checked and decrypted; SQLite's default
// cache is far smaller than a large catalogue. The cache may grow to the
// file's size, up to a bound that keeps the memory modest; SQLite takes the
// memory only as pages are read.
void sizePageCache(sqlite3* db, qint64 fileSize) {
    constexpr qint64 kMaxKiB = 128 * 1024;
    const qint64 fileKiB = fileSize / 1024;
    SetCacheSize(db, -qBound(kSmallCacheKiB, fileKiB + fileKiB / 8, kMaxKiB)); // an eighth for page headers
}

// Indexes in the Czech order are rebuilt when the collator's order changed.
void reindexIfCollatorChanged(sqlite3* db) {
    const int fingerprint = cz::Fingerprint();
    if (PragmaValue(db, "user_version") == fingerprint) return;
    const QByteArray sql = QByteArrayLiteral("BEGIN IMMEDIATE; REINDEX ") + kCollationName +
                           QByteArrayLiteral("; PRAGMA user_version = ") + QByteArray::number(fingerprint) +
                           QByteArrayLiteral("; COMMIT;");
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) // tried again next time
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

OpenFile openFile(const QString& path, const QString& password, const FileState& state) {
    OpenFile f;
    f.path = path;
    f.state = state;
    sqlite3* db = nullptr;
    struct Guard {
        sqlite3*& db;
        ~Guard() {
            if (db) closeFile(db);
        }
    } guard{db};
    int rc = SQLITE_OK;
    for (const int pageSize : {kPageSize, kLegacyPageSize}) {
        if (db) closeFile(db);
        db = nullptr;
        rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
        if (rc != SQLITE_OK) Fail(adErrProvider, Describe(rc, path, QString::fromUtf8(sqlite3_errmsg(db))));
        f.salt = fileHead(db, kSaltSize);
        if (f.salt.size() < kSaltSize || f.salt.startsWith("SQLite format 3"))
            Fail(adErrProvider, QStringLiteral("Nerozpoznaný formát databáze '%1'.").arg(path));
        f.key = DerivedKey(password.toUtf8(), f.salt);
        const QByteArray rawKey = RawKeySpec(f.key, f.salt);
        sqlite3_key(db, rawKey.constData(), int(rawKey.size()));
        const QByteArray pages = QByteArrayLiteral("PRAGMA cipher_page_size = ") + QByteArray::number(pageSize);
        sqlite3_exec(db, pages.constData(), nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        // Freed pages stay encrypted; zeroing each one would journal and write
        // a replaced picture twice over.
        sqlite3_exec(db, "PRAGMA secure_delete = FAST", nullptr, nullptr, nullptr);
        sqlite3_create_collation_v2(db, kCollationName, SQLITE_UTF8, nullptr, collateCz, nullptr);
        // A wrong key shows only at the first read: read now, so the open fails.
        rc = readFirstPage(db);
        if ((rc & 0xff) != SQLITE_NOTADB) break; // otherwise: a wrong key, or pages of the other size
    }
    if (rc != SQLITE_OK) {
        if ((rc & 0xff) == SQLITE_NOTADB)
            Fail(adErrBadPassword, QStringLiteral("Neplatné heslo, nebo je soubor '%1' poškozen.").arg(path));
        FailSqlite(db, rc);
    }
    // A file we may not write (on a CD, a read-only share) opens for reading;
    // every write then fails before it changes anything.
    f.state.writable = sqlite3_db_readonly(db, "main") == 0;
    if (f.state.writable && !IsDamaged(path)) reindexIfCollatorChanged(db);
    sizePageCache(db, state.size);
    f.cacheSizedFor = state.size;
    f.db = db;
    db = nullptr; // kept
    return f;
}

// Files no longer there (a test's folder, a file replaced) are let go.
void dropVanished() {
    for (size_t i = 0; i < kept.size();) {
        FileState now;
        if (!fileState(kept[i].path, &now) || now.dev != kept[i].state.dev || now.ino != kept[i].state.ino) {
            closeFile(kept[i].db);
            kept.erase(kept.begin() + qsizetype(i));
        } else {
            ++i;
        }
    }
}

} // namespace

sqlite3* TakeConnection(const QString& path, const QString& password) {
    FileState now;
    if (!fileState(path, &now)) Fail(adErrProvider, QStringLiteral("Nelze najít soubor '%1'.").arg(path));
    dropVanished();
    for (size_t i = kept.size(); i-- > 0;) {
        OpenFile& f = kept[i];
        if (f.path != path) continue;
        if (f.state.writable != now.writable) { // opened otherwise now
            closeFile(f.db);
            kept.erase(kept.begin() + qsizetype(i));
            continue;
        }
        if (DerivedKey(password.toUtf8(), f.salt) != f.key) break; // a new open says what is wrong
        OpenFile taken = f;
        kept.erase(kept.begin() + qsizetype(i));
        // Written since we let it go, by others or behind SQLite's back (a copy
        // over it, damage): what the cache holds is read again.
        if (taken.state.size != now.size || taken.state.mtimeNs != now.mtimeNs)
            sqlite3_db_release_memory(taken.db);
        if (taken.cacheSizedFor != now.size) { // the file grew (or shrank) since
            sizePageCache(taken.db, now.size);
            taken.cacheSizedFor = now.size;
        }
        const int rc = readFirstPage(taken.db);
        if (rc != SQLITE_OK) {
            inUse.insert(taken.db, taken); // GiveBack decides whether it is kept
            try {
                FailSqlite(taken.db, rc);
            } catch (...) {
                GiveBack(taken.db);
                throw;
            }
        }
        taken.state = now;
        inUse.insert(taken.db, taken);
        if (taken.state.writable && !IsDamaged(path)) reindexIfCollatorChanged(taken.db);
        return taken.db;
    }
    OpenFile f = openFile(path, password, now);
    inUse.insert(f.db, f);
    return f.db;
}

void GiveBack(sqlite3* db) {
    if (!db) return;
    OpenFile f = inUse.take(db);
    if (!sqlite3_get_autocommit(db)) // what the caller began and never ended
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    FileState now;
    const bool keep = f.db && !Distrusted(db) && !IsDamaged(f.path) && !sqlite3_next_stmt(db, nullptr) &&
                      fileState(f.path, &now) && now.dev == f.state.dev && now.ino == f.state.ino &&
                      std::none_of(kept.begin(), kept.end(), [&](const OpenFile& k) { return k.path == f.path; });
    if (!keep) {
        closeFile(db);
        return;
    }
    f.state = now;
    kept.push_back(f);
    if (kept.size() > kMaxKept) {
        closeFile(kept.front().db);
        kept.erase(kept.begin());
    }
}

QString KeyColumn(sqlite3* db, const QString& table) {
    const auto file = inUse.find(db);
    const QString id = table.toLower();
    if (file != inUse.end()) {
        const auto known = file->keyColumns.constFind(id);
        if (known != file->keyColumns.cend()) return *known;
    }
    Stmt st;
    QString key;
    if (sqlite3_prepare_v2(db, "PRAGMA table_info(" + QuoteIdent(table) + ")", -1, st.out(), nullptr) == SQLITE_OK) {
        int pkCount = 0;
        QString candidate;
        while (sqlite3_step(st.get()) == SQLITE_ROW) {
            if (sqlite3_column_int(st.get(), 5) > 0) {
                ++pkCount;
                const QByteArray type = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2)));
                if (type.toUpper() == "INTEGER")
                    candidate = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
            }
        }
        if (pkCount == 1) key = candidate;
    }
    if (file != inUse.end()) file->keyColumns.insert(id, key);
    return key;
}

sqlite3* ReopenAfterFailedWrite(sqlite3* db, const QString& password) {
    const OpenFile f = inUse.take(db);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    closeFile(db);
    if (f.path.isEmpty()) return nullptr;
    try {
        return TakeConnection(f.path, password); // its first read undoes a journal left behind
    } catch (const Error&) {
        return nullptr;
    }
}

} // namespace ado::detail
