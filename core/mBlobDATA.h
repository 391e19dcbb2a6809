#pragma once
// Moving a picture between a file and a long binary field, in pieces of
// ado::kChunkSize bytes: first the remainder (size % kChunkSize), then the
// whole pieces. No more than one piece is held in memory.
#include "ado.h"

#include <QString>

// Fills the data field of the current row from the file and sets the size
// field to its length. An empty path does nothing. A file that cannot be
// opened or read raises; an empty file shows
// "<path> je poškozený nebo nebyl nalezen." and leaves both fields as they were.
void FileToBlob(ado::Recordset& rs, const QString& path, const QString& dataField, const QString& sizeField);

// Writes the current row's picture (exactly the size field's count of bytes)
// to data/obal.<ext lower> for kind "O", data/nahled.<ext lower> otherwise.
// Returns the path written; "" when the size is 0 or Null (any old file of
// that name is removed then) or when the file could not be written completely
// (an old file of that name is kept as it was). A field holding fewer bytes
// than its size raises, and so do a row the recordset cannot read, a size
// that is no whole number and an extension that is not one to three letters
// or digits (no file is written then).
QString BlobToFile(ado::Recordset& rs, const QString& dataField, const QString& sizeField, const QString& ext,
                   const QString& kind);

// As BlobToFile into data/n<picId>.<ext lower>; returns the bare file name
// "n<picId>.<ext lower>" whether or not a file was written. When nothing
// could be written no file of that name is left behind.
QString BlobToExportFile(ado::Recordset& rs, const QString& dataField, const QString& sizeField,
                         const QString& ext, long picId);

namespace blobdata {
// FileToBlob's work: the number of bytes put into the field, 0 when nothing
// was (empty path, empty file).
qint64 StoreFile(ado::Recordset& rs, const QString& path, const QString& dataField, const QString& sizeField);
} // namespace blobdata
