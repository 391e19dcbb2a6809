#include "apppath.h"
#include "controls.h"
#include "download.h"
#include "httpserver.h"
#include "listview.h"
#include "lookup/frmCSFDFind.h"
#include "lookup/webroots.h"
#include "msgbox.h"
#include "testmain.h"
#include "twips.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using testsupport::HttpServer;

namespace {

const QString kSearch = "/hledani-filmu-hercu-reziseru-ve-filmove-databazi/";
const QString kKolja = "/film/1234-KOLJA/";
const QString kLahve = "/film/5678-VRATNE-LAHVE/";
const QString kDetailFailed = "Pri detailu došlo k chybě chybe.";

QByteArray jpeg(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    return bytes;
}

QStringList comboItems(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QStringList hits(const ListView* lv) {
    QStringList out;
    for (int i = 1; i <= lv->Count(); ++i)
        out << lv->Item(i)->Text() + " | " + lv->Item(i)->SubItem(1);
    return out;
}

} // namespace

class TestCsfdFind : public QObject {
    Q_OBJECT
    QTemporaryDir* dir_ = nullptr;
    HttpServer* server_ = nullptr;
    msgbox::Recorder* boxes_ = nullptr;
    QPointer<frmCSFDFind> win_;

    // A fixture page; "{IMDB}" stands for the IMDb root the window looks for.
    QByteArray page(const QString& name) {
        QFile f(QFINDTESTDATA("fixtures/csfd/" + name));
        if (!f.open(QIODevice::ReadOnly)) return "<missing fixture " + name.toUtf8() + ">";
        return f.readAll().replace("{IMDB}", ImdbRoot().toUtf8());
    }

    void routeKolja() {
        server_->route(kSearch, page("hledani_kolja.html"));
        server_->route(kKolja, page("film_kolja.html"));
        server_->route(kKolja + "?text=1", page("film_kolja_text.html"));
        server_->route("/title/tt0116790", page("imdb_kolya.html"));
        server_->route("/posters/1234-kolja.jpg", jpeg(60, 90), "image/jpeg");
        server_->route(kLahve, page("film_vratne_lahve.html"));
    }

    frmCSFDFind* open() {
        win_ = new frmCSFDFind;
        win_->show();
        return win_;
    }

    // Searches and selects the hit of the given row.
    void searchAndPick(frmCSFDFind* w, int row) {
        w->Text1->setText("kolja");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        w->lvwSeznam->setSelectedItem(w->lvwSeznam->Item(row));
    }

