#include "core/frmFindStr.h"

#include "twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QString frmFindStr::HledanyRetezec;

frmFindStr::frmFindStr(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFindStr"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);
    setFixedSize(TwipsToPixels(4800), TwipsToPixels(1320));

    Label1 = new QLabel(QStringLiteral("Zadejte hledaný řetězec:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(TwipsToPixels(120), TwipsToPixels(120), TwipsToPixels(4500), TwipsToPixels(285));

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(TwipsToPixels(120), TwipsToPixels(480), TwipsToPixels(3120), TwipsToPixels(360));

    cmdVyhledat = new QPushButton(QStringLiteral("Vyhledat"), this);
    cmdVyhledat->setObjectName(QStringLiteral("cmdVyhledat"));
    cmdVyhledat->setGeometry(TwipsToPixels(3360), TwipsToPixels(450), TwipsToPixels(1320),
                             TwipsToPixels(420));
    // Enter in the box presses nothing, as in the original window.
    cmdVyhledat->setAutoDefault(false);
    cmdVyhledat->setDefault(false);
    connect(cmdVyhledat, &QPushButton::clicked, this, &frmFindStr::cmdVyhledat_Click);

    Text1->setFocus();
}

void frmFindStr::cmdVyhledat_Click() {
    HledanyRetezec = Text1->text();
    hide();
}

void frmFindStr::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // Esc does not close the window
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
