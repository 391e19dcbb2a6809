#include "keylocks.h"

#include <QGuiApplication>

#if defined(HAVE_X11)
#include <QtGui/qguiapplication_platform.h>
#if QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#define KEYLOCKS_XKB 1
#endif
#endif

namespace {

#if defined(KEYLOCKS_XKB)
KeyLockState indicator(const char* name) {
    auto* app = qGuiApp;
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb")) return KeyLockState::Unknown;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return KeyLockState::Unknown;
    // Named indicators, not bit numbers: keyboard maps number them differently.
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) return KeyLockState::Unknown;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return KeyLockState::Unknown;
    return on ? KeyLockState::On : KeyLockState::Off;
}
#else
KeyLockState indicator(const char*) {
    return KeyLockState::Unknown;
}
#endif

} // namespace

KeyLockState CapsLockState() {
    return indicator("Caps Lock");
}
KeyLockState NumLockState() {
    return indicator("Num Lock");
}
