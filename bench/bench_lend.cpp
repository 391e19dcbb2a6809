// Lending against the size of the loan history: one lend and a bulk lend of
// 20 films (what "Zapůjčit vybrané" writes) on a catalogue without loans and
// on one with 200 000 loan rows.
//   bench_lend [LOANS ...]     loan rows to run (default 0 200000)
#include "bench/catalogue.h"
#include "core/mDatabase.h"
#include "lending/mPujcky.h"

#include "apppath.h"
#include "msgbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toInt());
    if (sizes.empty()) sizes = {0, 200000};
    constexpr int kFilms = 1000;
    constexpr int kBulk = 20;
    msgbox::Recorder boxes; // a refused write is counted, not shown

    std::printf("%10s %10s %12s %10s %12s\n", "loans", "lend ms", "bulk 20 ms", "lend/0", "bulk/0");
    double lend0 = 0, bulk0 = 0;
    for (int loans : sizes) {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("data"));
        SetAppPath(dir.path());
        DBPath = dir.filePath("data/data.ddb");
        bench::FillCatalogue(DBPath, kFilms, loans);
        ZapsatPujcku(1, 2); // the key is derived once per process

        std::vector<double> lends, bulks;
        for (int r = 0; r < 15; ++r) {
            QElapsedTimer t;
            t.start();
            ZapsatPujcku(1 + r % 10, 2 + 10 * r);
            lends.push_back(t.nsecsElapsed() / 1e6);
        }
        for (int r = 0; r < 5; ++r) {
            QElapsedTimer t;
            t.start();
            for (int k = 0; k < kBulk; ++k)
                ZapsatPujcku(3, 3 + 10 * k + r);
            bulks.push_back(t.nsecsElapsed() / 1e6);
        }
        const double lend = bench::Median(lends), bulk = bench::Median(bulks);
        if (loans == 0) {
            lend0 = lend;
            bulk0 = bulk;
        }
        std::printf("%10d %10.2f %12.1f %10.2f %12.2f\n", loans, lend, bulk, lend0 > 0 ? lend / lend0 : 0.0,
                    bulk0 > 0 ? bulk / bulk0 : 0.0);
        std::fflush(stdout);
        SetAppPath(QString());
    }
    if (boxes.count()) std::printf("messages: %d, last: %s\n", boxes.count(), qPrintable(boxes.last().text));
    return 0;
}
