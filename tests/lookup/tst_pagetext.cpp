#include "err.h"
#include "lookup/Module1.h"
#include "lookup/Module2.h"
#include "testmain.h"

#include <QFile>

namespace {
const QString CRLF = QStringLiteral("\r\n");

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}
} // namespace

class TestPageText : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void readsUtf8Files() {
        QCOMPARE(ReadUTF8File(writeFile(dir_, "empty.find", "")), QString());
        QCOMPARE(ReadUTF8File(writeFile(dir_, "a.find", "A")), QString("A"));
        const QString czech = QStringLiteral("Žluťoučký kůň");
        QCOMPARE(ReadUTF8File(writeFile(dir_, "cz.find", czech.toUtf8())), czech);
        // The byte order mark stays as a character.
        const QString bom = ReadUTF8File(writeFile(dir_, "bom.find", "\xEF\xBB\xBFKolja"));
        QCOMPARE(bom.size(), 6);
        QCOMPARE(bom.at(0).unicode(), char16_t(0xFEFF));
        QCOMPARE(bom.mid(1), QString("Kolja"));
    }

    void badBytesAndNulsDoNotBreakTheText() {
        const QByteArray bytes("a\xC3\x28\0b\xE2\x82\xF0\x9F\x98\x80", 11);
        const QString text = Utf8ToString(bytes);
        QVERIFY(text.size() <= bytes.size());
        QVERIFY(text.startsWith(QStringLiteral("a\uFFFD(")));
        QVERIFY(text.contains(QChar(0)));
        QVERIFY(text.endsWith(QString::fromUcs4(U"\U0001F600", 1)));
        QCOMPARE(Utf8ToString(QByteArray()), QString());
        // A sequence cut off by the end of the data is bad, not dropped.
        QCOMPARE(Utf8ToString("abc\xC3"), QStringLiteral("abc\uFFFD"));
        QCOMPARE(ReadUTF8File(writeFile(dir_, "cut.find", "k\xC5\xAF\xC5")), QStringLiteral("ků\uFFFD"));
    }

    void missingFileRaisesFileNotFound() {
        try {
            ReadUTF8File(dir_.filePath("none.find"));
            QFAIL("no error raised");
        } catch (const vb::RuntimeError& e) {
            QCOMPARE(e.number(), long(vb::ErrFileNotFound));
        }
    }

    void htmlToText_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("two blanks") << "a  b"
                                    << "a b";
        QTest::newRow("crlf then blanks") << "a\r\n  b"
                                          << "a b";
        QTest::newRow("two crlf") << "a\r\n\r\nb"
                                  << "a  b";
        QTest::newRow("two lf") << "a\n\nb"
                                << "a b";
        QTest::newRow("lone cr") << "a\rb"
                                 << "a b";
        QTest::newRow("tab kept") << "a\tb"
                                  << "a\tb";
        QTest::newRow("p") << "x<p>y"
                           << "x" + CRLF + CRLF + "y";
        QTest::newRow("P") << "x<P>y"
                           << "x" + CRLF + CRLF + "y";
        QTest::newRow("/div") << "x</DIV>y"
                              << "x" + CRLF + CRLF + "y";
        QTest::newRow("br /tr /pre") << "a<br>b</tr>c</Pre>d"
                                     << "a" + CRLF + "b" + CRLF + "c" + CRLF + "d";
        QTest::newRow("p with attribute") << "x<p class=a>y"
                                          << "xy";
        QTest::newRow("br /") << "x<br />y"
                              << "xy";
        QTest::newRow("/td") << "a</td>b"
                             << "a|b";
        QTest::newRow("lone <") << "1 < 2"
                                << "1  2";
        QTest::newRow("amp") << "Tom &amp; Jerry"
                             << "Tom & Jerry";
        QTest::newRow("no blank after ;") << "Tom &amp;Jerry"
                                          << "Tom &amp;Jerry";
        QTest::newRow("unknown name") << "&AMP; x"
                                      << "&AMP; x";
        QTest::newRow("blank before ;") << "&foo bar;"
                                        << "&foo bar;";
        QTest::newRow("tag inside name") << "&x<b>y; z"
                                         << "&x<b>y; z";
        QTest::newRow("eacute") << "caf&eacute; au lait" << QStringLiteral("café au lait");
        QTest::newRow("Egrave") << "&Egrave; x" << QStringLiteral("Č x");
        QTest::newRow("numeric") << "&#233; x"
                                 << "&#233; x";
        QTest::newRow("shy") << "a&shy; b"
                             << "a&shy; b";
        QTest::newRow("nbsp quot lt gt brvbar") << "&nbsp;&quot;&lt;&gt;&brvbar; ."
                                                << " \"<>| .";
        QTest::newRow("entities seen through windows-1250")
            << "&Agrave;&iexcl;&sup3;&yuml;&Uuml;&auml; ." << QStringLiteral("Ŕˇł˙Üä .");
        QTest::newRow("body")
            << "<html><head><title>t</title></head><BODY bgcolor=x>Děj <b>filmu</b></BODY></html>"
            << QStringLiteral("Děj filmu");
        QTest::newRow("body without end") << "x<body>a<p>b"
                                          << "a" + CRLF + CRLF + "b";
        QTest::newRow("body tag never closed") << "x<body a"
                                               << "body a";
        QTest::newRow("fragment with </body>") << "a</body>b"
                                               << "ab";
    }
    void htmlToText() {
        QFETCH(QString, html);
        QFETCH(QString, text);
        QCOMPARE(HtmlToText(html), text);
    }

    void entityTableHasTheLatin1Names() {
        const QStringList names =
            QStringLiteral(
                "amp quot lt gt nbsp Auml auml iexcl cent pound curren yen brvbar sect uml copy ordf laquo "
                "not reg macr "
                "deg plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 "
                "iquest Agrave "
                "Aacute Acirc Atilde Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml "
                "ETH Ntilde "
                "Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig "
                "agrave aacute "
                "acirc atilde aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth "
                "ntilde ograve "
                "oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml")
                .split(' ');
        QCOMPARE(names.size(), 99);
        QSet<QString> seen;
        for (const QString& name : names) {
            QString ch;
            QVERIFY2(HtmlEntityChar(name, &ch), qPrintable(name));
            QCOMPARE(ch.size(), 1);
            seen.insert(ch);
        }
        // No two names share a character.
        QCOMPARE(seen.size(), 99);
        for (const char* absent : {"shy", "Amp", "EACUTE", "euro", "#233", ""})
            QVERIFY(!HtmlEntityChar(absent, nullptr));
    }

    void longPagesStayLinear() {
        // Many "<" with no ">" after them, many "&" with no ";": each must not rescan the rest.
        QString page;
        for (int i = 0; i < 100000; ++i)
            page += QStringLiteral("<&x ");
        const QString text = HtmlToText(page); // a rescan per mark would not end within the test's time
        QCOMPARE(text.left(8), QString("&x &x &x"));
    }
};

DVD_TEST_MAIN(TestPageText)
#include "tst_pagetext.moc"
