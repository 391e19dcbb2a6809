// The editor's data side: loading a film into the controls and saving it.
#include "records/frmDVD.h"

#include "core/mDatabase.h"
#include "core/mFunction.h"

#include "controls.h"
#include "err.h"
#include "msgbox.h"
#include "vb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace {

const QString kFilmSql = QStringLiteral("SELECT * from tDVD WHERE DVDID=");
const QString kNotFound = QStringLiteral("Záznam nenalezen! (cmdSAVE,frmDVD)");
const QString kErrTitle = QStringLiteral("Chyba aplikace");

ado::Variant field(const char* name) {
    return DBRecordset.Fields(QLatin1String(name)).Value();
}

void setField(const char* name, const ado::Variant& value) {
    DBRecordset.Fields(QLatin1String(name)) = value;
}

// Null is an error, so a Null field leaves its control alone.
QString fieldText(const char* name) {
    const ado::Variant v = field(name);
    if (v.isNull()) throw vb::RuntimeError(vb::ErrInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    return v.toString();
}

// The selected department's value; an error when no entry is chosen, so the field keeps its value.
qint64 selectedDepartment(QComboBox* combo) {
    int index = combo->currentIndex();
    if (index < 0 || combo->itemText(index) != combo->currentText())
        index = combo->findText(combo->currentText(), Qt::MatchExactly);
    if (index < 0) throw vb::RuntimeError(381, QStringLiteral("Invalid property array index"));
    return combo->itemData(index).toLongLong();
}

// A typed running time: blanks, "min" and points removed from a text of
// more than three characters, "0" when what remains is no number.
QString cleanRunningTime(const QString& text) {
    if (vb::Len(text) <= 3) return text;
    QString t = vb::Replace(text, QStringLiteral(" "), QString());
    t = vb::Replace(t, QStringLiteral("min"), QString());
    t = vb::Replace(t, QStringLiteral("."), QString());
    return vb::IsNumeric(ado::Variant(t)) ? t : QStringLiteral("0");
}

} // namespace

// --- load --------------------------------------------------------------------

void frmDVD::VymazFormular() {
    cboOddel->setCurrentIndex(cboOddel->count() > 0 ? 0 : -1);
    txtZanr->clear();
    optJazyk[0]->setChecked(true);
    txtDisk->setText(QStringLiteral("1"));
    for (const QList<QCheckBox*>* group : {&chkMenu, &chkSound, &chkTitle})
        for (QCheckBox* box : *group)
            box->setCheckState(Qt::Unchecked);
    imgObalDesk[0]->clear();
    imgObalDesk[1]->clear();
    lblNahled->clear();
    lblObal->clear();
}

void frmDVD::Inicializuj(long id) {
    Vysledek = 0;
    ID = id;
    VymazFormular();
    obal_ = Picture();
    nahled_ = Picture();
    loadFailed_ = false;
    Zapsano = false;
    if (id == 0) return;

    ErrState err;
    // A film that could not be read is not "not found": the window must not save its blank form over it.
    if (!OpenForReading(kFilmSql + QString::number(id),
                        QStringLiteral("Film se nepodařilo z katalogu načíst, okno proto jeho údaje "
                                       "neukazuje a nedovolí je uložit."))) {
        loadFailed_ = true;
        return;
    }
    if (!RecordsetHasRow()) {
        MsgBox(kNotFound, vb::vbCritical, kErrTitle);
    } else {
        const QList<QPair<QLineEdit*, const char*>> lines{{txtCZName, "CZJm"},
                                                          {txtPuvName, "PuvJm"},
                                                          {txtKatalog, "KatCisl"},
                                                          {txtZanr, "Zanr"},
                                                          {txtDisk, "DiskPocet"}};
        // Line boxes show a value from its first character; multi-line boxes keep it as stored.
        // (No structured bindings here: clang 14 lets no lambda capture them.)
        for (const auto& line : lines)
            Step(err, [&] { SetControlText(line.first, fieldText(line.second)); });
        Step(err, [&] { SetBoxText(txtPopis, fieldText("Obsah")); });
        const QList<QPair<QLineEdit*, const char*>> more{
            {txtStat, "Stat"}, {txtRezie, "Rezie"}, {txtRok, "Rok"}, {txtDelka, "Delka"}};
        for (const auto& line : more)
            Step(err, [&] { SetControlText(line.first, fieldText(line.second)); });
        Step(err, [&] { SetBoxText(txtHerci, fieldText("Herci")); });
        Step(err, [&] { SetBoxText(txtPozn, fieldText("Poznamka")); });

        Step(err, [&] { StrToChk(chkMenu, fieldText("Nabidka")); });
        Step(err, [&] { StrToChk(chkSound, fieldText("JazykDetail")); });
        Step(err, [&] { StrToChk(chkTitle, fieldText("Titulky")); });
        Step(err, [&] { NastavJazyk(vb::CLng(field("Jazyk"))); });

        // Read before the picture store runs, which has connections of its own.
        ado::Variant department;
        Step(err, [&] { department = field("Oddel_ID"); });
        Step(err, [&] { obal_.loadedId = long(field("Obal_ID").toLong()); });
        Step(err, [&] { nahled_.loadedId = long(field("Nahled_ID").toLong()); });

        // A picture the store cannot give leaves its label empty; the film
        // still keeps its link to it (see the save).
        if (obal_.loadedId != 0) {
            const QString path = LoadObalPic(obal_.loadedId);
            lblObal->setText(path);
            showPicture(0, path);
        }
        if (nahled_.loadedId != 0) {
            const QString path = LoadNahledPic(nahled_.loadedId);
            lblNahled->setText(path);
            showPicture(1, path);
        }
        Step(err, [&] { cboOddel->setCurrentIndex(FindItemData(cboOddel, department, -1)); });
    }
    Step(err, [] { CloseRecordset(); });
    CloseConnection();
}

