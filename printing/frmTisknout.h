#pragma once
// "Tisk seznamu": builds one of four printable lists of the whole catalogue as
// data/test.htm and opens it with the desktop's program for web pages. The
// window stays open for the next list until the user closes it.
#include <QDialog>

#include "variant.h"

class QPushButton;

class frmTisknout : public QDialog {
    Q_OBJECT
public:
    explicit frmTisknout(QWidget* parent);

    // The printed lists' language text: 0 or "0" "Český dabing", 1 or "1"
    // "Titulky", anything else (Null and "" too) "Neuvedeno".
    QString GetJazyk(const ado::Variant& Jazyk) const;

    // True while a list is being built (the buttons are disabled then).
    bool Building() const { return building_; }

    QPushButton* Command1; // simple list by Czech title
    QPushButton* Command2; // simple list, newest first
    QPushButton* Command3; // simple list by catalogue number
    QPushButton* Command4; // detailed list by Czech title

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    // Reads the films of `sql` into HTMBuf, writes the page and opens it.
    void BuildList(const QString& sql, bool detailed);
    void PrintFilm(bool detailed);
    void SetButtonsEnabled(bool enabled);

    bool building_ = false;
};
