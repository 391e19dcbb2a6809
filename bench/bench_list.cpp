// The film list of the main window on catalogues of 1 000, 10 000 and
// 100 000 films (a tenth of them lent): the fill, the bare read of the same
// rows straight from SQLite, their ratio, the refresh of one row (which
// marks every open loan again) beside the bare read of the open loans, and
// the peak memory since the catalogue was made.
//   bench_list [N ...]     sizes to run (default 1000 10000 100000)
#include "core/frmMaster.h"
#include "core/mDatabase.h"
#include "core/schema.h"

#include "ado.h"
#include "apppath.h"
#include "listview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* kFilmSql = "SELECT * from tDVD Order by CZJM";
const char* kLoanSql =
    "SELECT tDVD.DVDID, tPujcky.P_UID, tPujcky.P_DVDID, tPujcky.PDatPujcky,tPujcky.PDatVraceni, tUser.USID, "
    "tUser.USNAME FROM tUser INNER JOIN (tDVD INNER JOIN tPujcky ON tDVD.DVDID = tPujcky.P_DVDID) ON "
    "tUser.USID = "
    "tPujcky.P_UID WHERE (((tPujcky.PDatVraceni) Is Null));";

QString word(QRandomGenerator& rnd, bool czech) {
    static const QStringList cz{"ča", "ře", "ši", "žá", "lo", "ví", "ne", "ků",
                                "pa", "dé", "ko", "mí", "tý", "ra", "bů", "ho"};
    static const QStringList en{"the", "ro", "mi", "ght", "dar", "ke", "sun", "ley", "or", "man", "fi", "lo"};
    const QStringList& s = czech ? cz : en;
    QString w;
    const int n = 2 + int(rnd.bounded(3));
    for (int i = 0; i < n; ++i)
        w += s[int(rnd.bounded(s.size()))];
    w[0] = w[0].toUpper();
    return w;
}

QString title(QRandomGenerator& rnd, bool czech) {
    QString t;
    const int n = 1 + int(rnd.bounded(4));
    for (int i = 0; i < n; ++i)
        t += (i ? " " : "") + word(rnd, czech);
    return t;
}

void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

