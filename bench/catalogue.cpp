#include "bench/catalogue.h"

#include "core/schema.h"

#include "ado.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

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

} // namespace

void FillCatalogue(const QString& path, int films, int loans) {
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
    for (int i = 1; i <= films; ++i) {
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
    const int clients = std::max(1, films / 20);
    check(db, sqlite3_prepare_v2(
                  db, "INSERT INTO tUser (USNAME, USADR, USPHONE) VALUES (?, 'Dlouhá 5, Praha', '777123456')",
                  -1, &st, nullptr));
    for (int i = 0; i < clients; ++i) {
        bind(1, word(rnd, true) + " " + word(rnd, true));
        check(db, sqlite3_step(st));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    const int open = loans < 0 ? films / 10 : std::min(loans / 2, films / 10);
    const int returned = loans < 0 ? open : loans - open;
    check(db, sqlite3_prepare_v2(
                  db, "INSERT INTO tPujcky (P_UID, P_DVDID, PDatPujcky, PDatVraceni) VALUES (?,?,?,?)", -1,
                  &st, nullptr));
    auto loan = [&](int film) { // film 0: a returned loan of any film
        sqlite3_bind_int(st, 1, 1 + int(rnd.bounded(clients)));
        sqlite3_bind_int(st, 2, film ? film : 1 + int(rnd.bounded(std::max(1, films))));
        sqlite3_bind_text(st, 3, "2025-03-01 10:15:00", -1, SQLITE_STATIC);
        if (film)
            sqlite3_bind_null(st, 4);
        else
            sqlite3_bind_text(st, 4, "2025-03-08 18:00:00", -1, SQLITE_STATIC);
        check(db, sqlite3_step(st));
        sqlite3_reset(st);
    };
    for (int i = 0; i < std::max(open, returned); ++i) {
        if (i < returned) loan(0);
        if (i < open) loan(10 * i + 1); // every tenth film is out
    }
    sqlite3_finalize(st);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
}

long StatusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ').first().toLong();
    return -1;
}

bool ResetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace bench
