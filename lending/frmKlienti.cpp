#include "lending/frmKlienti.h"

#include "core/mDatabase.h"
#include "lending/frmUser.h"
#include "lending/mPujcky.h"

#include "controls.h"
#include "err.h"
#include "listview.h"
#include "msgbox.h"
#include "placement.h"
#include "twips.h"
#include "vb.h"

#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace {

QPointer<frmKlienti> s_open;

// The panels lie over the client list here once a toolbar button opened them.
constexpr int kPanelLeft = 205;
constexpr int kPanelTop = 205;

const QString kKeyHistory = QStringLiteral("ShowUserHistory");
const QString kKeyLend = QStringLiteral("keyHpujcka");
const QString kKeyReturn = QStringLiteral("keyHVratit");

QPushButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture,
                           const QRect& geometry) {
    QPushButton* b = MakeButton(parent, name, QString(), geometry);
    b->setIcon(parent->style()->standardIcon(picture));
    return b;
}

QFrame* panel(QWidget* parent, const char* name, int widthTwips, int heightTwips) {
    auto* p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    p->setFrameShape(QFrame::Box);
    p->setAutoFillBackground(true);
    p->setGeometry(TwipsRect(-2 * widthTwips, -2 * heightTwips, widthTwips, heightTwips)); // out of sight
    p->hide();
    return p;
}

// The caption takes the panel's top left, up to the refresh button and down
// to the list: room for two lines.
QLabel* caption(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(TwipsRect(120, 60, 5000, 525));
    l->setTextFormat(Qt::PlainText); // a client's name is never markup
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// The whole pixels a line covers as drawn: its advance with the fraction
// rounded up, or its letters' ink where that reaches further.
int drawnWidth(const QFontMetricsF& fm, const QString& line) {
    return int(std::ceil(std::max(fm.horizontalAdvance(line), fm.boundingRect(line).right())));
}

// The longest start of `text` ("…" marking the cut) that fits `room` between
// `before` and `after`; empty when none does.
QString fitted(const QFontMetricsF& fm, const QString& before, const QString& text, const QString& after,
               int room) {
    for (qreal width = room - fm.horizontalAdvance(before + after); width > 0; width -= 1) {
        const QString shown = fm.elidedText(text, Qt::ElideRight, width);
        if (!shown.isEmpty() && drawnWidth(fm, before + shown + after) <= room) return shown;
    }
    return QString();
}

// A panel's caption: prefix, name and code on one line where it holds them,
// else on two. Only a name that two lines cannot hold is shortened, before
// the code, which tells two clients of one name apart.
QString captionText(const QLabel* label, const QString& prefix, const QString& name, const QString& code) {
    const QFontMetricsF fm(label->font());
    const QRect room = label->contentsRect();
    const QString whole = prefix + name + code;
    if (drawnWidth(fm, whole) <= room.width()) return whole;

    const QString head = prefix.trimmed();
    if (2 * fm.lineSpacing() <= room.height() && drawnWidth(fm, head) <= room.width()) {
        // The second line starts with the name, or else after the last blank
        // (which the break replaces) or hyphen of the name that lets the
        // first line fit.
        QString first = head;
        qsizetype rest = 0;
        if (drawnWidth(fm, name + code) > room.width()) {
            for (qsizetype at = name.size() - 1; at > 0; --at) {
                const bool blank = name[at] == u' ';
                if (!blank && name[at - 1] != u'-') continue;
                if (drawnWidth(fm, prefix + name.left(at)) > room.width()) continue;
                first = prefix + name.left(at);
                rest = blank ? at + 1 : at;
                break;
            }
        }
        const QString shown = fitted(fm, QString(), name.mid(rest), code, room.width());
        if (!shown.isEmpty()) return first + u'\n' + shown + code;
    }
    const QString shown = fitted(fm, prefix, name, code, room.width());
    return shown.isEmpty() ? fitted(fm, QString(), whole, QString(), room.width()) : prefix + shown + code;
}

QListWidget* filmList(QWidget* parent, const char* name) {
    auto* l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(TwipsRect(120, 600, 6060, 2760));
    l->setSelectionMode(QAbstractItemView::MultiSelection);
    // One line of text each: measuring every title of a large catalogue to lay
    // the list out took longer than reading the films.
    l->setUniformItemSizes(true);
    ShowShortTexts(l);
    return l;
}

} // namespace

