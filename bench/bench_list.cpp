// The film list of the main window on catalogues of 1 000, 10 000 and
// 100 000 films (a tenth of them lent): the fill, the bare read of the same
// rows straight from SQLite, their ratio; the fill's query as the layer reads
// it beside a plain scan of the same table straight from SQLite; the refresh of one row (which marks every
// open loan again) beside the bare read of the open loans; the peak memory
// since the catalogue was made and the resident size once the list is idle.
//   bench_list [N ...]     sizes to run (default 1000 10000 100000)
#include "bench/catalogue.h"
#include "core/frmMaster.h"
#include "core/mDatabase.h"
#include "core/schema.h"

#include "ado.h"
#include "apppath.h"
#include "listview.h"
#include "vb.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace {

const char* kFilmSql = "SELECT * from tDVD Order by CZJM";
// The same rows in the table's own order: what a plain scan costs.
const char* kScanSql = "SELECT * from tDVD";
const char* kLoanSql =
    "SELECT tDVD.DVDID, tPujcky.P_UID, tPujcky.P_DVDID, tPujcky.PDatPujcky,tPujcky.PDatVraceni, tUser.USID, "
    "tUser.USNAME FROM tUser INNER JOIN (tDVD INNER JOIN tPujcky ON tDVD.DVDID = tPujcky.P_DVDID) ON "
    "tUser.USID = "
    "tPujcky.P_UID WHERE (((tPujcky.PDatVraceni) Is Null));";

void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

// The queries' rows read with nothing but SQLite on a connection of their own
// (as every operation opens one): every column of every row as text.
double bareRead(const QString& path, std::initializer_list<const char*> queries) {
    QElapsedTimer t;
    t.start();
    ado::Connection cn;
    cn.Open(schema::ConnString(path));
    sqlite3* db = cn.handle();
    qint64 bytes = 0;
    for (const char* sql : queries) {
        sqlite3_stmt* st = nullptr;
        check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr));
        const int cols = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < cols; ++c) {
                sqlite3_column_text(st, c);
                bytes += sqlite3_column_bytes(st, c);
            }
        sqlite3_finalize(st);
    }
    cn.Close();
    const double ms = t.nsecsElapsed() / 1e6;
    if (bytes < 0) std::puts(""); // keep the reads
    return ms;
}

// The fill's query as the layer reads it (every row kept), on a connection of its own.
double layerRead(const QString& path, const char* sql) {
    QElapsedTimer t;
    t.start();
    ado::Connection cn;
    cn.Open(schema::ConnString(path));
    ado::Recordset rs;
    rs.Open(QString::fromUtf8(sql), cn);
    const long rows = rs.RecordCount();
    rs.Close();
    cn.Close();
    const double ms = t.nsecsElapsed() / 1e6;
    if (rows < 0) std::puts(""); // keep the read
    return ms;
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
        sizes.push_back(QByteArray(argv[i]).toInt());
    if (sizes.empty()) sizes = {1000, 10000, 100000};

    std::printf("%8s %8s %8s %6s %9s %8s %6s %10s %10s %8s %8s %8s\n", "films", "fill ms", "bare ms", "ratio",
                "query ms", "scan ms", "q/scan", "refresh ms", "loans ms", "peak MB", "idle MB", "rows");
    for (int n : sizes) {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("data"));
        SetAppPath(dir.path());
        DBPath = dir.filePath("data/data.ddb");
        bench::FillCatalogue(DBPath, n);
        bench::ResetPeak();

        // the window as start-up opens it; then fills as "Obnovit" runs them,
        // and refreshes of one row; the peak and idle memory are the program's
        auto* w = new frmMaster;
        w->show();
        app.processEvents();
        std::vector<double> fills, refreshes;
        for (int r = 0; r < 5; ++r) {
            QElapsedTimer t;
            t.start();
            w->NactiSeznamDVD(QStringLiteral("CZJM"));
            app.processEvents(); // the view takes the new rows and paints
            fills.push_back(t.nsecsElapsed() / 1e6);
        }
        for (int r = 0; r < 15; ++r) {
            QElapsedTimer t;
            t.start();
            w->ObnovitZaznam(long(n / 2 + r));
            app.processEvents();
            refreshes.push_back(t.nsecsElapsed() / 1e6);
        }
        const long peakKb = bench::StatusKb("VmHWM");
        app.processEvents();
        const long idleKb = bench::StatusKb("VmRSS");

        // what the same reads cost without the window
        std::vector<double> bares, queries, scans, loanBares;
        for (int r = 0; r < 5; ++r) {
            bares.push_back(bareRead(DBPath, {kFilmSql, kLoanSql}));
            queries.push_back(layerRead(DBPath, kFilmSql));
            scans.push_back(bareRead(DBPath, {kScanSql}));
        }
        for (int r = 0; r < 15; ++r)
            loanBares.push_back(bareRead(DBPath, {kLoanSql}));
        const long rows = w->lvwList->Count();
        const double fill = bench::Median(fills), bare = bench::Median(bares);
        const double query = bench::Median(queries), scan = bench::Median(scans);
        std::printf("%8d %8.1f %8.1f %6.2f %9.1f %8.1f %6.2f %10.2f %10.2f %8.1f %8.1f %8ld\n", n, fill, bare,
                    fill / bare, query, scan, query / scan, bench::Median(refreshes),
                    bench::Median(loanBares), peakKb / 1024.0, idleKb / 1024.0, rows);
        std::fflush(stdout);
        w->close();
        app.processEvents();
        CloseConnection();
        SetAppPath(QString());
    }
    return 0;
}
