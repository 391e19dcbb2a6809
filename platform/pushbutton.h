#pragma once
// A command button as the original windows have them: never a default or
// auto-default button, so Enter in a box presses nothing.
#include <QPushButton>
#include <QString>

inline QPushButton* NewPushButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}
