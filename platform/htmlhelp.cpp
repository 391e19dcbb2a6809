#include "htmlhelp.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {
htmlhelp::Recorder*& activeRecorder() {
    static htmlhelp::Recorder* r = nullptr;
    return r;
}
} // namespace

namespace htmlhelp {
Recorder::Recorder() : previous_(activeRecorder()) {
    activeRecorder() = this;
}
Recorder::~Recorder() {
    activeRecorder() = previous_;
}
} // namespace htmlhelp

bool HtmlHelpShow(const QString& chmPath) {
    QString file = chmPath;
    const qsizetype window = file.indexOf(QLatin1Char('>'));
    if (window >= 0) file.truncate(window);
    if (htmlhelp::Recorder* r = activeRecorder()) {
        r->files_.append(file);
        return r->result;
    }
    const QFileInfo info(file);
    if (!info.isFile()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}
