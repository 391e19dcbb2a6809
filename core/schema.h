#pragma once
// The tables of the catalogue (data.ddb) and of the picture store
// (pictures.ddb), and the creation of both files, as an installation does.
#include <QString>
#include <QStringList>

namespace schema {

// The password of both files.
extern const QString kPassword; // "TrOkLsnBHW"

// The statements that lay out each file (tables and indexes).
QStringList CatalogueDDL();
QStringList PictureStoreDDL();
// The catalogue's indexes, each created only where it is missing.
QStringList CatalogueIndexes();
// Gives a catalogue made before the indexes it lacks; false when it cannot
// be written (a write-protected, locked or damaged file works without them).
bool AddMissingIndexes(const QString& path);

// A short list of Czech genres and departments for a fresh installation.
QStringList DefaultGenres();
QStringList DefaultDepartments();

// Create the file with its tables; an existing file is never touched (an
// ado::Error is raised instead). withDefaults fills the genre and department
// lists with the default ones.
void CreateCatalogue(const QString& path, bool withDefaults = false);
void CreatePictureStore(const QString& path);

// The connection string of a file: kConnHead + path + kConnTail
// ("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" ... ";Jet OLEDB:Database Password=TrOkLsnBHW").
extern const QString kConnHead;
extern const QString kConnTail;
QString ConnString(const QString& path);

} // namespace schema
