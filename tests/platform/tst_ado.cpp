#include "ado.h"
#include "ado/sqltext.h"
#include "core/schema.h"
#include "czcollate.h"
#include "filesizelimit.h"
#include "progdir.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <sys/stat.h>
#include <unistd.h>

using ado::Variant;

namespace {
const QString kOpenLoans = QStringLiteral(
    "SELECT tDVD.DVDID, tPujcky.P_UID, tPujcky.P_DVDID, tPujcky.PDatPujcky,tPujcky.PDatVraceni, tUser.USID, "
    "tUser.USNAME FROM tUser INNER JOIN (tDVD INNER JOIN tPujcky ON tDVD.DVDID = tPujcky.P_DVDID) ON "
    "tUser.USID = "
    "tPujcky.P_UID WHERE (((tPujcky.PDatVraceni) Is Null))");

QByteArray randomBytes(int n) {
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator gen(42);
    for (int i = 0; i < n; ++i)
        b[i] = char(gen.bounded(256));
    return b;
}

long errorNumber(const std::function<void()>& f, QString* description = nullptr) {
    try {
        f();
    } catch (const ado::Error& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}
} // namespace

class TestAdo : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    ado::Connection cn;

    QString conn() const { return schema::ConnString(dir->cataloguePath()); }

    // Every row of the query, each its values joined by "|".
    QStringList rows(const QString& sql) {
        ado::Recordset rs;
        rs.Open(sql, cn);
        QStringList seen;
        for (; !rs.Eof(); rs.MoveNext()) {
            QStringList row;
            for (int i = 0; i < rs.FieldCount(); ++i)
                row << rs.Fields(i).Value().toString();
            seen << row.join('|');
        }
        rs.Close();
        return seen;
    }

private slots:
    void init() {
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
        cn.Open(conn());
    }
    void cleanup() {
        if (cn.State() == ado::adStateOpen) cn.Close();
        dir.reset();
    }

    void openRefusesBadFiles() {
        cn.Close();
        ado::Connection c;
        QString why;

        // Missing: an error, and no file appears.
        const QString missing = dir->dataPath() + "none.ddb";
        QCOMPARE(errorNumber([&] { c.Open(schema::ConnString(missing)); }, &why), long(ado::adErrProvider));
        QVERIFY2(why.contains(missing), qPrintable(why));
        QVERIFY(!QFile::exists(missing));

        // Wrong password, also after the right one was used (the key cache
        // must not let it through).
        c.Open(conn());
        c.Close();
        const QString wrong = QString(conn()).replace(schema::kPassword, "trOkLsnBHW");
        QCOMPARE(errorNumber([&] { c.Open(wrong); }, &why), long(ado::adErrBadPassword));
        QVERIFY2(why.startsWith("Neplatné heslo"), qPrintable(why));
        QCOMPARE(c.State(), long(ado::adStateClosed));

        // Damaged: the header survives, the pages do not.
        const QString damaged = dir->dataPath() + "damaged.ddb";
        QVERIFY(QFile::copy(dir->cataloguePath(), damaged));
        {
            QFile f(damaged);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(16);
            f.write(randomBytes(2000));
        }
        QVERIFY(errorNumber([&] { c.Open(schema::ConnString(damaged)); }) != 0);
        QCOMPARE(c.State(), long(ado::adStateClosed));

        // A plain text file and an empty file are no catalogue either.
        const QString text = dir->dataPath() + "text.ddb";
        QFile t(text);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.close();
        QVERIFY(errorNumber([&] { c.Open(schema::ConnString(text)); }, &why) != 0);
        QVERIFY2(why.contains("Nerozpoznaný formát databáze"), qPrintable(why));
    }

    // Write-protected (a CD, a read-only share): read as usual, and every
    // write refused before anything changes.
    void writeProtectedFileOpensForReading() {
        const long id = dir->insertFilm("Jen ke čtení");
        cn.Close();
        WriteProtectedFile wp(dir->cataloguePath());
        if (!wp.isProtected()) QSKIP(qPrintable(wp.why()));
        cn.Open(conn());
        ado::Recordset rs;
        rs.Open("SELECT * FROM tDVD", cn);
        QCOMPARE(rs("CZJm").Value(), Variant("Jen ke čtení"));
        rs("CZJm") = "Jiný";
        QString why;
        QCOMPARE(errorNumber([&] { rs.Update(); }, &why), long(ado::adErrProvider));
        QVERIFY2(why.contains("chráněna proti zápisu"), qPrintable(why));
        rs.CancelUpdate();
        QCOMPARE(errorNumber([&] { rs.Delete(); }), long(ado::adErrProvider));
        rs.AddNew();
        rs("CZJm") = "Nový";
        QCOMPARE(errorNumber([&] { rs.Update(); }), long(ado::adErrProvider));
        rs.CancelUpdate();
        rs.Close();
        QCOMPARE(errorNumber([&] { cn.Execute(QString("DELETE FROM tDVD WHERE DVDID=%1").arg(id)); }),
                 long(ado::adErrProvider));
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(1));
        cn.Close();