frmKlienti* frmKlienti::Open(QWidget* owner) {
    if (!s_open) {
        s_open = new frmKlienti(owner);
        s_open->setAttribute(Qt::WA_DeleteOnClose);
        PlaceWindow(s_open, owner);
    }
    BringForward(s_open);
    return s_open;
}

frmKlienti* frmKlienti::instance() {
    return s_open;
}

frmKlienti::frmKlienti(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmKlienti"));
    setWindowTitle(QStringLiteral("Půjčovna"));

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addToolBar(Qt::TopToolBarArea, Toolbar1);
    struct ToolbarEntry {
        QString key;
        QString text;
        QStyle::StandardPixmap picture;
    };
    // The captions are padded with blanks, which widens the buttons.
    const ToolbarEntry entries[] = {
        {kKeyHistory, QStringLiteral("Historie   "), QStyle::SP_FileDialogDetailedView},
        {kKeyLend, QStringLiteral("Půjčit      "), QStyle::SP_ArrowRight},
        {kKeyReturn, QStringLiteral("Vrátit      "), QStyle::SP_ArrowLeft},
    };
    for (const ToolbarEntry& e : entries) {
        QAction* a = Toolbar1->addAction(style()->standardIcon(e.picture), e.text);
        a->setObjectName(e.key);
        a->setData(e.key);
        connect(a, &QAction::triggered, this, [this, key = e.key] { Toolbar1_ButtonClick(key); });
    }

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("centralArea"));
    area->setFixedSize(TwipsToPixels(6710), TwipsToPixels(4400));
    setCentralWidget(area);

    lvwUsers = new ListView(area);
    lvwUsers->setObjectName(QStringLiteral("lvwUsers"));
    lvwUsers->setGeometry(TwipsRect(120, 120, 6470, 2700));
    // Wide enough for a personal code of 10 characters.
    lvwUsers->AddColumn(QStringLiteral("Reg.č."), 1400);
    lvwUsers->AddColumn(QStringLiteral("Jméno"), 2400);
    lvwUsers->AddColumn(QStringLiteral("Adresa"), 2600);
    lvwUsers->setKeepSelection(true); // the panels act on the selected client

    fraFind = new QGroupBox(QStringLiteral("Vyhledat"), area);
    fraFind->setObjectName(QStringLiteral("fraFind"));
    fraFind->setGeometry(TwipsRect(120, 2940, 3600, 1300));
    txtFindUser = new QLineEdit(fraFind);
    txtFindUser->setObjectName(QStringLiteral("txtFindUser"));
    txtFindUser->setGeometry(TwipsRect(150, 500, 2600, 360));
    Command4 =
        pictureButton(fraFind, "Command4", QStyle::SP_FileDialogContentsView, TwipsRect(2900, 440, 520, 480));
    connect(Command4, &QPushButton::clicked, this, &frmKlienti::Command4_Click);

    fraEdit = new QGroupBox(QStringLiteral("Přidat / Upravit"), area);
    fraEdit->setObjectName(QStringLiteral("fraEdit"));
    fraEdit->setGeometry(TwipsRect(3840, 2940, 2750, 1300));
    Command1 = MakeButton(fraEdit, "Command1", QString(), TwipsRect(300, 440, 900, 600));
    Command1->setIcon(NewRecordIcon());
    Command3 =
        pictureButton(fraEdit, "Command3", QStyle::SP_FileDialogInfoView, TwipsRect(1500, 440, 900, 600));
    connect(Command1, &QPushButton::clicked, this, &frmKlienti::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmKlienti::Command3_Click);

    // Created lowest first: free films, history, lent films on top.
    picVypujcit = panel(area, "picVypujcit", 6300, 4005);
    lblKZapujceni = caption(picVypujcit, "lblKZapujceni");
    lstPujcit = filmList(picVypujcit, "lstPujcit");
    Command8 = MakeButton(picVypujcit, "Command8", QStringLiteral("Zapůjčit vybrané"),
                          TwipsRect(120, 3460, 2200, 420));
    Command7 =
        MakeButton(picVypujcit, "Command7", QStringLiteral("Storno"), TwipsRect(2440, 3460, 1300, 420));
    Command13 =
        pictureButton(picVypujcit, "Command13", QStyle::SP_BrowserReload, TwipsRect(5220, 90, 420, 420));
    Command14 =
        pictureButton(picVypujcit, "Command14", QStyle::SP_DialogCloseButton, TwipsRect(5760, 90, 420, 420));
    connect(Command8, &QPushButton::clicked, this, &frmKlienti::Command8_Click);
    connect(Command7, &QPushButton::clicked, picVypujcit, &QWidget::hide);
    connect(Command13, &QPushButton::clicked, this, &frmKlienti::KVypujceni_Obnovit);
    connect(Command14, &QPushButton::clicked, picVypujcit, &QWidget::hide);

    picHistorie = panel(area, "picHistorie", 6255, 3975);
    QPalette grey = picHistorie->palette();
    grey.setColor(QPalette::Window, vb::ColorFromRGB(vb::RGB(224, 224, 224)));
    picHistorie->setPalette(grey);
    lblHist = caption(picHistorie, "lblHist");
    txtHistorie = new QPlainTextEdit(picHistorie);
    txtHistorie->setObjectName(QStringLiteral("txtHistorie"));
    txtHistorie->setGeometry(TwipsRect(120, 600, 6015, 3240));
    txtHistorie->setReadOnly(true);
    txtHistorie->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHistorie->setPalette(QPalette()); // the text area keeps the usual colours
    WrapLongWords(txtHistorie);
    Command12 =
        pictureButton(picHistorie, "Command12", QStyle::SP_BrowserReload, TwipsRect(5175, 90, 420, 420));
    Command11 =
        pictureButton(picHistorie, "Command11", QStyle::SP_DialogCloseButton, TwipsRect(5715, 90, 420, 420));
    connect(Command12, &QPushButton::clicked, this, &frmKlienti::Historie_Obnovit);
    connect(Command11, &QPushButton::clicked, picHistorie, &QWidget::hide);

    picVratit = panel(area, "picVratit", 6300, 4005);
    lblVratit = caption(picVratit, "lblVratit");
    lstVratit = filmList(picVratit, "lstVratit");
    Command9 =
        MakeButton(picVratit, "Command9", QStringLiteral("Vrátit vybrané"), TwipsRect(120, 3460, 2200, 420));
    Command10 =
        MakeButton(picVratit, "Command10", QStringLiteral("Storno"), TwipsRect(2440, 3460, 1300, 420));
    Command6 = pictureButton(picVratit, "Command6", QStyle::SP_BrowserReload, TwipsRect(5220, 90, 420, 420));
    Command5 =
        pictureButton(picVratit, "Command5", QStyle::SP_DialogCloseButton, TwipsRect(5760, 90, 420, 420));
    connect(Command9, &QPushButton::clicked, this, &frmKlienti::Command9_Click);
    connect(Command10, &QPushButton::clicked, picVratit, &QWidget::hide);
    connect(Command6, &QPushButton::clicked, this, &frmKlienti::Vratit_Obnovit);
    connect(Command5, &QPushButton::clicked, picVratit, &QWidget::hide);

    picVypujcit->raise();
    picHistorie->raise();
    picVratit->raise();

    PlainToolbars(this);
    NactiList();
}

