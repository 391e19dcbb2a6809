// The two web look-ups of the film editor: each opens its window modal and,
// when the user accepts its data, copies the found values into the editor.
#include "records/frmDVD.h"

#include "lookup/frmCSFDFind.h"
#include "lookup/frmNetFind.h"

#include "controls.h"
#include "msgbox.h"
#include "savefile.h"
#include "vb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

QString frmDVD::ZkratitStat(const QString& stat) {
    QString text = stat;
    if (text.size() > 24)
        text = vb::Replace(text, QStringLiteral("Spojené království"), QStringLiteral("Eng"));
    if (text.size() > 24) text = text.left(23);
    return text;
}

// The look-up's picture becomes the film's preview; an empty path clears it.
// A path that does not load as a picture (a failed poster fetch leaves a web
// address there) keeps the preview the film had.
// The look-up's download file is overwritten by its next search: the editor
// takes a copy of its own, so the save stores the picture shown.
void frmDVD::prevzitNahled(const QString& path) {
    QString own;
    if (!path.isEmpty()) {
        if (!copies_) copies_ = std::make_unique<QTemporaryDir>();
        own = copies_->filePath(QStringLiteral("nahled.") + vb::Right(path, 3));
        if (QImageReader(path).size().isEmpty() || !copies_->isValid() || !CopyWholeFile(path, own)) {
            MsgBox(QStringLiteral("Obrázek \"%1\" nelze načíst. Náhled filmu zůstává beze změny.").arg(path),
                   vb::vbExclamation, QStringLiteral("Chyba aplikace"));
            return;
        }
    }
    showPicture(1, own);
    lblNahled->setText(own);
    nahled_.cleared = own.isEmpty();
}

void frmDVD::cmdFindNet_Click() {
    auto* find = new frmNetFind(this);
    const QString title = vb::Trim(txtCZName->text());
    if (!title.isEmpty()) find->PredpripravSTR(title);
    find->exec();
    if (find->VlozitData) {
        find->findStat->setText(ZkratitStat(ControlText(find->findStat)));
        if (ControlText(find->findPuvodni) == QLatin1String("&nbsp;"))
            SetControlText(find->findPuvodni, QStringLiteral(" "));
        const QList<QPair<QWidget*, QWidget*>> copies{
            {find->findCZ, txtCZName},   {find->findDelka, txtDelka}, {find->findPuvodni, txtPuvName},
            {find->findHerci, txtHerci}, {find->findPopis, txtPopis}, {find->findRezie, txtRezie},
            {find->findStat, txtStat},   {find->findZanr, txtZanr},   {find->findRok, txtRok}};
        for (const auto& [from, to] : copies)
            SetControlText(to, ControlText(from));
        if (find->chkGetPicture->checkState() == Qt::Checked) prevzitNahled(find->Text1->text());
    }
    delete find;
}

void frmDVD::Command4_Click() {
    auto* find = new frmCSFDFind(this);
    const QString title = vb::Trim(txtCZName->text());
    if (!title.isEmpty()) find->Text1->setText(title);
    find->exec();
    if (find->VlozitData) {
        find->findStat->setText(ZkratitStat(find->findStat->text()));
        const QList<QPair<QWidget*, QWidget*>> copies{
            {find->findCZ, txtCZName},   {find->findDelka, txtDelka}, {find->findPuvName, txtPuvName},
            {find->findHerci, txtHerci}, {find->findPopis, txtPopis}, {find->findRezie, txtRezie},
            {find->findStat, txtStat},   {find->findZanr, txtZanr},   {find->findRok, txtRok}};
        // Only what the film database filled in: a blank value keeps the editor's.
        for (const auto& [from, to] : copies)
            if (!vb::Trim(ControlText(from)).isEmpty()) SetControlText(to, ControlText(from));
        if (find->chkGetPicture->checkState() == Qt::Checked) prevzitNahled(find->Text2->text());
    }
    delete find;
}
