#include "core/mFunction.h"

#include "listview.h"

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