frmKlienti::~frmKlienti() = default;

QAction* frmKlienti::ToolbarButton(const QString& key) const {
    for (QAction* a : Toolbar1->actions())
        if (a->data().toString() == key) return a;
    return nullptr;
}

void frmKlienti::NactiList() {
    ErrState err;
    // A list that cannot be read stays as it was: an empty one would say there are no clients.
    if (!OpenForReading(QStringLiteral("SELECT * from tUser order by USNAME"),
                        QStringLiteral("Seznam uživatelů se nepodařilo z katalogu načíst.")))
        return;
    lvwUsers->BeginUpdate();
    Step(err, [&] { lvwUsers->Clear(); });
    while (RecordsetHasRow()) {
        ListItem* itm = nullptr;
        Step(err, [&] {
            itm = lvwUsers->Add(QStringLiteral("U") + vb::CStr(DBRecordset(QStringLiteral("USID")).Value()),
                                NullToStr(DBRecordset(QStringLiteral("USREGNUM")).Value()));
        });
        if (itm) {
            Step(err, [&] { itm->setSubItem(1, NullToStr(DBRecordset(QStringLiteral("USNAME")).Value())); });
            Step(err, [&] {
                itm->setSubItem(2, vb::Replace(NullToStr(DBRecordset(QStringLiteral("USADR")).Value()),
                                               QStringLiteral("\r\n"), QStringLiteral(", ")));
            });
        }
        if (!MoveNextRow(err)) break;
    }
    CloseConnection();
    lvwUsers->EndUpdate();
}

