#pragma once
// windows-1250, the code page of the Czech Windows systems the catalogue came
// from: the pages it writes and reads and the look-ups' query texts use it.
#include <QByteArray>
#include <QString>

namespace cp1250 {

// The character of one byte. All 256 bytes have one; the five bytes Windows
// leaves unassigned (0x81, 0x83, 0x88, 0x90, 0x98) give the code point of the
// same number, as MultiByteToWideChar does.
QChar toUnicode(uchar byte);
QString toUnicode(const QByteArray& bytes);

// The byte of one character; false when the code page lacks it (*byte is
// then left as it was). Characters above U+FFFF are never in it.
bool fromUnicode(char32_t ch, uchar* byte);
inline bool fromUnicode(QChar ch, uchar* byte) {
    return fromUnicode(char32_t(ch.unicode()), byte);
}
bool canEncode(const QString& text);

// The bytes of a text; each character the code page lacks (a surrogate pair
// counts as one character) becomes `substitute`. `unmapped`, when given,
// receives the number of substituted characters.
QByteArray fromUnicode(const QString& text, char substitute = '?', int* unmapped = nullptr);

// The same for an HTML page: each character the code page lacks is written as
// a numeric character reference ("&#8364;" style, decimal code point).
QByteArray fromUnicodeHtml(const QString& text);

} // namespace cp1250
