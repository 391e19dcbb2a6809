#pragma once
// The catalogue's access functions: every operation opens DBConnection, runs
// one query into DBRecordset, works on its rows and closes both again.
#include "ado.h"
#include "err.h"

#include <QString>


// Full path of the catalogue file, fixed at start-up.
extern QString DBPath;
// The connection string built by OpenConnection.
extern QString DBConnString;
// The one connection and the one recordset of the catalogue.
extern ado::Connection DBConnection;
extern ado::Recordset DBRecordset;

// Fresh connection and recordset; a failed open shows the error's description
// in a message box and leaves the connection closed.
void OpenConnection();
// Runs sql into DBRecordset; returns its record count, 0 when it is empty or
// the query failed. Never raises. append: a new row is added at once and is
// the current row; the rows are not counted then (0), so a large table is
// not read for an append.
long OpenRecordset(const QString& sql, bool append = false);
// Raises when the recordset is not open (the caller's handling applies).
void CloseRecordset();
// Closes DBRecordset too when it is open. Never raises.
void CloseConnection();
// True while DBRecordset is open on a row.
bool RecordsetHasRow();

// Why this operation's OpenConnection or OpenRecordset failed (Number 0 when
// neither did); kept until the next OpenConnection.
const ErrState& DBFailure();
// Raises why this operation's DBRecordset is not open: the failure of its
// OpenConnection or OpenRecordset, with an empty description when no reason
// is known. Returns when it is open.
void RequireRecordset();
// Opens the catalogue and runs sql into DBRecordset for reading, showing no
// box; false when the catalogue or the query could not be opened (DBFailure
// says why; the connection is closed again).
bool OpenQuery(const QString& sql);
// One box for a read that failed: `what`, then the reason.
void ShowReadFailure(const QString& what, const QString& title = QString());
// OpenQuery, with ShowReadFailure(what) when it fails: the caller then shows
// no empty result as if the catalogue held nothing.
bool OpenForReading(const QString& sql, const QString& what);
// When DBRecordset is not open (its query failed), ShowReadFailure(what) and true.
bool ReadFailed(const QString& what);
// Moves DBRecordset on; false, with the error kept in err, when it cannot (a
// loop over the rows must not spin on one row).
bool MoveNextRow(ErrState& err);

// "" for Null, otherwise the value as text.
QString NullToStr(const ado::Variant& value);

// The picture store: pictures.ddb in the program's data folder (whatever the
// catalogue path), and its connection string.
QString PicturesPath();
QString PicturesConnString();

// The film's cover ("O") and preview ("N") in the picture store, each on a
// connection of its own, so the film editor may call them while it holds
// DBConnection on the film's row. Errors are shown as their description in a
// message box and the operation gives up.
//
// Stores the file as the film's picture of that kind (one row per film and
// kind, keeping its PicID) and returns the row's PicID. When the file is
// empty, missing or unreadable nothing is stored: the film's existing row (if
// any) is left as it was and its PicID returned, otherwise 0.
long SaveObalPic(long DVDID, const QString& path);
long SaveNahledPic(long DVDID, const QString& path);
// Writes the picture picId to the working file data/obal.<type> (data/nahled.<type>),
// the type in lower case, and returns that file's path. "" when there is
// nothing to show: a picture of size 0 (quietly), or a row that is missing,
// unreadable or could not be written whole (each with a message). The editor
// shows the file itself.
QString LoadObalPic(long picId);
QString LoadNahledPic(long picId);
