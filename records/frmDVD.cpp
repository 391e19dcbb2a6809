// The editor's window: layout, pages, the genre picker and the picture buttons.
#include "records/frmDVD.h"

#include "core/Main.h"
#include "core/mDatabase.h"
#include "core/mDialog.h"

#include "controls.h"
#include "err.h"
#include "msgbox.h"
#include "savefile.h"
#include "vb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTemporaryDir>

#include <limits>

// --- TabStrip ----------------------------------------------------------------

TabStrip::TabStrip(QWidget* parent) : QWidget(parent) {
    pane_ = new QFrame(this);
    pane_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    bar_ = new QTabBar(this);
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    connect(bar_, &QTabBar::currentChanged, this, [this] { emit Click(); });
    layoutParts();
}

void TabStrip::AddTab(const QString& caption) {
    const QSignalBlocker quiet(bar_); // the first tab is selected without a click
    bar_->addTab(caption);
    layoutParts();
}

int TabStrip::SelectedIndex() const {
    return bar_->currentIndex() + 1;
}

void TabStrip::setSelectedIndex(int index) {
    bar_->setCurrentIndex(index - 1);
}

QRect TabStrip::ClientArea() const {
    const int f = pane_->frameWidth();
    const QRect inner = pane_->geometry().adjusted(f, f, -f, -f);
    return inner.translated(pos());
}

void TabStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutParts();
}

void TabStrip::layoutParts() {
    const int tabHeight = bar_->sizeHint().height();
    bar_->setGeometry(0, 0, width(), tabHeight);
    pane_->setGeometry(0, tabHeight - 1, width(), qMax(0, height() - tabHeight + 1));
}

// --- layout ------------------------------------------------------------------

