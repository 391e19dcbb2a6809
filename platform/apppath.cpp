#include "apppath.h"

#include <QCoreApplication>

namespace {
QString& overridePath() {
    static QString path;
    return path;
}
} // namespace

QString AppPath() {
    if (!overridePath().isEmpty()) return overridePath();
    return QCoreApplication::applicationDirPath();
}

void SetAppPath(const QString& path) {
    overridePath() = path;
}

QString DataPath() {
    return AppPath() + QStringLiteral("/data/");
}
