#include "browser.h"
#include "httpserver.h"
#include "qtczech.h"
#include "testmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <QWebEngineView>

using testsupport::HttpServer;

namespace {
constexpr int kWait = 20000;

// One recorded event of a browser, in order.
struct Log : QObject {
    QStringList events;
    explicit Log(WebBrowser* b) {
        connect(b, &WebBrowser::BeforeNavigate2, this, [this](const QString& a) { events << "before " + a; });
        connect(b, &WebBrowser::DocumentComplete, this,
                [this](const QString& a) { events << "complete " + a; });
        connect(b, &WebBrowser::NavigateError, this, [this](const QString& a) { events << "error " + a; });
        connect(b, &WebBrowser::ProgressChange, this,
                [this](int p, int m) { events << QString("progress %1/%2").arg(p).arg(m); });
    }
    QStringList without(const QString& prefix) const {
        QStringList out;
        for (const QString& e : events)
            if (!e.startsWith(prefix)) out << e;
        return out;
    }
};

// The body as the browser hands it over; "<no answer>" when it never does.
QString bodyHTML(WebBrowser& b) {
    QString body = "<no answer>";
    bool answered = false;
    b.RequestBodyHTML([&](const QString& html) {
        body = html;
        answered = true;
    });
    return QTest::qWaitFor([&] { return answered; }, kWait) ? body : QString("<no answer>");
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}
} // namespace

class TestBrowser : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString bodyOf(const QByteArray& html) {
        HttpServer server;
        server.route("/p.htm", "<html><head><title>t</title></head><body>" + html + "</body></html>",
                     "text/html; charset=utf-8");
        WebBrowser b;
        QSignalSpy done(&b, &WebBrowser::DocumentComplete);
        b.Navigate(server.url("/p.htm"));
        if (!done.wait(kWait)) return "<no page>";
        return bodyHTML(b);
    }

