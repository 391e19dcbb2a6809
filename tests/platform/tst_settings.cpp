#include "settings.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

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

    // A pipe or a device under the settings' name is no settings: the start
    // neither waits for it nor reads without end, and nothing replaces it.
    void onlyARegularFileIsRead() {
        const QString fifo = SettingsFile("PipeApp");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QCOMPARE(GetSetting("PipeApp", "Settings", "ActDB", "dflt"), QString("dflt"));
        SaveSetting("PipeApp", "Settings", "ColSie", "1");
        QVERIFY(QFileInfo(fifo).isSymLink() || !QFileInfo(fifo).isFile());
        QVERIFY(QFile::link("/dev/zero", SettingsFile("ZeroApp")));
        QCOMPARE(GetSetting("ZeroApp", "Settings", "ActDB", "dflt"), QString("dflt"));
    }

    void handWrittenValuesReadAsWritten() {
        QFile f(SettingsFile("HandApp"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("; my catalogue\r\n[settings]\r\nActDB=/home/u/My, Films/x;y\\z/data.ddb\r\n"
                "Nahled=\"/old, quoted\"\r\n\r\n[Other]\r\nActDB=elsewhere\r\n");
        f.close();
        QCOMPARE(GetSetting("HandApp", "Settings", "ActDB"), QString("/home/u/My, Films/x;y\\z/data.ddb"));
        QCOMPARE(GetSetting("HandApp", "Settings", "Nahled"), QString("/old, quoted"));

        // a write keeps the user's other lines; every value reads back as saved
        const QStringList values{"/a \"b\"", "\"quoted\"", "two\nlines", "C:\\new\\", ""};
        for (const QString& v : values) {
            SaveSetting("HandApp", "Settings", "Covers", v);
            QCOMPARE(GetSetting("HandApp", "Settings", "Covers", "dflt"), v);
        }
        QCOMPARE(GetSetting("HandApp", "Settings", "ActDB"), QString("/home/u/My, Films/x;y\\z/data.ddb"));
        QCOMPARE(GetSetting("HandApp", "Other", "ActDB"), QString("elsewhere"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(
            f.readAll().startsWith("; my catalogue\n[settings]\nActDB=/home/u/My, Films/x;y\\z/data.ddb\n"));
    }
};

DVD_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
