#include "apppath.h"
#include "browser.h"
#include "captions.h"
#include "download.h"
#include "httpserver.h"
#include "lookup/frmCSFDFind.h"
#include "lookup/frmFindObal.h"
#include "lookup/frmNetFind.h"
#include "lookup/webroots.h"
#include "msgbox.h"
#include "testmain.h"
#include "twips.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>

using testsupport::HttpServer;

namespace {
constexpr int kWait = 20000;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray jpeg(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    return bytes;
}

// One result link as the shop writes it.
QString link(int id, const QString& inner, const QString& title = QString()) {
    return QString("<a class=\"zbozi\" title=\"%1\" href=\"zbozi_video.php?id_zbozi=%2&amp;kat=2\">%3</a>")
        .arg(title.isEmpty() ? inner : title)
        .arg(id)
        .arg(inner);
}

// The shop's result page: a heading well over 100 characters, then one row per link.
QByteArray resultPage(const QStringList& links, const QString& before = QString()) {
    QString html =
        "<html><head><title>DVD e-shop</title></head><body>" + before +
        "<div class=\"hlavicka\"><img src=\"images/logo.gif\" alt=\"DVD e-shop\"> Výsledky hledání "
        "v kategorii video</div>\n<table class=\"vysledky\">\n";
    for (const QString& l : links)
        html += "<tr><td>" + l + "</td><td class=\"cena\">299 Kč</td></tr>\n";
    html += "</table></body></html>";
    return html.toUtf8();
}

// A product page in the shop's form.
QByteArray productPage(const QString& photo = "images/nahled/peliky.jpg") {
    QString html = R"(<html><head><title>Pelíšky</title></head><body>
<div class="hlavicka">DVD e-shop</div>
<h2 class="title1">  Pelíšky  <a href="hodnoceni.php?id_zbozi=1234">Hodnocení</a></h2>
<table class="detail">
<tr><td class="popisek">Žánr:</td><td class="hodnota">Komedie&nbsp;</td></tr>
<tr><td class="popisek">Originální název:</td><td class="hodnota">Cosy Dens</td></tr>
<tr><td class="popisek">Režie:</td><td class="hodnota"> Jan Hřebejk </td></tr>
<tr><td class="popisek">Herci:</td><td class="hodnota">Miroslav Donutil, Jiří Kodet, Emília Vášáryová</td></tr>
<tr><td class="popisek">Délka (min.):</td><td class="hodnota">&nbsp;116&nbsp;</td></tr>
<tr><td class="popisek">Země původu:</td><td class="hodnota">Česká republika&nbsp;</td></tr>
<tr><td class="popisek">Rok výroby:</td><td class="hodnota">1999&nbsp;</td></tr>
<tr><td class="popisek">Popis:</td><td class="hodnota"><table class="ikony"><tr><td><img src="images/dvd.gif"></td></tr></table>
Vánoce 1967 v pražském činžáku.<br>
Dva otcové, <b>dvě</b> rodiny.&nbsp;
</td></tr>
</table>
)";
    if (!photo.isEmpty())
        html += "<a href='javascript:open_wnd_photo(\"images/velke/peliky.jpg\")'><img border=\"0\" "
                "alt=\"foto\" src=\"" +
                photo + "\"></a>\n";
    html += "</body></html>";
    return html.toUtf8();
}
} // namespace

class TestNetFind : public QObject {
    Q_OBJECT
    QTemporaryDir* dir_ = nullptr;
    HttpServer* server_ = nullptr;
    msgbox::Recorder* boxes_ = nullptr;

    // The delivered pages, posting to the test server instead of the shop.
    void installPages() {
        for (const char* name : {"finddvd.htm", "finddvd2.htm", "null.htm"}) {
            const QString source = QFINDTESTDATA(QString("../../data/") + name);
            QByteArray page = readAll(source);
            QVERIFY2(!page.startsWith("<missing>"), name);
            page.replace("http://www.dvd-eshop.example/", (server_->baseUrl() + "/").toLatin1());
            QFile out(DataPath() + name);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(page);
        }
    }

