#include "core/mBlobDATA.h"
#include "core/mDatabase.h"

#include "apppath.h"
#include "filesizelimit.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRandomGenerator>

#include <csignal>
#include <sys/resource.h>

namespace {

// Bytes that differ from one 100000-byte piece to the next, so a piece out
// of place or missing shows.
QByteArray pictureBytes(qint64 size, quint32 seed) {
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(gen.generate() & 0xff);
    return bytes;
}

QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return QString();
    return path;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> boxes;
    QTemporaryDir src; // the user's picture files

    TestProgramDir::Row pictureRow(long picId) {
        const auto rows = dir->rows(QStringLiteral("SELECT * FROM tPicture WHERE PicID=%1").arg(picId),
                                    dir->picturesPath());
        return rows.isEmpty() ? TestProgramDir::Row() : rows.first();
    }
    long pictureCount(const QString& where = QStringLiteral("1=1")) {
        return long(
            dir->scalar("SELECT COUNT(*) FROM tPicture WHERE " + where, dir->picturesPath()).toLong());
    }
    QStringList dataFiles() { return QDir(dir->dataPath()).entryList(QDir::Files, QDir::Name); }
    // As the printed list exports a preview: its own connection, the row by PicID.
    QString exportPicture(long id, const QString& ext) {
        ado::Connection cn;
        ado::Recordset rs;
        cn.Open(PicturesConnString());
        rs.Open(QStringLiteral("SELECT * FROM tPicture WHERE PicID=%1").arg(id), cn);
        return BlobToExportFile(rs, "PicDat", "PicSize", ext, id);
    }

private slots:
    void init() {
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
        boxes = std::make_unique<msgbox::Recorder>();
    }
    void cleanup() {
        boxes.reset();
        dir.reset();
    }

