#include "core/Main.h"

#include "msgbox.h"
#include "settings.h"

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
