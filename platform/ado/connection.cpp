#include "ado.h"

#include "ado/connection_p.h"
#include "ado/connstring.h"
#include "ado/failure.h"
#include "ado/filepool.h"
#include "ado/key.h"
#include "ado/recordset_p.h"
#include "ado/statement.h"
#include "czcollate.h"

#include <QFile>
#include <QFileInfo>

namespace ado {

using namespace detail;

void Connection::Impl::afterFailedWrite() {
    if (!db || !Distrusted(db)) return; // a lock or a refused value: the connection is fine
    for (Recordset* rs : recordsets)
        rs->d->reader.close();
    db = ReopenAfterFailedWrite(db, password);
}

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
    if (d->db) FailOpen();
    const ConnParts parts = ParseConnString(connString);
    const QFileInfo info(parts.path);
    if (parts.path.isEmpty() || !info.exists() || info.isDir())
        Fail(adErrProvider, QStringLiteral("Nelze najít soubor '%1'.").arg(parts.path));
    d->db = TakeConnection(parts.path, parts.password);
    d->path = parts.path;
    d->password = parts.password;
}

// Closing a connection closes its recordsets, as ADO does.
void Connection::Close() {
    if (!d->db) FailClosed();
    const QList<Recordset*> open = d->recordsets;
    for (Recordset* rs : open) {
        rs->d->clear();
        rs->d->conn = nullptr;
    }
    d->recordsets.clear();
    GiveBack(d->db);
    d->db = nullptr;
}

long Connection::Execute(const QString& sql) {
    if (!d->db) FailClosed();
    const QByteArray text = sql.toUtf8();
    const char* p = text.constData();
    const char* end = p + text.size();
    long changed = 0;
    while (p < end) {
        Stmt st;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v2(d->db, p, int(end - p), st.out(), &tail);
        if (rc != SQLITE_OK) FailSqlite(d->db, rc);
        p = tail;
        if (st.get()) changed += RunToEnd(d->db, st); // none for blanks or a comment
    }
    return changed;
}

void CreateDatabase(const QString& path, const QString& password, bool largeValues) {
    QFile file(path);
    if (QFileInfo::exists(path)) Fail(adErrProvider, QStringLiteral("Soubor '%1' už existuje.").arg(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        Fail(adErrProvider, QStringLiteral("Soubor '%1' nelze vytvořit: %2.").arg(path, file.errorString()));
    file.close();
    bool done = false;
    struct Cleanup {
        const QString& path;
        bool& done;
        ~Cleanup() {
            if (!done) QFile::remove(path);
        }
    } cleanup{path, done};

    const QByteArray salt = NewSalt();
    const QByteArray key = RawKeySpec(DerivedKey(password.toUtf8(), salt), salt);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    struct Guard {
        sqlite3* db;
        ~Guard() { sqlite3_close_v2(db); }
    } guard{db};
    if (rc != SQLITE_OK) Fail(adErrProvider, QStringLiteral("Databázi '%1' nelze vytvořit.").arg(path));
    sqlite3_key(db, key.constData(), int(key.size()));
    const QByteArray pages = QByteArrayLiteral("PRAGMA cipher_page_size = ") + QByteArray::number(kPageSize);
    Exec(db, pages.constData());
    // A map of the pages lets a replaced or deleted long value be freed
    // without reading (and decrypting) each of its pages first. It must be
    // chosen before anything is written; the file never shrinks by itself.
    if (largeValues) Exec(db, "PRAGMA auto_vacuum = INCREMENTAL");
    // The first write lays down the encrypted header page with our salt.
    const QByteArray sql = QByteArrayLiteral("PRAGMA user_version = ") + QByteArray::number(cz::Fingerprint());
    Exec(db, sql.constData());
    done = true;
}

} // namespace ado