    QByteArray dataFile(const QString& name) {
        QFile f(DataPath() + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void init() {
        dir_ = new QTemporaryDir;
        QVERIFY(QDir(dir_->path()).mkpath("data"));
        SetAppPath(dir_->path());
        server_ = new HttpServer;
        SetWebRootsBase(server_->baseUrl());
        boxes_ = new msgbox::Recorder;
    }
    void cleanup() {
        delete win_;
        delete boxes_;
        SetDownloadTimeout(0);
        SetWebRootsBase(QString());
        SetAppPath(QString());
        delete server_;
        delete dir_;
    }

    void windowAsDesigned() {
        frmCSFDFind* w = open();
        QCOMPARE(w->windowTitle(), QString("Vyhledat v ČSFD"));
        for (const char* name :
             {"Text1",         "Command1",    "lvwSeznam", "Label2",        "Command2", "frmData",
              "findCZ",        "findPuvName", "findZanr",  "findStat",      "findRok",  "findDelka",
              "findRezie",     "findHerci",   "findPopis", "picWenImgNahl", "Text2",    "chkGetPicture",
              "cmdInsertData", "cmdStorno",   "picTime",   "lbl_8",         "Label1_1"})
            QVERIFY2(w->findChild<QWidget*>(name), name);
        QVERIFY(w->chkGetPicture->isChecked());
        QVERIFY(!w->VlozitData);
        QVERIFY(!w->picTime->isVisible());
        // The found values wait outside the client area until a film is loaded.
        QVERIFY(!w->rect().intersects(w->frmData->geometry()));
        for (QPushButton* b : {w->Command1, w->Command2, w->cmdInsertData, w->cmdStorno})
            QVERIFY(!b->isDefault() && !b->autoDefault());
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(w->isVisible());
        // The editor's title goes in trimmed; a blank one leaves the box alone.
        w->PredpripravSTR("  Kolja  ");
        w->PredpripravSTR("   ");
        QCOMPARE(w->Text1->text(), QString("Kolja"));
        QCOMPARE(server_->requestCount(), 0);
    }

    void queryEncoding() {
        QCOMPARE(frmCSFDFind::UpravText("Pelíšky"), QString("Pel%ED%9Aky"));
        QCOMPARE(frmCSFDFind::UpravText("Vratné lahve"), QString("Vratn%E9+lahve"));
        QCOMPARE(frmCSFDFind::UpravText("a=b?c/d~"), QString("a=b?c/d%7E"));
        // Characters that would split or cut the query are escaped.
        QCOMPARE(frmCSFDFind::UpravText("AT&T"), QString("AT%26T"));
        QCOMPARE(frmCSFDFind::UpravText("a+b {x}"), QString("a%2Bb+%7Bx%7D"));
        QCOMPARE(frmCSFDFind::UpravText("Kód #3 100%"), QString("K%F3d+%233+100%25"));
        // Outside the code page: "?", a surrogate pair counting once.
        QCOMPARE(frmCSFDFind::UpravText(QString("x\u4e2dy") + QChar(0xD83C) + QChar(0xDFAC)),
                 QString("x?y?"));

        // "Hledej" sends Text1 as it stands, blanks included.
        frmCSFDFind* w = open();
        server_->route(kSearch, page("hledani_nic.html"));
        w->Text1->setText(" Tom & Jerry: Pelíšky ");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QCOMPARE(server_->requestCount(), 1);
        QCOMPARE(server_->requests().first().path, kSearch);
        QCOMPARE(server_->requests().first().query, QString("search=+Tom+%26+Jerry:+Pel%ED%9Aky+"));
    }

    void hitListGrowsWithEverySearch() {
        frmCSFDFind* w = open();
        server_->route(kSearch, page("hledani_kolja.html"));
        w->Text1->setText("kolja");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QCOMPARE(boxes_->count(), 0);
        // Only the hits after the Czech heading, up to the end of their cell.
        QCOMPARE(hits(w->lvwSeznam),
                 QStringList({"KOLJA (1996) | 1234-KOLJA/", "VRATNÉ LAHVE (2007) | 5678-VRATNE-LAHVE/"}));
        QCOMPARE(w->Label2->text(), QString("Počet nalezených záznamů: 2"));
        QCOMPARE(dataFile("list.find"), page("hledani_kolja.html"));
        QVERIFY(w->lvwSeznam->SelectedItem());

        server_->route(kSearch, page("hledani_puvodni.html"));
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QCOMPARE(w->lvwSeznam->Count(), 3);
        QCOMPARE(hits(w->lvwSeznam).last(), QString("PELÍŠKY (1999) | 4321-PELISKY/"));
        QCOMPARE(w->Label2->text(), QString("Počet nalezených záznamů: 3"));

        // No heading: nothing added, the count shown again.
        server_->route(kSearch, page("hledani_nic.html"));
        w->Label2->setText("x");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QCOMPARE(w->lvwSeznam->Count(), 3);
        QCOMPARE(w->Label2->text(), QString("Počet nalezených záznamů: 3"));
        QCOMPARE(boxes_->count(), 0);
    }

    void failedSearchLeavesTheListAndTheWindowUsable() {
        frmCSFDFind* w = open();
        server_->route(kSearch, page("hledani_kolja.html"));
        w->Text1->setText("kolja");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        const QStringList before = hits(w->lvwSeznam);
        const QByteArray listFile = dataFile("list.find");

        SetDownloadTimeout(300);
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt == 0) server_->route(kSearch, QByteArray("nenalezeno"), "text/html", 404);
            if (attempt == 1) server_->stall(kSearch, HttpServer::Stall::AfterHeaders);
            if (attempt == 2) SetWebRoot(WebSite::FilmDb, "http://127.0.0.1:1");
            boxes_->clear();
            QTest::mouseClick(w->Command1, Qt::LeftButton);
            QCOMPARE(boxes_->count(), 1);
            QCOMPARE(boxes_->last().text, QString("Pri stahovani doslo k chybe."));
            QCOMPARE(boxes_->last().title, kAppTitle);
            QCOMPARE(boxes_->last().buttons(), int(vb::vbOKOnly));
            QCOMPARE(hits(w->lvwSeznam), before);
            QCOMPARE(w->Label2->text(), QString("Počet nalezených záznamů: 2"));
            QCOMPARE(dataFile("list.find"), listFile);
            QVERIFY(w->Command1->isEnabled() && w->Command2->isEnabled());
        }

        SetWebRootsBase(server_->baseUrl());
        server_->route(kSearch, page("hledani_puvodni.html"));
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QCOMPARE(w->lvwSeznam->Count(), 3);
    }

