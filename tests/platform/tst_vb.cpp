#include "testmain.h"
#include "vb.h"

using namespace vb;

// Runs `f` and returns the error number it raised (0: none).
template <class F> long errorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

class TestVb : public QObject {
    Q_OBJECT
private slots:
    void trimRemovesBlanksOnly() {
        QCOMPARE(Trim("  a b  "), QString("a b"));
        QCOMPARE(Trim("\tx\n "), QString("\tx\n"));
        QCOMPARE(LTrim("  x "), QString("x "));
        QCOMPARE(RTrim("  x "), QString("  x"));
        QCOMPARE(Trim("   "), QString(""));
        QCOMPARE(UCase("Čelisti ß"), QString("ČELISTI ß")); // length kept
        QCOMPARE(LCase("ŽÁNR"), QString("žánr"));
    }

    void inStrPositions() {
        QCOMPARE(InStr("abcabc", "c"), 3);
        QCOMPARE(InStr(4, "abcabc", "c"), 6);
        QCOMPARE(InStr(7, "abcabc", "c"), 0);
        QCOMPARE(InStr("abc", "x"), 0);
        QCOMPARE(InStr("", "a"), 0);
        QCOMPARE(InStr(2, "abc", ""), 2);
        QCOMPARE(InStr(1, "Kupte DVD", "dvd", vbTextCompare), 7);
        QCOMPARE(InStr(1, "Kupte DVD", "dvd", vbBinaryCompare), 0);
        QCOMPARE(errorOf([] { InStr(0, "abc", "a"); }), long(ErrGeneric));
        QCOMPARE(InStrRev("a/b/c", "/"), 4);
        QCOMPARE(InStrRev("a/b/c", "/", 3), 2);
        QCOMPARE(InStrRev("abcabc", "bc", 5), 2); // the match must end by position 5
        QCOMPARE(InStrRev("abc", "x"), 0);
    }

    void midLeftRight() {
        QCOMPARE(Mid("abcdef", 2, 3), QString("bcd"));
        QCOMPARE(Mid("abcdef", 5), QString("ef"));
        QCOMPARE(Mid("abc", 3, 10), QString("c"));
        QCOMPARE(Mid("abc", 4), QString(""));
        QCOMPARE(Mid("abc", 2, 0), QString(""));
        QCOMPARE(Left("abc", 5), QString("abc"));
        QCOMPARE(Right("obrazek.jpg", 3), QString("jpg"));
        QCOMPARE(Len("žluť"), 4);
        QCOMPARE(errorOf([] { Mid("abc", 0); }), long(ErrGeneric));
        QCOMPARE(errorOf([] { Left("abc", -1); }), long(ErrGeneric));
    }

    void replaceAsVb() {
        QCOMPARE(Replace("a-b-c", "-", "+"), QString("a+b+c"));
        QCOMPARE(Replace("a-b-c", "-", "", 1, 1), QString("ab-c"));
        QCOMPARE(Replace("a-b-c", "-", "+", 3), QString("b+c")); // the part before start is dropped
        QCOMPARE(Replace("aXbx", "x", "_", 1, -1, vbTextCompare), QString("a_b_"));
        QCOMPARE(Replace("aa", "a", "aa"), QString("aaaa")); // no rescanning of the inserted text
        QCOMPARE(Replace("abc", "", "x"), QString("abc"));
    }

    void splitAndJoin() {
        QCOMPARE(Split(""), QStringList());
        QCOMPARE(Split("A|N||A", "|"), QStringList({"A", "N", "", "A"}));
        QCOMPARE(Split("A|", "|"), QStringList({"A", ""}));
        QCOMPARE(Split("1-8-6", "-"), QStringList({"1", "8", "6"}));
        QCOMPARE(Split("a b c"), QStringList({"a", "b", "c"}));
        QCOMPARE(Split("a,b,c", ",", 2), QStringList({"a", "b,c"}));
        QCOMPARE(Split("abc", ""), QStringList({"abc"}));
        QCOMPARE(Split("aXbxc", "x", -1, vbTextCompare), QStringList({"a", "b", "c"}));
        QCOMPARE(Join({"A", "N", "A"}, "|"), QString("A|N|A"));
    }

