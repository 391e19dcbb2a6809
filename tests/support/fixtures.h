#pragma once
// Small helpers that many window tests share.
#include <QDateTime>
#include <QStringList>

class ListView;
class QPoint;
class QWidget;

namespace testsupport {

// Forgets every setting of the program (column widths, folders, "ShowNewVer").
void clearProgramSettings();

// A local date and time, day first as the Czech user writes it.
QDateTime at(int d, int m, int y, int hh = 10, int mm = 0, int ss = 0);

// One column of a list in display order: 0 the items' text, n sub-item n.
QStringList listColumn(const ListView* lv, int sub);

// The entries of the pop-up menu that a right click at `pos` on `w` opens
// ("-" for a separator), closing it again; empty when none opens.
QStringList popUpAt(QWidget* w, const QPoint& pos);

// "objectName: tip" of every shown widget under `window` that shows a tool
// tip when the mouse rests on it.
QStringList shownToolTips(QWidget* window);

} // namespace testsupport