// --- save --------------------------------------------------------------------

void frmDVD::cmdSave_Click() {
    if (loadFailed_) {
        MsgBox(QStringLiteral("Film se při otevření okna nepodařilo z katalogu načíst. Uložením by se "
                              "přepsal prázdným formulářem, proto se nic neuložilo.\n\nZavřete okno "
                              "tlačítkem Storno a otevřete film znovu, až bude katalog přístupný."),
               vb::vbCritical, kErrTitle);
        return;
    }
    ErrState err;
    QString failure; // why the catalogue could not be written; the window then stays open
    bool haveRow = false;
    long newRow = 0;      // DVDID of a row appended by this save
    bool written = false; // the film's fields are in the catalogue
    QString unwritten;    // what of it is not, when a later step failed

    OpenConnection();
    if (DBConnection.State() != ado::adStateOpen) {
        failure = QStringLiteral("Katalog nelze otevřít.");
    } else {
        OpenRecordset(kFilmSql + QString::number(ID));
        if (DBRecordset.State() != ado::adStateOpen) {
            failure = QStringLiteral("Záznam filmu nelze v katalogu přečíst.");
        } else if (!DBRecordset.Eof()) {
            haveRow = true;
        } else if (ID != 0) {
            // Deleted meanwhile: nothing to write into, the pictures still go to the store.
            MsgBox(kNotFound, vb::vbCritical, kErrTitle);
        } else if (Step(err, [&] {
                       DBRecordset.AddNew();
                       DBRecordset.Update();
                       newRow = long(field("DVDID").toLong());
                   })) {
            haveRow = true;
        } else {
            failure = err.Description;
        }
    }

    txtDelka->setText(cleanRunningTime(txtDelka->text()));
    const bool katalogBlank = vb::Trim(txtKatalog->text()).isEmpty();

    if (haveRow) {
        Step(err, [&] { setField("CZJm", txtCZName->text()); });
        Step(err, [&] { setField("PuvJm", txtPuvName->text()); });
        if (!katalogBlank) Step(err, [&] { setField("KatCisl", txtKatalog->text()); });
        Step(err, [&] { setField("Zanr", txtZanr->text()); });
        Step(err, [&] { setField("DiskPocet", vb::CInt(ado::Variant(txtDisk->text()))); });
        Step(err, [&] { setField("Obsah", BoxText(txtPopis)); });
        Step(err, [&] { setField("Jazyk", ZjistiJazyk()); });
        Step(err, [&] { setField("Stat", txtStat->text()); });
        Step(err, [&] { setField("Rezie", vb::LeftChars(txtRezie->text(), 35)); });
        Step(err, [&] { setField("Delka", txtDelka->text()); });
        Step(err, [&] { setField("Rok", txtRok->text()); });
        Step(err, [&] { setField("Oddel_ID", selectedDepartment(cboOddel)); });
        Step(err, [&] { setField("Herci", BoxText(txtHerci)); });
        Step(err, [&] { setField("Poznamka", BoxText(txtPozn)); });
        Step(err, [&] { setField("Nabidka", ChkToStr(chkMenu, 4)); });
        Step(err, [&] { setField("JazykDetail", ChkToStr(chkSound, 8)); });
        Step(err, [&] { setField("Titulky", ChkToStr(chkTitle, 6)); });
        // A picture link goes only when the user removed the picture; a
        // picture that could not be loaded or stored keeps its earlier id.
        Step(err, [&] { setField("Obal_ID", obal_.cleared ? 0L : obal_.loadedId); });
        Step(err, [&] { setField("Nahled_ID", nahled_.cleared ? 0L : nahled_.loadedId); });
        err.Clear();
        if (Step(err, [] { DBRecordset.Update(); }))
            written = true;
        else
            failure = err.Description;
    }
    if (haveRow && failure.isEmpty()) {
        Step(err, [&] { ID = long(field("DVDID").toLong()); });
        if (katalogBlank) {
            if (!Step(err, [&] {
                    setField("KatCisl", field("DVDID"));
                    DBRecordset.Update();
                })) {
                failure = err.Description;
                unwritten = QStringLiteral("katalogové číslo");
            }
        }
    }

    if (failure.isEmpty()) {
        auto storePicture = [&](QLabel* label, Picture& pic, const char* idField, bool obal) {
            if (label->text().isEmpty() || !failure.isEmpty()) return;
            const long picId = obal ? SaveObalPic(ID, label->text()) : SaveNahledPic(ID, label->text());
            if (picId == 0) return; // the store has said why; the film keeps its earlier picture
            pic.loadedId = picId;
            pic.cleared = false;
            if (!haveRow) return;
            if (!Step(err, [&] {
                    setField(idField, picId);
                    DBRecordset.Update();
                })) {
                failure = err.Description;
                unwritten = obal ? QStringLiteral("obal") : QStringLiteral("náhled");
            }
        };
        storePicture(lblObal, obal_, "Obal_ID", true);
        storePicture(lblNahled, nahled_, "Nahled_ID", false);
    }

    if (!failure.isEmpty() && newRow != 0) {
        // The empty row this save appended goes again, so a retry does not leave it behind;
        // when it cannot go, the retry writes into it.
        Step(err, [] { DBRecordset.CancelUpdate(); });
        if (Step(err, [] { DBRecordset.Delete(); })) {
            ID = 0;
            written = false;
        } else {
            ID = newRow;
        }
    }
    Step(err, [] { CloseRecordset(); });
    CloseConnection();
    if (written) Zapsano = true;

    if (!failure.isEmpty() && written) {
        // Storno cannot take back what is written: the message does not suggest it.
        MsgBox(QStringLiteral("Film se nepodařilo uložit celý: jeho údaje jsou v katalogu zapsány, %1 "
                              "však ne.\n%2\n\nUložte film znovu, až bude katalog přístupný. Storno okno "
                              "zavře a zapsané údaje v katalogu ponechá.")
                   .arg(unwritten, failure),
               vb::vbCritical, kErrTitle);
        return;
    }
    if (!failure.isEmpty()) {
        MsgBox(QStringLiteral("Film se nepodařilo uložit do katalogu.\n%1\n\nÚdaje zůstávají v okně: "
                              "uložte je znovu, až bude katalog přístupný, nebo zvolte Storno.")
                   .arg(failure),
               vb::vbCritical, kErrTitle);
        return;
    }
    Vysledek = 1;
    hide();
}

