#pragma once
// The lending window: the clients with their search, add and edit, and the
// three panels its toolbar opens over them (free films to lend, the client's
// lent films to return, the client's history). One at a time; it never calls
// back into the main window.
#include <QMainWindow>

class ListView;
class ListItem;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolBar;

class frmKlienti : public QMainWindow {
    Q_OBJECT
public:
    // Opens the lending window modeless over owner, or brings the open one forward.
    static frmKlienti* Open(QWidget* owner);
    // The open lending window, nullptr when none.
    static frmKlienti* instance();

    explicit frmKlienti(QWidget* parent = nullptr);
    ~frmKlienti() override;

    // Reloads the client list from tUser in name order.
    void NactiList();

    // Fill and show a panel for the selected client.
    void KVypujceni_Obnovit();
    void Vratit_Obnovit();
    void Historie_Obnovit();

    // Loan writes; false (said in a box) when the catalogue refused the write.
    bool PujcDVD(qint32 clientId, qint32 filmId);
    bool VratDVD(qint32 clientId, qint32 filmId);

    // The toolbar's buttons by key: "ShowUserHistory", "keyHpujcka", "keyHVratit".
    void Toolbar1_ButtonClick(const QString& key);
    QAction* ToolbarButton(const QString& key) const;

    // --- controls
    QToolBar* Toolbar1;
    ListView* lvwUsers;
    QGroupBox* fraFind;
    QLineEdit* txtFindUser;
    QPushButton* Command4; // search
    QGroupBox* fraEdit;
    QPushButton* Command1; // new client
    QPushButton* Command3; // edit the selected client

    QFrame* picVypujcit;
    QLabel* lblKZapujceni;
    QListWidget* lstPujcit;
    QPushButton* Command8;  // "Zapůjčit vybrané"
    QPushButton* Command7;  // "Storno"
    QPushButton* Command13; // refresh
    QPushButton* Command14; // close

    QFrame* picVratit;
    QLabel* lblVratit;
    QListWidget* lstVratit;
    QPushButton* Command9;  // "Vrátit vybrané"
    QPushButton* Command10; // "Storno"
    QPushButton* Command6;  // refresh
    QPushButton* Command5;  // close

    QFrame* picHistorie;
    QLabel* lblHist;
    QPlainTextEdit* txtHistorie;
    QPushButton* Command12; // refresh
    QPushButton* Command11; // close

private:
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Command8_Click();
    void Command9_Click();
    // The panel's caption for the selected client; false (said in a box) when there is none.
    bool CaptionForClient(QLabel* caption, const QString& prefix);
    qint32 ClientId() const;
    // False (said in a box) when the films could not be read.
    bool FillFilms(QListWidget* list, const QString& sql);
    void MovePanel(QFrame* panel);

    void BulkWrite(QListWidget* list, qint32 client, bool (frmKlienti::*write)(qint32, qint32),
                   void (frmKlienti::*refill)(), QFrame* panel);

    // USID of the client the free-films and the lent-films panel were filled for.
    qint32 lendClient_ = 0;
    qint32 returnClient_ = 0;
};