    void roundTrip_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("cover");
        QTest::newRow("two and a half pieces") << qint64(250000) << true;
        QTest::newRow("exactly two pieces") << qint64(200000) << true;
        QTest::newRow("under one piece") << qint64(99999) << false;
        QTest::newRow("one byte") << qint64(1) << true;
        QTest::newRow("one piece and a byte") << qint64(100001) << false;
        QTest::newRow("over 10 MB") << qint64(10 * 1024 * 1024 + 54321) << true;
        // Past what the layer writes in one pass: room first, then the bytes in pieces.
        QTest::newRow("over 16 MB") << qint64(16 * 1024 * 1024 + 100001) << false;
    }
    void roundTrip() {
        QFETCH(qint64, size);
        QFETCH(bool, cover);
        const QByteArray bytes = pictureBytes(size, quint32(size));
        const QString path = writeFile(src.filePath("film.jpg"), bytes);
        const long id = cover ? SaveObalPic(42, path) : SaveNahledPic(42, path);
        QVERIFY(id > 0);
        const auto row = pictureRow(id);
        QCOMPARE(row.value("PicSize").toLong(), size);
        QCOMPARE(row.value("PicDVDID").toLong(), qint64(42));
        QCOMPARE(row.value("PicSkup").toString(), cover ? QString("O") : QString("N"));
        QCOMPARE(row.value("PicTyp").toString(), QString("jpg"));
        QVERIFY(row.value("PicDat").toBytes() == bytes);

        const QString work = cover ? LoadObalPic(id) : LoadNahledPic(id);
        QCOMPARE(work, dir->dataPath() + (cover ? "obal.jpg" : "nahled.jpg"));
        QVERIFY(readFile(work) == bytes);
        QCOMPARE(boxes->count(), 0);
    }

    void savingAgainKeepsTheRow() {
        const QByteArray first = pictureBytes(300000, 1), second = pictureBytes(120000, 2);
        const QString a = writeFile(src.filePath("a.jpg"), first),
                      b = writeFile(src.filePath("b.jpg"), second);

        const long cover = SaveObalPic(7, a);
        QVERIFY(cover > 0);
        QCOMPARE(SaveObalPic(7, b), cover);
        QCOMPARE(pictureCount("PicDVDID=7 AND PicSkup='O'"), 1L);
        // The shorter picture replaced the longer one wholly.
        QVERIFY(pictureRow(cover).value("PicDat").toBytes() == second);
        QCOMPARE(pictureRow(cover).value("PicSize").toLong(), qint64(second.size()));

        // The preview and another film's cover have rows of their own.
        const long preview = SaveNahledPic(7, a);
        const long other = SaveObalPic(8, a);
        QVERIFY(preview > 0 && other > 0 && preview != cover && other != cover && other != preview);
        QCOMPARE(SaveNahledPic(7, b), preview);
        QCOMPARE(pictureCount(), 3L);

        // The working file of a second load is the second picture, not a mix.
        QVERIFY(readFile(LoadObalPic(other)) == first);
        QVERIFY(readFile(LoadObalPic(cover)) == second);
        QCOMPARE(boxes->count(), 0);
    }

    // A replaced picture's pages are reused, in stores made now (with a page
    // map) and in those made before (without one).
    void replacingReusesThePages_data() {
        QTest::addColumn<bool>("madeBefore");
        QTest::newRow("store made now") << false;
        QTest::newRow("store made before") << true;
    }
    void replacingReusesThePages() {
        QFETCH(bool, madeBefore);
        if (madeBefore) dir->execute("PRAGMA auto_vacuum = NONE; VACUUM", dir->picturesPath());
        const QString path = src.filePath("c.jpg");
        QByteArray bytes;
        long id = 0;
        for (quint32 i = 1; i <= 6; ++i) {
            bytes = pictureBytes(1000000 + i * 10000, i);
            QVERIFY(!writeFile(path, bytes).isEmpty());
            id = SaveObalPic(7, path);
            QVERIFY(id > 0);
        }
        QVERIFY(QFileInfo(dir->picturesPath()).size() < 3 * 1000000);
        QCOMPARE(dir->scalar("PRAGMA integrity_check", dir->picturesPath()).toString(), QString("ok"));
        QVERIFY(readFile(LoadObalPic(id)) == bytes);
        QCOMPARE(boxes->count(), 0);
    }

    void readersTakeExactlyTheStoredSize() {
        const QByteArray bytes = pictureBytes(250000, 3);
        const long id = SaveNahledPic(5, writeFile(src.filePath("n.jpg"), bytes));
        dir->execute(QStringLiteral("UPDATE tPicture SET PicSize=150001 WHERE PicID=%1").arg(id),
                     dir->picturesPath());
        QVERIFY(readFile(LoadNahledPic(id)) == bytes.left(150001));

        QCOMPARE(exportPicture(id, "jpg"), QStringLiteral("n%1.jpg").arg(id));
        QVERIFY(readFile(dir->dataPath() + QStringLiteral("n%1.jpg").arg(id)) == bytes.left(150001));
        QCOMPARE(boxes->count(), 0);
    }

    void upperCaseTypeGivesLowerCaseFiles() {
        const QByteArray bytes = pictureBytes(1000, 4);
        const long id = SaveObalPic(9, writeFile(src.filePath("Obal.JPG"), bytes));
        QCOMPARE(pictureRow(id).value("PicTyp").toString(), QString("JPG"));
        // The path handed back is the file that exists.
        const QString work = LoadObalPic(id);
        QCOMPARE(work, dir->dataPath() + "obal.jpg");
        QVERIFY(readFile(work) == bytes);
        QVERIFY(!dataFiles().contains("obal.JPG"));

        QCOMPARE(exportPicture(id, "JPG"), QStringLiteral("n%1.jpg").arg(id));
        QVERIFY(dataFiles().contains(QStringLiteral("n%1.jpg").arg(id)));
        QCOMPARE(boxes->count(), 0);
    }

    void unstorableFilesStoreNothing() {
        const QString empty = writeFile(src.filePath("prazdny.jpg"), QByteArray());
        QCOMPARE(SaveObalPic(3, empty), 0L);
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text, empty + " je poškozený nebo nebyl nalezen.");
        QCOMPARE(boxes->last().title, kAppTitle);
        QCOMPARE(boxes->last().flags, int(vb::vbOKOnly));
        QCOMPARE(pictureCount(), 0L);

        // A missing file: its error, and no empty row for the film.
        boxes->clear();
        const QString missing = src.filePath("neni.jpg");
        QCOMPARE(SaveNahledPic(3, missing), 0L);
        QCOMPARE(boxes->count(), 1);
        QVERIFY(boxes->last().text.contains(missing));
        QCOMPARE(pictureCount(), 0L);

        // No path: nothing to say, nothing stored.
        boxes->clear();
        QCOMPARE(SaveObalPic(3, QString()), 0L);
        QCOMPARE(boxes->count(), 0);

        // A film that has a cover keeps it, and its PicID.
        const QByteArray good = pictureBytes(5000, 5);
        const long id = SaveObalPic(3, writeFile(src.filePath("dobry.jpg"), good));
        QCOMPARE(SaveObalPic(3, empty), id);
        QCOMPARE(SaveObalPic(3, missing), id);
        QCOMPARE(boxes->count(), 2);
        QCOMPARE(pictureCount(), 1L);
        QVERIFY(pictureRow(id).value("PicDat").toBytes() == good);
    }

    void loadingWhatCannotBeShown() {
        // No such row (a restored catalogue, an empty picture store): quietly nothing.
        QCOMPARE(LoadObalPic(777), QString());
        QCOMPARE(boxes->count(), 0);

        // A picture of size 0: quietly nothing, and no stale working file.
        const QByteArray old = pictureBytes(400, 6);
        writeFile(dir->dataPath() + "nahled.jpg", old);
        const long empty =
            dir->insertRow("tPicture", {{"PicDVDID", 1}, {"PicSkup", "N"}, {"PicTyp", "jpg"}, {"PicSize", 0}},
                           dir->picturesPath());
        QCOMPARE(LoadNahledPic(empty), QString());
        QVERIFY(!QFile::exists(dir->dataPath() + "nahled.jpg"));
        // Its export still has a name, and no file of that name is left.
        const QString name = QStringLiteral("n%1.jpg").arg(empty);
        writeFile(dir->dataPath() + name, old);
        QCOMPARE(exportPicture(empty, "jpg"), name);
        QVERIFY(!QFile::exists(dir->dataPath() + name));
        const long never = dir->insertRow("tPicture", {{"PicDVDID", 2}, {"PicSkup", "N"}, {"PicTyp", "jpg"}},
                                          dir->picturesPath());
        QCOMPARE(LoadNahledPic(never), QString());
        QCOMPARE(boxes->count(), 0);

        // A row claiming more bytes than it holds: a message, and the working
        // file from before stays whole.
        writeFile(dir->dataPath() + "obal.jpg", old);
        const long id = SaveObalPic(4, writeFile(src.filePath("k.jpg"), pictureBytes(150000, 7)));
        dir->execute(QStringLiteral("UPDATE tPicture SET PicSize=250000 WHERE PicID=%1").arg(id),
                     dir->picturesPath());
        QCOMPARE(LoadObalPic(id), QString());
        QCOMPARE(boxes->count(), 1);
        QVERIFY(readFile(dir->dataPath() + "obal.jpg") == old);
        QCOMPARE(dataFiles(), QStringList({"data.ddb", "obal.jpg", "pictures.ddb"}));
    }

    // Values another program stored: each makes the picture unreadable, said
    // in Czech, and no file is written from it.
    void oddStoredValuesMakeAnUnreadablePicture() {
        const QByteArray bytes = pictureBytes(3000, 13);
        auto row = [&](const QString& type, const ado::Variant& size) {
            return dir->insertRow("tPicture",
                                  {{"PicDVDID", 1},
                                   {"PicSkup", "O"},
                                   {"PicTyp", type},
                                   {"PicSize", size},
                                   {"PicDat", ado::Variant(bytes)}},
                                  dir->picturesPath());
        };
        const long evil = row("jpg\" onerror=\"alert(document.cookie)", 3000);
        const long words = row("jpg", 3000);
        dir->execute(QStringLiteral("UPDATE tPicture SET PicSize='abc' WHERE PicID=%1").arg(words), dir->picturesPath());
        const long huge = row("jpg", 3000);
        dir->execute(QStringLiteral("UPDATE tPicture SET PicSize=3e9 WHERE PicID=%1").arg(huge), dir->picturesPath());
        const long number = row("jpg", 3000);
        dir->execute(QStringLiteral("UPDATE tPicture SET PicDat=12345 WHERE PicID=%1").arg(number),
                     dir->picturesPath());
        for (const long id : {evil, words, huge, number}) {
            boxes->clear();
            QCOMPARE(LoadObalPic(id), QString());
            QCOMPARE(boxes->count(), 1);
            const QString said = boxes->last().text;
            for (const char* english : {"Type mismatch", "Overflow", "not an error", "onerror"})
                QVERIFY2(!said.contains(english), qPrintable(said));
            QVERIFY2(said.contains("obrázek") || said.contains("binární"), qPrintable(said));
            QCOMPARE(dataFiles(), QStringList({"data.ddb", "pictures.ddb"}));
        }
        boxes->clear();
    }

    // A picture that does not fit on the disk leaves the store as it was at
    // once: its size, no journal, the room free for the next save.
    void pictureThatDoesNotFitLeavesTheStore() {
        const QByteArray small = pictureBytes(50000, 10);
        const long id = SaveObalPic(1, writeFile(src.filePath("small.jpg"), small));
        const qint64 before = QFileInfo(dir->picturesPath()).size();
        // Past what is written in one pass (its pieces wait in a file of their
        // own, which fits), and one that is.
        const qint64 bigSize = 20 * 1024 * 1024;
        const QString big = writeFile(src.filePath("big.jpg"), pictureBytes(bigSize, 11));
        const QString middle = writeFile(src.filePath("middle.jpg"), pictureBytes(6 * 1024 * 1024, 12));
        for (const QString& path : {big, middle}) {
            {
                FileSizeLimit full(rlim_t(path == big ? bigSize + 64 * 1024 : before + 4 * 1024 * 1024));
                QVERIFY(full.ok);
                QCOMPARE(SaveObalPic(1, path), id);
                QCOMPARE(SaveNahledPic(2, path), 0L);
            }
            QCOMPARE(boxes->count(), 2);
            for (const auto& box : boxes->boxes())
                QVERIFY2(box.text.contains("dost volného místa"), qPrintable(box.text));
            boxes->clear();
            QCOMPARE(QFileInfo(dir->picturesPath()).size(), before);
            QVERIFY(!QFile::exists(dir->picturesPath() + "-journal"));
            QCOMPARE(pictureCount(), 1L);
            QVERIFY(pictureRow(id).value("PicDat").toBytes() == small);
        }
        QCOMPARE(SaveNahledPic(2, middle), id + 1);
        QCOMPARE(dir->scalar("PRAGMA integrity_check", dir->picturesPath()).toString(), QString("ok"));
        QCOMPARE(boxes->count(), 0);
    }

    void failedWriteKeepsTheGoodWorkingFile() {
        const QByteArray good = pictureBytes(50000, 8), big = pictureBytes(350000, 9);
        const long a = SaveObalPic(1, writeFile(src.filePath("a.jpg"), good));
        const long b = SaveObalPic(2, writeFile(src.filePath("b.jpg"), big));
        const QString work = LoadObalPic(a);
        QVERIFY(readFile(work) == good);
        {
            FileSizeLimit full(200000);
            QVERIFY(full.ok);
            QCOMPARE(LoadObalPic(b), QString());
        }
        QCOMPARE(boxes->count(), 1);
        QVERIFY(boxes->last().text.contains(dir->dataPath() + "obal.jpg"));
        QVERIFY(readFile(work) == good);
        // A picture small enough for the write buffer is cut at the flush: that must fail too.
        const long c = SaveObalPic(3, writeFile(src.filePath("c.jpg"), pictureBytes(5000, 3)));
        {
            FileSizeLimit full(1000);
            QCOMPARE(LoadObalPic(c), QString());
        }
        QCOMPARE(boxes->count(), 2);
        QVERIFY(readFile(work) == good);

        // An export that cannot be written leaves no older export behind.
        const QString exported = dir->dataPath() + QStringLiteral("n%1.jpg").arg(b);
        writeFile(exported, good);
        {
            FileSizeLimit full(200000);
            QCOMPARE(exportPicture(b, "jpg"), QStringLiteral("n%1.jpg").arg(b));
        }
        QVERIFY(!QFile::exists(exported));
        QCOMPARE(dataFiles(), QStringList({"data.ddb", "obal.jpg", "pictures.ddb"}));
        QCOMPARE(LoadObalPic(b), work); // and it works again once there is room
        QVERIFY(readFile(work) == big);
    }
};

DVD_TEST_MAIN(TestPictures)
#include "tst_pictures.moc"
