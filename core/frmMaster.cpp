#include "core/frmMaster.h"

#include "core/Main.h"
#include "core/frmAbout.h"
#include "core/frmFindStr.h"
#include "core/mDatabase.h"
#include "core/mFunction.h"
#include "core/modSortLvw.h"
#include "lending/frmKlienti.h"
#include "lending/frmPujcDVD.h"
#include "lending/frmUser.h"
#include "lending/mPujcky.h"
#include "lookup/frmFindObal.h"
#include "lookup/mNewVersion.h"
#include "printing/frmTisknout.h"
#include "records/frmDVD.h"
#include "records/frmOddeleniList.h"
#include "records/frmZanry.h"

#include "controls.h"
#include "err.h"
#include "listview.h"
#include "msgbox.h"
#include "placement.h"
#include "statusbar.h"
#include "twips.h"
#include "vb.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

frmMaster* s_instance = nullptr;

// Fields looked up once for a loop over the rows; a missing one (nullptr)
// fails each row's step as a look-up by name would.
ado::Field* fieldOrNull(ado::Recordset& rs, const char* name) {
    try {
        return &rs.Fields(QLatin1String(name));
    } catch (const vb::RuntimeError&) {
        return nullptr;
    }
}
ado::Variant fieldValue(ado::Recordset& rs, ado::Field* f, const char* name) {
    return f ? f->Value() : rs.Fields(QLatin1String(name)).Value();
}

const QString kOpenLoansSql = QStringLiteral(
    "SELECT tDVD.DVDID, tPujcky.P_UID, tPujcky.P_DVDID, tPujcky.PDatPujcky,tPujcky.PDatVraceni, tUser.USID, "
    "tUser.USNAME FROM tUser INNER JOIN (tDVD INNER JOIN tPujcky ON tDVD.DVDID = tPujcky.P_DVDID) ON "
    "tUser.USID = "
    "tPujcky.P_UID WHERE (((tPujcky.PDatVraceni) Is Null));");

// Design: left edge and the list's top edge in the window's inner area.
constexpr int kListLeft = 50;
constexpr int kListTop = 50;

QString rowKey(const ado::Variant& dvdid) {
    return QStringLiteral("K") + vb::CStr(dvdid);
}

} // namespace

frmMaster::frmMaster(QWidget* parent) : QMainWindow(parent) {
    s_instance = this;
    setObjectName(QStringLiteral("frmMaster"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(TwipsToPixels(15600), TwipsToPixels(9600));

    centralArea = new QWidget(this);
    centralArea->setObjectName(QStringLiteral("centralArea"));
    setCentralWidget(centralArea);
    centralArea->installEventFilter(this);

    lvwList = new ListView(centralArea);
    lvwList->setObjectName(QStringLiteral("lvwList"));
    lvwList->move(TwipsToPixels(kListLeft), TwipsToPixels(kListTop));
    lvwList->AddColumn(QStringLiteral("Ev. číslo"), 1587);
    lvwList->AddColumn(QStringLiteral("CZ Název"), 4410);
    lvwList->AddColumn(QStringLiteral("Žánr"), 2117);
    lvwList->AddColumn(QStringLiteral("Půjčeno Komu"), 2117);
    lvwList->AddColumn(QStringLiteral("Půjčeno kdy"), 2040); // a whole date and time in the Linux fonts
    lvwList->AddColumn(QStringLiteral("Původní název"), 2540);
    lvwList->AddColumn(QStringLiteral("Jazyk"), 2540);
    lvwList->setKeepSelection(true); // the film commands act on the selected row

    sbMain = new StatusBar(this);
    sbMain->setObjectName(QStringLiteral("sbMain"));
    sbMain->AddPanel(sbrDate, 1200);
    sbMain->AddPanel(sbrTime, 800);
    sbMain->AddPanel(sbrCaps, 800);
    sbMain->AddPanel(sbrNum, 800);
    sbMain->AddPanel(sbrText, 2400);
    sbMain->AddPanel(sbrText, 2800);
    setStatusBar(sbMain);

    CreateMenus();
    CreateToolbars();
    connect(lvwList, &ListView::ColumnClick, this, &frmMaster::lvwList_ColumnClick);
    connect(lvwList, &ListView::MouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& pos) {
                lvwList_MouseUp(button, pos);
            });

    PlaceWindow(this); // the designed size where the screen holds it
    Form_Load();
}

frmMaster::~frmMaster() {
    if (s_instance == this) s_instance = nullptr;
}

frmMaster* frmMaster::instance() {
    return s_instance;
}

void frmMaster::Form_Load() {
    setWindowTitle(QStringLiteral("Zorv DVD Merva-lóna ") + VersionText());
    NactiSeznamDVD(QStringLiteral("CZJM"));
    SetColSizeStr();
}

bool frmMaster::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralArea && event->type() == QEvent::Resize) Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

