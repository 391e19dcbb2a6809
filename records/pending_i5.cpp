#include "records/pending_i5.h"
#include "filedialogs.h"
#include <QComboBox>
long SaveObalPic(long, const QString&) { return 0; }
long SaveNahledPic(long, const QString&) { return 0; }
QString LoadObalPic(long) { return QString(); }
QString LoadNahledPic(long) { return QString(); }
int FindItemData(QComboBox* combo, const ado::Variant& value, int defaultIndex) {
    if (value.isNull()) return defaultIndex;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemData(i).toLongLong() == value.toLong()) return i;
    return defaultIndex;
}
QString OpenObalPicDialog(QWidget* owner) { return GetOpenFileName("Obal", "JPEG Obrazek (*.jpg)|*.jpg", "", "jpg", owner); }
QString OpenNahledPicDialog(QWidget* owner) { return GetOpenFileName("Náhled", "JPEG Obrazek (*.jpg)|*.jpg", "", "jpg", owner); }
QString SavePicDialog(QWidget* owner) { return GetSaveFileName("Uložit", "JPEG Obrazek (*.jpg)|*.jpg", "", "jpg", owner); }