    void loadFillsEveryBox() {
        routeKolja();
        frmCSFDFind* w = open();
        searchAndPick(w, 1);
        server_->clearRequests();
        QTest::mouseClick(w->Command2, Qt::LeftButton);

        QCOMPARE(boxes_->count(), 0);
        QStringList asked;
        for (const auto& r : server_->requests())
            asked << r.target;
        QCOMPARE(asked,
                 QStringList({kKolja, kKolja + "?text=1", "/title/tt0116790", "/posters/1234-kolja.jpg"}));

        // Cut from the full-text page.
        QCOMPARE(w->findCZ->text(), QString("Kolja"));
        QCOMPARE(w->findZanr->text(), QString("Drama, Komedie"));
        QCOMPARE(w->findStat->text(), QString("Česko , Velká Británie"));
        QCOMPARE(w->findRok->text(), QString("1996"));
        QCOMPARE(w->findDelka->text(), QString("105 min"));
        QCOMPARE(w->findRezie->text(), QString("Jan Svěrák"));
        QCOMPARE(BoxText(w->findHerci), QString("Zdeněk Svěrák, Andrej Chalimon, Libuše Šafránková"));
        QCOMPARE(BoxText(w->findPopis),
                 QString("Obstarožní violoncellista Louka se ožení s Ruskou.\r\n\r\nFilm získal Oscara & "
                         "Zlatý glóbus."));
        // The other titles replace the IMDb title; the last one shows.
        QCOMPARE(comboItems(w->findPuvName), QStringList({"Kolja", "Kolya", "Koľa"}));
        QCOMPARE(w->findPuvName->currentText(), QString("Koľa"));

        QCOMPARE(w->Text2->text(), DataPath() + "webnahl.jpg");
        QCOMPARE(dataFile("webnahl.jpg"), jpeg(60, 90));
        QCOMPARE(w->picWenImgNahl->pixmap().size(), QSize(60, 90));
        QVERIFY(w->chkGetPicture->isChecked());

        QCOMPARE(dataFile("detailsmall.find"), page("film_kolja.html"));
        QCOMPARE(dataFile("detail.find"), page("film_kolja_text.html"));
        QCOMPARE(dataFile("detailimdb.find"), page("imdb_kolya.html"));
        QVERIFY(w->RichTextBox2.isEmpty());
        QCOMPARE(w->Label2->text(), QString("Hotovo z 65%"));
        QVERIFY(!w->picTime->isVisible());
        QCOMPARE(w->frmData->pos(), QPoint(TwipsToPixels(90), TwipsToPixels(30)));
    }

