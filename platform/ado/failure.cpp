#include "ado/failure.h"

#include "ado.h"
#include "ado/statement.h"

#include <QSet>

namespace ado::detail {

namespace {

QSet<QString> damagedFiles;
QSet<sqlite3*> distrusted;

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

// Failures of the file rather than of the statement.
bool troublesFile(int primary) {
    switch (primary) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_NOMEM:
    case SQLITE_PERM:
    case SQLITE_PROTOCOL:
    case SQLITE_INTERNAL:
        return true;
    default:
        return false;
    }
}

bool isDamage(int rc) {
    return (rc & 0xff) == SQLITE_CORRUPT;
}

} // namespace

void Fail(long number, const QString& description) {
    throw Error(number, description);
}

void FailClosed() {
    Fail(adErrObjectClosed, QStringLiteral("Operace není povolena, je-li objekt zavřen."));
}

void FailOpen() {
    Fail(adErrObjectOpen, QStringLiteral("Operace není povolena, je-li objekt otevřen."));
}

void FailNoCurrent() {
    Fail(adErrNoCurrentRecord, QStringLiteral("Hodnota BOF nebo EOF je True, nebo byl aktuální záznam "
                                              "odstraněn. Požadovaná operace vyžaduje aktuální záznam."));
}

void FailRowGone() {
    Fail(adErrRowDeleted, QStringLiteral("Řádek už v databázi není: mezitím byl smazán."));
}

void FailDamaged(const QString& path) {
    MarkDamaged(path);
    Fail(adErrProvider, damagedText(path));
}

QString FileOf(sqlite3* db) {
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

QString Describe(int rc, const QString& path, const QString& detail) {
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
        // A killed program left changes to undo, and a protected file cannot be set right.
        if (rc == SQLITE_READONLY_ROLLBACK || rc == SQLITE_READONLY_RECOVERY)
            return QStringLiteral("Databázi '%1' nelze číst: zápis do ní byl přerušen a jeho nedokončené "
                                  "změny je třeba vrátit, ale soubor je chráněn proti zápisu. Povolte zápis "
                                  "do souboru a zkuste to znovu.")
                .arg(path);
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
        // SQLite's own words, put into Czech where they name what is missing.
        const auto after = [&](QLatin1String head) { return detail.mid(head.size()); };
        if (detail.startsWith(QLatin1String("no such table: ")))
            return QStringLiteral("Databáze nemůže najít tabulku nebo dotaz '%1'.")
                .arg(after(QLatin1String("no such table: ")));
        if (detail.startsWith(QLatin1String("no such column: ")))
            return QStringLiteral("Databáze nemůže najít pole '%1'.").arg(after(QLatin1String("no such column: ")));
        if (detail.startsWith(QLatin1String("near ")))
            return QStringLiteral("Chyba syntaxe v dotazu (%1).").arg(detail);
        return QStringLiteral("Dotaz nelze provést (%1).").arg(detail);
    }
    default:
        return QStringLiteral("Chyba databáze '%1' (kód %2).").arg(path).arg(rc);
    }
}

void FailSqlite(sqlite3* db, int rc) {
    const int extended = sqlite3_extended_errcode(db);
    if ((extended & 0xff) == (rc & 0xff)) rc = extended;
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db));
    const QString path = FileOf(db);
    if (isDamage(rc) && !path.isEmpty()) MarkDamaged(path);
    const int primary = rc & 0xff;
    if (troublesFile(primary)) Distrust(db);
    const QString text = Describe(rc, path, detail);
    if (primary == SQLITE_ERROR) Fail(adErrSyntax, text);
    if (primary == SQLITE_MISMATCH) Fail(adErrTypeMismatch, text);
    Fail(adErrProvider, text);
}

void MarkDamaged(const QString& path) {
    damagedFiles.insert(path);
}

bool IsDamaged(const QString& path) {
    return damagedFiles.contains(path);
}

void RequireWritableFile(sqlite3* db) {
    const QString path = FileOf(db);
    if (sqlite3_db_readonly(db, "main") == 1) Fail(adErrProvider, readOnlyText(path));
    if (IsDamaged(path)) Fail(adErrProvider, damagedText(path));
}

void FailStep(sqlite3* db, int rc) {
    const int primary = rc & 0xff;
    if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED && primary != SQLITE_CONSTRAINT) CheckPagesRead(db);
    FailSqlite(db, rc);
}

void CheckPagesRead(sqlite3* db) {
    Stmt st;
    int rc = sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master LIMIT 1", -1, st.out(), nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) return;
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_NOMEM) FailSqlite(db, rc);
    Distrust(db);
    FailDamaged(FileOf(db));
}

void Distrust(sqlite3* db) {
    distrusted.insert(db);
}

bool Distrusted(sqlite3* db) {
    return distrusted.contains(db);
}

void Forget(sqlite3* db) {
    distrusted.remove(db);
}

} // namespace ado::detail
