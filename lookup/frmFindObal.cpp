#include "lookup/frmFindObal.h"

#include "core/mDialog.h"
#include "lookup/Module1.h"
#include "lookup/mModInetPic.h"
#include "lookup/webroots.h"

#include "apppath.h"
#include "codepage.h"
#include "controls.h"
#include "listview.h"
#include "msgbox.h"
#include "printer.h"
#include "savefile.h"
#include "twips.h"
#include "vb.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace {

const QString kListTag = QStringLiteral("<select name=\"dvd\" align=\"center\" size=25");
const QString kNbsp = QStringLiteral("&nbsp");

bool readBytes(const QString& path, QByteArray* bytes) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    *bytes = f.readAll();
    return true;
}

// Names on the site may carry entities ("Tom &amp; Jerry", "&#233;").
QString decodeEntities(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            // An entity is short: the ";" is looked for only that far, so a
            // text full of "&" stays one pass.
            const qsizetype semi = QStringView(text).mid(i + 1, 10).indexOf(QLatin1Char(';')) + i + 1;
            if (semi > i + 1) {
                const QString name = text.mid(i + 1, semi - i - 1);
                QString ch;
                bool ok = false;
                if (name.startsWith(QLatin1Char('#'))) {
                    const bool hex =
                        name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
                    const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
                    ok = ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
                    if (ok) ch = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
                } else {
                    ok = HtmlEntityChar(name, &ch);
                }
                if (ok) {
                    out += ch;
                    i = semi;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

// The site writes "Czech&nbsp;(Original)", sometimes with several spaces.
QString afterSpaces(const QString& rest) {
    qsizetype i = 0;
    for (;;) {
        while (i < rest.size() && rest[i].isSpace())
            ++i;
        if (i < rest.size() && rest[i] == QLatin1Char(';'))
            ++i;
        else if (QStringView(rest).mid(i).startsWith(kNbsp))
            i += kNbsp.size();
        else
            return rest.mid(i).trimmed();
    }
}

} // namespace

frmFindObal::frmFindObal(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFindObal"));
    setWindowTitle(QStringLiteral("Dohledání obalu DVD na internetu."));
    setFixedSize(TwipsToPixels(8520), TwipsToPixels(7080));

    MakeLabel(this, "Label1", QStringLiteral("Vyhledat obal:"), TwipsRect(120, 180, 1300, 255));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(TwipsRect(1440, 120, 5520, 315));
    Command1 = MakeButton(this, "Command1", QStringLiteral("Hledej"), TwipsRect(7080, 105, 1320, 345));

    QGroupBox* info = MakeFrame(this, "Frame1", QStringLiteral("Informace"), TwipsRect(120, 600, 8280, 795));
    lblInfo =
        MakeLabel(info, "lblInfo",
                  QStringLiteral("Vzhledem k tomu, že se mohou názvy filmů v drobnostech lišit, doporučuji "
                                 "zadávat jen některá slova z názvu filmu."),
                  TwipsRect(120, 240, 8040, 480));
    lblInfo->setWordWrap(true);

    QGroupBox* found = MakeFrame(this, "Frame2", QStringLiteral("Seznam nalezených obalů"),
                                 TwipsRect(120, 1500, 8280, 4860));
    lvwDVD = new ListView(found);
    lvwDVD->setObjectName(QStringLiteral("lvwDVD"));
    lvwDVD->setGeometry(TwipsRect(120, 270, 8040, 4455));
    lvwDVD->AddColumn(QStringLiteral("Český název"), 3300);
    lvwDVD->AddColumn(QStringLiteral("Původní název"), 3300);
    lvwDVD->AddColumn(QStringLiteral("Info"), 1100);
    Command4 = MakeButton(this, "Command4", QStringLiteral("Načíst"), TwipsRect(7080, 6480, 1320, 375));

    // The preview covers the whole window while it is shown.
    auto* nahled = new QFrame(this);
    nahled->setAutoFillBackground(true);
    picNahled = nahled;
    picNahled->setObjectName(QStringLiteral("picNahled"));
    picNahled->setGeometry(TwipsRect(0, 0, 8520, 7080));
    QGroupBox* preview = MakeFrame(picNahled, "Frame3", QStringLiteral("Náhled načteného obalu"),
                                   TwipsRect(120, 60, 8280, 6300));
    MakeLabel(preview, "Label2", QStringLiteral("Načtený obal"), TwipsRect(120, 240, 3000, 255));
    imgNahled = MakeLabel(preview, "imgNahled", QString(), TwipsRect(120, 540, 8040, 5640));
    imgNahled->setAlignment(Qt::AlignCenter);
    Command2 = MakeButton(picNahled, "Command2", QStringLiteral("Uložit obal jako JPG soubor"),
                          TwipsRect(120, 6480, 3000, 375));
    Command3 = MakeButton(picNahled, "Command3", QStringLiteral("Vytisknout obal"),
                          TwipsRect(3240, 6480, 2160, 375));
    Command5 =
        MakeButton(picNahled, "Command5", QStringLiteral("Pokračuj"), TwipsRect(7080, 6480, 1320, 375));
    picNahled->hide();

    auto* printerPanel = new QFrame(this);
    printerPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    printerPanel->setAutoFillBackground(true);
    picPrinter = printerPanel;
    picPrinter->setObjectName(QStringLiteral("picPrinter"));
    picPrinter->setGeometry(TwipsRect(1800, 2400, 4920, 1500));
    MakeLabel(picPrinter, "Label3", QStringLiteral("Vyberte tiskárnu na kteru chcete tisknout:"),
              TwipsRect(120, 120, 4680, 255));
    Combo1 = new QComboBox(picPrinter);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(TwipsRect(120, 450, 4680, 315));
    cmdSelectPrinterPrint = MakeButton(picPrinter, "cmdSelectPrinterPrint", QStringLiteral("Tiskni"),
                                       TwipsRect(3480, 960, 1320, 375));
    picPrinter->hide();

    connect(Command1, &QPushButton::clicked, this, &frmFindObal::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &frmFindObal::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmFindObal::Command5_Click);
    connect(Command2, &QPushButton::clicked, this, &frmFindObal::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmFindObal::Command3_Click);
    connect(cmdSelectPrinterPrint, &QPushButton::clicked, this, &frmFindObal::cmdSelectPrinterPrint_Click);

    showCover();
    Text1->setFocus();
}

QString frmFindObal::SearchPagePath() {
    return DataPath() + QStringLiteral("sezobf.htm");
}

QString frmFindObal::CoverPath() {
    return DataPath() + QStringLiteral("fobl.jpg");
}

QString frmFindObal::SearchUrl(const QString& words) {
    // Form encoding of the site's own search form; a character the code page
    // lacks goes as a character reference, as a browser sends it.
    const QByteArray bytes = cp1250::fromUnicodeHtml(words);
    QString query;
    for (char c : bytes) {
        const uchar b = uchar(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
            b == '_' || b == '.' || b == '~')
            query += QLatin1Char(c);
        else if (b == ' ')
            query += QLatin1Char('+');
        else
            query += QStringLiteral("%%1").arg(uint(b), 2, 16, QLatin1Char('0')).toUpper();
    }
    return CoverRoot() + QStringLiteral("covers.php?search=") + query;
}

QString frmFindObal::CoverUrl(const QString& id) {
    return CoverRoot() + QStringLiteral("support.php?DVDcover2=") + id;
}

void frmFindObal::Command1_Click() {
    lvwDVD->Clear();
    if (!DownloadFile(SearchUrl(vb::Trim(Text1->text())), SearchPagePath())) return;
    QByteArray page;
    if (!readBytes(SearchPagePath(), &page)) return;
    ZpracujZaznamy(cp1250::toUnicode(page));
}

void frmFindObal::ZpracujZaznamy(const QString& page) {
    QString list;
    const qsizetype at = page.indexOf(kListTag);
    if (at >= 0) {
        list = page.mid(at);
        // Only this list: options of another list further down are no covers.
        const qsizetype end = list.indexOf(QStringLiteral("</select"));
        if (end >= 0) list.truncate(end);
        const qsizetype close = list.indexOf(QLatin1Char('>'));
        list = close >= 0 ? list.mid(close) : QString();
        const qsizetype open = list.indexOf(QLatin1Char('<'));
        list = open >= 0 ? list.mid(open) : QString();
    }
    const QStringList parts = list.split(QStringLiteral("</option>"));
    if (parts.size() <= 1) {
        MsgBox(QStringLiteral("Obal nebyl nalezen."), vb::vbInformation, QStringLiteral("Výsledek hledání"));
        return;
    }
    lvwDVD->BeginUpdate();
    for (qsizetype i = 0; i + 1 < parts.size(); ++i)
        ZiskejData(parts[i]);
    lvwDVD->EndUpdate();
}

void frmFindObal::ZiskejData(const QString& option) {
    const qsizetype q1 = option.indexOf(QLatin1Char('"'));
    const qsizetype q2 = q1 >= 0 ? option.indexOf(QLatin1Char('"'), q1 + 1) : -1;
    // Without a quoted value there is no cover to fetch.
    if (q2 < 0) return;
    const QString id = option.mid(q1 + 1, q2 - q1 - 1);

    const qsizetype gt = option.indexOf(QLatin1Char('>'));
    QString name = (gt >= 0 ? option.mid(gt + 1) : option).trimmed();
    QString info;
    if (name.contains(QStringLiteral("[EN]"))) {
        name.remove(QStringLiteral("[EN]"));
        info = QStringLiteral("Anglicky");
    }
    name.remove(QStringLiteral("[AV]"));
    name.remove(QStringLiteral("[SE]"));

    QString czech = name;
    QString original;
    const qsizetype nb = name.indexOf(kNbsp);
    if (nb >= 0) {
        czech = name.left(nb);
        original = afterSpaces(name.mid(nb + kNbsp.size()));
        if (original.startsWith(QLatin1Char('('))) original.remove(0, 1);
        if (original.endsWith(QLatin1Char(')'))) original.chop(1);
    }

    const QString key = QStringLiteral("D") + id;
    if (lvwDVD->FindItem(key)) return;
    ListItem* row = lvwDVD->Add(key, decodeEntities(czech.trimmed()));
    row->setSubItem(1, decodeEntities(original.trimmed()));
    row->setSubItem(2, info);
}

void frmFindObal::Command4_Click() {
    ListItem* item = lvwDVD->SelectedItem();
    const QString id = item ? vb::Trim(item->Key().mid(1)) : QString();
    static const QRegularExpression wholeNumber(QStringLiteral("^[0-9]+$"));
    if (wholeNumber.match(id).hasMatch()) {
        // The cover goes to a side file first: an error page saved as the
        // cover would otherwise replace the last good one.
        bool loaded = false;
        QTemporaryFile part(DataPath() + QStringLiteral("fobl.XXXXXX.part"));
        QByteArray bytes;
        QImage picture;
        if (part.open() && DownloadFile(CoverUrl(id), part.fileName(), Transfer::Picture) &&
            readBytes(part.fileName(), &bytes) && picture.loadFromData(bytes)) {
            loaded = WriteWholeFile(CoverPath(), bytes);
        }
        if (loaded) {
            cover_ = picture;
            showCover();
            imgNahled->repaint();
        } else {
            MsgBox(QStringLiteral("Chyba při stahování obalu"));
        }
    }
    picNahled->show();
    picNahled->raise();
}

void frmFindObal::showCover() {
    const bool have = !cover_.isNull();
    if (have)
        imgNahled->setPixmap(QPixmap::fromImage(
            cover_.scaled(imgNahled->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    else
        imgNahled->clear();
    // Nothing to save or print until a cover was loaded here.
    Command2->setEnabled(have);
    Command3->setEnabled(have);
}

void frmFindObal::Command5_Click() {
    // Also leaves an open printer choice: it has no button of its own for that.
    picPrinter->hide();
    picNahled->hide();
}

void frmFindObal::Command2_Click() {
    if (cover_.isNull()) return;
    const QString path = SavePicDialog(this);
    if (path.isEmpty()) return;
    QByteArray bytes;
    bool saved = readBytes(CoverPath(), &bytes);
    if (saved) {
        saved = WriteWholeFile(path, bytes);
    }
    if (!saved)
        MsgBox(QStringLiteral("Obal se nepodařilo uložit do souboru\r\n%1").arg(path), vb::vbExclamation);
}

void frmFindObal::Command3_Click() {
    if (cover_.isNull()) return;
    const QStringList names = printer::PrinterNames();
    if (names.isEmpty()) {
        MsgBox(QStringLiteral("Není nainstalována žádná tiskárna, obal nelze vytisknout."),
               vb::vbExclamation);
        return;
    }
    Combo1->clear();
    Combo1->addItems(names);
    Combo1->setCurrentIndex(int(names.size()) - 1);
    picPrinter->show();
    picPrinter->raise();
}

void frmFindObal::cmdSelectPrinterPrint_Click() {
    picPrinter->hide();
    // A name that is no longer installed prints on the default printer.
    printer::PrintJob job(Combo1->currentText());
    job.setOrientation(printer::vbPRORLandscape);
    QImage picture(CoverPath());
    if (picture.isNull()) picture = cover_;
    if (!job.PaintPicture(picture, 10, 10, 15600, 10480) || !job.EndDoc())
        MsgBox(QStringLiteral("Obal se nepodařilo vytisknout.\r\n%1").arg(job.ErrorText()),
               vb::vbExclamation);
}

void frmFindObal::reject() {}

void frmFindObal::closeEvent(QCloseEvent* event) {
    event->accept();
    done(QDialog::Rejected);
}
