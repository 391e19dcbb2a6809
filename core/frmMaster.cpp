#include "core/frmMaster.h"

#include "core/Main.h"
#include "core/frmFindStr.h"
#include "core/mDatabase.h"
#include "core/mFunction.h"

#include "err.h"
#include "listview.h"
#include "msgbox.h"
#include "statusbar.h"
#include "twips.h"
#include "vb.h"

#include <QCloseEvent>
#include <QEvent>

namespace {

frmMaster* s_instance = nullptr;

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

bool recordsetHasRow() {
    return DBRecordset.State() == ado::adStateOpen && !DBRecordset.Eof();
}

// Moves on; false when the recordset cannot (a loop must not spin on one row).
bool moveNext(ErrState& err) {
    return Step(err, [] { DBRecordset.MoveNext(); });
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
    lvwList->AddColumn(QStringLiteral("Půjčeno kdy"), 1764);
    lvwList->AddColumn(QStringLiteral("Původní název"), 2540);
    lvwList->AddColumn(QStringLiteral("Jazyk"), 2540);

    sbMain = new StatusBar(this);
    sbMain->setObjectName(QStringLiteral("sbMain"));
    sbMain->AddPanel(sbrDate, 1200);
    sbMain->AddPanel(sbrTime, 800);
    sbMain->AddPanel(sbrCaps, 800);
    sbMain->AddPanel(sbrNum, 800);
    sbMain->AddPanel(sbrText, 2400);
    sbMain->AddPanel(sbrText, 2800);
    setStatusBar(sbMain);

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
    OpenConnection();
    lvwList->BeginUpdate();
    lvwList->Clear();

    const long films = OpenRecordset(QStringLiteral("SELECT * from tDVD Order by ") + order);
    if (recordsetHasRow()) {
        // The fields are looked up once; a missing one fails each row's step as it would by name.
        auto field = [](const char* name) -> ado::Field* {
            try {
                return &DBRecordset.Fields(QLatin1String(name));
            } catch (const vb::RuntimeError&) {
                return nullptr;
            }
        };
        ado::Field* fDVDID = field("DVDID");
        ado::Field* fKatCisl = field("KatCisl");
        ado::Field* fCZJm = field("CZJm");
        ado::Field* fZanr = field("Zanr");
        ado::Field* fPuvJm = field("PuvJm");
        ado::Field* fJazyk = field("Jazyk");
        auto value = [](ado::Field* f, const char* name) -> ado::Variant {
            return f ? f->Value() : DBRecordset.Fields(QLatin1String(name)).Value();
        };

        while (recordsetHasRow()) {
            if (err.isSet()) {
                lvwList->EndUpdate(); // the rows read so far show behind the box
                MsgBox(QStringLiteral("Došlo k chybě:\n") + err.Description, vb::vbOKOnly,
                       QStringLiteral("Chyba číslo: ") + QString::number(err.Number));
                lvwList->BeginUpdate();
                break;
            }
            ado::Variant katCisl;
            Step(err, [&] { katCisl = value(fKatCisl, "KatCisl"); });
            if (!katCisl.isNull()) { // a film without a catalogue number gets no row
                ListItem* itm = nullptr;
                Step(err, [&] { itm = lvwList->Add(rowKey(value(fDVDID, "DVDID")), katCisl.toString()); });
                if (itm) {
                    Step(err, [&] { itm->setSubItem(1, NullToStr(value(fCZJm, "CZJm"))); });
                    Step(err, [&] { itm->setSubItem(2, NullToStr(value(fZanr, "Zanr"))); });
                    Step(err, [&] { itm->setSubItem(3, QString()); });
                    Step(err, [&] { itm->setSubItem(4, QString()); });
                    Step(err, [&] { itm->setSubItem(5, NullToStr(value(fPuvJm, "PuvJm"))); });
                    // A film without a language keeps an empty cell; the fill goes on.
                    Step(err, [&] {
                        const ado::Variant jazyk = value(fJazyk, "Jazyk");
                        itm->setSubItem(6, jazyk.isNull() ? QString() : GetJazykText(vb::CLng(jazyk)));
                    });
                }
            }
            if (!moveNext(err)) break;
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
    err.Clear();
    while (recordsetHasRow()) {
        if (err.isSet()) break;
        QString key;
        ListItem* itm = nullptr;
        Step(err, [&] {
            key = rowKey(DBRecordset.Fields(QStringLiteral("DVDID")).Value());
            itm = lvwList->FindItem(key);
        });
        if (itm) { // a loan of a film without a row marks nothing
            Step(err, [&] { SetItemColor(lvwList, key, PujcenoColor); });
            Step(err, [&] {
                itm->setSubItem(3, NullToStr(DBRecordset.Fields(QStringLiteral("USNAME")).Value()));
            });
            Step(err, [&] {
                itm->setSubItem(4, NullToStr(DBRecordset.Fields(QStringLiteral("PDatPujcky")).Value()));
            });
        }
        if (!moveNext(err)) break;
    }
    sbMain->Panel(6)->setText(QStringLiteral("  Vypůjčených záznamů : ") + QString::number(loans) +
                              QStringLiteral("  "));
}

void frmMaster::ObnovitZaznam(long DVDID) {
    ErrState err;
    OpenConnection();
    OpenRecordset(QStringLiteral("SELECT * from tDVD WHERE DVDID =") + QString::number(DVDID));
    if (recordsetHasRow()) {
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
    for (int i = 1; i <= lvwList->Count(); ++i)
        if (!Step(err, [&] { SetItemColor(lvwList, lvwList->Item(i)->Key(), 0); })) break;
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
