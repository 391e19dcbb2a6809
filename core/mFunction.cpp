#include "core/mFunction.h"

#include "listview.h"
#include "vb.h"

#include <QComboBox>

void SetItemColor(ListView* lvw, const QString& key, qint32 color) {
    ListItem* item = lvw->Item(key);
    item->setForeColor(color);
    for (int i = 1; i <= item->SubItemCount(); ++i)
        item->setSubItemForeColor(i, color);
}

QString GetJazykText(qint32 jazyk) {
    switch (jazyk) {
    case 0:
        return QStringLiteral("Česky");
    case 1:
        return QStringLiteral("CZ Titulky");
    default:
        return QStringLiteral("Neuvedeno");
    }
}

int FindItemData(QComboBox* combo, const ado::Variant& value, int defaultIndex) {
    if (value.isNull()) return defaultIndex;
    const qint32 wanted = vb::CLng(value);
    for (int i = 0; i < combo->count(); ++i) {
        const QVariant data = combo->itemData(i);
        if ((data.isValid() ? data.toLongLong() : 0) == wanted) return i;
    }
    return defaultIndex;
}
