#include "core/frmAbout.h"

#include "core/Main.h"

#include "twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("O programu"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);
    setFixedSize(TwipsToPixels(4680), TwipsToPixels(1800));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(TwipsToPixels(120), TwipsToPixels(240), TwipsToPixels(4440), TwipsToPixels(480));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(TwipsToPixels(1800), TwipsToPixels(1080), TwipsToPixels(1080), TwipsToPixels(420));
    cmdOK->setAutoDefault(false);
    cmdOK->setDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    Label1->setText(QStringLiteral("Zorv DVD Merva-lóna ") + QString::number(kVerMajor) + QLatin1Char('.') +
                    QString::number(kVerMinor) + QLatin1Char('.') + QString::number(kVerRevision));
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // only "OK" and the close box close it
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