// n films with texts of usual lengths, n/20 clients, n/10 open loans and as
// many returned ones.
void fillCatalogue(const QString& path, int n) {
    schema::CreateCatalogue(path, true);
    ado::Connection cn;
    cn.Open(schema::ConnString(path));
    sqlite3* db = cn.handle();
    QRandomGenerator rnd(4242);
    const QStringList genres = schema::DefaultGenres();
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr));
    sqlite3_stmt* st = nullptr;
    check(db, sqlite3_prepare_v2(
                  db,
                  "INSERT INTO tDVD (CZJm, PuvJm, KatCisl, Zanr, DiskPocet, Obsah, Jazyk, Stat, Rezie, "
                  "Delka, Rok, Oddel_ID, Herci, Poznamka, Nabidka, JazykDetail, Titulky, Obal_ID, "
                  "Nahled_ID) VALUES (?,?,?,?,1,?,?,'USA',?,'120 min','2001',1,?,'','A|N|N|N|N',"
                  "'A|N|N|N|N|N|N|N|N','A|N|N|N|N|N|N',0,0)",
                  -1, &st, nullptr));
    auto bind = [&](int i, const QString& s) {
        const QByteArray b = s.toUtf8();
        sqlite3_bind_text(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    };
    for (int i = 1; i <= n; ++i) {
        bind(1, title(rnd, true));
        bind(2, title(rnd, false));
        bind(3, QString::number(i));
        bind(4, genres[int(rnd.bounded(genres.size()))] + ", " + genres[int(rnd.bounded(genres.size()))]);
        bind(5, QString("Děj filmu ").repeated(20));
        sqlite3_bind_int(st, 6, int(rnd.bounded(3)));
        bind(7, word(rnd, true) + " " + word(rnd, true));
        bind(8, title(rnd, true) + ", " + title(rnd, true) + ", " + title(rnd, true));
        check(db, sqlite3_step(st));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    const int clients = std::max(1, n / 20);
    check(db, sqlite3_prepare_v2(
                  db, "INSERT INTO tUser (USNAME, USADR, USPHONE) VALUES (?, 'Dlouhá 5, Praha', '777123456')",
                  -1, &st, nullptr));
    for (int i = 0; i < clients; ++i) {
        bind(1, word(rnd, true) + " " + word(rnd, true));
        check(db, sqlite3_step(st));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(db, sqlite3_prepare_v2(
                  db, "INSERT INTO tPujcky (P_UID, P_DVDID, PDatPujcky, PDatVraceni) VALUES (?,?,?,?)", -1,
                  &st, nullptr));
    for (int i = 0; i < n / 10; ++i) {
        for (bool open : {false, true}) {
            sqlite3_bind_int(st, 1, 1 + int(rnd.bounded(clients)));
            sqlite3_bind_int(st, 2, open ? 10 * i + 1 : 1 + int(rnd.bounded(n))); // every tenth film is out
            sqlite3_bind_text(st, 3, "2025-03-01 10:15:00", -1, SQLITE_STATIC);
            if (open)
                sqlite3_bind_null(st, 4);
            else
                sqlite3_bind_text(st, 4, "2025-03-08 18:00:00", -1, SQLITE_STATIC);
            check(db, sqlite3_step(st));
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
}

// The same rows, read with nothing but SQLite: every column of every row as
// text. withFilms false: the open loans alone (what a refresh reads).
qint64 bareRead(const QString& path, bool withFilms = true) {
    QElapsedTimer t;
    t.start();
    ado::Connection cn;
    cn.Open(schema::ConnString(path));
    sqlite3* db = cn.handle();
    qint64 bytes = 0;
    for (const char* sql : {kFilmSql, kLoanSql}) {
        if (!withFilms && sql == kFilmSql) continue;
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
    const qint64 ns = t.nsecsElapsed();
    if (bytes < 0) std::puts(""); // keep the reads
    return ns;
}

qint64 median(std::vector<qint64> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long statusKb(const char* key) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

void resetPeak() {
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window keeps its column widths in the settings: not in the user's own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toInt());
    if (sizes.empty()) sizes = {1000, 10000, 100000};

    std::printf("%8s %10s %10s %7s %12s %15s %10s %8s\n", "films", "fill ms", "bare ms", "ratio",
                "refresh ms", "loans bare ms", "peak MB", "rows");
    for (int n : sizes) {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("data"));
        SetAppPath(dir.path());
        DBPath = dir.filePath("data/data.ddb");
        fillCatalogue(DBPath, n);
        resetPeak();

        // the window as start-up opens it; then fills as "Obnovit" runs them
        auto* w = new frmMaster;
        w->show();
        app.processEvents();
        std::vector<qint64> fills, bares, refreshes, loanBares;
        for (int r = 0; r < 5; ++r) {
            QElapsedTimer t;
            t.start();
            w->NactiSeznamDVD(QStringLiteral("CZJM"));
            app.processEvents(); // the view takes the new rows and paints
            fills.push_back(t.nsecsElapsed());
            bares.push_back(bareRead(DBPath));
        }
        for (int r = 0; r < 15; ++r) {
            QElapsedTimer t;
            t.start();
            w->ObnovitZaznam(long(n / 2 + r));
            app.processEvents();
            refreshes.push_back(t.nsecsElapsed());
            loanBares.push_back(bareRead(DBPath, false));
        }
        const long rows = w->lvwList->Count();
        const double fill = median(fills) / 1e6, bare = median(bares) / 1e6;
        std::printf("%8d %10.1f %10.1f %7.2f %12.2f %15.2f %10.1f %8ld\n", n, fill, bare, fill / bare,
                    median(refreshes) / 1e6, median(loanBares) / 1e6, statusKb("VmHWM:") / 1024.0, rows);
        std::fflush(stdout);
        w->close();
        app.processEvents();
        CloseConnection();
        SetAppPath(QString());
    }
    return 0;
}
