#pragma once
// The client editor: adds a client to tUser or changes one. The only writer
// of tUser; clients are never deleted.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmUser : public QDialog {
    Q_OBJECT
public:
    // A fresh editor: lblUSID "0", every box empty.
    explicit frmUser(QWidget* parent = nullptr);

    // A fresh editor for a new client, shown modeless; it deletes itself once closed.
    static frmUser* OpenNew(QWidget* owner);

    // Writes the boxes into the row named by lblUSID (a new row for "0").
    // True when the editor may close: written, or the row to change is gone
    // (said in a box). False when the catalogue could not be written (said in
    // a box); the boxes stay as typed and lblUSID names the row if it exists now.
    bool SaveData();
    // Fills the boxes from the row named by lblUSID; nothing for "0". A read
    // that fails is said, and SaveData then refuses to write over the client.
    void ReadData();
    // Checks name and address; shows the reasons when they fail.
    void Kontrola(bool& ok);

    QLabel* lblUSID;
    QLineEdit* txtUSREGNUM;
    QLineEdit* txtUSNAME;
    QPlainTextEdit* txtUSADR;
    QLineEdit* txtUSPHONE;
    QLineEdit* txtUSMAIL;
    QPlainTextEdit* txtUSPOZN;
    QPushButton* cmdSave;
    QPushButton* cmdStorno;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdSave_Click();
    void cmdStorno_Click();

    // ReadData could not read the client: a save would write the blank form over it.
    bool readFailed_ = false;
};
