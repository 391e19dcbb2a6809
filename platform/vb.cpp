#include "vb.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace vb {

namespace {

[[noreturn]] void raiseInvalidArgument() {
    throw RuntimeError(ErrGeneric, QStringLiteral("Invalid procedure call or argument"));
}
[[noreturn]] void raiseOverflow() {
    throw RuntimeError(ErrOverflow, QStringLiteral("Overflow"));
}
[[noreturn]] void raiseTypeMismatch() {
    throw RuntimeError(ErrTypeMismatch, QStringLiteral("Type mismatch"));
}
[[noreturn]] void raiseNull() {
    throw RuntimeError(ErrInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}

Qt::CaseSensitivity cs(CompareMethod compare) {
    return compare == vbTextCompare ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

// strtod on plain ASCII in the C form; inf/nan never reach it.
double toDoubleC(const QByteArray& ascii) {
    return std::strtod(ascii.constData(), nullptr);
}

// Round half to even, then check the range.
qint64 roundChecked(double d, qint64 lo, qint64 hi) {
    if (!std::isfinite(d)) raiseOverflow();
    const double r = std::nearbyint(d); // the default rounding mode: to nearest, ties to even
    if (r < double(lo) || r > double(hi)) raiseOverflow();
    return qint64(r);
}

double numberOf(const ado::Variant& v) {
    switch (v.type()) {
    case ado::Variant::Null:
        raiseNull();
    case ado::Variant::Long:
        return double(v.raw().toLongLong());
    case ado::Variant::Double:
        return v.raw().toDouble();
    case ado::Variant::Boolean:
        return v.raw().toBool() ? -1.0 : 0.0;
    case ado::Variant::Date:
        return DateToDouble(v.raw().toDateTime());
    case ado::Variant::String: {
        double d = 0;
        if (!TryParseNumber(v.raw().toString(), d)) raiseTypeMismatch();
        return d;
    }
    case ado::Variant::Binary:
        break;
    }
    raiseTypeMismatch();
}

int yearOf(const QString& text) {
    const int y = text.toInt();
    if (text.size() > 2) return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

} // namespace

// --- texts -----------------------------------------------------------------

QString LTrim(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString RTrim(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QString Trim(const QString& s) {
    return LTrim(RTrim(s));
}

QString UCase(const QString& s) {
    QString r = s;
    for (QChar& c : r)
        c = c.toUpper();
    return r;
}

QString LCase(const QString& s) {
    QString r = s;
    for (QChar& c : r)
        c = c.toLower();
    return r;
}

int Len(const QString& s) {
    return int(s.size());
}

int InStr(int start, const QString& s, const QString& find, CompareMethod compare) {
    if (start < 1) raiseInvalidArgument();
    if (s.isEmpty()) return 0;
    if (find.isEmpty()) return start <= s.size() + 1 ? start : 0;
    if (start > s.size()) return 0;
    return int(s.indexOf(find, start - 1, cs(compare))) + 1;
}

int InStr(const QString& s, const QString& find) {
    return InStr(1, s, find);
}

int InStrRev(const QString& s, const QString& find, int start, CompareMethod compare) {
    if (start == 0 || start < -1) raiseInvalidArgument();
    if (s.isEmpty()) return 0;
    if (start == -1) start = int(s.size());
    if (find.isEmpty()) return start <= s.size() ? start : 0;
    if (start > s.size()) return 0;
    // the match has to end at or before `start`
    const qsizetype from = qsizetype(start) - find.size();
    if (from < 0) return 0;
    return int(s.lastIndexOf(find, from, cs(compare))) + 1;
}

QString Replace(const QString& expression, const QString& find, const QString& replaceWith, int start,
                int count, CompareMethod compare) {
    if (start < 1 || count < -1) raiseInvalidArgument();
    if (start > expression.size()) return QString();
    const QStringView rest = QStringView(expression).mid(start - 1);
    if (find.isEmpty() || count == 0) return rest.toString();
    // Built in one pass: replacing in place moves the whole tail for every match.
    QString r;
    r.reserve(rest.size());
    qsizetype from = 0;
    int done = 0;
    for (qsizetype at; (count == -1 || done < count) && (at = rest.indexOf(find, from, cs(compare))) >= 0;
         ++done) {
        r += rest.mid(from, at - from);
        r += replaceWith;
        from = at + find.size();
    }
    r += rest.mid(from);
    return r;
}

QString Left(const QString& s, int length) {
    if (length < 0) raiseInvalidArgument();
    return s.left(length);
}

namespace {
// UTF-16 units of the character at i.
int charWidth(const QString& s, qsizetype i) {
    return s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate() ? 2 : 1;
}
} // namespace

int CharCount(const QString& s) {
    int n = 0;
    for (qsizetype i = 0; i < s.size(); i += charWidth(s, i))
        ++n;
    return n;
}

QString LeftChars(const QString& s, int count) {
    qsizetype end = 0;
    for (int n = 0; n < count && end < s.size(); ++n)
        end += charWidth(s, end);
    return s.left(end);
}

QString Right(const QString& s, int length) {
    if (length < 0) raiseInvalidArgument();
    return s.right(length);
}

QString Mid(const QString& s, int start) {
    if (start < 1) raiseInvalidArgument();
    return start > s.size() ? QString() : s.mid(start - 1);
}

QString Mid(const QString& s, int start, int length) {
    if (start < 1 || length < 0) raiseInvalidArgument();
    return start > s.size() ? QString() : s.mid(start - 1, length);
}

QStringList Split(const QString& s, const QString& delimiter, int limit, CompareMethod compare) {
    if (limit < -1) raiseInvalidArgument();
    QStringList parts;
    if (s.isEmpty() || limit == 0) return parts;
    if (delimiter.isEmpty()) return {s};
    qsizetype from = 0;
    while (limit == -1 || parts.size() < limit - 1) {
        const qsizetype at = s.indexOf(delimiter, from, cs(compare));
        if (at < 0) break;
        parts.append(s.mid(from, at - from));
        from = at + delimiter.size();
    }
    parts.append(s.mid(from));
    return parts;
}

QString Join(const QStringList& parts, const QString& delimiter) {
    return parts.join(delimiter);
}

// --- numbers ---------------------------------------------------------------

double Val(const QString& s) {
    // Plain digits (a catalogue number) read at once: a list sorted by its
    // numbers reads thousands.
    if (!s.isEmpty() && s.size() <= 15 &&
        std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        qint64 n = 0;
        for (const QChar c : s)
            n = n * 10 + (c.unicode() - u'0');
        return double(n); // below 2^53: exact, as the general reading gives it
    }
    // Drop what Val skips, then read the longest leading number.
    QByteArray t;
    t.reserve(s.size());
    for (QChar c : s) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            continue;
        t.append(c.unicode() < 128 ? char(c.unicode()) : '?');
    }
    qsizetype i = 0;
    QByteArray num;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) num.append(t[i++]);
    bool digits = false;
    while (i < t.size() && std::isdigit(uchar(t[i])))
        num.append(t[i++]), digits = true;
    if (i < t.size() && t[i] == '.') {
        num.append(t[i++]);
        while (i < t.size() && std::isdigit(uchar(t[i])))
            num.append(t[i++]), digits = true;
    }
    if (!digits) return 0.0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        qsizetype j = i + 1;
        QByteArray exp("e");
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) exp.append(t[j++]);
        bool expDigits = false;
        while (j < t.size() && std::isdigit(uchar(t[j])))
            exp.append(t[j++]), expDigits = true;
        if (expDigits) num.append(exp);
    }
    const double d = toDoubleC(num);
    if (!std::isfinite(d)) raiseOverflow();
    return d;
}

bool TryParseNumber(const QString& s, double& value) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*([+-]?)([0-9]*)(?:[.,]([0-9]*))?(?:[eE]([+-]?[0-9]+))?\\s*$"));
    const QRegularExpressionMatch m = re.match(s);
    if (!m.hasMatch()) return false;
    const QString whole = m.captured(2);
    const QString fraction = m.captured(3);
    if (whole.isEmpty() && fraction.isEmpty()) return false;
    QString c = m.captured(1) + (whole.isEmpty() ? QStringLiteral("0") : whole);
    if (!fraction.isEmpty()) c += QLatin1Char('.') + fraction;
    if (m.capturedLength(4)) c += QLatin1Char('e') + m.captured(4);
    const double d = toDoubleC(c.toLatin1());
    if (!std::isfinite(d)) return false;
    value = d;
    return true;
}

