#include "lookup/frmNewVersion.h"

#include "core/Main.h"
#include "lookup/mNewVersion.h"

#include "controls.h"
#include "shell.h"
#include "twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

// A disc with an arrow pointing down into it: something new to fetch.
QPixmap downloadPicture(int side) {
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(side / 2.0, side * 0.62);
    const qreal r = side * 0.34;
    QRadialGradient shine(c, r);
    shine.setColorAt(0, QColor(235, 240, 255));
    shine.setColorAt(0.7, QColor(150, 190, 240));
    shine.setColorAt(1, QColor(90, 120, 200));
    p.setPen(QPen(QColor(60, 80, 140), 1.5));
    p.setBrush(shine);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::white);
    p.drawEllipse(c, r * 0.18, r * 0.18);
    QPolygonF arrow;
    const qreal w = side * 0.12;
    arrow << QPointF(c.x() - w / 2, side * 0.04) << QPointF(c.x() + w / 2, side * 0.04)
          << QPointF(c.x() + w / 2, side * 0.30) << QPointF(c.x() + w * 1.3, side * 0.30)
          << QPointF(c.x(), side * 0.48) << QPointF(c.x() - w * 1.3, side * 0.30)
          << QPointF(c.x() - w / 2, side * 0.30);
    p.setPen(QPen(QColor(20, 90, 30), 1.2));
    p.setBrush(QColor(60, 170, 70));
    p.drawPolygon(arrow);
    return pm;
}

} // namespace

frmNewVersion::frmNewVersion(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNewVersion"));
    setWindowTitle(QStringLiteral("Nová verze je k dispozici!"));
    setFixedSize(TwipsToPixels(6900), TwipsToPixels(2700));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(TwipsRect(180, 240, 900, 900));
    Image1->setPixmap(downloadPicture(TwipsToPixels(900)));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(TwipsRect(1260, 180, 5460, 1320));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    chkNenabizet = new QCheckBox(QStringLiteral("Nechci zobrazovat informace o nové verzi."), this);
    chkNenabizet->setObjectName(QStringLiteral("chkNenabizet"));
    chkNenabizet->setGeometry(TwipsRect(1260, 1620, 5460, 300));

    Command1 = MakeButton(this, "Command1", QStringLiteral("Stáhnout"), TwipsRect(3660, 2100, 1440, 375));
    Command2 = MakeButton(this, "Command2", QStringLiteral("Konec"), TwipsRect(5280, 2100, 1440, 375));
    connect(Command1, &QPushButton::clicked, this, &frmNewVersion::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmNewVersion::Command2_Click);

    Form_Load();
}

QString frmNewVersion::AnnouncementText() {
    return QStringLiteral(
        "Na internetu je ke stažení nová verze aplikace.\r\n"
        "Kliknutím na tlačítko \"Stáhnout\" se spustí stažení souboru.\r\n"
        "\r\n"
        "Pokud budete chtít instalaci rovnou spustit musíte nejprve vypnout DVD Mervalónu!");
}

void frmNewVersion::Form_Load() {
    Label1->setText(AnnouncementText());
}

void frmNewVersion::Form_Unload() {
    // Every close writes it, so closing unticked turns the start-up check back on.
    SaveSett(QStringLiteral("ShowNewVer"),
             chkNenabizet->isChecked() ? QStringLiteral("N") : QStringLiteral("A"));
}

void frmNewVersion::Command1_Click() {
    // Whether the desktop could open it is not reported; the dialog stays.
    ShellOpen(UpgradeUrl());
}

void frmNewVersion::Command2_Click() {
    close();
}

void frmNewVersion::reject() {}

void frmNewVersion::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    done(QDialog::Rejected);
}
