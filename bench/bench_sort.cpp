// The film list's numeric and date column sorts on 10 000 and 100 000 rows,
// each beside std::sort of the same keys: once with the texts converted at
// every comparison (the work the list's compare callbacks do), once with the
// keys converted beforehand. Then each header click of the main window on a
// catalogue of as many films (a tenth lent), as the user makes it: every
// column in both directions, once as the first click after a fill and once
// as the click that reverses it; medians of three rounds, the view repainted.
//   bench_sort [N ...]     sizes to run (default 10000 100000)
#include "bench/catalogue.h"
#include "core/frmMaster.h"
#include "core/mDatabase.h"
#include "core/modSortLvw.h"

#include "apppath.h"
#include "listview.h"
#include "vb.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

double number(const QString& s) {
    return s.isEmpty() ? -std::numeric_limits<double>::max() : vb::Val(s.left(31));
}
double date(const QString& s) {
    const QDateTime d = vb::TextToDate(s.left(31));
    return d.isValid() ? vb::DateToDouble(d) : 0.0;
}

template <class Convert>
void baseline(const char* what, const std::vector<QString>& texts, Convert convert, double listMs) {
    QElapsedTimer t;
    std::vector<QString> a = texts;
    t.start();
    std::sort(a.begin(), a.end(),
              [&](const QString& x, const QString& y) { return convert(x) < convert(y); });
    const double perCompare = t.nsecsElapsed() / 1e6;

    std::vector<double> keys;
    keys.reserve(texts.size());
    t.start();
    for (const QString& s : texts)
        keys.push_back(convert(s));
    std::sort(keys.begin(), keys.end());
    const double preconverted = t.nsecsElapsed() / 1e6;
    std::printf(
        "  %-6s list %9.1f ms | std::sort converting per compare %9.1f ms (%.2fx) | keys converted first "
        "%7.1f ms (%.1fx)\n",
        what, listMs, perCompare, listMs / perCompare, preconverted, listMs / preconverted);
}

void run(int n) {
    QRandomGenerator rnd(7);
    ListView lv;
    lv.AddColumn("Ev. číslo");
    for (int c = 0; c < 6; ++c)
        lv.AddColumn("c");
    std::vector<QString> numbers, dates;
    lv.BeginUpdate();
    for (int i = 0; i < n; ++i) {
        const QString num = QString::number(rnd.bounded(n * 2));
        QString when;
        if (rnd.bounded(10) == 0) // a tenth lent
            when = vb::DateToText(QDateTime(QDate(2020, 1, 1).addDays(rnd.bounded(2000)),
                                            QTime(rnd.bounded(24), rnd.bounded(60), rnd.bounded(60))));
        ListItem* it = lv.Add("K" + QString::number(i + 1), num);
        it->setSubItem(1, "Název " + QString::number(i));
        it->setSubItem(4, when);
        numbers.push_back(num);
        dates.push_back(when);
    }
    lv.EndUpdate();

    std::printf("%d rows\n", n);
    QElapsedTimer t;
    lv.setSortKey(0);
    t.start();
    SortListView(&lv, SortNumbers);
    const double numMs = t.nsecsElapsed() / 1e6;
    baseline("number", numbers, number, numMs);

    lv.setSortKey(4);
    t.start();
    SortListView(&lv, SortDates);
    const double dateMs = t.nsecsElapsed() / 1e6;
    baseline("date", dates, date, dateMs);
}

double timedClick(ListView* lv, int column) {
    QElapsedTimer t;
    t.start();
    emit lv->ColumnClick(column);
    QApplication::processEvents(); // the view takes the new order and paints
    return t.nsecsElapsed() / 1e6;
}

void headerClicks(int n) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("data"));
    SetAppPath(dir.path());
    DBPath = dir.filePath("data/data.ddb");
    bench::FillCatalogue(DBPath, n);
    auto* w = new frmMaster;
    w->show();
    QApplication::processEvents();
    ListView* lv = w->lvwList;

    // [column][direction of the click]: the first click after a fill, the one reversing it
    std::vector<double> first[7][2], again[7][2];
    for (int round = 0; round < 3; ++round)
        for (int c = 1; c <= 7; ++c)
            for (const ListSortOrder dir : {lvwAscending, lvwDescending}) {
                // a fill in the query's order, as at the start; the click then
                // turns the order over: start from the other one
                lv->setSorted(false);
                w->NactiSeznamDVD(QStringLiteral("CZJM"));
                lv->setSortOrder(dir == lvwAscending ? lvwDescending : lvwAscending);
                QApplication::processEvents();
                first[c - 1][dir].push_back(timedClick(lv, c));
                again[c - 1][1 - dir].push_back(timedClick(lv, c));
            }
    std::printf("%d films: header click ms  (first after a fill / reversing it)\n", n);
    std::printf("  %-16s %10s %10s %10s %10s\n", "column", "first asc", "first desc", "then asc",
                "then desc");
    for (int c = 1; c <= 7; ++c)
        std::printf("  %s %10.1f %10.1f %10.1f %10.1f\n", qPrintable(lv->Column(c)->Text().leftJustified(16)),
                    bench::Median(first[c - 1][lvwAscending]), bench::Median(first[c - 1][lvwDescending]),
                    bench::Median(again[c - 1][lvwAscending]), bench::Median(again[c - 1][lvwDescending]));
    std::fflush(stdout);
    w->close();
    QApplication::processEvents();
    CloseConnection();
    SetAppPath(QString());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window keeps its column widths in the settings: not in the user's own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    vb::PinLocalTimeZone(); // as the program starts
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QString(argv[i]).toInt());
    if (sizes.empty()) sizes = {10000, 100000};
    for (int n : sizes)
        run(n);
    for (int n : sizes)
        headerClicks(n);
    return 0;
}
