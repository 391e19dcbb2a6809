#include "browser.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <memory>

namespace {

// A renderer that has not answered by then is stuck in a page script.
constexpr int kScriptTimeoutMs = 10000;
int g_scriptTimeout = kScriptTimeoutMs;

// The old control's innerHTML: upper-case tags, its own attribute quoting,
// upper-case style properties. Closing tags are written for every element
// that may have content, so the markers "</TD>", "</A" are always there.
const char kSerialiser[] = R"JS(
(function () {
  var VOID = {AREA:1, BASE:1, BASEFONT:1, BGSOUND:1, BR:1, COL:1, EMBED:1, FRAME:1, HR:1, IMG:1,
              INPUT:1, ISINDEX:1, KEYGEN:1, LINK:1, META:1, PARAM:1, SOURCE:1, TRACK:1, WBR:1};
  var RAW = {SCRIPT:1, STYLE:1, XMP:1, PLAINTEXT:1, NOEMBED:1, NOFRAMES:1};
  var BOOL = {checked:1, selected:1, disabled:1, readonly:1, multiple:1, nowrap:1, noshade:1,
              compact:1, ismap:1, declare:1, defer:1, noresize:1};
  function text(t) {
    return t.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/\u00a0/g, '&nbsp;');
  }
  function css(v) {
    var out = [];
    v.split(';').forEach(function (d) {
      var i = d.indexOf(':');
      if (i < 0) { if (d.trim()) out.push(d.trim()); return; }
      out.push(d.slice(0, i).trim().toUpperCase() + ': ' + d.slice(i + 1).trim());
    });
    return out.join('; ');
  }
  function quoted(v) {
    if (/^[A-Za-z0-9_.:\/-]+$/.test(v)) return v;
    if (v.indexOf('"') >= 0) return "'" + v + "'";
    return '"' + v + '"';
  }
  function attributes(e) {
    var s = '';
    for (var i = 0; i < e.attributes.length; i++) {
      var a = e.attributes[i], v = a.value;
      if (a.name === 'style') v = css(v);
      if (v === '' && BOOL[a.name]) { s += ' ' + a.name; continue; }
      s += ' ' + a.name + '=' + quoted(v.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;'));
    }
    return s;
  }
  function children(n) {
    var s = '';
    for (var c = n.firstChild; c; c = c.nextSibling) s += node(c);
    return s;
  }
  function node(n) {
    if (n.nodeType === 1) {
      var tag = n.nodeName.toUpperCase();
      var s = '<' + tag + attributes(n) + '>';
      if (VOID[tag]) return s;
      var inner = tag === 'TEMPLATE' ? children(n.content) : children(n);
      return s + inner + '</' + tag + '>';
    }
    if (n.nodeType === 3)
      return n.parentNode && RAW[n.parentNode.nodeName.toUpperCase()] ? n.data : text(n.data);
    if (n.nodeType === 8) return '<!--' + n.data + '-->';
    return '';
  }
  return document.body ? children(document.body) : '';
})()
)JS";

QUrl toUrl(const QString& target) {
    if (QFileInfo(target).isAbsolute() && !target.contains(QLatin1String("://")))
        return QUrl::fromLocalFile(target);
    return QUrl::fromUserInput(target);
}

} // namespace

class WebBrowser::Page : public QWebEnginePage {
public:
    Page(WebBrowser* owner) : QWebEnginePage(owner), owner_(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        // Only the top document counts: a frame of a page is no navigation of the browser.
        if (isMainFrame)
            owner_->post(
                [owner = owner_, address = url.toString()] { emit owner->BeforeNavigate2(address); });
        return true;
    }
    // Pop-ups of the shop's pages are not followed.
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
    // A page's own message boxes are not shown: each would wait for the user
    // inside the engine's work, and a page could raise them without end.
    // A question is answered "Cancel".
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }

private:
    WebBrowser* owner_;
};

WebBrowser::WebBrowser(QWidget* parent) : QWidget(parent) {
    view_ = new QWebEngineView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    // The engine's own pop-up (back, forward, reload, page source, in
    // English) would lead the look-up's page astray: a text box gets the
    // edit entries of the program's other boxes, a selection its copy.
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, &WebBrowser::showEditMenu);
    attachPage();
}

void WebBrowser::attachPage() {
    page_ = new Page(this);
    ++pageNumber_;
    view_->setPage(page_);
    // The local search page posts to the shop's address.
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);

    // The events reach their handlers from Qt's own loop, never from inside
    // the engine's work: a handler may wait (a download, a script, DoEvents),
    // which would stall the engine if it ran there.
    connect(page_, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            busy_ = true;
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            busy_ = false;
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            busy_ = false;
            post([this, address = info.url().toString()] { emit DocumentComplete(address); });
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            busy_ = false;
            // A load replaced by the next one is no failure.
            if (info.errorCode() == -3) break;
            post([this, address = info.url().toString()] { emit NavigateError(address); });
            break;
        }
    });
    connect(page_, &QWebEnginePage::loadProgress, this,
            [this](int progress) { post([this, progress] { emit ProgressChange(progress, 100); }); });
}

