#include "lookup/mNewVersion.h"

#include "core/Main.h"
#include "lookup/frmNewVersion.h"
#include "lookup/mModInetPic.h"
#include "lookup/webroots.h"

#include "apppath.h"
#include "codepage.h"
#include "msgbox.h"

#include <QFile>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Compares two runs of digits as whole numbers of any length: -1, 0 or 1.
int compareNumbers(QStringView a, QStringView b) {
    auto strip = [](QStringView s) {
        qsizetype i = 0;
        while (i < s.size() - 1 && s[i] == u'0')
            ++i;
        return s.mid(i);
    };
    a = strip(a);
    b = strip(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool isWholeNumber(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

} // namespace

QString VersionFileUrl() {
    return SupportRoot() + QStringLiteral("podpora/files/dvdmervaver.asp");
}

QString UpgradeUrl() {
    return SupportRoot() + QStringLiteral("podpora/files/setupupgrade.exe");
}

QString FirstInputValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] == u'"') {
        const qsizetype end = text.indexOf(u'"', i + 1);
        const qsizetype lineEnd = [&] {
            for (qsizetype k = i + 1; k < text.size(); ++k)
                if (text[k] == u'\r' || text[k] == u'\n') return k;
            return text.size();
        }();
        // An unclosed quote runs to the end of the line.
        return text.mid(i + 1, (end < 0 || end > lineEnd ? lineEnd : end) - i - 1);
    }
    qsizetype end = i;
    while (end < text.size() && text[end] != u',' && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    qsizetype last = end;
    while (last > i && isBlank(text[last - 1]))
        --last;
    return text.mid(i, last - i);
}

bool IsNewerVersion(const QString& value, int major, int minor, int revision) {
    const QStringList parts = value.split(u'-');
    if (parts.size() != 3) return false;
    QStringView offered[3];
    for (int k = 0; k < 3; ++k) {
        offered[k] = QStringView(parts[k]).trimmed();
        if (!isWholeNumber(offered[k])) return false;
    }
    // The first number in which the two differ decides.
    const int mine[3] = {major, minor, revision};
    for (int k = 0; k < 3; ++k)
        if (const int c = compareNumbers(offered[k], QString::number(mine[k]))) return c > 0;
    return false; // the same version
}

bool CheckNewVersion() {
    const QString file = DataPath() + QStringLiteral("dvdver.inf");
    if (!DownloadFile(VersionFileUrl(), file, Transfer::VersionCheck)) return false;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    // The version file is a short text; an error page in its place can be
    // long, and only its first line matters.
    QByteArray head = f.read(64 * 1024);
    if (head.startsWith("\xEF\xBB\xBF")) head.remove(0, 3); // a file saved by a UTF-8 editor
    return IsNewerVersion(FirstInputValue(cp1250::toUnicode(head)), kVerMajor, kVerMinor, kVerRevision);
}

void ShowNewVersionDialog(QWidget* owner) {
    frmNewVersion dlg(owner);
    dlg.exec();
}

void ZjistitNovouVerzi(QWidget* owner) {
    if (!CheckNewVersion()) {
        MsgBox(QStringLiteral("Máte nejaktuálnější verzi aplikace."), vb::vbInformation,
               QStringLiteral("Dotaz na novou verzi"));
        return;
    }
    ShowNewVersionDialog(owner);
}
