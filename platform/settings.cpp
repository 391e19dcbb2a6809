#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

// The file is read and written here rather than through QSettings: its INI
// parsing turns a hand-written value with a comma into a list and cuts it at
// ";" or "\", and a catalogue path written by hand must be read as written.

namespace {

const QLatin1Char kQuote('"');
const QLatin1Char kBackslash('\\');

// Settings are a few short lines; a file far larger is no settings file.
constexpr qint64 kMaxBytes = qint64(1) << 20;

// Only a regular file of a sane size is read or written: a pipe or a device
// in its place would block the start or never end.
bool isSettingsFile(const QString& file) {
    const QFileInfo info(file);
    return info.isFile() && info.size() <= kMaxBytes;
}

QStringList readLines(const QString& file) {
    if (!isSettingsFile(file)) return {};
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes) return {};
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast(); // the closing line end
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    return lines;
}

// The name of a "[Section]" line, or a null text for any other line.
QString sectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']'))) return QString();
    return t.mid(1, t.size() - 2).trimmed();
}

// Whether `line` is "key=..." for `key` (case as the user wrote it).
bool isKeyLine(const QString& line, const QString& key) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq >= 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0;
}

// The first and the one-past-last line of the section's body; first is -1 when it is missing.
std::pair<qsizetype, qsizetype> sectionBody(const QStringList& lines, const QString& section) {
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionOf(lines[i]);
        if (name.isNull()) continue;
        if (first >= 0) return {first, i};
        if (name.compare(section, Qt::CaseInsensitive) == 0) first = i + 1;
    }
    return {first, lines.size()};
}

// A value wrapped in double quotes, as one holding a line break or itself so
// wrapped is written (and as earlier versions wrote one holding "," or ";"),
// is read without the quotes, with \" \\ \n \r inside standing for themselves.
QString decoded(const QString& raw) {
    if (raw.size() < 2 || !raw.startsWith(kQuote) || !raw.endsWith(kQuote)) return raw;
    QString out;
    for (qsizetype i = 1; i < raw.size() - 1; ++i) {
        const QChar c = raw[i];
        if (c != kBackslash || i + 1 == raw.size() - 1) {
            out += c;
            continue;
        }
        const QChar next = raw[++i];
        if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (next == kQuote || next == kBackslash)
            out += next;
        else
            out += QString(kBackslash) + next;
    }
    return out;
}

QString encoded(const QString& value) {
    const bool quoted = value.size() >= 2 && value.startsWith(kQuote) && value.endsWith(kQuote);
    if (!quoted && !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r'))) return value;
    QString out(kQuote);
    for (const QChar c : value) {
        if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == kQuote || c == kBackslash)
            out += QString(kBackslash) + c;
        else
            out += c;
    }
    return out + kQuote;
}

} // namespace

QString SettingsFile(const QString& application) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           application + QStringLiteral(".ini");
}

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue) {
    const QStringList lines = readLines(SettingsFile(application));
    const auto [first, end] = sectionBody(lines, section);
    if (first < 0) return defaultValue;
    // The last line of the key counts, as when the user adds one below.
    for (qsizetype i = end - 1; i >= first; --i)
        if (isKeyLine(lines[i], key)) return decoded(lines[i].mid(lines[i].indexOf(QLatin1Char('=')) + 1));
    return defaultValue;
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value) {
    const QString file = SettingsFile(application);
    // Whatever else stands under the name is the user's, and stays.
    if (QFileInfo(file).exists() && !isSettingsFile(file)) return;
    QStringList lines = readLines(file);
    const QString line = key + QLatin1Char('=') + encoded(value);
    auto [first, end] = sectionBody(lines, section);
    if (first < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
        lines << QLatin1Char('[') + section + QLatin1Char(']') << line;
    } else {
        // The key's first line takes the value; any later ones go.
        qsizetype at = -1;
        for (qsizetype i = end - 1; i >= first; --i) {
            if (!isKeyLine(lines[i], key)) continue;
            if (at >= 0) lines.removeAt(at);
            at = i;
        }
        if (at >= 0) {
            lines[at] = line;
        } else {
            while (end > first && lines[end - 1].trimmed().isEmpty())
                --end; // after the section's last entry, before the blank lines
            lines.insert(end, line);
        }
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return;
    out.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    out.commit();
}
