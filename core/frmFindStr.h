#pragma once
// The search prompt: the caller sets the caption, shows it modal and reads
// HledanyRetezec afterwards.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class frmFindStr : public QDialog {
    Q_OBJECT
public:
    explicit frmFindStr(QWidget* parent = nullptr);

    // The search text, set only by "Vyhledat". It outlives the window: closing
    // the prompt otherwise leaves the previous search's text.
    static QString HledanyRetezec;

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* cmdVyhledat;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdVyhledat_Click();
};
