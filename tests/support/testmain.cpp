#include "testmain.h"

#include <QDir>

namespace testsupport {
void useTemporaryHome(const QString& home) {
    const QByteArray h = home.toLocal8Bit();
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/.config");
    qputenv("XDG_RUNTIME_DIR", h + "/runtime");
    QDir().mkpath(home + "/.config");
    QDir().mkpath(home + "/runtime");
    QFile::setPermissions(home + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}
} // namespace testsupport