private slots:
    // The engine's own pop-up (back, forward, reload, page source, in English)
    // gives way to the edit entries of a text box, in Czech, and to nothing elsewhere.
    void popUpIsTheEditMenuOfATextBox() {
        UseQtCzech();
        const QString page = writeFile(
            dir_, "form.htm",
            "<html><body><input value=Kolja style='position:absolute;left:10px;top:10px;width:200px'>"
            "<p style='margin-top:80px'>Text</p></body></html>");
        WebBrowser b;
        b.resize(400, 300);
        b.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b));
        QSignalSpy done(&b, &WebBrowser::DocumentComplete);
        b.Navigate(page);
        QVERIFY(done.wait(kWait));
        QStringList seen;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (const QAction* a : menu->actions())
                    seen << (a->isSeparator() ? QString("-") : a->text());
                menu->close();
            }
        });
        poll.start();
        QWidget* area = b.view()->focusProxy();
        QVERIFY(area);
        const auto rightClick = [&](const QPoint& at) {
            QTest::mousePress(area, Qt::RightButton, {}, at);
            QTest::mouseRelease(area, Qt::RightButton, {}, at);
        };
        QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(50, 20));
        rightClick(QPoint(50, 20));
        QTRY_VERIFY_WITH_TIMEOUT(!seen.isEmpty(), kWait);
        QCOMPARE(seen, QStringList(
                           {"&Zpět", "&Znovu", "-", "&Vyjmout", "&Kopírovat", "&Vložit", "-", "Vybrat vše"}));
        seen.clear();
        rightClick(QPoint(50, 150));
        QTest::qWait(500);
        QCOMPARE(seen, QStringList());
    }

    void tagsAndAttributesAreSerialisedTheOldWay() {
        QCOMPARE(bodyOf("<h2 class=\"title1\">Kolja <a href=\"x.php\">x</a></h2>"),
                 QString("<H2 class=title1>Kolja <A href=x.php>x</A></H2>"));
        // Bare only for letters, digits and _.:/- ; double quotes otherwise;
        // single quotes around a value holding a double quote.
        QCOMPARE(
            bodyOf("<a class='zbozi' title='Kolja (1996)' href='zbozi_video.php?id_zbozi=12&amp;k=3'>K</a>"),
            QString(
                "<A class=zbozi title=\"Kolja (1996)\" href=\"zbozi_video.php?id_zbozi=12&amp;k=3\">K</A>"));
        QCOMPARE(bodyOf("<a href='javascript:open_wnd_photo(\"images/big/k.jpg\")'><img border=\"0\" "
                        "src=\"images/k_1.jpg\"></a>"),
                 QString("<A href='javascript:open_wnd_photo(\"images/big/k.jpg\")'><IMG border=0 "
                         "src=images/k_1.jpg></A>"));
        QCOMPARE(bodyOf("<img alt=\"\" src=\"http://h.example:80/a-b/c_d.gif\">"),
                 QString("<IMG alt=\"\" src=http://h.example:80/a-b/c_d.gif>"));
        // Style properties in capitals, values as written.
        QCOMPARE(
            bodyOf("<font style=\"color:green\">Kolja</font><span style=\"font-weight: bold;color:#FF0000;\">"
                   "x</span>"),
            QString("<FONT style=\"COLOR: green\">Kolja</FONT><SPAN style=\"FONT-WEIGHT: bold; COLOR: "
                    "#FF0000\">x</SPAN>"));
        QCOMPARE(bodyOf("<input type=\"checkbox\" name=\"a\" checked><input name=\"q\" value=\"\">"),
                 QString("<INPUT type=checkbox name=a checked><INPUT name=q value=\"\">"));
    }

    void textAndStructureAreKept() {
        // Tables get their implied TBODY from the parser, every cell its end tag.
        QCOMPARE(bodyOf("<table><tr><td>Žánr:</td><td>Drama&nbsp;</td></tr></table>"),
                 QString("<TABLE><TBODY><TR><TD>Žánr:</TD><TD>Drama&nbsp;</TD></TR></TBODY></TABLE>"));
        QCOMPARE(bodyOf("a &lt;b&gt; &amp; c<br>d\ne<!-- pozn --><script>if (1 < 2) x = '&';</script>"),
                 QString("a &lt;b&gt; &amp; c<BR>d\ne<!-- pozn --><SCRIPT>if (1 < 2) x = '&';</SCRIPT>"));
        QCOMPARE(bodyOf(""), QString());
    }

    void localPageLoadReportsItsEvents() {
        const QString file = writeFile(dir_, "null.htm", "<html><body>nic</body></html>");
        WebBrowser b;
        Log log(&b);
        QSignalSpy done(&b, &WebBrowser::DocumentComplete);
        b.Navigate(file);
        QVERIFY(done.wait(kWait));
        const QString address = "file://" + file;
        QCOMPARE(WebBrowser::AddressOf(file), address);
        QCOMPARE(b.LocationURL(), address);
        QCOMPARE(log.without("progress"), (QStringList{"before " + address, "complete " + address}));
        QVERIFY(log.events.contains("progress 100/100"));
        QVERIFY(!b.Busy());
        QCOMPARE(bodyHTML(b), QString("nic"));
    }

    void spinningPageGivesNoBodyInTime() {
        // The page's script never ends, so the serialiser never runs: the
        // read fails once the time is up, and nothing waits for it meanwhile.
        const QString file =
            writeFile(dir_, "spin.htm",
                      "<html><body>x<script>var c = new MessageChannel(); c.port1.onmessage = function () { "
                      "for (;;) {} };"
                      "window.onload = function () { c.port2.postMessage(0); };</script></body></html>");
        WebBrowser::SetScriptTimeout(800);
        WebBrowser b;
        QSignalSpy done(&b, &WebBrowser::DocumentComplete);
        b.Navigate(file);
        QVERIFY(done.wait(kWait));
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        bool answered = false;
        QString body = "<no answer>";
        b.RequestBodyHTML([&](const QString& html) {
            answered = true;
            body = html;
        });
        QVERIFY(!answered); // never from inside the request
        QTRY_VERIFY_WITH_TIMEOUT(answered, kWait);
        WebBrowser::SetScriptTimeout(0);
        QCOMPARE(body, QString());
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

    void failuresAreReportedAsErrors() {
        WebBrowser b;
        Log log(&b);
        QSignalSpy failed(&b, &WebBrowser::NavigateError);
        // Nobody listens on a port just closed.
        quint16 port;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        const QString address = QString("http://127.0.0.1:%1/seznam_video.php").arg(port);
        b.Navigate(address);
        QVERIFY(failed.wait(kWait));
        QCOMPARE(log.without("progress"), (QStringList{"before " + address, "error " + address}));

        log.events.clear();
        b.Navigate(dir_.filePath("chybi.htm"));
        QVERIFY(failed.wait(kWait));
        QCOMPARE(log.without("progress").last(), "error file://" + dir_.filePath("chybi.htm"));
    }

    void errorStatusIsAFailureAndStopEndsALoadQuietly() {
        HttpServer server;
        server.route("/nic.php", "<html><body>Stránka nenalezena</body></html>", "text/html; charset=utf-8",
                     404);
        server.stall("/zbozi_video.php", HttpServer::Stall::HalfBody, "<html><body>" + QByteArray(4000, 'x'));
        WebBrowser b;
        Log log(&b);
        QSignalSpy failed(&b, &WebBrowser::NavigateError);
        b.Navigate(server.url("/nic.php"));
        QVERIFY(failed.wait(kWait));
        QCOMPARE(log.without("progress"),
                 (QStringList{"before " + server.url("/nic.php"), "error " + server.url("/nic.php")}));

        log.events.clear();
        b.Navigate(server.url("/zbozi_video.php?id_zbozi=5"));
        QTRY_VERIFY_WITH_TIMEOUT(server.requests("/zbozi_video.php").size() == 1, kWait);
        QVERIFY(b.Busy());
        b.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!b.Busy(), kWait);
        // A stopped load neither completes nor fails; the next one works.
        b.Navigate(server.url("/nic.php"));
        QVERIFY(failed.wait(kWait));
        QCOMPARE(log.without("progress"),
                 (QStringList{"before " + server.url("/zbozi_video.php?id_zbozi=5"),
                              "before " + server.url("/nic.php"), "error " + server.url("/nic.php")}));
    }

    void pageDialogsNeverStopTheProgram() {
        // A page's alert, confirm or prompt must not open a window that waits
        // for the user inside the engine's work; any that shows up is closed
        // here and counted.
        int shown = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&shown] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    ++shown;
                    box->done(0);
                }
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w);
                    d && d->isVisible() && !qobject_cast<QMessageBox*>(w)) {
                    ++shown;
                    d->done(0);
                }
        });
        closer.start(20);
        const QString file = writeFile(
            dir_, "dialogs.htm",
            "<html><body onload=\"alert('a'); document.body.title = confirm('b') + '/' + prompt('c', 'd');\">"
            "x</body></html>");
        WebBrowser b;
        QSignalSpy done(&b, &WebBrowser::DocumentComplete);
        b.Navigate(file);
        QVERIFY(done.wait(kWait));
        QCOMPARE(b.RunScript("alert('e'); 7").toInt(), 7);
        QCOMPARE(b.RunScript("document.body.title").toString(), QString("false/null"));
        QCOMPARE(shown, 0);
    }
};

DVD_TEST_MAIN(TestBrowser)
#include "tst_browser.moc"