// The list fills the inner area (between the bars) but for 50 twips on
// either side and 10 below; a window too small for it leaves the list as it was.
void frmMaster::Form_Resize() {
    const int top = PixelsToTwips(lvwList->y());
    const int width = PixelsToTwips(centralArea->width()) - 2 * kListLeft;
    const int height = PixelsToTwips(centralArea->height()) - top - 10;
    if (width < 0 || height < 0) return;
    lvwList->setGeometry(TwipsToPixels(kListLeft), lvwList->y(), TwipsToPixels(width), TwipsToPixels(height));
}

void frmMaster::closeEvent(QCloseEvent* event) {
    SaveSett(QStringLiteral("ColSie"), GetColSizeStr());
    event->accept();
}

QString frmMaster::CelkemText() const {
    return sbMain->Panel(5)->Text();
}
QString frmMaster::VypujcenoText() const {
    return sbMain->Panel(6)->Text();
}

void frmMaster::NactiSeznamDVD(const QString& order) {
    ErrState err;
    // A list that cannot be read stays as it was: an empty one would say the films are gone.
    if (!OpenForReading(QStringLiteral("SELECT * from tDVD Order by ") + order,
                        QStringLiteral("Seznam filmů nelze z katalogu načíst.")))
        return;
    lvwList->BeginUpdate();
    lvwList->Clear();

    const long films = DBRecordset.RecordCount();
    if (RecordsetHasRow()) {
        ado::Field* fDVDID = fieldOrNull(DBRecordset, "DVDID");
        ado::Field* fKatCisl = fieldOrNull(DBRecordset, "KatCisl");
        ado::Field* fCZJm = fieldOrNull(DBRecordset, "CZJm");
        ado::Field* fZanr = fieldOrNull(DBRecordset, "Zanr");
        ado::Field* fPuvJm = fieldOrNull(DBRecordset, "PuvJm");
        ado::Field* fJazyk = fieldOrNull(DBRecordset, "Jazyk");

        while (RecordsetHasRow()) {
            if (err.isSet()) {
                lvwList->EndUpdate(); // the rows read so far show behind the box
                MsgBox(QStringLiteral("Došlo k chybě:\n") + err.Description, vb::vbOKOnly,
                       QStringLiteral("Chyba číslo: ") + QString::number(err.Number));
                lvwList->BeginUpdate();
                break;
            }
            ado::Variant katCisl;
            Step(err, [&] { katCisl = fieldValue(DBRecordset, fKatCisl, "KatCisl"); });
            if (!katCisl.isNull()) { // a film without a catalogue number gets no row
                ListItem* itm = nullptr;
                Step(err, [&] {
                    itm = lvwList->Add(rowKey(fieldValue(DBRecordset, fDVDID, "DVDID")), katCisl.toString());
                });
                if (itm) {
                    Step(err, [&] { itm->setSubItem(1, NullToStr(fieldValue(DBRecordset, fCZJm, "CZJm"))); });
                    Step(err, [&] { itm->setSubItem(2, NullToStr(fieldValue(DBRecordset, fZanr, "Zanr"))); });
                    Step(err, [&] { itm->setSubItem(3, QString()); });
                    Step(err, [&] { itm->setSubItem(4, QString()); });
                    Step(err,
                         [&] { itm->setSubItem(5, NullToStr(fieldValue(DBRecordset, fPuvJm, "PuvJm"))); });
                    // A film without a language keeps an empty cell; the fill goes on.
                    Step(err, [&] {
                        const ado::Variant jazyk = fieldValue(DBRecordset, fJazyk, "Jazyk");
                        itm->setSubItem(6, jazyk.isNull() ? QString() : GetJazykText(vb::CLng(jazyk)));
                    });
                }
            }
            if (!MoveNextRow(err)) break;
        }
    }
    sbMain->Panel(5)->setText(QStringLiteral("  Celkem záznamů : ") + QString::number(films) +
                              QStringLiteral("  "));

    Step(err, [] { CloseRecordset(); });
    err.Clear(); // the loans are marked whatever the film pass met
    OznacitPujcene(err);
    lvwList->EndUpdate();
    Step(err, [] { CloseRecordset(); });
    CloseConnection();
}

