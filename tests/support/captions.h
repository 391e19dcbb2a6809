#pragma once
// Captions that the Linux fonts do not fit into their controls.
#include <QStringList>

class ListView;
class QWidget;

// "objectName: caption" of every check box, radio button, label and frame
// title under `window` whose text is wider (or, wrapped, taller) than its
// control. Hidden panels count too: they are shown later.
QStringList CutCaptions(const QWidget* window);

// "header: text" of every cell of `list` whose text is wider than its column.
QStringList CutCells(const ListView* list);
