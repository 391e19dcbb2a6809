#pragma once
// main() of a test program: settings, caches and runtime files go to a
// temporary home, so a test never touches the user's own.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace testsupport {
// Points HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR at `home`.
void useTemporaryHome(const QString& home);
} // namespace testsupport

#define DVD_TEST_MAIN(TestClass)                                                                             \
    int main(int argc, char** argv) {                                                                        \
        QTemporaryDir home;                                                                                  \
        testsupport::useTemporaryHome(home.path());                                                          \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
