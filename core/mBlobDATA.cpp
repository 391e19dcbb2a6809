#include "core/mBlobDATA.h"

#include "apppath.h"
#include "msgbox.h"
#include "vb.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>

using ado::kChunkSize;

namespace {

enum VbFileErr : long { ErrDeviceIO = 57, ErrPathFileAccess = 75 };

// The stored size as the readers take it: Null (a row whose picture was
// never stored) and negative sizes count as no picture.
qint64 storedSize(ado::Recordset& rs, const QString& sizeField) {
    const ado::Variant v = rs(sizeField).Value();
    if (v.isNull()) return 0;
    return qMax<qint64>(0, vb::CLng(v));
}

enum class Written { Complete, Nothing, Failed };

// Writes exactly `size` bytes of the data field to `target`. The file takes
// its new content only after every byte is written and flushed, so a failed
// write never leaves a cut picture under the name.
Written writeBlob(ado::Recordset& rs, const QString& dataField, const QString& sizeField,
                  const QString& target) {
    ado::Field& data = rs(dataField);
    const qint64 size = storedSize(rs, sizeField);
    if (size == 0) {
        QFile::remove(target);
        return Written::Nothing;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return Written::Failed;
    auto piece = [&](qint64 length) {
        const QByteArray bytes = data.GetChunk(long(length));
        if (bytes.size() != length) {
            out.cancelWriting();
            throw vb::RuntimeError(ErrDeviceIO,
                                   QStringLiteral("Uložený obrázek je poškozený: chybí mu část dat."));
        }
        return out.write(bytes) == length;
    };
    bool ok = true;
    const qint64 remainder = size % kChunkSize;
    if (remainder > 0) ok = piece(remainder);
    for (qint64 i = size / kChunkSize; ok && i > 0; --i)
        ok = piece(kChunkSize);
    if (!ok) {
        out.cancelWriting();
        return Written::Failed;
    }
    return out.commit() ? Written::Complete : Written::Failed;
}

} // namespace

namespace blobdata {

qint64 StoreFile(ado::Recordset& rs, const QString& path, const QString& dataField,
                 const QString& sizeField) {
    if (path.isEmpty()) return 0;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path))
            throw vb::RuntimeError(vb::ErrFileNotFound, QStringLiteral("Soubor %1 nebyl nalezen.").arg(path));
        throw vb::RuntimeError(ErrPathFileAccess,
                               QStringLiteral("Soubor %1 nelze otevřít pro čtení.").arg(path));
    }
    const qint64 size = file.size();
    if (size == 0) {
        file.close();
        MsgBox(path + QStringLiteral(" je poškozený nebo nebyl nalezen."), vb::vbOKOnly);
        return 0;
    }
    if (size > std::numeric_limits<qint32>::max())
        throw vb::RuntimeError(vb::ErrOverflow,
                               QStringLiteral("Soubor %1 je příliš velký na uložení.").arg(path));

    ado::Field& data = rs(dataField);
    ado::Field& sizeOut = rs(sizeField);
    QByteArray buffer(qsizetype(kChunkSize), Qt::Uninitialized);
    auto piece = [&](qint64 length) {
        if (file.read(buffer.data(), length) != length)
            throw vb::RuntimeError(ErrDeviceIO,
                                   QStringLiteral("Soubor %1 se nepodařilo přečíst celý.").arg(path));
        data.AppendChunk(QByteArray::fromRawData(buffer.constData(), qsizetype(length)));
    };
    const qint64 remainder = size % kChunkSize;
    if (remainder > 0) piece(remainder);
    for (qint64 i = size / kChunkSize; i > 0; --i)
        piece(kChunkSize);
    file.close();
    sizeOut = ado::Variant(qint32(size));
    return size;
}

} // namespace blobdata

void FileToBlob(ado::Recordset& rs, const QString& path, const QString& dataField, const QString& sizeField) {
    blobdata::StoreFile(rs, path, dataField, sizeField);
}

QString BlobToFile(ado::Recordset& rs, const QString& dataField, const QString& sizeField, const QString& ext,
                   const QString& kind) {
    const QString name = kind == QLatin1String("O") ? QStringLiteral("obal.") : QStringLiteral("nahled.");
    const QString target = DataPath() + name + vb::LCase(ext);
    return writeBlob(rs, dataField, sizeField, target) == Written::Complete ? target : QString();
}

QString BlobToExportFile(ado::Recordset& rs, const QString& dataField, const QString& sizeField,
                         const QString& ext, long picId) {
    const QString name = QStringLiteral("n%1.%2").arg(picId).arg(vb::LCase(ext));
    const QString target = DataPath() + name;
    // An older export of the same picture must not stand in for one that failed.
    if (writeBlob(rs, dataField, sizeField, target) == Written::Failed) QFile::remove(target);
    return name;
}
