#include "lookup/frmCSFDFind.h"

#include "lookup/Module1.h"
#include "lookup/Module2.h"
#include "lookup/mModInetPic.h"
#include "lookup/webroots.h"

#include "apppath.h"
#include "codepage.h"
#include "controls.h"
#include "doevents.h"
#include "download.h"
#include "err.h"
#include "listview.h"
#include "msgbox.h"
#include "twips.h"
#include "vb.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString kSearchPath = QStringLiteral("/hledani-filmu-hercu-reziseru-ve-filmove-databazi/?search=");
const QString kTitleMarker = QStringLiteral(
    "<h1 style='font-size: 18px;font-weight:bold;color: #000000;font-family: Tahoma;display:inline'>");
const QString kOtherTitlesMarker =
    QStringLiteral("<span style='font-size: 18px;font-weight:bold;color: #000000;font-family: Tahoma;'>");
const QString kOtherTitlesEnd = QStringLiteral("</table>             <br>");
const QString kPlotMarker =
    QStringLiteral("<span class='komentar_font' style='text-align:justify;width:700px;'>");

QString indexedName(const char* base, int index) {
    return QLatin1String(base) + QLatin1Char('_') + QString::number(index);
}

// First occurrence of `marker` in `text` without regard to case; -1 when none.
// UCase keeps the length, so the position holds in the original text.
int findNoCase(const QString& text, const QString& marker) {
    return int(vb::UCase(text).indexOf(vb::UCase(marker)));
}

// A strip of film under a magnifying glass: the window's own picture.
QPixmap windowPicture(const QSize& size) {
    QPixmap pm(size);
    pm.fill(QColor(236, 240, 246));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height();
    const QRectF strip(0, h * 0.38, w, h * 0.24);
    p.fillRect(strip, QColor(40, 40, 48));
    p.setBrush(QColor(236, 240, 246));
    p.setPen(Qt::NoPen);
    for (qreal x = 8; x < w; x += 22) {
        p.drawRect(QRectF(x, strip.top() + 5, 10, 8));
        p.drawRect(QRectF(x, strip.bottom() - 13, 10, 8));
    }
    p.setBrush(QColor(120, 150, 200));
    for (qreal x = 14; x + 56 < w; x += 70)
        p.drawRect(QRectF(x, strip.top() + 18, 56, strip.height() - 36));
    const QPointF c(w * 0.58, h * 0.46);
    const qreal r = qMin(w, h) * 0.2;
    p.setPen(QPen(QColor(90, 60, 30), r * 0.28, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(r * 0.7, r * 0.7), c + QPointF(r * 1.9, r * 1.9));
    p.setPen(QPen(QColor(70, 70, 80), r * 0.14));
    p.setBrush(QColor(210, 230, 255, 150));
    p.drawEllipse(c, r, r);
    return pm;
}

} // namespace

