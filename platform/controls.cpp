#include "controls.h"

#include "vb.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include <limits>
#include <memory>

namespace {

// A command button whose caption wraps onto more lines when it does not fit
// on one, as the Windows buttons did: the forms' button sizes were made for
// that, and a cut caption would hide what the button does.
class CommandButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override {
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
        if (!icon().isNull() || fontMetrics().horizontalAdvance(opt.text) <= area.width()) {
            QPushButton::paintEvent(event);
            return;
        }
        const QString caption = opt.text;
        opt.text.clear();
        QStylePainter p(this);
        p.drawControl(QStyle::CE_PushButton, opt);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
    }
};

// Swallows the tool tip of a toolbar button whose action has none of its own:
// QAction then gives its caption as the tip.
class CaptionTipFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return false;
        const auto* button = qobject_cast<QToolButton*>(watched);
        const QAction* action = button ? button->defaultAction() : nullptr;
        return action && action->toolTip() == action->iconText();
    }
};

} // namespace

void PlainToolbars(QMainWindow* window) {
    // The bars, the menu bar and the empty bar area pass a right click up to
    // the window, which would list the bars.
    window->setContextMenuPolicy(Qt::PreventContextMenu);
    static auto* filter = new CaptionTipFilter(qApp);
    for (QToolButton* button : window->findChildren<QToolButton*>())
        button->installEventFilter(filter);
}

QWidget* PlaceControl(QWidget* w, const char* name, const QRect& at) {
    if (name) w->setObjectName(QLatin1String(name));
    w->setGeometry(at);
    return w;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& at) {
    auto* b = Place<QPushButton>(new CommandButton(text, parent), name, at);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& at) {
    return Place(new QLabel(text, parent), name, at);
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& title, const QRect& at) {
    return Place(new QGroupBox(title, parent), name, at);
}

QIcon NewRecordIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 0));
    p.drawRect(6, 2, 4, 12);
    p.drawRect(2, 6, 12, 4);
    return QIcon(pm);
}

void BringForward(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

namespace {

// Longer runs without a blank make a box wrap anywhere; shorter ones cost
// little even at the square of their length.
constexpr int kLongWord = 256;
constexpr qsizetype kShownChars = 1024;

bool holdsLongWord(QStringView text) {
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongWord) return true;
    }
    return false;
}

// The text SetBoxText was given, and the box's own text right after.
const char kSetText[] = "boxSetText";
const char kWrapsLongWords[] = "boxWrapsLongWords"; // set by WrapLongWords
const char kShownText[] = "boxShownText";
const char kSetting[] = "boxSetting"; // true while SetBoxText puts its text in

// The length as stored: a line end is CR LF, a surrogate pair one character.
int storedLength(const QString& raw) {
    return vb::CharCount(raw) + int(raw.count(QChar::ParagraphSeparator));
}

// Where the whole character that ends at `end` begins (not before `start`).
int charStart(const QString& s, int end, int start) {
    return end - 2 >= start && s[end - 1].isLowSurrogate() && s[end - 2].isHighSurrogate() ? end - 2
                                                                                           : end - 1;
}

} // namespace

