#pragma once
// Writing a whole file so that it either takes all the new bytes or keeps
// what it held: a temporary file renamed over it once every byte is written.
#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Why a file could not be written, in Czech (Qt's own texts are the system's,
// often English, or "Unknown error").
QString FileErrorText(QFileDevice::FileError error);

// False (with the reason, in Czech, in `error` when given) when the file could not be
// written completely; the earlier file is then left as it was.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Copies source over target the same way, piece by piece: a target that
// cannot be completed keeps what it held.
bool CopyWholeFile(const QString& source, const QString& target);
