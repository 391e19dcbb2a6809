#pragma once
// The embedded web browser of the look-ups, on Qt WebEngine, with the events
// and the body HTML of the old browser control the look-ups were written for.
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>

class QWebEngineView;
class QWebEnginePage;

class WebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    // An absolute local path or a web address ("about:blank" too).
    void Navigate(const QString& target);
    void Stop();
    // Drops the page and whatever still runs in it, for a blank new one: a
    // script that spins holds its renderer, and the site's next page would
    // wait for it there. The old page's events that are still on their way
    // are not reported.
    void Reset();
    // Address of the document shown or being loaded; "" before the first.
    QString LocationURL() const;
    bool Busy() const { return busy_; }

    // Asks for the HTML of the body as the old browser serialised it: tag
    // names in capitals, attribute values bare when they hold only letters,
    // digits and "_.:/-", in double quotes otherwise and in single quotes when
    // they hold a double quote, style properties in capitals ("COLOR: green").
    // `done` gets it later from Qt's loop, once; "" when the page has no body,
    // its renderer died or it did not answer within ScriptTimeout() (a page
    // script that spins). Nothing waits meanwhile, so the engine goes on
    // loading whatever has the focus. Never called after the browser is gone.
    void RequestBodyHTML(std::function<void(const QString& body)> done);
    // Runs a script in the page and waits for its value in a local event loop
    // that takes no user input (Invalid when the page does not answer).
    QVariant RunScript(const QString& script);

    // Milliseconds a page has to answer a script (10 000).
    static int ScriptTimeout();
    // Test seam: a shorter limit; 0 or less restores 10 000.
    static void SetScriptTimeout(int ms);

    // The address the events report for a Navigate target.
    static QString AddressOf(const QString& target);

    QWebEngineView* view() const { return view_; }

signals:
    // A top-level navigation is about to start (links, forms, Navigate).
    void BeforeNavigate2(const QString& address);
    // The top-level document has loaded.
    void DocumentComplete(const QString& address);
    // The document could not be loaded (no connection, refused, missing file).
    void NavigateError(const QString& address);
    void ProgressChange(int progress, int progressMax);

private:
    class Page;
    void attachPage();
    void showEditMenu(const QPoint& pos);
    // Reports an event of the page from Qt's loop, unless the page has been dropped meanwhile.
    void post(std::function<void()> event);
    QWebEngineView* view_;
    Page* page_ = nullptr;
    int pageNumber_ = 0; // counts the pages, so an old one's events are known
    bool busy_ = false;
};
