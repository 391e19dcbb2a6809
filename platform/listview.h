#pragma once
// The report-style list view of the original windows (the Windows common
// controls ListView as VB showed it): column headers with widths in twips,
// items with a unique key, text, sub-items, per-cell text colours and an
// application value, its own Czech text sort, a custom sort through a
// compare callback, selection and scrolling into view.
//
// Indexes are 1-based as in VB: ListItem::Index(), Item(i), CellText(i, ...),
// Column(i), the ColumnClick signal. Sub-item n is column n + 1; sub-item 0
// in SortKey and CellText means the item's own text.
//
// Errors are thrown as vb::RuntimeError with the numbers of the Windows
// control: 35600 "Index out of bounds", 35601 "Element not found",
// 35602 "Key is not unique in collection", 380 "Invalid property value".
//
// Order and batches. While Sorted is true the list keeps itself sorted by
// SortKey and SortOrder. The sort is lazy: adding items, changing a sort
// column's text or the sort settings only marks the order as stale, and it is
// brought up to date once, before anything that depends on the order is
// answered (Index(), Item(index), CellText, FindIndexByValue, SelectedItems,
// EnsureVisible, SortItems, painting, input) or when control returns to the
// event loop. A few changed items are moved into place; many are sorted in
// one pass. BeginUpdate()/EndUpdate() bracket a refill: the view hears of
// the changes once, at the closing EndUpdate(); use them for any fill of more
// than a handful of items. Changes outside a batch repaint at the next event
// loop turn.
//
// The model underneath is the view's model(): column c of row r shows the
// item at Index() r + 1, with its text colour as Qt::ForegroundRole (no value
// for a system colour). It shows the current order once the pending sort has
// run (Refresh() runs it at once).
#include <QStringView>
#include <QTreeView>
#include <functional>
#include <memory>
#include <vector>

class ListView;
class ListViewModel;

enum ListColumnAlignment { lvwColumnLeft = 0, lvwColumnRight = 1, lvwColumnCenter = 2 };
enum ListSortOrder { lvwAscending = 0, lvwDescending = 1 };

// One column (VB ColumnHeader). Owned by the list view.
class ColumnHeader {
public:
    int Index() const { return index_ + 1; }
    QString Text() const { return text_; }
    void setText(const QString& text);
    // Width in twips. A width set by code reads back as set; a width the user
    // dragged reads as its pixels * 15. A negative width throws 380.
    int Width() const { return widthTwips_; }
    void setWidth(int twips);
    ListColumnAlignment Alignment() const { return alignment_; }
    void setAlignment(ListColumnAlignment alignment);

private:
    friend class ListView;
    friend class ListViewModel;
    ColumnHeader(ListViewModel* owner, int index, const QString& text, int widthTwips,
                 ListColumnAlignment alignment)
        : owner_(owner), index_(index), text_(text), widthTwips_(widthTwips), alignment_(alignment) {}

    ListViewModel* owner_;
    int index_; // 0-based
    QString text_;
    int widthTwips_;
    ListColumnAlignment alignment_;
};

// One row (VB ListItem). Owned by the list view: the pointer stays valid
// through sorts and is deleted by Remove and Clear.
class ListItem {
public:
    ListItem(const ListItem&) = delete;
    ListItem& operator=(const ListItem&) = delete;

    int Index() const; // 1-based place in the current display order
    const QString& Key() const { return key_; }

    QString Text() const;
    void setText(const QString& text);

    // Sub-items 1 .. ColumnCount() - 1; another index throws 380.
    QString SubItem(int index) const; // "" when never set
    void setSubItem(int index, const QString& text);
    int SubItemCount() const { return cells_ - 1; } // highest sub-item set

    // Text colours as VB colour numbers (vb::RGB), DefaultColor until set.
    // The item's own colour is its first column's; each sub-item has its own.
    // A system colour (a negative number) shows as the default text colour.
    static constexpr qint32 DefaultColor = qint32(0x80000008u); // system colour "window text"
    qint32 ForeColor() const;
    void setForeColor(qint32 color);
    qint32 SubItemForeColor(int index) const;
    void setSubItemForeColor(int index, qint32 color);
    // The item's colour, then each sub-item's in turn (1 .. SubItemCount()),
    // as setForeColor and setSubItemForeColor would set them, in one call.
    void setAllForeColors(qint32 color);

    // Application value (the Windows item's lParam). The list gives every new
    // item a value of its own (1, 2, 3, ... never reused); setValue replaces it.
    qint64 Value() const { return value_; }
    void setValue(qint64 value);

