// The look-ups' page parsers on adversarial pages of 10 kB, 100 kB, 1 MB and
// 10 MB: the e-shop's result list (thousands of links), the cover list (one
// option full of "&", one full of "&nbsp" and ";") and the film database's
// other titles (thousands of titles). Prints each time, seconds per MB and the
// growth from 1 MB to 10 MB, which stays near 10 for a linear parse.
//   QT_QPA_PLATFORM=offscreen bench_parsers [MB ...]   largest sizes (default 0.01 0.1 1 10)
#include "lookup/frmCSFDFind.h"
#include "lookup/frmFindObal.h"
#include "lookup/frmNetFind.h"

#include "apppath.h"
#include "listview.h"
#include "msgbox.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

// `unit` repeated between `head` and `tail` up to about `bytes` characters.
QString page(const QString& head, const QString& unit, const QString& tail, qint64 bytes) {
    QString out = head;
    out.reserve(bytes + head.size() + tail.size() + unit.size());
    for (int i = 0; out.size() < bytes; ++i)
        out += QString(unit).replace(QLatin1String("%N"), QString::number(i));
    return out + tail;
}

struct Parser {
    const char* name;
    std::function<QString(qint64 bytes)> make;
    std::function<void(const QString& page)> parse;
};

double timeOf(const Parser& p, qint64 bytes) {
    const QString text = p.make(bytes);
    QElapsedTimer t;
    t.start();
    p.parse(text);
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SetAppPath(dir.path());
    msgbox::Recorder boxes; // "Obal nebyl nalezen." and the like are not shown

    std::vector<double> sizesMb;
    for (int i = 1; i < argc; ++i)
        sizesMb.push_back(QString::fromLocal8Bit(argv[i]).toDouble());
    if (sizesMb.empty()) sizesMb = {0.01, 0.1, 1, 10};

    frmNetFind shop;
    frmFindObal covers(nullptr);
    frmCSFDFind films;
    const QString coverList = QStringLiteral("<select name=\"dvd\" align=\"center\" size=25>");

    // A row already listed is not read again: each run starts from an empty list.
    const auto parseCovers = [&](const QString& text) {
        covers.lvwDVD->Clear();
        covers.ZpracujZaznamy(text);
    };
    const Parser parsers[] = {
        {"e-shop result list, links",
         [](qint64 n) {
             return page(
                 QStringLiteral("<HTML><BODY>") + QString(100, QLatin1Char(' ')),
                 QStringLiteral("<TR><TD><A class=zbozi title=\"Film %N\" "
                                "href=\"zbozi_video.php?id_zbozi=%N&amp;kat=2\">Film %N</A></TD></TR>\n"),
                 QStringLiteral("</BODY></HTML>"), n);
         },
         [&](const QString& text) {
             shop.List1->clear();
             shop.RichTextBox1->setPlainText(text);
             shop.ZpracujSeznam();
         }},
        {"cover list, one option of \"&\"",
         [&](qint64 n) {
             return page(coverList + QStringLiteral("<option value=\"1\">Film&nbsp;("), QStringLiteral("&"),
                         QStringLiteral(")</option></select>"), n);
         },
         parseCovers},
        {"cover list, one option of \"&nbsp\" and \";\"",
         [&](qint64 n) {
             return page(coverList + QStringLiteral("<option value=\"1\">Film&nbsp"),
                         QStringLiteral(" ;&nbsp"), QStringLiteral("(Film)</option></select>"), n);
         },
         parseCovers},
        {"film database, other titles",
         [](qint64 n) {
             return page(
                 QStringLiteral("<div class='nazvy'>                  <table cellpadding='0' "
                                "cellspacing='0' border='0'>"),
                 QStringLiteral("<tr><td><img src='flag.gif' vspace='2' ></td><td>Název %N</td></tr>\n"),
                 QStringLiteral("</td></tr></table>"), n);
         },
         [&](const QString& text) { films.ZpracujDalsiNazvy(text); }},
    };

    std::printf("%-44s", "parser");
    for (double mb : sizesMb)
        std::printf(" %10.2f MB", mb);
    std::printf(" | worst s/MB | growth last/previous\n");
    for (const Parser& p : parsers) {
        std::printf("%-44s", p.name);
        std::vector<double> secs;
        double worstPerMb = 0;
        for (double mb : sizesMb) {
            secs.push_back(timeOf(p, qint64(mb * 1024 * 1024)));
            std::printf(" %11.4f s", secs.back());
            std::fflush(stdout);
            if (mb >= 1) worstPerMb = std::max(worstPerMb, secs.back() / mb);
        }
        const double growth = secs.size() >= 2 ? secs.back() / secs[secs.size() - 2] : 0;
        std::printf(" | %10.4f | %6.1f\n", worstPerMb, growth);
    }
    return 0;
}