QString BoxText(const QPlainTextEdit* box) {
    QString shown = box->document()->toRawText();
    if (box->property(kSetText).isValid() && box->property(kShownText).toString() == shown)
        return box->property(kSetText).toString();
    return vb::Replace(shown, QString(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
}

void SetBoxText(QPlainTextEdit* box, const QString& text) {
    // vb::Replace: QString::replace moves the rest of the text again for
    // every thousand line ends.
    const QString shown = vb::Replace(text, QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setProperty(kSetting, true); // a stored value is not cut to the box's limit
    if (box->property(kWrapsLongWords).toBool()) {
        // The wrap the text needs chosen while the box is empty, so the text
        // is laid out once.
        box->clear();
        box->setWordWrapMode(holdsLongWord(shown) ? QTextOption::WrapAnywhere
                                                  : QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
    box->setPlainText(shown);
    box->setProperty(kSetting, QVariant());
    box->setProperty(kSetText, text);
    box->setProperty(kShownText, box->document()->toRawText());
}

void LimitLineBox(QLineEdit* box, int limit) {
    box->setMaxLength(std::numeric_limits<int>::max());
    auto before = std::make_shared<int>(0); // characters before the user's edit
    QObject::connect(box, &QLineEdit::textChanged, box,
                     [box, before] { *before = vb::CharCount(box->text()); });
    // textEdited comes before textChanged: `before` still counts the old text.
    QObject::connect(box, &QLineEdit::textEdited, box, [box, limit, before](const QString& text) {
        int excess = vb::CharCount(text) - qMax(limit, *before);
        if (excess <= 0) return;
        const int end = box->cursorPosition(); // just after what went in
        int from = end;
        for (; excess > 0 && from > 0; --excess)
            from = charStart(text, from, 0);
        box->setText(QString(text).remove(from, end - from));
        box->setCursorPosition(from);
    });
}

void LimitMultiLineBox(QPlainTextEdit* box, int limit) {
    auto before = std::make_shared<int>(0);
    QObject::connect(box->document(), &QTextDocument::contentsChange, box,
                     [box, limit, before](int position, int, int added) {
                         const QString raw = box->document()->toRawText();
                         const int length = storedLength(raw);
                         int excess = length - qMax(limit, *before);
                         // A stored value set whole (SetBoxText) and a removal are kept.
                         if (excess <= 0 || added <= 0 || box->property(kSetting).toBool()) {
                             *before = length;
                             return;
                         }
                         const int end = qMin(position + added, int(raw.size()));
                         int from = end;
                         while (excess > 0 && from > position) {
                             excess -= raw[from - 1] == QChar::ParagraphSeparator ? 2 : 1;
                             from = charStart(raw, from, position);
                         }
                         // Part of the user's edit: one undo takes back what went in.
                         QTextCursor cut(box->document());
                         cut.joinPreviousEditBlock();
                         cut.setPosition(from);
                         cut.setPosition(end, QTextCursor::KeepAnchor);
                         cut.removeSelectedText();
                         cut.endEditBlock();
                         *before = storedLength(box->document()->toRawText());
                     });
}

QString ControlText(const QWidget* control) {
    if (auto* line = qobject_cast<const QLineEdit*>(control)) return line->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(control)) return BoxText(box);
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentText();
    return QString();
}

void SetControlText(QWidget* control, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(control)) {
        SetBoxText(box, text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(text);
    }
}

namespace {

class ShortTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->text.size() > kShownChars) option->text = ShownText(option->text);
    }
};

} // namespace

void WrapLongWords(QPlainTextEdit* box) {
    box->setProperty(kWrapsLongWords, true);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Decided before the box lays the change out: the switch itself lays out
    // the whole text once.
    QObject::connect(box->document(), &QTextDocument::contentsChange, box,
                     [box](int position, int, int added) {
                         QTextDocument* doc = box->document();
                         const bool whole = position == 0 && added >= doc->characterCount() - 1;
                         const bool anywhere = box->wordWrapMode() == QTextOption::WrapAnywhere;
                         if (anywhere && !whole) return;
                         // The change and as much on either side: a run too long that
                         // passes through the change shows there.
                         // (A handler before this one may have cut the change short.)
                         const int end = doc->characterCount() - 1;
                         QTextCursor around(doc);
                         around.setPosition(whole ? 0 : qBound(0, position - kLongWord - 1, end));
                         around.setPosition(whole ? end : qBound(0, position + added + kLongWord + 1, end),
                                            QTextCursor::KeepAnchor);
                         const bool longWord = holdsLongWord(around.selectedText());
                         if (longWord != anywhere)
                             box->setWordWrapMode(longWord ? QTextOption::WrapAnywhere
                                                           : QTextOption::WrapAtWordBoundaryOrAnywhere);
                     });
}

QString ShownText(const QString& text) {
    if (text.size() <= kShownChars) return text;
    const QString shown = vb::LeftChars(text, int(kShownChars));
    return shown.size() == text.size() ? text : shown + QChar(0x2026);
}

void ShowShortTexts(QAbstractItemView* view) {
    view->setItemDelegate(new ShortTextDelegate(view));
}
