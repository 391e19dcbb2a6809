// The four printed lists on a catalogue of N films (default 10 000), half of
// them with a 50 kB preview: each list's time, clicked on the print dialog,
// beside what it cannot do without: the simple lists beside the bare read of
// their query straight from SQLite, the detailed list beside the bare export
// of the same pictures by file copy.
//   bench_print [N ...]
#include "core/mDatabase.h"
#include "core/schema.h"
#include "printing/frmTisknout.h"

#include "ado.h"
#include "apppath.h"
#include "msgbox.h"
#include "shell.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPreviewBytes = 50 * 1024;
constexpr int kRuns = 3;

void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

QString word(QRandomGenerator& rnd) {
    static const QStringList s{"ča", "ře", "ši", "žá", "lo", "ví", "ne",
                               "ků", "pa", "dé", "ko", "mí", "tý", "ra"};
    QString w;
    for (int i = 0, n = 2 + int(rnd.bounded(3)); i < n; ++i)
        w += s[int(rnd.bounded(s.size()))];
    w[0] = w[0].toUpper();
    return w;
}

// Every second film gets a preview of its own in the picture store.
void fill(const QString& catalogue, const QString& pictures, int n) {
    schema::CreateCatalogue(catalogue, true);
    schema::CreatePictureStore(pictures);
    QRandomGenerator rnd(4242);

    ado::Connection pc;
    pc.Open(schema::ConnString(pictures));
    sqlite3* pdb = pc.handle();
    check(pdb, sqlite3_exec(pdb, "BEGIN", nullptr, nullptr, nullptr));
    sqlite3_stmt* st = nullptr;
    check(pdb, sqlite3_prepare_v2(pdb,
                                  "INSERT INTO tPicture (PicDVDID, PicSkup, PicTyp, PicSize, PicDat) "
                                  "VALUES (?, 'N', 'JPG', ?, ?)",
                                  -1, &st, nullptr));
    QByteArray bytes(kPreviewBytes, Qt::Uninitialized);
    for (int i = 1; i <= n; i += 2) {
        for (auto& b : bytes)
            b = char(rnd.bounded(256));
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_int(st, 2, kPreviewBytes);
        sqlite3_bind_blob(st, 3, bytes.constData(), kPreviewBytes, SQLITE_TRANSIENT);
        check(pdb, sqlite3_step(st));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(pdb, sqlite3_exec(pdb, "COMMIT", nullptr, nullptr, nullptr));
    pc.Close();

    ado::Connection cn;
    cn.Open(schema::ConnString(catalogue));
    sqlite3* db = cn.handle();
    const QStringList genres = schema::DefaultGenres();
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr));
    check(db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO tDVD (CZJm, PuvJm, KatCisl, Zanr, DiskPocet, Obsah, Jazyk, Stat, "
                             "Rezie, Delka, Rok, Oddel_ID, Herci, Poznamka, Obal_ID, Nahled_ID) "
                             "VALUES (?,?,?,?,1,?,?,'USA',?,'120 min','2001',1,?,'',0,?)",
                             -1, &st, nullptr));
    auto bind = [&](int i, const QString& s) {
        const QByteArray b = s.toUtf8();
        sqlite3_bind_text(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    };
    for (int i = 1; i <= n; ++i) {
        bind(1, word(rnd) + " " + word(rnd));
        bind(2, word(rnd));
        bind(3, QString::number(i));
        bind(4, genres[int(rnd.bounded(genres.size()))] + ", " + genres[int(rnd.bounded(genres.size()))]);
        bind(5, QString("Děj filmu ").repeated(20));
        sqlite3_bind_int(st, 6, int(rnd.bounded(3)));
        bind(7, word(rnd) + " " + word(rnd));
        bind(8, word(rnd) + " " + word(rnd) + ", " + word(rnd) + " " + word(rnd));
        sqlite3_bind_int(st, 9, i % 2 ? (i + 1) / 2 : 0);
        check(db, sqlite3_step(st));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
    cn.Close();
}

// The list's query read with nothing but SQLite: every column of every row as text.
qint64 bareRead(const QString& path, const char* sql) {
    QElapsedTimer t;
    t.start();
    ado::Connection cn;
    cn.Open(schema::ConnString(path));
    sqlite3* db = cn.handle();
    sqlite3_stmt* st = nullptr;
    check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr));
    qint64 bytes = 0;
    const int cols = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < cols; ++c) {
            sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
        }
    sqlite3_finalize(st);
    cn.Close();
    const qint64 ns = t.nsecsElapsed();
    if (bytes < 0) std::puts("");
    return ns;
}

