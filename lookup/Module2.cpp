#include "lookup/Module2.h"

#include "err.h"

#include <QFile>
#include <QFileInfo>

QString Utf8ToString(const QByteArray& bytes) {
    // QString::fromUtf8 keeps a leading BOM and replaces bad bytes, as the
    // Windows conversion does.
    return QString::fromUtf8(bytes);
}

QString ReadUTF8File(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) throw vb::RuntimeError(vb::ErrFileNotFound, QStringLiteral("File not found"));
    if (info.size() == 0) return QString();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw vb::RuntimeError(75, QStringLiteral("Path/File access error"));
    return Utf8ToString(f.readAll());
}