void frmMaster::OznacitPujcene(ErrState& err) {
    const long loans = OpenRecordset(kOpenLoansSql);
    if (ReadFailed(QStringLiteral("Vypůjčené filmy nelze z katalogu načíst, seznam je neukazuje."))) return;
    ado::Recordset* rs = &DBRecordset;
    err.Clear();
    ado::Field* fDVDID = rs->State() == ado::adStateOpen && !rs->Eof() ? fieldOrNull(*rs, "DVDID") : nullptr;
    ado::Field* fUSNAME = fDVDID ? fieldOrNull(*rs, "USNAME") : nullptr;
    ado::Field* fPDatPujcky = fDVDID ? fieldOrNull(*rs, "PDatPujcky") : nullptr;
    while (rs->State() == ado::adStateOpen && !rs->Eof()) {
        if (err.isSet()) break;
        QString key;
        ListItem* itm = nullptr;
        Step(err, [&] {
            key = rowKey(fieldValue(*rs, fDVDID, "DVDID"));
            itm = lvwList->FindItem(key);
        });
        if (itm) { // a loan of a film without a row marks nothing
            Step(err, [&] { SetItemColor(itm, PujcenoColor); });
            Step(err, [&] { itm->setSubItem(3, NullToStr(fieldValue(*rs, fUSNAME, "USNAME"))); });
            Step(err, [&] { itm->setSubItem(4, NullToStr(fieldValue(*rs, fPDatPujcky, "PDatPujcky"))); });
        }
        if (!Step(err, [&] { rs->MoveNext(); })) break;
    }
    sbMain->Panel(6)->setText(QStringLiteral("  Vypůjčených záznamů : ") + QString::number(loans) +
                              QStringLiteral("  "));
}