    void imdbTitleWithoutYear() {
        routeKolja();
        // Without the other-titles table the IMDb title stays in the combo.
        server_->route(kKolja,
                       page("film_kolja.html").replace("<table cellpadding='0'", "<table cellpadding='1'"));
        server_->route(kKolja + "?text=1", QByteArray(), "text/html", 404);
        frmCSFDFind* w = open();
        w->findPuvName->addItem("dřívější");
        searchAndPick(w, 1);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(w->findPuvName->currentText(), QString("Kolya"));
        QCOMPARE(comboItems(w->findPuvName), QStringList({"dřívější"}));
        // The full text failed once; the rest came from the film page.
        QCOMPARE(boxes_->count(), 1);
        QCOMPARE(boxes_->last().text, kDetailFailed);
        QCOMPARE(boxes_->last().title, kAppTitle);
        QCOMPARE(BoxText(w->findPopis), QString("Zkrácený popis filmu."));
        QCOMPARE(BoxText(w->findHerci), QString("Zdeněk Svěrák, Andrej Chalimon"));
        QCOMPARE(w->findRok->text(), QString("1996"));
        QCOMPARE(w->findDelka->text(), QString("1 ")); // no "min": its first two characters
        QCOMPARE(dataFile("detail.find"), QByteArray("<missing>"));
    }

    void secondFilmKeepsWhatItsPageLacks() {
        routeKolja();
        frmCSFDFind* w = open();
        searchAndPick(w, 1);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        w->lvwSeznam->setSelectedItem(w->lvwSeznam->Item(2));
        server_->clearRequests();
        QTest::mouseClick(w->Command2, Qt::LeftButton);

        QCOMPARE(boxes_->count(), 0);
        // No full-text link: the address ends in an empty parameter.
        QCOMPARE(server_->requests().size(), 2);
        QCOMPARE(server_->requests()[1].target, kLahve + "?text=");
        QCOMPARE(w->findCZ->text(), QString("Vratné lahve"));
        QCOMPARE(w->findZanr->text(), QString("Komedie"));
        // A two-part country line leaves the first film's values.
        QCOMPARE(w->findStat->text(), QString("Česko , Velká Británie"));
        QCOMPARE(w->findRok->text(), QString("1996"));
        QCOMPARE(w->findDelka->text(), QString("105 min"));
        // Names without links give no actors.
        QCOMPARE(BoxText(w->findHerci), QString());
        QCOMPARE(BoxText(w->findPopis), QString("Učitel Josef Tkaloun odchází do důchodu."));
        // No IMDb link, no table: the combo as it was.
        QCOMPARE(w->findPuvName->currentText(), QString("Koľa"));
        // No poster: the box is cleared, the earlier path stays.
        QVERIFY(!w->chkGetPicture->isChecked());
        QCOMPARE(w->Text2->text(), DataPath() + "webnahl.jpg");
    }

    void loadWithoutAHitOrPage() {
        frmCSFDFind* w = open();
        w->findCZ->setText("moje");
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(boxes_->count(), 1);
        QCOMPARE(boxes_->last().text, QString("Není vybraný film v seznamu nalezených."));
        QCOMPARE(boxes_->last().icon(), int(vb::vbInformation));
        QCOMPARE(boxes_->last().title, kAppTitle);
        QCOMPARE(server_->requestCount(), 0);
        QVERIFY(QDir(DataPath()).entryList(QDir::Files).isEmpty());
        QVERIFY(!w->picTime->isVisible());
        QCOMPARE(w->findCZ->text(), QString("moje"));

        // The film page cannot be had: one message, nothing changes.
        server_->route(kSearch, page("hledani_kolja.html"));
        w->Text1->setText("kolja");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        SetDownloadTimeout(300);
        server_->stall(kKolja, HttpServer::Stall::HalfBody, page("film_kolja.html"));
        boxes_->clear();
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(boxes_->count(), 1);
        QCOMPARE(boxes_->last().text, kDetailFailed);
        QCOMPARE(boxes_->last().buttons(), int(vb::vbOKOnly));
        QCOMPARE(w->findCZ->text(), QString("moje"));
        QCOMPARE(w->Label2->text(), QString("Počet nalezených záznamů: 2"));
        QCOMPARE(dataFile("detailsmall.find"), QByteArray("<missing>"));
        QVERIFY(!w->picTime->isVisible());
        QVERIFY(w->Command2->isEnabled());
    }

