#pragma once
// The two code lists (genres, departments) work alike: a modeless list window
// with an add and an edit button, and a small modal editor that adds a new
// entry or renames one. What differs between them is held in a CodeListKind.
#include "controls.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class ListView;
class QLabel;
class QLineEdit;
class QPushButton;

struct CodeListKind {
    QString listName; // objectName of the list window
    QString listCaption;
    QString editorName; // objectName of the editor
    QString editorCaption;
    QString nameHeader; // second column of the list
    QString addTip;     // button tooltips; empty: none
    QString editTip;
    QString listSql;
    QString readSql; // followed by the id
    QString saveSql; // followed by the id
    QString nameField;
    QString idField;
    QString colorField; // empty: rows keep the list's default colour
    bool editNeedsRows; // the edit button follows whether the list holds a row
};

// The editor: ID 0 adds a new entry, any other renames entry ID.
class CodeListEditor : public QDialog {
    Q_OBJECT
public:
    qint32 ID = 0;

    // Puts the name of entry ID into txtZanr.
    void ReadData();
    // The name must have more than two characters without the blanks around
    // it; the box turns white when it has, pink when not.
    bool Kontrola();

    static constexpr qint32 OkColor = 255 + 256 * 255 + 65536 * 255;
    static constexpr qint32 BadColor = 250 + 256 * 200 + 65536 * 200;

    QLabel* Label1;
    QLineEdit* txtZanr;
    QPushButton* cmdSave;
    QPushButton* cmdStorno;

protected:
    CodeListEditor(const CodeListKind& kind, QWidget* parent);
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdSave_Click();
    void cmdStorno_Click();
    bool Save();
    void setBackColor(qint32 color);

    const CodeListKind& kind_;
};

class CodeListWindow : public QDialog {
    Q_OBJECT
public:
    // Empties the list and fills it again from the table.
    void Refresh_List();

    ListView* lvwZanr;
    QPushButton* Command1; // add
    QPushButton* Command3; // edit

protected:
    CodeListWindow(const CodeListKind& kind, QWidget* owner);
    // A fresh editor for one add or edit.
    virtual CodeListEditor* NewEditor() = 0;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // One window of a kind at a time: a second opening brings it forward.
    template <class W> static W* OpenOne(QPointer<W>& open, QWidget* owner) {
        if (!open) {
            open = new W(owner);
            open->Form_Load();
        }
        BringForward(open);
        return open;
    }

private:
    void Form_Load();
    void Command1_Click();
    void Command3_Click();
    void layOut();

    const CodeListKind& kind_;
};