int CInt(const ado::Variant& v) {
    return int(roundChecked(numberOf(v), -32768, 32767));
}

qint32 CLng(const ado::Variant& v) {
    return qint32(
        roundChecked(numberOf(v), std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

double CDbl(const ado::Variant& v) {
    return numberOf(v);
}

QString CStr(const ado::Variant& v) {
    if (v.isNull()) raiseNull();
    return v.toString();
}

bool IsNumeric(const ado::Variant& v) {
    switch (v.type()) {
    case ado::Variant::Long:
    case ado::Variant::Double:
    case ado::Variant::Boolean:
        return true;
    case ado::Variant::String: {
        double d = 0;
        return TryParseNumber(v.raw().toString(), d);
    }
    default:
        return false;
    }
}

// --- dates -----------------------------------------------------------------

// Written out by hand: the list shows thousands of dates, and a format
// string is parsed anew for each one.
QString DateToText(const QDateTime& dt) {
    if (!dt.isValid()) return QString();
    const QDate date = dt.date();
    const QTime time = dt.time();
    const bool midnight = time == QTime(0, 0);
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (year < 1 || year > 9999)
        return dt.toString(midnight ? QStringLiteral("d.M.yyyy") : QStringLiteral("d.M.yyyy H:mm:ss"));
    char16_t text[20];
    int n = 0;
    auto digits = [&](int value, int width) {
        char16_t buf[4];
        int k = 0;
        do {
            buf[k++] = char16_t(u'0' + value % 10);
            value /= 10;
        } while (value > 0 || k < width);
        while (k > 0)
            text[n++] = buf[--k];
    };
    digits(day, 1);
    text[n++] = u'.';
    digits(month, 1);
    text[n++] = u'.';
    digits(year, 4);
    if (!midnight) {
        text[n++] = u' ';
        digits(time.hour(), 1);
        text[n++] = u':';
        digits(time.minute(), 2);
        text[n++] = u':';
        digits(time.second(), 2);
    }
    return QString(reinterpret_cast<const QChar*>(text), n);
}

void PinLocalTimeZone() {
    if (qEnvironmentVariableIsSet("TZ")) return;
    const QByteArray id = QTimeZone::systemTimeZoneId();
    const QByteArray dir =
        qEnvironmentVariableIsEmpty("TZDIR") ? QByteArrayLiteral("/usr/share/zoneinfo") : qgetenv("TZDIR");
    if (id.isEmpty() || !QFileInfo(QFile::decodeName(dir + '/' + id)).isFile()) return;
    qputenv("TZ", id);
    tzset();
}

namespace {

// The form DateToText writes ("8.12.2026", "8.12.2026 19:03:23") read by
// hand: a list sorted by its dates reads thousands of them. False for any
// other text, which the patterns of TextToDate then read.
bool readWrittenDate(const QString& text, QDate& date, QTime& time) {
    const QChar* p = text.constData();
    const QChar* const end = p + text.size();
    auto isDigit = [&] { return p < end && p->unicode() >= u'0' && p->unicode() <= u'9'; };
    auto number = [&](int minDigits, int maxDigits, int& value) {
        value = 0;
        int digits = 0;
        for (; isDigit() && digits < maxDigits; ++digits, ++p)
            value = value * 10 + (p->unicode() - u'0');
        return digits >= minDigits && !isDigit();
    };
    auto sign = [&](char16_t c) {
        if (p == end || p->unicode() != c) return false;
        ++p;
        return true;
    };
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (!number(1, 2, day) || !sign(u'.') || !number(1, 2, month) || !sign(u'.') || !number(4, 4, year))
        return false;
    if (p < end && (!sign(u' ') || !number(1, 2, hour) || !sign(u':') || !number(2, 2, minute) ||
                    !sign(u':') || !number(2, 2, second) || p < end))
        return false;
    date = QDate(year, month, day);
    time = QTime(hour, minute, second);
    return true;
}

} // namespace

QDateTime TextToDate(const QString& text) {
    QDate date;
    QTime time;
    if (readWrittenDate(text, date, time))
        return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
    // Every form below has digits: an empty cell is no date at once.
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) return {};

    static const QRegularExpression czech(
        QStringLiteral("^\\s*([0-9]{1,2})\\.\\s*([0-9]{1,2})\\.\\s*([0-9]{4}|[0-9]{2})(?:\\s+([0-9]{1,2}):(["
                       "0-9]{2})(?::([0-9]{2}))?)?\\s*$"));
    static const QRegularExpression iso(QStringLiteral(
        "^\\s*([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})(?:[ T]([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?\\s*$"));
    static const QRegularExpression timeOnly(
        QStringLiteral("^\\s*([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?\\s*$"));

    auto timeOf = [](const QRegularExpressionMatch& m, int first) {
        if (!m.capturedLength(first)) return QTime(0, 0);
        return QTime(m.captured(first).toInt(), m.captured(first + 1).toInt(), m.captured(first + 2).toInt());
    };
    if (QRegularExpressionMatch m = czech.match(text); m.hasMatch()) {
        date = QDate(yearOf(m.captured(3)), m.captured(2).toInt(), m.captured(1).toInt());
        time = timeOf(m, 4);
    } else if (m = iso.match(text); m.hasMatch()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        time = timeOf(m, 4);
    } else if (m = timeOnly.match(text); m.hasMatch()) {
        date = ZeroDate().date();
        time = timeOf(m, 1);
    } else {
        return {};
    }
    if (!date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time);
}

bool IsDate(const QString& s) {
    return TextToDate(s).isValid();
}

QDateTime ZeroDate() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

double DateToDouble(const QDateTime& dt) {
    const qint64 days = ZeroDate().date().daysTo(dt.date());
    const double fraction = dt.time().msecsSinceStartOfDay() / 86400000.0;
    // before the zero date the fraction counts away from it, as in OLE dates
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime Now() {
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}

// --- colours ---------------------------------------------------------------

qint32 RGB(int red, int green, int blue) {
    if (red < 0 || green < 0 || blue < 0) raiseInvalidArgument();
    return qMin(red, 255) + 256 * qMin(green, 255) + 65536 * qMin(blue, 255);
}

QColor ColorFromRGB(qint32 colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

qint32 RGBFromColor(const QColor& colour) {
    return RGB(colour.red(), colour.green(), colour.blue());
}

} // namespace vb
