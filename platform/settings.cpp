#include "settings.h"

#include <QSettings>
#include <QStringList>

namespace {
QString keyPath(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}
} // namespace

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue) {
    const QSettings store(QSettings::IniFormat, QSettings::UserScope, application);
    const QString path = keyPath(section, key);
    if (!store.contains(path)) return defaultValue;
    const QVariant v = store.value(path);
    // A hand-edited line with unquoted commas comes back as a list.
    if (v.userType() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, application);
    store.setValue(keyPath(section, key), value);
    store.sync();
}
