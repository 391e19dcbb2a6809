#include "controls.h"

#include "vb.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
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

void BringForward(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

namespace {

// The text SetBoxText was given, and the box's own text right after.
const char kSetText[] = "boxSetText";
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
    box->setProperty(kSetting, true); // a stored value is not cut to the box's limit
    // vb::Replace: QString::replace moves the rest of the text again for
    // every thousand line ends.
    box->setPlainText(vb::Replace(text, QStringLiteral("\r\n"), QStringLiteral("\n")));
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
