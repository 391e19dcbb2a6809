#include "lookup/frmFindObal.h"
#include "lookup/webroots.h"

#include "apppath.h"
#include "codepage.h"
#include "filedialogs.h"
#include "httpserver.h"
#include "listview.h"
#include "msgbox.h"
#include "printer.h"
#include "testmain.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using testsupport::HttpServer;

namespace {

QByteArray jpeg(int w, int h, QColor colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    return bytes;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A search page of the cover site, in its code page, around some option lines.
QByteArray searchPage(const QString& options) {
    const QString page = "<html><head><title>DVD obaly - hledání</title></head><body>\r\n"
                         "<form action=\"covers.php\" method=\"get\"><input name=\"search\"></form>\r\n"
                         "<select name=\"dvd\" align=\"center\" size=25 onChange=\"nahled(this)\">\r\n" +
                         options +
                         "</select>\r\n"
                         "<select name=\"jazyk\"><option value=\"cz\">Česky</option><option "
                         "value=\"en\">English</option></select>\r\n"
                         "</body></html>\r\n";
    return cp1250::fromUnicode(page);
}

const QString kThreeCovers = "<option value=\"1021\">Pelíšky&nbsp(Cosy Dens)</option>\r\n"
                             "<option value=\"2077\">Vetřelec [EN]&nbsp(Alien)</option>\r\n"
                             "<option value=\"3001\">Kolja [AV] [SE] &nbsp Kolya </option>\r\n"
                             "<option value=\"1021\">Pelíšky&nbsp(Cosy Dens) [SE]</option>\r\n";

} // namespace

class TestFindObal : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<HttpServer> server;
    std::unique_ptr<msgbox::Recorder> boxes;
    std::unique_ptr<frmFindObal> w;

    template <class T> T* child(const char* name) {
        T* c = w->findChild<T*>(QLatin1String(name));
        if (!c) qFatal("no control %s", name);
        return c;
    }
    void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    void search(const QString& words, const QByteArray& page, int status = 200) {
        server->route("/covers.php", page, "text/html", status);
        w->Text1->setText(words);
        click("Command1");
    }
    void clickRow(int index) {
        ListView* lvw = w->lvwDVD;
        const QRect r = lvw->visualRect(lvw->model()->index(index - 1, 0));
        QTest::mouseClick(lvw->viewport(), Qt::LeftButton, {}, r.center());
    }
    QString lastQuery() { return server->requests().isEmpty() ? QString() : server->requests().last().query; }

