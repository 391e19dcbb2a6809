#pragma once
// Look-up of a film in the DVD e-shop's catalogue: the search page, the
// shop's result list, and the chosen product page cut into the found-value
// boxes. The film editor shows it modal, then reads VlozitData and the boxes.
#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class WebBrowser;

class frmNetFind : public QDialog {
    Q_OBJECT
public:
    explicit frmNetFind(QWidget* parent = nullptr);
    ~frmNetFind() override;

    // True only when the window was closed with "Vložit data".
    bool VlozitData = false;

    WebBrowser* wbrFind;          // search page, then the shop's result page
    WebBrowser* WebBrowser1;      // product page, outside the visible area
    QPlainTextEdit* RichTextBox1; // result page HTML
    QPlainTextEdit* RichTextBox2; // search template, then product page HTML

    QGroupBox* Frame1;       // result list
    QListWidget* List1;      // text = product title, Qt::UserRole = product id
    QPushButton* cmdDataGet; // "Načti"
    QPushButton* Command1;   // "Konec"

    QLineEdit* Text1; // local path of the preview picture, "" when there is none

    QGroupBox* Frame2; // status
    QLabel* Label1;
    QLabel* lblProg;

    QGroupBox* framData; // found values
    QLineEdit* findCZ;
    QLineEdit* findPuvodni;
    QLineEdit* findZanr;
    QLineEdit* findStat;
    QLineEdit* findRok;
    QLineEdit* findDelka;
    QLineEdit* findRezie;
    QPlainTextEdit* findHerci;
    QPlainTextEdit* findPopis;
    QLabel* picWenImgNahl;
    QCheckBox* chkGetPicture;
    QPushButton* Command4; // "Vložit data"
    QPushButton* Command5; // "Storno"
    QLabel* picWait;

    // Fills the search page template with the title and shows it.
    void PredpripravSTR(const QString& name);
    // š ž Š Ž written so that the page, read as ISO-8859-2, shows them.
    static QString PREVOD(const QString& text);
    // Title and product id of one result link (the link's HTML up to the
    // "<" of its closing tag). Both raise a run-time error when the link
    // holds no product id.
    static QString ziskejNazev(const QString& link);
    static qint32 GetID(const QString& link);

    // Reads the result links of the page in RichTextBox1 into List1.
    void ZpracujSeznam();
    // Cuts the product page in RichTextBox2 into the boxes and fetches the
    // preview picture.
    void ZpracujDetail();

    // Addresses of the shop's pages.
    static QString ResultPageUrl();
    static QString ProductPageUrl(qint32 id);

public slots:
    // Esc does not close the window.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void wbrFind_BeforeNavigate2(const QString& address);
    void wbrFind_DocumentComplete(const QString& address);
    void wbrFind_NavigateError(const QString& address);
    void wbrFind_ProgressChange(int progress, int progressMax);
    void WebBrowser1_DocumentComplete(const QString& address);
    void WebBrowser1_NavigateError(const QString& address);
    void WebBrowser1_ProgressChange(int progress, int progressMax);
    void cmdDataGet_Click();
    void Command1_Click();
    void Command4_Click();
    void Command5_Click();
    void showList();
    void resultFailed();
    void productFailed();
    void showProgress(int progress, int progressMax);
    void setWindowTwips(int width, int height);
    void showSearchPage();

    // A page the window waits for has the page download limit to load and
    // then the script limit to hand over its body, each counted once however
    // often it reloads or moves on; a timer that runs out fails it.
    struct PageWait {
        QTimer* timer = nullptr;
        bool loaded = false;
    };
    void startWait(PageWait& wait);
    void pageLoaded(PageWait& wait);
    void endWait(PageWait& wait);

    QString searchPage_; // the search page wbrFind shows
    // Count of body reads asked for: an answer to an older one is stale.
    int listReads_ = 0;
    int productReads_ = 0;
    PageWait resultWait_;  // from the result page's start until its list is read
    PageWait productWait_; // from "Načti" until the product page is read
};
