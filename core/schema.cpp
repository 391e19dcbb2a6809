#include "core/schema.h"

#include "ado.h"

#include <QFile>

namespace schema {

const QString kPassword = QStringLiteral("TrOkLsnBHW");

// Keys never come back (AUTOINCREMENT): a new film cannot inherit the loans or
// pictures of a deleted one. Texts compare in the Czech collation CZ, case
// ignored; dates are texts 'YYYY-MM-DD HH:MM:SS'.
QStringList CatalogueDDL() {
    return QStringList{
        QStringLiteral("CREATE TABLE tDVD ("
                       "DVDID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "CZJm TEXT COLLATE CZ, "
                       "PuvJm TEXT COLLATE CZ, "
                       "KatCisl TEXT COLLATE CZ, "
                       "Zanr TEXT COLLATE CZ, "
                       "DiskPocet INTEGER, "
                       "Obsah TEXT COLLATE CZ, "
                       "Jazyk INTEGER, "
                       "Stat TEXT COLLATE CZ, "
                       "Rezie TEXT COLLATE CZ, "
                       "Delka TEXT COLLATE CZ, "
                       "Rok TEXT COLLATE CZ, "
                       "Oddel_ID INTEGER, "
                       "Herci TEXT COLLATE CZ, "
                       "Poznamka TEXT COLLATE CZ, "
                       "Nabidka TEXT COLLATE CZ, "
                       "JazykDetail TEXT COLLATE CZ, "
                       "Titulky TEXT COLLATE CZ, "
                       "Obal_ID INTEGER, "
                       "Nahled_ID INTEGER)"),
        QStringLiteral("CREATE TABLE tZanr ("
                       "ZID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "ZNAME TEXT COLLATE CZ, "
                       "ZCOLOR INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE TABLE tOddeleni ("
                       "ODID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "OdJm TEXT COLLATE CZ)"),
        QStringLiteral("CREATE TABLE tUser ("
                       "USID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "USNAME TEXT COLLATE CZ, "
                       "USADR TEXT COLLATE CZ, "
                       "USPHONE TEXT COLLATE CZ, "
                       "USMAIL TEXT COLLATE CZ, "
                       "USPOZN TEXT COLLATE CZ, "
                       "USREGNUM TEXT COLLATE CZ)"),
        // P_ID is only there so that a loan row can be written back through a join.
        QStringLiteral("CREATE TABLE tPujcky ("
                       "P_ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "P_UID INTEGER, "
                       "P_DVDID INTEGER, "
                       "PDatPujcky DATETIME, "
                       "PDatVraceni DATETIME)"),
    } + CatalogueIndexes();
}

// The lists read in these orders; the loans are looked up by film and whether
// returned, by client (and film and whether returned, as the return panel
// asks: with only the client, SQLite would walk all of a client's loans for
// every film), and the open ones on their own.
QStringList CatalogueIndexes() {
    return {
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixDVD_CZJm ON tDVD (CZJm COLLATE CZ)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixDVD_KatCisl ON tDVD (KatCisl COLLATE CZ)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixUser_USNAME ON tUser (USNAME COLLATE CZ)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixPujcky_Film ON tPujcky (P_DVDID, PDatVraceni)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixPujcky_Client ON tPujcky (P_UID, P_DVDID, PDatVraceni)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixPujcky_Open ON tPujcky (PDatVraceni)"),
    };
}

bool AddMissingIndexes(const QString& path) {
    try {
        ado::Connection cn;
        cn.Open(ConnString(path));
        cn.Execute(QStringLiteral("BEGIN"));
        for (const QString& sql : CatalogueIndexes())
            cn.Execute(sql);
        cn.Execute(QStringLiteral("COMMIT"));
        cn.Close();
        return true;
    } catch (const vb::RuntimeError&) { // rolled back by the close
        return false;
    }
}

QStringList PictureStoreDDL() {
    return {
        QStringLiteral("CREATE TABLE tPicture ("
                       "PicID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "PicDVDID INTEGER, "
                       "PicSkup TEXT COLLATE CZ, "
                       "PicTyp TEXT COLLATE CZ, "
                       "PicSize INTEGER, "
                       "PicDat BLOB)"),
        QStringLiteral("CREATE INDEX ixPicture_DVDID ON tPicture (PicDVDID)"),
    };
}

QStringList DefaultGenres() {
    return {QStringLiteral("Akční"),        QStringLiteral("Animovaný"),  QStringLiteral("Dobrodružný"),
            QStringLiteral("Dokumentární"), QStringLiteral("Drama"),      QStringLiteral("Fantasy"),
            QStringLiteral("Historický"),   QStringLiteral("Horor"),      QStringLiteral("Komedie"),
            QStringLiteral("Krimi"),        QStringLiteral("Muzikál"),    QStringLiteral("Pohádka"),
            QStringLiteral("Rodinný"),      QStringLiteral("Romantický"), QStringLiteral("Sci-fi"),
            QStringLiteral("Thriller"),     QStringLiteral("Válečný"),    QStringLiteral("Western")};
}

QStringList DefaultDepartments() {
    return {QStringLiteral("Filmy"), QStringLiteral("Seriály"), QStringLiteral("Dokumenty"),
            QStringLiteral("Koncerty"), QStringLiteral("Pro děti")};
}

const QString kConnHead = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=");
const QString kConnTail = QStringLiteral(";Jet OLEDB:Database Password=TrOkLsnBHW");

QString ConnString(const QString& path) {
    return kConnHead + path + kConnTail;
}

namespace {

QString quoted(QString text) {
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

void createFile(const QString& path, const QStringList& statements, bool largeValues = false) {
    ado::CreateDatabase(path, kPassword, largeValues);
    try {
        ado::Connection cn;
        cn.Open(ConnString(path));
        cn.Execute(QStringLiteral("BEGIN"));
        for (const QString& sql : statements)
            cn.Execute(sql);
        cn.Execute(QStringLiteral("COMMIT"));
        cn.Close();
    } catch (...) {
        QFile::remove(path); // ours: CreateDatabase refused an existing file
        throw;
    }
}

} // namespace

void CreateCatalogue(const QString& path, bool withDefaults) {
    QStringList statements = CatalogueDDL();
    if (withDefaults) {
        for (const QString& g : DefaultGenres())
            statements << QStringLiteral("INSERT INTO tZanr (ZNAME) VALUES (%1)").arg(quoted(g));
        for (const QString& o : DefaultDepartments())
            statements << QStringLiteral("INSERT INTO tOddeleni (OdJm) VALUES (%1)").arg(quoted(o));
    }
    createFile(path, statements);
}

void CreatePictureStore(const QString& path) {
    createFile(path, PictureStoreDDL(), true);
}

} // namespace schema
