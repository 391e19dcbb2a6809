#pragma once
// The catalogue's access functions: every operation opens DBConnection, runs
// one query into DBRecordset, works on its rows and closes both again.
#include "ado.h"

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
// the current row.
long OpenRecordset(const QString& sql, bool append = false);
// Raises when the recordset is not open (the caller's handling applies).
void CloseRecordset();
// Never raises.
void CloseConnection();
// "" for Null, otherwise the value as text.
QString NullToStr(const ado::Variant& value);

// The picture store: pictures.ddb in the program's data folder (whatever the
// catalogue path), and its connection string.
QString PicturesPath();
QString PicturesConnString();
