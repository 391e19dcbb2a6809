#include "apppath.h"
#include "testmain.h"

class TestAppPath : public QObject {
    Q_OBJECT
private slots:
    void redirectsAndRestores() {
        const QString original = AppPath();
        SetAppPath("/tmp/x");
        QCOMPARE(AppPath(), QString("/tmp/x"));
        QCOMPARE(DataPath(), QString("/tmp/x/data/"));
        SetAppPath("");
        QCOMPARE(AppPath(), original);
    }
};

DVD_TEST_MAIN(TestAppPath)
#include "tst_apppath.moc"