    void imdbAndPosterFailures() {
        routeKolja();
        server_->route("/title/tt0116790", QByteArray(), "text/html", 404);
        server_->route("/posters/1234-kolja.jpg", QByteArray(), "image/jpeg", 404);
        frmCSFDFind* w = open();
        searchAndPick(w, 1);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(boxes_->count(), 1);
        QCOMPARE(boxes_->last().text, kDetailFailed);
        QCOMPARE(w->findPuvName->currentText(), QString("Koľa"));
        QCOMPARE(w->findRezie->text(), QString("Jan Svěrák"));
        // No poster file: the editor must not take an empty preview.
        QCOMPARE(w->Text2->text(), QString());
        QVERIFY(!w->chkGetPicture->isChecked());

        // A page under the poster's name: the address stays, the box is cleared.
        w->chkGetPicture->setChecked(true);
        server_->route("/posters/1234-kolja.jpg", QByteArray("<html>chyba</html>"), "image/jpeg");
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(w->Text2->text(), server_->baseUrl() + "/posters/1234-kolja.jpg");
        QVERIFY(!w->chkGetPicture->isChecked());
        QVERIFY(w->picWenImgNahl->pixmap().isNull());
    }

    void buttonsAreOffWhilePagesLoad() {
        routeKolja();
        frmCSFDFind* w = open();
        QList<bool> enabled;
        bool noticeShown = false;
        auto probe = [&] {
            for (QPushButton* b : {w->Command1, w->Command2, w->cmdInsertData, w->cmdStorno})
                enabled << b->isEnabled();
            QTest::mouseClick(w->cmdStorno, Qt::LeftButton);
        };
        server_->route(kSearch, [&](const HttpServer::Request&) {
            probe();
            HttpServer::Response r;
            r.body = page("hledani_kolja.html");
            return r;
        });
        server_->route(kKolja, [&](const HttpServer::Request&) {
            probe();
            noticeShown = w->picTime->isVisible();
            HttpServer::Response r;
            r.body = page("film_kolja.html");
            return r;
        });
        searchAndPick(w, 1);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(enabled, QList<bool>(8, false));
        QVERIFY(noticeShown);
        QVERIFY(w->isVisible());
        QCOMPARE(w->findCZ->text(), QString("Kolja"));
        for (QPushButton* b : {w->Command1, w->Command2, w->cmdInsertData, w->cmdStorno})
            QVERIFY(b->isEnabled());
        QVERIFY(!w->isBusy());
    }

    void closeBoxWhileLoadingEndsTheWorkAndCloses() {
        routeKolja();
        frmCSFDFind* w = open();
        searchAndPick(w, 1);
        // The close box while the film page is on its way: the download ends
        // at once, nothing more is fetched or reported, and the window goes.
        bool refused = false;
        server_->route(kKolja, [&](const HttpServer::Request&) {
            refused = !w->close();
            HttpServer::Response r;
            r.stall = HttpServer::Stall::Silent;
            return r;
        });
        server_->clearRequests();
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QVERIFY(refused);
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 5000);
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(server_->requestCount(), 1);
        QCOMPARE(boxes_->count(), 0);
        QVERIFY(!w->VlozitData);
    }

