#include "lookup/Module2.h"

#include "err.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

QString Utf8ToString(const QByteArray& bytes) {
    // A leading byte order mark is kept and bad bytes become U+FFFD, as the
    // Windows conversion did; stateless, so a sequence cut off at the end of
    // the data is bad too rather than kept back for data that never comes.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QString ReadUTF8File(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        throw vb::RuntimeError(vb::ErrFileNotFound, QStringLiteral("File not found"));
    if (info.size() == 0) return QString();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw vb::RuntimeError(75, QStringLiteral("Path/File access error"));
    return Utf8ToString(f.readAll());
}
