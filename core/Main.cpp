#include "core/Main.h"
#include "core/schema.h"

#include "core/frmMaster.h"
#include "core/frmSplash.h"
#include "core/mDatabase.h"
#include "lookup/mNewVersion.h"

#include "apppath.h"
#include "doevents.h"
#include "msgbox.h"
#include "qtczech.h"
#include "settings.h"
#include "vb.h"

#include <QFileInfo>

const QString kSettingsApp = QStringLiteral("ZorvDVDMerva-lona");
const QString kSettingsSection = QStringLiteral("Settings");

QString VersionText() {
    return QStringLiteral("%1.%2.%3").arg(kVerMajor).arg(kVerMinor).arg(kVerRevision);
}

QString GetSett(const QString& key, const QString& defaultValue) {
    return GetSetting(kSettingsApp, kSettingsSection, key, defaultValue);
}

void SaveSett(const QString& key, const QString& value) {
    SaveSetting(kSettingsApp, kSettingsSection, key, value);
}

void ShowError(const QString& message, const QString& place) {
    MsgBox(message + QStringLiteral("\n\n") + place, vb::vbCritical | vb::vbOKOnly,
           QStringLiteral("Chyba aplikace:"));
}

namespace {

// At start-up the dialog has no owner window.
void ShowNewVersionUnowned() {
    ShowNewVersionDialog(nullptr);
}

// The bare name of an existing file, "" when there is none (as the file look-up gives it).
QString FileLookup(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() ? info.fileName() : QString();
}

} // namespace

namespace startup {
bool (*CheckNewVersion)() = ::CheckNewVersion;
void (*ShowNewVersion)() = ShowNewVersionUnowned;
} // namespace startup

void Main() {
    UseQtCzech();
    DBPath = GetSett(QStringLiteral("ActDB"), DataPath() + QStringLiteral("data.ddb"));

    {
        frmSplash splash;
        splash.exec();
    }

    if (!vb::LCase(vb::Trim(FileLookup(DBPath))).contains(QLatin1String("ddb"))) {
        MsgBox(QStringLiteral("Nenalezen soubor databáze!"), vb::vbCritical | vb::vbOKOnly,
               QStringLiteral("Chyba:"));
        return;
    }

    schema::AddMissingIndexes(QString(DBPath).remove(QChar(0))); // a catalogue made before gets its indexes

    auto* master = new frmMaster;
    master->show();
    DoEvents();

    if (GetSett(QStringLiteral("ShowNewVer"), QStringLiteral("A")) == QLatin1String("A")) {
        if (startup::CheckNewVersion()) startup::ShowNewVersion();
    }
}
