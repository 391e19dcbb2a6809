#include "listview.h"

#include "controls.h"
#include "listviewmodel.h"
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using namespace listview;


// ---------------------------------------------------------------- ListView

ListView::ListView(QWidget* parent) : QTreeView(parent), m_(new ListViewModel(this)) {
    setModel(m_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    // A cell filled from a hostile page can hold a megabyte, and shaping all
    // of it at every repaint would take seconds for a width no column shows.
    ShowShortTexts(this);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    QHeaderView* h = header();
    h->setStretchLastSection(false);
    h->setSectionsMovable(false);
    h->setSectionsClickable(true);
    h->setHighlightSections(false);
    h->setSortIndicatorShown(false);
    h->setMinimumSectionSize(0);
    connect(h, &QHeaderView::sectionClicked, this, [this](int logical) { emit ColumnClick(logical + 1); });
    connect(h, &QHeaderView::sectionResized, this,
            [this](int logical, int, int newSize) { m_->sectionResized(logical, newSize); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& s, const QItemSelection& d) { m_->viewSelectionChanged(s, d); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_->viewCurrentChanged(current); });
}

ListView::~ListView() = default;

ColumnHeader* ListView::AddColumn(const QString& text, int widthTwips, ListColumnAlignment alignment) {
    return m_->addColumn(text, widthTwips, alignment);
}

int ListView::ColumnCount() const {
    return m_->columns();
}

ColumnHeader* ListView::Column(int index) const {
    if (index < 1 || index > m_->columns()) fail(ErrIndexOutOfBounds);
    return m_->column(index - 1);
}

void ListView::ClearColumns() {
    m_->clearColumns();
}

ListItem* ListView::Add(const QString& key, const QString& text) {
    return m_->add(key, text);
}

void ListView::Remove(ListItem* item) {
    if (item && item->owner_ == m_) m_->remove(item);
}

void ListView::Remove(int index) {
    m_->remove(Item(index));
}

void ListView::Remove(const QString& key) {
    m_->remove(Item(key));
}

void ListView::Clear() {
    m_->clear();
}

int ListView::Count() const {
    return m_->count();
}

ListItem* ListView::Item(int index) const {
    if (index < 1 || index > m_->count()) fail(ErrIndexOutOfBounds);
    m_->ensureOrder();
    m_->prefetchAfter(index - 1);
    return m_->at(index - 1);
}

ListItem* ListView::Item(const QString& key) const {
    ListItem* item = m_->byKey(key);
    if (!item) fail(ErrElementNotFound);
    return item;
}

ListItem* ListView::FindItem(const QString& key) const {
    return m_->byKey(key);
}

ListItem* ListView::FindItemByValue(qint64 value) const {
    m_->ensureOrder(); // the first of equal values is the first in display order
    return m_->byValue(value);
}

int ListView::FindIndexByValue(qint64 value) const {
    m_->ensureOrder();
    const ListItem* item = m_->byValue(value);
    return item ? item->pos_ + 1 : 0;
}

QString ListView::CellText(int index, int subItem) const {
    if (index < 1 || index > m_->count() || subItem < 0) return {};
    m_->ensureOrder();
    const ListItem* item = m_->at(index - 1);
    return item->cellText(subItem).left(CellTextLimit).toString();
}

void ListView::BeginUpdate() {
    m_->beginUpdate();
}

void ListView::EndUpdate() {
    m_->endUpdate();
}

void ListView::Refresh() {
    m_->flush();
    viewport()->update();
}

ListItem* ListView::SelectedItem() const {
    return m_->selectedItem();
}

void ListView::setSelectedItem(ListItem* item) {
    if (item)
        m_->setItemSelected(item, true);
    else
        m_->clearSelection();
}

QList<ListItem*> ListView::SelectedItems() const {
    return m_->selectedItems();
}

bool ListView::MultiSelect() const {
    return m_->multiSelect();
}

void ListView::setMultiSelect(bool multi) {
    m_->setMultiSelect(multi);
}

bool ListView::Sorted() const {
    return m_->sorted();
}

void ListView::setSorted(bool sorted) {
    m_->setSortSettings(sorted, m_->sortKey(), m_->sortOrder());
}

int ListView::SortKey() const {
    return m_->sortKey();
}

void ListView::setSortKey(int key) {
    if (key < 0) fail(ErrInvalidPropertyValue);
    m_->setSortSettings(m_->sorted(), key, m_->sortOrder());
}

ListSortOrder ListView::SortOrder() const {
    return m_->sortOrder();
}

void ListView::setSortOrder(ListSortOrder order) {
    m_->setSortSettings(m_->sorted(), m_->sortKey(), order);
}

void ListView::SortItems(const CompareFunction& compare) {
    if (compare) m_->sortItems(compare);
}

void ListView::SortItemsByKey(const KeyFunction& key, ListSortOrder order) {
    if (key) m_->sortItemsByKey(key, order);
}

int ListView::CompareText(const QString& a, const QString& b) {
    return cz::Collator().compare(a, b);
}

void ListView::setGridLines(bool on) {
    gridLines_ = on;
    viewport()->update();
}

QItemSelectionModel::SelectionFlags ListView::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTreeView::selectionCommand(index, event);
    if (!keepSelection_ || MultiSelect()) return command;
    // An empty spot, a deselecting ctrl-click: nothing would be selected afterwards.
    const bool leavesNone =
        command.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle) ||
        !command.testFlag(QItemSelectionModel::Select);
    return index.isValid() && !leavesNone ? command : QItemSelectionModel::NoUpdate;
}

bool ListView::viewportEvent(QEvent* event) {
    // Whatever the view paints or hit-tests must see the sorted order.
    switch (event->type()) {
    case QEvent::Paint:
        m_->ensureOrder();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ToolTip:
        m_->flush();
        break;
    default:
        break;
    }
    return QTreeView::viewportEvent(event);
}

void ListView::keyPressEvent(QKeyEvent* event) {
    m_->flush();
    QTreeView::keyPressEvent(event);
    emit KeyPress(event->key(), event->modifiers(), event->text());
}

void ListView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    const QModelIndex idx = indexAt(event->position().toPoint());
    if (idx.isValid() && idx.row() < m_->count()) emit ItemClick(m_->at(idx.row()));
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    emit MouseUp(event->button(), event->modifiers(), viewport()->mapTo(this, event->position().toPoint()));
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void ListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    if (!gridLines_) return;
    painter->save();
    painter->setPen(palette().color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    const QHeaderView* h = header();
    for (int c = 0; c < h->count(); ++c) {
        const int x = h->sectionViewportPosition(c) + h->sectionSize(c) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}
