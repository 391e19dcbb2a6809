#pragma once
// The main window: the film list lvwList with the lent films marked, the
// totals in the status bar sbMain, the text search and the column widths kept
// in the setting "ColSie". Closing it ends the program's work.
#include <QMainWindow>
#include <QString>

class ListView;
class StatusBar;
class QAction;
class QMenu;
class QToolBar;
struct ErrState;

class frmMaster : public QMainWindow {
    Q_OBJECT
public:
    // Loads the window: caption, the list filled in Czech-title order, the
    // stored column widths. The window deletes itself when closed.
    explicit frmMaster(QWidget* parent = nullptr);
    ~frmMaster() override;

    // The open main window (there is one per run), nullptr when none.
    static frmMaster* instance();

    // --- the film list
    // Fills the whole list; order is the field to sort by: "CZJM" or "KatCisl".
    void NactiSeznamDVD(const QString& order);
    // Adds or refreshes the row of one film and marks the open loans again.
    void ObnovitZaznam(long DVDID);
    // Every row and its cells black (after a column sort).
    void Recolor();
    // Selects the first row whose field of the mode ("CZ", "PUV", "KAT")
    // contains the text, ignoring case; "Záznam nenalezen" when none does.
    void NajdiZaznam(const QString& mode, const QString& text);
    // The search prompt for a mode ("CZ", "PUV", "KAT"), then NajdiZaznam
    // with what it returns.
    void HledatDialog(const QString& mode);
    // Column widths from and to the setting "ColSie" ("1587|4410|...|").
    void SetColSizeStr();
    QString GetColSizeStr();

    // Status bar panels 5 and 6 as shown.
    QString CelkemText() const;
    QString VypujcenoText() const;

    // --- film commands
    // Edits a film in the film editor, or adds one with 0; the row follows a save.
    void OtevritPridatZaznam(long DVDID);
    // Lends the selected film, or takes it back when its row shows a borrower.
    void PujcitVratit();
    // Closes the film's first open loan; failures are ignored.
    void vratitFilm(long DVDID);
    // The selected film's id (the row key without its "K"), 0 when no row is
    // selected; and its Czech title.
    long SelectedDVDID() const;
    QString SelectedTitle() const;

    // --- controls
    QWidget* centralArea; // holds the list; menus and toolbars sit around it
    ListView* lvwList;
    StatusBar* sbMain; // 1 date, 2 time, 3 Caps Lock, 4 Num Lock, 5 films, 6 open loans

    QToolBar* Toolbar1; // find, sort, print
    QToolBar* Toolbar2; // new, edit
    QWidget* Picture1;  // holds tbDisk
    QToolBar* tbDisk;   // lend or return
    QMenu* mnuPopUp;    // the list's pop-up menu, opened on a right-button release

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolbars();
    QAction* addButton(QToolBar* bar, const QString& caption, const QString& key,
                       void (frmMaster::*handler)(const QString&));
    void SmazatZaznam(long DVDID);

    // Handlers, by the key of the button or entry.
    void Toolbar1_ButtonClick(const QString& key);
    void Toolbar2_ButtonClick(const QString& key);
    void tbDisk_ButtonClick(const QString& key);
    void lvwList_ColumnClick(int column);
    void lvwList_MouseUp(Qt::MouseButton button, const QPoint& pos);
    void mnuZanry_Click();
    void mnuOddeleni_Click();
    void mnuVypujcky_Click();
    void mnuPridatUzivatele_Click();
    void mnuNajitObal_Click();
    void mnuNovaVerze_Click();
    void mnuOProgramu_Click();
    void mnuPopHledatObal_Click();
    void mnuTisknout_Click();

    void Form_Load();
    void Form_Resize();
    // Marks the rows of films out on loan and shows their count (panel 6).
    void OznacitPujcene(ErrState& err);
};
