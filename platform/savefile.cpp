#include "savefile.h"

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
