#include "fixtures.h"

#include "core/Main.h"

#include "listview.h"

#include <QSettings>

namespace testsupport {

void clearProgramSettings() {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, kSettingsApp);
    store.clear();
    store.sync();
}

QDateTime at(int d, int m, int y, int hh, int mm, int ss) {
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss));
}

QStringList listColumn(const ListView* lv, int sub) {
    QStringList out;
    for (int i = 1; i <= lv->Count(); ++i)
        out << (sub == 0 ? lv->Item(i)->Text() : lv->Item(i)->SubItem(sub));
    return out;
}

} // namespace testsupport
