#include "ado.h"

#include "czcollate.h"
#include "heap.h"
#include "writeback.h"

#include <sqlite3.h>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

namespace ado {

namespace {

// SQLCipher 3 defaults: PBKDF2-HMAC-SHA1, 64000 rounds, 256-bit key, 16-byte
// salt at the start of the file.
constexpr int kKdfIterations = 64000;
constexpr int kKeySize = 32;
constexpr int kSaltSize = 16;
constexpr int kBusyTimeoutMs = 1000;
// Pages of the files this layer creates: pictures move through far fewer
// encrypted pages than with SQLCipher's default of 1 KiB, which files made
// before still use (and still open).
constexpr int kPageSize = 8192;
constexpr int kLegacyPageSize = 1024;
// A spooled long binary value goes in as room (zeros) that its bytes then fill.
// Up to this size the page cache holds all of it until the commit, so each
// page reaches the file once (memory is cheap at that size); a larger value's
// pages go out as zeros and again with the bytes.
constexpr qint64 kOnePassBytes = qint64(16) << 20;

void setPageSize(sqlite3* db, int pageSize) {
    const QByteArray sql = QByteArrayLiteral("PRAGMA cipher_page_size = ") + QByteArray::number(pageSize);
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}
const char kCollationName[] = "CZ";

constexpr qint64 kSmallCacheKiB = 2000; // SQLite's default

// cache_size as SQLite takes it: pages when positive, KiB when negative.
void setCacheSize(sqlite3* db, qint64 size) {
    const QByteArray sql = QByteArrayLiteral("PRAGMA cache_size = ") + QByteArray::number(size);
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

// Every page read from the file is checked and decrypted. SQLite's default
// cache is far smaller than a large catalogue, so a read that visits the
// pages out of their order (look-ups by key, an index's order) decrypts many
// pages more than once: the cache holds the file, up to a bound that keeps
// the memory modest. The largest such reads, whole tables in an index's
// order, take the table's own order instead (readInKeyOrder). SQLite takes
// the memory only as pages are read and gives it back when the connection
// closes.
void sizePageCache(sqlite3* db, qint64 fileSize) {
    constexpr qint64 kMaxKiB = 32 * 1024;
    const qint64 fileKiB = fileSize / 1024;
    setCacheSize(db, -qBound(kSmallCacheKiB, fileKiB + fileKiB / 8, kMaxKiB)); // an eighth for page headers
}

[[noreturn]] void fail(long number, const QString& description) {
    throw Error(number, description);
}

[[noreturn]] void failClosed() {
    fail(adErrObjectClosed, QStringLiteral("Operace není povolena, je-li objekt zavřen."));
}

[[noreturn]] void failOpen() {
    fail(adErrObjectOpen, QStringLiteral("Operace není povolena, je-li objekt otevřen."));
}

[[noreturn]] void failNoCurrent() {
    fail(adErrNoCurrentRecord, QStringLiteral("Hodnota BOF nebo EOF je True, nebo byl aktuální záznam "
                                              "odstraněn. Požadovaná operace vyžaduje aktuální záznam."));
}

QString sqliteMessage(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

QString fileOf(sqlite3* db) {
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

// Files found damaged in this run: nothing more is written into them.
// Connections on other threads (a read ahead) meet them too.
QMutex damagedLock;
QSet<QString> damaged;

bool isDamaged(const QString& path) {
    const QMutexLocker lock(&damagedLock);
    return damaged.contains(path);
}

void markDamaged(const QString& path) {
    const QMutexLocker lock(&damagedLock);
    damaged.insert(path);
}

QString damagedText(const QString& path) {
    return QStringLiteral("Soubor databáze '%1' je poškozen. Obnovte jej ze záložní kopie; do poškozeného "
                          "souboru program nic nezapíše.")
        .arg(path);
}

QString lockedText(const QString& path) {
    return QStringLiteral("Databáze '%1' je zamčena jiným uživatelem nebo programem. Zkuste to znovu, až "
                          "ji uvolní.")
        .arg(path);
}

QString readOnlyText(const QString& path) {
    return QStringLiteral("Databáze '%1' je chráněna proti zápisu: lze ji číst, ale ne měnit. Nic se "
                          "nezapsalo.")
        .arg(path);
}

// A write-protected file (opened for reading) and one found damaged in this
// run are not written: the write fails before anything is changed.
void requireWritableFile(sqlite3* db) {
    const QString path = fileOf(db);
    if (sqlite3_db_readonly(db, "main") == 1) fail(adErrProvider, readOnlyText(path));
    if (isDamaged(path)) fail(adErrProvider, damagedText(path));
}

// The first bytes of the database file (fewer when it is shorter), read
// through SQLite's own descriptor: closing one of ours would let go of every
// lock this process holds on the file, other connections' included.
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

// The failure in words of a Czech database engine; `detail` is SQLite's own
// text, kept only where it is the database's or a rule's own wording.
QString describeSqlite(int rc, const QString& path, const QString& detail) {
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return lockedText(path);
    case SQLITE_CORRUPT:
        return damagedText(path);
    case SQLITE_NOTADB:
        return QStringLiteral("Soubor '%1' není databáze tohoto programu, nebo je poškozen.").arg(path);
    case SQLITE_FULL:
        return QStringLiteral("Na disku není dost volného místa pro zápis do databáze '%1'. Nic se "
                              "nezapsalo; uvolněte místo a zkuste to znovu.")
            .arg(path);
    case SQLITE_READONLY:
        return readOnlyText(path);
    case SQLITE_CANTOPEN:
        return QStringLiteral("Soubor databáze '%1' nelze otevřít.").arg(path);
    case SQLITE_IOERR:
        switch (rc) {
        case SQLITE_IOERR_READ:
        case SQLITE_IOERR_SHORT_READ:
            return QStringLiteral("Čtení souboru databáze '%1' z disku selhalo.").arg(path);
        case SQLITE_IOERR_WRITE:
        case SQLITE_IOERR_FSYNC:
        case SQLITE_IOERR_TRUNCATE:
            return QStringLiteral("Zápis do souboru databáze '%1' selhal, na disku patrně není dost volného "
                                  "místa. Nic se nezapsalo; uvolněte místo a zkuste to znovu.")
                .arg(path);
        default:
            return QStringLiteral("Práce se souborem databáze '%1' na disku selhala.").arg(path);
        }
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Přístup k databázi '%1' byl odepřen.").arg(path);
    case SQLITE_NOMEM:
        return QStringLiteral("Pro práci s databází nestačí paměť.");
    case SQLITE_TOOBIG:
        return QStringLiteral("Hodnota je pro databázi příliš velká.");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Databáze záznam odmítla (%1).").arg(detail);
    case SQLITE_MISMATCH:
        return QStringLiteral("Hodnota se nehodí do pole databáze (%1).").arg(detail);
    case SQLITE_ERROR: {
        const auto after = [&](const char* head) { return detail.mid(qsizetype(std::strlen(head))); };
        if (detail.startsWith(QLatin1String("no such table: ")))
            return QStringLiteral("Databáze nemůže najít tabulku nebo dotaz '%1'.")
                .arg(after("no such table: "));
        if (detail.startsWith(QLatin1String("no such column: ")))
            return QStringLiteral("Databáze nemůže najít pole '%1'.").arg(after("no such column: "));
        if (detail.startsWith(QLatin1String("no such rowid")))
            return QStringLiteral("Řádek už v databázi není: mezitím byl smazán.");
        if (detail.contains(QLatin1String("malformed"))) return damagedText(path);
        if (detail.startsWith(QLatin1String("near ")) || detail.contains(QLatin1String("syntax")))
            return QStringLiteral("Chyba syntaxe v dotazu (%1).").arg(detail);
        return QStringLiteral("Dotaz nelze provést (%1).").arg(detail);
    }
    default:
        return QStringLiteral("Chyba databáze '%1' (kód %2).").arg(path).arg(rc);
    }
}

bool isDamage(int rc, const QString& detail) {
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT ||
           (primary == SQLITE_ERROR && detail.contains(QLatin1String("malformed")));
}

// Maps an SQLite failure to an ADO-style error with a Czech description; a
// damaged file is remembered.
[[noreturn]] void failSqlite(sqlite3* db, int rc) {
    const int extended = sqlite3_extended_errcode(db);
    if ((extended & 0xff) == (rc & 0xff)) rc = extended;
    const QString detail = sqliteMessage(db);
    const QString path = fileOf(db);
    if (isDamage(rc, detail) && !path.isEmpty()) markDamaged(path);
    const QString text = describeSqlite(rc, path, detail);
    const int primary = rc & 0xff;
    if (primary == SQLITE_ERROR) fail(adErrSyntax, text);
    if (primary == SQLITE_MISMATCH) fail(adErrTypeMismatch, text);
    fail(adErrProvider, text);
}

// Deriving a key costs ~50 ms; the program opens a connection for every
// operation, so each (password, file salt) pair is derived once per process.
QByteArray derivedKey(const QByteArray& password, const QByteArray& salt) {
    static QMutex lock; // one derivation at a time: a second thread takes the first one's key
    const QMutexLocker locked(&lock);
    static QHash<QByteArray, QByteArray> cache;
    const QByteArray id = salt + password; // the salt has a fixed length
    const auto it = cache.constFind(id);
    if (it != cache.cend()) return *it;
    QByteArray key(kKeySize, '\0');
    if (PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                               reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()),
                               kKdfIterations, kKeySize, reinterpret_cast<unsigned char*>(key.data())) != 1)
        fail(adErrProvider, QStringLiteral("Klíč databáze se nepodařilo odvodit."));
    cache.insert(id, key);
    return key;
}

// SQLCipher's raw key form with the salt: x'<key><salt>'.
QByteArray rawKeySpec(const QByteArray& key, const QByteArray& salt) {
    return QByteArrayLiteral("x'") + key.toHex() + salt.toHex() + QByteArrayLiteral("'");
}

int collateCz(void*, int n1, const void* p1, int n2, const void* p2) {
    if (n1 == n2 && std::memcmp(p1, p2, size_t(n1)) == 0) return 0;
    return cz::Compare(QString::fromUtf8(static_cast<const char*>(p1), n1),
                       QString::fromUtf8(static_cast<const char*>(p2), n2));
}

QByteArray quoteIdent(const QString& name) {
    QByteArray s = name.toUtf8();
    s.replace('"', "\"\"");
    return '"' + s + '"';
}

// A prepared statement that finalizes itself.
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
    sqlite3_stmt* release() {
        sqlite3_stmt* s = st_;
        st_ = nullptr;
        return s;
    }

private:
    sqlite3_stmt* st_ = nullptr;
};

void prepareOrFail(sqlite3* db, const QByteArray& sql, Stmt& st) {
    const int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), st.out(), nullptr);
    if (rc != SQLITE_OK) failSqlite(db, rc);
}