void frmDVD::cmdStorno_Click() {
    Vysledek = 2;
    hide();
}

// --- check-box groups and the language -----------------------------------------

QString frmDVD::ChkToStr(const QList<QCheckBox*>& group, int last) const {
    QString result;
    for (int k = 0; k <= last && k < group.size(); ++k) {
        if (!result.isEmpty()) result += QLatin1Char('|');
        result += group[k]->checkState() == Qt::Checked ? QLatin1Char('A') : QLatin1Char('N');
    }
    return result;
}

void frmDVD::StrToChk(const QList<QCheckBox*>& group, const QString& flags) {
    const QStringList parts = vb::Split(flags, QStringLiteral("|"));
    for (int k = 0; k < parts.size() && k < group.size(); ++k)
        group[k]->setCheckState(parts[k] == QLatin1String("A") ? Qt::Checked : Qt::Unchecked);
}

int frmDVD::ZjistiJazyk() const {
    int result = 0;
    for (int k = 0; k <= 2; ++k)
        if (optJazyk[k]->isChecked()) result = k;
    return result;
}

void frmDVD::NastavJazyk(long code) {
    if (code < 0 || code >= optJazyk.size())
        throw vb::RuntimeError(340, QStringLiteral("Control array element does not exist"));
    optJazyk[int(code)]->setChecked(true);
}