void frmKlienti::Command4_Click() {
    const QString needle = vb::Trim(vb::UCase(txtFindUser->text()));
    const bool byCode = vb::IsNumeric(ado::Variant(needle));
    for (int i = 1; i <= lvwUsers->Count(); ++i) {
        ListItem* itm = lvwUsers->Item(i);
        const QString cell = vb::Trim(vb::UCase(byCode ? itm->Text() : itm->SubItem(1)));
        if (cell.contains(needle)) {
            itm->setSelected(true);
            itm->EnsureVisible();
            return;
        }
    }
}

void frmKlienti::Command1_Click() {
    auto* editor = new frmUser(this);
    editor->exec();
    delete editor;
    NactiList();
}

void frmKlienti::Command3_Click() {
    ListItem* itm = lvwUsers->SelectedItem();
    if (!itm) return; // no client to edit
    auto* editor = new frmUser(this);
    editor->lblUSID->setText(vb::Trim(vb::Mid(itm->Key(), 2)));
    editor->ReadData();
    editor->exec();
    delete editor;
    NactiList();
}

void frmKlienti::MovePanel(QFrame* panel) {
    panel->move(TwipsToPixels(kPanelLeft), TwipsToPixels(kPanelTop));
}

void frmKlienti::Toolbar1_ButtonClick(const QString& key) {
    if (key == kKeyHistory) {
        MovePanel(picHistorie);
        Historie_Obnovit();
    } else if (key == kKeyLend) {
        MovePanel(picVypujcit);
        KVypujceni_Obnovit();
    } else if (key == kKeyReturn) {
        MovePanel(picVratit);
        Vratit_Obnovit();
    }
}

qint32 frmKlienti::ClientId() const {
    ListItem* itm = lvwUsers->SelectedItem();
    return itm ? vb::CLng(vb::Trim(vb::Mid(itm->Key(), 2))) : 0;
}

bool frmKlienti::CaptionForClient(QLabel* label, const QString& prefix) {
    ListItem* itm = lvwUsers->SelectedItem();
    if (!itm) {
        MsgBox(QStringLiteral("Neexistuje osoba pro zapůjčení!"), vb::vbInformation,
               QStringLiteral("Nepovolená operace:"));
        return false;
    }
    label->setText(captionText(label, prefix, ShownText(itm->SubItem(1)),
                               QStringLiteral(" (") + itm->Text() + QStringLiteral(")")));
    return true;
}

bool frmKlienti::FillFilms(QListWidget* list, const QString& sql) {
    ErrState err;
    list->clear();
    if (!OpenForReading(sql, QStringLiteral("Seznam filmů se nepodařilo z katalogu načíst."))) return false;
    QStringList titles;
    QList<qint32> ids;
    while (RecordsetHasRow()) {
        Step(err, [&] {
            const QString title = NullToStr(DBRecordset(QStringLiteral("CZJm")).Value());
            ids << vb::CLng(DBRecordset(QStringLiteral("DVDID")).Value());
            titles << title;
        });
        if (!MoveNextRow(err)) break;
    }
    CloseConnection();
    // All entries in one go: added one at a time, each made the view lay out anew.
    list->addItems(titles);
    for (int i = 0; i < ids.size(); ++i)
        list->item(i)->setData(Qt::UserRole, ids[i]);
    return true;
}

