#include "codepage.h"

#include <algorithm>
#include <array>

namespace cp1250 {
namespace {

// 0x80..0xFF; below 0x80 the code page is ASCII.
constexpr char16_t kHigh[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

struct Entry {
    char16_t ch;
    uchar byte;
};

// The upper half sorted by character, for the way back.
const std::array<Entry, 128>& reverseTable() {
    static const std::array<Entry, 128> table = [] {
        std::array<Entry, 128> t{};
        for (int i = 0; i < 128; ++i)
            t[i] = {kHigh[i], uchar(0x80 + i)};
        std::sort(t.begin(), t.end(), [](const Entry& a, const Entry& b) { return a.ch < b.ch; });
        return t;
    }();
    return table;
}

} // namespace

QChar toUnicode(uchar byte) {
    return byte < 0x80 ? QChar(byte) : QChar(kHigh[byte - 0x80]);
}

QString toUnicode(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (char c : bytes)
        *d++ = toUnicode(uchar(c));
    return out;
}

bool fromUnicode(char32_t ch, uchar* byte) {
    if (ch < 0x80) {
        *byte = uchar(ch);
        return true;
    }
    if (ch > 0xFFFF) return false;
    const auto& t = reverseTable();
    auto it = std::lower_bound(t.begin(), t.end(), ch, [](const Entry& e, char32_t c) { return e.ch < c; });
    if (it == t.end() || it->ch != ch) return false;
    *byte = it->byte;
    return true;
}

bool canEncode(const QString& text) {
    uchar b;
    for (QChar c : text)
        if (!fromUnicode(c, &b)) return false;
    return true;
}

namespace {
// Walks the text by code point, a surrogate pair being one character.
template <class Unmapped> QByteArray encode(const QString& text, Unmapped&& unmapped) {
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t cp = text[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        uchar b;
        if (fromUnicode(cp, &b))
            out.append(char(b));
        else
            unmapped(out, cp);
    }
    return out;
}
} // namespace

QByteArray fromUnicode(const QString& text, char substitute, int* unmapped) {
    int count = 0;
    QByteArray out = encode(text, [&](QByteArray& o, char32_t) {
        o.append(substitute);
        ++count;
    });
    if (unmapped) *unmapped = count;
    return out;
}

QByteArray fromUnicodeHtml(const QString& text) {
    return encode(text, [](QByteArray& o, char32_t cp) {
        o.append("&#");
        o.append(QByteArray::number(uint(cp)));
        o.append(';');
    });
}

} // namespace cp1250
