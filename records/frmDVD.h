#pragma once
// The film editor: one row of tDVD on four pages, the genre picker, the
// department combo and the cover and preview pictures. Modal; the caller
// reads Vysledek (and ID after a save) and deletes the window.
#include <QDialog>
#include <QList>
#include <QRect>
#include <QString>

#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTemporaryDir;

// A tab strip whose pages are not its children: the owner moves the page of
// the selected tab onto the client area (the framed part under the tabs).
class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);
    void AddTab(const QString& caption);
    QTabBar* Tabs() const { return bar_; }
    int SelectedIndex() const; // 1-based, 0 when there is no tab
    void setSelectedIndex(int index);
    // The client area in the parent's coordinates.
    QRect ClientArea() const;

signals:
    void Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutParts();
    QTabBar* bar_;
    QFrame* pane_;
};

class frmDVD : public QDialog {
    Q_OBJECT
public:
    // Loads the window: first page, genre list, department combo, a new film.
    explicit frmDVD(QWidget* parent = nullptr);
    ~frmDVD() override;

    // Prepares the window for the film with this DVDID (0: a new film).
    void Inicializuj(long id);
    // Fill the genre pick list and the department combo from the catalogue.
    void Refresh_ZanrLST();
    void Refresh_OddelCBO();

    // DVDID of the film (0: new); after a save the saved film's DVDID.
    long ID = 0;
    // 0 open or closed by the close box, 1 saved, 2 cancelled.
    int Vysledek = 0;
    // A save wrote into the catalogue, even when it then failed: the caller
    // shows the film's row as the catalogue holds it, whatever Vysledek says.
    bool Zapsano = false;

    // --- head
    QLineEdit* txtKatalog;
    QLineEdit* txtCZName;
    QPushButton* cmdFindNet; // web look-ups
    QPushButton* Command4;
    TabStrip* tabMain;
    QList<QWidget*> picTab; // pages 0-3, placed by ZobrazTab

    // --- page 0 "Film základní informace"
    QLineEdit* txtPuvName;
    QLineEdit* txtZanr;
    QPushButton* Command1; // opens the genre picker
    QLineEdit* txtDisk;
    QPlainTextEdit* txtPopis;
    QGroupBox* fraJazyk;
    QList<QRadioButton*> optJazyk; // 0 český zvuk, 1 české titulky, 2 neuvedeno
    QFrame* picZanr;               // the genre picker panel
    QListWidget* lstZanr;
    QPushButton* Command2; // take the chosen genres
    QPushButton* Command3; // close the picker

    // --- page 1 "Další informace"
    QLineEdit* txtStat;
    QLineEdit* txtRok;
    QLineEdit* txtRezie;
    QLineEdit* txtDelka;
    QComboBox* cboOddel;
    QPlainTextEdit* txtHerci;
    QPlainTextEdit* txtPozn;

    // --- page 2 "Menu / Zvuk / Titulky"
    QGroupBox* fraMenu;
    QGroupBox* fraSound;
    QGroupBox* fraTitle;
    QList<QCheckBox*> chkMenu;  // 0-4
    QList<QCheckBox*> chkSound; // 0-8
    QList<QCheckBox*> chkTitle; // 0-6

    // --- page 3 "Obal"
    QList<QLabel*> imgObalDesk; // 0 cover, 1 preview
    QPushButton* cmdOpenObalPic;
    QPushButton* cmdSaveObal;
    QPushButton* cmdOpenNahledPic;
    QPushButton* cmdSaveNahled;
    QLabel* lblObal; // path of the film's cover file, "" for none (hidden)
    QLabel* lblNahled;

    QPushButton* cmdSave;
    QPushButton* cmdStorno;

    // --- handlers
    void cmdSave_Click();
    void cmdStorno_Click();
    void tabMain_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void cmdOpenObalPic_Click();
    void cmdOpenNahledPic_Click();
    void cmdSaveObal_Click();
    void cmdSaveNahled_Click();
    void cmdFindNet_Click(); // e-shop look-up
    void Command4_Click();   // film-database look-up

    // A country for the 24-character box: "Spojené království" as "Eng" and
    // then cut to 23 characters, when longer than 24.
    static QString ZkratitStat(const QString& stat);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildHead();
    void buildPage0(QWidget* page);
    void buildPage1(QWidget* page);
    void buildPage2(QWidget* page);
    void buildPage3(QWidget* page);
    void Form_Load();

    void ZobrazTab();
    void VymazFormular();
    QString ChkToStr(const QList<QCheckBox*>& group, int last) const;
    void StrToChk(const QList<QCheckBox*>& group, const QString& flags);
    int ZjistiJazyk() const;
    void NastavJazyk(long code);

    // Pictures: the id each film picture had when loaded, and whether the
    // user removed it (cancelled the open dialog) since.
    struct Picture {
        long loadedId = 0;
        bool cleared = false;
    };
    Picture obal_;
    Picture nahled_;
    // The film could not be read: a save would write the blank form over it.
    bool loadFailed_ = false;
    void openPicture(int index, QLabel* pathLabel, Picture& pic, const QString& settingKey);
    void savePictureToFile(QLabel* pathLabel);
    void showPicture(int index, const QString& path);
    void prevzitNahled(const QString& path);
    std::unique_ptr<QTemporaryDir> copies_; // the editor's own copy of a taken preview
};
