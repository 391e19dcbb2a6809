#include "records/CodeList.h"

#include "core/mDatabase.h"

#include "controls.h"
#include "err.h"
#include "listview.h"
#include "msgbox.h"
#include "twips.h"
#include "vb.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {

// Editor layout, twips.
constexpr int kEditorWidth = 4320;
constexpr int kEditorHeight = 1380;

// List window layout, twips.
constexpr int kListWidth = 5400;
constexpr int kListHeight = 4200;
constexpr int kMargin = 90;
constexpr int kButtonSize = 375;

bool connectionOpen() {
    return DBConnection.State() == ado::adStateOpen;
}

// A colour the table holds, or the list's own when it holds none that fits.
qint32 rowColor(const ado::Variant& value) {
    if (!vb::IsNumeric(value)) return ListItem::DefaultColor;
    const double v = vb::CDbl(value);
    if (v < 0 || v > 0xFFFFFF) return ListItem::DefaultColor;
    return qint32(v);
}

QIcon editIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // a pencil lying from the lower left to the upper right
    p.setPen(QPen(QColor(200, 150, 0), 3.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5, 11), QPointF(13, 3));
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(2, 14), QPointF(4.5, 11.5));
    p.setPen(QPen(QColor(0, 0, 160), 1));
    p.drawLine(QPointF(2, 15), QPointF(14, 15));
    return QIcon(pm);
}

void noDefault(QPushButton* b) {
    b->setAutoDefault(false);
    b->setDefault(false);
}

} // namespace

// --- the editor ------------------------------------------------------------

