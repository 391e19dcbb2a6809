#include "printing/frmTisknout.h"

#include "core/mDatabase.h"
#include "printing/mPrintHTM.h"

#include "controls.h"
#include "doevents.h"
#include "err.h"
#include "msgbox.h"
#include "shell.h"
#include "twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// Design: the four buttons in two rows of two, all of one size.
constexpr int kButtonWidth = 2535;
constexpr int kButtonHeight = 735;
constexpr int kMargin = 120;
constexpr int kGap = 120;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int column, int row) {
    return MakeButton(parent, name, caption,
                      TwipsRect(kMargin + column * (kButtonWidth + kGap),
                                kMargin + row * (kButtonHeight + kGap), kButtonWidth, kButtonHeight));
}

// A printed field: a Null prints as the empty text, so the film is still listed.
QString fieldText(const char* name) {
    return NullToStr(DBRecordset.Fields(QString::fromLatin1(name)).Value());
}

} // namespace

frmTisknout::frmTisknout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTisknout"));
    setWindowTitle(QStringLiteral("Tisk seznamu"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);
    setFixedSize(TwipsToPixels(2 * kMargin + 2 * kButtonWidth + kGap),
                 TwipsToPixels(2 * kMargin + 2 * kButtonHeight + kGap));

    Command1 = makeButton(this, "Command1", QStringLiteral("Jednoduchý seznam abecedně"), 0, 0);
    Command4 = makeButton(this, "Command4", QStringLiteral("Podrobný seznam"), 1, 0);
    Command2 = makeButton(this, "Command2", QStringLiteral("Jednoduchý seznam od nejnovějších"), 0, 1);
    Command3 = makeButton(this, "Command3", QStringLiteral("Jednoduchý seznam kat. číslo"), 1, 1);
    connect(Command1, &QPushButton::clicked, this, &frmTisknout::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmTisknout::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmTisknout::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmTisknout::Command4_Click);
}

QString frmTisknout::GetJazyk(const ado::Variant& Jazyk) const {
    int code = -1;
    if (Jazyk.type() == ado::Variant::Boolean) {
        code = Jazyk.toBool() ? -1 : 0; // True is -1
    } else if (Jazyk.isNumeric()) {
        const double v = Jazyk.toDouble();
        if (v == 0 || v == 1) code = int(v);
    } else if (Jazyk.type() == ado::Variant::String) {
        const QString s = Jazyk.toString();
        if (s == u"0")
            code = 0;
        else if (s == u"1")
            code = 1;
    }
    switch (code) {
    case 0:
        return QStringLiteral("Český dabing");
    case 1:
        return QStringLiteral("Titulky");
    default:
        return QStringLiteral("Neuvedeno");
    }
}

void frmTisknout::Command1_Click() {
    BuildList(QStringLiteral("SELECT * from tDVD ORDER BY CZJM"), false);
}

void frmTisknout::Command2_Click() {
    BuildList(QStringLiteral("SELECT * from tDVD ORDER BY DVDID DESC"), false);
}

void frmTisknout::Command3_Click() {
    BuildList(QStringLiteral("SELECT * from tDVD ORDER BY KatCisl ASC"), false);
}

void frmTisknout::Command4_Click() {
    BuildList(QStringLiteral("SELECT * from tDVD ORDER BY CZJM"), true);
}

void frmTisknout::PrintFilm(bool detailed) {
    const QString jazyk = GetJazyk(DBRecordset.Fields(QStringLiteral("Jazyk")).Value());
    if (!detailed) {
        PrintHTMSeznam(fieldText("CZJm"), fieldText("Zanr"), jazyk, fieldText("KatCisl"));
        return;
    }
    QString picFile;
    const qint64 picId = DBRecordset.Fields(QStringLiteral("Nahled_ID")).Value().toLong(); // Null is 0
    if (picId != 0) picFile = GetPicNahled(qint32(picId));
    PrintHTMPodrobne(fieldText("CZJm"), fieldText("Zanr"), fieldText("Delka"), fieldText("Stat"),
                     fieldText("Rok"), jazyk, fieldText("Obsah"), fieldText("Herci"), fieldText("KatCisl"),
                     picFile);
}

void frmTisknout::BuildList(const QString& sql, bool detailed) {
    // The page text and the shared recordset belong to the running build.
    if (building_) return;
    building_ = true;
    SetButtonsEnabled(false);

    HTMBuf.clear();
    ErrState err;
    const bool read = OpenForReading(sql, QStringLiteral("Seznam filmů nelze z katalogu načíst."));
    while (read && !DBRecordset.Eof()) {
        Step(err, [&] { PrintFilm(detailed); }); // a film that fails is left out, the rest is printed
        DoEvents();
        if (!Step(err, [] { DBRecordset.MoveNext(); })) break;
    }
    if (DBRecordset.State() == ado::adStateOpen) Step(err, [] { CloseRecordset(); });
    CloseConnection();

    // An unread catalogue gives no page: an empty one would pass for an empty catalogue.
    if (read) {
        const QString page =
            (detailed ? htm::kHlavickaPodrobne : htm::kHlavickaSeznam) + HTMBuf + htm::kPaticka;
        // Let go at once: a large catalogue's page runs to hundreds of megabytes,
        // and nothing of it is needed once it is written.
        HTMBuf.clear();
        const QString path = htm::PagePath();
        QString why;
        if (htm::WritePage(path, page, &why))
            ShellOpen(path);
        else
            MsgBox(QStringLiteral("Seznam nelze uložit do souboru %1.\n%2").arg(path, why),
                   vb::vbOKOnly | vb::vbCritical);
    }
    SetButtonsEnabled(true);
    building_ = false;
}

void frmTisknout::SetButtonsEnabled(bool enabled) {
    for (QPushButton* b : {Command1, Command2, Command3, Command4})
        b->setEnabled(enabled);
}

void frmTisknout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // Esc does not close the window
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmTisknout::closeEvent(QCloseEvent* event) {
    if (building_) { // the running build ends first
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
