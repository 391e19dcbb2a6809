#pragma once
// Look-up of a film on the film-database site: search, hit list, and the film
// page cut into the found-value boxes. The film editor creates one window per
// look-up, may pre-fill the search (PredpripravSTR), shows it modal and, when
// VlozitData is true, reads the found values back before deleting it.
#include <QDialog>
#include <QList>
#include <QString>

class ListView;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmCSFDFind : public QDialog {
    Q_OBJECT
public:
    explicit frmCSFDFind(QWidget* parent = nullptr);

    // True only after "Vložit data"; false when cancelled or closed.
    bool VlozitData = false;

    // The editor's Czech title: trimmed into Text1 when it holds anything.
    // No search is started.
    void PredpripravSTR(const QString& czName);

    // --- search
    QLineEdit* Text1;
    QPushButton* Command1; // "Hledej"
    QLabel* Label3;
    ListView* lvwSeznam;   // text: name, sub-item 1: the film's path on the site
    QLabel* Label2;        // hit count, progress of "Načti data"
    QPushButton* Command2; // "Načti data"

    // --- found values (read by the editor after the window closed)
    QGroupBox* frmData;
    QList<QLabel*> lbl; // captions 0-8
    QLineEdit* findCZ;
    QComboBox* findPuvName; // its text: the original title; its list: other titles
    QLineEdit* findZanr;
    QLineEdit* findStat;
    QLineEdit* findRok;
    QLineEdit* findDelka;
    QLineEdit* findRezie;
    QPlainTextEdit* findHerci;
    QPlainTextEdit* findPopis;
    QLabel* picWenImgNahl;    // the poster
    QLineEdit* Text2;         // local path of the poster file
    QCheckBox* chkGetPicture; // ticked: the editor takes the poster as the preview

    QPushButton* cmdInsertData; // "Vložit data"
    QPushButton* cmdStorno;     // "Storno"

    QFrame* picTime; // wait notice
    QList<QLabel*> Label1;
    QLabel* Picture2;

    // Page buffers: 1 the page being cut, 2 a second page.
    QString RichTextBox1;
    QString RichTextBox2;

    // --- operations
    bool DwnFile(const QString& url, const QString& file);
    static QString UpravText(const QString& text);
    void ZpracujDalsiNazvy(const QString& page);
    QString NajdiTextPolozky(const QString& startMarker, const QString& endMarker) const;
    QString NajdiTextPolozky2(const QString& startMarker, const QString& endMarker) const;
    QString NajdiURLPolozky(const QString& marker) const;
    static QString NajdiTextPolozkyString(const QString& text, const QString& startMarker,
                                          const QString& endMarker);
    static QString OdebratTagy(const QString& text);

    // --- handlers
    void Command1_Click();
    void Command2_Click();
    void cmdInsertData_Click();
    void cmdStorno_Click();

    // True while a search or a load runs (the buttons are off meanwhile).
    bool isBusy() const { return busy_ > 0; }

public slots:
    // Esc does not close the window.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Busy;
    void HledejFilm(const QString& text);
    void ZpracujVysledky();
    bool StahniDetail(const QString& url, const QString& fileName);
    void setBusy(bool on);
    void redrawFrame();

    int busy_ = 0;
    bool closing_ = false; // the close box was pressed while busy
};
