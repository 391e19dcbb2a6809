#include "shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {
shell::Recorder*& activeRecorder() {
    static shell::Recorder* r = nullptr;
    return r;
}
} // namespace

namespace shell {
Recorder::Recorder() : previous_(activeRecorder()) {
    activeRecorder() = this;
}
Recorder::~Recorder() {
    activeRecorder() = previous_;
}
} // namespace shell

QUrl ShellUrl(const QString& fileOrUrl) {
    const QString t = fileOrUrl.trimmed();
    if (t.isEmpty()) return {};
    if (QDir::isAbsolutePath(t) || QFileInfo::exists(t))
        return QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath());
    const QUrl url(t, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1) return url;
    return QUrl::fromUserInput(t, QDir::currentPath());
}

bool ShellOpen(const QString& fileOrUrl) {
    const QUrl url = ShellUrl(fileOrUrl);
    if (shell::Recorder* r = activeRecorder()) {
        r->calls_.append({fileOrUrl, url});
        return r->result;
    }
    return url.isValid() && QDesktopServices::openUrl(url);
}
