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

// Start-up: fixes the catalogue path, shows the splash, checks that the
// catalogue file is there, opens the main window and, when the setting
// "ShowNewVer" is "A", checks for a newer version. Returns with the main
// window open, or with no window when the catalogue is missing.
void Main();

// The start-up version check (true: a newer version is out) and the dialog
// shown then. Tests replace them to see whether start-up asks.
namespace startup {
extern bool (*CheckNewVersion)();
extern void (*ShowNewVersion)();
} // namespace startup