void execOrFail(sqlite3* db, const char* sql) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) failSqlite(db, rc);
}

qint64 pragmaValue(sqlite3* db, const char* name) {
    Stmt st;
    prepareOrFail(db, QByteArrayLiteral("PRAGMA ") + name, st);
    return sqlite3_step(st.get()) == SQLITE_ROW ? sqlite3_column_int64(st.get(), 0) : 0;
}

// cache_size for a scope, the previous one back after it.
class CacheSizeFor {
public:
    CacheSizeFor(sqlite3* db, qint64 size) : db_(db), previous_(pragmaValue(db, "cache_size")) {
        setCacheSize(db, size);
    }
    ~CacheSizeFor() { setCacheSize(db_, previous_); }
    CacheSizeFor(const CacheSizeFor&) = delete;
    CacheSizeFor& operator=(const CacheSizeFor&) = delete;

private:
    sqlite3* db_;
    qint64 previous_;
};

// The index that a statement reads from end to end and nothing else (covering:
// without the table's rows), "" for any other plan.
QString walkedIndex(sqlite3* db, const QByteArray& sql, bool covering) {
    static const QRegularExpression scan(QStringLiteral("^SCAN TABLE \\S+ USING (COVERING )?INDEX (\\S+)$"));
    Stmt st;
    if (sqlite3_prepare_v2(db, "EXPLAIN QUERY PLAN " + sql, -1, st.out(), nullptr) != SQLITE_OK) return {};
    QString index;
    int steps = 0;
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
        const QRegularExpressionMatch m =
            scan.match(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 3))));
        if (++steps > 1 || !m.hasMatch() || m.captured(1).isEmpty() == covering) return {};
        index = m.captured(2);
    }
    return index;
}

struct ConnParts {
    QString path;
    QString password;
};

// The ";" at or after `from` that ends a value: the one followed by a
// keyword of the connection string and "=". A ";" inside a path ("/x;y/a.ddb")
// is part of the path.
qsizetype valueEnd(const QString& s, qsizetype from) {
    static const QRegularExpression nextKey(
        QStringLiteral(";\\s*(provider|data source|user id|password|persist security info|mode|"
                       "extended properties|jet oledb:[^=;]*)\\s*="),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = nextKey.match(s, from);
    return m.hasMatch() ? m.capturedStart() : -1;
}

// "Provider=...;Data Source=<path>;Jet OLEDB:Database Password=<pw>"; a value
// may be wrapped in quotes when it holds a ';'.
ConnParts parseConnString(const QString& s) {
    ConnParts parts;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const qsizetype eq = s.indexOf(QLatin1Char('='), i);
        if (eq < 0) break;
        const QString key = s.mid(i, eq - i).trimmed().toLower();
        i = eq + 1;
        while (i < n && s[i] == QLatin1Char(' '))
            ++i;
        QString value;
        if (i < n && (s[i] == QLatin1Char('"') || s[i] == QLatin1Char('\''))) {
            const QChar q = s[i++];
            const qsizetype end = s.indexOf(q, i);
            value = s.mid(i, end < 0 ? -1 : end - i);
            i = end < 0 ? n : end + 1;
            const qsizetype semi = s.indexOf(QLatin1Char(';'), i);
            i = semi < 0 ? n : semi + 1;
        } else {
            const qsizetype semi = valueEnd(s, i);
            value = s.mid(i, semi < 0 ? -1 : semi - i).trimmed();
            i = semi < 0 ? n : semi + 1;
        }
        if (key == QLatin1String("data source"))
            parts.path = value;
        else if (key == QLatin1String("jet oledb:database password"))
            parts.password = value;
    }
    return parts;
}

// The start of the select list and the top-level FROM of a plain SELECT;
// ok is false for anything else (DISTINCT, compound selects, WITH, ...),
// whose rows are then read-only.
struct SelectShape {
    bool ok = false;
    qsizetype listStart = -1;
    qsizetype fromPos = -1;
};

bool isWordChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

SelectShape analyseSelect(const QByteArray& s) {
    enum { Start, List, Tail } state = Start;
    SelectShape shape;
    bool firstInList = false;
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const char c = s[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const qsizetype end = s.indexOf("*/", i + 2);
            i = end < 0 ? n : end + 2;
            continue;
        }
        if (state == Start && !isWordChar(c)) return {};
        if (state == List && firstInList) {
            firstInList = false;
            if (isWordChar(c)) {
                qsizetype e = i;
                while (e < n && isWordChar(s[e]))
                    ++e;
                if (s.mid(i, e - i).toUpper() == "DISTINCT") return {};
            }
        }
        if (c == '\'' || c == '"' || c == '`') {
            ++i;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            continue;
        }
        if (c == '[') {
            const qsizetype end = s.indexOf(']', i);
            i = end < 0 ? n : end + 1;
            continue;
        }
        if (c == '(') {
            ++depth;
            ++i;
            continue;
        }
        if (c == ')') {
            --depth;
            ++i;
            continue;
        }
        if (isWordChar(c)) {
            const qsizetype b = i;
            while (i < n && isWordChar(s[i]))
                ++i;
            if (depth != 0) continue;
            const QByteArray w = s.mid(b, i - b).toUpper();
            if (state == Start) {
                if (w != "SELECT") return {};
                state = List;
                shape.listStart = i;
                firstInList = true;
            } else if (state == List) {
                if (w == "FROM") {
                    shape.fromPos = b;
                    state = Tail;
                }
            } else if (w == "UNION" || w == "INTERSECT" || w == "EXCEPT") {
                return {};
            }
            continue;
        }
        ++i;
    }
    shape.ok = state == Tail;
    return shape;
}

// How a column's declared type makes its values read and written.
enum Kind : quint8 { KGeneric, KInteger, KReal, KText, KDate, KBlob };

Kind kindOf(const char* decl) {
    if (!decl) return KGeneric;
    const QByteArray d = QByteArray(decl).toUpper();
    if (d.contains("DATE") || d.contains("TIME")) return KDate;
    if (d.contains("INT")) return KInteger;
    if (d.contains("CHAR") || d.contains("CLOB") || d.contains("TEXT") || d.contains("MEMO")) return KText;
    if (d.contains("BLOB") || d.contains("BINARY")) return KBlob;
    if (d.contains("REAL") || d.contains("FLOA") || d.contains("DOUB")) return KReal;
    return KGeneric;
}

// One value of a kept row: 8 bytes. Texts and wide numbers live in the
// recordset's arena; a long binary value is only its size (its bytes stay in
// the file until GetChunk reads them), and so is a long text of a table's
// row (a description, say: "SELECT *" keeps it for every row, and most
// callers read only short fields).
enum CellType : quint32 {
    CNull = 0,
    CInt32 = 1,
    CInt64 = 2,
    CDouble = 3,
    CText = 4,
    CBlobRef = 5,
    CBytes = 6,
    CTextRef = 7
};
struct Cell {
    quint32 off = 0; // arena offset; the value of a CInt32; the size of a CBlobRef or CTextRef
    quint32 lenType = 0;
};
constexpr int kKeptTextBytes = 128; // a longer text of a table's row stays in the file
constexpr quint32 kMaxCellLen = 0x1fffffff;
inline CellType cellType(Cell c) {
    return CellType(c.lenType >> 29);
}
inline quint32 cellLen(Cell c) {
    return c.lenType & kMaxCellLen;
}
inline Cell makeCell(CellType t, quint32 off, quint32 len) {
    return Cell{off, (quint32(t) << 29) | len};
}

// The bytes of kept rows, in blocks that never move. A result's first block
// is small: most queries keep a few rows. The next ones are 2 MB of their own
// mapping, which goes back to the system when the recordset closes (from the
// heap, a freed block may stay with the process). No huge pages: on a
// virtual machine their first touch costs three times as much as small ones.
class Arena {
public:
    static constexpr int kShift = 21;
    static constexpr size_t kBlock = size_t(1) << kShift;
    static constexpr size_t kFirstBlock = size_t(64) << 10;

    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena() { clear(); }

    void clear() {
        for (size_t i = 0; i < blocks_.size(); ++i) {
            if (mapped_[i])
                munmap(blocks_[i], kBlock);
            else
                std::free(blocks_[i]);
        }
        blocks_.clear();
        mapped_.clear();
        used_ = room_ = 0;
    }
    // Room for n contiguous bytes at a multiple of align.
    quint32 alloc(size_t n, size_t align = 4) {
        if (n > kBlock) { // a value of its own block
            addBlock(static_cast<char*>(std::malloc(n)), false);
            used_ = room_ = 0;
            return quint32((blocks_.size() - 1) << kShift);
        }
        used_ = (used_ + align - 1) & ~(align - 1);
        if (used_ + n > room_) {
            const bool first = blocks_.empty() && n <= kFirstBlock;
            addBlock(first ? static_cast<char*>(std::malloc(kFirstBlock)) : mapBlock(), !first);
            room_ = first ? kFirstBlock : kBlock;
            used_ = 0;
        }
        const size_t off = ((blocks_.size() - 1) << kShift) | used_;
        used_ += n;
        return quint32(off);
    }
    quint32 append(const void* p, size_t n) { // read back with memcpy: any place will do
        const quint32 off = alloc(n, 1);
        if (n) std::memcpy(at(off), p, n);
        return off;
    }
    char* at(quint32 off) const { return blocks_[off >> kShift] + (off & (kBlock - 1)); }
    // Takes over other's blocks, after its own; returns what to add to other's
    // places to find them here.
    quint32 adopt(Arena& other) {
        if (blocks_.size() + other.blocks_.size() > (size_t(1) << (32 - kShift)))
            fail(adErrProvider, QStringLiteral("Výsledek dotazu je příliš velký."));
        const quint32 shift = quint32(blocks_.size() << kShift);
        blocks_.insert(blocks_.end(), other.blocks_.begin(), other.blocks_.end());
        mapped_.insert(mapped_.end(), other.mapped_.begin(), other.mapped_.end());
        used_ = other.used_;
        room_ = other.room_;
        other.blocks_.clear();
        other.mapped_.clear();
        other.used_ = other.room_ = 0;
        return shift;
    }

private:
    static char* mapBlock() {
        void* m = mmap(nullptr, kBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return m == MAP_FAILED ? nullptr : static_cast<char*>(m);
    }
    void addBlock(char* b, bool mapped) {
        if (!b) throw std::bad_alloc();
        if (blocks_.size() >= (size_t(1) << (32 - kShift))) {
            if (mapped)
                munmap(b, kBlock);
            else
                std::free(b);
            fail(adErrProvider, QStringLiteral("Výsledek dotazu je příliš velký."));
        }
        blocks_.push_back(b);
        mapped_.push_back(mapped);
    }

    std::vector<char*> blocks_;
    std::vector<bool> mapped_;
    size_t used_ = 0;
    size_t room_ = 0; // of the last block
};

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

} // namespace

