#pragma once
// The About box: the program's name and version, and "OK".
#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* Label1;
    QPushButton* cmdOK;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