void frmMaster::ObnovitZaznam(long DVDID) {
    ErrState err;
    if (!OpenForReading(QStringLiteral("SELECT * from tDVD WHERE DVDID =") + QString::number(DVDID),
                        QStringLiteral("Záznam filmu nelze z katalogu načíst, seznam jej ukazuje tak, jak "
                                       "byl před úpravou.")))
        return;
    if (RecordsetHasRow()) {
        err.Clear();
        // A Null field leaves its cell as it was.
        auto text = [](const char* name) {
            const ado::Variant v = DBRecordset.Fields(QLatin1String(name)).Value();
            if (v.isNull())
                throw vb::RuntimeError(vb::ErrInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
            return v.toString();
        };
        QString key;
        ListItem* itm = nullptr;
        Step(err, [&] {
            key = rowKey(DBRecordset.Fields(QStringLiteral("DVDID")).Value());
            itm = lvwList->Add(key, text("KatCisl"));
        });
        if (!itm && err.Number == 35602) { // already listed: refreshed in place
            err.Clear();
            Step(err, [&] {
                itm = lvwList->Item(key);
                itm->setText(text("KatCisl"));
            });
        }
        if (itm) {
            Step(err, [&] { itm->setSubItem(1, text("CZJm")); });
            Step(err, [&] { itm->setSubItem(2, text("Zanr")); });
            Step(err, [&] { itm->setSubItem(3, QString()); });
            Step(err, [&] { itm->setSubItem(4, QString()); });
            Step(err, [&] { itm->setSubItem(5, text("PuvJm")); });
            Step(err, [&] {
                const ado::Variant jazyk = DBRecordset.Fields(QStringLiteral("Jazyk")).Value();
                itm->setSubItem(6, GetJazykText(vb::CLng(jazyk)));
            });
        }
        Step(err, [&] { SetItemColor(lvwList, key, 0); });
    }
    Step(err, [] { CloseRecordset(); });
    err.Clear();
    OznacitPujcene(err);
    Step(err, [] { CloseRecordset(); });
    CloseConnection();
}

void frmMaster::Recolor() {
    ErrState err;
    lvwList->BeginUpdate();
    for (int i = 1; i <= lvwList->Count(); ++i) {
        ListItem* itm = lvwList->Item(i);
        // Looking the row up by its key would find the row itself; only a
        // row without a key would fail the look-up, and end the pass.
        if (itm->Key().isEmpty()) break;
        if (!Step(err, [&] { SetItemColor(itm, 0); })) break;
    }
    lvwList->EndUpdate();
}

void frmMaster::NajdiZaznam(const QString& mode, const QString& text) {
    const QString needle = vb::UCase(vb::Trim(text));
    for (int i = 1; i <= lvwList->Count(); ++i) {
        ListItem* itm = lvwList->Item(i);
        QString value;
        if (mode == QLatin1String("CZ"))
            value = itm->SubItem(1);
        else if (mode == QLatin1String("PUV"))
            value = itm->SubItem(5);
        else if (mode == QLatin1String("KAT"))
            value = itm->Text();
        if (vb::InStr(vb::UCase(vb::Trim(value)), needle) > 0) {
            itm->setSelected(true);
            itm->EnsureVisible();
            lvwList->setFocus();
            return;
        }
    }
    MsgBox(QStringLiteral("Záznam nenalezen"), vb::vbInformation,
           QStringLiteral("Vyhledávání výrazu: ") + text);
}

void frmMaster::HledatDialog(const QString& mode) {
    auto* prompt = new frmFindStr(this);
    if (mode == QLatin1String("CZ"))
        prompt->setWindowTitle(QStringLiteral("Najít v českém názvu"));
    else if (mode == QLatin1String("PUV"))
        prompt->setWindowTitle(QStringLiteral("Najít v původním názvu"));
    else if (mode == QLatin1String("KAT"))
        prompt->setWindowTitle(QStringLiteral("Najít katalogové číslo"));
    prompt->exec();
    const QString text = frmFindStr::HledanyRetezec;
    delete prompt;
    NajdiZaznam(mode, text);
}

QString frmMaster::GetColSizeStr() {
    QString sizes;
    ErrState err;
    for (int i = 1; i <= lvwList->ColumnCount(); ++i)
        if (!Step(err, [&] { sizes += QString::number(lvwList->Column(i)->Width()) + QLatin1Char('|'); }))
            break;
    return sizes;
}

void frmMaster::SetColSizeStr() {
    const QString stored = GetSett(QStringLiteral("ColSie"), QString());
    if (stored.isEmpty()) return; // the design widths
    const QStringList widths = vb::Split(stored, QStringLiteral("|"));
    ErrState err;
    for (int i = 1; i <= lvwList->ColumnCount(); ++i) {
        const bool ok = Step(err, [&] {
            if (i > widths.size()) throw vb::RuntimeError(9, QStringLiteral("Subscript out of range"));
            lvwList->Column(i)->setWidth(vb::CLng(widths[i - 1]));
        });
        if (!ok) {
            ShowError(QStringLiteral("Chyba :") + err.Description,
                      QStringLiteral("frmMaster/Sub:SetColSizeStr"));
            return;
        }
    }
}

// --- menus and toolbars -------------------------------------------------------

namespace {

QAction* addEntry(QMenu* menu, const QString& caption, const char* name) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

void frmMaster::CreateMenus() {
    QMenu* mnuDatabaze = menuBar()->addMenu(QStringLiteral("Databáze"));
    mnuDatabaze->setObjectName(QStringLiteral("mnuDatabaze"));
    connect(addEntry(mnuDatabaze, QStringLiteral("Obnovit"), "mnuObnovit"), &QAction::triggered, this,
            [this] { NactiSeznamDVD(QStringLiteral("CZJM")); });
    mnuDatabaze->addSeparator();
    QMenu* mnuCiselniky = mnuDatabaze->addMenu(QStringLiteral("Číselníky"));
    mnuCiselniky->setObjectName(QStringLiteral("mnuCiselniky"));
    connect(addEntry(mnuCiselniky, QStringLiteral("Číselník žánrů"), "mnuZanry"), &QAction::triggered, this,
            &frmMaster::mnuZanry_Click);
    connect(addEntry(mnuCiselniky, QStringLiteral("Číselník oddělení"), "mnuOddeleni"), &QAction::triggered,
            this, &frmMaster::mnuOddeleni_Click);
    mnuDatabaze->addSeparator();
    connect(addEntry(mnuDatabaze, QStringLiteral("Konec"), "mnuKonec"), &QAction::triggered, this,
            &QWidget::close);

    QMenu* mnuPujcovna = menuBar()->addMenu(QStringLiteral("Půjčovna"));
    mnuPujcovna->setObjectName(QStringLiteral("mnuPujcovna"));
    connect(addEntry(mnuPujcovna, QStringLiteral("Modul výpůjček"), "mnuVypujcky"), &QAction::triggered, this,
            &frmMaster::mnuVypujcky_Click);
    mnuPujcovna->addSeparator();
    connect(addEntry(mnuPujcovna, QStringLiteral("Přidat uživatele"), "mnuPridatUzivatele"),
            &QAction::triggered, this, &frmMaster::mnuPridatUzivatele_Click);

    QMenu* mnuObaly = menuBar()->addMenu(QStringLiteral("Obaly"));
    mnuObaly->setObjectName(QStringLiteral("mnuObaly"));
    connect(addEntry(mnuObaly, QStringLiteral("Najít obal na internetu"), "mnuNajitObal"),
            &QAction::triggered, this, &frmMaster::mnuNajitObal_Click);

    QMenu* mnuNapoveda = menuBar()->addMenu(QStringLiteral("Nápověda"));
    mnuNapoveda->setObjectName(QStringLiteral("mnuNapoveda"));
    connect(addEntry(mnuNapoveda, QStringLiteral("Obsah"), "mnuObsah"), &QAction::triggered, this,
            [] { ShowHelp(1, QStringLiteral("Main")); });
    mnuNapoveda->addSeparator();
    connect(addEntry(mnuNapoveda, QStringLiteral("Zjistit novou verzi"), "mnuNovaVerze"), &QAction::triggered,
            this, &frmMaster::mnuNovaVerze_Click);
    mnuNapoveda->addSeparator();
    connect(addEntry(mnuNapoveda, QStringLiteral("O programu"), "mnuOProgramu"), &QAction::triggered, this,
            &frmMaster::mnuOProgramu_Click);

    // Never in the menu bar; opened over the list.
    mnuPopUp = new QMenu(this);
    mnuPopUp->setObjectName(QStringLiteral("mnuPopUp"));
    connect(addEntry(mnuPopUp, QStringLiteral("Upravit"), "mnuPopUpravit"), &QAction::triggered, this,
            [this] {
                if (const long id = SelectedDVDID()) OtevritPridatZaznam(id);
            });
    connect(addEntry(mnuPopUp, QStringLiteral("Zapůjčit / Vrátit"), "mnuPopPujcit"), &QAction::triggered,
            this, &frmMaster::PujcitVratit);
    connect(addEntry(mnuPopUp, QStringLiteral("Smazat"), "mnuPopSmazat"), &QAction::triggered, this, [this] {
        if (const long id = SelectedDVDID()) SmazatZaznam(id);
    });
    mnuPopUp->addSeparator();
    connect(addEntry(mnuPopUp, QStringLiteral("Hledat obal"), "mnuPopHledatObal"), &QAction::triggered, this,
            &frmMaster::mnuPopHledatObal_Click);
}

// A toolbar button: an action named and keyed by the button's key, shown with
// its caption beside the icon.
QAction* frmMaster::addButton(QToolBar* bar, const QString& caption, const QString& key,
                              void (frmMaster::*handler)(const QString&)) {
    QAction* action = bar->addAction(caption);
    action->setObjectName(key);
    action->setData(key);
    connect(action, &QAction::triggered, this, [this, handler, key] { (this->*handler)(key); });
    if (QWidget* button = bar->widgetForAction(action)) button->setObjectName(key);
    return action;
}

void frmMaster::CreateToolbars() {
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Toolbar1->setMovable(false);

    QAction* find = addButton(Toolbar1, QStringLiteral("Vyhledat"), QStringLiteral("keyFind"),
                              &frmMaster::Toolbar1_ButtonClick);
    find->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    auto* findMenu = new QMenu(Toolbar1);
    findMenu->setObjectName(QStringLiteral("mnuVyhledat"));
    for (const auto& [caption, key] :
         {std::pair{"V českém názvu", "KeyFindCZ"}, std::pair{"V cizím názvu", "KeyFindPUV"},
          std::pair{"Katalogové číslo", "KeyFindKATNUM"}}) {
        QAction* entry = addEntry(findMenu, QString::fromUtf8(caption), key);
        connect(entry, &QAction::triggered, this,
                [this, k = QString::fromLatin1(key)] { Toolbar1_ButtonClick(k); });
    }
    find->setMenu(findMenu);

    QAction* sort = addButton(Toolbar1, QStringLiteral("Seřadit"), QStringLiteral("SortCZName"),
                              &frmMaster::Toolbar1_ButtonClick);
    sort->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    auto* sortMenu = new QMenu(Toolbar1);
    sortMenu->setObjectName(QStringLiteral("mnuSeradit"));
    for (const auto& [caption, key] : {std::pair{"Podle CZ názvu (default)", "SortCZName"},
                                       std::pair{"Podle Katalogového čísla", "SortKatNum"}}) {
        QAction* entry = addEntry(sortMenu, QString::fromUtf8(caption), key);
        connect(entry, &QAction::triggered, this,
                [this, k = QString::fromLatin1(key)] { Toolbar1_ButtonClick(k); });
    }
    sort->setMenu(sortMenu);

    QAction* print = addButton(Toolbar1, QStringLiteral("Tisknout"), QStringLiteral("keyPrint"),
                               &frmMaster::Toolbar1_ButtonClick);
    print->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    for (QAction* withMenu : {find, sort})
        if (auto* button = qobject_cast<QToolButton*>(Toolbar1->widgetForAction(withMenu)))
            button->setPopupMode(QToolButton::MenuButtonPopup);

    Toolbar2 = addToolBar(QStringLiteral("Toolbar2"));
    Toolbar2->setObjectName(QStringLiteral("Toolbar2"));
    Toolbar2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Toolbar2->setMovable(false);
    QAction* add = addButton(Toolbar2, QStringLiteral("Nový"), QStringLiteral("KeyAddNew"),
                             &frmMaster::Toolbar2_ButtonClick);
    add->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    add->setToolTip(QStringLiteral("Přidat nový disk do seznamu."));
    QAction* edit = addButton(Toolbar2, QStringLiteral("Uprav"), QStringLiteral("KeyEdit"),
                              &frmMaster::Toolbar2_ButtonClick);
    edit->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));

    // The lend button sits on a picture box of its own in the bar area.
    QToolBar* holder = addToolBar(QStringLiteral("Picture1"));
    holder->setMovable(false);
    Picture1 = new QWidget(holder);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    tbDisk = new QToolBar(Picture1);
    tbDisk->setObjectName(QStringLiteral("tbDisk"));
    tbDisk->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* lend = addButton(tbDisk, QStringLiteral("Půjčit / Vrátit"), QStringLiteral("KeyPujcitVratit"),
                              &frmMaster::tbDisk_ButtonClick);
    lend->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    lend->setToolTip(QStringLiteral("Půjčí - vrátí disk"));
    tbDisk->adjustSize();
    Picture1->setFixedSize(tbDisk->sizeHint());
    holder->addWidget(Picture1);
    PlainToolbars(this);
}

