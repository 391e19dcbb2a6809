// The text helpers on texts of 1, 4 and 16 MB built to be their worst case:
// Replace with a match at every character (the film editor's running time
// pasted with blanks), trimming, splitting, searching and cutting, number and
// date texts, and the page-text functions of the look-ups. Prints each time
// and the growth from one size to the next, which stays near 4 when a helper
// is linear. A helper that has taken longer than the budget is not run on the
// larger sizes ("-").
//   bench_strings [MB ...]   sizes (default 1 4 16)
#include "lookup/Module1.h"
#include "lookup/frmCSFDFind.h"
#include "lookup/frmNetFind.h"

#include "vb.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double kBudgetSeconds = 60;

// `unit` repeated to `chars` characters.
QString repeated(const QString& unit, qint64 chars) {
    QString out;
    out.reserve(chars + unit.size());
    while (out.size() < chars)
        out += unit;
    out.truncate(chars);
    return out;
}

struct Case {
    const char* name;
    std::function<QString(qint64 chars)> make;
    std::function<void(const QString& text)> run;
};

double timeOf(const Case& c, qint64 chars) {
    const QString text = c.make(chars);
    QElapsedTimer t;
    t.start();
    c.run(text);
    return t.nsecsElapsed() / 1e9;
}

// Swallows a result so the call is not optimised away.
volatile qsizetype g_sink = 0;
void keep(qsizetype n) {
    g_sink = g_sink + n;
}
void keep(const QString& s) {
    keep(s.size());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<double> sizesMb;
    for (int i = 1; i < argc; ++i)
        sizesMb.push_back(QString::fromLocal8Bit(argv[i]).toDouble());
    if (sizesMb.empty()) sizesMb = {1, 4, 16};

    const auto blanks = [](qint64 n) { return repeated(QStringLiteral(" "), n); };
    const auto digitsAndBlanks = [](qint64 n) { return QStringLiteral("1") + repeated(" ", n) + "20 min."; };
    const auto oneWord = [](qint64 n) { return repeated(QStringLiteral("x"), n); };
    const Case cases[] = {
        {"Replace \" \" by \"\" (all blanks)", blanks,
         [](const QString& t) { keep(vb::Replace(t, QStringLiteral(" "), QString())); }},
        {"Replace \"a\" by \"bb\"", [](qint64 n) { return repeated(QStringLiteral("a"), n); },
         [](const QString& t) { keep(vb::Replace(t, QStringLiteral("a"), QStringLiteral("bb"))); }},
        {"Replace \"x\" by \"y\", text compare", [](qint64 n) { return repeated(QStringLiteral("xX"), n); },
         [](const QString& t) {
             keep(vb::Replace(t, QStringLiteral("x"), QStringLiteral("y"), 1, -1, vb::vbTextCompare));
         }},
        {"Replace, running time with blanks", digitsAndBlanks,
         [](const QString& t) {
             QString r = vb::Replace(t, QStringLiteral(" "), QString());
             r = vb::Replace(r, QStringLiteral("min"), QString());
             keep(vb::Replace(r, QStringLiteral("."), QString()));
         }},
        {"Trim, LTrim, RTrim (blanks round a word)",
         [](qint64 n) { return repeated(" ", n / 2) + "x" + repeated(" ", n / 2); },
         [](const QString& t) {
             keep(vb::Trim(t));
             keep(vb::LTrim(t));
             keep(vb::RTrim(t));
         }},
        {"Split on \",\" (empty parts)", [](qint64 n) { return repeated(QStringLiteral(","), n); },
         [](const QString& t) { keep(vb::Split(t, QStringLiteral(",")).size()); }},
        {"Split on \"ab\", text compare", [](qint64 n) { return repeated(QStringLiteral("aAb"), n); },
         [](const QString& t) { keep(vb::Split(t, QStringLiteral("ab"), -1, vb::vbTextCompare).size()); }},
        {"InStr, InStrRev of a missing text", [](qint64 n) { return repeated(QStringLiteral("aaab"), n); },
         [](const QString& t) {
             keep(vb::InStr(1, t, QStringLiteral("aaaa")));
             keep(vb::InStr(1, t, QStringLiteral("AAAA"), vb::vbTextCompare));
             keep(vb::InStrRev(t, QStringLiteral("aaaa")));
         }},
        {"Mid, Left, Right, UCase, LCase", oneWord,
         [](const QString& t) {
             keep(vb::Mid(t, 2));
             keep(vb::Mid(t, 2, int(t.size()) / 2));
             keep(vb::Left(t, int(t.size()) - 1));
             keep(vb::Right(t, int(t.size()) - 1));
             keep(vb::UCase(t));
             keep(vb::LCase(t));
         }},
        {"CharCount, LeftChars", oneWord,
         [](const QString& t) {
             keep(vb::CharCount(t));
             keep(vb::LeftChars(t, int(t.size()) - 1));
         }},
        {"Val, IsNumeric, IsDate (blanks then \"x\")",
         [](qint64 n) { return repeated(QStringLiteral(" "), n) + "x"; },
         [](const QString& t) {
             keep(qsizetype(vb::Val(t)));
             keep(vb::IsNumeric(ado::Variant(t)) ? 1 : 0);
             keep(vb::IsDate(t) ? 1 : 0);
         }},
        {"IsNumeric, IsDate (digits then \"x\")",
         [](qint64 n) { return repeated(QStringLiteral("1"), n) + "x"; },
         [](const QString& t) {
             keep(vb::IsNumeric(ado::Variant(t)) ? 1 : 0);
             keep(vb::IsDate(t) ? 1 : 0);
         }},
        {"HtmlToText (\"<\" and \"&\" without end)",
         [](qint64 n) { return repeated(QStringLiteral("<&a"), n); },
         [](const QString& t) { keep(HtmlToText(t)); }},
        {"film database: marker search, tags out",
         [](qint64 n) { return repeated(QStringLiteral("<b>&nbsp;<i>"), n) + "</span>"; },
         [](const QString& t) {
             keep(frmCSFDFind::OdebratTagy(
                 frmCSFDFind::NajdiTextPolozkyString(t, QStringLiteral("<b>"), QStringLiteral("</span>"))));
         }},
        {"e-shop: a result link's title and id",
         [](qint64 n) {
             return "id_zbozi=1&x>" + repeated(QStringLiteral("<FONT style=\"COLOR: green\">"), n);
         },
         [](const QString& t) {
             keep(frmNetFind::ziskejNazev(t));
             keep(frmNetFind::GetID(t));
         }},
    };

    std::printf("%-42s", "helper");
    for (double mb : sizesMb)
        std::printf(" %9.0f MB", mb);
    std::printf(" | growth per step\n");
    for (const Case& c : cases) {
        std::printf("%-42s", c.name);
        std::fflush(stdout);
        std::vector<double> secs;
        for (double mb : sizesMb) {
            if (!secs.empty() && secs.back() > kBudgetSeconds) {
                std::printf(" %12s", "-");
                continue;
            }
            secs.push_back(timeOf(c, qint64(mb * 1024 * 1024)));
            std::printf(" %10.3f s", secs.back());
            std::fflush(stdout);
        }
        std::printf(" |");
        for (size_t i = 1; i < secs.size(); ++i)
            std::printf(" %.1f", secs[i] / qMax(secs[i - 1], 1e-6));
        std::printf("\n");
    }
    return 0;
}
