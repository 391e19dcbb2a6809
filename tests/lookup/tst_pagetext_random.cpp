// Page text functions against a few thousand generated inputs: nothing may
// crash or hang, and a few rules must hold for every input.
#include "lookup/Module1.h"
#include "lookup/Module2.h"
#include "testmain.h"

#include <QFile>
#include <QRegularExpression>
#include <random>

namespace {

constexpr unsigned kSeed = 20100517;
constexpr int kInputs = 4000;

class Gen {
public:
    explicit Gen(unsigned seed) : rng_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return below(100) < percent; }

    // A character of any kind, lone surrogates and NUL included.
    QString anyChar() {
        switch (below(6)) {
        case 0:
            return QString(QChar(char16_t(0xD800 + below(0x800)))); // a lone surrogate
        case 1:
            return QString::fromUcs4(U"\U0001F3AC", 1);
        case 2:
            return QString(QChar(char16_t(below(0x20))));
        case 3:
            return QString(QChar(char16_t(0xFEFF)));
        default:
            return QString(QChar(char16_t(0x80 + below(0xD000))));
        }
    }

    // A text made of the pieces the scan treats specially, mixed with plain text.
    QString html(int maxPieces) {
        static const char* const pieces[] = {
            "<",         ">",        "&",        ";",      " ",           "  ",
            "\r",        "\n",       "\r\n",     "\t",     "<body",       "<BODY bgcolor=x>",
            "</body>",   "</BoDy>",  "<p>",      "<P>",    "<br>",        "<br />",
            "</td>",     "</tr>",    "</div>",   "</pre>", "<p class=a>", "&amp;",
            "&nbsp;",    "&eacute;", "&Egrave;", "&#233;", "&shy;",       "&AMP;",
            "&foo bar;", "&x<b>y;",  "Kolja",    "a",      "Ž",           "ůň",
        };
        static const char* const names[] = {"amp",  "quot", "lt",    "gt",    "nbsp",
                                            "yuml", "sup3", "iexcl", "brvbar"};
        QString s;
        const int n = below(maxPieces + 1);
        for (int i = 0; i < n; ++i) {
            const int k = below(10);
            if (k < 6)
                s += QString::fromUtf8(pieces[below(int(std::size(pieces)))]);
            else if (k < 7)
                s += QLatin1Char('&') + QLatin1String(names[below(int(std::size(names)))]) + QLatin1Char(';');
            else if (k < 8)
                s += anyChar();
            else
                s += QChar(char16_t(0x20 + below(0x5F)));
        }
        return s;
    }

    // Bytes that are mostly UTF-8, with the usual faults: cut sequences,
    // overlong forms, encoded surrogates, stray continuation bytes, NULs.
    QByteArray utf8ish(int maxPieces) {
        static const char* const pieces[] = {
            "\xEF\xBB\xBF",
            "\xC3\xA9",
            "\xC5\xBD",
            "\xE2\x82\xAC",
            "\xF0\x9F\x8E\xAC",
            "\xC3",
            "\xE2\x82",
            "\xF0\x9F\x8E",
            "\xC0\x80",
            "\xE0\x80\xAF",
            "\xED\xA0\x80",
            "\xF4\x90\x80\x80",
            "\x80",
            "\xBF",
            "\xFE",
            "\xFF",
            "a",
            "<p>",
            "&amp;",
        };
        QByteArray b;
        const int n = below(maxPieces + 1);
        for (int i = 0; i < n; ++i) {
            if (chance(60))
                b += pieces[below(int(std::size(pieces)))];
            else if (chance(10))
                b += '\0';
            else
                b += char(below(256));
        }
        return b;
    }

    // A valid text: any code point but the surrogates.
    QString validText(int maxChars) {
        QString s;
        const int n = below(maxChars + 1);
        for (int i = 0; i < n; ++i) {
            char32_t c;
            do {
                c = chance(50) ? char32_t(below(0x800)) : char32_t(below(0x110000));
            } while (c >= 0xD800 && c <= 0xDFFF);
            s += QString::fromUcs4(&c, 1);
        }
        return s;
    }

private:
    std::mt19937 rng_;
};

