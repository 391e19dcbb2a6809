#include "core/mFunction.h"

#include "core/modSortLvw.h"

#include "apppath.h"
#include "htmlhelp.h"
#include "listview.h"
#include "vb.h"

#include <QComboBox>

void SetItemColor(ListView* lvw, const QString& key, qint32 color) {
    SetItemColor(lvw->Item(key), color);
}

void SetItemColor(ListItem* item, qint32 color) {
    item->setAllForeColors(color); // the item's, then each sub-item's
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

void SortColumn(ListView* lvw, ColumnHeader* column, short sortType) {
    lvw->setSortOrder(lvw->SortOrder() == lvwAscending ? lvwDescending : lvwAscending);
    lvw->setSortKey(column->Index() - 1);
    if (sortType != SortText) {
        if (lvw->Sorted()) lvw->setSorted(false);
        SortListView(lvw, sortType);
    } else if (!lvw->Sorted()) {
        lvw->setSorted(true);
    }
}

QString GetHelpFile(int id) {
    if (id != 1) return QString();
    return AppPath() + QStringLiteral("/data/napoveda.chm");
}

void ShowHelp(int id, const QString& window) {
    HtmlHelpShow(GetHelpFile(id) + QLatin1Char('>') + window);
}
