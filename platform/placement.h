#pragma once
// Where a window opens: over the middle of its owner (or of the screen) and
// never larger than the screen's available area, window frame included.
// Qt centres dialogs on their owner itself; a main window is left to the
// window manager, which may put it anywhere, and keeps its designed size
// also where that does not fit (a small screen, a large scale factor).

class QWidget;

// Call once before the window is first shown. A window that cannot shrink
// (a fixed size) keeps its size and is still kept on the screen from its
// top left.
void PlaceWindow(QWidget* window, const QWidget* owner = nullptr);
