#include "core/Main.h"
#include "msgbox.h"
#include "settings.h"
#include "testmain.h"

class TestMainSettings : public QObject {
    Q_OBJECT
private slots:
    void settRoundTrip() {
        QCOMPARE(GetSett("ShowNewVer", "A"), QString("A"));
        SaveSett("ShowNewVer", "N");
        QCOMPARE(GetSett("ShowNewVer", "A"), QString("N"));
        SaveSett("Covers", "");
        QCOMPARE(GetSett("Covers", "/opt/app"), QString(""));
        // the program's application and section
        QCOMPARE(GetSetting("ZorvDVDMerva-lona", "Settings", "ShowNewVer"), QString("N"));
    }

    void showErrorBox() {
        msgbox::Recorder rec;
        ShowError("Chyba při čtení", "frmMaster/Sub:SetColSizeStr");
        QCOMPARE(rec.count(), 1);
        QCOMPARE(rec.last().text, QString("Chyba při čtení\n\nfrmMaster/Sub:SetColSizeStr"));
        QCOMPARE(rec.last().title, QString("Chyba aplikace:"));
        QCOMPARE(rec.last().icon(), int(vb::vbCritical));
        QCOMPARE(rec.last().buttons(), int(vb::vbOKOnly));
    }

    void version() { QCOMPARE(VersionText(), QString("1.8.6")); }
};

DVD_TEST_MAIN(TestMainSettings)
#include "tst_main_settings.moc"
