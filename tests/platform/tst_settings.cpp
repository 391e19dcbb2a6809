#include "settings.h"
#include "testmain.h"

#include <QDir>
#include <QFile>

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void unwrittenKeyGivesTheDefault() {
        QCOMPARE(GetSetting("TestApp", "Settings", "Never", "dflt"), QString("dflt"));
        QCOMPARE(GetSetting("TestApp", "Settings", "Never"), QString());
    }

    void roundTripReplacesAndKeepsEmpty() {
        SaveSetting("TestApp", "Settings", "Key", "first");
        SaveSetting("TestApp", "Settings", "Key", "druhý, s čárkou; a = rovná se");
        QCOMPARE(GetSetting("TestApp", "Settings", "Key", "dflt"), QString("druhý, s čárkou; a = rovná se"));
        SaveSetting("TestApp", "Settings", "Empty", "");
        QCOMPARE(GetSetting("TestApp", "Settings", "Empty", "dflt"), QString(""));
        // values are texts, whatever they look like
        SaveSetting("TestApp", "Settings", "Num", "0012");
        QCOMPARE(GetSetting("TestApp", "Settings", "Num"), QString("0012"));
        SaveSetting("TestApp", "Settings", "Path", "/home/u/Obrázky/DVD");
        QCOMPARE(GetSetting("TestApp", "Settings", "Path"), QString("/home/u/Obrázky/DVD"));
    }

    void sectionsAndApplicationsAreApart() {
        SaveSetting("AppA", "S1", "K", "a1");
        SaveSetting("AppA", "S2", "K", "a2");
        SaveSetting("AppB", "S1", "K", "b1");
        QCOMPARE(GetSetting("AppA", "S1", "K"), QString("a1"));
        QCOMPARE(GetSetting("AppA", "S2", "K"), QString("a2"));
        QCOMPARE(GetSetting("AppB", "S1", "K"), QString("b1"));
        QCOMPARE(GetSetting("AppB", "S2", "K", "none"), QString("none"));
    }

    void storedInTheUsersConfigFolder() {
        SaveSetting("FileApp", "Settings", "ColSie", "1440,2000");
        const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + "/FileApp.ini";
        QVERIFY2(QFile::exists(file), qPrintable(file));
        // a hand-edited line without quotes still reads as the text
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Settings]\nColSie=1440,2000\n");
        f.close();
        QCOMPARE(GetSetting("FileApp", "Settings", "ColSie"), QString("1440,2000"));
    }
};

DVD_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
