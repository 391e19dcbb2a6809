#include "lookup/Module1.h"

#include "codepage.h"

#include <QHash>

namespace {

struct Entity {
    const char* name;
    int latin1;       // its number in ISO-8859-1, read as a windows-1250 byte
    char16_t literal; // or, when set, this character
};

// The Latin-1 names of HTML 4 but "shy". The pages were decoded by taking the
// Latin-1 number as a windows-1250 byte, so "Egrave" gives "Č"; users' saved
// texts were made that way and stay so.
constexpr Entity kEntities[] = {
    {"amp", 0, 0x0026}, {"quot", 0, 0x0022}, {"lt", 0, 0x003C},     {"gt", 0, 0x003E},  {"nbsp", 0, 0x0020},
    {"Auml", 196, 0},   {"auml", 228, 0},    {"iexcl", 161, 0},     {"cent", 162, 0},   {"pound", 163, 0},
    {"curren", 164, 0}, {"yen", 165, 0},     {"brvbar", 0, 0x007C}, {"sect", 167, 0},   {"uml", 168, 0},
    {"copy", 169, 0},   {"ordf", 170, 0},    {"laquo", 171, 0},     {"not", 172, 0},    {"reg", 174, 0},
    {"macr", 175, 0},   {"deg", 176, 0},     {"plusmn", 177, 0},    {"sup2", 178, 0},   {"sup3", 179, 0},
    {"acute", 180, 0},  {"micro", 181, 0},   {"para", 182, 0},      {"middot", 183, 0}, {"cedil", 184, 0},
    {"sup1", 185, 0},   {"ordm", 186, 0},    {"raquo", 187, 0},     {"frac14", 188, 0}, {"frac12", 189, 0},
    {"frac34", 190, 0}, {"iquest", 191, 0},  {"Agrave", 192, 0},    {"Aacute", 193, 0}, {"Acirc", 194, 0},
    {"Atilde", 195, 0}, {"Aring", 197, 0},   {"AElig", 198, 0},     {"Ccedil", 199, 0}, {"Egrave", 200, 0},
    {"Eacute", 201, 0}, {"Ecirc", 202, 0},   {"Euml", 203, 0},      {"Igrave", 204, 0}, {"Iacute", 205, 0},
    {"Icirc", 206, 0},  {"Iuml", 207, 0},    {"ETH", 208, 0},       {"Ntilde", 209, 0}, {"Ograve", 210, 0},
    {"Oacute", 211, 0}, {"Ocirc", 212, 0},   {"Otilde", 213, 0},    {"Ouml", 214, 0},   {"times", 215, 0},
    {"Oslash", 216, 0}, {"Ugrave", 217, 0},  {"Uacute", 218, 0},    {"Ucirc", 219, 0},  {"Uuml", 220, 0},
    {"Yacute", 221, 0}, {"THORN", 222, 0},   {"szlig", 223, 0},     {"agrave", 224, 0}, {"aacute", 225, 0},
    {"acirc", 226, 0},  {"atilde", 227, 0},  {"aring", 229, 0},     {"aelig", 230, 0},  {"ccedil", 231, 0},
    {"egrave", 232, 0}, {"eacute", 233, 0},  {"ecirc", 234, 0},     {"euml", 235, 0},   {"igrave", 236, 0},
    {"iacute", 237, 0}, {"icirc", 238, 0},   {"iuml", 239, 0},      {"eth", 240, 0},    {"ntilde", 241, 0},
    {"ograve", 242, 0}, {"oacute", 243, 0},  {"ocirc", 244, 0},     {"otilde", 245, 0}, {"ouml", 246, 0},
    {"divide", 247, 0}, {"oslash", 248, 0},  {"ugrave", 249, 0},    {"uacute", 250, 0}, {"ucirc", 251, 0},
    {"uuml", 252, 0},   {"yacute", 253, 0},  {"thorn", 254, 0},     {"yuml", 255, 0},
};

const QHash<QString, QChar>& entityTable() {
    static const QHash<QString, QChar> table = [] {
        QHash<QString, QChar> t;
        for (const Entity& e : kEntities)
            t.insert(QString::fromLatin1(e.name),
                     e.literal ? QChar(e.literal) : cp1250::toUnicode(uchar(e.latin1)));
        return t;
    }();
    return table;
}

// Position of the next `ch` at or after `from`, remembered between calls:
// the scan only moves forward, so a miss stays a miss.
struct NextOf {
    const QString& text;
    QChar ch;
    qsizetype cached = -2; // -2 not looked yet, -1 none left
    qsizetype at(qsizetype from) {
        if (cached == -1 || cached >= from) return cached;
        cached = text.indexOf(ch, from);
        return cached;
    }
};

const QString kParagraph = QStringLiteral("\r\n\r\n");
const QString kLineBreak = QStringLiteral("\r\n");

} // namespace

bool HtmlEntityChar(const QString& name, QString* text) {
    const auto& t = entityTable();
    auto it = t.find(name);
    if (it == t.end()) return false;
    if (text) *text = QString(it.value());
    return true;
}

QString HtmlToText(const QString& html) {
    QString text = html;
    const qsizetype body = text.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    if (body >= 0) {
        text.remove(0, body);
        const qsizetype gt = text.indexOf(QLatin1Char('>'));
        if (gt >= 0) text.remove(0, gt + 1);
        const qsizetype end = text.indexOf(QLatin1String("</body>"), 0, Qt::CaseInsensitive);
        if (end >= 0) text.truncate(end);
    }

    QString out;
    out.reserve(text.size());
    NextOf nextGt{text, QLatin1Char('>')};
    NextOf nextSemi{text, QLatin1Char(';')};
    NextOf nextBlank{text, QLatin1Char(' ')};
    const qsizetype n = text.size();
    const auto& entities = entityTable();
    qsizetype pos = 0;
    auto skipBlanks = [&] {
        while (pos < n && text[pos] == QLatin1Char(' '))
            ++pos;
    };
    while (pos < n) {
        const QChar c = text[pos++];
        if (c == QLatin1Char(' ')) {
            out += QLatin1Char(' ');
            skipBlanks();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out += QLatin1Char(' ');
            if (pos < n && text[pos] == QLatin1Char('\n')) ++pos;
            skipBlanks();
        } else if (c == QLatin1Char('<')) {
            const qsizetype gt = nextGt.at(pos);
            if (gt < 0) continue; // a lone "<" is dropped
            const QString tag = text.mid(pos, gt - pos).toLower();
            pos = gt + 1;
            if (tag == QLatin1String("p") || tag == QLatin1String("/div"))
                out += kParagraph;
            else if (tag == QLatin1String("br") || tag == QLatin1String("/tr") ||
                     tag == QLatin1String("/pre"))
                out += kLineBreak;
            else if (tag == QLatin1String("/td"))
                out += QLatin1Char('|');
        } else if (c == QLatin1Char('&')) {
            const qsizetype semi = nextSemi.at(pos);
            const qsizetype blank = nextBlank.at(pos);
            if (semi < 0 || blank < 0 || blank < semi) {
                out += c;
                continue;
            }
            const QString name = text.mid(pos, semi - pos);
            pos = semi + 1;
            auto it = entities.find(name);
            if (it != entities.end())
                out += it.value();
            else
                out += QLatin1Char('&') + name + QLatin1Char(';');
        } else {
            out += c;
        }
    }
    return out;
}