void frmMaster::Toolbar1_ButtonClick(const QString& key) {
    if (key == QLatin1String("keyFind") || key == QLatin1String("KeyFindCZ"))
        HledatDialog(QStringLiteral("CZ"));
    else if (key == QLatin1String("KeyFindPUV"))
        HledatDialog(QStringLiteral("PUV"));
    else if (key == QLatin1String("KeyFindKATNUM"))
        HledatDialog(QStringLiteral("KAT"));
    else if (key == QLatin1String("SortCZName"))
        NactiSeznamDVD(QStringLiteral("CZJM"));
    else if (key == QLatin1String("SortKatNum"))
        NactiSeznamDVD(QStringLiteral("KatCisl"));
    else if (key == QLatin1String("keyPrint"))
        mnuTisknout_Click();
}

void frmMaster::Toolbar2_ButtonClick(const QString& key) {
    if (key == QLatin1String("KeyAddNew")) {
        OtevritPridatZaznam(0);
    } else if (key == QLatin1String("KeyEdit")) {
        if (const long id = SelectedDVDID()) OtevritPridatZaznam(id);
    }
}

void frmMaster::tbDisk_ButtonClick(const QString& key) {
    if (key == QLatin1String("KeyPujcitVratit")) PujcitVratit();
}

void frmMaster::lvwList_MouseUp(Qt::MouseButton button, const QPoint& pos) {
    if (button == Qt::RightButton) mnuPopUp->popup(lvwList->mapToGlobal(pos));
}

