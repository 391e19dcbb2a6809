#include "lending/frmPujcDVD.h"

#include "core/mDatabase.h"
#include "lending/frmUser.h"
#include "lending/mPujcky.h"

#include "controls.h"
#include "err.h"
#include "msgbox.h"
#include "twips.h"
#include "vb.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

frmPujcDVD::frmPujcDVD(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPujcDVD"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);
    setFixedSize(TwipsToPixels(4800), TwipsToPixels(1900));

    Label2 = new QLabel(QStringLiteral("Komu zapůjčit:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(TwipsRect(120, 150, 3000, 285));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(TwipsRect(120, 480, 3900, 360));
    Command4 = MakeButton(this, "Command4", QString(), TwipsRect(4140, 450, 480, 420));
    Command4->setIcon(NewRecordIcon());
    Command2 = MakeButton(this, "Command2", QStringLiteral("Půjčit"), TwipsRect(1860, 1200, 1300, 420));
    Command1 = MakeButton(this, "Command1", QStringLiteral("Storno"), TwipsRect(3320, 1200, 1300, 420));
    connect(Command4, &QPushButton::clicked, this, &frmPujcDVD::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &frmPujcDVD::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmPujcDVD::Command1_Click);

    ReadData();
    Hotovo = false;
}

void frmPujcDVD::LendAndWait(QWidget* owner, long DVDID, const QString& czTitle) {
    // The owner stays usable while a dialog waits: a second request for the same
    // film brings that dialog forward instead of offering the film twice.
    if (owner) {
        for (frmPujcDVD* open : owner->findChildren<frmPujcDVD*>(Qt::FindDirectChildrenOnly)) {
            if (open->dvdId_ == qint32(DVDID) && open->isVisible()) {
                BringForward(open);
                return;
            }
        }
    }
    QPointer<frmPujcDVD> dialog = new frmPujcDVD(owner);
    dialog->Init(qint32(DVDID), czTitle);
    QEventLoop wait;
    connect(dialog, &frmPujcDVD::hotovo, &wait, &QEventLoop::quit);
    connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
    dialog->show();
    if (dialog && !dialog->Hotovo) wait.exec();
}

void frmPujcDVD::ReadData() {
    ErrState err;
    Combo1->clear();
    clientsRead_ = OpenForReading(QStringLiteral("SELECT * from tUser ORDER BY USNAME"),
                                  QStringLiteral("Seznam uživatelů se nepodařilo z katalogu načíst."));
    if (!clientsRead_) return;
    while (RecordsetHasRow()) {
        Step(err, [&] {
            Combo1->addItem(NullToStr(DBRecordset(QStringLiteral("USNAME")).Value()),
                            vb::CLng(DBRecordset(QStringLiteral("USID")).Value()));
            Combo1->setCurrentIndex(0);
        });
        if (!Step(err, [] { DBRecordset.MoveNext(); })) break;
    }
    Step(err, [] { CloseRecordset(); });
    CloseConnection();
}

void frmPujcDVD::Init(qint32 DVDID, const QString& czTitle) {
    setWindowTitle(QStringLiteral("Zapůjčit: ") + ShownText(czTitle));
    dvdId_ = DVDID;
}

void frmPujcDVD::Zapujcit() {
    if (!clientsRead_) { // not "no client": that would invite adding one twice
        MsgBox(QStringLiteral("Není možné zapůjčit, seznam uživatelů se nepodařilo z katalogu načíst. "
                              "Zkuste to znovu, až bude katalog přístupný."),
               vb::vbCritical, QStringLiteral("Půjčovna"));
        return;
    }
    if (Combo1->currentIndex() < 0) {
        MsgBox(QStringLiteral("Není možné zapůjčit, neexistuje uživatel, je nutné ho nejprve vytvořit!"),
               vb::vbCritical, QStringLiteral("Půjčovna"));
        return;
    }
    // A refused write is said in a box; the dialog stays for another try.
    if (ZapsatPujcku(Combo1->currentData().toInt(), dvdId_)) close();
}

void frmPujcDVD::SetHotovo() {
    Hotovo = true;
    emit hotovo();
}

void frmPujcDVD::Command4_Click() {
    auto* editor = new frmUser(this);
    editor->exec();
    delete editor;
    ReadData();
}

void frmPujcDVD::Command2_Click() {
    SetHotovo();
    Zapujcit();
}

void frmPujcDVD::Command1_Click() {
    SetHotovo();
    close();
}

void frmPujcDVD::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // Esc does not close the dialog
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmPujcDVD::closeEvent(QCloseEvent* event) {
    SetHotovo();
    QDialog::closeEvent(event);
}
