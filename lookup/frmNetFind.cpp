#include "lookup/frmNetFind.h"

#include "lookup/mModInetPic.h"
#include "lookup/webroots.h"

#include "apppath.h"
#include "browser.h"
#include "codepage.h"
#include "controls.h"
#include "doevents.h"
#include "download.h"
#include "err.h"
#include "msgbox.h"
#include "savefile.h"
#include "twips.h"
#include "vb.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <cmath>

namespace {

const QString kLinkMarker = QStringLiteral("<A class=zbozi title=");
const QString kIdMarker = QStringLiteral("id_zbozi=");
const QString kGreenFont = QStringLiteral("<FONT style=\"COLOR: green\">");
const QString kPlaceholder = QStringLiteral("%%N%%");

// Borders and caption of a fixed dialog: the sizes below are the outer ones.
constexpr int kFrameWidthPx = 8;
constexpr int kFrameHeightPx = 34;

template <class Box> Box* makeBox(QWidget* parent, const char* name, const QRect& at) {
    return Place(new Box(parent), name, at);
}

// --- cutting the product page ------------------------------------------------
// The working text of the parse. "caps": the marker is searched in an
// upper-cased copy, the cut is made in the text itself.
enum Compare { Exact, Caps, NoCase };

qsizetype find(const QString& text, const QString& marker, Compare how) {
    switch (how) {
    case Exact:
        return text.indexOf(marker);
    case Caps:
        return vb::UCase(text).indexOf(marker);
    case NoCase:
        return text.indexOf(marker, 0, Qt::CaseInsensitive);
    }
    return -1;
}

// The text from the marker on; unchanged when the marker is absent.
void cutFrom(QString& w, const QString& marker, Compare how = Exact) {
    const qsizetype at = find(w, marker, how);
    if (at >= 0) w = w.mid(at);
}

// The text up to and with the marker's first character; empty when absent.
void cutUpTo(QString& w, const QString& marker, Compare how = Exact) {
    const qsizetype at = find(w, marker, how);
    w = at >= 0 ? w.left(at + 1) : QString();
}

// The text before the marker; unchanged when absent.
void cutBefore(QString& w, const QString& marker, Compare how = Exact) {
    const qsizetype at = find(w, marker, how);
    if (at >= 0) w = w.left(at);
}

void remove(QString& w, const QString& marker, Compare how = Exact) {
    w.remove(marker, how == NoCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

QString titleRule(QString w) {
    w.remove(QStringLiteral("<H2 class=title1>"));
    cutBefore(w, QStringLiteral("<A"), Caps);
    return vb::Trim(w);
}

QString cellRule(QString w, bool dropNbsp) {
    cutFrom(w, QStringLiteral("<TD"), Caps);
    cutFrom(w, QStringLiteral(">"));
    cutUpTo(w, QStringLiteral("<"));
    remove(w, QStringLiteral("<"));
    remove(w, QStringLiteral(">"));
    if (dropNbsp) remove(w, QStringLiteral("&nbsp;"));
    return vb::Trim(w);
}

QString descriptionRule(QString w) {
    cutFrom(w, QStringLiteral("<TD"), Caps);
    cutFrom(w, QStringLiteral("</TABLE>"), Caps);
    remove(w, QStringLiteral("</TABLE>"), NoCase);
    cutUpTo(w, QStringLiteral("</TD>"), Caps);
    for (const char* m : {"<BR>", "<", ">", "&nbsp;"})
        remove(w, QLatin1String(m), NoCase);
    return vb::Trim(w);
}

// Start of the photo link, whichever quotes the browser put round the
// address; -1 when the page has none.
qsizetype photoLink(const QString& page) {
    static const QString open = QStringLiteral("<a href=");
    static const QString call = QStringLiteral("javascript:open_wnd_photo");
    for (qsizetype at = page.indexOf(open, 0, Qt::CaseInsensitive); at >= 0;
         at = page.indexOf(open, at + 1, Qt::CaseInsensitive)) {
        qsizetype value = at + open.size();
        if (value < page.size() && (page[value] == u'\'' || page[value] == u'"')) ++value;
        if (QStringView(page).mid(value).startsWith(call, Qt::CaseInsensitive)) return at;
    }
    return -1;
}

// The picture's path under the shop's root, "" when the page has no photo link.
QString picturePath(const QString& page) {
    const qsizetype at = photoLink(page);
    if (at < 0) return QString();
    QString w = page.mid(at);
    cutFrom(w, QStringLiteral("SRC="), Caps);
    cutFrom(w, QStringLiteral("IMAGES"), Caps);
    remove(w, QStringLiteral("</TABLE>"), NoCase);
    cutUpTo(w, QStringLiteral(">"), Caps);
    for (const char* m : {"<BR>", "<", ">", "&nbsp;", "\""})
        remove(w, QLatin1String(m), NoCase);
    return vb::Trim(w);
}

// The labels that lead to the product page's values, in the order of the boxes.
const char16_t* const kFieldMarkers[] = {
    u"<H2 class=title1>", u"Žánr:",        u"Originální název:", u"Režie:", u"Herci:",
    u"Délka (min.):",     u"Země původu:", u"Rok výroby:",       u"Popis:"};

// A page without any of them is no product page (an error or a blank page).
bool isProductPage(const QString& page) {
    for (const char16_t* m : kFieldMarkers)
        if (page.contains(QString::fromUtf16(m))) return true;
    return false;
}

// --- the search page ---------------------------------------------------------
// The title goes into the value of the search field. The page is read as
// ISO-8859-2 from a windows-1250 file: what would not survive that, and the
// characters that would end the attribute, are written as references.
QString searchFieldValue(const QString& title) {
    // Bytes that mean the same character in both code pages (0xC0-0xFF all do).
    static const QString kSameInBoth = QStringLiteral(
        u"\u00A0\u02D8\u0141\u00A4\u00A7\u00A8\u015E\u00AD\u017B\u00B0\u02DB\u0142\u00B4\u00B8\u015F"
        u"\u02DD\u017C");
    // What PREVOD made of š ž Š Ž: their ISO-8859-2 bytes.
    static const QString kConverted = QStringLiteral(u"\u0105\u013E\u00A9\u00AE");
    QString out;
    for (qsizetype i = 0; i < title.size(); ++i) {
        const QChar c = title.at(i);
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < title.size() && title.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, title.at(++i));
        switch (code) {
        case '&':
            out += QLatin1String("&amp;");
            continue;
        case '"':
            out += QLatin1String("&quot;");
            continue;
        case '<':
            out += QLatin1String("&lt;");
            continue;
        case '>':
            out += QLatin1String("&gt;");
            continue;
        default:
            break;
        }
        uchar byte = 0;
        const bool plain = code >= 0x20 && code < 0x7F;
        const bool kept = code < 0x10000 && (kConverted.contains(QChar(char16_t(code))) ||
                                             kSameInBoth.contains(QChar(char16_t(code))) ||
                                             (cp1250::fromUnicode(code, &byte) && byte >= 0xC0));
        if (plain || kept)
            out += QChar(char16_t(code));
        else
            out += QStringLiteral("&#%1;").arg(quint32(code));
    }
    return out;
}

} // namespace

frmNetFind::frmNetFind(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNetFind"));
    setWindowTitle(QStringLiteral("Vyhledání dat filmu na Internetu"));

    // Kept out of sight: the old windows held these as hidden controls.
    RichTextBox1 = makeBox<QPlainTextEdit>(this, "RichTextBox1", TwipsRect(9000, 3000, 1200, 600));
    RichTextBox2 = makeBox<QPlainTextEdit>(this, "RichTextBox2", TwipsRect(10300, 3000, 1200, 600));
    Text1 = makeBox<QLineEdit>(this, "Text1", TwipsRect(120, 6600, 4000, 300));
    WebBrowser1 = new WebBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(TwipsRect(9000, 0, 4500, 2800));

    // Result list
    Frame1 = MakeFrame(this, "Frame1", QStringLiteral("Nalezeno záznamů:"), TwipsRect(45, 45, 5820, 2670));
    List1 = makeBox<QListWidget>(Frame1, "List1", TwipsRect(120, 270, 4290, 2280));
    ShowShortTexts(List1);
    cmdDataGet = MakeButton(Frame1, "cmdDataGet", QStringLiteral("Načti"), TwipsRect(4530, 270, 1170, 375));
    cmdDataGet->setEnabled(false);
    Command1 = MakeButton(Frame1, "Command1", QStringLiteral("Konec"), TwipsRect(4530, 2175, 1170, 375));
    Frame1->hide();

    // Status
    Frame2 = MakeFrame(this, "Frame2", QStringLiteral("Stav"), TwipsRect(45, 45, 5820, 2670));
    Label1 = MakeLabel(Frame2, "Label1", QStringLiteral("Vyhledávám prosím moment ..........."),
                       TwipsRect(240, 1005, 4200, 300));
    lblProg = MakeLabel(Frame2, "lblProg", QString(), TwipsRect(4560, 1005, 1020, 300));
    lblProg->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Frame2->hide();

    // Found values, outside the window until a product page has come.
    framData = MakeFrame(this, "framData", QStringLiteral("Nalezená data"), TwipsRect(8910, 45, 8880, 5295));
    struct Row {
        const char* label;
        QString caption;
        int top;
        int height;
    };
    const Row rows[] = {
        {"lblCZ", QStringLiteral("CZ název:"), 300, 315},
        {"lblPuvodni", QStringLiteral("Původní název:"), 690, 315},
        {"lblZanr", QStringLiteral("Žánr:"), 1080, 315},
        {"lblStat", QStringLiteral("Stát:"), 1470, 315},
        {"lblRok", QStringLiteral("Rok vydání:"), 1860, 315},
        {"lblDelka", QStringLiteral("Délka filmu:"), 2250, 315},
        {"lblRezie", QStringLiteral("Režie:"), 2640, 315},
        {"lblHerci", QStringLiteral("Herci:"), 3030, 600},
        {"lblPopis", QStringLiteral("Popis:"), 3705, 1080},
    };
    for (const Row& r : rows)
        MakeLabel(framData, r.label, r.caption, TwipsRect(120, r.top + 30, 1380, 255));
    const auto box = [](const Row& r) { return TwipsRect(1560, r.top, 4260, r.height); };
    findCZ = makeBox<QLineEdit>(framData, "findCZ", box(rows[0]));
    findPuvodni = makeBox<QLineEdit>(framData, "findPuvodni", box(rows[1]));
    findZanr = makeBox<QLineEdit>(framData, "findZanr", box(rows[2]));
    findStat = makeBox<QLineEdit>(framData, "findStat", box(rows[3]));
    findRok = makeBox<QLineEdit>(framData, "findRok", box(rows[4]));
    findDelka = makeBox<QLineEdit>(framData, "findDelka", box(rows[5]));
    findRezie = makeBox<QLineEdit>(framData, "findRezie", box(rows[6]));
    findHerci = makeBox<QPlainTextEdit>(framData, "findHerci", box(rows[7]));
    findPopis = makeBox<QPlainTextEdit>(framData, "findPopis", box(rows[8]));
    for (QPlainTextEdit* memo : {RichTextBox1, RichTextBox2, findHerci, findPopis})
        WrapLongWords(memo);
    picWenImgNahl = MakeLabel(framData, "picWenImgNahl", QString(), TwipsRect(5940, 300, 2115, 2700));
    picWenImgNahl->setFrameShape(QFrame::StyledPanel);
    picWenImgNahl->setAlignment(Qt::AlignCenter);
    picWenImgNahl->setScaledContents(false);
    chkGetPicture = new QCheckBox(QStringLiteral("Přenášet i obrázek náhledu"), framData);
    chkGetPicture->setObjectName(QStringLiteral("chkGetPicture"));
    chkGetPicture->setGeometry(TwipsRect(5940, 3090, 2880, 315));
    chkGetPicture->setChecked(true);
    Command4 =
        MakeButton(framData, "Command4", QStringLiteral("Vložit data"), TwipsRect(5940, 4860, 1020, 375));
    Command5 = MakeButton(framData, "Command5", QStringLiteral("Storno"), TwipsRect(7035, 4860, 1020, 375));
    picWait =
        MakeLabel(framData, "picWait",
                  QStringLiteral("Prosím strpení, tato data jsou náročná na získání, může to chvilku trvat!"),
                  TwipsRect(120, 4800, 5700, 465));
    picWait->setWordWrap(true);
    picWait->setFrameShape(QFrame::Box);
    picWait->setAutoFillBackground(true);
    picWait->setStyleSheet(QStringLiteral("QLabel { background: #FFFFE1; color: #800000; }"));
    picWait->hide();
    // Opaque: it covers the other panels when shown.
    framData->setAutoFillBackground(true);
    framData->hide();

    // The search page covers the top of the window.
    wbrFind = new WebBrowser(this);
    wbrFind->setObjectName(QStringLiteral("wbrFind"));
    wbrFind->setGeometry(TwipsRect(-45, -30, 6225, 2040));

    setWindowTwips(6120, 2400);

    connect(wbrFind, &WebBrowser::BeforeNavigate2, this, &frmNetFind::wbrFind_BeforeNavigate2);
    connect(wbrFind, &WebBrowser::DocumentComplete, this, &frmNetFind::wbrFind_DocumentComplete);
    connect(wbrFind, &WebBrowser::NavigateError, this, &frmNetFind::wbrFind_NavigateError);
    connect(wbrFind, &WebBrowser::ProgressChange, this, &frmNetFind::wbrFind_ProgressChange);
    connect(WebBrowser1, &WebBrowser::DocumentComplete, this, &frmNetFind::WebBrowser1_DocumentComplete);
    connect(WebBrowser1, &WebBrowser::NavigateError, this, &frmNetFind::WebBrowser1_NavigateError);
    connect(WebBrowser1, &WebBrowser::ProgressChange, this, &frmNetFind::WebBrowser1_ProgressChange);
    for (PageWait* wait : {&resultWait_, &productWait_}) {
        wait->timer = new QTimer(this);
        wait->timer->setSingleShot(true);
    }
    connect(resultWait_.timer, &QTimer::timeout, this, &frmNetFind::resultFailed);
    connect(productWait_.timer, &QTimer::timeout, this, &frmNetFind::productFailed);
    connect(cmdDataGet, &QPushButton::clicked, this, &frmNetFind::cmdDataGet_Click);
    connect(Command1, &QPushButton::clicked, this, &frmNetFind::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &frmNetFind::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmNetFind::Command5_Click);

    Form_Load();
}

frmNetFind::~frmNetFind() = default;

QString frmNetFind::ResultPageUrl() {
    return EShopRoot() + QStringLiteral("seznam_video.php");
}

QString frmNetFind::ProductPageUrl(qint32 id) {
    return EShopRoot() + QStringLiteral("zbozi_video.php?id_zbozi=") + QString::number(id);
}

void frmNetFind::startWait(PageWait& wait) {
    wait.loaded = false;
    wait.timer->start(DownloadTimeLimit(Transfer::Page));
}

void frmNetFind::pageLoaded(PageWait& wait) {
    // The first load only: a page that reloads itself gets no more time.
    if (wait.loaded) return;
    wait.loaded = true;
    wait.timer->start(WebBrowser::ScriptTimeout());
}

void frmNetFind::endWait(PageWait& wait) {
    wait.timer->stop();
}

void frmNetFind::setWindowTwips(int width, int height) {
    setFixedSize(TwipsToPixels(width) - kFrameWidthPx, TwipsToPixels(height) - kFrameHeightPx);
}

void frmNetFind::Form_Load() {
    WebBrowser1->Navigate(DataPath() + QStringLiteral("null.htm"));
    searchPage_ = DataPath() + QStringLiteral("finddvd.htm");
    wbrFind->Navigate(searchPage_);
}

// --- search page -------------------------------------------------------------

QString frmNetFind::PREVOD(const QString& text) {
    QString s = text;
    s.replace(QChar(0x0161), QChar(0x0105)); // š -> ą
    s.replace(QChar(0x017E), QChar(0x013E)); // ž -> ľ
    s.replace(QChar(0x0160), QChar(0x00A9)); // Š -> ©
    s.replace(QChar(0x017D), QChar(0x00AE)); // Ž -> ®
    return s;
}

void frmNetFind::PredpripravSTR(const QString& name) {
    const QString templ = DataPath() + QStringLiteral("finddvd2.htm");
    QFile in(templ);
    if (!in.open(QIODevice::ReadOnly)) {
        MsgBox(QStringLiteral("Nelze načíst šablonu vyhledávací stránky %1.")
                   .arg(QDir::toNativeSeparators(templ)),
               vb::vbExclamation);
        return;
    }
    RichTextBox2->setPlainText(cp1250::toUnicode(in.readAll()));
    QString page = RichTextBox2->toPlainText();
    page.replace(kPlaceholder, searchFieldValue(PREVOD(vb::Trim(name))));
    RichTextBox2->setPlainText(page);

    const QString filled = DataPath() + QStringLiteral("finddvdx.htm");
    if (!WriteWholeFile(filled, cp1250::fromUnicode(RichTextBox2->toPlainText()))) {
        MsgBox(QStringLiteral("Nelze uložit vyhledávací stránku %1.").arg(QDir::toNativeSeparators(filled)),
               vb::vbExclamation);
        return;
    }
    searchPage_ = filled;
    wbrFind->Navigate(searchPage_);
}

void frmNetFind::showSearchPage() {
    ++listReads_;
    Frame2->hide();
    Frame1->hide();
    wbrFind->setGeometry(TwipsRect(-45, -30, 6225, 2040));
    setWindowTwips(6120, 2400);
    wbrFind->Navigate(searchPage_);
}

// --- result page -------------------------------------------------------------

void frmNetFind::wbrFind_BeforeNavigate2(const QString& address) {
    if (address != ResultPageUrl()) return;
    wbrFind->move(wbrFind->x(), TwipsToPixels(-10000));
    Frame2->show();
    Frame2->raise();
    setWindowTwips(6030, 3270);
    // A page that reloads itself starts no new wait.
    if (!resultWait_.timer->isActive()) startWait(resultWait_);
}

void frmNetFind::wbrFind_DocumentComplete(const QString& address) {
    if (!resultWait_.timer->isActive()) return;
    // A result page that moved on to another address gives no list.
    if (address != ResultPageUrl()) {
        resultFailed();
        return;
    }
    pageLoaded(resultWait_);
    // The status stays until the page has given its body.
    const int read = ++listReads_;
    wbrFind->RequestBodyHTML([this, read](const QString& body) {
        if (read != listReads_) return;
        if (body.isEmpty()) {
            resultFailed();
            return;
        }
        endWait(resultWait_);
        // What the page would do next (reload, move on, spin) is not wanted.
        wbrFind->Reset();
        setWindowTwips(6030, 3270);
        Frame2->hide();
        showList();
        List1->clear();
        RichTextBox1->setPlainText(body);
        ZpracujSeznam();
        if (List1->count() >= 1) cmdDataGet->setEnabled(true);
        if (List1->count() >= 20)
            MsgBox(QStringLiteral("Bylo nalezeno více než 20 záznamů,upřesněte zadání! "), vb::vbInformation,
                   QStringLiteral("Hledání přerušeno:"));
    });
}

void frmNetFind::wbrFind_NavigateError(const QString& address) {
    if (resultWait_.timer->isActive()) {
        resultFailed();
    } else if (address == WebBrowser::AddressOf(searchPage_)) {
        MsgBox(QStringLiteral("Nelze zobrazit vyhledávací stránku %1.")
                   .arg(QDir::toNativeSeparators(searchPage_)),
               vb::vbExclamation);
    }
}

void frmNetFind::resultFailed() {
    // Ended first: the message waits for the user, and what the page does
    // meanwhile is no longer awaited.
    endWait(resultWait_);
    ++listReads_;
    // A page still spinning would hold up the next one of the site.
    wbrFind->Reset();
    // Back to the search page, so the user can try again or leave.
    showSearchPage();
    MsgBox(
        QStringLiteral("Výsledky hledání se nepodařilo načíst. Zkontrolujte připojení k Internetu a zkuste "
                       "to znovu."),
        vb::vbExclamation, QStringLiteral("Hledání přerušeno:"));
}

void frmNetFind::ZpracujSeznam() {
    // Positions, not copies: a page of thousands of links stays one pass.
    const QString text = RichTextBox1->toPlainText();
    qsizetype from = 99;
    for (;;) {
        const qsizetype at = from < text.size() ? text.indexOf(kLinkMarker, from) : -1;
        if (at < 0) break;
        const qsizetype end = text.indexOf(QStringLiteral("</A"), at, Qt::CaseInsensitive);
        // A page cut off inside the last link: that link is the rest.
        const QString link = end >= 0 ? text.mid(at, end - at + 1) : text.mid(at);
        ErrState err;
        // A link without a product id is left out; the rest of the list is read.
        Step(err, [&] {
            const qint32 id = GetID(link);
            auto* item = new QListWidgetItem(ziskejNazev(link));
            item->setData(Qt::UserRole, id);
            List1->addItem(item);
        });
        if (end < 0) break;
        from = end;
    }
    Frame1->setTitle(QStringLiteral("Nalezeno ") + QString::number(List1->count()) +
                     QStringLiteral(" záznamů"));
}

QString frmNetFind::ziskejNazev(const QString& link) {
    const qsizetype at = link.indexOf(kIdMarker);
    if (at < 0) throw vb::RuntimeError(vb::ErrGeneric, QStringLiteral("Invalid procedure call or argument"));
    QString s = link.mid(at);
    s = s.mid(s.indexOf(QLatin1Char('>')) + 1);
    s.remove(kGreenFont);
    s.remove(QStringLiteral("</FONT>"));
    s.remove(QLatin1Char('<'));
    s.remove(QLatin1Char('>'));
    return s;
}

qint32 frmNetFind::GetID(const QString& link) {
    const qsizetype at = link.indexOf(kIdMarker);
    if (at < 0) throw vb::RuntimeError(vb::ErrGeneric, QStringLiteral("Invalid procedure call or argument"));
    const QString rest = link.mid(at + kIdMarker.size());
    qsizetype end = rest.indexOf(QLatin1Char('&'));
    if (end < 0) {
        // No parameter after the id: the id is its digits.
        end = 0;
        while (end < rest.size() && rest.at(end).isDigit())
            ++end;
    }
    return vb::CLng(ado::Variant(rest.left(end)));
}

void frmNetFind::showProgress(int progress, int progressMax) {
    if (progressMax == 0) {
        lblProg->setText(QStringLiteral("0%"));
        return;
    }
    // Halves go to the even neighbour.
    const double percent = std::nearbyint(double(progress) / progressMax * 100.0);
    lblProg->setText(QString::number(qint64(percent)) + QLatin1Char('%'));
}

void frmNetFind::wbrFind_ProgressChange(int progress, int progressMax) {
    showProgress(progress, progressMax);
}

// --- product page ------------------------------------------------------------

void frmNetFind::cmdDataGet_Click() {
    const QList<QListWidgetItem*> chosen = List1->selectedItems();
    if (chosen.isEmpty()) return;
    ++productReads_;
    Frame2->show();
    Frame2->raise();
    Frame1->hide();
    startWait(productWait_);
    WebBrowser1->Navigate(ProductPageUrl(chosen.first()->data(Qt::UserRole).toInt()));
}

void frmNetFind::WebBrowser1_ProgressChange(int progress, int progressMax) {
    showProgress(progress, progressMax);
    DoEvents();
}

void frmNetFind::WebBrowser1_DocumentComplete(const QString& address) {
    if (!productWait_.timer->isActive() || address.isEmpty() || address == QLatin1String("http:///") ||
        address.contains(QLatin1String("null.htm")))
        return;
    pageLoaded(productWait_);
    const int read = ++productReads_;
    WebBrowser1->RequestBodyHTML([this, read](const QString& body) {
        if (read != productReads_) return;
        // A page that gave nothing must not pass for a film without data.
        if (!isProductPage(body)) {
            productFailed();
            return;
        }
        endWait(productWait_);
        // What the page would do next (reload, move on, spin) is not wanted.
        WebBrowser1->Reset();
        RichTextBox2->setPlainText(body);
        Frame1->hide();
        Frame2->hide();
        framData->move(TwipsToPixels(45), TwipsToPixels(45));
        framData->show();
        framData->raise();
        setWindowTwips(9090, 5900);
        ZpracujDetail();
    });
}

void frmNetFind::WebBrowser1_NavigateError(const QString& address) {
    if (!productWait_.timer->isActive() || address.contains(QLatin1String("null.htm"))) return;
    productFailed();
}

void frmNetFind::productFailed() {
    // Ended first: the message waits for the user, and what the page does
    // meanwhile is no longer awaited.
    endWait(productWait_);
    ++productReads_;
    // A page still spinning would hold up the next one of the site.
    WebBrowser1->Reset();
    // Back to the list: another product can be chosen, or the look-up left.
    framData->hide();
    Frame2->hide();
    showList();
    MsgBox(
        QStringLiteral("Stránku vybraného filmu se nepodařilo načíst. Zkontrolujte připojení k Internetu a "
                       "zkuste to znovu."),
        vb::vbExclamation, QStringLiteral("Hledání přerušeno:"));
}

void frmNetFind::showList() {
    setWindowTwips(6030, 3270);
    Frame1->show();
    Frame1->raise();
}

void frmNetFind::ZpracujDetail() {
    QPointer<frmNetFind> self(this);
    picWait->show();
    picWait->raise();
    WebBrowser1->Stop();

    const QString page = RichTextBox2->toPlainText();
    struct Field {
        QWidget* box;
        const char16_t* marker;
        enum { Title, Cell, CellNoNbsp, Description } rule;
    };
    const Field fields[] = {
        {findCZ, kFieldMarkers[0], Field::Title},          {findZanr, kFieldMarkers[1], Field::Cell},
        {findPuvodni, kFieldMarkers[2], Field::Cell},      {findRezie, kFieldMarkers[3], Field::Cell},
        {findHerci, kFieldMarkers[4], Field::Cell},        {findDelka, kFieldMarkers[5], Field::CellNoNbsp},
        {findStat, kFieldMarkers[6], Field::CellNoNbsp},   {findRok, kFieldMarkers[7], Field::CellNoNbsp},
        {findPopis, kFieldMarkers[8], Field::Description},
    };
    for (const Field& f : fields) {
        // A field the page lacks stays empty rather than take the previous one's value.
        const qsizetype at = page.indexOf(QString::fromUtf16(f.marker));
        QString value;
        if (at >= 0) {
            const QString w = page.mid(at);
            switch (f.rule) {
            case Field::Title:
                value = titleRule(w);
                break;
            case Field::Cell:
                value = cellRule(w, false);
                break;
            case Field::CellNoNbsp:
                value = cellRule(w, true);
                break;
            case Field::Description:
                value = descriptionRule(w);
                break;
            }
        }
        SetControlText(f.box, value);
        DoEvents();
        if (!self) return;
    }

    const QString path = picturePath(page);
    Text1->setText(path);
    DoEvents();
    if (!self) return;
    if (!path.isEmpty()) {
        // Only a picture that really loaded is offered: a failed or broken
        // download leaves no path.
        QString local;
        ErrState err;
        Step(err, [&] { local = NactiWebNahled(path, picWenImgNahl); });
        if (!self) return;
        Text1->setText(local);
        DoEvents();
        if (!self) return;
        picWenImgNahl->repaint();
        DoEvents();
        if (!self) return;
    }
    picWait->hide();
}

// --- closing -----------------------------------------------------------------

void frmNetFind::Command1_Click() {
    VlozitData = false;
    hide();
}

void frmNetFind::Command4_Click() {
    VlozitData = true;
    hide();
}

void frmNetFind::Command5_Click() {
    VlozitData = false;
    hide();
}

void frmNetFind::reject() {}

void frmNetFind::closeEvent(QCloseEvent* event) {
    // Nothing awaited any more: no message after the window has gone.
    endWait(resultWait_);
    endWait(productWait_);
    ++listReads_;
    ++productReads_;
    VlozitData = false;
    event->accept();
    done(QDialog::Rejected);
}
