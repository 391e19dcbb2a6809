#pragma once
// Small functions shared by the windows' lists.
#include "variant.h"

#include <QString>
#include <QtGlobal>

class ListView;
class ListItem;
class QComboBox;
class ColumnHeader;

// Text colour of the rows of lent films: RGB(1, 100, 1).
inline constexpr qint32 PujcenoColor = 1 + 256 * 100 + 65536 * 1;

// Colours the row with the given key and each of its sub-items. A key that no
// row has raises the list's "Element not found"; the caller decides.
void SetItemColor(ListView* lvw, const QString& key, qint32 color);
// The same for a row at hand.
void SetItemColor(ListItem* item, qint32 color);

// The film list's text for a language code: 0 "Česky", 1 "CZ Titulky",
// anything else "Neuvedeno".
QString GetJazykText(qint32 jazyk);

// The index of the first entry whose item value (itemData, 0 when it has
// none) equals the value as a 32-bit integer, else defaultIndex. Null gives
// defaultIndex at once; a value that is no 32-bit integer raises (vb::CLng).
int FindItemData(QComboBox* combo, const ado::Variant& value, int defaultIndex);

// A header click: the one shared order of the list is reversed, the header's
// column becomes the sort key and the list is sorted by the type (0 the list's
// own text sort, which then keeps the list sorted; 1 numbers; 2 dates).
void SortColumn(ListView* lvw, ColumnHeader* column, short sortType);

// The help file for an id: 1 is data/napoveda.chm in the program's directory,
// any other id "".
QString GetHelpFile(int id);
// Shows the help file's table of contents; the window name goes after ">".
// What the viewer answers is not looked at.
void ShowHelp(int id, const QString& window);