        // A killed write left its journal: the file cannot be read until it is undone,
        // which a protected file does not allow. Said so, not as a readable file.
        {
            QFile journal(dir->cataloguePath() + "-journal");
            QVERIFY(journal.open(QIODevice::WriteOnly));
            journal.write(QByteArray::fromHex("d9d505f920a163d7") + randomBytes(600));
        }
        QCOMPARE(errorNumber([&] { cn.Open(conn()); }, &why), long(ado::adErrProvider));
        QVERIFY2(why.contains("nelze číst") && !why.contains("lze ji číst"), qPrintable(why));
        QFile::remove(dir->cataloguePath() + "-journal");
        cn.Open(conn());
    }

    void fileIsEncrypted() {
        const QString sqlite = "/usr/bin/sqlite3";
        if (!QFile::exists(sqlite)) QSKIP("no sqlite3 tool");
        dir->insertFilm("Tajný film");
        QProcess p;
        p.start(sqlite, {dir->cataloguePath(), "SELECT CZJm FROM tDVD;"});
        QVERIFY(p.waitForFinished(10000));
        QVERIFY(p.exitCode() != 0);
        QVERIFY(!p.readAllStandardOutput().contains("Tajn"));
        QVERIFY(p.readAllStandardError().contains("not a database"));

        // ... while the sqlcipher tool reads it with the password (queries that
        // need the Czech collation are beyond it).
        const QString sqlcipher = "/usr/bin/sqlcipher";
        if (QFile::exists(sqlcipher)) {
            p.start(sqlcipher, {"-cmd", "PRAGMA key='TrOkLsnBHW';", "-cmd", "PRAGMA cipher_page_size = 8192;",
                                dir->cataloguePath(), "SELECT * FROM tDVD;"});
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 0);
            QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).contains("|Tajný film|"));
        }
    }

    // The connection kept between opens sees what another program wrote
    // meanwhile, and a file put in the catalogue's place is the one opened.
    void keptConnectionSeesTheFileAsItIs() {
        const QString sqlcipher = "/usr/bin/sqlcipher";
        if (!QFile::exists(sqlcipher)) QSKIP("no sqlcipher tool");
        dir->insertFilm("První");
        QCOMPARE(rows("SELECT CZJm FROM tDVD"), QStringList{"První"});
        cn.Close(); // kept, with its pages in the cache
        QProcess p;
        p.start(sqlcipher, {"-cmd", "PRAGMA key='TrOkLsnBHW';", "-cmd", "PRAGMA cipher_page_size = 8192;",
                            dir->cataloguePath(), "UPDATE tDVD SET Jazyk = 7;"}); // no Czech collation there
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        cn.Open(conn());
        QCOMPARE(rows("SELECT Jazyk FROM tDVD"), QStringList{"7"});
        cn.Close();

        const QString other = dir->dataPath() + "jiny.ddb";
        schema::CreateCatalogue(other);
        QVERIFY(QFile::remove(dir->cataloguePath()));
        QVERIFY(QFile::rename(other, dir->cataloguePath()));
        cn.Open(conn());
        QCOMPARE(rows("SELECT CZJm FROM tDVD"), QStringList{});
    }

    // Files of SQLCipher's default 1 KiB pages (made before the layer used
    // larger pages) still open, and a wrong password is still refused.
    void filesOfSmallPagesStillOpen() {
        const QString sqlcipher = "/usr/bin/sqlcipher";
        if (!QFile::exists(sqlcipher)) QSKIP("no sqlcipher tool");
        const QString path = dir->dataPath() + "old.ddb";
        QProcess p;
        p.start(sqlcipher, {"-cmd", "PRAGMA key='heslo';", path,
                            "CREATE TABLE t(id INTEGER PRIMARY KEY AUTOINCREMENT, a TEXT); INSERT INTO t(a) "
                            "VALUES('starý');"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);

        const QString head =
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Jet OLEDB:Database Password=";
        ado::Connection c;
        c.Open(head + "heslo");
        ado::Recordset rs;
        rs.Open("SELECT * FROM t", c, ado::adOpenKeyset, ado::adLockPessimistic, -1);
        QCOMPARE(rs.Fields("a").Value().toString(), QString("starý"));
        rs.AddNew();
        rs.Fields("a") = ado::Variant("nový");
        rs.Update();
        rs.Close();
        c.Close();

        ado::Connection wrong;
        QCOMPARE(errorNumber([&] { wrong.Open(head + "jine"); }), long(ado::adErrBadPassword));
        p.start(sqlcipher, {"-cmd", "PRAGMA key='heslo';", path, "SELECT count(*) FROM t;"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.readAllStandardOutput().trimmed(), QByteArray("2"));
    }

    // A POSIX lock goes with any descriptor of the file that is closed: opening
    // another connection (reading the key's salt too) must keep this
    // process's locks, or another program may write under a reader.
    void openingAnotherConnectionKeepsTheLocks() {
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(dir->cataloguePath()).constData(), &st), 0);
        const QByteArray mine = ' ' + QByteArray::number(qint64(::getpid())) + ' ';
        const QByteArray inode = ':' + QByteArray::number(qulonglong(st.st_ino)) + ' ';
        auto locksHeld = [&] {
            QFile locks("/proc/locks");
            if (!locks.open(QIODevice::ReadOnly)) return -1;
            int n = 0;
            for (const QByteArray& line : locks.readAll().split('\n'))
                if (line.contains(mine) && line.contains(inode)) ++n;
            return n;
        };
        if (locksHeld() < 0) QSKIP("no /proc/locks");
        dir->insertFilm("Zámek");
        cn.Execute("BEGIN");
        QCOMPARE(rows("SELECT CZJm FROM tDVD"), QStringList{"Zámek"});
        const int held = locksHeld();
        QVERIFY(held > 0);
        {
            ado::Connection other;
            other.Open(conn());
            other.Close();
        }
        QCOMPARE(locksHeld(), held);
        cn.Execute("COMMIT");
    }

    void fieldsByNameInAnyCase() {
        const long u = dir->insertClient("Novák Jan");
        const long f = dir->insertFilm("Čelisti", {{"PuvJm", "Jaws"}, {"Jazyk", 1}});
        dir->insertLoan(u, f, QDateTime(QDate(2024, 3, 1), QTime(10, 0)));

        ado::Recordset rs;
        rs.Open("SELECT * from tDVD", cn);
        QCOMPARE(rs("czjm").Value().toString(), QString("Čelisti"));
        QCOMPARE(rs("CZJM").Value().toString(), QString("Čelisti"));
        QCOMPARE(rs.Fields("PUVJM").Value().toString(), QString("Jaws"));
        QCOMPARE(rs("Jazyk").Value().type(), Variant::Long);
        QCOMPARE(rs.Fields(1).Name(), QString("CZJm"));
        QCOMPARE(rs.FieldCount(), 20);
        QCOMPARE(errorNumber([&] { rs("Neni"); }), long(ado::adErrItemNotFound));
        rs.Close();

        // Nested join: SQLite calls the columns "tDVD.DVDID"; the fields are DVDID etc.
        rs.Open(kOpenLoans, cn);
        QCOMPARE(rs.RecordCount(), 1L);
        QCOMPARE(rs.FieldCount(), 7);
        QCOMPARE(rs.Fields(0).Name(), QString("DVDID"));
        QCOMPARE(rs("dvdid").Value().toLong(), qint64(f));
        QCOMPARE(rs("tDVD.DVDID").Value().toLong(), qint64(f));
        QCOMPARE(rs("USNAME").Value().toString(), QString("Novák Jan"));
        QCOMPARE(rs("usid").Value().toLong(), qint64(u));
        QVERIFY(rs("PDATVRACENI").Value().isNull());
        QCOMPARE(rs("pdatpujcky").Value().type(), Variant::Date);
        QCOMPARE(rs("PDatPujcky").Value().toDateTime(), QDateTime(QDate(2024, 3, 1), QTime(10, 0)));
        rs.Close();

        // A correlated sub-query over another table.
        const long free = dir->insertFilm("Volný");
        rs.Open("SELECT tDVD.DVDID, tDVD.CZJm FROM tDVD  where  NOT EXISTS ( SELECT  *  FROM tPujcky  WHERE  "
                "p_dvdid "
                "=DVDID ) or  NOT EXISTS ( SELECT  *  FROM tPujcky  WHERE  p_dvdid =DVDID and pdatvraceni is "
                "null) "
                "ORDER BY CZJM;",
                cn);
        QCOMPARE(rs.RecordCount(), 1L);
        QCOMPARE(rs.FieldCount(), 2);
        QCOMPARE(rs("dvdid").Value().toLong(), qint64(free));
        QCOMPARE(rs("tDVD.CZJm").Value().toString(), QString("Volný"));
    }

    void valuesSurviveWriteAndRead() {
        const long id = dir->insertFilm("Had", {{"PuvJm", "Snake"}, {"Obsah", ""}});
        ado::Recordset rs;
        rs.Open(QString("SELECT * from tDVD WHERE DVDID=%1").arg(id), cn);
        QCOMPARE(rs.EditMode(), long(ado::adEditNone));
        rs("PuvJm") = Variant();
        rs("DiskPocet") = "2,5"; // a number typed with a comma: rounds half to even
        rs("KatCisl") = 17;      // a number into a text field becomes text
        rs("Rok") = QString("1975");
        QCOMPARE(rs.EditMode(), long(ado::adEditInProgress));
        QVERIFY(rs("PuvJm").Value().isNull()); // the pending value shows at once
        rs.Update();
        QCOMPARE(rs.EditMode(), long(ado::adEditNone));
        rs.Close();

        const auto row = dir->rows(QString("SELECT * FROM tDVD WHERE DVDID=%1").arg(id)).value(0);
        QVERIFY(row["PuvJm"].isNull());
        QCOMPARE(row["Obsah"], Variant(QString(""))); // "" stays "", not Null
        QCOMPARE(row["DiskPocet"], Variant(2));
        QCOMPARE(row["KatCisl"], Variant(QString("17")));
        QCOMPARE(row["CZJm"], Variant(QString("Had")));

        // A value the field cannot hold is refused at the assignment.
        rs.Open(QString("SELECT * from tDVD WHERE DVDID=%1").arg(id), cn);
        QCOMPARE(errorNumber([&] { rs("DiskPocet") = "dva"; }), long(ado::adErrTypeMismatch));
        QCOMPARE(errorNumber([&] { rs("Oddel_ID") = QDateTime::currentDateTime(); }),
                 long(ado::adErrTypeMismatch));
        // The autonumber is the database's.
        QCOMPARE(errorNumber([&] { rs("DVDID") = 99; }), long(ado::adErrFeatureNotAvailable));
        // A read-only recordset refuses writes.
        rs.Close();
        rs.Open("SELECT * from tDVD", cn, ado::adOpenKeyset, ado::adLockReadOnly);
        QCOMPARE(errorNumber([&] { rs("CZJm") = "x"; }), long(ado::adErrFeatureNotAvailable));
        // An expression has no table to go to.
        rs.Close();
        rs.Open("SELECT DVDID, CZJm || '!' AS Titul FROM tDVD", cn);
        QCOMPARE(rs("Titul").Value().toString(), QString("Had!"));
        QCOMPARE(errorNumber([&] { rs("Titul") = "x"; }), long(ado::adErrFeatureNotAvailable));
    }

    void datesAreStoredAsIsoText() {
        const long u = dir->insertClient("Dvořák");
        const long f = dir->insertFilm("Dech");
        const long p = dir->insertLoan(u, f, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        ado::Recordset rs;
        rs.Open(QString("SELECT * from tPujcky WHERE P_ID=%1").arg(p), cn);
        rs("PDatVraceni") = "8.12.2026 19:03:23"; // Czech text
        rs.Update();
        QCOMPARE(rs("PDatVraceni").Value(), Variant(QDateTime(QDate(2026, 12, 8), QTime(19, 3, 23))));
        QCOMPARE(errorNumber([&] { rs("PDatVraceni") = "zítra"; }), long(ado::adErrTypeMismatch));
        rs.CancelUpdate();
        rs.Close();
        rs.Open(
            QString("SELECT PDatPujcky || '' AS a, PDatVraceni || '' AS b FROM tPujcky WHERE P_ID=%1").arg(p),
            cn);
        QCOMPARE(rs("a").Value().toString(), QString("2026-01-02 03:04:05"));
        QCOMPARE(rs("b").Value().toString(), QString("2026-12-08 19:03:23"));
    }

    void addNewGetsItsKeyAtOnce() {
        const long before = dir->insertFilm("První");
        ado::Recordset rs;
        rs.Open("SELECT * from tDVD WHERE DVDID=0", cn);
        QVERIFY(rs.Eof() && rs.Bof());
        QCOMPARE(rs.RecordCount(), 0L);
        rs.AddNew();
        QVERIFY(!rs.Eof());
        QCOMPARE(rs.EditMode(), long(ado::adEditAdd));
        QCOMPARE(rs.RecordCount(), 1L);
        QVERIFY(rs("DVDID").Value().isNull());
        rs.Update(); // nothing set: INSERT ... DEFAULT VALUES
        const qint64 id = rs("DVDID").Value().toLong();
        QVERIFY(id > before);
        rs("CZJm") = "Druhý"; // then written to that same row
        rs("KatCisl") = id;
        rs.Update();
        rs.Close();
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(2));
        QCOMPARE(dir->scalar(QString("SELECT KatCisl FROM tDVD WHERE CZJm='Druhý'")),
                 Variant(QString::number(id)));

        // A column default shows on the row right after the insert.
        rs.Open("SELECT * from tZanr", cn);
        rs.AddNew();
        rs("ZNAME") = "Western";
        rs.Update();
        QCOMPARE(rs("ZCOLOR").Value(), Variant(0));
        QVERIFY(rs("ZID").Value().toLong() > 0);

        // CancelUpdate drops the new row and goes back.
        rs.AddNew();
        rs("ZNAME") = "Zahozený";
        rs.CancelUpdate();
        QCOMPARE(rs.RecordCount(), 1L);
        QCOMPARE(rs("ZNAME").Value().toString(), QString("Western"));
        rs.Close();
        QCOMPARE(dir->scalar("SELECT count(*) FROM tZanr"), Variant(1));

        // NOT NULL is enforced on update, and the row can still be fixed.
        rs.Open("SELECT * from tZanr", cn);
        rs("ZCOLOR") = Variant();
        QVERIFY(errorNumber([&] { rs.Update(); }) != 0);
        rs("ZCOLOR") = 255;
        rs.Update();
        rs.Close();
        QCOMPARE(dir->scalar("SELECT ZCOLOR FROM tZanr"), Variant(255));
    }

    void joinWritesGoToTheLoanRow() {
        const long u1 = dir->insertClient("Adam");
        const long u2 = dir->insertClient("Bára");
        const long f1 = dir->insertFilm("Film 1");
        const long f2 = dir->insertFilm("Film 2");
        const QDateTime lent(QDate(2025, 5, 1), QTime(8, 0));
        const long open1 = dir->insertLoan(u1, f1, lent);
        const long open2 = dir->insertLoan(u2, f2, lent);
        const long done = dir->insertLoan(u2, f1, lent.addDays(-10), lent.addDays(-5));

        ado::Recordset rs;
        rs.Open(kOpenLoans + QString(" and tDVD.DVDID=%1;").arg(f1), cn);
        QCOMPARE(rs.RecordCount(), 1L);
        const QDateTime now = QDateTime(QDate(2025, 6, 2), QTime(12, 30, 15));
        rs("PDATVRACENI") = now;
        rs.Update();
        QCOMPARE(rs("PDatVraceni").Value().toDateTime(), now);
        rs.Close();

        QCOMPARE(dir->scalar(QString("SELECT PDatVraceni FROM tPujcky WHERE P_ID=%1").arg(open1)),
                 Variant(now));
        QVERIFY(dir->scalar(QString("SELECT PDatVraceni FROM tPujcky WHERE P_ID=%1").arg(open2)).isNull());
        QCOMPARE(dir->scalar(QString("SELECT PDatVraceni FROM tPujcky WHERE P_ID=%1").arg(done)),
                 Variant(lent.addDays(-5)));
        QCOMPARE(dir->scalar("SELECT count(*) FROM tPujcky"), Variant(3));
        QCOMPARE(dir->rows(kOpenLoans).size(), 1);
        // The other tables of the join are untouched.
        QCOMPARE(dir->scalar(QString("SELECT CZJm FROM tDVD WHERE DVDID=%1").arg(f1)),
                 Variant(QString("Film 1")));

        // A field of another table of the join goes to that table's row.
        rs.Open(kOpenLoans, cn);
        rs("USNAME") = "Bára Nová";
        rs.Update();
        rs.Close();
        QCOMPARE(dir->scalar(QString("SELECT USNAME FROM tUser WHERE USID=%1").arg(u2)),
                 Variant(QString("Bára Nová")));
        QCOMPARE(dir->scalar(QString("SELECT USNAME FROM tUser WHERE USID=%1").arg(u1)),
                 Variant(QString("Adam")));
    }

    void movingAndDeleting() {
        QList<long> ids;
        for (const char* name : {"A", "B", "C"})
            ids << dir->insertFilm(name);
        ado::Recordset rs;
        rs.Open("SELECT * FROM tDVD ORDER BY DVDID", cn);
        QCOMPARE(rs.RecordCount(), 3L);
        QVERIFY(!rs.Bof() && !rs.Eof());
        rs.MoveNext();
        QCOMPARE(rs("CZJm").Value().toString(), QString("B"));
        rs.Delete();
        rs.Update(); // nothing pending: harmless
        QCOMPARE(rs.RecordCount(), 2L);
        QCOMPARE(errorNumber([&] { rs("CZJm").Value(); }), long(ado::adErrNoCurrentRecord));
        rs.MoveNext();
        QCOMPARE(rs("CZJm").Value().toString(), QString("C"));
        rs.MovePrevious(); // skips the deleted row
        QCOMPARE(rs("CZJm").Value().toString(), QString("A"));
        rs.MovePrevious();
        QVERIFY(rs.Bof());
        QCOMPARE(errorNumber([&] { rs.MovePrevious(); }), long(ado::adErrNoCurrentRecord));
        rs.MoveLast();
        QCOMPARE(rs("CZJm").Value().toString(), QString("C"));
        rs.MoveNext();
        QVERIFY(rs.Eof());
        QCOMPARE(errorNumber([&] { rs.MoveNext(); }), long(ado::adErrNoCurrentRecord));
        rs.MoveFirst();
        QCOMPARE(rs("DVDID").Value().toLong(), qint64(ids[0]));
        rs.Close();
        QCOMPARE(errorNumber([&] { rs.Close(); }), long(ado::adErrObjectClosed));

        const auto left = dir->rows("SELECT CZJm FROM tDVD ORDER BY DVDID");
        QCOMPARE(left.size(), 2);
        QCOMPARE(left[0]["CZJm"].toString(), QString("A"));
        QCOMPARE(left[1]["CZJm"].toString(), QString("C"));

        // Membership is fixed at the open: rows added meanwhile are not seen.
        rs.Open("SELECT * FROM tDVD", cn);
        dir->insertFilm("D");
        long seen = 0;
        for (; !rs.Eof(); rs.MoveNext())
            ++seen;
        QCOMPARE(seen, 2L);
    }

    void picturesMoveInChunks() {
        const QString pictures = schema::ConnString(dir->picturesPath());
        ado::Connection pc;
        pc.Open(pictures);
        const QByteArray data = randomBytes(250000);
        ado::Recordset rs;
        rs.Open("SELECT * from tPicture where PicDVDID=7 and PICSKUP='O'", pc);
        QVERIFY(rs.Eof());
        rs.AddNew();
        // The remainder first, then the whole chunks.
        rs("PicDat").AppendChunk(data.left(50000));
        rs("PicDat").AppendChunk(data.mid(50000, 100000));
        rs("PicDat").AppendChunk(data.mid(150000, 100000));
        QCOMPARE(rs("PicDat").ActualSize(), qint64(250000));
        rs("PicTyp") = "jpg";
        rs("PicSkup") = "O";
        rs("PicDVDID") = 7;
        rs("PicSize") = 250000;
        rs.Update();
        const qint64 id = rs("PicID").Value().toLong();
        QVERIFY(id > 0);
        QCOMPARE(rs("PicDat").ActualSize(), qint64(250000));
        rs.Close();

        rs.Open(QString("SELECT * FROM tPicture where PicID=%1").arg(id), pc);
        QCOMPARE(rs("PicSize").Value().toLong(), qint64(250000));
        QByteArray back = rs("PicDat").GetChunk(50000);
        QCOMPARE(back.size(), 50000);
        back += rs("PicDat").GetChunk(100000);
        back += rs("PicDat").GetChunk(100000);
        QVERIFY(back == data);
        QVERIFY(rs("PicDat").GetChunk(100000).isEmpty()); // the end
        QVERIFY(rs("PicDat").Value().toBytes() == data);
        rs.Close();
        rs.Open(QString("SELECT * FROM tPicture where PicID=%1").arg(id), pc, ado::adOpenKeyset,
                ado::adLockReadOnly);
        QVERIFY(rs("PicDat").GetChunk(300000) == data);
        rs.Close();
        rs.Open(QString("SELECT * FROM tPicture where PicID=%1").arg(id), pc);

        // The first AppendChunk of the next edit replaces the bytes.
        rs("PicDat").AppendChunk(data.left(1000));
        rs.Update();
        rs.Close();
        rs.Open(QString("SELECT PicDat, PicID FROM tPicture where PicID=%1").arg(id), pc);
        QCOMPARE(rs("PicDat").ActualSize(), qint64(1000));
        QVERIFY(rs("PicDat").GetChunk(5000) == data.left(1000));
        rs.Close();
        QCOMPARE(dir->scalar("SELECT length(PicDat) FROM tPicture", dir->picturesPath()), Variant(1000));

        // A row deleted by another program since the open is said to be gone.
        rs.Open(QString("SELECT * FROM tPicture where PicID=%1").arg(id), pc);
        dir->execute(QString("DELETE FROM tPicture WHERE PicID=%1").arg(id), dir->picturesPath());
        QCOMPARE(errorNumber([&] { rs("PicDat").GetChunk(100); }), long(ado::adErrRowDeleted));
        QCOMPARE(errorNumber([&] { rs("PicDat").Value(); }), long(ado::adErrRowDeleted));
        rs.Close();
    }

    // A page that fails its check reads as zeros, and only the next page read
    // fails: a value whose last page is damaged is said too, and nothing more
    // is written into its file.
    void damagedLastPageIsSaid() {
        const QByteArray picture = randomBytes(300000);
        ado::Connection pc;
        pc.Open(schema::ConnString(dir->picturesPath()));
        ado::Recordset rs;
        rs.Open("SELECT * FROM tPicture WHERE 0", pc);
        rs.AddNew();
        rs("PicDVDID") = 1;
        rs("PicSize") = 300000;
        rs("PicDat").AppendChunk(picture);
        rs.Update();
        rs.Close();
        pc.Close();
        QVERIFY(dir->damagePage(-1, dir->picturesPath())); // the picture's last page
        const auto bytes = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray damaged = bytes(dir->picturesPath());

        pc.Open(schema::ConnString(dir->picturesPath()));
        rs.Open("SELECT * FROM tPicture", pc);
        QString why;
        QCOMPARE(errorNumber(
                     [&] {
                         while (!rs("PicDat").GetChunk(100000).isEmpty()) {
                         }
                     },
                     &why),
                 long(ado::adErrProvider));
        QVERIFY2(why.contains("je poškozen"), qPrintable(why));
        QCOMPARE(errorNumber([&] { rs("PicDat").Value(); }), long(ado::adErrProvider));
        rs("PicSize") = 1;
        QCOMPARE(errorNumber([&] { rs.Update(); }, &why), long(ado::adErrProvider));
        QVERIFY2(why.contains("je poškozen"), qPrintable(why));
        rs.CancelUpdate();
        rs.Close();
        pc.Close();
        QVERIFY(bytes(dir->picturesPath()) == damaged);

        // A long text over several pages, the last of them damaged.
        QString story;
        for (int i = 0; i < 4000; ++i)
            story += QString::number(i * 7919) + ' ';
        dir->insertFilm("Dlouhý", {{"Obsah", story}});
        QVERIFY(dir->damagePage(-1));
        cn.Close();
        cn.Open(conn());
        QCOMPARE(errorNumber([&] { rows("SELECT * FROM tDVD"); }, &why), long(ado::adErrProvider));
        QVERIFY2(why.contains("je poškozen"), qPrintable(why));
        QCOMPARE(errorNumber([&] { cn.Execute("INSERT INTO tZanr (ZNAME) VALUES ('Nový')"); }), long(ado::adErrProvider));
    }

    void piecesReadOnFromWhereTheyStopped() {
        ado::Connection pc, other;
        pc.Open(schema::ConnString(dir->picturesPath()));
        other.Open(schema::ConnString(dir->picturesPath()));
        const QByteArray first = randomBytes(350000), second = randomBytes(230000).toBase64().left(230000);
        for (const QByteArray* data : {&first, &second}) {
            ado::Recordset add;
            add.Open("SELECT * FROM tPicture WHERE PicID=0", pc);
            add.AddNew();
            add("PicDat").AppendChunk(*data);
            add("PicSize") = int(data->size());
            add.Update();
            add.Close();
        }
        ado::Recordset rs;
        rs.Open("SELECT * FROM tPicture ORDER BY PicID", pc);
        QByteArray back;
        for (QByteArray piece; !(piece = rs("PicDat").GetChunk(100000)).isEmpty();)
            back += piece;
        QVERIFY(back == first);
        // Read to its end, the field holds no lock: another connection writes at once.
        other.Execute("UPDATE tPicture SET PicTyp='png'");

        // Read in part, then moved: the next row from its start, and no lock left.
        rs.MoveFirst();
        QVERIFY(rs("PicDat").GetChunk(1000) == first.left(1000));
        rs.MoveNext();
        QVERIFY(rs("PicDat").GetChunk(1000) == second.left(1000));
        rs.MoveFirst();
        other.Execute("UPDATE tPicture SET PicTyp='jpg'");

        // The row rewritten between two pieces: reading goes on in the new bytes.
        QVERIFY(rs("PicDat").GetChunk(100000) == first.left(100000));
        pc.Execute(
            "UPDATE tPicture SET PicDat = zeroblob(350000) WHERE PicID = (SELECT min(PicID) FROM tPicture)");
        QVERIFY(rs("PicDat").GetChunk(100000) == QByteArray(100000, '\0'));
        rs.Close();
        other.Execute("UPDATE tPicture SET PicTyp='gif'");
    }

    void textsSortInCzechOrder() {
        for (const char* name : {"Ivan", "Dech", "chata", "Čelisti", "had", "Cesta", "cesta b"})
            dir->insertFilm(QString::fromUtf8(name));
        QStringList order;
        for (const auto& row : dir->rows("SELECT * from tDVD ORDER BY CZJM"))
            order << row["CZJm"].toString();
        QCOMPARE(order, QStringList({"Cesta", "cesta b", "Čelisti", "Dech", "had", "chata", "Ivan"}));

        // Catalogue numbers are texts: 1, 10, 2.
        dir->execute("DELETE FROM tDVD");
        for (const char* k : {"2", "10", "1"})
            dir->insertFilm("x", {{"KatCisl", k}});
        order.clear();
        for (const auto& row : dir->rows("SELECT * from tDVD ORDER BY KatCisl ASC"))
            order << row["KatCisl"].toString();
        QCOMPARE(order, QStringList({"1", "10", "2"}));

        // Texts compare without regard to case, as Jet did.
        dir->insertClient("Černý Petr");
        QCOMPARE(dir->scalar("SELECT count(*) FROM tUser WHERE USNAME = 'ČERNÝ petr'"), Variant(1));
        QCOMPARE(dir->scalar("SELECT count(*) FROM tUser WHERE USNAME = 'Cerny Petr'"), Variant(0));
    }

    void appendBeforeTheRowsAreRead() {
        for (const char* name : {"A", "B", "C"})
            dir->insertFilm(name);
        ado::Recordset rs;
        rs.Open("SELECT * FROM tDVD ORDER BY DVDID", cn, ado::adOpenKeyset, ado::adLockPessimistic,
                ado::adAsyncFetch);
        QVERIFY(!rs.Eof() && !rs.Bof());
        rs.AddNew();
        rs("CZJm") = "Nový";
        rs.Update();
        const qint64 added = rs("DVDID").Value().toLong();
        dir->insertFilm("Cizí"); // by another connection: not a row of this recordset
        QCOMPARE(rs.RecordCount(), 4L);
        QCOMPARE(rs("DVDID").Value().toLong(), added); // still on the new row
        QStringList seen;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            seen << rs("CZJm").Value().toString();
        QCOMPARE(seen, QStringList({"A", "B", "C", "Nový"}));
        rs.Close();

        // A move writes a pending new row; a dropped one leaves the first row current.
        rs.Open("SELECT * FROM tDVD ORDER BY DVDID", cn, ado::adOpenKeyset, ado::adLockPessimistic,
                ado::adAsyncFetch);
        rs.AddNew();
        rs("CZJm") = "Další";
        rs.MoveFirst();
        QCOMPARE(rs("CZJm").Value().toString(), QString("A"));
        rs.MoveLast();
        QCOMPARE(rs("CZJm").Value().toString(), QString("Další"));
        rs.Close();
        rs.Open("SELECT * FROM tDVD ORDER BY DVDID", cn, ado::adOpenKeyset, ado::adLockPessimistic,
                ado::adAsyncFetch);
        rs.AddNew();
        rs.CancelUpdate();
        QCOMPARE(rs("CZJm").Value().toString(), QString("A"));
        QCOMPARE(rs.RecordCount(), 6L);
        rs.Close();
    }

    void wholeTablesKeepTheQuerysOrder() {
        // Equal titles too: the rows come in SQLite's own order, as read
        // row by row when a condition keeps the query from reading the table whole.
        for (const char* name : {"Had", "Cesta", "had", "Čelisti", "Cesta", "HAD", "Dech", "cesta"})
            dir->insertFilm(QString::fromUtf8(name));
        auto ids = [&](const QString& sql) {
            ado::Recordset rs;
            rs.Open(sql, cn);
            QList<qint64> seen;
            for (; !rs.Eof(); rs.MoveNext())
                seen << rs("DVDID").Value().toLong();
            rs.Close();
            return seen;
        };
        for (const char* order : {"Order by CZJM", "ORDER BY CZJm DESC", "ORDER BY KatCisl ASC"}) {
            const QList<qint64> whole = ids(QString("SELECT * from tDVD ") + order);
            QCOMPARE(whole.size(), 8);
            QCOMPARE(whole, ids(QString("SELECT * from tDVD WHERE 1 = 1 ") + order));
        }
    }

    void largeTablesKeepTheQuerysOrderAndValues() {
        // Enough rows to be read by several threads; long texts among them.
        dir->execute(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 45000) "
            "INSERT INTO tDVD (CZJm, KatCisl, Obsah, Jazyk) SELECT CASE i % 4 WHEN 0 THEN 'Čelisti ' "
            "WHEN 1 THEN 'had ' WHEN 2 THEN 'Cesta ' ELSE 'Dech ' END || (i % 300), i, CASE WHEN i % 3 = 0 "
            "THEN printf('%0200d', i) ELSE 'krátce ' || i END, i % 3 FROM n");
        const QStringList whole = rows("SELECT DVDID, CZJm, KatCisl, Obsah, Jazyk from tDVD Order by CZJM");
        QCOMPARE(whole.size(), 45000);
        QCOMPARE(whole,
                 rows("SELECT DVDID, CZJm, KatCisl, Obsah, Jazyk from tDVD WHERE 1 = 1 Order by CZJM"));

        // Inside the caller's transaction its changes, which other connections do not see, are read too.
        cn.Execute("BEGIN");
        cn.Execute("UPDATE tDVD SET Jazyk = 9 WHERE DVDID % 1000 = 0");
        QCOMPARE(rows("SELECT DVDID, CZJm, KatCisl, Obsah, Jazyk from tDVD Order by CZJM")
                     .filter(QRegularExpression("\\|9$"))
                     .size(),
                 45);
        cn.Execute("ROLLBACK");
    }

    void largeJoinsKeepTheirOrderAndValues() {
        // Enough loans to be read in ranges side by side; a loan of a missing film or client joins nothing.
        dir->execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                     "INSERT INTO tDVD (CZJm, KatCisl) SELECT 'Film ' || i, i FROM n");
        dir->execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                     "INSERT INTO tUser (USNAME) SELECT 'Klient ' || i FROM n");
        dir->execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 24000) "
                     "INSERT INTO tPujcky (P_UID, P_DVDID, PDatPujcky, PDatVraceni) SELECT (i * 7) % 310, "
                     "(i * 13) % 3050, '2024-03-01 10:00:00', CASE WHEN i % 3 = 0 THEN NULL ELSE "
                     "'2024-03-08 10:00:00' END FROM n");
        const QStringList ranged = rows(kOpenLoans);
        QVERIFY(ranged.size() > 6000);
        QCOMPARE(ranged, rows(kOpenLoans + " ORDER BY tPujcky.P_ID")); // read as it stands
        // Readers that cannot open the file (gone from its place) leave every range to this connection.
        const QString moved = dir->cataloguePath() + ".jinde";
        QVERIFY(QFile::rename(dir->cataloguePath(), moved));
        const QStringList alone = rows(kOpenLoans);
        QVERIFY(QFile::rename(moved, dir->cataloguePath()));
        QCOMPARE(alone, ranged);
        // A count is of the whole, not of each range.
        QCOMPARE(rows(QString(kOpenLoans)
                          .replace("tDVD.DVDID, tPujcky.P_UID,", "count(*) AS N,")
                          .section(" FROM ", 0, 0)
                          .section(',', 0, 0) +
                      " FROM " + kOpenLoans.section(" FROM ", 1)),
                 QStringList{QString::number(ranged.size())});
    }

    void longTextsStayAsRead() {
        const QString story = QString::fromUtf8("Žluťoučký kůň úpěl ďábelské ódy. ").repeated(40);
        const long id = dir->insertFilm("Dlouhý", {{"Obsah", story}});
        dir->insertFilm("Krátký", {{"Obsah", "krátce"}});
        ado::Recordset rs;
        rs.Open("SELECT * FROM tDVD ORDER BY DVDID", cn);
        QCOMPARE(rs("Obsah").Value().toString(), story);
        QCOMPARE(rs("Obsah").ActualSize(), qint64(story.toUtf8().size()));
        QCOMPARE(QString::fromUtf8(rs("Obsah").GetChunk(100000)), story);
        rs("Obsah") = story + "!";
        rs.Update();
        QCOMPARE(rs("Obsah").Value().toString(), story + "!");
        rs.MoveNext();
        QCOMPARE(rs("Obsah").Value().toString(), QString("krátce"));
        rs.Close();
        QCOMPARE(dir->scalar(QString("SELECT Obsah FROM tDVD WHERE DVDID=%1").arg(id)), Variant(story + "!"));

        // Changed or deleted by another program after the open: the rows stay as they were read.
        rs.Open("SELECT * FROM tDVD ORDER BY DVDID", cn);
        dir->execute(QString("UPDATE tDVD SET Obsah = '%1' WHERE DVDID=%2").arg(story + story).arg(id));
        QCOMPARE(rs("Obsah").Value().toString(), story + "!");
        dir->execute(QString("DELETE FROM tDVD WHERE DVDID=%1").arg(id));
        QCOMPARE(rs("Obsah").Value().toString(), story + "!");
        rs.Close();
    }

    // What the layer reads from a query's text, on its own.
    void queryTextIsReadByItsWords() {
        using namespace ado::detail::sqltext;
        const QByteArray join = "SELECT a.x, (SELECT 1 FROM b) AS y FROM a INNER JOIN c ON a.id = c.id";
        const Select shape = SplitSelect(join);
        QVERIFY(shape.ok);
        QCOMPARE(join.mid(shape.listStart, shape.fromPos - shape.listStart), QByteArray(" a.x, (SELECT 1 FROM b) AS y "));
        QCOMPARE(join.mid(shape.fromPos, 6), QByteArray("FROM a"));
        const QByteArray quoted = "select 'from', \"FROM\" -- from\n from t";
        QCOMPARE(quoted.mid(SplitSelect(quoted).fromPos), QByteArray("from t"));
        for (const char* other : {"SELECT DISTINCT x FROM t", "SELECT x FROM t UNION SELECT y FROM u",
                                  "WITH q AS (SELECT 1) SELECT * FROM q", "UPDATE t SET x = 1", "SELECT 1"})
            QVERIFY2(!SplitSelect(other).ok, other);

        const WholeTable whole = WholeTableInOrder("select * FROM tDVD order by \"CZJm\" DESC, tDVD.KatCisl ;");
        QVERIFY(whole.ok);
        QCOMPARE(whole.table, QByteArray("tDVD"));
        QCOMPARE(whole.orderBy, QByteArray("\"CZJm\" DESC, tDVD.KatCisl"));
        // A condition, a limit, a position, an expression or another table's column: read as it stands.
        for (const char* other :
             {"SELECT * FROM tDVD WHERE 1 = 1 ORDER BY CZJm", "SELECT * FROM tDVD ORDER BY CZJm LIMIT 5",
              "SELECT * FROM tDVD ORDER BY 2", "SELECT * FROM tDVD ORDER BY lower(CZJm)",
              "SELECT * FROM tDVD ORDER BY tUser.USNAME", "SELECT DVDID FROM tDVD ORDER BY CZJm",
              "SELECT * FROM tDVD", "SELECT * FROM tDVD, tUser ORDER BY CZJm",
              "SELECT * FROM tDVD ORDER BY CZJm COLLATE NOCASE"})
            QVERIFY2(!WholeTableInOrder(other).ok, other);
    }

    // Which of the program's list queries are read in two passes (keys in
    // order, then rows in the table's order) and which as they stand.
    void listQueriesTakeTheirPaths() {
        using ado::detail::sqltext::WholeTableInOrder;
        for (const char* twoPasses :
             {"SELECT * from tDVD Order by CZJM", "SELECT * from tDVD Order by KatCisl",
              "SELECT * from tDVD ORDER BY CZJM", "SELECT * from tDVD ORDER BY DVDID DESC",
              "SELECT * from tDVD ORDER BY KatCisl ASC", "SELECT * from tUser order by USNAME",
              "SELECT * from tUser ORDER BY USNAME"})
            QVERIFY2(WholeTableInOrder(twoPasses).ok, twoPasses);
        const QString clientEnd = "1)) ORDER BY tPujcky.PDatVraceni DESC;";
        for (const QString& asItStands :
             {QString("SELECT * from tZanr"), QString("SELECT * from tOddeleni"), kOpenLoans,
              QString("SELECT tDVD.DVDID, tDVD.CZJm FROM tDVD  where  NOT EXISTS ( SELECT  *  FROM tPujcky  WHERE  "
                      "p_dvdid =DVDID ) or  NOT EXISTS ( SELECT  *  FROM tPujcky  WHERE  p_dvdid =DVDID and "
                      "pdatvraceni is null) ORDER BY CZJM;"),
              QString("SELECT tDVD.DVDID, tDVD.CZJm FROM tDVD  where  EXISTS ( SELECT  *  FROM tPujcky  WHERE  "
                      "p_dvdid =DVDID and pdatvraceni is null and P_UID=1) ORDER BY CZJM;"),
              QString("SELECT tDVD.CZJm, tPujcky.PDatPujcky, tPujcky.PDatVraceni, tUser.USID FROM tUser INNER JOIN "
                      "(tDVD INNER JOIN tPujcky ON tDVD.DVDID = tPujcky.P_DVDID) ON tUser.USID = tPujcky.P_UID "
                      "Where (((tPujcky.PDatVraceni) Is Not Null) And ((tUser.USID) = ") +
                  clientEnd})
            QVERIFY2(!WholeTableInOrder(asItStands.toUtf8()).ok, qPrintable(asItStands));
    }

    void indexesFollowTheCollator() {
        dir->execute("PRAGMA user_version = 1");
        QCOMPARE(dir->scalar("PRAGMA user_version"), Variant(cz::Fingerprint())); // rebuilt at the open
        QVERIFY(cz::Fingerprint() > 1);
    }

    void lockedFileFailsTheWrite() {
        const long id = dir->insertFilm("Zamčený");
        ado::Recordset rs;
        rs.Open(QString("SELECT * FROM tDVD WHERE DVDID=%1").arg(id), cn);
        ado::Connection other;
        other.Open(conn());
        other.Execute("BEGIN EXCLUSIVE");
        rs("CZJm") = "Nový";
        QElapsedTimer t;
        t.start();
        QString why;
        QCOMPARE(errorNumber([&] { rs.Update(); }, &why), long(ado::adErrProvider));
        QVERIFY2(why.contains("je zamčena jiným uživatelem"), qPrintable(why));
        QVERIFY(t.elapsed() >= 900 && t.elapsed() < 5000);
        other.Execute("ROLLBACK");
        rs.Update(); // still pending: goes through now
        rs.Close();
        QCOMPARE(dir->scalar(QString("SELECT CZJm FROM tDVD WHERE DVDID=%1").arg(id)),
                 Variant(QString("Nový")));
    }

    // What a user can meet is said in Czech; the numbers stay ADO's.
    void failuresAreDescribedInCzech() {
        QString why;
        ado::Connection c;
        QCOMPARE(errorNumber([&] { c.Open(schema::ConnString(dir->dataPath() + "x.ddb")); }, &why),
                 long(ado::adErrProvider));
        QVERIFY2(why.startsWith("Nelze najít soubor"), qPrintable(why));

        ado::Recordset rs;
        QCOMPARE(errorNumber([&] { rs.Open("SELECT * FROM tNikde", cn); }, &why), long(ado::adErrSyntax));
        QVERIFY2(why.contains("nemůže najít tabulku nebo dotaz 'tNikde'"), qPrintable(why));

        const long id = dir->insertFilm("Smazaný");
        rs.Open(QString("SELECT * FROM tDVD WHERE DVDID=%1").arg(id), cn);
        dir->execute(QString("DELETE FROM tDVD WHERE DVDID=%1").arg(id));
        rs("CZJm") = "Nový";
        QCOMPARE(errorNumber([&] { rs.Update(); }, &why), long(ado::adErrRowDeleted));
        QVERIFY2(why.contains("mezitím byl smazán"), qPrintable(why));
        rs.CancelUpdate();
        rs.Close();

        {
            const qint64 size = QFileInfo(dir->cataloguePath()).size();
            FileSizeLimit full(rlim_t(size + 4096));
            QVERIFY(full.ok);
            rs.Open("SELECT * FROM tDVD WHERE 0", cn);
            rs.AddNew();
            rs("Obsah") = QString(200000, 'x');
            QCOMPARE(errorNumber([&] { rs.Update(); }, &why), long(ado::adErrProvider));
        }
        QVERIFY2(why.contains("dost volného místa"), qPrintable(why));
        rs.CancelUpdate();
        rs.Close();
    }

    // One damaged page inside the film table: the query says so, and nothing
    // more is written into the file in this run.
    void damagedFileIsSaidAndNotWritten() {
        cn.Execute(
            "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 3000) "
            "INSERT INTO tDVD (CZJm, KatCisl, Obsah) SELECT 'Film ' || x, x, hex(randomblob(100)) FROM n");
        cn.Close();
        {
            QFile f(dir->cataloguePath());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 60 * 8192);
            f.seek(49 * 8192);
            f.write(randomBytes(8192));
        }
        cn.Open(conn()); // the first pages are whole
        ado::Recordset rs;
        QString why;
        QCOMPARE(errorNumber([&] { rs.Open("SELECT * FROM tDVD ORDER BY CZJm", cn); }, &why),
                 long(ado::adErrProvider));
        QVERIFY2(why.contains("je poškozen") && why.contains("záložní kopie"), qPrintable(why));
        QCOMPARE(errorNumber([&] { cn.Execute("INSERT INTO tZanr (ZNAME) VALUES ('Nový')"); }, &why),
                 long(ado::adErrProvider));
        QVERIFY2(why.contains("je poškozen"), qPrintable(why));
        rs.Open("SELECT * FROM tOddeleni WHERE 0", cn);
        rs.AddNew();
        rs("OdJm") = "Nové";
        QVERIFY(errorNumber([&] { rs.Update(); }) != 0);
        rs.CancelUpdate();
        rs.Close();
        cn.Close();
        QCOMPARE(dir->scalar("SELECT count(*) FROM tZanr").toLong() +
                     dir->scalar("SELECT count(*) FROM tOddeleni").toLong(),
                 0L);
        cn.Open(conn());
    }

    void openIsCheap() {
        // The key is derived once per file: later opens take about a millisecond.
        const QString cs = conn();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 50; ++i) {
            ado::Connection c;
            c.Open(cs);
            ado::Recordset rs;
            rs.Open("SELECT * FROM tDVD WHERE DVDID=1", c);
            rs.Close();
            c.Close();
        }
        QVERIFY2(t.elapsed() < 50 * 20, qPrintable(QString::number(t.elapsed())));
    }
};

DVD_TEST_MAIN(TestAdo)
#include "tst_ado.moc"
