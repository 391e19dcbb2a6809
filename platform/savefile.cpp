#include "savefile.h"

#include <QFile>
#include <QSaveFile>

QString FileErrorText(QFileDevice::FileError error) {
    switch (error) {
    case QFileDevice::ResourceError:
        return QStringLiteral("Na disku není dost volného místa.");
    case QFileDevice::WriteError:
        return QStringLiteral("Zápis na disk selhal, na disku patrně není dost volného místa.");
    case QFileDevice::OpenError:
        return QStringLiteral("Soubor nelze vytvořit: složka chybí, nebo do ní nelze zapisovat.");
    case QFileDevice::PermissionsError:
        return QStringLiteral("K souboru nemá program přístup.");
    case QFileDevice::RenameError:
        return QStringLiteral("Nový soubor nelze dát na místo starého (soubor je chráněn proti zápisu?).");
    default:
        return QStringLiteral("Zápis souboru selhal.");
    }
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    // Unbuffered: a buffered write that a full disk cuts short at the final
    // flush still reports success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error) *error = FileErrorText(file.error());
        return false;
    }
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        // A write cut short with no error of its own: the disk (or the file's
        // allowed size) is full.
        if (error) *error = FileErrorText(written >= 0 ? QFileDevice::ResourceError : file.error());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = FileErrorText(file.error());
        return false;
    }
    return true;
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
