#include "core/mBlobDATA.h"
#include "core/mDatabase.h"

#include "apppath.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <csignal>
#include <sys/resource.h>

using ado::Variant;

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

// Limits the size of any file this process writes, as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lim = saved_;
        lim.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_);
    }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*old_)(int) = nullptr;
    bool ok_ = false;
};

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    QTemporaryDir src; // the user's picture files

    TestProgramDir::Row pictureRow(long picId) {
        const auto rows = dir->rows(QStringLiteral("SELECT * FROM tPicture WHERE PicID=%1").arg(picId), dir->picturesPath());
        return rows.isEmpty() ? TestProgramDir::Row() : rows.first();
    }
    long pictureCount(const QString& where = QStringLiteral("1=1")) {
        return long(dir->scalar("SELECT COUNT(*) FROM tPicture WHERE " + where, dir->picturesPath()).toLong());
    }
    QStringList dataFiles() { return QDir(dir->dataPath()).entryList(QDir::Files, QDir::Name); }

private slots:
    void init() {
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() { dir.reset(); }

    void roundTrip_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("cover");
        QTest::newRow("two and a half pieces") << qint64(250000) << true;
        QTest::newRow("exactly two pieces") << qint64(200000) << true;
        QTest::newRow("under one piece") << qint64(99999) << false;
        QTest::newRow("one byte") << qint64(1) << true;
        QTest::newRow("one piece and a byte") << qint64(100001) << false;
        QTest::newRow("over 10 MB") << qint64(10 * 1024 * 1024 + 54321) << true;
    }
    void roundTrip() {
        QFETCH(qint64, size);
        QFETCH(bool, cover);
        msgbox::Recorder boxes;
        const QByteArray bytes = pictureBytes(size, quint32(size));
        const QString path = writeFile(src.filePath("film.jpg"), bytes);
        QVERIFY(!path.isEmpty());
        const long film = 42;

        const long id = cover ? SaveObalPic(film, path) : SaveNahledPic(film, path);
        QVERIFY(id > 0);
        const auto row = pictureRow(id);
        QCOMPARE(row.value("PicSize").toLong(), size);
        QCOMPARE(row.value("PicDVDID").toLong(), qint64(film));
        QCOMPARE(row.value("PicSkup").toString(), cover ? QString("O") : QString("N"));
        QCOMPARE(row.value("PicTyp").toString(), QString("jpg"));
        QVERIFY(row.value("PicDat").toBytes() == bytes);

        const QString work = cover ? LoadObalPic(id) : LoadNahledPic(id);
        QCOMPARE(work, dir->dataPath() + (cover ? "obal.jpg" : "nahled.jpg"));
        QVERIFY(readFile(work) == bytes);
        QCOMPARE(boxes.count(), 0);
    }

    void savingAgainKeepsTheRow() {
        msgbox::Recorder boxes;
        const QByteArray first = pictureBytes(300000, 1), second = pictureBytes(120000, 2);
        const QString a = writeFile(src.filePath("a.jpg"), first);
        const QString b = writeFile(src.filePath("b.jpg"), second);

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
        QCOMPARE(boxes.count(), 0);
    }

    void readersTakeExactlyTheStoredSize() {
        msgbox::Recorder boxes;
        const QByteArray bytes = pictureBytes(250000, 3);
        const long id = SaveNahledPic(5, writeFile(src.filePath("n.jpg"), bytes));
        QVERIFY(id > 0);
        dir->execute(QStringLiteral("UPDATE tPicture SET PicSize=150001 WHERE PicID=%1").arg(id), dir->picturesPath());
        QVERIFY(readFile(LoadNahledPic(id)) == bytes.left(150001));

        ado::Connection cn;
        ado::Recordset rs;
        cn.Open(PicturesConnString());
        rs.Open(QStringLiteral("SELECT * FROM tPicture WHERE PicID=%1").arg(id), cn);
        QCOMPARE(BlobToExportFile(rs, "PicDat", "PicSize", "jpg", id), QStringLiteral("n%1.jpg").arg(id));
        QVERIFY(readFile(dir->dataPath() + QStringLiteral("n%1.jpg").arg(id)) == bytes.left(150001));
        QCOMPARE(boxes.count(), 0);
    }

    void upperCaseTypeGivesLowerCaseFiles() {
        msgbox::Recorder boxes;
        const QByteArray bytes = pictureBytes(1000, 4);
        const long id = SaveObalPic(9, writeFile(src.filePath("Obal.JPG"), bytes));
        QCOMPARE(pictureRow(id).value("PicTyp").toString(), QString("JPG"));
        // The path handed back is the file that exists.
        const QString work = LoadObalPic(id);
        QCOMPARE(work, dir->dataPath() + "obal.jpg");
        QVERIFY(readFile(work) == bytes);
        QVERIFY(!dataFiles().contains("obal.JPG"));

        ado::Connection cn;
        ado::Recordset rs;
        cn.Open(PicturesConnString());
        rs.Open(QStringLiteral("SELECT * FROM tPicture WHERE PicID=%1").arg(id), cn);
        QCOMPARE(BlobToExportFile(rs, "PicDat", "PicSize", "JPG", id), QStringLiteral("n%1.jpg").arg(id));
        QVERIFY(dataFiles().contains(QStringLiteral("n%1.jpg").arg(id)));
        QCOMPARE(boxes.count(), 0);
    }

    void unstorableFilesStoreNothing() {
        msgbox::Recorder boxes;
        const QString empty = writeFile(src.filePath("prazdny.jpg"), QByteArray());
        QCOMPARE(SaveObalPic(3, empty), 0L);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().text, empty + " je poškozený nebo nebyl nalezen.");
        QCOMPARE(boxes.last().title, kAppTitle);
        QCOMPARE(boxes.last().flags, int(vb::vbOKOnly));
        QCOMPARE(pictureCount(), 0L);

        // A missing file: its error, and no empty row for the film.
        boxes.clear();
        const QString missing = src.filePath("neni.jpg");
        QCOMPARE(SaveNahledPic(3, missing), 0L);
        QCOMPARE(boxes.count(), 1);
        QVERIFY(boxes.last().text.contains(missing));
        QCOMPARE(boxes.last().title, kAppTitle);
        QCOMPARE(pictureCount(), 0L);

        // No path: nothing to say, nothing stored.
        boxes.clear();
        QCOMPARE(SaveObalPic(3, QString()), 0L);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(pictureCount(), 0L);

        // A film that has a cover keeps it, and its PicID.
        const QByteArray good = pictureBytes(5000, 5);
        const long id = SaveObalPic(3, writeFile(src.filePath("dobry.jpg"), good));
        QVERIFY(id > 0);
        QCOMPARE(SaveObalPic(3, empty), id);
        QCOMPARE(SaveObalPic(3, missing), id);
        QCOMPARE(boxes.count(), 2);
        QCOMPARE(pictureCount(), 1L);
        QVERIFY(pictureRow(id).value("PicDat").toBytes() == good);
        QCOMPARE(pictureRow(id).value("PicSize").toLong(), qint64(5000));
    }

    void loadingWhatCannotBeShown() {
        msgbox::Recorder boxes;
        QCOMPARE(LoadObalPic(777), QString());
        QCOMPARE(boxes.count(), 1);
        QVERIFY(boxes.last().text.contains("777"));

        // A picture of size 0: quietly nothing, and no stale working file.
        boxes.clear();
        const QByteArray old = pictureBytes(400, 6);
        writeFile(dir->dataPath() + "nahled.jpg", old);
        const long empty = dir->insertRow("tPicture", {{"PicDVDID", 1}, {"PicSkup", "N"}, {"PicTyp", "jpg"}, {"PicSize", 0}},
                                          dir->picturesPath());
        QCOMPARE(LoadNahledPic(empty), QString());
        QVERIFY(!QFile::exists(dir->dataPath() + "nahled.jpg"));
        const long never = dir->insertRow("tPicture", {{"PicDVDID", 2}, {"PicSkup", "N"}, {"PicTyp", "jpg"}},
                                          dir->picturesPath());
        QCOMPARE(LoadNahledPic(never), QString());
        QCOMPARE(boxes.count(), 0);

        // A row claiming more bytes than it holds: a message, and the working
        // file from before stays whole.
        writeFile(dir->dataPath() + "obal.jpg", old);
        const long id = SaveObalPic(4, writeFile(src.filePath("k.jpg"), pictureBytes(150000, 7)));
        dir->execute(QStringLiteral("UPDATE tPicture SET PicSize=250000 WHERE PicID=%1").arg(id), dir->picturesPath());
        QCOMPARE(LoadObalPic(id), QString());
        QCOMPARE(boxes.count(), 1);
        QVERIFY(readFile(dir->dataPath() + "obal.jpg") == old);
        QCOMPARE(dataFiles(), QStringList({"data.ddb", "obal.jpg", "pictures.ddb"}));
    }

    void failedWriteKeepsTheGoodWorkingFile() {
        msgbox::Recorder boxes;
        const QByteArray good = pictureBytes(50000, 8), big = pictureBytes(350000, 9);
        const long a = SaveObalPic(1, writeFile(src.filePath("a.jpg"), good));
        const long b = SaveObalPic(2, writeFile(src.filePath("b.jpg"), big));
        const QString work = LoadObalPic(a);
        QVERIFY(readFile(work) == good);
        {
            FileSizeLimit full(200000);
            QVERIFY(full.ok());
            QCOMPARE(LoadObalPic(b), QString());
        }
        QCOMPARE(boxes.count(), 1);
        QVERIFY(boxes.last().text.contains(dir->dataPath() + "obal.jpg"));
        QVERIFY(readFile(work) == good);
        QVERIFY(!QFile::exists(dir->dataPath() + QStringLiteral("n%1.jpg").arg(b)));

        // An export that cannot be written leaves no older export behind.
        const QString exported = dir->dataPath() + QStringLiteral("n%1.jpg").arg(b);
        writeFile(exported, good);
        ado::Connection cn;
        ado::Recordset rs;
        cn.Open(PicturesConnString());
        rs.Open(QStringLiteral("SELECT * FROM tPicture WHERE PicID=%1").arg(b), cn);
        {
            FileSizeLimit full(200000);
            QCOMPARE(BlobToExportFile(rs, "PicDat", "PicSize", "jpg", b), QStringLiteral("n%1.jpg").arg(b));
        }
        QVERIFY(!QFile::exists(exported));
        QCOMPARE(dataFiles(), QStringList({"data.ddb", "obal.jpg", "pictures.ddb"}));
        QCOMPARE(LoadObalPic(b), work); // and it works again once there is room
        QVERIFY(readFile(work) == big);
    }

    void exportOfAnEmptyPicture() {
        msgbox::Recorder boxes;
        const long id = dir->insertRow("tPicture", {{"PicDVDID", 1}, {"PicSkup", "N"}, {"PicTyp", "jpg"}, {"PicSize", 0}},
                                       dir->picturesPath());
        const QString name = QStringLiteral("n%1.jpg").arg(id);
        writeFile(dir->dataPath() + name, "stary");
        ado::Connection cn;
        ado::Recordset rs;
        cn.Open(PicturesConnString());
        rs.Open(QStringLiteral("SELECT * FROM tPicture WHERE PicID=%1").arg(id), cn);
        QCOMPARE(BlobToExportFile(rs, "PicDat", "PicSize", "jpg", id), name);
        QVERIFY(!QFile::exists(dir->dataPath() + name));
        QCOMPARE(boxes.count(), 0);
    }

    void fileToBlobOnTheCallersRow() {
        // A recordset of the caller's: the first piece replaces what the field held.
        msgbox::Recorder boxes;
        const long id = SaveObalPic(1, writeFile(src.filePath("a.jpg"), pictureBytes(260000, 10)));
        const QByteArray bytes = pictureBytes(1234, 11);
        ado::Connection cn;
        ado::Recordset rs;
        cn.Open(PicturesConnString());
        rs.Open(QStringLiteral("SELECT * FROM tPicture WHERE PicID=%1").arg(id), cn);
        FileToBlob(rs, writeFile(src.filePath("b.jpg"), bytes), "PicDat", "PicSize");
        rs.Update();
        QVERIFY(pictureRow(id).value("PicDat").toBytes() == bytes);
        QCOMPARE(pictureRow(id).value("PicSize").toLong(), qint64(1234));
        // An unreadable file raises to the caller and leaves the row alone.
        QVERIFY_THROWS_EXCEPTION(vb::RuntimeError, FileToBlob(rs, src.filePath("neni.jpg"), "PicDat", "PicSize"));
        QCOMPARE(rs.EditMode(), long(ado::adEditNone));
        QCOMPARE(boxes.count(), 0);
    }
};

DVD_TEST_MAIN(TestPictures)
#include "tst_pictures.moc"
