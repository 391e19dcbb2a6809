#pragma once
// The picture file dialogs of the film editor and the cover search: one
// filter "JPEG Obrazek (*.jpg)"; each returns a full path, or "" on cancel.
#include <QString>

class QWidget;

// "Načtení obrázku", starting in the folder of the setting "Covers" (default
// the program's folder); a name typed without an extension gets ".jpg".
QString OpenObalPicDialog(QWidget* owner);
// As above from the setting "Nahled"; a name is taken as typed.
QString OpenNahledPicDialog(QWidget* owner);
// "Uložení obrázku", starting in the user's home folder; default extension "jpg".
QString SavePicDialog(QWidget* owner);
