#pragma once
// The per-user settings store addressed by application, section and key
// (VB's GetSetting/SaveSetting). Values are texts in an INI file in the
// user's configuration folder ($XDG_CONFIG_HOME/<application>.ini).
#include <QString>

// The stored text, or `defaultValue` when the key was never written.
// A stored empty text reads back as empty.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
// Stores the text, replacing any earlier value, and writes the file at once.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);
