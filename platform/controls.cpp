#include "controls.h"

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
#include <QToolButton>

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

QString BoxText(const QPlainTextEdit* box) {
    return box->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void SetBoxText(QPlainTextEdit* box, const QString& text) {
    QString shown = text;
    box->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QString ControlText(const QWidget* control) {
    if (auto* line = qobject_cast<const QLineEdit*>(control)) return line->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(control)) return box->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentText();
    return QString();
}

void SetControlText(QWidget* control, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(control)) {
        box->setPlainText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(text);
    }
}
