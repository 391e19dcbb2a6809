#pragma once
// Downloads of the look-ups and the fetch of a preview picture.
#include "download.h"

#include <QString>

class QLabel;

// Downloads `url` into the local file `file` (replaced only on success),
// within the time limit of its kind. True when the transfer succeeded,
// whatever the content.
bool DownloadFile(const QString& url, const QString& file, Transfer kind = Transfer::Page);

// Fetches a picture by its path under the e-shop's site root into
// DataPath() + "webnahl." + the path's last three characters and shows it in
// `pic`. Returns that local path, or "" when the download failed (the picture
// box then keeps what it showed). A file that is no picture raises
// vb::RuntimeError 481 ("Invalid picture") after the download.
QString NactiWebNahled(const QString& relPath, QLabel* pic);

// The same for a picture by its complete address.
QString NactiWebNahledURL(const QString& url, QLabel* pic);
