#include "lookup/mModInetPic.h"

#include "apppath.h"
#include "download.h"
#include "err.h"
#include "lookup/webroots.h"

#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

namespace {

constexpr long kErrInvalidPicture = 481;

// Both fetchers share the file name, so the last preview of an extension
// replaces the one before.
QString fetchPreview(const QString& address, const QString& nameOf, QLabel* pic) {
    const QString local = DataPath() + QStringLiteral("webnahl.") + nameOf.right(3);
    if (!DownloadFile(address, local, Transfer::Picture)) return QString();
    QPixmap picture;
    if (!QFileInfo::exists(local))
        throw vb::RuntimeError(vb::ErrFileNotFound, QStringLiteral("File not found"));
    if (!picture.load(local)) throw vb::RuntimeError(kErrInvalidPicture, QStringLiteral("Invalid picture"));
    if (pic) pic->setPixmap(picture);
    return local;
}

} // namespace

bool DownloadFile(const QString& url, const QString& file, Transfer kind) {
    return URLDownloadToFile(url, file, kind);
}

QString NactiWebNahled(const QString& relPath, QLabel* pic) {
    // The path is appended as cut from the page: a leading "/" gives "//".
    return fetchPreview(EShopRoot() + relPath, relPath, pic);
}

QString NactiWebNahledURL(const QString& url, QLabel* pic) {
    return fetchPreview(url, url, pic);
}
