#pragma once
// Announces a newer version: "Stáhnout" opens the upgrade's address, and the
// box chkNenabizet decides whether start-up checks again ("ShowNewVer").
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

class frmNewVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmNewVersion(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* Label1;
    QPushButton* Command1; // "Stáhnout"
    QPushButton* Command2; // "Konec"
    QCheckBox* chkNenabizet;

    // Label1's text: four lines joined by CR LF, the third one empty.
    static QString AnnouncementText();

public slots:
    // Esc does not close the dialog; only "Konec" and the close box do.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void Command1_Click();
    void Command2_Click();
};
