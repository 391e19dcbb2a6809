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
#include <QGroupBox>
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

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A search page of the cover site, in its code page, around some option lines.
QByteArray searchPage(const QString& options) {
    const QString page =
        "<html><head><title>DVD obaly - hledání</title></head><body>\r\n"
        "<form action=\"covers.php\" method=\"get\"><input name=\"search\"></form>\r\n"
        "<select name=\"dvd\" align=\"center\" size=25 onChange=\"nahled(this)\">\r\n" +
        options +
        "</select>\r\n"
        "<select name=\"jazyk\"><option value=\"cz\">Česky</option><option value=\"en\">English</option></select>\r\n"
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
    void loadCover(const QByteArray& cover, const QString& id = "2077") {
        search("Vetřelec", searchPage(kThreeCovers));
        server->route("/support.php?DVDcover2=" + id, cover, "image/jpeg");
        clickRow(w->lvwDVD->Item("D" + id)->Index());
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

    void windowStartsEmptyWithItsControls() {
        QCOMPARE(w->windowTitle(), QString("Dohledání obalu DVD na internetu."));
        QCOMPARE(child<QPushButton>("Command1")->text(), QString("Hledej"));
        QCOMPARE(child<QPushButton>("Command4")->text(), QString("Načíst"));
        QCOMPARE(child<QPushButton>("Command2")->text(), QString("Uložit obal jako JPG soubor"));
        QCOMPARE(child<QPushButton>("Command3")->text(), QString("Vytisknout obal"));
        QCOMPARE(child<QPushButton>("Command5")->text(), QString("Pokračuj"));
        QCOMPARE(child<QPushButton>("cmdSelectPrinterPrint")->text(), QString("Tiskni"));
        QStringList frames;
        for (auto* g : w->findChildren<QGroupBox*>()) frames << g->title();
        QVERIFY(frames.contains("Informace") && frames.contains("Seznam nalezených obalů") &&
                frames.contains("Náhled načteného obalu"));
        QStringList labels;
        for (auto* l : w->findChildren<QLabel*>()) labels << l->text();
        for (const char* text : {"Vyhledat obal:", "Načtený obal", "Vyberte tiskárnu na kteru chcete tisknout:",
                                 "Vzhledem k tomu, že se mohou názvy filmů v drobnostech lišit, doporučuji zadávat "
                                 "jen některá slova z názvu filmu."})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        QCOMPARE(w->lvwDVD->ColumnCount(), 3);
        QCOMPARE(w->lvwDVD->Column(1)->Text(), QString("Český název"));
        QCOMPARE(w->lvwDVD->Column(2)->Text(), QString("Původní název"));
        QCOMPARE(w->lvwDVD->Column(3)->Text(), QString("Info"));
        QCOMPARE(w->lvwDVD->Count(), 0);
        QVERIFY(!w->picNahled->isVisible());
        QVERIFY(!w->picPrinter->isVisible());
        for (auto* b : w->findChildren<QPushButton*>()) QVERIFY(!b->autoDefault() && !b->isDefault());
        QCOMPARE(server->requestCount(), 0); // no search by itself

        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(w->isVisible());
        w->close();
        QVERIFY(!w->isVisible());
    }

    void searchListsEachCoverOnce() {
        const QByteArray page = searchPage(kThreeCovers);
        search("  Pelíšky  ", page);
        QCOMPARE(server->requestCount(), 1);
        QCOMPARE(server->requests().first().path, QString("/covers.php"));
        QCOMPARE(fileBytes(DataPath() + "sezobf.htm"), page);

        ListView* lvw = w->lvwDVD;
        QCOMPARE(lvw->Count(), 3); // the repeated id gives no second row, the language list no row
        QCOMPARE(lvw->Item(1)->Key(), QString("D1021"));
        QCOMPARE(lvw->Item(1)->Text(), QString("Pelíšky"));
        QCOMPARE(lvw->Item(1)->SubItem(1), QString("Cosy Dens"));
        QCOMPARE(lvw->Item(1)->SubItem(2), QString());
        QCOMPARE(lvw->Item(2)->Key(), QString("D2077"));
        QCOMPARE(lvw->Item(2)->Text(), QString("Vetřelec"));
        QCOMPARE(lvw->Item(2)->SubItem(1), QString("Alien"));
        QCOMPARE(lvw->Item(2)->SubItem(2), QString("Anglicky"));
        QCOMPARE(lvw->Item(3)->Text(), QString("Kolja"));
        QCOMPARE(lvw->Item(3)->SubItem(1), QString("Kolya"));
        QCOMPARE(lvw->Item(3)->SubItem(2), QString());
        QCOMPARE(boxes->count(), 0);

        // a new search starts from an empty list
        search("Kolja", searchPage("<option value=\"3001\">Kolja&nbsp(Kolya)</option>"));
        QCOMPARE(lvw->Count(), 1);
        QCOMPARE(lvw->Item(1)->Key(), QString("D3001"));
    }

    void searchWordsReachTheSiteAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("query");
        QTest::newRow("empty") << "" << "search=";
        QTest::newRow("blanks only") << "   " << "search=";
        QTest::newRow("blanks inside") << "  Sám doma 2 " << "search=S%E1m+doma+2";
        QTest::newRow("accents") << "Pelíšky" << "search=Pel%ED%9Aky";
        QTest::newRow("ampersand") << "Tom & Jerry" << "search=Tom+%26+Jerry";
        QTest::newRow("hash and plus") << "C# + 1=2?" << "search=C%23+%2B+1%3D2%3F";
        QTest::newRow("percent") << "100%" << "search=100%25";
        QTest::newRow("outside the code page") << "€uro☺" << "search=%80uro%26%239786%3B";
    }
    void searchWordsReachTheSiteAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, query);
        search(typed, searchPage(kThreeCovers));
        QCOMPARE(server->requestCount(), 1);
        QCOMPARE(lastQuery(), query);
        QCOMPARE(w->lvwDVD->Count(), 3);
    }

    void optionTexts_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("czech");
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("info");
        QTest::newRow("entity with semicolon") << "<option value=\"5\">Pelíšky&nbsp;(Cosy Dens)"
                                               << "Pelíšky" << "Cosy Dens" << "";
        QTest::newRow("several spaces") << "<option value=\"5\">Pelíšky &nbsp;&nbsp; (Cosy Dens) "
                                        << "Pelíšky" << "Cosy Dens" << "";
        QTest::newRow("no space entity") << "<option value=\"5\">Samotáři [EN]" << "Samotáři" << "" << "Anglicky";
        QTest::newRow("tags anywhere") << "<option value=\"5\">[SE]Obecná [AV]škola&nbsp(The Elementary School)[EN]"
                                       << "Obecná škola" << "The Elementary School" << "Anglicky";
        QTest::newRow("tags are case-sensitive") << "<option value=\"5\">Kolja [en]&nbsp(Kolya)"
                                                 << "Kolja [en]" << "Kolya" << "";
        QTest::newRow("parenthesis only at the end") << "<option value=\"5\">Ať žije rock'n'roll&nbspRock (live)"
                                                     << "Ať žije rock'n'roll" << "Rock (live" << "";
        QTest::newRow("entities in names") << "<option value=\"5\">Tom &amp; Jerry&nbsp(Tom &amp; Jerry &#233;)"
                                           << "Tom & Jerry" << "Tom & Jerry é" << "";
        QTest::newRow("unknown entity stays") << "<option value=\"5\">A &foo; B&nbsp(C)" << "A &foo; B" << "C"
                                              << "";
    }
    void optionTexts() {
        QFETCH(QString, option);
        QFETCH(QString, czech);
        QFETCH(QString, original);
        QFETCH(QString, info);
        w->ZiskejData(option);
        QCOMPARE(w->lvwDVD->Count(), 1);
        ListItem* row = w->lvwDVD->Item(1);
        QCOMPARE(row->Key(), QString("D5"));
        QCOMPARE(row->Text(), czech);
        QCOMPARE(row->SubItem(1), original);
        QCOMPARE(row->SubItem(2), info);
    }

    void optionWithoutValueGivesNoRow() {
        w->ZiskejData("<option>-- vyberte --");
        w->ZiskejData("<option value=\"7>Neukončená");
        QCOMPARE(w->lvwDVD->Count(), 0);
        w->ZiskejData("\r\n<option value=\"\">Bez čísla");
        QCOMPARE(w->lvwDVD->Count(), 1); // listed, but nothing to load
        QCOMPARE(w->lvwDVD->Item(1)->Key(), QString("D"));
    }

    void pagesWithoutCovers_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("empty list") << searchPage("");
        QTest::newRow("no list at all") << QByteArray("<html><body>Nic nenalezeno.</body></html>");
        QTest::newRow("other list only")
            << QByteArray("<select name=\"jazyk\"><option value=\"cz\">Cz</option></select>");
        QTest::newRow("list tag in other case")
            << QByteArray("<SELECT name=\"dvd\" align=\"center\" size=25><option value=\"1\">A</option></select>");
        QTest::newRow("cut off after the tag") << QByteArray("<select name=\"dvd\" align=\"center\" size=25");
        QTest::newRow("empty page") << QByteArray();
    }
    void pagesWithoutCovers() {
        QFETCH(QByteArray, page);
        w->ZiskejData("<option value=\"9\">Stará&nbsp(Old)");
        search("nic", page);
        QCOMPARE(w->lvwDVD->Count(), 0);
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text, QString("Obal nebyl nalezen."));
        QCOMPARE(boxes->last().title, QString("Výsledek hledání"));
        QCOMPARE(boxes->last().flags, int(vb::vbInformation));
    }

    void failedSearchEmptiesTheListSilently() {
        search("Kolja", searchPage(kThreeCovers));
        QCOMPARE(w->lvwDVD->Count(), 3);
        search("Kolja", "Server error", 500);
        QCOMPARE(w->lvwDVD->Count(), 0);
        QCOMPARE(boxes->count(), 0);
        QCOMPARE(fileBytes(DataPath() + "sezobf.htm"), searchPage(kThreeCovers)); // the last good page stays
    }

    void loadShowsTheChosenCover() {
        const QByteArray cover = jpeg(300, 200, Qt::blue);
        loadCover(cover);
        QCOMPARE(server->requests().last().path, QString("/support.php"));
        QCOMPARE(lastQuery(), QString("DVDcover2=2077"));
        QCOMPARE(fileBytes(DataPath() + "fobl.jpg"), cover);
        QVERIFY(w->picNahled->isVisible());
        QVERIFY(!w->imgNahled->pixmap().isNull());
        const QImage shown = w->imgNahled->pixmap().toImage();
        const QColor middle = shown.pixelColor(shown.rect().center());
        QVERIFY(middle.blue() > 200 && middle.red() < 50);
        QVERIFY(qAbs(shown.width() * 2 - shown.height() * 3) <= 3); // shape kept
        QVERIFY(child<QPushButton>("Command2")->isEnabled());
        QVERIFY(child<QPushButton>("Command3")->isEnabled());
        QCOMPARE(boxes->count(), 0);

        click("Command5");
        QVERIFY(!w->picNahled->isVisible());
        QVERIFY(w->lvwDVD->isVisible());
        QCOMPARE(fileBytes(DataPath() + "fobl.jpg"), cover); // stays for save and print
    }

    void failedLoadKeepsTheCoverShown_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("not found") << 404 << QByteArray("<html>404</html>");
        QTest::newRow("error page as a picture") << 200 << QByteArray("<html><body>Obal neexistuje</body></html>");
        QTest::newRow("empty answer") << 200 << QByteArray();
    }
    void failedLoadKeepsTheCoverShown() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        const QByteArray good = jpeg(300, 200, Qt::green);
        loadCover(good);
        const QImage shown = w->imgNahled->pixmap().toImage();
        click("Command5");

        server->route("/support.php?DVDcover2=1021", body, "image/jpeg", status);
        clickRow(1);
        click("Command4");
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text, QString("Chyba při stahování obalu"));
        QCOMPARE(boxes->last().flags, int(vb::vbOKOnly));
        QCOMPARE(boxes->last().title, kAppTitle);
        QVERIFY(w->picNahled->isVisible());
        QCOMPARE(w->imgNahled->pixmap().toImage(), shown);
        QCOMPARE(fileBytes(DataPath() + "fobl.jpg"), good);
        QCOMPARE(QDir(DataPath()).entryList(QDir::Files), QStringList({"fobl.jpg", "sezobf.htm"})); // no leftovers
    }

    void loadWithoutUsableRowOnlyShowsThePanel() {
        search("x", searchPage("<option value=\"12a\">Divné&nbsp(Odd)</option>"));
        QCOMPARE(w->lvwDVD->Count(), 1);
        server->clearRequests();
        click("Command4"); // the id is no number
        QVERIFY(w->picNahled->isVisible());
        QCOMPARE(server->requestCount(), 0);
        QCOMPARE(boxes->count(), 0);
        // nothing loaded here yet: nothing to save or print
        QVERIFY(!child<QPushButton>("Command2")->isEnabled());
        QVERIFY(!child<QPushButton>("Command3")->isEnabled());
        click("Command5");

        w->lvwDVD->setSelectedItem(nullptr);
        click("Command4");
        QVERIFY(w->picNahled->isVisible());
        QCOMPARE(server->requestCount(), 0);
        QCOMPARE(boxes->count(), 0);
    }

    void saveCopiesTheCover() {
        const QByteArray cover = jpeg(120, 80, Qt::red);
        loadCover(cover);
        filedialogs::Script dialogs;
        const QString target = dir->filePath("obal Vetřelce.jpg");
        writeFile(target, "older file");
        dialogs.answer(target);
        click("Command2");
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(dialogs.last().kind, filedialogs::Kind::Save);
        QCOMPARE(dialogs.last().title, QString("Uložení obrázku"));
        QCOMPARE(fileBytes(target), cover); // an existing file is replaced
        QVERIFY(w->picNahled->isVisible());

        dialogs.cancel();
        click("Command2");
        QCOMPARE(dialogs.count(), 2);
        QCOMPARE(boxes->count(), 0);
        QVERIFY(w->picNahled->isVisible());
    }

    void failedSaveIsReported() {
        loadCover(jpeg(120, 80, Qt::red));
        filedialogs::Script dialogs;
        const QString target = dir->filePath("no such folder/obal.jpg");
        dialogs.answer(target);
        click("Command2");
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text, "Obal se nepodařilo uložit do souboru\r\n" + target);
        QCOMPARE(boxes->last().icon(), int(vb::vbExclamation));
        QVERIFY(!QFile::exists(target));
        QVERIFY(w->picNahled->isVisible());
    }

    void printOffersEachPrinterOnceAndPrintsLandscape() {
        loadCover(jpeg(300, 200, Qt::blue));
        QTemporaryDir out;
        printer::PdfSeam printers({"Laser", "Inkoust", "PDF"}, "Laser", out.path());
        auto* combo = child<QComboBox>("Combo1");
        click("Command3");
        QVERIFY(w->picPrinter->isVisible());
        click("Command3");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), QString("Laser"));
        QCOMPARE(combo->currentText(), QString("PDF")); // the last one offered
        QCOMPARE(printers.count(), 0);

        combo->setCurrentIndex(1);
        click("cmdSelectPrinterPrint");
        QVERIFY(!w->picPrinter->isVisible());
        QVERIFY(w->picNahled->isVisible());
        QCOMPARE(printers.count(), 1);
        const auto& doc = printers.last();
        QCOMPARE(doc.deviceName, QString("Inkoust"));
        QCOMPARE(doc.orientation, int(printer::vbPRORLandscape));
        QCOMPARE(doc.pictures, QList<QRect>({QRect(10, 10, 15600, 10480)}));
        QVERIFY(doc.ended);
        QCOMPARE(doc.pages, 1);
        const QByteArray pdf = fileBytes(doc.pdfPath);
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(pdf.contains("/MediaBox [0 0 842"));
        QCOMPARE(boxes->count(), 0);
    }

    void printerGoneBeforePrintingTakesTheDefault() {
        loadCover(jpeg(300, 200, Qt::blue));
        QTemporaryDir out;
        {
            printer::PdfSeam before({"Laser", "Starý"}, "Laser", out.path());
            click("Command3");
        }
        printer::PdfSeam after({"Laser"}, "Laser", out.path());
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), QString("Starý"));
        click("cmdSelectPrinterPrint");
        QCOMPARE(after.count(), 1);
        QCOMPARE(after.last().deviceName, QString("Laser"));
    }

    void printWithoutPrintersSaysSo() {
        loadCover(jpeg(300, 200, Qt::blue));
        QTemporaryDir out;
        printer::PdfSeam none({}, "", out.path());
        click("Command3");
        QVERIFY(!w->picPrinter->isVisible());
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().text, QString("Není nainstalována žádná tiskárna, obal nelze vytisknout."));
        QCOMPARE(none.count(), 0);
        QVERIFY(w->picNahled->isVisible());
    }

    void continueAlsoLeavesThePrinterChoice() {
        loadCover(jpeg(300, 200, Qt::blue));
        QTemporaryDir out;
        printer::PdfSeam printers({"Laser"}, "Laser", out.path());
        click("Command3");
        click("Command5");
        QVERIFY(!w->picPrinter->isVisible());
        QVERIFY(!w->picNahled->isVisible());
        QCOMPARE(printers.count(), 0);
    }
};

DVD_TEST_MAIN(TestFindObal)
#include "tst_findobal.moc"
