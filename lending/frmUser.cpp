#include "lending/frmUser.h"

#include "core/mDatabase.h"

#include "controls.h"
#include "err.h"
#include "msgbox.h"
#include "twips.h"
#include "vb.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kTextLimit = 50;
constexpr int kRegNumLimit = 10;

const QString kWriteTitle = QStringLiteral("Chyba zápisu uživatele:");

QLabel* label(QWidget* parent, const QString& text, int top) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(TwipsToPixels(120), TwipsToPixels(top + 30), TwipsToPixels(1600), TwipsToPixels(285));
    return l;
}

QLineEdit* lineBox(QWidget* parent, const char* name, int top, int width, int limit) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(TwipsToPixels(1800), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(315));
    LimitLineBox(box, limit);
    return box;
}

QPlainTextEdit* multiLineBox(QWidget* parent, const char* name, int top, int height, int limit) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(TwipsToPixels(1800), TwipsToPixels(top), TwipsToPixels(4000), TwipsToPixels(height));
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    LimitMultiLineBox(box, limit);
    WrapLongWords(box);
    return box;
}

} // namespace

frmUser::frmUser(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmUser"));
    setWindowTitle(QStringLiteral("Uživatel"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);
    setFixedSize(TwipsToPixels(6060), TwipsToPixels(4800));

    // On the screen the personal code comes first; the tab order starts at the name.
    label(this, QStringLiteral("Osobní kód:"), 120);
    txtUSREGNUM = lineBox(this, "txtUSREGNUM", 120, 1800, kRegNumLimit);
    lblUSID = new QLabel(QStringLiteral("0"), this);
    lblUSID->setObjectName(QStringLiteral("lblUSID"));
    lblUSID->setGeometry(TwipsToPixels(3720), TwipsToPixels(150), TwipsToPixels(1200), TwipsToPixels(285));

    label(this, QStringLiteral("Příjmení a jméno:"), 600);
    txtUSNAME = lineBox(this, "txtUSNAME", 600, 4000, kTextLimit);
    label(this, QStringLiteral("Adresa:"), 1035);
    txtUSADR = multiLineBox(this, "txtUSADR", 1035, 840, kTextLimit);
    label(this, QStringLiteral("Telefon:"), 1995);
    txtUSPHONE = lineBox(this, "txtUSPHONE", 1995, 4000, kTextLimit);
    label(this, QStringLiteral("Email:"), 2430);
    txtUSMAIL = lineBox(this, "txtUSMAIL", 2430, 4000, kTextLimit);
    label(this, QStringLiteral("Poznámka:"), 2865);
    txtUSPOZN = multiLineBox(this, "txtUSPOZN", 2865, 840, kTextLimit);

    cmdSave = new QPushButton(QStringLiteral("Uložit"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setGeometry(TwipsToPixels(2880), TwipsToPixels(3960), TwipsToPixels(1380), TwipsToPixels(420));
    cmdStorno = new QPushButton(QStringLiteral("Storno"), this);
    cmdStorno->setObjectName(QStringLiteral("cmdStorno"));
    cmdStorno->setGeometry(TwipsToPixels(4420), TwipsToPixels(3960), TwipsToPixels(1380), TwipsToPixels(420));
    for (QPushButton* b : {cmdSave, cmdStorno}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(cmdSave, &QPushButton::clicked, this, &frmUser::cmdSave_Click);
    connect(cmdStorno, &QPushButton::clicked, this, &frmUser::cmdStorno_Click);

    setTabOrder(txtUSNAME, txtUSADR);
    setTabOrder(txtUSADR, txtUSPHONE);
    setTabOrder(txtUSPHONE, txtUSMAIL);
    setTabOrder(txtUSMAIL, txtUSREGNUM);
    setTabOrder(txtUSREGNUM, txtUSPOZN);
    setTabOrder(txtUSPOZN, cmdSave);
    setTabOrder(cmdSave, cmdStorno);
    txtUSNAME->setFocus();
}

frmUser* frmUser::OpenNew(QWidget* owner) {
    auto* editor = new frmUser(owner);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    // Closing by a button hides the editor; it is not needed after that either.
    connect(editor, &QDialog::finished, editor, &QObject::deleteLater);
    editor->show();
    return editor;
}

void frmUser::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // Esc does not close the editor
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmUser::cmdSave_Click() {
    bool ok = false;
    Kontrola(ok);
    // A refused check keeps the editor open with what was typed, for correction.
    if (!ok) return;
    if (SaveData()) accept();
}

void frmUser::cmdStorno_Click() {
    reject();
}

void frmUser::Kontrola(bool& ok) {
    QString message;
    if (vb::Trim(txtUSNAME->text()).isEmpty()) message = QStringLiteral("Jméno musí být vyplněno!\r\n");
    if (vb::Trim(BoxText(txtUSADR)).isEmpty()) message += QStringLiteral("Adresa musí být vyplněno!\r\n");
    if (!message.isEmpty()) {
        ok = false;
        MsgBox(message, vb::vbInformation, QStringLiteral("Nelze uložit!"));
    } else {
        ok = true;
    }
}

void frmUser::ReadData() {
    ErrState err;
    readFailed_ = false;
    if (lblUSID->text() == QLatin1String("0")) return; // a new client: nothing to read
    // A client that could not be read is not missing: say so, and keep the blank form from being saved over
    // it.
    if (!OpenForReading(QStringLiteral("SELECT * from tUser WHERE USID=") + lblUSID->text(),
                        QStringLiteral("Údaje uživatele se nepodařilo z katalogu načíst, okno je proto "
                                       "neukazuje a nedovolí je uložit."))) {
        readFailed_ = true;
        return;
    }
    if (!RecordsetHasRow()) {
        MsgBox(QStringLiteral("Záznam k úpravě nenalezen!"), vb::vbCritical, kWriteTitle);
    } else {
        auto fill = [&](const char* field, auto&& set) {
            Step(err, [&] {
                const ado::Variant v = DBRecordset.Fields(QLatin1String(field)).Value();
                if (!v.isNull()) set(v.toString());
            });
        };
        fill("USNAME", [&](const QString& s) { SetControlText(txtUSNAME, s); });
        fill("USADR", [&](const QString& s) { SetBoxText(txtUSADR, s); });
        fill("USPHONE", [&](const QString& s) { SetControlText(txtUSPHONE, s); });
        fill("USMAIL", [&](const QString& s) { SetControlText(txtUSMAIL, s); });
        fill("USPOZN", [&](const QString& s) { SetBoxText(txtUSPOZN, s); });
        fill("USREGNUM", [&](const QString& s) { SetControlText(txtUSREGNUM, s); });
        fill("USID", [&](const QString& s) { lblUSID->setText(s); });
    }
    CloseConnection();
}

bool frmUser::SaveData() {
    ErrState err;
    const QString id = lblUSID->text();
    const bool isNew = id == QLatin1String("0");
    if (readFailed_ && !isNew) {
        MsgBox(QStringLiteral("Údaje uživatele se při otevření okna nepodařilo z katalogu načíst. Uložením "
                              "by se přepsaly prázdným formulářem, proto se nic neuložilo.\r\nZavřete okno "
                              "tlačítkem Storno a otevřete uživatele znovu, až bude katalog přístupný."),
               vb::vbCritical, kWriteTitle);
        return false;
    }
    OpenConnection();
    const bool connected = DBConnection.State() == ado::adStateOpen;
    OpenRecordset(QStringLiteral("SELECT * from tUser WHERE USID=") + id, isNew);
    const bool opened = DBRecordset.State() == ado::adStateOpen;

    if (connected && opened && !isNew && !RecordsetHasRow()) {
        MsgBox(QStringLiteral("Záznam k úpravě nenalezen!"), vb::vbCritical, kWriteTitle);
        CloseConnection();
        return true;
    }

    const QString regNum = txtUSREGNUM->text();
    const bool blankRegNum = vb::Trim(regNum).isEmpty();
    bool written = Step(err, [&] {
        RequireRecordset();
        if (isNew && DBRecordset.EditMode() != ado::adEditAdd) throw vb::RuntimeError(ado::adErrProvider, QString());
        DBRecordset(QStringLiteral("USNAME")) = txtUSNAME->text();
        DBRecordset(QStringLiteral("USADR")) = BoxText(txtUSADR);
        DBRecordset(QStringLiteral("USPHONE")) = txtUSPHONE->text();
        DBRecordset(QStringLiteral("USMAIL")) = txtUSMAIL->text();
        DBRecordset(QStringLiteral("USPOZN")) = BoxText(txtUSPOZN);
        if (!blankRegNum) DBRecordset(QStringLiteral("USREGNUM")) = regNum;
        DBRecordset.Update();
    });
    if (written && blankRegNum) {
        // The row exists from here on: a save tried again changes it instead of adding another.
        written = Step(err, [&] {
            lblUSID->setText(vb::CStr(DBRecordset(QStringLiteral("USID")).Value()));
            DBRecordset(QStringLiteral("USREGNUM")) = lblUSID->text();
            DBRecordset.Update();
        });
    }
    CloseConnection();

    if (!written) {
        // The guess only where the layer gave no reason.
        const bool why = !err.Description.isEmpty();
        QString message = why ? QStringLiteral("Uživatele se nepodařilo uložit, katalog nelze zapsat.\r\n")
                              : QStringLiteral("Uživatele se nepodařilo uložit, katalog nelze zapsat "
                                               "(možná je právě otevřen v jiném programu).\r\n");
        message += QStringLiteral("Zadané údaje zůstávají v okně, uložte je prosím znovu později.");
        if (why) message += QStringLiteral("\r\n\r\n") + err.Description;
        MsgBox(message, vb::vbCritical, kWriteTitle);
    }
    return written;
}