    bool Selected() const { return selected_; }
    void setSelected(bool selected); // in single selection also makes it the focused item
    void EnsureVisible();

private:
    friend class ListView;
    friend class ListViewModel;
    ListItem(ListViewModel* owner, const QString& key, const QString& text, qint64 value);
    // Cell 0 is the item's text, cell n sub-item n; a cell never set reads "".
    QStringView cellText(int index) const;
    qint32 cellColor(int index) const { return index < cells_ ? colors()[index] : DefaultColor; }
    // Whether the text changed.
    bool setCellText(int index, const QString& text);
    void setCellColor(int index, qint32 color);
    void growTo(int cells); // cells that were never set, up to `cells`
    quint32* ends() const { return meta_.get(); }
    qint32* colors() const { return reinterpret_cast<qint32*>(meta_.get() + capacity_); }

    ListViewModel* owner_;
    QString key_;
    // The cells' texts end to end, then in one block where each ends and its
    // colour: a row is a few blocks, not one a cell (a list of 100 000 films
    // holds 700 000 cells).
    QString texts_;
    std::unique_ptr<quint32[]> meta_;
    quint16 cells_ = 0;
    quint16 capacity_ = 0;
    qint64 value_;
    int pos_ = -1;     // 0-based row
    quint32 slot_ = 0; // its place in the model's per-item tables
    bool selected_ = false;
    bool sortDirty_ = false;
};

class ListView : public QTreeView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    // ColumnHeaders
    ColumnHeader* AddColumn(const QString& text, int widthTwips = 1440,
                            ListColumnAlignment alignment = lvwColumnLeft);
    int ColumnCount() const;
    ColumnHeader* Column(int index) const; // 1-based, throws 35600
    void ClearColumns();

    // ListItems
    // Adds an item after the others (or where the sort puts it). An empty key
    // means no key; a key already in the list throws 35602. The first item
    // added to an empty list becomes the selected item, as in the Windows
    // control (setSelectedItem(nullptr) undoes it).
    ListItem* Add(const QString& key, const QString& text);
    void Remove(ListItem* item);
    void Remove(int index);          // throws 35600
    void Remove(const QString& key); // throws 35601
    void Clear();
    int Count() const;
    ListItem* Item(int index) const;               // 1-based, throws 35600
    ListItem* Item(const QString& key) const;      // throws 35601
    ListItem* FindItem(const QString& key) const;  // nullptr when none
    ListItem* FindItemByValue(qint64 value) const; // first in display order; nullptr when none
    int FindIndexByValue(qint64 value) const;      // its Index(), 0 when none

    // Text of a cell as the Windows cell read gives it: at most its first 31
    // characters. Sub-item 0 is the item's text; an index out of range reads "".
    static constexpr int CellTextLimit = 31;
    QString CellText(int index, int subItem) const;

    void BeginUpdate();
    void EndUpdate();
    void Refresh(); // runs a pending sort and repaints now

    // Selection; single unless MultiSelect.
    ListItem* SelectedItem() const;         // the focused item if selected, else the first selected
    void setSelectedItem(ListItem* item);   // nullptr clears the selection
    QList<ListItem*> SelectedItems() const; // in display order
    bool MultiSelect() const;
    void setMultiSelect(bool multi);

    // The control's own sort: Czech collation, case-insensitive.
    bool Sorted() const;
    void setSorted(bool sorted);
    int SortKey() const;
    void setSortKey(int key); // a negative key throws 380
    ListSortOrder SortOrder() const;
    void setSortOrder(ListSortOrder order);
    // Reorders the items by compare(value1, value2) < 0 first, as the Windows
    // sort message does with its callback; equal items keep their order.
    // Sorted is left as it is.
    using CompareFunction = std::function<int(qint64 value1, qint64 value2)>;
    void SortItems(const CompareFunction& compare);
    // The same order as SortItems with a callback that compares one number
    // per item, key(value), ascending or descending: key is called once per
    // item instead of twice per comparison. Keys must not be NaN.
    using KeyFunction = std::function<double(qint64 value)>;
    void SortItemsByKey(const KeyFunction& key, ListSortOrder order);
    // Compares two texts as the control's own sort does (<0, 0, >0).
    static int CompareText(const QString& a, const QString& b);

    bool GridLines() const { return gridLines_; }
    void setGridLines(bool on);

    // While on, the user cannot leave a list that holds items without a
    // selected one: a click on the empty area or a ctrl-click on the selected
    // row keeps the selection (code may still clear it). Single selection only.
    bool KeepSelection() const { return keepSelection_; }
    void setKeepSelection(bool on) { keepSelection_ = on; }

signals:
    void ColumnClick(int column);   // 1-based ColumnHeader index
    void ItemClick(ListItem* item); // mouse press on an item, after it is selected
    void DblClick();
    // pos in the list view's own coordinates; map with mapToGlobal for a menu
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos);
    void KeyPress(int key, Qt::KeyboardModifiers modifiers, const QString& text);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    friend class ListViewModel;
    ListViewModel* m_;
    bool gridLines_ = false;
    bool keepSelection_ = false;
};
