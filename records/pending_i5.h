#pragma once
// Stand-ins for the picture store and the dialogs until they are merged.
#include "variant.h"
#include <QString>
class QComboBox;
class QWidget;
long SaveObalPic(long DVDID, const QString& path);
long SaveNahledPic(long DVDID, const QString& path);
QString LoadObalPic(long picId);
QString LoadNahledPic(long picId);
int FindItemData(QComboBox* combo, const ado::Variant& value, int defaultIndex);
QString OpenObalPicDialog(QWidget* owner);
QString OpenNahledPicDialog(QWidget* owner);
QString SavePicDialog(QWidget* owner);
