#pragma once
// The splash window shown at start: picture, maker, product, web address and
// version. It closes at the first tick of Timer1 or at a key press.
#include <QDialog>

class QLabel;
class QTimer;

class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* imgLogo;
    QLabel* lblCompany;
    QLabel* lblProductName;
    QLabel* lblWeb;
    QLabel* lblVersion;
    QTimer* Timer1; // 5000 ms; runs from the window's loading

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void Timer1_Timer();
};

// The maker's web address shown on the splash.
extern const QString kMakerWeb;