CodeListEditor::CodeListEditor(const CodeListKind& kind, QWidget* parent) : QDialog(parent), kind_(kind) {
    setObjectName(kind.editorName);
    setWindowTitle(kind.editorCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);
    setFixedSize(TwipsToPixels(kEditorWidth), TwipsToPixels(kEditorHeight));

    Label1 = new QLabel(QStringLiteral("Název:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(TwipsToPixels(120), TwipsToPixels(150), TwipsToPixels(720), TwipsToPixels(285));

    txtZanr = new QLineEdit(this);
    txtZanr->setObjectName(QStringLiteral("txtZanr"));
    txtZanr->setMaxLength(32767); // the box itself sets no limit of its own
    txtZanr->setGeometry(TwipsToPixels(840), TwipsToPixels(120), TwipsToPixels(3360), TwipsToPixels(330));
    Label1->setBuddy(txtZanr);

    cmdSave = new QPushButton(QStringLiteral("Uložit"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setGeometry(TwipsToPixels(1560), TwipsToPixels(720), TwipsToPixels(1260), TwipsToPixels(420));
    noDefault(cmdSave);
    connect(cmdSave, &QPushButton::clicked, this, &CodeListEditor::cmdSave_Click);

    cmdStorno = new QPushButton(QStringLiteral("Storno"), this);
    cmdStorno->setObjectName(QStringLiteral("cmdStorno"));
    cmdStorno->setGeometry(TwipsToPixels(2940), TwipsToPixels(720), TwipsToPixels(1260), TwipsToPixels(420));
    noDefault(cmdStorno);
    connect(cmdStorno, &QPushButton::clicked, this, &CodeListEditor::cmdStorno_Click);

    txtZanr->setFocus();
}

void CodeListEditor::setBackColor(qint32 color) {
    QPalette pal = txtZanr->palette();
    pal.setColor(QPalette::Base, vb::ColorFromRGB(color));
    txtZanr->setPalette(pal);
}

bool CodeListEditor::Kontrola() {
    if (vb::Len(vb::Trim(txtZanr->text())) > 2) {
        setBackColor(OkColor);
        return true;
    }
    setBackColor(BadColor);
    return false;
}

void CodeListEditor::ReadData() {
    OpenConnection();
    if (!connectionOpen()) return; // the open has shown why
    ErrState err;
    OpenRecordset(kind_.readSql + QString::number(ID));
    Step(err, [this] {
        if (!RecordsetHasRow())
            throw vb::RuntimeError(ado::adErrNoCurrentRecord, QStringLiteral("Záznam už v databázi není."));
        txtZanr->setText(NullToStr(DBRecordset.Fields(kind_.nameField).Value()));
    });
    CloseConnection();
    if (err.isSet())
        MsgBox(QStringLiteral("Záznam se nepodařilo načíst.\n") + err.Description, vb::vbExclamation,
               QStringLiteral("Chyba:"));
}

// Writes the name as typed (blanks kept). A new entry gets its row only here,
// so a cancelled add leaves nothing behind.
bool CodeListEditor::Save() {
    OpenConnection();
    if (!connectionOpen()) return false; // the open has shown why
    ErrState err;
    const bool append = ID == 0;
    OpenRecordset(kind_.saveSql + QString::number(ID), append);
    Step(err, [&] {
        if (DBRecordset.State() != ado::adStateOpen || (append && DBRecordset.EditMode() != ado::adEditAdd)) {
            const QString why = DBFailure().Description; // the reason, where the layer knows it
            throw vb::RuntimeError(vb::ErrGeneric, QStringLiteral("Tabulku nelze otevřít.") +
                                                       (why.isEmpty() ? QString() : QStringLiteral("\n") + why));
        }
        if (!append && !RecordsetHasRow())
            throw vb::RuntimeError(ado::adErrNoCurrentRecord, QStringLiteral("Záznam už v databázi není."));
        DBRecordset.Fields(kind_.nameField) = ado::Variant(txtZanr->text());
        DBRecordset.Update();
    });
    if (err.isSet() && DBRecordset.State() == ado::adStateOpen && DBRecordset.EditMode() != ado::adEditNone) {
        ErrState ignored;
        Step(ignored, [] { DBRecordset.CancelUpdate(); });
    }
    CloseConnection();
    if (err.isSet()) {
        MsgBox(QStringLiteral("Záznam se nepodařilo uložit.\n") + err.Description, vb::vbExclamation,
               QStringLiteral("Chyba:"));
        return false;
    }
    return true;
}

void CodeListEditor::cmdSave_Click() {
    if (!Kontrola()) {
        MsgBox(QStringLiteral("Název musí být vyplněn!"), vb::vbOKOnly, QStringLiteral("Chyba:"));
        return;
    }
    if (Save()) hide(); // a failed save keeps the dialog and its text
}

void CodeListEditor::cmdStorno_Click() {
    hide();
}

void CodeListEditor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // Esc does not close the window
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// --- the list window -------------------------------------------------------

CodeListWindow::CodeListWindow(const CodeListKind& kind, QWidget* owner) : QDialog(owner), kind_(kind) {
    setObjectName(kind.listName);
    setWindowTitle(kind.listCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    resize(TwipsToPixels(kListWidth + 3 * kMargin + kButtonSize), TwipsToPixels(kListHeight + 2 * kMargin));

    lvwZanr = new ListView(this);
    lvwZanr->setObjectName(QStringLiteral("lvwZanr"));
    lvwZanr->AddColumn(QStringLiteral("ID"), 700);
    lvwZanr->AddColumn(kind.nameHeader, 3900);
    lvwZanr->setGridLines(true);

    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setIcon(NewRecordIcon());
    Command1->setIconSize(QSize(16, 16));
    if (!kind.addTip.isEmpty()) Command1->setToolTip(kind.addTip);
    noDefault(Command1);
    connect(Command1, &QPushButton::clicked, this, &CodeListWindow::Command1_Click);

    Command3 = new QPushButton(this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setIcon(editIcon());
    Command3->setIconSize(QSize(16, 16));
    if (!kind.editTip.isEmpty()) Command3->setToolTip(kind.editTip);
    noDefault(Command3);
    connect(Command3, &QPushButton::clicked, this, &CodeListWindow::Command3_Click);

    layOut();
}

void CodeListWindow::Form_Load() {
    Refresh_List();
}

// The list takes the window but for the button column on its right.
void CodeListWindow::layOut() {
    const int m = TwipsToPixels(kMargin);
    const int b = TwipsToPixels(kButtonSize);
    const int listWidth = qMax(b, width() - 3 * m - b);
    const int listHeight = qMax(b, height() - 2 * m);
    lvwZanr->setGeometry(m, m, listWidth, listHeight);
    Command1->setGeometry(2 * m + listWidth, m, b, b);
    Command3->setGeometry(2 * m + listWidth, 2 * m + b, b, b);
}

void CodeListWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
}

void CodeListWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // Esc does not close the window
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CodeListWindow::Refresh_List() {
    lvwZanr->BeginUpdate();
    lvwZanr->Clear();
    bool anyRow = false;
    ErrState err;
    if (OpenForReading(kind_.listSql, QStringLiteral("Seznam se nepodařilo z katalogu načíst."))) {
        while (!err.isSet() && RecordsetHasRow()) {
            Step(err, [&] {
                const ado::Variant id = DBRecordset.Fields(kind_.idField).Value();
                ListItem* itm = lvwZanr->Add(QStringLiteral("Z") + vb::CStr(id), vb::CStr(id));
                anyRow = true;
                itm->setSubItem(1, NullToStr(DBRecordset.Fields(kind_.nameField).Value()));
                if (!kind_.colorField.isEmpty()) {
                    const qint32 color = rowColor(DBRecordset.Fields(kind_.colorField).Value());
                    itm->setForeColor(color);
                    itm->setSubItemForeColor(1, color);
                }
            });
            Step(err, [] { DBRecordset.MoveNext(); });
        }
        CloseConnection();
    }
    if (kind_.editNeedsRows) Command3->setEnabled(anyRow);
    lvwZanr->EndUpdate();
    lvwZanr->Refresh();
    if (err.isSet())
        MsgBox(QStringLiteral("Seznam se nepodařilo načíst celý.\n") + err.Description, vb::vbExclamation,
               QStringLiteral("Chyba:"));
}

void CodeListWindow::Command1_Click() {
    CodeListEditor* editor = NewEditor();
    editor->ID = 0;
    editor->exec();
    delete editor;
    Refresh_List();
}

void CodeListWindow::Command3_Click() {
    ListItem* itm = lvwZanr->SelectedItem();
    if (!itm) return; // nothing to edit
    qint32 id = 0;
    ErrState err;
    if (!Step(err, [&] { id = vb::CLng(vb::Mid(itm->Key(), 2)); })) return;
    CodeListEditor* editor = NewEditor();
    editor->ID = id;
    editor->ReadData();
    editor->exec();
    Refresh_List();
    delete editor;
}
