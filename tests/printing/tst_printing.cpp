#include "core/mDatabase.h"
#include "printing/frmTisknout.h"
#include "printing/mPrintHTM.h"

#include "codepage.h"
#include "msgbox.h"
#include "filesizelimit.h"
#include "progdir.h"
#include "shell.h"
#include "testmain.h"
#include "twips.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>

namespace {

using V = TestProgramDir::Values;
const QString CRLF = QStringLiteral("\r\n");

// The page texts, written out here on their own so that the program's copy is checked against them.
const QString kMeta = QStringLiteral("<html><head>\r\n"
                                     "<meta http-equiv=\"Content-Language\" content=\"cs\">\r\n"
                                     "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                                     "charset=windows-1250\">\r\n");
const QString kSimpleHeader =
    kMeta +
    QStringLiteral(
        "<title>DVD</title></head><body><p><b><font size=\"6\">Seznam filmových disků</font></b></p>\r\n"
        "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"\" width=\"100%\" "
        "id=\"AutoNumber1\">\r\n"
        "<tr><td bgcolor=\"#CCCCCC\">&nbsp;<b>Název</b></td>\r\n"
        "<td bgcolor=\"#CCCCCC\">&nbsp;<b>Žánr</b></td>\r\n"
        "<td bgcolor=\"#CCCCCC\">&nbsp;<b>Zvuk / titulky</b></td>\r\n"
        "<td bgcolor=\"#CCCCCC\">&nbsp;<b>Kat. číslo</b></td></tr>\r\n");
const QString kDetailedHeader =
    kMeta +
    QStringLiteral("<title>DVD</title></head><body><p><b><font size=\"6\">Seznam DVD</font></b></p>\r\n");
const QString kFooter = QStringLiteral("</table></body></html>");

QString row(const QString& title, const QString& genre, const QString& language, const QString& number) {
    return "<tr><td>&nbsp;" + title + "</td><td>&nbsp;" + genre + "</td><td>&nbsp;" + language +
           "</td><td>&nbsp;" + number + "</td></tr>" + CRLF;
}

struct Block {
    QString title, number, genre, length, country, year, language, plot, cast, picture;
};

QString block(const Block& b) {
    const QString pic = b.picture.isEmpty() ? QString()
                                            : "<img border=\"0\" src=\"" + b.picture +
                                                  "\"  width=\"60\" height=\"93\" style=\"float: left\">";
    return "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" "
           "bordercolor=\"#111111\" width=\"100%\" id=\"AutoNumber1\">" +
           CRLF + "<tr><td width=\"100%\" style=\"font-size: 14pt; font-weight: bold\">" + b.title + "  (" +
           b.number + ")</td>" + CRLF +
           "</tr><tr><td width=\"100%\" style=\"font-size: 10px;\"><strong>Žánr: </strong>" + b.genre +
           "&nbsp;&nbsp;&nbsp;<strong>Délka: </strong>" + b.length +
           "&nbsp;&nbsp;&nbsp;<strong>Stát: </strong>" + b.country +
           "&nbsp;&nbsp;&nbsp;<strong>Rok: </strong> " + b.year +
           "&nbsp;&nbsp;&nbsp;<strong>Zvuk: </strong>" + b.language + "</td>" + CRLF +
           "</tr><tr><td width=\"100%\" style=\"border-top:1px solid #000000; border-bottom:1px solid "
           "#000000; "
           "font-size: 12pt; border-left-width:1; border-right-width:1\">" +
           pic + "&nbsp;&nbsp; " + b.plot +
           "</td></tr><tr><td width=\"100%\" style=\"font-size: 10px;\"><strong>Herci: </strong>" + b.cast +
           "</td></tr></table><br>";
}

// A film with every printed field given.
V film(const QString& genre, const ado::Variant& language, const QString& number = QString()) {
    V v{{"Zanr", genre}, {"Jazyk", language},        {"Delka", "120 min"},      {"Stat", "USA"},
        {"Rok", "1975"}, {"Obsah", "Žralok útočí."}, {"Herci", "Roy Scheider"}, {"Nahled_ID", 0}};
    if (!number.isNull()) v << qMakePair(QString("KatCisl"), ado::Variant(number));
    return v;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<msgbox::Recorder> boxes;
    std::unique_ptr<shell::Recorder> shellRec;
    std::unique_ptr<frmTisknout> dlg;

    QString pagePath() const { return dir->dataPath() + "test.htm"; }
    QByteArray pageBytes() const {
        QFile f(pagePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    // The page written and opened by the last click, compared byte for byte.
    void comparePage(const QString& expected) {
        QCOMPARE(shellRec->count(), 1);
        QCOMPARE(shellRec->last().target, pagePath());
        const QByteArray bytes = pageBytes();
        const QString text = cp1250::toUnicode(bytes);
        if (text != expected) { // show where they part
            qsizetype at = 0;
            while (at < text.size() && at < expected.size() && text[at] == expected[at])
                ++at;
            at = qMax<qsizetype>(0, at - 30);
            QCOMPARE(text.mid(at, 90), expected.mid(at, 90));
            QCOMPARE(text.size(), expected.size());
        }
        int unmapped = 0;
        QCOMPARE(bytes, cp1250::fromUnicode(expected, '?', &unmapped));
        QCOMPARE(unmapped, 0);
        shellRec->clear();
    }

private slots:
    void init() {
        boxes = std::make_unique<msgbox::Recorder>();
        shellRec = std::make_unique<shell::Recorder>();
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(dir->isValid());
        dlg = std::make_unique<frmTisknout>(nullptr);
        dlg->show();
    }
    void cleanup() {
        dlg.reset();
        dir.reset();
        shellRec.reset();
        const int unexpected = boxes->count();
        boxes.reset();
        QCOMPARE(unexpected, 0);
    }

    void templatesHaveTheirLengths() {
        QCOMPARE(kSimpleHeader.size(), 533);
        QCOMPARE(kDetailedHeader.size(), 220);
        QCOMPARE(row("%%1%%", "%%2%%", "%%3%%", "%%4%%").size(), 91);
        // the block's heading "%%1%%" stands for title, "  (", number and ")"
        const QString b =
            block({"%%1%%", "", "%%2%%", "%%3%%", "%%4%%", "%%5%%", "%%6%%", "%%7%%", "%%8%%", ""});
        QCOMPARE(b.size() - 4 + 9, 775); // "  ()" out, "%%%PIC%%%" in
    }

    void windowLayout() {
        QCOMPARE(dlg->windowTitle(), QString("Tisk seznamu"));
        QCOMPARE(dlg->Command1->text(), QString("Jednoduchý seznam abecedně"));
        QCOMPARE(dlg->Command2->text(), QString("Jednoduchý seznam od nejnovějších"));
        QCOMPARE(dlg->Command3->text(), QString("Jednoduchý seznam kat. číslo"));
        QCOMPARE(dlg->Command4->text(), QString("Podrobný seznam"));
        const QSize size(TwipsToPixels(2535), TwipsToPixels(735));
        for (auto* b : {dlg->Command1, dlg->Command2, dlg->Command3, dlg->Command4}) {
            QCOMPARE(b->size(), size);
            QVERIFY(!b->autoDefault() && !b->isDefault());
            QCOMPARE(dlg->findChild<QPushButton*>(b->objectName()), b);
        }
        // 1 top left, 4 top right, 2 bottom left, 3 bottom right
        QCOMPARE(dlg->Command1->y(), dlg->Command4->y());
        QCOMPARE(dlg->Command2->y(), dlg->Command3->y());
        QVERIFY(dlg->Command2->y() >= dlg->Command1->geometry().bottom());
        QCOMPARE(dlg->Command1->x(), dlg->Command2->x());
        QCOMPARE(dlg->Command4->x(), dlg->Command3->x());
        QVERIFY(dlg->Command4->x() >= dlg->Command1->geometry().right());
        QVERIFY(dlg->rect().contains(dlg->Command3->geometry()));

        QTest::keyClick(dlg.get(), Qt::Key_Escape);
        QVERIFY(dlg->isVisible());
        QVERIFY(dlg->close()); // the close box closes it
        QVERIFY(!dlg->isVisible());
    }

    void languageTexts() {
        QCOMPARE(dlg->GetJazyk(0), QString("Český dabing"));
        QCOMPARE(dlg->GetJazyk("0"), QString("Český dabing"));
        QCOMPARE(dlg->GetJazyk(1), QString("Titulky"));
        QCOMPARE(dlg->GetJazyk("1"), QString("Titulky"));
        QCOMPARE(dlg->GetJazyk(1.0), QString("Titulky"));
        QCOMPARE(dlg->GetJazyk(false), QString("Český dabing"));
        for (const ado::Variant& other :
             {ado::Variant(2), ado::Variant(), ado::Variant(""), ado::Variant("2"), ado::Variant("Titulky"),
              ado::Variant(0.5), ado::Variant(-1), ado::Variant(true)})
            QCOMPARE(dlg->GetJazyk(other), QString("Neuvedeno"));
    }

    void simpleListsInTheirOrders() {
        const long celisti = dir->insertFilm("Čelisti", film("Horor, Thriller", 0, "2"));
        const long cesta = dir->insertFilm("Cesta", film("Drama", 1, "10"));
        const long had = dir->insertFilm("Had", film("Akční", 2, "1"));
        const long bez = dir->insertFilm("Bez jazyka", film("Komedie", ado::Variant(), "3"));
        const QString rCelisti = row("Čelisti", "Horor, Thriller", "Český dabing", "2");
        const QString rCesta = row("Cesta", "Drama", "Titulky", "10");
        const QString rHad = row("Had", "Akční", "Neuvedeno", "1");
        const QString rBez = row("Bez jazyka", "Komedie", "Neuvedeno", "3");
        QVERIFY(celisti < cesta && cesta < had && had < bez);

        click(dlg->Command1); // Czech order: B, C, Č, H
        comparePage(kSimpleHeader + rBez + rCesta + rCelisti + rHad + kFooter);
        // the written page is not kept in memory
        QCOMPARE(HTMBuf.capacity(), 0);
        QVERIFY(dlg->isVisible()); // stays for the next list
        click(dlg->Command2);      // newest first
        comparePage(kSimpleHeader + rBez + rHad + rCesta + rCelisti + kFooter);
        click(dlg->Command3); // numbers as texts: 1, 10, 2, 3
        comparePage(kSimpleHeader + rHad + rCesta + rCelisti + rBez + kFooter);
    }

    void detailedListWithoutPreviews() {
        dir->insertFilm("Čelisti", film("Horor", 0, "7"));
        V noNumber = film("Drama", 1);
        noNumber << qMakePair(QString("KatCisl"), ado::Variant(""));
        dir->insertFilm("Cesta", noNumber);
        V nullPic = film("Akční", 2, "8");
        nullPic[7].second = ado::Variant(); // Nahled_ID Null: no picture
        dir->insertFilm("Had", nullPic);
        const QString plot = "Žralok útočí.";

        click(dlg->Command4);
        const Block cesta{"Cesta", "",        "Drama", "120 min",      "USA",
                          "1975",  "Titulky", plot,    "Roy Scheider", ""};
        const Block celisti{"Čelisti",      "7",  "Horor",        "120 min", "USA", "1975",
                            "Český dabing", plot, "Roy Scheider", ""};
        const Block had{"Had", "8", "Akční", "120 min", "USA", "1975", "Neuvedeno", plot, "Roy Scheider", ""};
        const QString expected = kDetailedHeader + block(cesta) + block(celisti) + block(had) + kFooter;
        comparePage(expected);
        QVERIFY(expected.contains("Cesta  ()</td>"));
        QVERIFY(expected.contains("\">&nbsp;&nbsp; Žralok"));

        // again: the same bytes replace the last page
        QFile stale(pagePath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
        stale.close();
        click(dlg->Command4);
        comparePage(expected);
    }

    void detailedListExportsPreviews() {
        const QByteArray jpeg = QByteArray("\xFF\xD8\xFF\xE0JFIF") + QByteArray(3000, 'j');
        const QByteArray png = QByteArray("\x89PNG\r\n") + QByteArray(200001, 'p'); // over two pieces
        auto picture = [&](const QString& typ, const QByteArray& bytes) {
            return dir->insertRow("tPicture",
                                  {{"PicDVDID", 1},
                                   {"PicSkup", "N"},
                                   {"PicTyp", typ},
                                   {"PicSize", int(bytes.size())},
                                   {"PicDat", ado::Variant(bytes)}},
                                  dir->picturesPath());
        };
        const long jpgId = picture("JPG", jpeg);
        const long pngId = picture("png", png);
        const long emptyId = picture("gif", QByteArray());
        auto withPic = [](V v, long picId) {
            v[7].second = picId;
            return v;
        };
        dir->insertFilm("Amélie", withPic(film("Komedie", 1, "1"), jpgId));
        dir->insertFilm("Bobule", withPic(film("Komedie", 0, "2"), pngId));
        dir->insertFilm("Cesta", withPic(film("Drama", 0, "3"), 999));   // not in the store
        dir->insertFilm("Dým", withPic(film("Drama", 0, "4"), emptyId)); // stored without bytes
        QFile stale(dir->dataPath() + QString("n%1.jpg").arg(jpgId));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("an older export");
        stale.close();

        click(dlg->Command4);
        const QString plot = "Žralok útočí.";
        const QString jpgName = QString("n%1.jpg").arg(jpgId);
        const QString pngName = QString("n%1.png").arg(pngId);
        comparePage(
            kDetailedHeader +
            block({"Amélie", "1", "Komedie", "120 min", "USA", "1975", "Titulky", plot, "Roy Scheider",
                   jpgName}) +
            block({"Bobule", "2", "Komedie", "120 min", "USA", "1975", "Český dabing", plot, "Roy Scheider",
                   pngName}) +
            block(
                {"Cesta", "3", "Drama", "120 min", "USA", "1975", "Český dabing", plot, "Roy Scheider", ""}) +
            block({"Dým", "4", "Drama", "120 min", "USA", "1975", "Český dabing", plot, "Roy Scheider", ""}) +
            kFooter);
        auto fileBytes = [&](const QString& name) {
            QFile f(dir->dataPath() + name);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
        };
        QCOMPARE(fileBytes(jpgName), jpeg);
        QCOMPARE(fileBytes(pngName), png);
        QVERIFY(!QFile::exists(dir->dataPath() + QString("n%1.gif").arg(emptyId)));
        QVERIFY(!QFile::exists(dir->dataPath() + "n999."));
        QVERIFY(cp1250::toUnicode(pageBytes()).contains(" src=\"" + jpgName + "\"  width=\"60\""));

        // A type that is no file extension (another program wrote it) is an
        // unreadable picture: nothing exported from it, nothing of it on the page.
        const long evilId = picture("jpg\" onerror=\"alert(document.cookie)", jpeg);
        dir->execute("DELETE FROM tDVD");
        dir->insertFilm("Eso", withPic(film("Drama", 0, "5"), evilId));
        click(dlg->Command4);
        comparePage(kDetailedHeader +
                    block({"Eso", "5", "Drama", "120 min", "USA", "1975", "Český dabing", plot, "Roy Scheider", ""}) +
                    kFooter);
        for (const QString& name : QDir(dir->dataPath()).entryList(QDir::Files))
            QVERIFY2(!name.contains("onerror"), qPrintable(name));
        QCOMPARE(htm::PicTag("a\"b&c.jpg"), QString(R"(<img border="0" src="a&quot;b&amp;c.jpg"  width="60" height="93" style="float: left">)"));
    }

    // Each film with a preview shows the store's error once and is printed without it.
    void unreachableStoreShowsItsErrorPerFilm() {
        dir->insertFilm("Amélie", [] {
            V v = film("Komedie", 1, "1");
            v[7].second = 5;
            return v;
        }());
        dir->insertFilm("Bobule", film("Komedie", 0, "2"));
        dir->insertFilm("Cesta", [] {
            V v = film("Drama", 0, "3");
            v[7].second = 6;
            return v;
        }());
        QVERIFY(QFile::remove(dir->picturesPath()));

        click(dlg->Command4);
        QCOMPARE(boxes->count(), 2);
        for (const msgbox::Box& b : boxes->boxes()) {
            QVERIFY(!b.text.isEmpty());
            QCOMPARE(b.title, kAppTitle);
            QCOMPARE(b.buttons(), int(vb::vbOKOnly));
        }
        QCOMPARE(boxes->boxes()[0].text, boxes->boxes()[1].text);
        boxes->clear();
        const QString plot = "Žralok útočí.";
        comparePage(
            kDetailedHeader +
            block({"Amélie", "1", "Komedie", "120 min", "USA", "1975", "Titulky", plot, "Roy Scheider", ""}) +
            block({"Bobule", "2", "Komedie", "120 min", "USA", "1975", "Český dabing", plot, "Roy Scheider",
                   ""}) +
            block(
                {"Cesta", "3", "Drama", "120 min", "USA", "1975", "Český dabing", plot, "Roy Scheider", ""}) +
            kFooter);
        QVERIFY(!QFile::exists(dir->picturesPath())); // never created by the export
    }

    void emptyCatalogueGivesHeaderAndFooter() {
        click(dlg->Command2);
        comparePage(kSimpleHeader + kFooter);
        click(dlg->Command4);
        comparePage(kDetailedHeader + kFooter);
    }

    // Markup in a field is shown as text; entity text taken from web pages stays.
    void markupInFieldsIsShownNotRun() {
        V v = film("<b>Horor</b>", 0, "<1>");
        v[5].second = "Útok&nbsp;žraloka <script>alert('x')</script> a&b";
        dir->insertFilm("Tom & Jerry <i>", v);

        click(dlg->Command1);
        comparePage(kSimpleHeader +
                    row("Tom & Jerry &lt;i&gt;", "&lt;b&gt;Horor&lt;/b&gt;", "Český dabing", "&lt;1&gt;") +
                    kFooter);
        click(dlg->Command4);
        comparePage(
            kDetailedHeader +
            block({"Tom & Jerry &lt;i&gt;", "&lt;1&gt;", "&lt;b&gt;Horor&lt;/b&gt;", "120 min", "USA", "1975",
                   "Český dabing", "Útok&nbsp;žraloka &lt;script&gt;alert('x')&lt;/script&gt; a&b",
                   "Roy Scheider", ""}) +
            kFooter);
    }

    // Characters windows-1250 lacks become references of their code points.
    void foreignCharactersAsReferences() {
        const QString samurai = QString::fromUtf8("七人の侍");
        const QString smile = QString::fromUtf8("😀"); // beyond U+FFFF: one reference, not two halves
        V v = film(QString::fromUtf8("Drama, Søren"), 1, "5");
        v[6].second = QString("Toshirō Mifune ") + smile + "!";
        dir->insertFilm(samurai + " (Český název €)", v);
        const QString title = "&#19971;&#20154;&#12398;&#20365; (Český název €)"; // € is in the code page
        const QString cast = "Toshir&#333; Mifune &#128512;!";

        click(dlg->Command1);
        comparePage(kSimpleHeader + row(title, "Drama, S&#248;ren", "Titulky", "5") + kFooter);
        click(dlg->Command4);
        comparePage(kDetailedHeader +
                    block({title, "5", "Drama, S&#248;ren", "120 min", "USA", "1975", "Titulky",
                           "Žralok útočí.", cast, ""}) +
                    kFooter);

        // half a pair (the database never hands one out) is no character of its own
        HTMBuf.clear();
        PrintHTMSeznam(QString("a") + QChar(0xD800) + "b" + QChar(0xDC00), "", "", "");
        QCOMPARE(HTMBuf, row("a&#65533;b&#65533;", "", "", ""));
    }

    // A Null in a printed field prints as the empty text; the film is not dropped.
    void nullFieldsStillListed() {
        dir->insertFilm("Prázdný", {{"KatCisl", ado::Variant()}}); // every other field Null too
        dir->insertFilm("Úplný", film("Drama", 0, "4"));
        dir->execute("UPDATE tDVD SET CZJm = NULL WHERE CZJm = 'Prázdný'");

        click(dlg->Command1); // Null sorts first
        comparePage(kSimpleHeader + row("", "", "Neuvedeno", "") +
                    row("Úplný", "Drama", "Český dabing", "4") + kFooter);
        click(dlg->Command4);
        comparePage(kDetailedHeader + block({"", "", "", "", "", "", "Neuvedeno", "", "", ""}) +
                    block({"Úplný", "4", "Drama", "120 min", "USA", "1975", "Český dabing", "Žralok útočí.",
                           "Roy Scheider", ""}) +
                    kFooter);
    }

    // Placeholders are filled in ascending order, each on the text the last one left.
    void laterPlaceholdersInValuesAreFilled() {
        dir->insertFilm("A %%2%% B %%1%%", film("Drama %%4%%", 1, "9"));
        click(dlg->Command1);
        comparePage(kSimpleHeader + row("A Drama 9 B %%1%%", "Drama 9", "Titulky", "9") + kFooter);
    }

    void secondBuildCannotStartWhileOneRuns() {
        for (int i = 0; i < 3; ++i)
            dir->insertFilm(QString("Film %1").arg(i), film("Drama", 0));
        QList<bool> enabledDuringBuild;
        bool building = false;
        QTimer::singleShot(0, this, [&] { // runs at the build's first yield
            building = dlg->Building();
            for (auto* b : {dlg->Command1, dlg->Command2, dlg->Command3, dlg->Command4})
                enabledDuringBuild << b->isEnabled();
            dlg->Command1->click();
            QTest::keyClick(dlg.get(), Qt::Key_Escape);
            dlg->close(); // refused until the build ends
        });
        click(dlg->Command4);
        QVERIFY(building);
        QCOMPARE(enabledDuringBuild, QList<bool>({false, false, false, false}));
        QVERIFY(dlg->isVisible());
        QCOMPARE(shellRec->count(), 1);
        QVERIFY(cp1250::toUnicode(pageBytes()).startsWith(kDetailedHeader));
        QVERIFY(!dlg->Building());
        for (auto* b : {dlg->Command1, dlg->Command2, dlg->Command3, dlg->Command4})
            QVERIFY(b->isEnabled());
    }

    // A page that cannot be saved leaves the last one whole and is not opened.
    void unwritablePageKeepsTheLastOne() {
        dir->insertFilm("Čelisti", film("Horor", 0, "1"));
        QFile old(pagePath());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("last page");
        old.close();
        WriteProtectedFile guard(pagePath());
        if (!guard.isProtected()) QSKIP(qPrintable(guard.why()));

        click(dlg->Command1);
        QCOMPARE(shellRec->count(), 0);
        QCOMPARE(boxes->count(), 1);
        QVERIFY(boxes->last().text.startsWith("Seznam nelze uložit do souboru " + pagePath()));
        QCOMPARE(HTMBuf.capacity(), 0); // nor a page that could not be
        QCOMPARE(pageBytes(), QByteArray("last page"));
        QVERIFY(dlg->Command1->isEnabled());
        boxes->clear();
    }

    // A full disk is said in Czech with its reason.
    void pageOnAFullDiskIsSaid() {
        for (int i = 0; i < 50; ++i)
            dir->insertFilm(QString("Film %1").arg(i), film("Horor", 0, QString::number(i)));
        {
            FileSizeLimit full(1000);
            QVERIFY(full.ok);
            click(dlg->Command1);
        }
        QCOMPARE(shellRec->count(), 0);
        QCOMPARE(boxes->count(), 1);
        const QString said = boxes->last().text;
        QVERIFY2(said.startsWith("Seznam nelze uložit do souboru " + pagePath()) && said.contains("místa") &&
                     !said.contains("Unknown"),
                 qPrintable(said));
        boxes->clear();
    }

    void missingCatalogueEndsTheBuild() {
        QVERIFY(QFile::remove(dir->cataloguePath()));
        click(dlg->Command1);
        QCOMPARE(boxes->count(), 1); // the open's own message
        QCOMPARE(shellRec->count(), 0);
        QVERIFY(!QFile::exists(pagePath()));
        QVERIFY(dlg->Command1->isEnabled() && dlg->isVisible());
        boxes->clear();
    }
};

DVD_TEST_MAIN(TestPrinting)
#include "tst_printing.moc"
