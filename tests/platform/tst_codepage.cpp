#include "codepage.h"
#include "testmain.h"

#include <QStringDecoder>

class TestCodepage : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips() {
        for (int b = 0; b < 256; ++b) {
            const QChar c = cp1250::toUnicode(uchar(b));
            uchar back = 0;
            QVERIFY2(cp1250::fromUnicode(c, &back), qPrintable(QString::number(b, 16)));
            QCOMPARE(int(back), b);
        }
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(cp1250::fromUnicode(cp1250::toUnicode(all)), all);
    }

    void unassignedBytesKeepTheirNumber() {
        for (int b : {0x81, 0x83, 0x88, 0x90, 0x98})
            QCOMPARE(cp1250::toUnicode(uchar(b)).unicode(), char16_t(b));
    }

    void agreesWithIcuWhereAssigned() {
        QStringDecoder icu("windows-1250");
        if (!icu.isValid()) QSKIP("no ICU windows-1250 decoder in this Qt");
        for (int b = 0; b < 256; ++b) {
            if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98) continue;
            const QString expected = icu.decode(QByteArray(1, char(b)));
            QCOMPARE(QString(cp1250::toUnicode(uchar(b))), expected);
        }
    }

    void czechLetters() {
        const QString letters = QStringLiteral("áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
        const QByteArray bytes("\xE1\xE8\xEF\xE9\xEC\xED\xF2\xF3\xF8\x9A\x9D\xFA\xF9\xFD\x9E"
                               "\xC1\xC8\xCF\xC9\xCC\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E");
        QVERIFY(cp1250::canEncode(letters));
        int unmapped = -1;
        QCOMPARE(cp1250::fromUnicode(letters, '?', &unmapped), bytes);
        QCOMPARE(unmapped, 0);
        QCOMPARE(cp1250::toUnicode(bytes), letters);
        QCOMPARE(cp1250::fromUnicode(QStringLiteral("€„“")), QByteArray("\x80\x84\x93"));
    }

    void charactersOutsideTheCodePage() {
        // ø, ñ and the Cyrillic Ж are not in windows-1250; an emoji is a surrogate pair.
        const QString text = QStringLiteral("aø ñЖ😀b");
        uchar b = 0x55;
        QVERIFY(!cp1250::fromUnicode(QChar(0x00F8), &b));
        QCOMPARE(int(b), 0x55);
        QVERIFY(!cp1250::fromUnicode(char32_t(0x1F600), &b));
        QVERIFY(!cp1250::canEncode(text));
        int unmapped = 0;
        QCOMPARE(cp1250::fromUnicode(text, '?', &unmapped), QByteArray("a? ???b"));
        QCOMPARE(unmapped, 4);
        QCOMPARE(cp1250::fromUnicodeHtml(text), QByteArray("a&#248; &#241;&#1046;&#128512;b"));
        QCOMPARE(cp1250::fromUnicodeHtml(QStringLiteral("Žlůť")), QByteArray("\x8El\xF9\x9D"));
        // A lone surrogate is no character of the code page either.
        QCOMPARE(cp1250::fromUnicode(QString(QChar(0xD800)) + "x"), QByteArray("?x"));
    }
};

DVD_TEST_MAIN(TestCodepage)
#include "tst_codepage.moc"
