#include "listviewmodel.h"

using listview::ErrInvalidPropertyValue;
using listview::fail;

// ---------------------------------------------------------------- ColumnHeader

void ColumnHeader::setText(const QString& text) {
    text_ = text;
    owner_->columnChanged(this);
}

void ColumnHeader::setWidth(int twips) {
    if (twips < 0) fail(ErrInvalidPropertyValue);
    widthTwips_ = twips;
    owner_->applyWidth(this);
}

void ColumnHeader::setAlignment(ListColumnAlignment alignment) {
    alignment_ = alignment;
    owner_->columnChanged(this);
}

// ---------------------------------------------------------------- ListItem

ListItem::ListItem(ListViewModel* owner, const QString& key, const QString& text, qint64 value)
    : owner_(owner), key_(key), value_(value) {
    cells_.reserve(size_t(std::max(1, owner->columns())));
    cells_.emplace_back().text = text;
}

ListItem::Cell& ListItem::cell(int index, bool create) {
    if (index < 0 || (index > 0 && index >= owner_->columns())) fail(ErrInvalidPropertyValue);
    if (create && size_t(index) >= cells_.size()) cells_.resize(size_t(index) + 1);
    return cells_[size_t(index)];
}

int ListItem::Index() const {
    owner_->ensureOrder();
    return pos_ + 1;
}

QString ListItem::Text() const {
    return cells_[0].text;
}

void ListItem::setText(const QString& text) {
    const bool differs = cells_[0].text != text;
    cells_[0].text = text;
    owner_->textChanged(this, 0, differs);
}

QString ListItem::SubItem(int index) const {
    if (index < 1 || index >= owner_->columns()) fail(ErrInvalidPropertyValue);
    return size_t(index) < cells_.size() ? cells_[size_t(index)].text : QString();
}

void ListItem::setSubItem(int index, const QString& text) {
    if (index < 1) fail(ErrInvalidPropertyValue);
    Cell& c = cell(index, true);
    const bool differs = c.text != text;
    c.text = text;
    owner_->textChanged(this, index, differs);
}

qint32 ListItem::ForeColor() const {
    return cells_[0].color;
}

void ListItem::setForeColor(qint32 color) {
    cells_[0].color = color;
    owner_->colorChanged();
}

qint32 ListItem::SubItemForeColor(int index) const {
    if (index < 1 || index >= owner_->columns()) fail(ErrInvalidPropertyValue);
    return size_t(index) < cells_.size() ? cells_[size_t(index)].color : DefaultColor;
}

void ListItem::setSubItemForeColor(int index, qint32 color) {
    if (index < 1) fail(ErrInvalidPropertyValue);
    cell(index, true).color = color;
    owner_->colorChanged();
}

void ListItem::setAllForeColors(qint32 color) {
    cells_[0].color = color;
    for (size_t i = 1; i < cells_.size(); ++i) {
        if (i >= size_t(owner_->columns())) {
            owner_->colorChanged();
            fail(ErrInvalidPropertyValue); // as setSubItemForeColor there
        }
        cells_[i].color = color;
    }
    owner_->colorChanged();
}

void ListItem::setValue(qint64 value) {
    const qint64 old = value_;
    value_ = value;
    owner_->valueChanged(this, old);
}

void ListItem::setSelected(bool selected) {
    owner_->setItemSelected(this, selected);
}

void ListItem::EnsureVisible() {
    owner_->ensureVisible(this);
}