void frmMaster::lvwList_ColumnClick(int column) {
    short type = SortText;
    if (column == 1)
        type = SortNumbers;
    else if (column == 5)
        type = SortDates;
    SortColumn(lvwList, lvwList->Column(column), type);
    Recolor();
}

void frmMaster::mnuOProgramu_Click() {
    frmAbout about(this);
    about.exec();
}

// Windows of the other subsystems.
void frmMaster::mnuZanry_Click() {
    frmZanry::Open(this);
}
void frmMaster::mnuOddeleni_Click() {
    frmOddeleniList::Open(this);
}
void frmMaster::mnuVypujcky_Click() {
    frmKlienti::Open(this);
}
void frmMaster::mnuPridatUzivatele_Click() {
    frmUser::OpenNew(this);
}
void frmMaster::mnuNajitObal_Click() {
    frmFindObal search(this);
    search.exec();
}

void frmMaster::mnuPopHledatObal_Click() {
    if (!lvwList->SelectedItem()) return;
    frmFindObal search(this);
    search.Text1->setText(vb::Trim(SelectedTitle()));
    search.exec();
}
void frmMaster::mnuNovaVerze_Click() {
    ZjistitNovouVerzi(this);
}
void frmMaster::mnuTisknout_Click() {
    frmTisknout dialog(this);
    dialog.exec();
}

