#pragma once
// Finds DVD covers on the cover site: lists what a search finds, downloads
// the chosen cover, shows it, saves it as a JPEG file or prints it in
// landscape. The cover is not stored in the catalogue.
#include <QDialog>
#include <QImage>

class ListView;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class frmFindObal : public QDialog {
    Q_OBJECT
public:
    explicit frmFindObal(QWidget* parent);

    QLineEdit* Text1;      // search words; the main window may fill it in
    QPushButton* Command1; // "Hledej"
    QLabel* lblInfo;       // inside the frame "Informace"
    ListView* lvwDVD;
    QPushButton* Command4; // "Načíst"

    QWidget* picNahled; // cover preview
    QLabel* imgNahled;
    QPushButton* Command2; // "Uložit obal jako JPG soubor"
    QPushButton* Command3; // "Vytisknout obal"
    QPushButton* Command5; // "Pokračuj"

    QWidget* picPrinter; // printer choice
    QComboBox* Combo1;
    QPushButton* cmdSelectPrinterPrint; // "Tiskni"

    // The option list of a search page, one row per option.
    void ZpracujZaznamy(const QString& page);
    // One option (its text up to the closing tag) as one row of lvwDVD.
    void ZiskejData(const QString& option);

    // The search address of some words: the words are sent form-encoded in
    // windows-1250, so blanks, "&", "#" and "+" reach the site as typed.
    static QString SearchUrl(const QString& words);
    static QString CoverUrl(const QString& id);
    static QString SearchPagePath(); // data folder + "sezobf.htm"
    static QString CoverPath();      // data folder + "fobl.jpg"

public slots:
    // Esc does not close the window; the close box does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();
    void Command4_Click();
    void Command5_Click();
    void Command2_Click();
    void Command3_Click();
    void cmdSelectPrinterPrint_Click();
    void showCover();

    QImage cover_; // the cover shown; empty until one was loaded here
};
