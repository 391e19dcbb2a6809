#pragma once
// Sorting the film list by catalogue number and by lend date: the list's
// custom sort with compare callbacks that read the two items' cells.
#include <QString>
#include <QtGlobal>

class ListView;

// Sort types of the column-click handler.
enum SortType : short { SortText = 0, SortNumbers = 1, SortDates = 2 };

// Type 1 sorts with CompareNumbers, type 2 with CompareDates; type 0 leaves
// the order to the list's own text sort.
void SortListView(ListView* lvw, short sortType);

// Compare two items (by application value) in the list's sort key column,
// honouring its sort order: negative, 0 or positive. An empty list gives 0.
int CompareNumbers(qint64 lParam1, qint64 lParam2, ListView* lvw);
int CompareDates(qint64 lParam1, qint64 lParam2, ListView* lvw);

// The cell text (at most 31 characters) of the item with that application
// value; "" when no item has it.
QString LvwGetItemTextByParam(qint64 lParam, ListView* lvw, int subItem);
