// The windows' boxes and lists that show catalogue or page text, given one
// long word and the same length of ordinary words: the time to set the text,
// lay it out and paint the control once. A box that wraps one long word at
// word boundaries takes time that grows with the square of its length.
//   bench_layout [KB ...]   text lengths in units of 1024 characters (default 256 1024)
#include "bench/catalogue.h"
#include "core/mDatabase.h"
#include "lending/frmKlienti.h"
#include "lookup/frmCSFDFind.h"
#include "lookup/frmNetFind.h"
#include "records/frmDVD.h"

#include "apppath.h"
#include "controls.h"
#include "listview.h"
#include "msgbox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Control {
    const char* name;
    QWidget* widget;
    std::function<void(const QString& text)> set;
};

// The control and its panels shown, its window too.
void reveal(QWidget* w) {
    for (QWidget* p = w; p; p = p->parentWidget())
        p->show();
}

double timeOf(const Control& c, const QString& text) {
    reveal(c.widget);
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    c.set(text);
    QApplication::processEvents();
    c.widget->grab();
    const double secs = t.nsecsElapsed() / 1e9;
    c.set(QString()); // the next control starts from an empty one
    QApplication::processEvents();
    return secs;
}

QString oneWord(qint64 chars) {
    return QString(chars, QLatin1Char('x'));
}

QString words(qint64 chars) {
    QString out;
    out.reserve(chars + 8);
    while (out.size() < chars)
        out += QStringLiteral("slovo ");
    out.truncate(chars);
    return out;
}

QListWidget* listWith(QListWidget* list, const QString& text) {
    list->clear();
    if (!text.isEmpty()) list->addItems({text, QStringLiteral("Kolja")});
    return list;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    std::vector<qint64> sizesKb;
    for (int i = 1; i < argc; ++i)
        sizesKb.push_back(QByteArray(argv[i]).toLongLong());
    if (sizesKb.empty()) sizesKb = {256, 1024};

    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("data"));
    SetAppPath(dir.path());
    DBPath = dir.filePath("data/data.ddb");
    bench::FillCatalogue(DBPath, 20);
    msgbox::Recorder boxes;

    frmNetFind shop;
    frmCSFDFind films;
    frmDVD editor;
    frmKlienti* lending = frmKlienti::Open(nullptr);
    for (QWidget* w : std::initializer_list<QWidget*>{&shop, &films, &editor, lending})
        w->move(0, 0);

    const std::vector<Control> controls = {
        {"film editor: description", editor.txtPopis,
         [&](const QString& t) { SetBoxText(editor.txtPopis, t); }},
        {"film editor: actors", editor.txtHerci, [&](const QString& t) { SetBoxText(editor.txtHerci, t); }},
        {"film editor: genre list", editor.lstZanr, [&](const QString& t) { listWith(editor.lstZanr, t); }},
        {"lending: history", lending->txtHistorie,
         [&](const QString& t) { SetBoxText(lending->txtHistorie, t); }},
        {"lending: free films", lending->lstPujcit,
         [&](const QString& t) { listWith(lending->lstPujcit, t); }},
        {"e-shop look-up: description", shop.findPopis,
         [&](const QString& t) { SetBoxText(shop.findPopis, t); }},
        {"e-shop look-up: page buffer", shop.RichTextBox1,
         [&](const QString& t) { shop.RichTextBox1->setPlainText(t); }},
        {"e-shop look-up: result list", shop.List1, [&](const QString& t) { listWith(shop.List1, t); }},
        {"film database: description", films.findPopis,
         [&](const QString& t) { SetBoxText(films.findPopis, t); }},
        {"film database: hit list", films.lvwSeznam,
         [&](const QString& t) {
             films.lvwSeznam->Clear();
             if (!t.isEmpty()) films.lvwSeznam->Add(QString(), t);
         }},
        {"film database: other titles", films.findPuvName,
         [&](const QString& t) {
             films.findPuvName->clear();
             if (!t.isEmpty()) films.findPuvName->addItems({t, QStringLiteral("Kolja")});
             films.findPuvName->setEditText(t);
         }},
        {"film editor: department", editor.cboOddel,
         [&](const QString& t) {
             editor.cboOddel->clear();
             if (!t.isEmpty()) editor.cboOddel->addItem(t);
         }},
    };

    std::printf("%-32s", "control");
    for (qint64 kb : sizesKb)
        std::printf(" %9lld KB word %9lld KB words", kb, kb);
    std::printf("\n");
    for (const Control& c : controls) {
        std::printf("%-32s", c.name);
        std::fflush(stdout);
        for (qint64 kb : sizesKb) {
            std::printf(" %15.3f s", timeOf(c, oneWord(kb * 1024)));
            std::fflush(stdout);
            std::printf(" %16.3f s", timeOf(c, words(kb * 1024)));
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    lending->close();
    return 0;
}