bool hasBody(const QString& s) {
    return s.contains(QLatin1String("<body"), Qt::CaseInsensitive) ||
           s.contains(QLatin1String("</body>"), Qt::CaseInsensitive);
}

} // namespace

class TestPageTextRandom : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void htmlToTextTakesAnyText() {
        Gen g(kSeed);
        for (int i = 0; i < kInputs; ++i) {
            const QString html = g.html(i % 50 == 0 ? 3000 : 60);
            const QString text = HtmlToText(html);
            // "<p>" is the only piece that grows: three characters give four.
            QVERIFY2(text.size() * 3 <= html.size() * 4, qPrintable(QString::number(i)));
            // A body tag pair around a text without one changes nothing.
            if (!hasBody(html)) {
                const QString wrapped =
                    QStringLiteral("<head>x</head><BODY a=1>") + html + QStringLiteral("</Body>tail");
                QVERIFY2(HtmlToText(wrapped) == text, qPrintable(QString::number(i)));
            }
        }
    }

    void plainTextFoldsOnlyItsBlanksAndBreaks() {
        // Text of letters, blanks, CR and LF only: each blank or line break
        // (CR, LF or CR LF, a second LF taken with the first) with the blanks
        // after it becomes one blank; everything else stays.
        static const QRegularExpression fold(QStringLiteral("(?:[\\r\\n]\\n?| ) *"));
        static const char alphabet[] = "ab Žé\r\n  \t";
        Gen g(kSeed + 1);
        for (int i = 0; i < kInputs; ++i) {
            QString s;
            const int n = g.below(40);
            const QString letters = QString::fromUtf8(alphabet);
            for (int k = 0; k < n; ++k)
                s += letters[g.below(int(letters.size()))];
            QString expected = s;
            expected.replace(fold, QStringLiteral(" "));
            QCOMPARE(HtmlToText(s), expected);
        }
    }

    void utf8DecodingTakesAnyBytes() {
        Gen g(kSeed + 2);
        for (int i = 0; i < kInputs; ++i) {
            const QByteArray bytes = g.utf8ish(i % 50 == 0 ? 2000 : 40);
            const QString text = Utf8ToString(bytes);
            // Never more UTF-16 units than bytes, and never a broken pair.
            QVERIFY2(text.size() <= bytes.size(), bytes.toHex().constData());
            QVERIFY2(QStringView(text).isValidUtf16(), bytes.toHex().constData());
            QCOMPARE(text.startsWith(QChar(0xFEFF)), bytes.startsWith("\xEF\xBB\xBF"));
            // What the look-up does with a page: both steps in a row.
            const QString page = HtmlToText(text);
            QVERIFY(page.size() * 3 <= text.size() * 4);
        }
    }

    void validUtf8ComesBackUnchanged() {
        Gen g(kSeed + 3);
        for (int i = 0; i < kInputs; ++i) {
            const QString text = g.validText(30);
            QCOMPARE(Utf8ToString(text.toUtf8()), text);
        }
    }

    void filesReadAsTheirBytesDecode() {
        Gen g(kSeed + 4);
        const QString path = dir_.filePath("page.find");
        for (int i = 0; i < 500; ++i) {
            const QByteArray bytes = g.utf8ish(i % 25 == 0 ? 5000 : 50);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(f.write(bytes), qint64(bytes.size()));
            f.close();
            const QString text = ReadUTF8File(path);
            QCOMPARE(text, Utf8ToString(bytes));
            if (bytes.isEmpty()) QVERIFY(text.isEmpty());
        }
    }
};

DVD_TEST_MAIN(TestPageTextRandom)
#include "tst_pagetext_random.moc"