// The buttons are off while a search or a load runs: the pending messages let
// through inside them would otherwise start a second run, or end the window
// (and let the caller delete it) under the running one.
class frmCSFDFind::Busy {
public:
    explicit Busy(frmCSFDFind* w) : w_(w) { w_->setBusy(true); }
    ~Busy() { w_->setBusy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    frmCSFDFind* w_;
};

frmCSFDFind::frmCSFDFind(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCSFDFind"));
    setWindowTitle(QStringLiteral("Vyhledat v ČSFD"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    // Fixed, so the found values beyond the right edge stay out of sight.
    setFixedSize(TwipsToPixels(9570), TwipsToPixels(5820));

    // Left: the window's picture, later covered by the found values.
    Picture2 = Place(new QLabel(this), "Picture2", TwipsRect(90, 30, 5400, 5430));
    Picture2->setFrameShape(QFrame::Panel);
    Picture2->setFrameShadow(QFrame::Sunken);
    Picture2->setPixmap(windowPicture(Picture2->size()));

    // Right: search and hit list.
    Text1 = Place(new QLineEdit(this), "Text1", TwipsRect(5610, 120, 2700, 330));
    Command1 = MakeButton(this, "Command1", QStringLiteral("Hledej"), TwipsRect(8400, 105, 1080, 360));
    Label3 = Place(new QLabel(QStringLiteral("Nalezené záznamy:"), this), "Label3",
                   TwipsRect(5610, 540, 3870, 255));
    lvwSeznam = Place(new ListView(this), "lvwSeznam", TwipsRect(5610, 810, 3870, 3000));
    lvwSeznam->AddColumn(QStringLiteral("Název"), 2700);
    lvwSeznam->AddColumn(QStringLiteral("URL"), 1800);
    Label2 = Place(new QLabel(this), "Label2", TwipsRect(5610, 3870, 3870, 255));
    Command2 = MakeButton(this, "Command2", QStringLiteral("Načti data"), TwipsRect(5610, 4170, 1650, 375));
    chkGetPicture = Place(new QCheckBox(QStringLiteral("Přenášet i obrázek náhledu"), this), "chkGetPicture",
                          TwipsRect(5610, 4650, 3870, 300));
    chkGetPicture->setChecked(true);
    cmdInsertData =
        MakeButton(this, "cmdInsertData", QStringLiteral("Vložit data"), TwipsRect(5610, 5100, 1800, 375));
    cmdStorno = MakeButton(this, "cmdStorno", QStringLiteral("Storno"), TwipsRect(7680, 5100, 1800, 375));

    // The found values lie outside the client area until "Načti data" moves them in.
    frmData = Place(new QGroupBox(this), "frmData", TwipsRect(9800, 30, 5400, 5430));
    frmData->setAutoFillBackground(true);
    const char* const captions[] = {"CZ název:",    "Původní název:", "Žánr:",  "Stát:", "Rok vydání:",
                                    "Délka filmu:", "Režie:",         "Herci:", "Popis:"};
    const int rowTop[] = {180, 540, 900, 1260, 1620, 1980, 2340, 2700, 3480};
    for (int i = 0; i < 9; ++i) {
        auto* caption = new QLabel(QString::fromUtf8(captions[i]), frmData);
        lbl << Place(caption, nullptr, TwipsRect(90, rowTop[i] + 30, 1380, 255));
        caption->setObjectName(indexedName("lbl", i));
    }
    const int boxLeft = 1500, boxWidth = 2400;
    findCZ = Place(new QLineEdit(frmData), "findCZ", TwipsRect(boxLeft, rowTop[0], boxWidth, 315));
    findPuvName = Place(new QComboBox(frmData), "findPuvName", TwipsRect(boxLeft, rowTop[1], boxWidth, 315));
    findPuvName->setEditable(true);
    findPuvName->setInsertPolicy(QComboBox::NoInsert);
    findZanr = Place(new QLineEdit(frmData), "findZanr", TwipsRect(boxLeft, rowTop[2], boxWidth, 315));
    findStat = Place(new QLineEdit(frmData), "findStat", TwipsRect(boxLeft, rowTop[3], boxWidth, 315));
    findRok = Place(new QLineEdit(frmData), "findRok", TwipsRect(boxLeft, rowTop[4], 1200, 315));
    findDelka = Place(new QLineEdit(frmData), "findDelka", TwipsRect(boxLeft, rowTop[5], 1200, 315));
    findRezie = Place(new QLineEdit(frmData), "findRezie", TwipsRect(boxLeft, rowTop[6], boxWidth, 315));
    findHerci = Place(new QPlainTextEdit(frmData), "findHerci", TwipsRect(boxLeft, rowTop[7], boxWidth, 720));
    findPopis = Place(new QPlainTextEdit(frmData), "findPopis", TwipsRect(boxLeft, rowTop[8], 3780, 1800));
    for (QPlainTextEdit* memo : {findHerci, findPopis}) {
        memo->setTabChangesFocus(true);
        WrapLongWords(memo);
    }
    picWenImgNahl = Place(new QLabel(frmData), "picWenImgNahl", TwipsRect(3990, 180, 1290, 1770));
    picWenImgNahl->setFrameShape(QFrame::Box);
    picWenImgNahl->setAlignment(Qt::AlignCenter);
    picWenImgNahl->setScaledContents(true);
    Text2 = Place(new QLineEdit(frmData), "Text2", TwipsRect(3990, 2010, 1290, 315));

    // Wait notice over the found values while the pages load.
    picTime = Place(new QFrame(this), "picTime", TwipsRect(1200, 2100, 3200, 900));
    picTime->setFrameShape(QFrame::Box);
    picTime->setAutoFillBackground(true);
    for (int i = 0; i < 2; ++i) {
        auto* l = new QLabel(i == 0 ? QStringLiteral("Prosím strpení")
                                    : QStringLiteral("čtou a nahrávají se data ..."),
                             picTime);
        Label1 << Place(l, nullptr, TwipsRect(120, 120 + i * 360, 2960, 300));
        l->setObjectName(indexedName("Label1", i));
        l->setAlignment(Qt::AlignCenter);
    }
    QFont bold = Label1[0]->font();
    bold.setBold(true);
    Label1[0]->setFont(bold);
    picTime->hide();

    connect(Command1, &QPushButton::clicked, this, &frmCSFDFind::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmCSFDFind::Command2_Click);
    connect(cmdInsertData, &QPushButton::clicked, this, &frmCSFDFind::cmdInsertData_Click);
    connect(cmdStorno, &QPushButton::clicked, this, &frmCSFDFind::cmdStorno_Click);
}

void frmCSFDFind::PredpripravSTR(const QString& czName) {
    const QString title = vb::Trim(czName);
    if (!title.isEmpty()) Text1->setText(title);
}

// ---------------------------------------------------------------------------
// Operations

bool frmCSFDFind::DwnFile(const QString& url, const QString& file) {
    return !closing_ && URLDownloadToFile(url, file);
}

QString frmCSFDFind::UpravText(const QString& text) {
    QString out;
    out.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
            ++i;
        }
        uchar code = '?';
        if (!cp1250::fromUnicode(ch, &code)) code = '?';
        // Characters that mean something in a query are escaped too, so a
        // title such as "Tom & Jerry" or "Kód #3" reaches the site whole.
        const bool special = code < 32 || code == '%' || code == '&' || code == '+' || code == '#';
        if (code > 122 || special)
            out += QLatin1Char('%') + QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            out += QLatin1Char(char(code));
    }
    out.replace(QLatin1Char(' '), QLatin1Char('+'));
    return out;
}

void frmCSFDFind::ZpracujDalsiNazvy(const QString& page) {
    const int at = int(page.indexOf(QStringLiteral("<table cellpadding='0' cellspacing='0' border='0'"))) + 1;
    if (at <= 21) return;
    QString rest = page.mid(at - 1);
    if (!rest.contains(QStringLiteral("</td></tr>"))) return;
    findPuvName->clear();
    // Positions, not copies, and the combo filled once: a list of thousands
    // of titles stays one pass.
    const QString marker = QStringLiteral("vspace='2' ></td><td>");
    QStringList titles;
    for (qsizetype p = rest.indexOf(marker); p >= 0;) {
        const qsizetype start = p + marker.size();
        const qsizetype end = rest.indexOf(QStringLiteral("</"), start);
        if (end < 0) break;
        titles << rest.mid(start, end - start);
        p = rest.indexOf(marker, start);
    }
    findPuvName->addItems(titles);
    if (!titles.isEmpty()) findPuvName->setEditText(titles.last());
}

QString frmCSFDFind::NajdiTextPolozkyString(const QString& text, const QString& startMarker,
                                            const QString& endMarker) {
    const int start = findNoCase(text, startMarker);
    if (start < 0) return QString();
    const QString rest = text.mid(start + startMarker.size());
    const int end = findNoCase(rest, endMarker);
    if (end < 0) return QString();
    QString value = rest.left(end);
    value.remove(QLatin1Char('\r'));
    value.remove(QLatin1Char('\n'));
    qsizetype lead = 0;
    while (lead < value.size() && value.at(lead) == QLatin1Char(' '))
        ++lead;
    return value.mid(lead);
}

QString frmCSFDFind::NajdiTextPolozky(const QString& startMarker, const QString& endMarker) const {
    return NajdiTextPolozkyString(RichTextBox1, startMarker, endMarker);
}

QString frmCSFDFind::NajdiTextPolozky2(const QString& startMarker, const QString& endMarker) const {
    return NajdiTextPolozkyString(RichTextBox2, startMarker, endMarker);
}

QString frmCSFDFind::NajdiURLPolozky(const QString& marker) const {
    const int at = findNoCase(RichTextBox1, marker);
    if (at < 0) return QString();
    const QString rest = RichTextBox1.mid(at + marker.size());
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : rest.left(slash);
}

QString frmCSFDFind::OdebratTagy(const QString& text) {
    static const QList<QPair<QString, QString>> replacements = {
        {QStringLiteral("&nbsp;"), QStringLiteral(" ")},
        {QStringLiteral("&eacute;"), QStringLiteral("é")},
        {QStringLiteral("&iacute;"), QStringLiteral("í")},
        {QStringLiteral("&ccedil;"), QStringLiteral("ç")},
        {QStringLiteral("&ouml;"), QStringLiteral("ö")},
        {QStringLiteral("&amp;"), QStringLiteral("&")},
        {QStringLiteral("&quot;"), QStringLiteral("\"")},
        {QStringLiteral("<b>"), QString()},
        {QStringLiteral("<i>"), QString()},
        {QStringLiteral("<br>"), QStringLiteral("\r\n")},
        {QStringLiteral("</b>"), QString()},
        {QStringLiteral("</i>"), QString()},
    };
    // vb::Replace, not QString::replace: that moves the rest of the text
    // again for every thousand matches, and a page can hold millions.
    QString out = text;
    for (const auto& [from, to] : replacements)
        out = vb::Replace(out, from, to);
    return out;
}

// ---------------------------------------------------------------------------
// Search

void frmCSFDFind::Command1_Click() {
    HledejFilm(Text1->text());
}

void frmCSFDFind::HledejFilm(const QString& text) {
    Busy busy(this);
    const QString address = FilmDbRoot() + kSearchPath + UpravText(text);
    const QString file = DataPath() + QStringLiteral("list.find");
    ErrState err;
    if (!DwnFile(address, file) || !Step(err, [&] { RichTextBox1 = ReadUTF8File(file); })) {
        if (closing_) return;
        MsgBox(QStringLiteral("Pri stahovani doslo k chybe."), vb::vbOKOnly);
        return;
    }
    DoEvents();
    ZpracujVysledky();
}

void frmCSFDFind::ZpracujVysledky() {
    const QString& page = RichTextBox1;
    qsizetype heading = page.indexOf(QStringLiteral("v českých názvech"));
    if (heading < 0) heading = page.indexOf(QStringLiteral("v originálních názvech"));
    if (heading >= 0) {
        // Only the upper-case text is used from here on: names and paths come out in capitals.
        const QString upper = vb::UCase(page.mid(heading));
        const qsizetype link = upper.indexOf(QStringLiteral("<A HREF=\"/FILM/"));
        if (link >= 0) {
            const qsizetype cellEnd = upper.indexOf(QStringLiteral("</TD>"), link);
            const QString kept = cellEnd < 0 ? QString() : upper.mid(link, cellEnd - link);
            const QString href = QStringLiteral("HREF=\"/FILM/");
            lvwSeznam->BeginUpdate();
            for (const QString& piece : kept.split(QStringLiteral("<BR>"))) {
                const qsizetype at = piece.indexOf(href);
                if (at < 0) continue;
                const QString after = piece.mid(at + href.size());
                const qsizetype quote = after.indexOf(QLatin1Char('"'));
                const QString path = quote < 0 ? QString() : after.left(quote);
                const qsizetype gt = after.indexOf(QLatin1Char('>'));
                QString name = gt < 0 ? after : after.mid(gt + 1);
                name.remove(QStringLiteral("</A>"));
                lvwSeznam->Add(QString(), name)->setSubItem(1, path);
            }
            lvwSeznam->EndUpdate();
        }
    }
    Label2->setText(QStringLiteral("Počet nalezených záznamů: ") + QString::number(lvwSeznam->Count()));
}

bool frmCSFDFind::StahniDetail(const QString& url, const QString& fileName) {
    if (DwnFile(url, DataPath() + fileName)) return true;
    if (closing_) return false;
    MsgBox(QStringLiteral("Pri detailu došlo k chybě chybe."), vb::vbOKOnly);
    return false;
}

// ---------------------------------------------------------------------------
// Film page

void frmCSFDFind::redrawFrame() {
    frmData->repaint();
}

void frmCSFDFind::Command2_Click() {
    Busy busy(this);
    frmData->move(TwipsToPixels(90), TwipsToPixels(30));
    frmData->raise();
    setFixedSize(TwipsToPixels(9570), TwipsToPixels(5820));
    picTime->show();
    picTime->raise();
    redrawFrame();
    DoEvents();

    [&] {
        ListItem* hit = lvwSeznam->SelectedItem();
        if (!hit) {
            MsgBox(QStringLiteral("Není vybraný film v seznamu nalezených."), vb::vbInformation);
            return;
        }
        const QString filmAddress = FilmDbRoot() + QStringLiteral("/film/") + hit->SubItem(1);
        if (!StahniDetail(filmAddress, QStringLiteral("detailsmall.find"))) return;
        DoEvents();

        ErrState err;
        Step(err, [&] { RichTextBox1 = ReadUTF8File(DataPath() + QStringLiteral("detailsmall.find")); });
        DoEvents();

        QString fullText;
        const int textLink = findNoCase(RichTextBox1, QStringLiteral("HREF=\"?TEXT="));
        if (textLink >= 0) {
            const QString after = RichTextBox1.mid(textLink + 12);
            const qsizetype blank = after.indexOf(QLatin1Char(' '));
            if (blank >= 0) fullText = after.left(blank).remove(QLatin1Char('"'));
        }
        Label2->setText(QStringLiteral("Hotovo z 30%"));
        DoEvents();

        if (StahniDetail(filmAddress + QStringLiteral("?text=") + fullText, QStringLiteral("detail.find"))) {
            DoEvents();
            Step(err, [&] { RichTextBox1 = ReadUTF8File(DataPath() + QStringLiteral("detail.find")); });
            DoEvents();
        }
        Label2->setText(QStringLiteral("Hotovo z 60%"));
        DoEvents();

        Step(err, [&] { findCZ->setText(NajdiTextPolozky(kTitleMarker, QStringLiteral("</h1>"))); });
        DoEvents();
        redrawFrame();

        Step(err, [&] {
            const QString id =
                NajdiURLPolozky(QStringLiteral("<a href=\"") + ImdbRoot() + QStringLiteral("/title/"));
            if (id.isEmpty()) return;
            if (!StahniDetail(ImdbRoot() + QStringLiteral("/title/") + id, QStringLiteral("detailimdb.find")))
                return;
            RichTextBox2 = ReadUTF8File(DataPath() + QStringLiteral("detailimdb.find"));
            QString title = NajdiTextPolozky2(QStringLiteral("<title>"), QStringLiteral("</title>"));
            for (int year = 1900; year <= 2100; ++year)
                title.remove(QLatin1Char('(') + QString::number(year) + QLatin1Char(')'));
            RichTextBox2.clear();
            findPuvName->setEditText(vb::Trim(title));
        });

        Step(err, [&] { ZpracujDalsiNazvy(NajdiTextPolozky(kOtherTitlesMarker, kOtherTitlesEnd)); });
        Label2->setText(QStringLiteral("Hotovo z 65%"));
        DoEvents();

        Step(err, [&] {
            findZanr->setText(
                vb::Replace(NajdiTextPolozky(QStringLiteral("<br>   <b>"), QStringLiteral("&nbsp;<br>")),
                            QStringLiteral(" / "), QStringLiteral(", ")));
        });
        DoEvents();
        redrawFrame();

        Step(err, [&] {
            const QStringList parts =
                NajdiTextPolozky(QStringLiteral("&nbsp;<br>"), QStringLiteral("<")).split(QLatin1Char(','));
            if (parts.size() != 3) return;
            const QString country = QString(parts[0]).replace(QLatin1Char('/'), QLatin1Char(','));
            const QString year = vb::Trim(parts[1]);
            QString length = vb::Trim(parts[2]);
            const qsizetype min = length.indexOf(QStringLiteral("min")) + 1;
            length = length.left(min + 2);
            findDelka->setText(length);
            redrawFrame();
            findRok->setText(year);
            redrawFrame();
            findStat->setText(country);
            redrawFrame();
        });
        DoEvents();

        Step(err, [&] {
            const QString line = NajdiTextPolozky(QStringLiteral("<b>Režie:</b>"), QStringLiteral("<br>"));
            findRezie->setText(
                OdebratTagy(NajdiTextPolozkyString(line, QStringLiteral(">"), QStringLiteral("</a>"))));
        });
        DoEvents();
        redrawFrame();

        Step(err, [&] {
            const QStringList pieces =
                NajdiTextPolozky(QStringLiteral("<b>Hrají: </b>"), QStringLiteral("<br>&nbsp;<br></td>"))
                    .split(QStringLiteral("</a>"));
            QStringList names;
            for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
                const qsizetype gt = pieces[i].indexOf(QLatin1Char('>'));
                names << OdebratTagy(gt < 0 ? pieces[i] : pieces[i].mid(gt + 1));
            }
            SetBoxText(findHerci, names.join(QStringLiteral(", ")));
        });
        DoEvents();
        redrawFrame();

        Step(err, [&] {
            QString plot = OdebratTagy(NajdiTextPolozky(kPlotMarker, QStringLiteral("</span>")));
            const qsizetype script = plot.indexOf(QStringLiteral("</noscript>"));
            if (script >= 0) {
                plot = plot.mid(script);
                const qsizetype divs = plot.indexOf(QStringLiteral("</div></div>"));
                if (divs >= 0) plot = plot.mid(divs + 12);
            }
            SetBoxText(findPopis, HtmlToText(plot));
        });
        DoEvents();

        Step(err, [&] {
            const int at = findNoCase(RichTextBox1, QStringLiteral("posters"));
            if (at < 0) {
                chkGetPicture->setChecked(false);
                return;
            }
            QString path = RichTextBox1.mid(at);
            const qsizetype blank = path.indexOf(QLatin1Char(' '));
            if (blank >= 0) path.truncate(blank);
            path.remove(QLatin1Char('"'));
            path.remove(QLatin1Char('\''));
            Text2->setText(FilmDbRoot() + QLatin1Char('/') + path);
            // Without a poster file the editor would take an empty preview
            // over the film's own, so the box is cleared as for a page
            // without a poster.
            bool fetched = false;
            Step(err, [&] {
                const QString local = closing_ ? QString() : NactiWebNahledURL(Text2->text(), picWenImgNahl);
                Text2->setText(local);
                fetched = !local.isEmpty();
            });
            if (!fetched) chkGetPicture->setChecked(false);
        });
        DoEvents();
        redrawFrame();
    }();

    picTime->hide();
}

// ---------------------------------------------------------------------------
// Closing

void frmCSFDFind::cmdInsertData_Click() {
    VlozitData = true;
    done(QDialog::Accepted);
}

void frmCSFDFind::cmdStorno_Click() {
    VlozitData = false;
    done(QDialog::Rejected);
}

void frmCSFDFind::reject() {}

void frmCSFDFind::closeEvent(QCloseEvent* event) {
    if (busy_ > 0) {
        // The work under way ends at once (its downloads fail quietly) and
        // the window closes when it has.
        closing_ = true;
        AbortDownloads();
        event->ignore();
        return;
    }
    event->accept();
    VlozitData = false;
    done(QDialog::Rejected);
}

void frmCSFDFind::setBusy(bool on) {
    busy_ += on ? 1 : -1;
    const bool idle = busy_ == 0;
    if (idle && closing_) {
        closing_ = false;
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
    }
    for (QPushButton* b : {Command1, Command2, cmdInsertData, cmdStorno})
        b->setEnabled(idle);
}