// ---------------------------------------------------------------------------
// Connection

struct Connection::Impl {
    sqlite3* db = nullptr;
    QString path;
    QString connString;                 // as opened: a read on other threads opens the same
    QHash<QString, QString> keyColumns; // lower-case table name -> its INTEGER PRIMARY KEY
    QList<Recordset*> recordsets;

    // The table's rowid column, "" when it has none.
    QString keyColumn(const QString& table) {
        const QString id = table.toLower();
        const auto it = keyColumns.constFind(id);
        if (it != keyColumns.cend()) return *it;
        Stmt st;
        QString key;
        if (sqlite3_prepare_v2(db, "PRAGMA table_info(" + quoteIdent(table) + ")", -1, st.out(), nullptr) ==
            SQLITE_OK) {
            int pkCount = 0;
            QString candidate;
            while (sqlite3_step(st.get()) == SQLITE_ROW) {
                if (sqlite3_column_int(st.get(), 5) > 0) {
                    ++pkCount;
                    const QByteArray type =
                        QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2)));
                    if (type.toUpper() == "INTEGER")
                        candidate = QString::fromUtf8(
                            reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
                }
            }
            if (pkCount == 1) key = candidate;
        }
        keyColumns.insert(id, key);
        return key;
    }
};

Connection::Connection() : d(std::make_unique<Impl>()) {}

Connection::~Connection() {
    if (d->db) {
        try {
            Close();
        } catch (...) {
        }
    }
}

long Connection::State() const {
    return d->db ? adStateOpen : adStateClosed;
}
QString Connection::Path() const {
    return d->path;
}
sqlite3* Connection::handle() const {
    return d->db;
}

void Connection::Open(const QString& connString, const QString& /*user*/, const QString& /*password*/,
                      long /*options*/) {
    if (d->db) failOpen();
    const ConnParts parts = parseConnString(connString);
    const QString& path = parts.path;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        fail(adErrProvider, QStringLiteral("Nelze najít soubor '%1'.").arg(path));

    sqlite3* db = nullptr;
    struct Guard {
        sqlite3*& db;
        ~Guard() {
            if (db) sqlite3_close_v2(db);
        }
    } guard{db};
    int rc = SQLITE_OK;
    for (const int pageSize : {kPageSize, kLegacyPageSize}) {
        if (db) {
            sqlite3_close_v2(db);
            db = nullptr;
        }
        StartWritesEarly();
        rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) fail(adErrProvider, describeSqlite(rc, path, sqliteMessage(db)));
        // The salt heads the file; with it the key is derived once, not per open.
        const QByteArray salt = fileHead(db, kSaltSize);
        if (salt.size() < kSaltSize || salt.startsWith("SQLite format 3"))
            fail(adErrProvider, QStringLiteral("Nerozpoznaný formát databáze '%1'.").arg(path));
        const QByteArray key = rawKeySpec(derivedKey(parts.password.toUtf8(), salt), salt);
        sqlite3_key(db, key.constData(), int(key.size()));
        setPageSize(db, pageSize);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        // Freed pages stay encrypted; zeroing each one would journal and write
        // a replaced picture twice over.
        sqlite3_exec(db, "PRAGMA secure_delete = FAST", nullptr, nullptr, nullptr);
        sqlite3_create_collation_v2(db, kCollationName, SQLITE_UTF8, nullptr, collateCz, nullptr);

        // A wrong key shows only at the first read: read now, so the open fails.
        Stmt st;
        rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, st.out(), nullptr);
        if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
        if ((rc & 0xff) != SQLITE_NOTADB) break; // otherwise: a wrong key, or pages of the other size
    }
    if (rc != SQLITE_ROW) {
        const QString detail = sqliteMessage(db);
        if ((rc & 0xff) == SQLITE_NOTADB)
            fail(adErrBadPassword, QStringLiteral("Neplatné heslo, nebo je soubor '%1' poškozen.").arg(path));
        if (isDamage(rc, detail)) markDamaged(fileOf(db));
        fail(adErrProvider, describeSqlite(rc, path, detail));
    }
    // A file we may not write (on a CD, a read-only share) opens for reading;
    // every write then fails with readOnlyText.
    const bool writable = sqlite3_db_readonly(db, "main") == 0;

    // Indexes in the Czech order are rebuilt when the collator's order changed.
    {
        Stmt st;
        int version = 0;
        if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, st.out(), nullptr) == SQLITE_OK &&
            sqlite3_step(st.get()) == SQLITE_ROW)
            version = sqlite3_column_int(st.get(), 0);
        st.reset();
        const int fingerprint = cz::Fingerprint();
        if (version != fingerprint && writable && !isDamaged(fileOf(db))) {
            const QByteArray sql = QByteArrayLiteral("BEGIN IMMEDIATE; REINDEX ") + kCollationName +
                                   QByteArrayLiteral("; PRAGMA user_version = ") +
                                   QByteArray::number(fingerprint) + QByteArrayLiteral("; COMMIT;");
            if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) !=
                SQLITE_OK) // tried again next time
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    sizePageCache(db, info.size());
    d->db = db;
    d->path = path;
    d->connString = connString;
    d->keyColumns.clear();
    db = nullptr; // kept
}

long Connection::Execute(const QString& sql) {
    if (!d->db) failClosed();
    const QByteArray text = sql.toUtf8();
    const char* p = text.constData();
    const char* end = p + text.size();
    long changed = 0;
    while (p < end) {
        Stmt st;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v2(d->db, p, int(end - p), st.out(), &tail);
        if (rc != SQLITE_OK) failSqlite(d->db, rc);
        p = tail;
        if (!st.get()) continue; // blanks or a comment
        if (!sqlite3_stmt_readonly(st.get())) requireWritableFile(d->db);
        int step;
        while ((step = sqlite3_step(st.get())) == SQLITE_ROW) {
        }
        if (step != SQLITE_DONE) failSqlite(d->db, step);
        changed += sqlite3_changes(d->db);
    }
    return changed;
}

void CreateDatabase(const QString& path, const QString& password, bool largeValues) {
    QFile file(path);
    if (QFileInfo::exists(path)) fail(adErrProvider, QStringLiteral("Soubor '%1' už existuje.").arg(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        fail(adErrProvider, QStringLiteral("Soubor '%1' nelze vytvořit: %2.").arg(path, file.errorString()));
    file.close();
    bool done = false;
    struct Cleanup {
        const QString& path;
        bool& done;
        ~Cleanup() {
            if (!done) QFile::remove(path);
        }
    } cleanup{path, done};

    QByteArray salt(kSaltSize, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), kSaltSize) != 1)
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltSize / 4);
    const QByteArray key = rawKeySpec(derivedKey(password.toUtf8(), salt), salt);

    sqlite3* db = nullptr;
    StartWritesEarly();
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    struct Guard {
        sqlite3* db;
        ~Guard() { sqlite3_close_v2(db); }
    } guard{db};
    if (rc != SQLITE_OK) fail(adErrProvider, QStringLiteral("Databázi '%1' nelze vytvořit.").arg(path));
    sqlite3_key(db, key.constData(), int(key.size()));
    setPageSize(db, kPageSize);
    // A map of the pages lets a replaced or deleted long value be freed
    // without reading (and decrypting) each of its pages first. It must be
    // chosen before anything is written; the file never shrinks by itself.
    if (largeValues) execOrFail(db, "PRAGMA auto_vacuum = INCREMENTAL");
    // The first write lays down the encrypted header page with our salt.
    const QByteArray sql =
        QByteArrayLiteral("PRAGMA user_version = ") + QByteArray::number(cz::Fingerprint());
    execOrFail(db, sql.constData());
    done = true;
}

// ---------------------------------------------------------------------------
// Recordset

namespace {

struct Column {
    QString name;   // as the query names it
    QString table;  // base table, "" for an expression
    QString origin; // base column
    Kind kind = KGeneric;
    int tableIndex = -1;   // into Recordset::Impl::tables; -1 when not writable
    bool sizeOnly = false; // the executed query yields length() for this column
    bool isKey = false;    // its table's autonumber: never written
};

struct TableInfo {
    QString name;
    QString keyColumn;
    int keyCell = -1; // position of the key among a row's cells
};

// The table's highest key now, 0 when it has no rows.
qint64 highestKey(sqlite3* db, const TableInfo& t) {
    Stmt st;
    prepareOrFail(db, "SELECT max(" + quoteIdent(t.keyColumn) + ") FROM " + quoteIdent(t.name), st);
    const int rc = sqlite3_step(st.get());
    if (rc != SQLITE_ROW) failSqlite(db, rc);
    return sqlite3_column_int64(st.get(), 0);
}

struct Pending {
    bool set = false;
    Variant value;
    // AppendChunk bytes waiting for Update: in memory up to kOnePassBytes,
    // in a temporary file beyond.
    std::unique_ptr<QIODevice> spool;
    qint64 spoolSize = 0;
};

enum RowFlag : quint8 { RowDeleted = 1, RowNew = 2 };

} // namespace

