#pragma once
// Windows laid out like the forms they replace: controls placed in twips and
// named, buttons that are never a default button (Enter in a box presses none).
#include "twips.h"

#include <QRect>
#include <QString>

class QAbstractItemView;
class QGroupBox;
class QIcon;
class QLabel;
class QLineEdit;
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

// The picture of a button that adds a new record: a green plus, which reads
// as a live button where the desktop's blank-page picture looks greyed out.
QIcon NewRecordIcon();

// Toolbars as the forms had them: no window menu on the bars (which would
// let the user hide a bar, and its buttons, for the rest of the run), and a
// toolbar button shows a tool tip only when one was given, not its caption.
// Call once the toolbars hold their buttons.
void PlainToolbars(QMainWindow* window);

// Shows a window that may be hidden behind others or minimised, in front.
void BringForward(QWidget* window);

// A multi-line box's text as the catalogue keeps it, and back. SetBoxText
// shows CR LF, LF or a lone CR as a line end; BoxText gives the text set by
// SetBoxText unchanged, character for character, while the box still shows it
// as set, and otherwise the box's text with CR LF line ends (no-break spaces
// and line separators kept).
QString BoxText(const QPlainTextEdit* box);
void SetBoxText(QPlainTextEdit* box, const QString& text);

// Boxes that take no more than `limit` characters as stored (in a multi-line
// box a line end counts as its two, CR LF): of what the user types or pastes
// only as much as fits goes in, whole characters, and nothing already there
// is dropped. A longer text set by the program (a stored value) is kept whole.
void LimitLineBox(QLineEdit* box, int limit);
void LimitMultiLineBox(QPlainTextEdit* box, int limit);

// A multi-line box wraps at blanks, and anywhere once it holds a word of
// more than a few hundred characters: Qt lays out a word too long for the
// line in time that grows with the square of its length (a megabyte took
// over a minute), and such a word is cut anywhere all the same. The box goes
// back to wrapping at blanks when its whole text is set anew without one.
void WrapLongWords(QPlainTextEdit* box);

// What a list, a caption or a title shows of a catalogue or page text: its
// first 1024 characters (whole ones), "…" after a cut. No line shows more,
// and measuring a megabyte takes a window seconds at every repaint.
QString ShownText(const QString& text);
// An item view that measures and paints each item's ShownText; the items
// keep their whole text.
void ShowShortTexts(QAbstractItemView* view);

// The text of a line box, a multi-line box (as BoxText) or a combo box's edit
// text; setting it shows a line box from its first character.
QString ControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);
