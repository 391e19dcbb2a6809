#include "core/mBlobDATA.h"

#include "apppath.h"
#include "msgbox.h"
#include "vb.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cstdio>
#include <limits>

using ado::kChunkSize;

namespace {

enum VbFileErr : long { ErrDeviceIO = 57, ErrPathFileAccess = 75 };

// The stored size as the readers take it: Null (a row whose picture was
// never stored) and negative sizes count as no picture. A size that is no
// whole number a picture can have (another program wrote it) makes the
// picture unreadable.
qint64 storedSize(ado::Recordset& rs, const QString& sizeField) {
    const ado::Variant v = rs(sizeField).Value();
    if (v.isNull()) return 0;
    bool whole = v.type() == ado::Variant::Long;
    if (v.type() == ado::Variant::String || v.type() == ado::Variant::Double) {
        const double d = v.toDouble();
        whole = vb::IsNumeric(v) && d == double(qint64(d));
    }
    const qint64 size = whole ? v.toLong() : 0;
    if (!whole || size > std::numeric_limits<qint32>::max())
        throw vb::RuntimeError(ErrDeviceIO, QStringLiteral("Uložený obrázek je poškozený: jeho velikost '%1' "
                                                           "není platná.")
                                                .arg(v.toString()));
    return qMax<qint64>(0, size);
}

// A stored type names the working and export files: only a plain file
// extension will do (another program may have written anything there).
QString pictureType(const QString& ext) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,3}$"));
    if (!plain.match(ext).hasMatch())
        throw vb::RuntimeError(ErrDeviceIO, QStringLiteral("Uložený obrázek je poškozený: jeho typ není přípona "
                                                           "souboru."));
    return vb::LCase(ext);
}

enum class Written { Complete, Nothing, Failed };

// Where a picture is written, unbuffered (a buffered write that a full disk
// cuts short at the final flush still reports success). The working files go
// through QSaveFile (the editor stores them back, so they must survive a crash
// whole); the export files of the printed list are made anew on every print,
// so they skip the disk sync and are only renamed into place when complete.
class PictureOut {
public:
    PictureOut(const QString& target, bool durable)
        : target_(target), durable_(durable), save_(target), part_(target + QStringLiteral(".part")) {}
    ~PictureOut() { cancel(); }
    bool open() {
        if (durable_) return save_.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        return part_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
    }
    bool write(const QByteArray& bytes) {
        return (durable_ ? save_.write(bytes) : part_.write(bytes)) == bytes.size();
    }
    void cancel() {
        if (durable_) {
            if (save_.isOpen()) save_.cancelWriting();
        } else if (part_.isOpen() || part_.exists()) {
            part_.close();
            part_.remove();
        }
    }
    bool commit() {
        if (durable_) return save_.commit();
        part_.close();
        if (part_.error() != QFileDevice::NoError) return false;
        // The old export goes first, as every export makes its file anew: a
        // rename over an existing file makes the file system write the new
        // one out at once (it guards against a crash between the two), which
        // for each of thousands of previews costs more than the rest.
        QFile::remove(target_);
        return std::rename(QFile::encodeName(part_.fileName()).constData(),
                           QFile::encodeName(target_).constData()) == 0;
    }

private:
    QString target_;
    bool durable_;
    QSaveFile save_;
    QFile part_;
};

// Writes exactly `size` bytes of the data field to `target`. The file takes
// its new content only after every byte is written, so a failed write never
// leaves a cut picture under the name.
Written writeBlob(ado::Recordset& rs, const QString& dataField, const QString& sizeField,
                  const QString& target, bool durable) {
    ado::Field& data = rs(dataField);
    const qint64 size = storedSize(rs, sizeField);
    if (size == 0) {
        QFile::remove(target);
        return Written::Nothing;
    }
    PictureOut out(target, durable);
    if (!out.open()) return Written::Failed;
    auto piece = [&](qint64 length) {
        const QByteArray bytes = data.GetChunk(long(length));
        if (bytes.size() != length) {
            out.cancel();
            throw vb::RuntimeError(ErrDeviceIO,
                                   QStringLiteral("Uložený obrázek je poškozený: chybí mu část dat."));
        }
        return out.write(bytes);
    };
    bool ok = true;
    const qint64 remainder = size % kChunkSize;
    if (remainder > 0) ok = piece(remainder);
    for (qint64 i = size / kChunkSize; ok && i > 0; --i)
        ok = piece(kChunkSize);
    if (ok && out.commit()) return Written::Complete;
    out.cancel();
    return Written::Failed;
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
    const QString target = DataPath() + name + pictureType(ext);
    return writeBlob(rs, dataField, sizeField, target, true) == Written::Complete ? target : QString();
}

QString BlobToExportFile(ado::Recordset& rs, const QString& dataField, const QString& sizeField,
                         const QString& ext, long picId) {
    const QString name = QStringLiteral("n%1.%2").arg(picId).arg(pictureType(ext));
    const QString target = DataPath() + name;
    // An older export of the same picture must not stand in for one that failed.
    if (writeBlob(rs, dataField, sizeField, target, false) == Written::Failed) QFile::remove(target);
    return name;
}