    // Searches, selects the row and loads its cover.
    void loadCover(const QByteArray& cover) {
        search("Vetřelec", searchPage(kThreeCovers));
        server->route("/support.php?DVDcover2=2077", cover, "image/jpeg");
        clickRow(2);
        click("Command4");
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir->path()).mkpath("data"));
        SetAppPath(dir->path());
        server = std::make_unique<HttpServer>();
        SetWebRootsBase(server->baseUrl());
        boxes = std::make_unique<msgbox::Recorder>();
        w = std::make_unique<frmFindObal>(nullptr);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() {
        w.reset();
        boxes.reset();
        SetWebRootsBase(QString());
        server.reset();
        SetAppPath(QString());
        dir.reset();
    }

    void searchListsEachCoverOnce() {
        QCOMPARE(w->windowTitle(), QString("Dohledání obalu DVD na internetu."));
        QVERIFY(!w->picNahled->isVisible() && !w->picPrinter->isVisible());
        QTest::keyClick(w.get(), Qt::Key_Escape); // Esc closes nothing
        QVERIFY(w->isVisible());

        const QByteArray page = searchPage(kThreeCovers);
        search("  Pelíšky  ", page);
        QCOMPARE(server->requests().first().path, QString("/covers.php"));
        QCOMPARE(fileBytes(DataPath() + "sezobf.htm"), page);
        // the repeated id gives no second row, the language list no row
        const QStringList rows = {"D1021|Pelíšky|Cosy Dens|", "D2077|Vetřelec|Alien|Anglicky",
                                  "D3001|Kolja|Kolya|"};
        QCOMPARE(w->lvwDVD->Count(), 3);
        for (int i = 1; i <= 3; ++i) {
            ListItem* r = w->lvwDVD->Item(i);
            QCOMPARE(QStringList({r->Key(), r->Text(), r->SubItem(1), r->SubItem(2)}).join('|'), rows[i - 1]);
        }
        search("Kolja", "Server error", 500); // fails silently with an empty list
        QCOMPARE(w->lvwDVD->Count(), 0);
        QCOMPARE(boxes->count(), 0);
    }

    void searchWordsReachTheSiteAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("query");
        QTest::newRow("empty") << "   "
                               << "search=";
        QTest::newRow("blanks and accents") << "  Sám doma 2 "
                                            << "search=S%E1m+doma+2";
        QTest::newRow("reserved") << "Tom & Jerry #1+1=2?%"
                                  << "search=Tom+%26+Jerry+%231%2B1%3D2%3F%25";
        QTest::newRow("outside the code page") << "€☺"
                                               << "search=%80%26%239786%3B";
    }
    void searchWordsReachTheSiteAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, query);
        search(typed, searchPage(kThreeCovers));
        QCOMPARE(lastQuery(), query);
    }

    void optionTexts_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("row"); // Czech name|original|info
        QTest::newRow("entity with semicolon") << "<option value=\"5\">Pelíšky &nbsp;&nbsp;(Cosy Dens)"
                                               << "Pelíšky|Cosy Dens|";
        QTest::newRow("no original") << "<option value=\"5\">Samotáři [EN]"
                                     << "Samotáři||Anglicky";
        QTest::newRow("tags anywhere, case counts")
            << "<option value=\"5\">[SE]Obecná [AV]škola [en]&nbsp(School)[EN]"
            << "Obecná škola [en]|School|Anglicky";
        QTest::newRow("closing parenthesis only") << "<option value=\"5\">Rock&nbspRock (live)"
                                                  << "Rock|Rock (live|";
        QTest::newRow("entities") << "<option value=\"5\">Tom &amp; Jerry &foo;&nbsp(&#233;)"
                                  << "Tom & Jerry &foo;|é|";
        // An entity ends within ten characters of its "&", or it is none.
        QTest::newRow("entity length") << "<option value=\"5\">A&#00000066;C&#000000066;&nbsp(&&&x&amp;)"
                                       << "ABC&#000000066;|&&&x&|";
    }
    void optionTexts() {
        QFETCH(QString, option);
        QFETCH(QString, row);
        w->ZiskejData(option);
        w->ZiskejData("<option>-- bez čísla --"); // no value: no row
        QCOMPARE(w->lvwDVD->Count(), 1);
        ListItem* r = w->lvwDVD->Item(1);
        QCOMPARE(r->Key(), QString("D5"));
        QCOMPARE(QStringList({r->Text(), r->SubItem(1), r->SubItem(2)}).join('|'), row);
    }

    void pagesWithoutCovers_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("empty list") << searchPage("");
        QTest::newRow("no list") << QByteArray(
            "<select name=\"jazyk\"><option value=\"cz\">Cz</option></select>");
        QTest::newRow("cut off after the tag") << QByteArray("<select name=\"dvd\" align=\"center\" size=25");
    }
    void pagesWithoutCovers() {
        QFETCH(QByteArray, page);
        search("nic", page);
        QCOMPARE(w->lvwDVD->Count(), 0);
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text, QString("Obal nebyl nalezen."));
        QCOMPARE(boxes->last().title, QString("Výsledek hledání"));
        QCOMPARE(boxes->last().flags, int(vb::vbInformation));
    }

    void loadShowsTheCoverAndAFailureKeepsIt_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("not found") << 404 << QByteArray("<html>404</html>");
        QTest::newRow("error page as a picture")
            << 200 << QByteArray("<html><body>Obal neexistuje</body></html>");
    }
    void loadShowsTheCoverAndAFailureKeepsIt() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QVERIFY(!child<QPushButton>("Command2")->isEnabled()); // nothing to save yet
        const QByteArray good = jpeg(300, 200, Qt::blue);
        loadCover(good);
        QCOMPARE(lastQuery(), QString("DVDcover2=2077"));
        QCOMPARE(fileBytes(DataPath() + "fobl.jpg"), good);
        QVERIFY(w->picNahled->isVisible());
        const QImage shown = w->imgNahled->pixmap().toImage();
        QVERIFY(shown.pixelColor(shown.rect().center()).blue() > 200);
        QVERIFY(child<QPushButton>("Command2")->isEnabled() && child<QPushButton>("Command3")->isEnabled());
        click("Command5");
        QVERIFY(!w->picNahled->isVisible());

        server->route("/support.php?DVDcover2=1021", body, "image/jpeg", status);
        clickRow(1);
        click("Command4");
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text, QString("Chyba při stahování obalu"));
        QCOMPARE(boxes->last().flags, int(vb::vbOKOnly));
        QVERIFY(w->picNahled->isVisible());
        QCOMPARE(w->imgNahled->pixmap().toImage(), shown);
        QCOMPARE(fileBytes(DataPath() + "fobl.jpg"), good);
        QCOMPARE(QDir(DataPath()).entryList(QDir::Files),
                 QStringList({"fobl.jpg", "sezobf.htm"})); // no leftovers

        click("Command5");
        w->lvwDVD->setSelectedItem(nullptr);
        const int asked = server->requestCount();
        click("Command4"); // no row: only the panel
        QVERIFY(w->picNahled->isVisible());
        QCOMPARE(server->requestCount(), asked);
    }

    void saveCopiesTheCover() {
        const QByteArray cover = jpeg(120, 80, Qt::red);
        loadCover(cover);
        filedialogs::Script dialogs;
        const QString target = dir->filePath("obal Vetřelce.jpg");
        QFile older(target);
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("older file") > 0);
        older.close();
        dialogs.answer(target);
        dialogs.cancel();
        dialogs.answer(dir->filePath("no such folder/obal.jpg"));
        click("Command2");
        QCOMPARE(dialogs.last().title, QString("Uložení obrázku"));
        QCOMPARE(fileBytes(target), cover); // an existing file is replaced
        click("Command2");
        QCOMPARE(boxes->count(), 0);
        click("Command2");
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text,
                 "Obal se nepodařilo uložit do souboru\r\n" + dir->filePath("no such folder/obal.jpg"));
        QVERIFY(w->picNahled->isVisible());
    }

    void printOffersEachPrinterOnceAndPrintsLandscape() {
        loadCover(jpeg(300, 200, Qt::blue));
        QTemporaryDir out;
        printer::PdfSeam printers({"Laser", "Inkoust", "PDF"}, "Laser", out.path());
        auto* combo = child<QComboBox>("Combo1");
        click("Command3");
        click("Command3");
        QVERIFY(w->picPrinter->isVisible());
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentText(), QString("PDF")); // the last one offered
        combo->setCurrentIndex(1);
        click("cmdSelectPrinterPrint");
        QVERIFY(!w->picPrinter->isVisible());
        QCOMPARE(printers.count(), 1);
        QCOMPARE(printers.last().deviceName, QString("Inkoust"));
        QCOMPARE(printers.last().orientation, int(printer::vbPRORLandscape));
        QCOMPARE(printers.last().pictures, QList<QRect>({QRect(10, 10, 15600, 10480)}));
        QVERIFY(fileBytes(printers.last().pdfPath).contains("/MediaBox [0 0 842"));

        click("Command3"); // "Pokračuj" leaves the choice too
        click("Command5");
        QVERIFY(!w->picPrinter->isVisible());

        printer::PdfSeam none({}, "", out.path());
        clickRow(2);
        click("Command4");
        click("Command3");
        QVERIFY(!w->picPrinter->isVisible());
        QCOMPARE(boxes->last().text, QString("Není nainstalována žádná tiskárna, obal nelze vytisknout."));
        QCOMPARE(printers.count() + none.count(), 1);
    }
};

DVD_TEST_MAIN(TestFindObal)
#include "tst_findobal.moc"