// The exported previews copied file by file into a folder of their own,
// each replacing the copy of the run before, as each export replaces the last.
qint64 bareExport(const QStringList& files, const QString& from, const QString& to) {
    QElapsedTimer t;
    t.start();
    for (const QString& f : files) {
        QFile::remove(to + f);
        if (!QFile::copy(from + f, to + f)) std::fprintf(stderr, "copy of %s failed\n", qPrintable(f));
    }
    return t.nsecsElapsed();
}

qint64 median(std::vector<qint64> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toInt());
    if (sizes.empty()) sizes = {10000};

    shell::Recorder shellRec; // the page is not opened
    msgbox::Recorder boxes;
    for (int n : sizes) {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("data"));
        QDir().mkpath(dir.filePath("copy"));
        SetAppPath(dir.path());
        DBPath = dir.filePath("data/data.ddb");
        fill(DBPath, dir.filePath("data/pictures.ddb"), n);

        frmTisknout dlg(nullptr);
        dlg.show();
        app.processEvents();
        struct List {
            const char* name;
            QPushButton* button;
            const char* sql;
        };
        const List lists[] = {
            {"Command1 abecedně", dlg.Command1, "SELECT * from tDVD ORDER BY CZJM"},
            {"Command2 od nejnovějších", dlg.Command2, "SELECT * from tDVD ORDER BY DVDID DESC"},
            {"Command3 kat. číslo", dlg.Command3, "SELECT * from tDVD ORDER BY KatCisl ASC"},
            {"Command4 podrobný", dlg.Command4, "SELECT * from tDVD ORDER BY CZJM"},
        };
        std::printf("%d films, %d with a %d kB preview\n", n, (n + 1) / 2, kPreviewBytes / 1024);
        std::printf("%-26s %10s %14s %8s %10s\n", "list", "list ms", "reference ms", "ratio", "page kB");
        for (const List& l : lists) {
            std::vector<qint64> times, refs;
            for (int r = 0; r < kRuns; ++r) {
                QElapsedTimer t;
                t.start();
                l.button->click();
                times.push_back(t.nsecsElapsed());
            }
            QStringList exported;
            const bool detailed = l.button == dlg.Command4;
            if (detailed) exported = QDir(dir.filePath("data")).entryList({"n*.jpg"}, QDir::Files);
            if (detailed)
                bareExport(exported, dir.filePath("data/"), dir.filePath("copy/")); // the first copies
            for (int r = 0; r < kRuns; ++r)
                refs.push_back(detailed ? bareExport(exported, dir.filePath("data/"), dir.filePath("copy/"))
                                        : bareRead(DBPath, l.sql));
            const double ms = median(times) / 1e6, ref = median(refs) / 1e6;
            std::printf("%-26s %10.1f %14.1f %8.2f %10lld   (%s)\n", l.name, ms, ref, ms / ref,
                        QFile(dir.filePath("data/test.htm")).size() / 1024,
                        detailed ? qPrintable(QString("bare copy of %1 previews").arg(exported.size()))
                                 : "bare read of the query");
            std::fflush(stdout);
        }
        if (boxes.count())
            std::printf("%d message boxes, first: %s\n", boxes.count(), qPrintable(boxes.last().text));
        CloseConnection();
        SetAppPath(QString());
    }
    return 0;
}