// --- film commands -----------------------------------------------------------

long frmMaster::SelectedDVDID() const {
    ListItem* itm = lvwList->SelectedItem();
    if (!itm) return 0;
    try {
        return vb::CLng(vb::Trim(vb::Mid(itm->Key(), 2)));
    } catch (const vb::RuntimeError&) {
        return 0;
    }
}

QString frmMaster::SelectedTitle() const {
    ListItem* itm = lvwList->SelectedItem();
    return itm ? itm->SubItem(1) : QString();
}

void frmMaster::OtevritPridatZaznam(long DVDID) {
    auto* editor = new frmDVD(this);
    editor->Inicializuj(DVDID);
    editor->exec();
    if (editor->Vysledek == 1 || editor->Zapsano) ObnovitZaznam(editor->ID);
    delete editor;
}

void frmMaster::PujcitVratit() {
    ListItem* itm = lvwList->SelectedItem();
    const long id = SelectedDVDID();
    if (!itm || id == 0) return;
    // The borrower cell decides, not the row's colour (a column sort blackens it).
    if (vb::Trim(itm->SubItem(3)).isEmpty()) {
        // The row is refreshed once the dialog is finished; the window may be gone by then.
        const QPointer<frmMaster> self(this);
        frmPujcDVD::LendAndWait(this, id, itm->SubItem(1));
        if (self) ObnovitZaznam(id);
        return;
    }
    const int answer =
        MsgBox(QStringLiteral("Opravdu vrátit film : \" ") + itm->SubItem(1) + QStringLiteral(" ?"),
               vb::vbYesNo | vb::vbQuestion, QStringLiteral("Ověření"));
    if (answer != vb::vbYes) return;
    vratitFilm(id);
    ObnovitZaznam(id);
}

