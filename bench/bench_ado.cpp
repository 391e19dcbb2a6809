// The database layer against bare sqlite3 calls: reading the whole film table,
// and the cost of one operation's open + one-row query + close.
#include "core/mDatabase.h"
#include "core/schema.h"

#include "ado.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

const char* const kWords[] = {"Cesta",  "Čelisti", "dech",   "Had",     "chata", "Ivan",     "Noc",
                              "Řeka",   "Šílený",  "život",  "Smrt",    "láska", "Muž",      "žena",
                              "Návrat", "Poklad",  "Ostrov", "Hvězdné", "války", "Pán",      "prstenů",
                              "Kníže",  "Temný",   "rytíř",  "Útěk",    "z",     "Alcatrazu"};

QString words(QRandomGenerator& g, int n) {
    QString s;
    for (int i = 0; i < n; ++i) {
        if (i) s += QLatin1Char(' ');
        s += QString::fromUtf8(kWords[g.bounded(int(std::size(kWords)))]);
    }
    return s;
}

void bind(sqlite3_stmt* st, int i, const QString& s) {
    const QByteArray b = s.toUtf8();
    sqlite3_bind_text(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

// A catalogue of n films, written with one prepared insert in one transaction.
void buildCatalogue(const QString& path, int n) {
    schema::CreateCatalogue(path, true);
    ado::Connection cn;
    cn.Open(schema::ConnString(path));
    sqlite3* db = cn.handle();
    cn.Execute("BEGIN");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO tDVD (CZJm, PuvJm, KatCisl, Zanr, DiskPocet, Obsah, Jazyk, Stat, Rezie, Delka, "
        "Rok, Oddel_ID, Herci, Poznamka, Nabidka, JazykDetail, Titulky, Obal_ID, Nahled_ID) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
        -1, &st, nullptr);
    QRandomGenerator g(7);
    for (int i = 1; i <= n; ++i) {
        bind(st, 1, words(g, 1 + g.bounded(4)));
        bind(st, 2, words(g, 1 + g.bounded(4)));
        bind(st, 3, QString::number(i));
        bind(st, 4, QStringLiteral("Drama, Komedie"));
        sqlite3_bind_int(st, 5, 1);
        bind(st, 6, words(g, 40)); // a description of about 250 characters
        sqlite3_bind_int(st, 7, g.bounded(3));
        bind(st, 8, QStringLiteral("USA"));
        bind(st, 9, words(g, 2));
        bind(st, 10, QStringLiteral("120 min"));
        bind(st, 11, QString::number(1950 + g.bounded(70)));
        sqlite3_bind_int(st, 12, 1 + g.bounded(5));
        bind(st, 13, words(g, 8));
        bind(st, 14, QString());
        bind(st, 15, QStringLiteral("A|N|A|N|A"));
        bind(st, 16, QStringLiteral("A|N|N|N|N|N|N|N|N"));
        bind(st, 17, QStringLiteral("A|N|N|N|N|N|N"));
        sqlite3_bind_int(st, 18, 0);
        sqlite3_bind_int(st, 19, 0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    cn.Execute("COMMIT");
}

double bestOf(int runs, const std::function<void()>& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

long rssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

volatile qint64 sink;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // An optional folder keeps the catalogues (for profiling); else a temporary one.
    QTemporaryDir tmp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    const QString sql = QStringLiteral("SELECT * from tDVD");

    for (int n : {10000, 100000}) {
        const QString path = folder + QStringLiteral("/data%1.ddb").arg(n);
        QFile::remove(path);
        QElapsedTimer t;
        t.start();
        buildCatalogue(path, n);
        std::printf("%d films: catalogue built in %.0f ms\n", n, t.nsecsElapsed() / 1e6);

        ado::Connection cn;
        cn.Open(schema::ConnString(path));

        // Bare sqlite3: step and take every column's value.
        auto bare = [&](bool toQString) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(cn.handle(), "SELECT * from tDVD", -1, &st, nullptr);
            const int cols = sqlite3_column_count(st);
            qint64 acc = 0;
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int i = 0; i < cols; ++i) {
                    switch (sqlite3_column_type(st, i)) {
                    case SQLITE_INTEGER:
                        acc += sqlite3_column_int64(st, i);
                        break;
                    case SQLITE_TEXT: {
                        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                        const int len = sqlite3_column_bytes(st, i);
                        acc += toQString ? QString::fromUtf8(p, len).size() : len;
                        break;
                    }
                    default:
                        break;
                    }
                }
            }
            sqlite3_finalize(st);
            sink = acc;
        };
        const double bareRaw = bestOf(5, [&] { bare(false); });
        const double bareStr = bestOf(5, [&] { bare(true); });

        // The layer: open the recordset, read every field by name to the end.
        // The first run takes fresh memory (a page fault per page); later runs
        // reuse the blocks a closed recordset left.
        long memKb = 0;
        auto layerRead = [&] {
            const long before = rssKb();
            ado::Recordset rs;
            rs.Open(sql, cn);
            memKb = std::max(memKb, rssKb() - before);
            QStringList names;
            for (int i = 0; i < rs.FieldCount(); ++i)
                names << rs.Fields(i).Name();
            qint64 acc = 0;
            while (!rs.Eof()) {
                for (const QString& name : names) {
                    const ado::Variant v = rs(name).Value();
                    acc += v.type() == ado::Variant::String ? v.toString().size() : v.toLong();
                }
                rs.MoveNext();
            }
            rs.Close();
            sink = acc;
        };
        const double cold = bestOf(1, layerRead);
        const double warm = bestOf(3, layerRead);
        std::printf("%d films: \"%s\" to the end: bare sqlite3 %.1f ms (with QString %.1f ms); layer %.1f ms "
                    "(first run, fresh memory: %.1f ms, %ld KB)\n",
                    n, qPrintable(sql), bareRaw, bareStr, warm, cold, memKb);
        std::printf(
            "%d films: ratio layer / bare %.2f (first run %.2f); against bare with QString %.2f (%.2f)\n", n,
            warm / bareRaw, cold / bareRaw, warm / bareStr, cold / bareStr);
        cn.Close();

        // One operation: OpenConnection + one-row query + CloseConnection.
        DBPath = path;
        const int cycles = 1000;
        QRandomGenerator g(3);
        const double ops = bestOf(1, [&] {
            for (int i = 0; i < cycles; ++i) {
                OpenConnection();
                OpenRecordset(QStringLiteral("SELECT * from tDVD WHERE DVDID=%1").arg(1 + g.bounded(n)));
                sink = DBRecordset("DVDID").Value().toLong();
                CloseRecordset();
                CloseConnection();
            }
        });
        std::printf(
            "%d films: OpenConnection + one-row query + CloseConnection: %.3f ms on average over %d\n", n,
            ops / cycles, cycles);
        std::fflush(stdout);
    }
    return 0;
}
