#include "core/Main.h"

#include "vb.h"

#include <QApplication>
#include <QWidget>

#include <unistd.h>

int main(int argc, char** argv) {
    // Chromium of the look-up's browser will not start as root with its sandbox.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    vb::PinLocalTimeZone();
    QApplication app(argc, argv);
    Main();
    // Without a catalogue start-up opened no window: nothing to wait for.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible()) return app.exec();
    return 0;
}