void WebBrowser::showEditMenu(const QPoint& pos) {
    const QWebEngineContextMenuRequest* request = view_->lastContextMenuRequest();
    if (!request || (!request->isContentEditable() && request->selectedText().isEmpty())) return;
    using Flag = QWebEngineContextMenuRequest::EditFlag;
    const auto flags = request->editFlags();
    // Shown without waiting: the request comes from inside the engine's work.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The texts of Qt's own edit pop-up, in the program's language.
    const auto add = [&](const char* text, QWebEnginePage::WebAction action, bool enabled) {
        QAction* a = menu->addAction(QCoreApplication::translate("QLineEdit", text));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, page_, [this, action] { page_->triggerAction(action); });
    };
    if (request->isContentEditable()) {
        add("&Undo", QWebEnginePage::Undo, flags.testFlag(Flag::CanUndo));
        add("&Redo", QWebEnginePage::Redo, flags.testFlag(Flag::CanRedo));
        menu->addSeparator();
        add("Cu&t", QWebEnginePage::Cut, flags.testFlag(Flag::CanCut));
        add("&Copy", QWebEnginePage::Copy, flags.testFlag(Flag::CanCopy));
        add("&Paste", QWebEnginePage::Paste, flags.testFlag(Flag::CanPaste));
        menu->addSeparator();
        add("Select All", QWebEnginePage::SelectAll, flags.testFlag(Flag::CanSelectAll));
    } else {
        add("&Copy", QWebEnginePage::Copy, true);
    }
    menu->popup(view_->mapToGlobal(pos));
}

WebBrowser::~WebBrowser() {
    // The page goes before the view that shows it.
    view_->setPage(nullptr);
    delete page_;
}

QString WebBrowser::AddressOf(const QString& target) {
    return toUrl(target).toString();
}

void WebBrowser::Navigate(const QString& target) {
    page_->load(toUrl(target));
}

void WebBrowser::Stop() {
    page_->triggerAction(QWebEnginePage::Stop);
}

void WebBrowser::Reset() {
    Page* old = page_;
    busy_ = false;
    attachPage();
    // Its renderer goes with it, spinning or not.
    delete old;
}

QString WebBrowser::LocationURL() const {
    return page_->url().toString();
}

void WebBrowser::post(std::function<void()> event) {
    QMetaObject::invokeMethod(
        this,
        [this, page = pageNumber_, event = std::move(event)] {
            if (page == pageNumber_) event();
        },
        Qt::QueuedConnection);
}

QVariant WebBrowser::RunScript(const QString& script) {
    struct Wait {
        QEventLoop loop;
        QVariant result;
        bool done = false;
    };
    auto wait = std::make_shared<Wait>();
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, [wait](const QVariant& value) {
        wait->result = value;
        wait->done = true;
        wait->loop.quit();
    });
    if (!wait->done) {
        QTimer::singleShot(g_scriptTimeout, &wait->loop, &QEventLoop::quit);
        const auto dead =
            connect(page_, &QWebEnginePage::renderProcessTerminated, &wait->loop, &QEventLoop::quit);
        QPointer<WebBrowser> self(this);
        wait->loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (self) disconnect(dead);
    }
    return wait->result;
}

int WebBrowser::ScriptTimeout() {
    return g_scriptTimeout;
}

void WebBrowser::SetScriptTimeout(int ms) {
    g_scriptTimeout = ms > 0 ? ms : kScriptTimeoutMs;
}

void WebBrowser::RequestBodyHTML(std::function<void(const QString&)> done) {
    // The answer, the time limit or the renderer's death ends the request,
    // whichever comes first, and only once; the request object carries the
    // limit and goes with the browser.
    QPointer<QObject> request = new QObject(this);
    auto answered = std::make_shared<bool>(false);
    const auto finish = [this, request, answered, done = std::move(done)](const QString& body) {
        if (!request || *answered) return;
        *answered = true;
        request->deleteLater();
        QMetaObject::invokeMethod(
            this, [done, body] { done(body); }, Qt::QueuedConnection);
    };
    QTimer::singleShot(g_scriptTimeout, request, [finish] { finish(QString()); });
    connect(page_, &QWebEnginePage::renderProcessTerminated, request, [finish] { finish(QString()); });
    page_->runJavaScript(
        QString::fromUtf8(kSerialiser), QWebEngineScript::ApplicationWorld,
        [finish](const QVariant& v) { finish(v.typeId() == QMetaType::QString ? v.toString() : QString()); });
}