void frmKlienti::KVypujceni_Obnovit() {
    if (!CaptionForClient(lblKZapujceni, QStringLiteral("Volné filmy k zapůjčení : "))) return;
    lendClient_ = ClientId();
    const bool filled = FillFilms(
        lstPujcit,
        QStringLiteral("SELECT tDVD.DVDID, tDVD.CZJm FROM tDVD  where  NOT EXISTS ( SELECT  *  FROM tPujcky  "
                       "WHERE  p_dvdid =DVDID ) or  NOT EXISTS ( SELECT  *  FROM tPujcky  WHERE  p_dvdid "
                       "=DVDID and pdatvraceni is null) ORDER BY CZJM;"));
    picVypujcit->setVisible(filled); // an unread panel would say there is nothing
}

void frmKlienti::Vratit_Obnovit() {
    if (!CaptionForClient(lblVratit, QStringLiteral("Vypůjčené filmy k vrácení: "))) return;
    returnClient_ = ClientId();
    const bool filled = FillFilms(
        lstVratit,
        QStringLiteral(
            "SELECT tDVD.DVDID, tDVD.CZJm FROM tDVD  where  EXISTS ( SELECT  *  FROM tPujcky  WHERE "
            " p_dvdid =DVDID and pdatvraceni is null and P_UID=") +
            QString::number(ClientId()) + QStringLiteral(") ORDER BY CZJM;"));
    picVratit->setVisible(filled);
}

void frmKlienti::Historie_Obnovit() {
    if (!CaptionForClient(lblHist, QStringLiteral("Historie výpůjček : "))) return;
    ErrState err;
    txtHistorie->clear();
    QString text;
    const bool filled = OpenForReading(
        QStringLiteral("SELECT tDVD.CZJm, tPujcky.PDatPujcky, tPujcky.PDatVraceni, tUser.USID FROM tUser "
                       "INNER JOIN (tDVD INNER JOIN tPujcky ON tDVD.DVDID = tPujcky.P_DVDID) ON tUser.USID = "
                       "tPujcky.P_UID Where (((tPujcky.PDatVraceni) Is Not Null) And ((tUser.USID) = ") +
            QString::number(ClientId()) + QStringLiteral(")) ORDER BY tPujcky.PDatVraceni DESC;"),
        QStringLiteral("Historii výpůjček se nepodařilo z katalogu načíst."));
    while (filled && RecordsetHasRow()) {
        Step(err, [&] {
            text += NullToStr(DBRecordset(QStringLiteral("CZJm")).Value()) + QStringLiteral(" vráceno : ") +
                    vb::DateToText(DBRecordset(QStringLiteral("PDatVraceni")).Value().toDateTime()) +
                    QStringLiteral("\r\n");
        });
        if (!MoveNextRow(err)) break;
    }
    CloseConnection();
    SetBoxText(txtHistorie, text);
    picHistorie->setVisible(filled);
}

bool frmKlienti::PujcDVD(qint32 clientId, qint32 filmId) {
    return ZapsatPujcku(clientId, filmId);
}

bool frmKlienti::VratDVD(qint32 clientId, qint32 filmId) {
    Q_UNUSED(clientId); // the film's open loan is closed whoever holds it
    return ZapsatVraceni(filmId);
}

// The films go to the client the panel was filled for and names in its
// caption, whatever the list under the panel has selected since. A refused
// write stops the run: the rest is not tried and the panel shows the state now.
void frmKlienti::BulkWrite(QListWidget* list, qint32 client, bool (frmKlienti::*write)(qint32, qint32),
                           void (frmKlienti::*refill)(), QFrame* panel) {
    if (client == 0) {
        MsgBox(QStringLiteral("Neexistuje osoba pro zapůjčení!"), vb::vbInformation,
               QStringLiteral("Nepovolená operace:"));
        return;
    }
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* entry = list->item(i);
        if (!entry->isSelected()) continue;
        if (!(this->*write)(client, entry->data(Qt::UserRole).toInt())) {
            (this->*refill)();
            return;
        }
    }
    panel->hide();
}

void frmKlienti::Command8_Click() {
    BulkWrite(lstPujcit, lendClient_, &frmKlienti::PujcDVD, &frmKlienti::KVypujceni_Obnovit, picVypujcit);
}

void frmKlienti::Command9_Click() {
    BulkWrite(lstVratit, returnClient_, &frmKlienti::VratDVD, &frmKlienti::Vratit_Obnovit, picVratit);
}