void frmMaster::vratitFilm(long DVDID) {
    ErrState err;
    OpenConnection();
    OpenRecordset(kOpenLoansSql.chopped(1) + QStringLiteral(" and tDVD.DVDID=") + QString::number(DVDID) +
                  QLatin1Char(';'));
    // A loan table that cannot be read is a return not written, with its reason.
    bool written = Step(err, [] { RequireRecordset(); });
    if (written && RecordsetHasRow()) {
        Step(err, [] { DBRecordset.Fields(QStringLiteral("PDATVRACENI")) = ado::Variant(vb::Now()); });
        written = Step(err, [] { DBRecordset.Update(); });
    }
    Step(err, [] { CloseRecordset(); });
    CloseConnection();
    if (!written) PujckaNezapsana(QStringLiteral("Vrácení se nepodařilo zapsat"), err);
}

void frmMaster::SmazatZaznam(long DVDID) {
    const int answer =
        MsgBox(QStringLiteral("Opravdu vymazat záznam (") + SelectedTitle() + QStringLiteral(")?"),
               vb::vbYesNo | vb::vbInformation, QStringLiteral("Ověření požadavku na smazání."));
    if (answer != vb::vbYes) return;
    ErrState err;
    OpenConnection();
    OpenRecordset(QStringLiteral("SELECT * FROM tDVD WHERE DVDID=") + QString::number(DVDID) +
                  QLatin1Char(';'));
    bool deleted = true;
    if (RecordsetHasRow()) {
        deleted = Step(err, [] { DBRecordset.Delete(); });
        Step(err, [] { DBRecordset.Update(); });
    }
    Step(err, [] { CloseRecordset(); });
    CloseConnection();
    if (!deleted)
        MsgBox(QStringLiteral("Film se nepodařilo z katalogu smazat.\n\n") + err.Description, vb::vbCritical);
    NactiSeznamDVD(QStringLiteral("CZJM"));
}
