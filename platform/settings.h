#pragma once
// The per-user settings store addressed by application, section and key
// (VB's GetSetting/SaveSetting). Values are texts in an INI file in the
// user's configuration folder ($XDG_CONFIG_HOME/<application>.ini, by default
// ~/.config/<application>.ini), one "key=value" line each under "[section]".
// A value is read as written: everything after the first "=" up to the end of
// the line, commas, semicolons and backslashes included; only a value wholly
// wrapped in double quotes is unwrapped (how one holding a line break is
// written, and how earlier versions wrote a value with "," or ";"). Section and key
// names are compared without regard to case, as the Windows store did.
#include <QString>

// The INI file of the application.
QString SettingsFile(const QString& application);

// The stored text, or `defaultValue` when the key was never written.
// A stored empty text reads back as empty.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
// Stores the text, replacing any earlier value, and writes the file at once;
// the file's other lines stay as they were.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);