    void valReadsTheLeadingNumber() {
        QCOMPARE(Val("12a"), 12.0);
        QCOMPARE(Val("007"), 7.0);
        QCOMPARE(Val("123456789012345"), 123456789012345.0);
        QCOMPARE(Val("12345678901234567890"), 12345678901234567890.0);
        QCOMPARE(Val(""), 0.0);
        QCOMPARE(Val("abc"), 0.0);
        QCOMPARE(Val(" 1 2"), 12.0);
        QCOMPARE(Val("\t-3.25x"), -3.25);
        QCOMPARE(Val("1.5e3"), 1500.0);
        QCOMPARE(Val("2,5"), 2.0); // the comma is no decimal point here
        QCOMPARE(Val(".5"), 0.5);
        QCOMPARE(Val("1e"), 1.0);
        QCOMPARE(Val("1.2.3"), 1.2);
        QCOMPARE(Val("-"), 0.0);
        QCOMPARE(errorOf([] { Val("1e999"); }), long(ErrOverflow));
    }

    void cintRoundsHalfToEven() {
        QCOMPARE(CInt("2,5"), 2);
        QCOMPARE(CInt("3.5"), 4);
        QCOMPARE(CInt("3,5"), 4);
        QCOMPARE(CInt(" 12 "), 12);
        QCOMPARE(CInt("-2,5"), -2);
        QCOMPARE(CInt(2.6), 3);
        QCOMPARE(CInt(true), -1);
        QCOMPARE(CInt("32767"), 32767);
        QCOMPARE(CInt("-32768"), -32768);
        QCOMPARE(CLng("100000,5"), 100000);
        QCOMPARE(CLng("2147483647"), 2147483647);
    }

    void conversionErrors() {
        QCOMPARE(errorOf([] { CInt("32767,5"); }), long(ErrOverflow)); // rounds to 32768
        QCOMPARE(errorOf([] { CInt(40000); }), long(ErrOverflow));
        QCOMPARE(errorOf([] { CLng("2147483648"); }), long(ErrOverflow));
        QCOMPARE(errorOf([] { CInt("abc"); }), long(ErrTypeMismatch));
        QCOMPARE(errorOf([] { CInt(""); }), long(ErrTypeMismatch));
        QCOMPARE(errorOf([] { CInt("1a"); }), long(ErrTypeMismatch));
        QCOMPARE(errorOf([] { CInt("nan"); }), long(ErrTypeMismatch));
        QCOMPARE(errorOf([] { CInt(ado::Variant()); }), long(ErrInvalidUseOfNull));
        QCOMPARE(errorOf([] { CLng(ado::Variant()); }), long(ErrInvalidUseOfNull));
        QCOMPARE(errorOf([] { CStr(ado::Variant()); }), long(ErrInvalidUseOfNull));
        QCOMPARE(errorOf([] { CDbl("2,5,1"); }), long(ErrTypeMismatch));
        QCOMPARE(CDbl("2,5"), 2.5);
        QCOMPARE(CDbl("-1.5E2"), -150.0);
        QCOMPARE(CStr(2.5), QString("2,5"));
        QCOMPARE(CStr(42), QString("42"));
    }

    void isNumericInCzech() {
        for (const char* yes : {"2,5", "2.5", " 12 ", "-3", "+7", "1e3", ",5"})
            QVERIFY2(IsNumeric(yes), yes);
        for (const char* no : {"", " ", "abc", "1a", "1,2,3", "1.2,3", "-", "inf", "nan", "0x10"})
            QVERIFY2(!IsNumeric(no), no);
        QVERIFY(IsNumeric(3));
        QVERIFY(!IsNumeric(ado::Variant()));
        QVERIFY(!IsNumeric(QDateTime::currentDateTime()));
    }

