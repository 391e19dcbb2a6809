#pragma once
// Start-up module: the settings of the program, its error box and its version.
#include <QString>

// The program version, shown as "1.8.6" and compared by the new-version check.
constexpr int kVerMajor = 1;
constexpr int kVerMinor = 8;
constexpr int kVerRevision = 6;
// "major.minor.revision" in decimal without leading zeros.
QString VersionText();

// The settings store of the program: application "ZorvDVDMerva-lona", section "Settings".
extern const QString kSettingsApp;
extern const QString kSettingsSection;

// The stored text of `key`, or `defaultValue` when it was never written.
QString GetSett(const QString& key, const QString& defaultValue = QString());
void SaveSett(const QString& key, const QString& value);

// Error box: the message, an empty line and the place ("frmMaster/Sub:SetColSizeStr").
void ShowError(const QString& message, const QString& place);