struct Recordset::Impl {
    Connection* conn = nullptr;
    bool open = false;
    bool readOnly = false;
    std::vector<Column> cols; // visible columns
    std::vector<TableInfo> tables;
    std::vector<Field> fields;
    QHash<QString, int> names;      // exact spelling
    QHash<QString, int> lowerNames; // lower case
    int stride = 0;                 // cells per row: the visible ones, then one key per table
    std::vector<quint32> rowCells;  // each row's cells: stride Cells in the arena
    std::vector<quint8> rowFlags;
    Arena arena;
    long live = 0; // rows not deleted
    long pos = 0;  // -1 before the first row, rows() after the last
    long editMode = adEditNone;
    long addFrom = 0;
    std::vector<Pending> pending;
    std::vector<qint64> chunkPos;
    // GetChunk's open blob: kept from one piece to the next so that SQLite
    // keeps its place in the overflow pages (opening it anew for every piece
    // walks the page chain from the start: quadratic in the size).
    sqlite3_blob* chunkBlob = nullptr;
    int chunkField = -1;
    // Long binary values pass through the page cache once: a small one does,
    // and a large picture does not fill a large cache.
    std::optional<CacheSizeFor> streamCache;
    // A result of more than one row of one table is read at the first look at
    // its rows (a move, the count, a field of a row not added here), so that
    // appending to a large table does not read it. The rows are the ones
    // there were at the open: a key above the highest one then was added
    // since (keys are never reused).
    Stmt unread;
    qint64 highestKeyAtOpen = 0;
    // Set when the unread rows come in the order of an index (see readInKeyOrder).
    QByteArray keysInOrderSql, tableScanSql;

    long rows() const { return long(rowFlags.size()); }
    Cell* row(long r) { return reinterpret_cast<Cell*>(arena.at(rowCells[size_t(r)])); }
    const Cell* row(long r) const { return reinterpret_cast<const Cell*>(arena.at(rowCells[size_t(r)])); }
    Cell* addRow() {
        const quint32 off = arena.alloc(size_t(stride) * sizeof(Cell));
        rowCells.push_back(off);
        return static_cast<Cell*>(std::memset(arena.at(off), 0, size_t(stride) * sizeof(Cell)));
    }

    sqlite3* db() const {
        if (!conn || !conn->d->db) failClosed();
        return conn->d->db;
    }
    void requireOpen() const {
        if (!open) failClosed();
    }
    void requireCurrent() {
        requireOpen();
        if (pos >= rows()) readRows();
        if (pos < 0 || pos >= rows() || (rowFlags[size_t(pos)] & RowDeleted)) failNoCurrent();
    }
    void requireWritable() const {
        if (readOnly)
            fail(adErrFeatureNotAvailable,
                 QStringLiteral("Aktuální sada záznamů nepodporuje aktualizaci. Může jít o omezení "
                                "zprostředkovatele nebo zvoleného typu zámku."));
    }

    // sizeOnly: the statement yields the length of a long binary value.
    void storeCell(Cell& cell, sqlite3_stmt* st, int i, const Column* col, bool sizeOnly = false) {
        storeCellIn(arena, cell, st, i, col, sizeOnly);
    }
    // Reads only the recordset's columns: other threads may store rows of
    // their own into arenas of their own meanwhile.
    void storeCellIn(Arena& into, Cell& cell, sqlite3_stmt* st, int i, const Column* col,
                     bool sizeOnly) const {
        switch (sqlite3_column_type(st, i)) {
        case SQLITE_NULL:
            cell = Cell{};
            return;
        case SQLITE_INTEGER: {
            const qint64 v = sqlite3_column_int64(st, i);
            if (sizeOnly) {
                cell = makeCell(CBlobRef, quint32(v), 0);
            } else if (v >= INT32_MIN && v <= INT32_MAX) {
                cell = makeCell(CInt32, quint32(qint32(v)), 0);
            } else {
                cell = makeCell(CInt64, into.append(&v, sizeof v), 8);
            }
            return;
        }
        case SQLITE_FLOAT: {
            const double v = sqlite3_column_double(st, i);
            cell = makeCell(CDouble, into.append(&v, sizeof v), 8);
            return;
        }
        case SQLITE_BLOB: {
            const int n = sqlite3_column_bytes(st, i);
            if (col && col->kind == KBlob && col->tableIndex >= 0) {
                cell = makeCell(CBlobRef, quint32(n), 0);
            } else {
                if (quint32(n) > kMaxCellLen) fail(adErrProvider, QStringLiteral("Hodnota je příliš velká."));
                cell = makeCell(CBytes, into.append(sqlite3_column_blob(st, i), size_t(n)), quint32(n));
            }
            return;
        }
        default: {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            const int n = sqlite3_column_bytes(st, i);
            if (n > kKeptTextBytes && col && col->tableIndex >= 0 && col->kind != KDate) {
                cell = makeCell(CTextRef, quint32(n), 0);
                return;
            }
            if (quint32(n) > kMaxCellLen) fail(adErrProvider, QStringLiteral("Hodnota je příliš velká."));
            cell = makeCell(CText, into.append(p, size_t(n)), quint32(n));
            return;
        }
        }
    }

    Variant cellValue(const Column& col, Cell cell, long r) const {
        switch (cellType(cell)) {
        case CNull:
            return Variant();
        case CInt32:
            return Variant(qint64(qint32(cell.off)));
        case CInt64: {
            qint64 v;
            std::memcpy(&v, arena.at(cell.off), sizeof v);
            return Variant(v);
        }
        case CDouble: {
            double v;
            std::memcpy(&v, arena.at(cell.off), sizeof v);
            return Variant(v);
        }
        case CText: {
            const char* p = arena.at(cell.off);
            const quint32 n = cellLen(cell);
            if (col.kind == KDate) {
                QDateTime dt;
                if (parseIsoDate(p, n, &dt)) return Variant(dt);
            }
            return Variant(QString::fromUtf8(p, qsizetype(n)));
        }
        case CBytes:
            return Variant(QByteArray(arena.at(cell.off), qsizetype(cellLen(cell))));
        case CBlobRef:
            return Variant(readBlob(col, r, 0, qint64(cell.off)));
        case CTextRef:
            return Variant(QString::fromUtf8(readBlob(col, r, 0, -1)));
        }
        return Variant();
    }

    qint64 keyOf(long r, int tableIndex) const {
        const Cell c = row(r)[tables[size_t(tableIndex)].keyCell];
        if (cellType(c) == CInt32) return qint32(c.off);
        if (cellType(c) == CInt64) {
            qint64 v;
            std::memcpy(&v, arena.at(c.off), sizeof v);
            return v;
        }
        fail(adErrRowDeleted,
             QStringLiteral("Řádek tabulky '%1' nelze najít.").arg(tables[size_t(tableIndex)].name));
    }

    // `length` < 0: all of the value as it is now (a text another program
    // changed since the open is read whole, not cut to its former size).
    QByteArray readBlob(const Column& col, long r, qint64 from, qint64 length) const {
        if (length == 0) return QByteArray();
        sqlite3* h = db();
        std::optional<CacheSizeFor> small;
        if (length > kChunkSize) small.emplace(h, -kSmallCacheKiB);
        sqlite3_blob* blob = nullptr;
        const int rc = sqlite3_blob_open(h, "main", col.table.toUtf8().constData(),
                                         col.origin.toUtf8().constData(), keyOf(r, col.tableIndex), 0, &blob);
        if (rc != SQLITE_OK) {
            sqlite3_blob_close(blob);
            failSqlite(h, rc);
        }
        if (length < 0) length = qMax<qint64>(sqlite3_blob_bytes(blob) - from, 0);
        QByteArray out(qsizetype(length), Qt::Uninitialized);
        const int rr = sqlite3_blob_read(blob, out.data(), int(length), int(from));
        sqlite3_blob_close(blob);
        if (rr != SQLITE_OK) failSqlite(h, rr);
        return out;
    }

    void resetEdit() {
        for (Pending& p : pending) {
            p.set = false;
            p.value = Variant();
            p.spool.reset();
            p.spoolSize = 0;
        }
        editMode = adEditNone;
    }

    void closeChunkBlob() {
        if (chunkBlob) sqlite3_blob_close(chunkBlob);
        chunkBlob = nullptr;
        chunkField = -1;
        streamCache.reset();
    }

    // The next piece of a long binary field of the current row, through the
    // kept blob; the blob is let go at the field's end, so no read
    // transaction stays open longer than the reading.
    QByteArray readChunk(int field, qint64 from, qint64 length, qint64 total) {
        if (length <= 0) return QByteArray();
        const Column& col = cols[size_t(field)];
        sqlite3* h = db();
        QByteArray out(qsizetype(length), Qt::Uninitialized);
        for (int attempt = 0;; ++attempt) {
            if (!chunkBlob || chunkField != field) {
                closeChunkBlob();
                streamCache.emplace(h, -kSmallCacheKiB);
                const int rc = sqlite3_blob_open(h, "main", col.table.toUtf8().constData(),
                                                 col.origin.toUtf8().constData(), keyOf(pos, col.tableIndex),
                                                 0, &chunkBlob);
                if (rc != SQLITE_OK) {
                    closeChunkBlob();
                    failSqlite(h, rc);
                }
                chunkField = field;
            }
            const int rr = sqlite3_blob_read(chunkBlob, out.data(), int(length), int(from));
            if (rr == SQLITE_OK) break;
            closeChunkBlob();
            // The row was written since the blob was opened: open it again once.
            if (rr != SQLITE_ABORT || attempt > 0) failSqlite(h, rr);
        }
        if (from + length >= total) closeChunkBlob();
        return out;
    }

    void resetChunks() {
        closeChunkBlob();
        std::fill(chunkPos.begin(), chunkPos.end(), 0);
    }

    void clear() {
        cols.clear();
        tables.clear();
        fields.clear();
        names.clear();
        lowerNames.clear();
        rowCells.clear();
        rowCells.shrink_to_fit();
        rowFlags.clear();
        rowFlags.shrink_to_fit();
        arena.clear();
        pending.clear();
        closeChunkBlob();
        chunkPos.clear();
        unread.reset();
        highestKeyAtOpen = 0;
        keysInOrderSql.clear();
        tableScanSql.clear();
        stride = 0;
        live = 0;
        pos = 0;
        editMode = adEditNone;
        open = false;
        readOnly = false;
    }