    // Waits in a real event loop: QTest::qWaitFor sleeps between its rounds,
    // and the browser engine needs many quick rounds on this thread.
    static bool waitFor(const std::function<bool()>& done) {
        if (done()) return true;
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done()) loop.quit();
        });
        QTimer::singleShot(kWait, &loop, &QEventLoop::quit);
        poll.start(5);
        loop.exec();
        return done();
    }

    // The window with its search page loaded.
    static bool waitForSearchPage(frmNetFind& f, const QString& file) {
        return waitFor([&] { return f.wbrFind->LocationURL().endsWith(file) && !f.wbrFind->Busy(); });
    }

    static bool waitForList(frmNetFind& f) {
        return waitFor([&] { return f.Frame1->isVisible() && f.Frame1->title().startsWith("Nalezeno "); });
    }

    static bool waitForParse(frmNetFind& f) {
        return waitFor([&] {
            return f.framData->isVisible() && !f.picWait->isVisible() &&
                   !f.findPopis->toPlainText().isEmpty();
        });
    }

    static QStringList listTexts(const frmNetFind& f) {
        QStringList out;
        for (int i = 0; i < f.List1->count(); ++i)
            out << f.List1->item(i)->text();
        return out;
    }
    static QList<int> listIds(const frmNetFind& f) {
        QList<int> out;
        for (int i = 0; i < f.List1->count(); ++i)
            out << f.List1->item(i)->data(Qt::UserRole).toInt();
        return out;
    }

    // Lets the window load the result page directly, as the search form would.
    void showResults(frmNetFind& f, const QByteArray& page) {
        server_->route("/seznam_video.php", page, "text/html; charset=utf-8");
        f.wbrFind->Navigate(frmNetFind::ResultPageUrl());
    }

