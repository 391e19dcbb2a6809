#include "placement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace {

// The frame the window manager will put around the window. It is known
// only once a window has been shown: take the owner's when it has one, else
// a title bar and a thin border as most window managers draw them.
QMargins frameOf(const QWidget* window, const QWidget* owner) {
    if (owner) {
        const QRect frame = owner->frameGeometry();
        const QRect inner = owner->geometry();
        const QMargins m(inner.left() - frame.left(), inner.top() - frame.top(),
                         frame.right() - inner.right(), frame.bottom() - inner.bottom());
        if (m.top() > 0) return m;
    }
    const int border = 4;
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return QMargins(border, title + border, border, border);
}

} // namespace

void PlaceWindow(QWidget* window, const QWidget* owner) {
    if (owner) owner = owner->window();
    QScreen* screen = owner ? owner->screen() : window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();

    window->ensurePolished();
    if (window->layout()) window->layout()->activate();
    if (!window->testAttribute(Qt::WA_Resized)) window->adjustSize();

    const QMargins frame = frameOf(window, owner);
    const QSize room(area.width() - frame.left() - frame.right(),
                     area.height() - frame.top() - frame.bottom());
    const QSize size = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (size != window->size()) window->resize(size);

    // The whole frame over the middle of the owner (or the screen), then
    // moved in where it would stick out; the top left stays on the screen.
    QRect placed(QPoint(0, 0), window->size().grownBy(frame));
    placed.moveCenter(owner ? owner->frameGeometry().center() : area.center());
    placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
    window->move(placed.topLeft());
}