    // Reads row r's values of one table again from the file (after a write,
    // so defaults and the new key show).
    void reread(long r, int tableIndex) {
        const TableInfo& t = tables[size_t(tableIndex)];
        QByteArray sql = "SELECT " + quoteIdent(t.keyColumn);
        std::vector<int> which;
        for (int i = 0; i < int(cols.size()); ++i) {
            const Column& c = cols[size_t(i)];
            if (c.tableIndex != tableIndex) continue;
            which.push_back(i);
            sql += c.kind == KBlob ? ", length(" + quoteIdent(c.origin) + ")" : ", " + quoteIdent(c.origin);
        }
        sql += " FROM " + quoteIdent(t.name) + " WHERE " + quoteIdent(t.keyColumn) + " = ?";
        sqlite3* h = db();
        Stmt st;
        prepareOrFail(h, sql, st);
        sqlite3_bind_int64(st.get(), 1, keyOf(r, tableIndex));
        const int rc = sqlite3_step(st.get());
        if (rc == SQLITE_DONE) return; // gone meanwhile
        if (rc != SQLITE_ROW) failSqlite(h, rc);
        Cell* cellsOfRow = row(r);
        storeCell(cellsOfRow[t.keyCell], st.get(), 0, nullptr);
        for (size_t k = 0; k < which.size(); ++k) {
            const Column& c = cols[size_t(which[k])];
            storeCell(cellsOfRow[which[k]], st.get(), int(k + 1), &c, c.kind == KBlob);
        }
    }

    // A value as the field's column will store it; a value it cannot hold is
    // refused at the assignment, as ADO does.
    Variant normalize(const Column& c, const Variant& v) const {
        if (v.isNull()) return v;
        auto mismatch = [&]() -> Variant {
            fail(adErrTypeMismatch,
                 QStringLiteral("Hodnota '%1' se nehodí do pole '%2'.").arg(v.toString(), c.name));
        };
        switch (c.kind) {
        case KInteger:
            switch (v.type()) {
            case Variant::Long:
            case Variant::Boolean:
            case Variant::Double:
                return Variant(v.toLong());
            case Variant::String: {
                double d;
                if (!parseNumber(v.toString(), &d)) return mismatch();
                return Variant(Variant(d).toLong());
            }
            default:
                return mismatch();
            }
        case KReal:
            switch (v.type()) {
            case Variant::Long:
            case Variant::Boolean:
            case Variant::Double:
                return Variant(v.toDouble());
            case Variant::String: {
                double d;
                if (!parseNumber(v.toString(), &d)) return mismatch();
                return Variant(d);
            }
            default:
                return mismatch();
            }
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

    void bindPending(sqlite3_stmt* st, int index, const Pending& p) {
        if (p.spool) {
            sqlite3_bind_zeroblob64(st, index, sqlite3_uint64(p.spoolSize));
            return;
        }
        const Variant& v = p.value;
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
            sqlite3_bind_text64(st, index, s.constData(), sqlite3_uint64(s.size()), SQLITE_TRANSIENT,
                                SQLITE_UTF8);
            break;
        }
        case Variant::Date: {
            const QByteArray s = dateText(v.toDateTime()).toUtf8();
            sqlite3_bind_text64(st, index, s.constData(), sqlite3_uint64(s.size()), SQLITE_TRANSIENT,
                                SQLITE_UTF8);
            break;
        }
        case Variant::Binary: {
            const QByteArray b = v.toBytes();
            sqlite3_bind_blob64(st, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }

    // Copies a spooled field into the blob that zeroblob() made room for: from
    // memory at once, from a file one chunk at a time.
    void writeSpool(sqlite3* h, const Column& c, qint64 key, Pending& p) {
        if (p.spoolSize == 0) return;
        sqlite3_blob* blob = nullptr;
        int rc = sqlite3_blob_open(h, "main", c.table.toUtf8().constData(), c.origin.toUtf8().constData(),
                                   key, 1, &blob);
        if (rc != SQLITE_OK) {
            sqlite3_blob_close(blob);
            failSqlite(h, rc);
        }
        auto put = [&](const char* bytes, qint64 length, qint64 at) {
            rc = sqlite3_blob_write(blob, bytes, int(length), int(at));
            if (rc != SQLITE_OK) {
                sqlite3_blob_close(blob);
                failSqlite(h, rc);
            }
        };
        if (auto* memory = qobject_cast<QBuffer*>(p.spool.get())) {
            put(memory->data().constData(), p.spoolSize, 0);
        } else {
            p.spool->seek(0);
            for (qint64 at = 0; at < p.spoolSize;) {
                const QByteArray buf = p.spool->read(qMin(kChunkSize, p.spoolSize - at));
                if (buf.isEmpty()) {
                    sqlite3_blob_close(blob);
                    fail(adErrProvider, QStringLiteral("Data pole '%1' nelze přečíst zpět.").arg(c.name));
                }
                put(buf.constData(), buf.size(), at);
                at += buf.size();
            }
        }
        rc = sqlite3_blob_close(blob);
        if (rc != SQLITE_OK) failSqlite(h, rc);
    }

    void storeRow(sqlite3_stmt* st) {
        rowCells.push_back(storeRowIn(arena, st));
        rowFlags.push_back(0);
    }
    // The row's cells in `into`; their place there.
    quint32 storeRowIn(Arena& into, sqlite3_stmt* st) const {
        const quint32 off = into.alloc(size_t(stride) * sizeof(Cell));
        Cell* cellsOfRow = static_cast<Cell*>(std::memset(into.at(off), 0, size_t(stride) * sizeof(Cell)));
        const int n = int(cols.size());
        for (int i = 0; i < n; ++i) {
            const Column& c = cols[size_t(i)];
            storeCellIn(into, cellsOfRow[i], st, i, &c, c.sizeOnly);
        }
        for (int i = n; i < stride; ++i)
            storeCellIn(into, cellsOfRow[i], st, i, nullptr, false);
        return off;
    }

    void readRows();
    void readInKeyOrder();
    struct KeyRange;
    using KeyPlaces = std::vector<std::pair<qint64, quint32>>;
    void readKeyRange(sqlite3_stmt* st, KeyRange& range, Arena& into, const KeyPlaces* places) const;
    void readKeyRanges(sqlite3* h, const QByteArray& sql, std::vector<std::unique_ptr<KeyRange>>& ranges,
                       const KeyPlaces* places, qint64 cacheKiB, qint64 readers);
    bool readScanInRanges(sqlite3* h, const QByteArray& executed);
    void planKeyOrder(sqlite3* h, const QByteArray& sql, const QByteArray& from,
                      const QByteArray& selectPart);

    void move(long to) {
        if (editMode != adEditNone) updateRow();
        pos = to;
        resetChunks();
    }

    void updateRow();
};

// The rows of the open, ahead of those added here meanwhile, which stay
// where the caller is.
void Recordset::Impl::readRows() {
    if (!unread.get()) return;
    sqlite3_stmt* st = unread.get();
    const long added = rows();
    std::vector<quint32> addedCells;
    std::vector<quint8> addedFlags;
    addedCells.swap(rowCells);
    addedFlags.swap(rowFlags);
    const int keyCell = tables[0].keyCell;
    try {
        if (!keysInOrderSql.isEmpty()) {
            readInKeyOrder();
        } else {
            int rc;
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                if (sqlite3_column_int64(st, keyCell) <= highestKeyAtOpen) storeRow(st);
            if (rc != SQLITE_DONE) failSqlite(db(), rc);
        }
    } catch (...) {
        sqlite3_reset(st);
        rowCells.swap(addedCells);
        rowFlags.swap(addedFlags);
        throw;
    }
    unread.reset();
    const long shift = rows();
    live += shift;
    rowCells.insert(rowCells.end(), addedCells.begin(), addedCells.end());
    rowFlags.insert(rowFlags.end(), addedFlags.begin(), addedFlags.end());
    // A place on an added row moves with it; the start stays the start.
    if (pos < added) pos += shift;
    if (editMode == adEditAdd ? addFrom < added - 1 : addFrom < added) addFrom += shift;
}

// "SELECT <list> FROM <table> ORDER BY <terms>" walks an index and looks up
// each row's page: the pages come at random, and unless the cache holds the
// whole table, each is read and decrypted once per row. When the index holds
// the order, the keys are taken from it alone and the rows from the table in
// its own order. The order is the same: the keys come from the same index.
void Recordset::Impl::planKeyOrder(sqlite3* h, const QByteArray& sql, const QByteArray& from,
                                   const QByteArray& selectPart) {
    static const QRegularExpression plainOrder(
        QStringLiteral("^FROM\\s+\"?(\\w+)\"?\\s+ORDER\\s+BY\\s+[\\w\\s,.\"]+;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = plainOrder.match(QString::fromUtf8(from.trimmed()));
    if (!m.hasMatch() || m.captured(1).compare(tables[0].name, Qt::CaseInsensitive) != 0) return;
    static const QRegularExpression limit(QStringLiteral("\\b(LIMIT|OFFSET)\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (limit.match(m.captured(0)).hasMatch()) return;
    const QByteArray keys =
        "SELECT " + quoteIdent(tables[0].name) + '.' + quoteIdent(tables[0].keyColumn) + ' ' + from;
    const QString index = walkedIndex(h, sql, false);
    if (index.isEmpty() || walkedIndex(h, keys, true) != index) return;
    keysInOrderSql = keys;
    tableScanSql = selectPart + " FROM " + quoteIdent(tables[0].name);
}

namespace {

// Cells that hold a place in their arena.
bool cellInArena(Cell c) {
    const CellType t = cellType(c);
    return t == CInt64 || t == CDouble || t == CText || t == CBytes;
}

// A scan in the table's order reads each page once: a few pages of cache do.
constexpr qint64 kScanCacheKiB = 256;
// Rows of a large table are read this many to a thread.
constexpr qint64 kRowsPerReader = 20000;
// Fewer rows of a scan that looks others up by key: each costs more.
constexpr qint64 kJoinRowsPerReader = 5000;
constexpr int kMaxReaders = 4;
// Ranges to each reader: what is left when one is done is shared out.
constexpr qint64 kRangesPerReader = 4;

// Where a top-level WHERE starts in sql (outside brackets, quotes and
// comments-free text), -1 when there is none.
qsizetype topLevelWhere(const QByteArray& sql) {
    int depth = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            i = sql.indexOf(close, i + 1);
            if (i < 0) return -1;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0 && (c == 'W' || c == 'w') && sql.mid(i, 5).toUpper() == "WHERE" &&
                   (i == 0 || !std::isalnum(uchar(sql[i - 1]))) &&
                   (i + 5 >= sql.size() || !std::isalnum(uchar(sql[i + 5])))) {
            return i;
        }
    }
    return -1;
}

QStringList queryPlan(sqlite3* db, const QByteArray& sql) {
    QStringList lines;
    Stmt st;
    if (sqlite3_prepare_v2(db, "EXPLAIN QUERY PLAN " + sql, -1, st.out(), nullptr) != SQLITE_OK) return {};
    while (sqlite3_step(st.get()) == SQLITE_ROW)
        lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 3)));
    return lines;
}

} // namespace

// One range of keys: its rows, their cells in the arena of the reader that
// read them.
struct Recordset::Impl::KeyRange {
    qint64 from = 0, to = 0;                       // keys, both included
    std::vector<std::pair<quint32, quint32>> rows; // place in the order, cells
    size_t reader = 0;                             // whose arena holds the cells: 0 this recordset's
    bool done = false;
};

// sql takes the range's keys as ?1 and ?2. With places, only the rows of
// those keys, each with its place; without, every row.
void Recordset::Impl::readKeyRange(sqlite3_stmt* st, KeyRange& range, Arena& into,
                                   const KeyPlaces* places) const {
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, range.from);
    sqlite3_bind_int64(st, 2, range.to);
    const int keyCell = tables.empty() ? -1 : tables[0].keyCell;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        quint32 place = 0;
        if (places) {
            const qint64 key = sqlite3_column_int64(st, keyCell);
            const auto it = std::lower_bound(places->begin(), places->end(), std::make_pair(key, quint32(0)));
            if (it == places->end() || it->first != key) continue;
            place = it->second;
        }
        range.rows.emplace_back(place, storeRowIn(into, st));
    }
    if (rc != SQLITE_DONE) failSqlite(sqlite3_db_handle(st), rc);
}