    void closingSetsTheResult() {
        routeKolja();
        // "Vložit data": accepted, every value still there to be read.
        QPointer<frmCSFDFind> w = new frmCSFDFind;
        w->Text1->setText("kolja");
        QTimer::singleShot(0, w.data(), [w] {
            QTest::mouseClick(w->Command1, Qt::LeftButton);
            QTest::mouseClick(w->Command2, Qt::LeftButton);
            w->findRok->setText("1997");
            QTest::mouseClick(w->cmdInsertData, Qt::LeftButton);
        });
        QCOMPARE(w->exec(), int(QDialog::Accepted));
        QVERIFY(w->VlozitData);
        QCOMPARE(w->findRok->text(), QString("1997"));
        QCOMPARE(w->findCZ->text(), QString("Kolja"));
        QCOMPARE(w->Text2->text(), DataPath() + "webnahl.jpg");
        delete w;

        w = new frmCSFDFind;
        QTimer::singleShot(0, w.data(), [w] { QTest::mouseClick(w->cmdStorno, Qt::LeftButton); });
        QCOMPARE(w->exec(), int(QDialog::Rejected));
        QVERIFY(!w->VlozitData);
        delete w;

        w = new frmCSFDFind;
        QTimer::singleShot(0, w.data(), [w] { w->close(); });
        QCOMPARE(w->exec(), int(QDialog::Rejected));
        QVERIFY(!w->VlozitData);
        delete w;
    }

    void markerOperations() {
        frmCSFDFind w;
        w.RichTextBox1 = "x REŽIE:\r\n  Jan Novák </a> konec < start";
        QCOMPARE(w.NajdiTextPolozky("Režie:", "</"), QString("Jan Novák "));
        QCOMPARE(w.NajdiTextPolozky("start", "<"), QString());
        w.RichTextBox2 = "<TITLE>Pelíšky</TITLE>";
        QCOMPARE(w.NajdiTextPolozky2("<title>", "</title>"), QString("Pelíšky"));
        QCOMPARE(w.NajdiTextPolozky("<title>", "</title>"), QString());

        w.RichTextBox1 = "x TITLE/tt0116790/ y";
        QCOMPARE(w.NajdiURLPolozky("title/"), QString("tt0116790"));
        w.RichTextBox1 = "x title/tt0116790";
        QCOMPARE(w.NajdiURLPolozky("title/"), QString());

        QCOMPARE(frmCSFDFind::OdebratTagy("<b>Tom</b> &amp; Jerry<br>"), QString("Tom & Jerry\r\n"));
        QCOMPARE(frmCSFDFind::OdebratTagy("&amp;eacute; <B>x</B>"), QString("&eacute; <B>x</B>"));
    }

    void otherTitles() {
        frmCSFDFind w;
        w.findPuvName->addItem("původní");
        w.findPuvName->setEditText("původní");
        const QString table = "<table cellpadding='0' cellspacing='0' border='0'>";
        const QString row = "<tr><td><img vspace='2' ></td><td>%1</td></tr>";
        // No table, or the table too near the start: the combo keeps its list.
        w.ZpracujDalsiNazvy("<p>" + row.arg("A") + "</p>");
        w.ZpracujDalsiNazvy("<b>x</b>" + table + row.arg("A"));
        QCOMPARE(comboItems(w.findPuvName), QStringList({"původní"}));
        QCOMPARE(w.findPuvName->currentText(), QString("původní"));

        // A title left open ends the scan; those before it stay.
        const QString lead = "<font>další názvy:</font> ";
        w.ZpracujDalsiNazvy(lead + table + row.arg("Jedna") + "<img vspace='2' ></td><td>Dva");
        QCOMPARE(comboItems(w.findPuvName), QStringList({"Jedna"}));
        QCOMPARE(w.findPuvName->currentText(), QString("Jedna"));
    }
};

DVD_TEST_MAIN(TestCsfdFind)
#include "tst_csfdfind.moc"