private slots:
    void init() {
        dir_ = new QTemporaryDir;
        QVERIFY(QDir(dir_->path()).mkpath("data"));
        SetAppPath(dir_->path());
        server_ = new HttpServer;
        SetWebRootsBase(server_->baseUrl());
        installPages();
        boxes_ = new msgbox::Recorder;
    }
    void cleanup() {
        delete boxes_;
        SetWebRootsBase(QString());
        SetAppPath(QString());
        delete server_;
        delete dir_;
    }

    void searchPageCarriesTheTitleToTheShop() {
        frmNetFind f;
        f.show();
        QCOMPARE(f.windowTitle(), QString("Vyhledání dat filmu na Internetu"));
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));
        QVERIFY(f.WebBrowser1->LocationURL().endsWith("/data/null.htm"));
        QCOMPARE(f.wbrFind->RunScript("document.forms[0].hledany_text.value").toString(), QString());
        QCOMPARE(f.wbrFind->RunScript("document.forms[0].action").toString(), frmNetFind::ResultPageUrl());
        QVERIFY(f.framData->x() >= f.width()); // waits outside the window
        QCOMPARE(frmNetFind::PREVOD("šžŠŽ čřěůíáťň"), QString("ąľ©® čřěůíáťň"));

        f.PredpripravSTR("  Šílený žluťoučký kůň & \"Žofie\"  ");
        // The template filled in, in windows-1250 bytes that read as ISO-8859-2;
        // what would not survive that, and the quotes, as references.
        const QByteArray filled = readAll(DataPath() + "finddvdx.htm");
        QVERIFY2(
            filled.contains(
                "value=\"\xA9\xEDlen\xFD \xBElu&#357;ou\xE8k\xFD k\xF9\xF2 &amp; &quot;\xAEofie&quot;\""),
            filled.constData());
        QVERIFY(!filled.contains("%%N%%"));
        QVERIFY(waitForSearchPage(f, "finddvdx.htm"));
        QCOMPARE(f.wbrFind->RunScript("document.forms[0].hledany_text.value").toString(),
                 QString("Šílený žluťoučký kůň & \"Žofie\""));
        QVERIFY(!f.Frame1->isVisible());
        QVERIFY(!f.Frame2->isVisible());

        server_->route("/seznam_video.php", resultPage({link(1234, "Pelíšky")}), "text/html; charset=utf-8");
        f.wbrFind->RunScript("document.forms[0].hledej.click()");
        QVERIFY(waitForList(f));
        const QList<HttpServer::Request> posted = server_->requests("/seznam_video.php");
        QCOMPARE(posted.size(), 1);
        QCOMPARE(posted.first().method, QByteArray("POST"));
        QCOMPARE(posted.first().query, QString());
        QVERIFY2(posted.first().body.startsWith(
                     "hledany_text=%A9%EDlen%FD+%BElu%BBou%E8k%FD+k%F9%F2+%26+%22%AEofie%22&"),
                 posted.first().body.constData());
        QCOMPARE(listTexts(f), QStringList{"Pelíšky"});

        // Each call writes the page afresh.
        frmNetFind g;
        g.PredpripravSTR("Kolja");
        QVERIFY(readAll(DataPath() + "finddvdx.htm").contains("value=\"Kolja\""));
    }

    void resultListThenProductFillsTheBoxes() {
        frmNetFind f;
        f.show();
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));
        const QByteArray picture = jpeg(60, 80);
        server_->route("/images/nahled/peliky.jpg", picture, "image/jpeg");
        server_->route("/zbozi_video.php?id_zbozi=1234", productPage(), "text/html; charset=utf-8");
        server_->route("/seznam_video.php",
                       resultPage({link(1234, "Pelíšky <font style=\"color: green\">edice</font> 2DVD",
                                        "Pelíšky edice 2DVD"),
                                   link(77, "Kolja", "Kolja (1996)")}),
                       "text/html; charset=utf-8");
        f.wbrFind->RunScript(
            "document.forms[0].hledany_text.value = 'pelisky'; document.forms[0].hledej.click()");
        QVERIFY(waitForList(f));

        QVERIFY(!f.Frame2->isVisible());
        QVERIFY(f.wbrFind->y() < -600); // out of view for good
        QCOMPARE(f.Frame1->title(), QString("Nalezeno 2 záznamů"));
        QCOMPARE(listTexts(f), (QStringList{"Pelíšky edice 2DVD", "Kolja"}));
        QCOMPARE(listIds(f), (QList<int>{1234, 77}));
        QVERIFY(f.RichTextBox1->toPlainText().contains("<A class=zbozi title=\"Kolja (1996)\" href="));
        QCOMPARE(boxes_->count(), 0);

        // Nothing chosen: "Načti" does nothing.
        QVERIFY(f.cmdDataGet->isEnabled());
        f.List1->clearSelection();
        QTest::mouseClick(f.cmdDataGet, Qt::LeftButton);
        QVERIFY(f.Frame1->isVisible());
        QCOMPARE(server_->requests("/zbozi_video.php").size(), 0);

        f.List1->setCurrentRow(0);
        QTest::mouseClick(f.cmdDataGet, Qt::LeftButton);
        QVERIFY(f.Frame2->isVisible());
        QVERIFY(!f.Frame1->isVisible());
        QVERIFY(waitForParse(f));
        QCOMPARE(server_->requests("/zbozi_video.php").size(), 1);
        QCOMPARE(server_->requests("/zbozi_video.php").first().query, QString("id_zbozi=1234"));

        QCOMPARE(f.framData->pos(), QPoint(TwipsToPixels(45), TwipsToPixels(45)));
        QCOMPARE(f.findCZ->text(), QString("Pelíšky"));
        QCOMPARE(f.findZanr->text(),
                 QString("Komedie&nbsp;")); // the entity goes only for length, country, year
        QCOMPARE(f.findPuvodni->text(), QString("Cosy Dens"));
        QCOMPARE(f.findRezie->text(), QString("Jan Hřebejk"));
        QCOMPARE(f.findHerci->toPlainText(), QString("Miroslav Donutil, Jiří Kodet, Emília Vášáryová"));
        QCOMPARE(f.findDelka->text(), QString("116"));
        QCOMPARE(f.findStat->text(), QString("Česká republika"));
        QCOMPARE(f.findRok->text(), QString("1999"));
        QCOMPARE(f.findPopis->toPlainText(),
                 QString("\nVánoce 1967 v pražském činžáku.\nDva otcové, Bdvě/B rodiny.\n"));
        QCOMPARE(f.Text1->text(), DataPath() + "webnahl.jpg");
        QCOMPARE(readAll(DataPath() + "webnahl.jpg"), picture);
        QCOMPARE(f.picWenImgNahl->pixmap().size(), QSize(60, 80));
        QVERIFY(f.chkGetPicture->isChecked());

        QTest::mouseClick(f.Command4, Qt::LeftButton);
        QVERIFY(f.VlozitData);
        QVERIFY(f.isHidden());
    }

    void slowProductPageChosenWithTheMouse() {
        // As on a real shop: the product page and its picture take seconds,
        // and the user works with the mouse, so the focus is on the list.
        frmNetFind f;
        f.setWindowModality(Qt::ApplicationModal);
        f.show();
        QApplication::setActiveWindow(&f);
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));
        HttpServer::Response product;
        product.body = productPage();
        // The link in single quotes reaches the parse in double ones.
        product.body.replace("javascript:open_wnd_photo(\"images/velke/peliky.jpg\")",
                             "javascript:open_wnd_photo(1234)");
        product.contentType = "text/html; charset=utf-8";
        product.delayMs = 3000;
        server_->route("/zbozi_video.php?id_zbozi=77", product);
        HttpServer::Response picture;
        picture.body = jpeg(60, 80);
        picture.contentType = "image/jpeg";
        picture.delayMs = 1500;
        server_->route("/images/nahled/peliky.jpg", picture);
        showResults(f, resultPage({link(1234, "Pelíšky"), link(77, "Kolja")}));
        QVERIFY(waitForList(f));

        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {},
                          f.List1->visualItemRect(f.List1->item(1)).center());
        QCOMPARE(f.List1->currentRow(), 1);
        QVERIFY(f.List1->hasFocus());
        QTest::mouseClick(f.cmdDataGet, Qt::LeftButton);
        QVERIFY(waitForParse(f));
        QCOMPARE(boxes_->count(), 0);
        QCOMPARE(f.findCZ->text(), QString("Pelíšky"));
        QCOMPARE(f.findRok->text(), QString("1999"));
        QCOMPARE(f.Text1->text(), DataPath() + "webnahl.jpg");
        QCOMPARE(f.picWenImgNahl->pixmap().size(), QSize(60, 80));
        // The found values cover the list and the status.
        QVERIFY(!f.Frame1->isVisible());
        QVERIFY(!f.Frame2->isVisible());
        QVERIFY(f.framData->autoFillBackground());
    }

    void captionsOfTheLookUpsFit() {
        frmNetFind net;
        frmCSFDFind film;
        frmFindObal cover(nullptr);
        for (QWidget* w : std::initializer_list<QWidget*>{&net, &film, &cover})
            QCOMPARE(CutCaptions(w).join(" | "), QString());
    }

    void aLongWordWrapsAnywhere() {
        // Every box of the look-ups wraps one long word anywhere: at word
        // boundaries it costs the square of its length. The result list
        // measures and paints only the start of a long title.
        frmNetFind net;
        frmCSFDFind film;
        const QString word = "Začátek " + QString(3000, 'x');
        for (QDialog* w : std::initializer_list<QDialog*>{&net, &film})
            for (QPlainTextEdit* box : w->findChildren<QPlainTextEdit*>()) {
                box->setPlainText(word);
                QVERIFY2(box->wordWrapMode() == QTextOption::WrapAnywhere, qPrintable(box->objectName()));
                box->setPlainText("Vánoce 1967 v pražském činžáku.");
                QVERIFY2(box->wordWrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere,
                         qPrintable(box->objectName()));
            }
        net.List1->addItems({QString(5000, 'x'), QString(1100, 'x')});
        QCOMPARE(net.List1->sizeHintForIndex(net.List1->model()->index(0, 0)),
                 net.List1->sizeHintForIndex(net.List1->model()->index(1, 0)));
    }

    void resultRecognition() {
        frmNetFind f;
        f.show();
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));
        // With a query string it is not the result page: the window stays as it was.
        server_->route("/seznam_video.php", resultPage({link(5, "Kolja")}), "text/html; charset=utf-8");
        const QSize searchSize = f.size();
        f.wbrFind->Navigate(frmNetFind::ResultPageUrl() + "?strana=2");
        QVERIFY(
            waitFor([&] { return f.wbrFind->LocationURL().endsWith("?strana=2") && !f.wbrFind->Busy(); }));
        QVERIFY(!f.Frame1->isVisible());
        QVERIFY(!f.Frame2->isVisible());
        QCOMPARE(f.size(), searchSize);
        QCOMPARE(f.List1->count(), 0);

        // Links before the 100th character are not read; links without a
        // product id are left out, the rest still read; an id without a
        // parameter after it still counts.
        showResults(
            f,
            resultPage({link(11, "První"),
                        "<a class=\"zbozi\" title=\"Bez id\" href=\"zbozi_video.php?kat=2\">Bez id</a>",
                        "<a class=\"zbozi\" title=\"Divné id\" "
                        "href=\"zbozi_video.php?id_zbozi=x1&amp;k=1\">Divné</a>",
                        "<a class=\"zbozi\" title=\"Samo\" href=\"zbozi_video.php?id_zbozi=42\">Samo id</a>",
                        link(12, "Poslední")},
                       link(99, "Na začátku")));
        QVERIFY(waitForList(f));
        QCOMPARE(listTexts(f), (QStringList{"První", "Samo id", "Poslední"}));
        QCOMPARE(listIds(f), (QList<int>{11, 42, 12}));
        QCOMPARE(f.Frame1->title(), QString("Nalezeno 3 záznamů"));
        QCOMPARE(f.size(), QSize(TwipsToPixels(6030) - 8, TwipsToPixels(3270) - 34));
    }

    void nothingFoundAndTooMany_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("warned");
        QTest::newRow("none") << 0 << false;
        QTest::newRow("19") << 19 << false;
        QTest::newRow("20") << 20 << true;
        QTest::newRow("25") << 25 << true;
    }
    void nothingFoundAndTooMany() {
        QFETCH(int, count);
        QFETCH(bool, warned);
        frmNetFind f;
        f.show();
        QStringList links;
        for (int i = 1; i <= count; ++i)
            links << link(100 + i, QString("Film %1").arg(i));
        showResults(f, resultPage(links));
        QVERIFY(waitForList(f));
        QCOMPARE(f.List1->count(), count);
        QCOMPARE(f.Frame1->title(), QString("Nalezeno %1 záznamů").arg(count));
        QCOMPARE(f.cmdDataGet->isEnabled(), count > 0);
        QCOMPARE(boxes_->count(), warned ? 1 : 0);
        if (warned) {
            QCOMPARE(boxes_->last().text, QString("Bylo nalezeno více než 20 záznamů,upřesněte zadání! "));
            QCOMPARE(boxes_->last().title, QString("Hledání přerušeno:"));
            QCOMPARE(boxes_->last().icon(), int(vb::vbInformation));
            QCOMPARE(f.List1->item(count - 1)->data(Qt::UserRole).toInt(), 100 + count);
        }
    }

    void productPageCutByMarkers() {
        frmNetFind f;
        // Lower-case tags match the capital markers; the field labels must match exactly.
        f.RichTextBox2->setPlainText(
            "<H2 class=title1> Kolja </H2><table><tr><td>Žánr:</td><td class=x>Drama&nbsp;</td></tr>"
            "<tr><td>Režie:</td><td>Jan Svěrák</td></tr><tr><td>rok výroby:</td><td>1996</td></tr>"
            "<tr><td>Délka (min.):</td><td>105&nbsp;</td></tr></table>");
        f.findRok->setText("stará hodnota");
        f.Text1->setText("stará cesta");
        f.ZpracujDetail();
        // No link after the heading: the rest of the page from the title on.
        QVERIFY(f.findCZ->text().startsWith("Kolja </H2><table><tr><td>Žánr:"));
        QCOMPARE(f.findZanr->text(), QString("Drama&nbsp;"));
        QCOMPARE(f.findRezie->text(), QString("Jan Svěrák"));
        QCOMPARE(f.findDelka->text(), QString("105"));
        // Missing fields are empty, not the previous field's value.
        QCOMPARE(f.findPuvodni->text(), QString());
        QCOMPARE(f.findHerci->toPlainText(), QString());
        QCOMPARE(f.findStat->text(), QString());
        QCOMPARE(f.findRok->text(), QString());
        QCOMPARE(f.findPopis->toPlainText(), QString());
        // No photo link: no picture.
        QCOMPARE(f.Text1->text(), QString());
        QVERIFY(!f.picWait->isVisible());
        QCOMPARE(server_->requestCount(), 0);

        f.RichTextBox2->setPlainText(
            "<h2 class=title1>Nic</h2><H2 class=title1>Obecná škola <a href=x>x</a></H2>"
            "<TD>Popis:</TD><TD><TABLE></TABLE>Jen text&NBSP;<br>a dál</td>");
        f.ZpracujDetail();
        QCOMPARE(f.findCZ->text(), QString("Obecná škola"));
        QCOMPARE(f.findPopis->toPlainText(), QString("Jen texta dál"));
    }

    void previewPictureFailures() {
        frmNetFind f;
        // A picture path in double quotes gives the path alone.
        const QString page =
            "<H2 class=title1>X <A href=y>y</A></H2><A href='javascript:open_wnd_photo(\"a\")'>"
            "<IMG alt=\"náhled filmu\" src=\"%1\"></A>";
        f.RichTextBox2->setPlainText(page.arg("images/abc.jpg"));
        f.ZpracujDetail(); // not on the server
        QCOMPARE(f.Text1->text(), QString());
        QCOMPARE(server_->requests("/images/abc.jpg").size(), 1);

        server_->route("/images/abc.jpg", "<html><body>Chyba</body></html>", "image/jpeg");
        f.ZpracujDetail(); // not a picture
        QCOMPARE(f.Text1->text(), QString());
        QVERIFY(f.picWenImgNahl->pixmap().isNull());

        server_->route("/IMAGES/Abc.jpg", jpeg(30, 20), "image/jpeg");
        f.RichTextBox2->setPlainText(page.arg("IMAGES/Abc.jpg"));
        f.ZpracujDetail();
        QCOMPARE(f.Text1->text(), DataPath() + "webnahl.jpg");
        QCOMPARE(f.picWenImgNahl->pixmap().size(), QSize(30, 20));
        QCOMPARE(f.findCZ->text(), QString("X"));
    }

    void failuresKeepTheWindowUsable() {
        frmNetFind f;
        f.show();
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));
        // No connection to the shop: back to the search page.
        quint16 closedPort;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        SetWebRootsBase(QString("http://127.0.0.1:%1").arg(closedPort));
        f.wbrFind->Navigate(frmNetFind::ResultPageUrl());
        QVERIFY(waitFor([&] { return boxes_->count() == 1; }));
        QCOMPARE(boxes_->last().title, QString("Hledání přerušeno:"));
        QVERIFY(boxes_->last().text.startsWith("Výsledky hledání se nepodařilo načíst."));
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));
        QVERIFY(!f.Frame2->isVisible());
        QCOMPARE(f.wbrFind->y(), TwipsToPixels(-30));

        // The search works again, and a product page that fails gives back the list.
        SetWebRootsBase(server_->baseUrl());
        showResults(f, resultPage({link(1, "Kolja"), link(2, "Tmavomodrý svět")}));
        QVERIFY(waitForList(f));
        server_->route("/zbozi_video.php", "<html><body>Chyba serveru</body></html>", "text/html", 500);
        f.List1->setCurrentRow(1);
        QTest::mouseClick(f.cmdDataGet, Qt::LeftButton);
        QVERIFY(waitFor([&] { return boxes_->count() == 2; }));
        QVERIFY(boxes_->last().text.startsWith("Stránku vybraného filmu se nepodařilo načíst."));
        QVERIFY(f.Frame1->isVisible());
        QVERIFY(!f.Frame2->isVisible());
        QVERIFY(!f.framData->isVisible());

        // A page that answers but holds no product is no found data either.
        server_->route("/zbozi_video.php?id_zbozi=2", "<html><body></body></html>", "text/html");
        QTest::mouseClick(f.cmdDataGet, Qt::LeftButton);
        QVERIFY(waitFor([&] { return boxes_->count() == 3; }));
        QVERIFY(boxes_->last().text.startsWith("Stránku vybraného filmu se nepodařilo načíst."));
        QVERIFY(f.Frame1->isVisible());
        QVERIFY(!f.framData->isVisible());

        server_->route("/zbozi_video.php?id_zbozi=2", productPage(QString()), "text/html; charset=utf-8");
        QTest::mouseClick(f.cmdDataGet, Qt::LeftButton);
        QVERIFY(waitForParse(f));
        QCOMPARE(f.findCZ->text(), QString("Pelíšky"));
        QCOMPARE(f.Text1->text(), QString());
    }

    void stalledShopLeavesTheStatusUntilClosed() {
        frmNetFind f;
        f.show();
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));
        server_->stall("/seznam_video.php", HttpServer::Stall::HalfBody, QByteArray(5000, ' '));
        f.wbrFind->Navigate(frmNetFind::ResultPageUrl());
        QVERIFY(waitFor([&] { return f.Frame2->isVisible(); }));
        QCOMPARE(f.size(), QSize(TwipsToPixels(6030) - 8, TwipsToPixels(3270) - 34));
        QVERIFY(f.wbrFind->y() < -600);
        QVERIFY(!f.Frame1->isVisible());
        QVERIFY(f.close());
        QVERIFY(!f.VlozitData);
        QVERIFY(f.isHidden());
    }

    void pagesThatNeverSettleFail_data() {
        QTest::addColumn<bool>("product"); // the product page, else the result page
        QTest::addColumn<QByteArray>("page");
        // Each stays "loading" for ever unless the window gives up on it.
        QTest::newRow("result spins while loading")
            << false << QByteArray("<html><body>Výsledky<script>for (;;) {}</script></body></html>");
        QTest::newRow("result moves elsewhere")
            << false
            << QByteArray("<html><body><script>location.replace('/jinde.php');</script></body></html>");
        QTest::newRow("product spins once loaded")
            << true << QByteArray("<html><body onload='for (;;) {}'>Žánr:</body></html>");
        QTest::newRow("product reloads itself")
            << true
            << QByteArray("<html><head><script>setTimeout(function () { location.reload(); }, 300);</script>"
                          "</head><body>Žánr: <img src='/pomalu.gif'></body></html>");
    }
    void pagesThatNeverSettleFail() {
        QFETCH(bool, product);
        QFETCH(QByteArray, page);
        server_->route("/jinde.php", "<html><body>Jinde</body></html>", "text/html; charset=utf-8");
        HttpServer::Response slow;
        slow.body = "GIF89a";
        slow.contentType = "image/gif";
        slow.delayMs = 5000;
        server_->route("/pomalu.gif", slow);
        // Small limits for the page that fails: 0.7 s to load, then 0.5 s to
        // hand over its body; the usual ones for the pages before and after.
        const auto shortLimits = [](bool on) {
            SetDownloadTimeLimit(on ? 700 : 0);
            WebBrowser::SetScriptTimeout(on ? 500 : 0);
        };
        const auto restore = qScopeGuard([&] { shortLimits(false); });
        frmNetFind f;
        f.show();
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));
        if (!product) {
            shortLimits(true);
            showResults(f, page);
            QVERIFY(waitFor([&] { return boxes_->count() == 1; }));
            shortLimits(false);
            QVERIFY(boxes_->last().text.startsWith("Výsledky hledání se nepodařilo načíst."));
            QVERIFY(waitForSearchPage(f, "finddvd.htm"));
            QVERIFY(!f.Frame2->isVisible());
            // The window goes on working.
            showResults(f, resultPage({link(1, "Kolja")}));
            QVERIFY(waitForList(f));
            QCOMPARE(listTexts(f), QStringList{"Kolja"});
        } else {
            showResults(f, resultPage({link(1, "Kolja")}));
            QVERIFY(waitForList(f));
            server_->route("/zbozi_video.php?id_zbozi=1", page, "text/html; charset=utf-8");
            f.List1->setCurrentRow(0);
            shortLimits(true);
            QTest::mouseClick(f.cmdDataGet, Qt::LeftButton);
            QVERIFY(waitFor([&] { return boxes_->count() == 1; }));
            shortLimits(false);
            QVERIFY(boxes_->last().text.startsWith("Stránku vybraného filmu se nepodařilo načíst."));
            QVERIFY(f.Frame1->isVisible());
            QVERIFY(!f.Frame2->isVisible());
            QVERIFY(!f.framData->isVisible());
            // Another try of the same site is not held up by the page before.
            server_->route("/zbozi_video.php?id_zbozi=1", productPage(QString()), "text/html; charset=utf-8");
            QTest::mouseClick(f.cmdDataGet, Qt::LeftButton);
            QVERIFY(waitForParse(f));
            QCOMPARE(f.findCZ->text(), QString("Pelíšky"));
        }
        QCOMPARE(boxes_->count(), 1);
    }

    void progressShowsPercent() {
        frmNetFind f;
        emit f.wbrFind->ProgressChange(1, 3);
        QCOMPARE(f.lblProg->text(), QString("33%"));
        emit f.WebBrowser1->ProgressChange(1, 8); // 12.5 goes to the even 12
        QCOMPARE(f.lblProg->text(), QString("12%"));
        emit f.wbrFind->ProgressChange(3, 8);
        QCOMPARE(f.lblProg->text(), QString("38%"));
        emit f.wbrFind->ProgressChange(5, 0);
        QCOMPARE(f.lblProg->text(), QString("0%"));
    }

    void buttonsEndTheModalWindow() {
        frmNetFind f;
        QTimer::singleShot(0, &f, [&] {
            QTest::keyClick(&f, Qt::Key_Escape); // Esc does not close it
            QVERIFY(f.isVisible());
            f.VlozitData = true; // a stale value is reset by the button
            QTest::mouseClick(f.Command5, Qt::LeftButton);
        });
        f.exec();
        QVERIFY(!f.VlozitData);

        QTimer::singleShot(0, &f, [&] { QTest::mouseClick(f.Command4, Qt::LeftButton); });
        f.exec();
        QVERIFY(f.VlozitData);

        QTimer::singleShot(0, &f, [&] { QTest::mouseClick(f.Command1, Qt::LeftButton); });
        f.exec();
        QVERIFY(!f.VlozitData);
        for (QPushButton* b : {f.cmdDataGet, f.Command1, f.Command4, f.Command5}) {
            QVERIFY(!b->autoDefault());
            QVERIFY(!b->isDefault());
        }
    }

    void missingTemplateIsReported() {
        QVERIFY(QFile::remove(DataPath() + "finddvd2.htm"));
        frmNetFind f;
        f.PredpripravSTR("Kolja");
        QCOMPARE(boxes_->count(), 1);
        QVERIFY(boxes_->last().text.contains("finddvd2.htm"));
        QVERIFY(!QFile::exists(DataPath() + "finddvdx.htm"));
        // The empty search page still shows.
        QVERIFY(waitForSearchPage(f, "finddvd.htm"));

        QVERIFY(QFile::remove(DataPath() + "finddvd.htm"));
        frmNetFind g;
        QVERIFY(waitFor([&] { return boxes_->count() == 2; }));
        QVERIFY(boxes_->last().text.startsWith("Nelze zobrazit vyhledávací stránku"));
    }
};

DVD_TEST_MAIN(TestNetFind)
#include "tst_netfind.moc"