// The ranges read side by side by `readers`: this connection and the others
// each on a connection and a thread of its own (decrypting the pages is most
// of the work). Each reader takes the next range as it comes free, so this
// one starts at once, the others once their connections are open, and a slow
// reader holds up no more than its range. The caller holds a read
// transaction, so their reads see what this one does: while it lasts, nobody
// can commit. A range another connection could not read (busy, say) is read
// here. The rows end up in this recordset's arena.
void Recordset::Impl::readKeyRanges(sqlite3* h, const QByteArray& sql,
                                    std::vector<std::unique_ptr<KeyRange>>& ranges, const KeyPlaces* places,
                                    qint64 cacheKiB, qint64 readers) {
    const QString connString = conn->d->connString;
    const size_t helpers = size_t(qBound(qint64(1), readers, qint64(ranges.size()))) - 1;
    if (helpers > 0) ShareHeapWithThreads();
    std::atomic<size_t> next{0};
    auto readFree = [&](sqlite3* db, Arena& into, size_t reader) {
        Stmt st; // one for all its ranges
        prepareOrFail(db, sql, st);
        for (size_t i; (i = next.fetch_add(1)) < ranges.size();) {
            KeyRange& range = *ranges[i];
            range.reader = reader;
            readKeyRange(st.get(), range, into, places);
            range.done = true;
        }
    };
    std::vector<std::unique_ptr<Arena>> arenas;
    std::vector<std::thread> threads;
    for (size_t k = 1; k <= helpers; ++k) {
        Arena* into = arenas.emplace_back(std::make_unique<Arena>()).get();
        threads.emplace_back([&readFree, connString, cacheKiB, into, k] {
            try {
                Connection other;
                other.Open(connString);
                setCacheSize(other.d->db, -cacheKiB);
                readFree(other.d->db, *into, k);
                other.Close();
            } catch (...) { // its range, left undone, is read here
            }
        });
    }
    std::exception_ptr failure;
    try {
        readFree(h, arena, 0);
    } catch (...) {
        next = ranges.size(); // the others stop too
        failure = std::current_exception();
    }
    for (std::thread& t : threads)
        t.join();
    if (failure) std::rethrow_exception(failure);
    Stmt again;
    for (auto& range : ranges)
        if (!range->done) {
            if (!again.get()) prepareOrFail(h, sql, again);
            range->rows.clear();
            range->reader = 0;
            readKeyRange(again.get(), *range, arena, places);
        }
    std::vector<quint32> shifts(helpers + 1, 0);
    for (size_t k = 1; k <= helpers; ++k)
        shifts[k] = arena.adopt(*arenas[k - 1]);
    for (auto& range : ranges) {
        const quint32 shift = shifts[range->reader];
        if (shift == 0) continue;
        for (auto& row : range->rows) {
            row.second += shift;
            Cell* cells = reinterpret_cast<Cell*>(arena.at(row.second));
            for (int i = 0; i < stride; ++i)
                if (cellInArena(cells[i])) cells[i].off += shift;
        }
    }
}