    void dateTextRoundTrip() {
        const QDateTime dt(QDate(2026, 12, 8), QTime(19, 3, 23));
        QCOMPARE(DateToText(dt), QString("8.12.2026 19:03:23"));
        QCOMPARE(TextToDate("8.12.2026 19:03:23"), dt);
        QCOMPARE(TextToDate(DateToText(dt)), dt);
        QCOMPARE(DateToText(QDateTime(QDate(2026, 1, 5), QTime(0, 0))), QString("5.1.2026"));
        QCOMPARE(DateToText(QDateTime(QDate(2026, 1, 5), QTime(9, 0, 1))), QString("5.1.2026 9:00:01"));
        QCOMPARE(DateToText(QDateTime()), QString());
        // written out by hand: the same text as Qt's own format, early years padded
        for (const QDateTime& d :
             {QDateTime(QDate(999, 2, 3), QTime(0, 0)), QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)),
              QDateTime(QDate(1, 1, 1), QTime(0, 0, 0, 500)), QDateTime(QDate(-5, 6, 7), QTime(1, 2, 3))}) {
            const bool midnight = d.time() == QTime(0, 0);
            QCOMPARE(DateToText(d), d.toString(midnight ? "d.M.yyyy" : "d.M.yyyy H:mm:ss"));
        }
        // the field type shows dates the same way
        QCOMPARE(ado::Variant(dt).toString(), QString("8.12.2026 19:03:23"));
        QCOMPARE(ado::Variant("8.12.2026 19:03:23").toDateTime(), dt);
    }

    void textToDateForms() {
        QCOMPARE(TextToDate("8.12.2026"), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
        QCOMPARE(TextToDate("08.12.2026 9:03"), QDateTime(QDate(2026, 12, 8), QTime(9, 3)));
        QCOMPARE(TextToDate("8. 12. 2026"), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
        QCOMPARE(TextToDate("2026-12-08 19:03:23"), QDateTime(QDate(2026, 12, 8), QTime(19, 3, 23)));
        QCOMPARE(TextToDate("2026-12-08T19:03:23"), QDateTime(QDate(2026, 12, 8), QTime(19, 3, 23)));
        QCOMPARE(TextToDate("1.2.99"), QDateTime(QDate(1999, 2, 1), QTime(0, 0)));
        QCOMPARE(TextToDate("1.2.05"), QDateTime(QDate(2005, 2, 1), QTime(0, 0)));
        QCOMPARE(TextToDate("7:30"), QDateTime(QDate(1899, 12, 30), QTime(7, 30)));
        for (const char* no :
             {"", "abc", "31.2.2026", "8.12.2026 25:00", "12", "2026-13-01", "8.12.2026x",
              "8.12.2026 19:3:23", "8.12.20261", "8.12.2026 19:03:23 5", "31.2.2026 10:00:00"})
            QVERIFY2(!IsDate(no), no);
        QVERIFY(IsDate(" 8.12.2026 19:03:23 "));
    }

    void dateNumbers() {
        QCOMPARE(DateToDouble(ZeroDate()), 0.0);
        QCOMPARE(DateToDouble(QDateTime(QDate(1900, 1, 1), QTime(12, 0))), 2.5);
        QCOMPARE(CDbl(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
        const QDateTime now = Now();
        QCOMPARE(now.time().msec(), 0);
        QVERIFY(qAbs(now.secsTo(QDateTime::currentDateTime())) <= 1);
    }

    void colourNumbers() {
        QCOMPARE(RGB(250, 200, 200), 250 + 256 * 200 + 65536 * 200);
        QCOMPARE(RGB(300, 0, 0), 255);
        QCOMPARE(ColorFromRGB(RGB(224, 224, 224)), QColor(224, 224, 224));
        QCOMPARE(ColorFromRGB(255), QColor(Qt::red));
        QCOMPARE(RGBFromColor(QColor(0, 0, 255)), 65536 * 255);
        QCOMPARE(errorOf([] { RGB(-1, 0, 0); }), long(ErrGeneric));
    }
};

DVD_TEST_MAIN(TestVb)
#include "tst_vb.moc"
