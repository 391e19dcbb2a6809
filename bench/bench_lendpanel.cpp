// The free-films panel of the lending window ("Půjčit" on its toolbar) against
// the size of the catalogue (a tenth of the films out on loan, twice as many
// loan rows as films), beside the bare query straight from SQLite and the bare
// read of the same rows through the catalogue's recordset. "first" is the
// panel's first opening, "again" a reopening, which also empties the old list;
// "again-read" is what the panel adds to the read. Then the return panel
// ("Vrátit") of a client with 2 040 loans, 2 000 of them returned: its first
// opening and a reopening.
//   bench_lendpanel [FILMS ...]     (default 10000 100000)
#include "bench/catalogue.h"
#include "core/mDatabase.h"
#include "core/schema.h"
#include "lending/frmKlienti.h"

#include "ado.h"
#include "apppath.h"
#include "listview.h"
#include "msgbox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

namespace {

const QString kFreeFilmsSql = QStringLiteral(
    "SELECT tDVD.DVDID, tDVD.CZJm FROM tDVD  where  NOT EXISTS ( SELECT  *  FROM tPujcky  WHERE  p_dvdid "
    "=DVDID ) or  NOT EXISTS ( SELECT  *  FROM tPujcky  WHERE  p_dvdid =DVDID and pdatvraceni is null) ORDER "
    "BY CZJM;");

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// The panel's query straight from SQLite, each value read once.
double bareQuery() {
    QElapsedTimer t;
    t.start();
    ado::Connection cn;
    cn.Open(schema::ConnString(DBPath));
    sqlite3* db = cn.handle();
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = kFreeFilmsSql.toUtf8();
    qint64 bytes = 0;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW) {
            bytes += sqlite3_column_int(st, 0);
            sqlite3_column_text(st, 1);
            bytes += sqlite3_column_bytes(st, 1);
        }
    sqlite3_finalize(st);
    cn.Close();
    if (bytes < 0) std::puts("");
    return ms(t);
}

// The rows the panel reads, read as it reads them, into nothing.
double bareRead(int* rows) {
    QElapsedTimer t;
    t.start();
    *rows = 0;
    ErrState err;
    if (OpenForReading(kFreeFilmsSql, QStringLiteral("bench"))) {
        while (RecordsetHasRow()) {
            const QString title = NullToStr(DBRecordset(QStringLiteral("CZJm")).Value());
            const ado::Variant id = DBRecordset(QStringLiteral("DVDID")).Value();
            *rows += !title.isNull() + !id.isNull() > 0;
            if (!MoveNextRow(err)) break;
        }
        CloseConnection();
    }
    return ms(t);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toInt());
    if (sizes.empty()) sizes = {10000, 100000};
    msgbox::Recorder boxes;

    std::printf("%8s %8s %10s %10s %10s %10s %12s %12s %12s\n", "films", "entries", "sqlite ms", "read ms",
                "first ms", "again ms", "again-read", "return 1st", "return again");
    for (int films : sizes) {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("data"));
        SetAppPath(dir.path());
        DBPath = dir.filePath("data/data.ddb");
        bench::FillCatalogue(DBPath, films, 2 * films);
        {
            // A keen client: 2 000 films lent and returned, 40 out now.
            ado::Connection cn;
            cn.Open(schema::ConnString(DBPath));
            cn.Execute(QStringLiteral("INSERT INTO tUser (USNAME) VALUES ('Aaa Sběratel')"));
            cn.Execute(QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2040) "
                "INSERT INTO tPujcky (P_UID, P_DVDID, PDatPujcky, PDatVraceni) SELECT (SELECT max(USID) FROM "
                "tUser), 2 + (i * 7) % %1, '2025-01-01 10:00:00', CASE WHEN i <= 40 THEN NULL ELSE "
                "'2025-01-08 10:00:00' END FROM n")
                           .arg(films - 2));
            cn.Close();
        }
        int rows = 0;
        bareRead(&rows); // the key is derived once per process, the file comes into the cache

        auto* w = new frmKlienti;
        w->show();
        QApplication::processEvents();
        w->lvwUsers->Item(1)->setSelected(true);
        auto open = [&] {
            QElapsedTimer t;
            t.start();
            w->Toolbar1_ButtonClick(QStringLiteral("keyHpujcka"));
            QApplication::processEvents(); // the list lays out and paints
            return ms(t);
        };
        const double first = open();
        // In turns, so that the machine's load weighs on both alike.
        std::vector<double> queries, reads, again;
        for (int r = 0; r < 7; ++r) {
            queries.push_back(bareQuery());
            reads.push_back(bareRead(&rows));
            again.push_back(open());
        }
        const double read = bench::Median(reads), reopen = bench::Median(again);
        const int entries = int(w->lstPujcit->count());

        w->lvwUsers->Item(QStringLiteral("U%1").arg(films / 20 + 1))->setSelected(true); // the keen client
        QApplication::processEvents();
        auto openReturns = [&] {
            QElapsedTimer t;
            t.start();
            w->Toolbar1_ButtonClick(QStringLiteral("keyHVratit"));
            QApplication::processEvents();
            return ms(t);
        };
        const double returnFirst = openReturns();
        std::vector<double> returns;
        for (int r = 0; r < 3; ++r)
            returns.push_back(openReturns());
        std::printf("%8d %8d %10.1f %10.1f %10.1f %10.1f %12.1f %12.1f %12.1f\n", films, entries,
                    bench::Median(queries), read, first, reopen, reopen - read, returnFirst,
                    bench::Median(returns));
        std::fflush(stdout);
        delete w;
        SetAppPath(QString());
    }
    if (boxes.count()) std::printf("messages: %d, last: %s\n", boxes.count(), qPrintable(boxes.last().text));
    return 0;
}
