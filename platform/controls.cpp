#include "controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

QWidget* PlaceControl(QWidget* w, const char* name, const QRect& at) {
    if (name) w->setObjectName(QLatin1String(name));
    w->setGeometry(at);
    return w;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& at) {
    auto* b = Place(new QPushButton(text, parent), name, at);
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
