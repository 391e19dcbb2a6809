#pragma once
// Windows laid out like the forms they replace: controls placed in twips and
// named, buttons that are never a default button (Enter in a box presses none).
#include "twips.h"

#include <QRect>
#include <QString>

class QGroupBox;
class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// `w` named (unless name is null) and placed; returns it.
QWidget* PlaceControl(QWidget* w, const char* name, const QRect& at);
template <class W> W* Place(W* w, const char* name, const QRect& at) {
    PlaceControl(w, name, at);
    return w;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& at);
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& at);
QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& title, const QRect& at);

// Toolbars as the forms had them: no window menu on the bars (which would
// let the user hide a bar, and its buttons, for the rest of the run), and a
// toolbar button shows a tool tip only when one was given, not its caption.
// Call once the toolbars hold their buttons.
void PlainToolbars(QMainWindow* window);

// Shows a window that may be hidden behind others or minimised, in front.
void BringForward(QWidget* window);

// A multi-line box's text with CR LF line ends, as the catalogue keeps it,
// and back (the box itself holds LF).
QString BoxText(const QPlainTextEdit* box);
void SetBoxText(QPlainTextEdit* box, const QString& text);

// The text of a line box, a multi-line box (CR LF kept as the box holds it)
// or a combo box's edit text; setting it shows a line box from its start.
QString ControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);
