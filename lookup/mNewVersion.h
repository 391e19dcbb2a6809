#pragma once
// The check for a newer version on the maker's support site.
#include <QString>

class QWidget;

// Address of the version file and of the upgrade, under the support site's root.
QString VersionFileUrl(); // SupportRoot() + "podpora/files/dvdmervaver.asp"
QString UpgradeUrl();     // SupportRoot() + "podpora/files/setupupgrade.exe"

// Downloads the version file into DataPath() + "dvdver.inf" and compares its
// first value ("1-8-7") with the running version. True only when the offered
// version is newer; a failed download or a value that is not three whole
// numbers joined by "-" counts as no newer version.
bool CheckNewVersion();

// The first value of the version file's text, read as Input # reads it: up
// to the first comma or line end, blanks around it dropped, a value in double
// quotes without them.
QString FirstInputValue(const QString& text);

// True when `value` ("1-08-7") is three whole numbers joined by "-" and
// greater than major.minor.revision in the first number in which they differ.
bool IsNewerVersion(const QString& value, int major, int minor, int revision);

// Shows frmNewVersion modal, owned by `owner` (none when null).
void ShowNewVersionDialog(QWidget* owner);

// The help menu's "Zjistit novou verzi": the check, then either the dialog
// owned by `owner` or the message that this version is the newest.
void ZjistitNovouVerzi(QWidget* owner);
