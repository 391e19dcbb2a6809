#include "savefile.h"

#include <QFile>
#include <QSaveFile>

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    // Unbuffered: a buffered write that a full disk cuts short at the final
    // flush still reports success.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() &&
              file.commit();
    if (!ok) {
        if (error) *error = file.errorString();
        file.cancelWriting();
    }
    return ok;
}

bool CopyWholeFile(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    while (!in.atEnd()) {
        const QByteArray piece = in.read(1 << 16);
        if (piece.isEmpty() || out.write(piece) != piece.size()) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}