namespace {

template <class W> W* make(W* w, const char* name, QWidget* parent, int x, int y, int width, int height) {
    w->setParent(parent);
    if (name) w->setObjectName(QLatin1String(name));
    w->setGeometry(x, y, width, height);
    return w;
}

QLabel* caption(const QString& text, QWidget* parent, int x, int y, int width) {
    return make(new QLabel(text), nullptr, parent, x, y, width, 20);
}

// No limit of the box's own: a long stored value comes back whole when saved unchanged.
QLineEdit* textBox(const char* name, QWidget* parent, int x, int y, int width) {
    auto* box = make(new QLineEdit, name, parent, x, y, width, 22);
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QPlainTextEdit* memoBox(const char* name, QWidget* parent, int x, int y, int width, int height) {
    auto* box = make(new QPlainTextEdit, name, parent, x, y, width, height);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    WrapLongWords(box);
    return box;
}

// Neither a default nor an auto-default button: Enter in a box presses nothing.
QPushButton* button(const QString& text, const char* name, QWidget* parent, int x, int y, int width,
                    int height) {
    auto* b = make(new QPushButton(text), name, parent, x, y, width, height);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QPushButton* iconButton(QStyle::StandardPixmap icon, const char* name, QWidget* parent, int x, int y) {
    QPushButton* b = button(QString(), name, parent, x, y, 28, 26);
    b->setIcon(parent->style()->standardIcon(icon));
    return b;
}

QString indexedName(const char* base, int index) {
    return QLatin1String(base) + QLatin1Char('_') + QString::number(index);
}

} // namespace

frmDVD::frmDVD(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDVD"));
    setWindowTitle(QStringLiteral("DVD Film"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);
    setFixedSize(620, 472);

    buildHead();
    // The pages lie on the window itself; ZobrazTab moves the shown one onto the strip.
    for (int i = 0; i < 4; ++i) {
        auto* page = new QWidget(this);
        page->setObjectName(indexedName("picTab", i));
        page->setGeometry(0, 0, 596, 350);
        page->hide();
        picTab << page;
    }
    buildPage0(picTab[0]);
    buildPage1(picTab[1]);
    buildPage2(picTab[2]);
    buildPage3(picTab[3]);

    cmdSave = button(QStringLiteral("Uložit"), "cmdSave", this, 420, 432, 90, 28);
    cmdStorno = button(QStringLiteral("Storno"), "cmdStorno", this, 520, 432, 90, 28);

    connect(cmdSave, &QPushButton::clicked, this, &frmDVD::cmdSave_Click);
    connect(cmdStorno, &QPushButton::clicked, this, &frmDVD::cmdStorno_Click);
    connect(tabMain, &TabStrip::Click, this, &frmDVD::tabMain_Click);
    connect(Command1, &QPushButton::clicked, this, &frmDVD::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmDVD::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmDVD::Command3_Click);
    connect(cmdOpenObalPic, &QPushButton::clicked, this, &frmDVD::cmdOpenObalPic_Click);
    connect(cmdOpenNahledPic, &QPushButton::clicked, this, &frmDVD::cmdOpenNahledPic_Click);
    connect(cmdFindNet, &QPushButton::clicked, this, &frmDVD::cmdFindNet_Click);
    connect(Command4, &QPushButton::clicked, this, &frmDVD::Command4_Click);
    connect(cmdSaveObal, &QPushButton::clicked, this, &frmDVD::cmdSaveObal_Click);
    connect(cmdSaveNahled, &QPushButton::clicked, this, &frmDVD::cmdSaveNahled_Click);

    // Focus goes from the head to the tabs, then through the shown page, then the buttons.
    setTabOrder(txtKatalog, txtCZName);
    setTabOrder(txtCZName, tabMain->Tabs());

    Form_Load();
}

frmDVD::~frmDVD() = default;

void frmDVD::buildHead() {
    caption(QStringLiteral("Katalogové číslo:"), this, 10, 12, 105);
    txtKatalog = textBox("txtKatalog", this, 118, 10, 90);
    caption(QStringLiteral("CZ název:"), this, 222, 12, 60);
    txtCZName = textBox("txtCZName", this, 284, 10, 262);
    cmdFindNet = iconButton(QStyle::SP_DriveNetIcon, "cmdFindNet", this, 550, 8);
    Command4 = iconButton(QStyle::SP_FileDialogContentsView, "Command4", this, 582, 8);

    tabMain = make(new TabStrip, "tabMain", this, 10, 42, 600, 382);
    for (const char* tab : {"Film základní informace", "Další informace", "Menu / Zvuk / Titulky", "Obal"})
        tabMain->AddTab(QString::fromUtf8(tab));
}

void frmDVD::buildPage0(QWidget* page) {
    caption(QStringLiteral("Původní název:"), page, 10, 12, 95);
    txtPuvName = textBox("txtPuvName", page, 110, 10, 470);
    caption(QStringLiteral("Žánr:"), page, 10, 42, 95);
    txtZanr = textBox("txtZanr", page, 110, 40, 280);
    Command1 = iconButton(QStyle::SP_FileDialogListView, "Command1", page, 394, 38);
    caption(QStringLiteral("Počet disků:"), page, 432, 42, 80);
    txtDisk = textBox("txtDisk", page, 515, 40, 65);
    caption(QStringLiteral("Popis:"), page, 10, 72, 95);
    txtPopis = memoBox("txtPopis", page, 110, 70, 470, 200);

    fraJazyk = make(new QGroupBox(QStringLiteral("Jazyk")), "fraJazyk", page, 110, 276, 470, 52);
    const QStringList languages{QStringLiteral("český zvuk"), QStringLiteral("české titulky"),
                                QStringLiteral("neuvedeno")};
    for (int i = 0; i < 3; ++i)
        optJazyk << make(new QRadioButton(languages[i]), nullptr, fraJazyk, 12 + 150 * i, 22, 140, 22);
    for (int i = 0; i < 3; ++i)
        optJazyk[i]->setObjectName(indexedName("optJazyk", i));

    // The picker lies over the page under the genre box until it is called.
    picZanr = make(new QFrame, "picZanr", page, 110, 64, 280, 226);
    picZanr->setFrameStyle(QFrame::Box | QFrame::Plain);
    picZanr->setAutoFillBackground(true);
    lstZanr = make(new QListWidget, "lstZanr", picZanr, 1, 1, 278, 192);
    lstZanr->setSelectionMode(QAbstractItemView::MultiSelection);
    ShowShortTexts(lstZanr);
    Command2 = iconButton(QStyle::SP_DialogApplyButton, "Command2", picZanr, 216, 196);
    Command3 = iconButton(QStyle::SP_DialogCloseButton, "Command3", picZanr, 248, 196);
    picZanr->hide();
    picZanr->raise();
}

void frmDVD::buildPage1(QWidget* page) {
    caption(QStringLiteral("Stát:"), page, 10, 12, 70);
    txtStat = textBox("txtStat", page, 85, 10, 230);
    caption(QStringLiteral("Rok:"), page, 330, 12, 50);
    txtRok = textBox("txtRok", page, 385, 10, 90);
    caption(QStringLiteral("Režie:"), page, 10, 42, 70);
    txtRezie = textBox("txtRezie", page, 85, 40, 230);
    caption(QStringLiteral("Délka:"), page, 330, 42, 50);
    txtDelka = textBox("txtDelka", page, 385, 40, 90);
    caption(QStringLiteral("Oddělení:"), page, 10, 72, 70);
    cboOddel = make(new QComboBox, "cboOddel", page, 85, 70, 230, 22);
    cboOddel->setEditable(true);
    cboOddel->setInsertPolicy(QComboBox::NoInsert);
    caption(QStringLiteral("Herci:"), page, 10, 102, 70);
    txtHerci = memoBox("txtHerci", page, 85, 100, 495, 110);
    caption(QStringLiteral("Poznámka:"), page, 10, 218, 70);
    txtPozn = memoBox("txtPozn", page, 85, 216, 495, 110);
}

void frmDVD::buildPage2(QWidget* page) {
    auto boxes = [](QList<QCheckBox*>& group, const char* name, QGroupBox* frame, const QStringList& captions,
                    const QList<QPoint>& places, int width) {
        for (int i = 0; i < captions.size(); ++i) {
            auto* box =
                make(new QCheckBox(captions[i]), nullptr, frame, places[i].x(), places[i].y(), width, 22);
            box->setObjectName(indexedName(name, i));
            group << box;
        }
    };

    fraMenu = make(new QGroupBox(QStringLiteral("Nabídka")), "fraMenu", page, 10, 10, 180, 150);
    QList<QPoint> column;
    for (int i = 0; i < 7; ++i)
        column << QPoint(10, 22 + 24 * i);
    boxes(chkMenu, "chkMenu", fraMenu,
          {QStringLiteral("s menu"), QStringLiteral("kapitoly"), QStringLiteral("bez menu"),
           QStringLiteral("rovnou běží film"), QStringLiteral("bonusy")},
          column, 160);

    // Each language on the left with its DTS and 5.1 boxes beside it, one under the other.
    fraSound = make(new QGroupBox(QStringLiteral("Jazyk")), "fraSound", page, 200, 10, 200, 190);
    QList<QPoint> sound;
    for (int lang = 0; lang < 3; ++lang) {
        const int top = 22 + 54 * lang;
        sound << QPoint(10, top) << QPoint(110, top) << QPoint(110, top + 22);
    }
    boxes(chkSound, "chkSound", fraSound,
          {QStringLiteral("Česky"), QStringLiteral("DTS"), QStringLiteral("5.1"), QStringLiteral("Anglicky"),
           QStringLiteral("DTS"), QStringLiteral("5.1"), QStringLiteral("Německy"), QStringLiteral("DTS"),
           QStringLiteral("5.1")},
          sound, 90);

    fraTitle = make(new QGroupBox(QStringLiteral("Titulky")), "fraTitle", page, 410, 10, 176, 196);
    boxes(chkTitle, "chkTitle", fraTitle,
          {QStringLiteral("české titulky"), QStringLiteral("slovenské titulky"),
           QStringLiteral("anglické titulky"), QStringLiteral("německé titulky"),
           QStringLiteral("polské titulky"), QStringLiteral("francouzské titulky"),
           QStringLiteral("ruské titulky")},
          column, 160);
}

void frmDVD::buildPage3(QWidget* page) {
    caption(QStringLiteral("Obal:"), page, 10, 8, 200);
    caption(QStringLiteral("Náhled seznam:"), page, 380, 8, 190);
    for (int i = 0; i < 2; ++i) {
        auto* img = make(new QLabel, nullptr, page, i == 0 ? 10 : 380, 30, i == 0 ? 340 : 170, 270);
        img->setObjectName(indexedName("imgObalDesk", i));
        img->setAlignment(Qt::AlignCenter);
        img->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        imgObalDesk << img;
    }
    cmdOpenObalPic = iconButton(QStyle::SP_DialogOpenButton, "cmdOpenObalPic", page, 10, 306);
    cmdSaveObal = iconButton(QStyle::SP_DialogSaveButton, "cmdSaveObal", page, 42, 306);
    cmdOpenNahledPic = iconButton(QStyle::SP_DialogOpenButton, "cmdOpenNahledPic", page, 380, 306);
    cmdSaveNahled = iconButton(QStyle::SP_DialogSaveButton, "cmdSaveNahled", page, 412, 306);
    lblObal = make(new QLabel, "lblObal", page, 80, 310, 290, 20);
    lblNahled = make(new QLabel, "lblNahled", page, 450, 310, 130, 20);
    lblObal->hide();
    lblNahled->hide();
}

void frmDVD::Form_Load() {
    ZobrazTab();
    Refresh_ZanrLST();
    Refresh_OddelCBO();
    Inicializuj(0);
}

// Esc would end the dialog with the edits lost; the close box still closes it.
void frmDVD::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// --- pages -------------------------------------------------------------------

void frmDVD::ZobrazTab() {
    for (QWidget* page : picTab)
        page->hide();
    const int index = tabMain->SelectedIndex() - 1;
    if (index < 0 || index >= picTab.size()) return;
    QWidget* page = picTab[index];
    page->setGeometry(tabMain->ClientArea());
    page->raise();
    page->show();
}

void frmDVD::tabMain_Click() {
    ZobrazTab();
}

// --- code lists --------------------------------------------------------------

namespace {

// Fills a list or combo from one code list; an unread list and the first
// error of the fill are reported with the procedure's name.
template <class AddEntry>
void fillFromCatalogue(const QString& sql, const QString& what, const char* nameField, const char* idField,
                       const QString& where, AddEntry add) {
    if (!OpenQuery(sql)) {
        ShowReadFailure(what + QLatin1Char('\n') + where, QStringLiteral("Chyba Aplikace"));
        return;
    }
    ErrState err;
    Step(err, [&] {
        while (!DBRecordset.Eof()) {
            add(NullToStr(DBRecordset.Fields(QLatin1String(nameField)).Value()),
                DBRecordset.Fields(QLatin1String(idField)).Value().toLong());
            DBRecordset.MoveNext();
        }
    });
    if (err.isSet()) {
        MsgBox(err.Description + QLatin1Char('\n') + where, vb::vbCritical, QStringLiteral("Chyba Aplikace"));
        err.Clear();
    }
    Step(err, [] { CloseRecordset(); });
    CloseConnection();
}

} // namespace

void frmDVD::Refresh_ZanrLST() {
    lstZanr->clear();
    fillFromCatalogue(QStringLiteral("SELECT * from tZanr"),
                      QStringLiteral("Seznam žánrů nelze z katalogu načíst."), "ZNAME", "ZID",
                      QStringLiteral("Chyba : Refresh_ZanrCBO, frmDVD"),
                      [this](const QString& name, qint64 id) {
                          auto* item = new QListWidgetItem(name, lstZanr);
                          item->setData(Qt::UserRole, id);
                      });
}

void frmDVD::Refresh_OddelCBO() {
    cboOddel->clear();
    fillFromCatalogue(QStringLiteral("SELECT * from tOddeleni"),
                      QStringLiteral("Seznam oddělení nelze z katalogu načíst."), "OdJm", "ODID",
                      QStringLiteral("Chyba : Refresh_OddelCBO, frmDVD"),
                      [this](const QString& name, qint64 id) { cboOddel->addItem(name, id); });
}

// --- genre picker ------------------------------------------------------------

// The picker keeps its selection from its last use; it is not read from the text.
void frmDVD::Command1_Click() {
    picZanr->show();
    picZanr->raise();
    lstZanr->setFocus();
}

void frmDVD::Command3_Click() {
    picZanr->hide();
}

void frmDVD::Command2_Click() {
    QString text;
    for (int i = 0; i < lstZanr->count(); ++i)
        if (lstZanr->item(i)->isSelected()) text += QStringLiteral(", ") + lstZanr->item(i)->text();
    if (!text.isEmpty()) text = text.mid(2);
    txtZanr->setText(text);
    picZanr->hide();
}

// --- pictures ----------------------------------------------------------------

namespace {

// The picture scaled to fit box, its aspect kept. A camera's photo is decoded
// straight at about that size (JPEG scales while it decodes): decoding all of
// its pixels only to throw most of them away made the editor slow to open.
QImage fittedPicture(const QString& path, const QSize& box) {
    QImageReader reader(path);
    QSize fit = reader.size();
    // The reader scales before it turns the picture upright.
    const bool turned =
        reader.autoTransform() && (reader.transformation() & QImageIOHandler::TransformationRotate90);
    if (fit.isValid()) {
        if (turned) fit.transpose();
        fit = fit.scaled(box, Qt::KeepAspectRatio);
        if (!fit.isEmpty()) reader.setScaledSize(turned ? fit.transposed() : fit);
    }
    QImage picture = reader.read();
    if (picture.isNull()) return picture;
    if (!fit.isValid()) fit = picture.size().scaled(box, Qt::KeepAspectRatio);
    if (picture.size() != fit) picture = picture.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return picture;
}

} // namespace

void frmDVD::showPicture(int index, const QString& path) {
    QLabel* img = imgObalDesk[index];
    const QImage picture = path.isEmpty() ? QImage() : fittedPicture(path, img->contentsRect().size());
    if (picture.isNull()) {
        img->clear();
        return;
    }
    img->setPixmap(QPixmap::fromImage(picture));
}

void frmDVD::openPicture(int index, QLabel* pathLabel, Picture& pic, const QString& settingKey) {
    const QString path = index == 0 ? OpenObalPicDialog(this) : OpenNahledPicDialog(this);
    if (!path.isEmpty() && QImageReader(path).size().isEmpty()) {
        // Not a picture (or not readable): the film keeps the picture it had.
        MsgBox(QStringLiteral("Soubor \"%1\" nelze načíst jako obrázek. Obrázek filmu zůstává beze změny.")
                   .arg(path),
               vb::vbExclamation, QStringLiteral("Chyba aplikace"));
        return;
    }
    showPicture(index, path);
    QString folder;
    for (int i = int(path.size()) - 3; i >= 1; --i)
        if (path[i - 1] == QLatin1Char('/')) {
            folder = path.left(i);
            break;
        }
    SaveSett(settingKey, folder);
    pathLabel->setText(path);
    pic.cleared = path.isEmpty();
}

void frmDVD::cmdOpenObalPic_Click() {
    openPicture(0, lblObal, obal_, QStringLiteral("Covers"));
}

void frmDVD::cmdOpenNahledPic_Click() {
    openPicture(1, lblNahled, nahled_, QStringLiteral("Nahled"));
}

// Copies the film's own picture, the one shown, not whatever working file
// another film left behind.
void frmDVD::savePictureToFile(QLabel* pathLabel) {
    const QString source = pathLabel->text();
    if (source.isEmpty()) {
        MsgBox(QStringLiteral("Film nemá žádný obrázek, který by bylo možné uložit."), vb::vbInformation);
        return;
    }
    const QString target = SavePicDialog(this);
    if (target.isEmpty()) return;
    if (QFileInfo(source).absoluteFilePath() == QFileInfo(target).absoluteFilePath()) return;
    if (!CopyWholeFile(source, target)) // a full disk never costs the user the file they had
        MsgBox(QStringLiteral("Obrázek se nepodařilo uložit do souboru \"%1\".").arg(target), vb::vbCritical,
               QStringLiteral("Chyba aplikace"));
}

void frmDVD::cmdSaveObal_Click() {
    savePictureToFile(lblObal);
}

void frmDVD::cmdSaveNahled_Click() {
    savePictureToFile(lblNahled);
}
