#include "core/mDialog.h"

#include "core/Main.h"

#include "apppath.h"
#include "filedialogs.h"
#include "vb.h"

#include <QDir>

namespace {

const QString kPicFilter =
    QStringLiteral("JPEG Obrazek (*.jpg)") + QChar(0) + QStringLiteral("*.jpg") + QChar(0);
const QString kOpenTitle = QStringLiteral("Načtení obrázku");
const QString kSaveTitle = QStringLiteral("Uložení obrázku");

// The answer up to its first NUL, blanks trimmed, so its last three
// characters are the extension.
QString cleanPath(const QString& answer) {
    const qsizetype nul = answer.indexOf(QChar(0));
    return vb::Trim(nul < 0 ? answer : answer.left(nul));
}

} // namespace

QString OpenObalPicDialog(QWidget* owner) {
    return cleanPath(GetOpenFileName(kOpenTitle, kPicFilter, GetSett(QStringLiteral("Covers"), AppPath()),
                                     QStringLiteral("jpg"), owner));
}

QString OpenNahledPicDialog(QWidget* owner) {
    return cleanPath(GetOpenFileName(kOpenTitle, kPicFilter, GetSett(QStringLiteral("Nahled"), AppPath()),
                                     QString(), owner));
}

QString SavePicDialog(QWidget* owner) {
    return cleanPath(GetSaveFileName(kSaveTitle, kPicFilter, QDir::homePath(), QStringLiteral("jpg"), owner));
}
