#pragma once
// The string, number and date functions of the original program, each with
// its own semantics: 1-based positions, blanks-only trimming, banker's
// rounding, and numbers in the Czech form whatever the machine's locale.
#include "err.h"
#include "variant.h"

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vb {

enum CompareMethod : int { vbBinaryCompare = 0, vbTextCompare = 1 };

// --- texts -----------------------------------------------------------------
// Trimming removes blanks (U+0020) only; tabs and line breaks stay.
QString Trim(const QString& s);
QString LTrim(const QString& s);
QString RTrim(const QString& s);
// Character by character, so the length never changes.
QString UCase(const QString& s);
QString LCase(const QString& s);
int Len(const QString& s);

// 1-based position of `find` in `s` from `start`, 0 when not found.
// An empty `find` gives `start` (0 when `start` is past the end); an empty `s` gives 0.
// start < 1 raises error 5.
int InStr(int start, const QString& s, const QString& find, CompareMethod compare = vbBinaryCompare);
int InStr(const QString& s, const QString& find);
// 1-based position of the last `find` that ends at or before `start` (-1: the end).
int InStrRev(const QString& s, const QString& find, int start = -1, CompareMethod compare = vbBinaryCompare);

// As VB: the result begins at `start` (the part before it is dropped); count -1 = all.
QString Replace(const QString& expression, const QString& find, const QString& replaceWith, int start = 1,
                int count = -1, CompareMethod compare = vbBinaryCompare);

// Negative lengths and start < 1 raise error 5; lengths past the end are cut.
QString Left(const QString& s, int length);
QString Right(const QString& s, int length);
QString Mid(const QString& s, int start);
QString Mid(const QString& s, int start, int length);

// Whole characters, where a text is cut to a stored limit: a character outside
// the Basic Multilingual Plane (two UTF-16 units) counts as one and is never split.
int CharCount(const QString& s);
QString LeftChars(const QString& s, int count);

// Split("") is an empty list; an empty delimiter gives the whole text as one part.
// limit -1 = all parts; the last part holds the rest.
QStringList Split(const QString& s, const QString& delimiter = QStringLiteral(" "), int limit = -1,
                  CompareMethod compare = vbBinaryCompare);
QString Join(const QStringList& parts, const QString& delimiter = QStringLiteral(" "));

// --- numbers ---------------------------------------------------------------
// The leading number of a text: blanks, tabs and line feeds are skipped
// anywhere, "." is the only decimal point, an exponent (E or D) is read;
// reading stops at the first other character ("12a" -> 12, "" -> 0, "2,5" -> 2).
// A number too large raises error 6.
double Val(const QString& s);

// A whole text as a number in the Czech form: optional sign, digits with one
// decimal comma or point, optional exponent, blanks around. True when it
// converts to a finite number.
bool TryParseNumber(const QString& s, double& value);

// Conversions as VB's CInt/CLng/CDbl/CStr: Null raises error 94, a text that
// is no number error 13, a value out of range error 6. Fractions round half
// to even (CInt("2,5") = 2, CInt("3.5") = 4).
int CInt(const ado::Variant& v);    // -32768 .. 32767
qint32 CLng(const ado::Variant& v); // -2147483648 .. 2147483647
double CDbl(const ado::Variant& v);
QString CStr(const ado::Variant& v);

// Numbers and texts that convert by TryParseNumber; Null, dates and "" are not numeric.
bool IsNumeric(const ado::Variant& v);

// --- dates -----------------------------------------------------------------
// "8.12.2026 19:03:23"; a date at midnight gives "8.12.2026"; invalid gives "".
QString DateToText(const QDateTime& dt);
// Accepts "8.12.2026 19:03:23", "08.12.2026 9:03", "8.12.2026", "8. 12. 2026",
// two-digit years (30..99 -> 19xx, 00..29 -> 20xx), ISO "2026-12-08 19:03:23"
// (also with "T"), and a time alone (on the zero date). Invalid when not a date.
QDateTime TextToDate(const QString& s);
bool IsDate(const QString& s);
// The zero date 30.12.1899 0:00 (the date of the number 0).
QDateTime ZeroDate();
// Days since the zero date, the time as the fraction.
double DateToDouble(const QDateTime& dt);
// The current date and time to the second.
QDateTime Now();
// With TZ unset, glibc reads the zone file's status again for every local
// time it converts (a system call per date read from the catalogue). Names
// the system's own zone in TZ instead; call once at start, before any thread.
void PinLocalTimeZone();

// --- colours ---------------------------------------------------------------
// Colour number red + 256 * green + 65536 * blue; components over 255 count as 255.
qint32 RGB(int red, int green, int blue);
QColor ColorFromRGB(qint32 colour);
qint32 RGBFromColor(const QColor& colour);

} // namespace vb
