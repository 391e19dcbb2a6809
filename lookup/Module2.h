#pragma once
// Reading downloaded pages that are written in UTF-8.
#include <QByteArray>
#include <QString>

// The whole file decoded from UTF-8; "" for an empty file. A missing file
// raises vb::RuntimeError 53 ("File not found"), an unreadable one 75.
QString ReadUTF8File(const QString& path);

// The bytes decoded from UTF-8. A byte order mark is kept as U+FEFF; each
// invalid sequence gives U+FFFD.
QString Utf8ToString(const QByteArray& bytes);
