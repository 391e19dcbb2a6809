#include "core/Main.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Main();
    // Without a catalogue start-up opened no window: nothing to wait for.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible()) return app.exec();
    return 0;
}
