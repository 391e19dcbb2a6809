#include "core/mDatabase.h"
#include "core/schema.h"

#include "apppath.h"
#include "msgbox.h"
#include "progdir.h"
#include "testmain.h"

#include <QFile>

#include <sqlite3.h>

using ado::Variant;

class TestMDatabase : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;

private slots:
    void init() {
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() { dir.reset(); }

    void connectionStrings() {
        DBPath = dir->cataloguePath();
        OpenConnection();
        QCOMPARE(DBConnString, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir->cataloguePath() +
                                   ";Jet OLEDB:Database Password=TrOkLsnBHW");
        QCOMPARE(DBConnection.State(), long(ado::adStateOpen));
        CloseConnection();
        QCOMPARE(DBConnection.State(), long(ado::adStateClosed));
        CloseConnection(); // never raises
        QCOMPARE(PicturesPath(), DataPath() + "pictures.ddb");
        QCOMPARE(PicturesConnString(), "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir->picturesPath() +
                                           ";Jet OLEDB:Database Password=TrOkLsnBHW");
    }

    void emptyAndFailingQueries() {
        msgbox::Recorder boxes;
        dir->insertFilm("Jediný");
        OpenConnection();
        QCOMPARE(OpenRecordset("SELECT * from tDVD"), 1L);
        // No rows: 0, the recordset open at its end.
        QCOMPARE(OpenRecordset("SELECT * from tDVD WHERE DVDID=999"), 0L);
        QCOMPARE(DBRecordset.State(), long(ado::adStateOpen));
        QVERIFY(DBRecordset.Eof());
        // No rows, append: a new current row that Update writes.
        QCOMPARE(OpenRecordset("SELECT * from tDVD WHERE DVDID=999", true), 0L);
        QVERIFY(!DBRecordset.Eof());
        QCOMPARE(DBRecordset.EditMode(), long(ado::adEditAdd));
        DBRecordset("CZJm") = "Přidaný";
        DBRecordset.Update();
        const qint64 id = DBRecordset("DVDID").Value().toLong();
        QVERIFY(id > 1);
        // A table that does not exist: 0, nothing raised, nothing shown; the
        // append flag is ignored then.
        QCOMPARE(OpenRecordset("SELECT * from tNeexistuje"), 0L);
        QCOMPARE(OpenRecordset("SELECT * from tNeexistuje", true), 0L);
        QCOMPARE(DBRecordset.State(), long(ado::adStateClosed));
        // CloseRecordset raises on a recordset that is not open.
        bool raised = false;
        try {
            CloseRecordset();
        } catch (const ado::Error&) {
            raised = true;
        }
        QVERIFY(raised);
        CloseConnection();
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(dir->scalar(QString("SELECT CZJm FROM tDVD WHERE DVDID=%1").arg(id)),
                 Variant(QString("Přidaný")));
    }

    void nulCharactersInThePath() {
        msgbox::Recorder boxes;
        dir->insertFilm("Film");
        DBPath = dir->cataloguePath() + QString(3, QChar(0));
        OpenConnection();
        QCOMPARE(DBPath, dir->cataloguePath());
        QCOMPARE(OpenRecordset("SELECT * from tDVD"), 1L);
        CloseRecordset();
        CloseConnection();
        QCOMPARE(boxes.count(), 0);
    }

    void failedOpenShowsOneBox_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("wrong password") << "password";
    }
    void failedOpenShowsOneBox() {
        QFETCH(QString, kind);
        QString expected;
        if (kind == "missing") {
            DBPath = dir->dataPath() + "chybi.ddb";
            expected = "Nelze najít soubor '" + DBPath + "'.";
        } else {
            // A catalogue with the tables but another password.
            DBPath = dir->dataPath() + "jine.ddb";
            ado::CreateDatabase(DBPath, "JineHeslo");
            expected = "Neplatné heslo";
        }
        const QString path = DBPath;
        msgbox::Recorder boxes;
        OpenConnection();
        QCOMPARE(boxes.count(), 1);
        QVERIFY2(boxes.last().text.contains(expected), qPrintable(boxes.last().text));
        QCOMPARE(boxes.last().buttons(), int(vb::vbOKOnly));
        QCOMPARE(boxes.last().icon(), 0);
        QCOMPARE(boxes.last().title, kAppTitle);
        QCOMPARE(DBConnection.State(), long(ado::adStateClosed));
        QCOMPARE(OpenRecordset("SELECT * from tDVD"), 0L);
        QCOMPARE(OpenRecordset("SELECT * from tDVD", true), 0L);
        CloseConnection();
        QCOMPARE(boxes.count(), 1);
        if (kind == "missing") QVERIFY(!QFile::exists(path));
    }

    void nullToStr() {
        QCOMPARE(NullToStr(Variant()), QString(""));
        QCOMPARE(NullToStr(Variant(QString(""))), QString(""));
        QCOMPARE(NullToStr(Variant(12)), QString("12"));
        dir->insertFilm("Bez názvu", {{"PuvJm", Variant()}});
        OpenConnection();
        OpenRecordset("SELECT * from tDVD");
        QCOMPARE(NullToStr(DBRecordset("PuvJm")), QString(""));
        QCOMPARE(NullToStr(DBRecordset("CZJm")), QString("Bez názvu"));
        CloseRecordset();
        CloseConnection();
    }

    void deletedIdsNeverComeBack() {
        dir->insertFilm("A");
        const long highest = dir->insertFilm("B");
        OpenConnection();
        QCOMPARE(OpenRecordset(QString("SELECT * FROM tDVD WHERE DVDID=%1;").arg(highest)), 1L);
        DBRecordset.Delete();
        DBRecordset.Update();
        CloseRecordset();
        CloseConnection();
        QCOMPARE(dir->scalar("SELECT count(*) FROM tDVD"), Variant(1));

        OpenConnection();
        OpenRecordset("SELECT * from tDVD WHERE DVDID=0", true);
        DBRecordset.Update();
        const qint64 fresh = DBRecordset("DVDID").Value().toLong();
        CloseRecordset();
        CloseConnection();
        QVERIFY2(fresh > highest, qPrintable(QString("%1 after %2").arg(fresh).arg(highest)));
    }

    // The lending panels look each film's loans up by film and return date:
    // their work grows with the films, not with the films times a client's
    // loans. A catalogue made before those indexes gets them.
    void panelQueriesLookLoansUp() {
        // the indexes of a catalogue made before
        for (const char* ix : {"ixPujcky_Film", "ixPujcky_Open", "ixPujcky_Client"})
            dir->execute(QString("DROP INDEX %1").arg(ix));
        dir->execute("CREATE INDEX ixPujcky_DVDID ON tPujcky (P_DVDID)");
        dir->execute("CREATE INDEX ixPujcky_UID ON tPujcky (P_UID)");
        dir->execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                     "INSERT INTO tDVD (CZJm, KatCisl) SELECT 'Film ' || i, i FROM n");
        const long client = dir->insertClient("Vášnivý Divák");
        dir->execute(QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                             "INSERT INTO tPujcky (P_UID, P_DVDID, PDatPujcky, PDatVraceni) SELECT %1, 1 + i % 200, "
                             "'2025-01-01 10:00:00', CASE WHEN i <= 20 THEN NULL ELSE '2025-01-08 10:00:00' END "
                             "FROM n")
                         .arg(client));
        const QString returnPanel =
            QString("SELECT tDVD.DVDID, tDVD.CZJm FROM tDVD  where  EXISTS ( SELECT  *  FROM tPujcky  WHERE  p_dvdid "
                    "=DVDID and pdatvraceni is null and P_UID=%1) ORDER BY CZJM;")
                .arg(client);
        auto steps = [&](const QString& sql) {
            ado::Connection cn;
            cn.Open(schema::ConnString(dir->cataloguePath()));
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(cn.handle(), sql.toUtf8().constData(), -1, &st, nullptr);
            int rows = 0;
            while (sqlite3_step(st) == SQLITE_ROW)
                ++rows;
            const int vm = sqlite3_stmt_status(st, SQLITE_STMTSTATUS_VM_STEP, 0);
            sqlite3_finalize(st);
            return std::make_pair(rows, vm);
        };
        QVERIFY(steps(returnPanel).second > 100 * 200); // each film walks the client's loans
        QVERIFY(schema::AddMissingIndexes(dir->cataloguePath()));
        const auto [rows, vm] = steps(returnPanel);
        QCOMPARE(rows, 20);
        QVERIFY2(vm < 30 * 200, qPrintable(QString::number(vm)));
    }

    void createRefusesAnExistingFile() {
        const QByteArray before = [&] {
            QFile f(dir->cataloguePath());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        bool raised = false;
        try {
            schema::CreateCatalogue(dir->cataloguePath(), true);
        } catch (const ado::Error&) {
            raised = true;
        }
        QVERIFY(raised);
        QFile f(dir->cataloguePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == before);

        // A fresh installation's lists.
        TestProgramDir installed(true);
        QCOMPARE(installed.scalar("SELECT count(*) FROM tZanr").toLong(),
                 qint64(schema::DefaultGenres().size()));
        QCOMPARE(installed.scalar("SELECT ZNAME FROM tZanr ORDER BY ZNAME").toString(), QString("Akční"));
        QCOMPARE(installed.scalar("SELECT count(*) FROM tOddeleni").toLong(),
                 qint64(schema::DefaultDepartments().size()));
    }
};

DVD_TEST_MAIN(TestMDatabase)
#include "tst_mdatabase.moc"