// Both passes in one read transaction: the keys and the rows agree. A large
// table's rows are read in ranges of keys side by side.
void Recordset::Impl::readInKeyOrder() {
    sqlite3* h = db();
    const bool own = sqlite3_get_autocommit(h) != 0;
    if (own) execOrFail(h, "BEGIN");
    // Each page is read once: a small cache does, and keeps the memory.
    const CacheSizeFor small(h, -kSmallCacheKiB);
    try {
        KeyPlaces places; // key, place in the order
        {
            Stmt st;
            prepareOrFail(h, keysInOrderSql, st);
            int rc;
            while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
                const qint64 key = sqlite3_column_int64(st.get(), 0);
                if (key <= highestKeyAtOpen) places.emplace_back(key, quint32(places.size()));
            }
            if (rc != SQLITE_DONE) failSqlite(h, rc);
        }
        std::sort(places.begin(), places.end());

        // A caller's own transaction may hold changes other connections do not see.
        const qint64 readers =
            own ? qBound(qint64(1), qint64(places.size()) / kRowsPerReader, qint64(kMaxReaders)) : 1;
        const qint64 pieces = readers > 1 ? readers * kRangesPerReader : 1;
        std::vector<std::unique_ptr<KeyRange>> ranges;
        for (qint64 k = 0; k < pieces && !places.empty(); ++k) {
            const size_t lo = places.size() * size_t(k) / size_t(pieces);
            const size_t hi = places.size() * size_t(k + 1) / size_t(pieces);
            if (lo == hi) continue;
            auto range = std::make_unique<KeyRange>();
            range->from = k == 0 ? std::numeric_limits<qint64>::min() : places[lo].first;
            range->to = k == pieces - 1 ? std::numeric_limits<qint64>::max() : places[hi].first - 1;
            ranges.push_back(std::move(range));
        }
        const QByteArray sql = tableScanSql + " WHERE " + quoteIdent(tables[0].name) + '.' +
                               quoteIdent(tables[0].keyColumn) + " BETWEEN ?1 AND ?2";
        readKeyRanges(h, sql, ranges, &places, kScanCacheKiB, readers);
        // What the other connections' caches held goes back, as a closed cache's
        // does: after a whole table the list is left idle. A join's few readers
        // leave less, and the next read takes it again.
        if (readers > 1) GiveBackFreedHeap((readers - 1) * kScanCacheKiB * 1024, true);

        constexpr quint32 kNoRow = ~quint32(0);
        std::vector<quint32> byPlace(places.size(), kNoRow);
        for (const auto& range : ranges)
            for (const auto& row : range->rows)
                byPlace[row.first] = row.second;
        for (const quint32 cells : byPlace) {
            if (cells == kNoRow) continue;
            rowCells.push_back(cells);
            rowFlags.push_back(0);
        }
        if (own) execOrFail(h, "COMMIT");
    } catch (...) {
        if (own) sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// A query whose plan scans one table and looks rows of others up by key (a
// join of loans with their films and clients, say) gives its rows in that
// table's order: a large one is read in ranges of its keys side by side, the
// rows range after range. False when the query is not of that kind; it is
// then read as it stands.
bool Recordset::Impl::readScanInRanges(sqlite3* h, const QByteArray& executed) {
    if (sqlite3_get_autocommit(h) == 0) return false; // the caller's changes: only its connection sees them
    static const QRegularExpression reordering(
        QStringLiteral("\\b(ORDER|GROUP|LIMIT|OFFSET|DISTINCT|UNION|INTERSECT|EXCEPT|HAVING)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    if (reordering.match(QString::fromUtf8(executed)).hasMatch()) return false;
    // Counts, sums and other expressions would be of each range, not of the whole.
    if (!std::all_of(cols.begin(), cols.end(), [](const Column& c) { return !c.origin.isEmpty(); }))
        return false;
    const QStringList plan = queryPlan(h, executed);
    static const QRegularExpression scan(QStringLiteral("^SCAN TABLE (\\w+)$"));
    const QRegularExpressionMatch m = plan.isEmpty() ? QRegularExpressionMatch() : scan.match(plan.first());
    if (!m.hasMatch()) return false;
    for (qsizetype i = 1; i < plan.size(); ++i)
        if (!plan[i].startsWith(QLatin1String("SEARCH TABLE "))) return false;
    const QByteArray table = quoteIdent(m.captured(1));
    // By the key's own name: a rowid is not seen through a bracketed join.
    const QString key = conn->d->keyColumn(m.captured(1));
    if (key.isEmpty()) return false;

    QByteArray text = executed.trimmed();
    while (text.endsWith(';'))
        text = text.chopped(1).trimmed();
    const qsizetype where = topLevelWhere(text);
    const QByteArray range = ' ' + table + '.' + quoteIdent(key) + " BETWEEN ?1 AND ?2";
    const QByteArray sql = where < 0 ? text + " WHERE" + range
                                     : text.left(where) + "WHERE (" + text.mid(where + 5) + ") AND" + range;
    QStringList rangedPlan = queryPlan(h, sql);
    if (rangedPlan.size() != plan.size() ||
        rangedPlan.first() !=
            QStringLiteral("SEARCH TABLE %1 USING INTEGER PRIMARY KEY (rowid>? AND rowid<?)")
                .arg(m.captured(1)))
        return false;
    rangedPlan.removeFirst();
    if (rangedPlan != plan.mid(1)) return false;

    execOrFail(h, "BEGIN");
    try {
        qint64 low = 0, high = 0;
        {
            Stmt st; // also takes the read that keeps others from committing meanwhile
            // Each in a query of its own: SQLite finds a lone min() or max() at
            // the end of the key, but scans the whole table for the two together.
            prepareOrFail(
                h, "SELECT (SELECT min(rowid) FROM " + table + "), (SELECT max(rowid) FROM " + table + ")",
                st);
            if (sqlite3_step(st.get()) != SQLITE_ROW) failSqlite(h, sqlite3_errcode(h));
            low = sqlite3_column_int64(st.get(), 0);
            high = sqlite3_column_int64(st.get(), 1);
        }
        const qint64 readers = qBound(qint64(1), (high - low + 1) / kJoinRowsPerReader, qint64(kMaxReaders));
        if (readers < 2) {
            execOrFail(h, "COMMIT");
            return false;
        }
        const qint64 pieces = readers * kRangesPerReader;
        std::vector<std::unique_ptr<KeyRange>> ranges;
        for (qint64 k = 0; k < pieces; ++k) {
            auto r = std::make_unique<KeyRange>();
            r->from = k == 0 ? std::numeric_limits<qint64>::min() : low + (high - low) * k / pieces + 1;
            r->to =
                k == pieces - 1 ? std::numeric_limits<qint64>::max() : low + (high - low) * (k + 1) / pieces;
            ranges.push_back(std::move(r));
        }
        const CacheSizeFor small(h, -kSmallCacheKiB);
        // The looked-up tables' upper pages stay in the cache.
        readKeyRanges(h, sql, ranges, nullptr, kSmallCacheKiB, readers);
        for (const auto& r : ranges)
            for (const auto& row : r->rows) {
                rowCells.push_back(row.second);
                rowFlags.push_back(0);
            }
        execOrFail(h, "COMMIT");
    } catch (...) {
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return true;
}

void Recordset::Impl::updateRow() {
    requireOpen();
    closeChunkBlob();
    if (editMode == adEditNone) return;
    sqlite3* h = db();
    requireWritableFile(h);
    const bool adding = editMode == adEditAdd;
    std::vector<std::vector<int>> byTable(tables.size());
    for (int i = 0; i < int(cols.size()); ++i)
        if (pending[size_t(i)].set) byTable[size_t(cols[size_t(i)].tableIndex)].push_back(i);
    std::vector<int> touched;
    for (int t = 0; t < int(tables.size()); ++t)
        if (!byTable[size_t(t)].empty()) touched.push_back(t);
    if (adding && touched.empty()) {
        if (tables.size() != 1)
            fail(adErrFeatureNotAvailable,
                 QStringLiteral("Nový řádek tohoto dotazu potřebuje hodnotu aspoň jednoho pole."));
        touched.push_back(0);
    }

    // The cache holds the row's long binary bytes whole when they are few
    // enough (kOnePassBytes); larger ones stream through a small one.
    qint64 onePass = 0;
    bool streamed = false;
    for (const Pending& p : pending) {
        if (!p.set || !p.spool) continue;
        if (p.spoolSize <= kOnePassBytes)
            onePass += p.spoolSize;
        else
            streamed = true;
    }
    const qint64 roomKiB = kSmallCacheKiB + (onePass + onePass / 8) / 1024; // an eighth for page headers
    std::optional<CacheSizeFor> room;
    if (onePass > 0) {
        if (roomKiB > -pragmaValue(h, "cache_size")) room.emplace(h, -roomKiB);
    } else if (streamed) {
        room.emplace(h, -kSmallCacheKiB);
    }

    // All tables of the row and its long binary bytes, or nothing. Inside a
    // transaction of the caller's a savepoint does the same.
    const bool own = sqlite3_get_autocommit(h) != 0;
    int rc = sqlite3_exec(h, own ? "BEGIN IMMEDIATE" : "SAVEPOINT ado_update", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) failSqlite(h, rc);
    try {
        for (int t : touched) {
            const TableInfo& info = tables[size_t(t)];
            const std::vector<int>& set = byTable[size_t(t)];
            QByteArray sql;
            if (adding) {
                if (set.empty()) {
                    sql = "INSERT INTO " + quoteIdent(info.name) + " DEFAULT VALUES";
                } else {
                    QByteArray names, marks;
                    for (int i : set) {
                        if (!names.isEmpty()) {
                            names += ", ";
                            marks += ", ";
                        }
                        names += quoteIdent(cols[size_t(i)].origin);
                        marks += '?';
                    }
                    sql = "INSERT INTO " + quoteIdent(info.name) + " (" + names + ") VALUES (" + marks + ")";
                }
            } else {
                sql = "UPDATE " + quoteIdent(info.name) + " SET ";
                for (size_t k = 0; k < set.size(); ++k) {
                    if (k) sql += ", ";
                    sql += quoteIdent(cols[size_t(set[k])].origin) + " = ?";
                }
                sql += " WHERE " + quoteIdent(info.keyColumn) + " = ?";
            }
            Stmt st;
            prepareOrFail(h, sql, st);
            int index = 1;
            for (int i : set)
                bindPending(st.get(), index++, pending[size_t(i)]);
            if (!adding) sqlite3_bind_int64(st.get(), index, keyOf(pos, t));
            rc = sqlite3_step(st.get());
            if (rc != SQLITE_DONE) failSqlite(h, rc);
            qint64 key;
            if (adding) {
                key = sqlite3_last_insert_rowid(h);
                row(pos)[info.keyCell] = key >= INT32_MIN && key <= INT32_MAX
                                             ? makeCell(CInt32, quint32(qint32(key)), 0)
                                             : makeCell(CInt64, arena.append(&key, sizeof key), 8);
            } else {
                if (sqlite3_changes(h) == 0)
                    fail(adErrRowDeleted,
                         QStringLiteral("Řádek nelze pro úpravu najít: mezitím byl smazán."));
                key = keyOf(pos, t);
            }
            for (int i : set)
                if (pending[size_t(i)].spool) writeSpool(h, cols[size_t(i)], key, pending[size_t(i)]);
        }
        rc = sqlite3_exec(h, own ? "COMMIT" : "RELEASE ado_update", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) failSqlite(h, rc);
    } catch (...) {
        sqlite3_exec(h, own ? "ROLLBACK" : "ROLLBACK TO ado_update; RELEASE ado_update", nullptr, nullptr,
                     nullptr);
        if (adding) // the row still has no key of its own
            for (int t : touched)
                row(pos)[tables[size_t(t)].keyCell] = Cell{};
        throw;
    }
    rowFlags[size_t(pos)] &= quint8(~RowNew);
    resetEdit();
    resetChunks();
    for (int t : touched)
        reread(pos, t);
}

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
    if (d->open) failOpen();
    sqlite3* h = connection.d->db;
    if (!h) failClosed();
    const QByteArray sql = source.toUtf8();
    Stmt st;
    prepareOrFail(h, sql, st);
    const int n = sqlite3_column_count(st.get());
    if (n == 0) { // a statement without rows: run it; the recordset stays closed
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) failSqlite(h, rc);
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
        c.kind = kindOf(sqlite3_column_decltype(st.get(), i));
        // On nested joins SQLite names the column "tDVD.DVDID": the field is DVDID.
        const qsizetype dot = c.name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0 && !c.origin.isEmpty() &&
            c.name.mid(dot + 1).compare(c.origin, Qt::CaseInsensitive) == 0)
            c.name = c.origin;
    }

    // Rows are written back by key: each base table's INTEGER PRIMARY KEY is
    // added to the query by name (a rowid cannot be selected through a
    // parenthesised join). Long binary columns of "SELECT *" are read as their
    // length only.
    const SelectShape shape = analyseSelect(sql);
    QByteArray selectPart; // the executed query up to its FROM
    if (shape.ok) {
        for (Column& c : d->cols) {
            if (c.table.isEmpty() || c.origin.isEmpty()) continue;
            int t = 0;
            while (t < int(d->tables.size()) &&
                   d->tables[size_t(t)].name.compare(c.table, Qt::CaseInsensitive) != 0)
                ++t;
            if (t == int(d->tables.size())) {
                const QString key = connection.d->keyColumn(c.table);
                if (key.isEmpty()) continue;
                d->tables.push_back(TableInfo{c.table, key, n + t});
            }
            c.tableIndex = t;
            c.isKey = c.origin.compare(d->tables[size_t(t)].keyColumn, Qt::CaseInsensitive) == 0;
        }
    }
    if (!d->tables.empty()) {
        QByteArray list = sql.mid(shape.listStart, shape.fromPos - shape.listStart);
        bool sizeOnly = false;
        if (list.trimmed() == "*") {
            bool explicitList = true;
            bool anyBlob = false;
            for (const Column& c : d->cols) {
                if (c.origin.isEmpty()) explicitList = false;
                if (c.kind == KBlob) anyBlob = true;
            }
            if (explicitList && anyBlob) {
                list = " ";
                for (int i = 0; i < n; ++i) {
                    const Column& c = d->cols[size_t(i)];
                    const QByteArray ref = quoteIdent(c.table) + '.' + quoteIdent(c.origin);
                    if (i) list += ", ";
                    list += c.kind == KBlob ? "length(" + ref + ")" : ref;
                }
                sizeOnly = true;
            }
        }
        QByteArray rewritten = sql.left(shape.listStart) + list;
        for (const TableInfo& t : d->tables)
            rewritten += ", " + quoteIdent(t.name) + '.' + quoteIdent(t.keyColumn);
        rewritten += ' ' + sql.mid(shape.fromPos);
        Stmt st2;
        bool usable = sqlite3_prepare_v2(h, rewritten.constData(), int(rewritten.size()), st2.out(),
                                         nullptr) == SQLITE_OK &&
                      sqlite3_column_count(st2.get()) == n + int(d->tables.size());
        for (int t = 0; usable && t < int(d->tables.size()); ++t) {
            const char* origin = sqlite3_column_origin_name(st2.get(), n + t);
            usable = origin && d->tables[size_t(t)].keyColumn.compare(QString::fromUtf8(origin),
                                                                      Qt::CaseInsensitive) == 0;
        }
        if (usable) {
            selectPart = rewritten.left(rewritten.size() - (sql.size() - shape.fromPos));
            st.reset();
            *st.out() = st2.release();
            if (sizeOnly)
                for (Column& c : d->cols)
                    c.sizeOnly = c.kind == KBlob;
        } else { // e.g. a table under an alias: its rows stay read-only
            d->tables.clear();
            for (Column& c : d->cols) {
                c.tableIndex = -1;
                c.isKey = false;
            }
        }
    }
    d->stride = n + int(d->tables.size());

    const bool oneTable =
        d->tables.size() == 1 && std::all_of(d->cols.begin(), d->cols.end(), [&](const Column& c) {
            return c.table.isEmpty() || c.table.compare(d->tables[0].name, Qt::CaseInsensitive) == 0;
        });
    int rc = SQLITE_DONE;
    try {
        const bool ranged = !oneTable && d->readScanInRanges(h, QByteArray(sqlite3_sql(st.get())));
        while (!ranged && (rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            if (oneTable && d->rows() == 1) { // more than one row: read when looked at
                d->highestKeyAtOpen = highestKey(h, d->tables[0]);
                d->planKeyOrder(h, sql, sql.mid(shape.fromPos), selectPart);
                sqlite3_reset(st.get());
                d->rowCells.clear();
                d->rowFlags.clear();
                d->arena.clear();
                d->unread.reset();
                *d->unread.out() = st.release();
                break;
            }
            d->storeRow(st.get());
        }
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) failSqlite(h, rc);
        // Unless the caller only appends, a failing read fails the open, where
        // callers look for it.
        const bool deferred = options != -1 && (options & adAsyncFetch);
        if (!deferred) d->readRows();
    } catch (...) {
        d->clear();
        throw;
    }
    st.reset();

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

// Rows not read yet are more than one, and no move came before the read.
bool Recordset::Eof() const {
    d->requireOpen();
    return !d->unread.get() && d->pos >= d->rows();
}

bool Recordset::Bof() const {
    d->requireOpen();
    return !d->unread.get() && (d->pos < 0 || (d->live == 0 && d->pos >= d->rows()));
}

long Recordset::RecordCount() const {
    d->requireOpen();
    d->readRows();
    return d->live;
}

void Recordset::MoveNext() {
    d->requireOpen();
    d->readRows();
    if (d->pos >= d->rows()) failNoCurrent();
    long p = d->pos + 1;
    while (p < d->rows() && (d->rowFlags[size_t(p)] & RowDeleted))
        ++p;
    d->move(p);
}

void Recordset::MovePrevious() {
    d->requireOpen();
    d->readRows();
    if (d->pos < 0) failNoCurrent();
    long p = d->pos - 1;
    while (p >= 0 && (d->rowFlags[size_t(p)] & RowDeleted))
        --p;
    d->move(p);
}

void Recordset::MoveFirst() {
    d->requireOpen();
    d->readRows();
    long p = 0;
    while (p < d->rows() && (d->rowFlags[size_t(p)] & RowDeleted))
        ++p;
    d->move(p);
}

void Recordset::MoveLast() {
    d->requireOpen();
    d->readRows();
    long p = d->rows() - 1;
    while (p >= 0 && (d->rowFlags[size_t(p)] & RowDeleted))
        --p;
    d->move(p < 0 ? d->rows() : p);
}

int Recordset::FieldCount() const {
    d->requireOpen();
    return int(d->cols.size());
}

Field& Recordset::Fields(int index) {
    d->requireOpen();
    if (index < 0 || index >= int(d->fields.size()))
        fail(adErrItemNotFound,
             QStringLiteral("Položku nelze nalézt v kolekci odpovídající požadovanému názvu nebo "
                            "pořadovému číslu."));
    return d->fields[size_t(index)];
}

Field& Recordset::Fields(const QString& name) {
    d->requireOpen();
    int i = d->names.value(name, -1);
    if (i < 0) i = d->lowerNames.value(name.toLower(), -1);
    if (i < 0)
        fail(adErrItemNotFound,
             QStringLiteral("Položku nelze nalézt v kolekci odpovídající požadovanému názvu nebo "
                            "pořadovému číslu (%1).")
                 .arg(name));
    return d->fields[size_t(i)];
}

void Recordset::AddNew() {
    d->requireOpen();
    d->requireWritable();
    if (d->tables.empty())
        fail(adErrFeatureNotAvailable, QStringLiteral("Aktuální sada záznamů nepodporuje aktualizaci."));
    if (d->editMode != adEditNone) d->updateRow();
    d->addFrom = d->pos;
    d->addRow();
    d->rowFlags.push_back(RowNew);
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
        d->rowCells.pop_back();
        d->rowFlags.pop_back();
        --d->live;
        d->pos = d->addFrom;
    }
    d->resetEdit();
    d->resetChunks();
}

void Recordset::Delete() {
    d->requireOpen();
    d->closeChunkBlob();
    d->requireWritable();
    if (d->editMode == adEditAdd) { // the new row was never written
        CancelUpdate();
        return;
    }
    if (d->editMode != adEditNone) CancelUpdate();
    d->requireCurrent();
    if (d->tables.size() != 1)
        fail(adErrFeatureNotAvailable, QStringLiteral("Řádky tohoto dotazu nelze odstranit."));
    sqlite3* h = d->db();
    requireWritableFile(h);
    const TableInfo& t = d->tables[0];
    Stmt st;
    prepareOrFail(h, "DELETE FROM " + quoteIdent(t.name) + " WHERE " + quoteIdent(t.keyColumn) + " = ?", st);
    sqlite3_bind_int64(st.get(), 1, d->keyOf(d->pos, 0));
    const int rc = sqlite3_step(st.get());
    if (rc != SQLITE_DONE) failSqlite(h, rc);
    if (sqlite3_changes(h) == 0)
        fail(adErrRowDeleted, QStringLiteral("Řádek nelze pro odstranění najít: mezitím byl smazán."));
    d->rowFlags[size_t(d->pos)] |= RowDeleted;
    --d->live;
}

long Recordset::EditMode() const {
    d->requireOpen();
    return d->editMode;
}

// ---------------------------------------------------------------------------
// Field

QString Field::Name() const {
    rs_->d->requireOpen();
    return rs_->d->cols[size_t(index_)].name;
}

Variant Field::Value() const {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    const Pending& p = r.pending[size_t(index_)];
    if (p.set) {
        if (p.spool) {
            p.spool->seek(0);
            return Variant(p.spool->readAll());
        }
        return p.value;
    }
    return r.cellValue(r.cols[size_t(index_)], r.row(r.pos)[index_], r.pos);
}

void Field::setValue(const Variant& value) {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    r.requireWritable();
    const Column& c = r.cols[size_t(index_)];
    if (c.tableIndex < 0 || c.isKey)
        fail(adErrFeatureNotAvailable, QStringLiteral("Pole '%1' nelze aktualizovat.").arg(c.name));
    Pending& p = r.pending[size_t(index_)];
    p.value = r.normalize(c, value);
    p.spool.reset();
    p.spoolSize = 0;
    p.set = true;
    if (r.editMode == adEditNone) r.editMode = adEditInProgress;
}

void Field::AppendChunk(const QByteArray& data) {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    r.requireWritable();
    const Column& c = r.cols[size_t(index_)];
    if (c.tableIndex < 0)
        fail(adErrFeatureNotAvailable, QStringLiteral("Pole '%1' nelze aktualizovat.").arg(c.name));
    if (c.kind != KBlob)
        fail(adErrTypeMismatch, QStringLiteral("Pole '%1' neobsahuje binární data.").arg(c.name));
    Pending& p = r.pending[size_t(index_)];
    if (!p.set || !p.spool) {
        auto memory = std::make_unique<QBuffer>();
        memory->open(QIODevice::ReadWrite);
        p.spool = std::move(memory);
        p.spoolSize = 0;
        p.value = Variant();
        p.set = true;
    }
    if (p.spoolSize + data.size() > kOnePassBytes && qobject_cast<QBuffer*>(p.spool.get())) {
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/ado-chunks-XXXXXX"));
        if (!file->open() || file->write(static_cast<QBuffer*>(p.spool.get())->data()) != p.spoolSize)
            fail(adErrProvider, QStringLiteral("Pro data pole '%1' nelze vytvořit dočasný soubor: %2")
                                    .arg(c.name, file->errorString()));
        p.spool = std::move(file);
    }
    p.spool->seek(p.spoolSize);
    if (p.spool->write(data) != data.size())
        fail(adErrProvider,
             QStringLiteral("Data pole '%1' nelze uchovat: %2").arg(c.name, p.spool->errorString()));
    p.spoolSize += data.size();
    if (r.editMode == adEditNone) r.editMode = adEditInProgress;
}

QByteArray Field::GetChunk(long length) {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    if (length <= 0) return QByteArray();
    const Column& c = r.cols[size_t(index_)];
    qint64& at = r.chunkPos[size_t(index_)];
    const Pending& p = r.pending[size_t(index_)];
    QByteArray out;
    if (p.set && p.spool) {
        p.spool->seek(at);
        out = p.spool->read(length);
    } else if (p.set) {
        out = p.value.toBytes().mid(at, length);
    } else {
        const Cell cell = r.row(r.pos)[index_];
        switch (cellType(cell)) {
        case CBlobRef:
        case CTextRef:
            out = r.readChunk(index_, at, qMin<qint64>(length, qint64(cell.off) - at), qint64(cell.off));
            break;
        case CText:
        case CBytes:
            if (at < cellLen(cell))
                out = QByteArray(r.arena.at(cell.off) + at, qMin<qint64>(length, cellLen(cell) - at));
            break;
        case CNull:
            break;
        default:
            fail(adErrTypeMismatch, QStringLiteral("Pole '%1' neobsahuje binární data.").arg(c.name));
        }
    }
    at += out.size();
    return out;
}

qint64 Field::ActualSize() const {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    const Pending& p = r.pending[size_t(index_)];
    if (p.set) return p.spool ? p.spoolSize : (p.value.isNull() ? 0 : p.value.toBytes().size());
    const Cell cell = r.row(r.pos)[index_];
    switch (cellType(cell)) {
    case CNull:
        return 0;
    case CBlobRef:
    case CTextRef:
        return qint64(cell.off);
    case CText:
    case CBytes:
        return cellLen(cell);
    default:
        return 8;
    }
}

// Closing a connection closes its recordsets, as ADO does.
void Connection::Close() {
    if (!d->db) failClosed();
    const QList<Recordset*> open = d->recordsets;
    for (Recordset* rs : open) {
        rs->d->clear();
        rs->d->conn = nullptr;
    }
    d->recordsets.clear();
    int cacheBytes = 0, highest = 0;
    sqlite3_db_status(d->db, SQLITE_DBSTATUS_CACHE_USED, &cacheBytes, &highest, 0);
    sqlite3_close_v2(d->db);
    d->db = nullptr;
    d->keyColumns.clear();
    GiveBackFreedHeap(cacheBytes);
}

} // namespace ado
