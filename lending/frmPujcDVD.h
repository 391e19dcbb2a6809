#pragma once
// The lend dialog: lends one film of the main window's list to a client
// chosen from a drop-down list. It deletes itself once closed.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class frmPujcDVD : public QDialog {
    Q_OBJECT
public:
    explicit frmPujcDVD(QWidget* parent = nullptr);

    // Creates a dialog for the film, shows it modeless over owner and returns
    // once it is finished ("Půjčit" pressed, "Storno", the close box), the
    // events of every window being handled meanwhile. When a dialog for the
    // film is already open it is brought forward and the call returns at once.
    static void LendAndWait(QWidget* owner, long DVDID, const QString& czTitle);

    // Fills Combo1 with the clients in name order and chooses the first.
    void ReadData();
    // The caption "Zapůjčit: " + title; keeps the film id for the loan.
    void Init(qint32 DVDID, const QString& czTitle);
    // Lends the film to the chosen client and closes; with none chosen, or
    // when the catalogue refuses the write, says so and stays open.
    void Zapujcit();

    // True once the dialog is finished; set before "Půjčit" tries to lend.
    bool Hotovo = false;

    QLabel* Label2;
    QComboBox* Combo1;
    QPushButton* Command4; // new client
    QPushButton* Command2; // "Půjčit"
    QPushButton* Command1; // "Storno"

signals:
    // Hotovo has been set.
    void hotovo();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetHotovo();
    void Command4_Click();
    void Command2_Click();
    void Command1_Click();

    qint32 dvdId_ = 0;
    bool clientsRead_ = false; // Combo1 holds the clients the catalogue has
};
