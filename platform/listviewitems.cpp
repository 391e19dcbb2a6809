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
    growTo(1);
    setCellText(0, text);
}

void ListItem::growTo(int count) {
    if (count > capacity_) {
        const int capacity = std::max(count, owner_->columns());
        if (capacity > 0xffff) fail(ErrInvalidPropertyValue);
        std::unique_ptr<quint32[]> meta(new quint32[size_t(capacity) * 2]);
        qint32* colorsAfter = reinterpret_cast<qint32*>(meta.get() + capacity);
        std::copy(ends(), ends() + cells_, meta.get());
        std::copy(colors(), colors() + cells_, colorsAfter);
        meta_ = std::move(meta);
        capacity_ = quint16(capacity);
    }
    for (; cells_ < count; ++cells_) {
        ends()[cells_] = quint32(texts_.size());
        colors()[cells_] = DefaultColor;
    }
}

QStringView ListItem::cellText(int index) const {
    if (index >= cells_) return {};
    const quint32 start = index ? ends()[index - 1] : 0;
    return QStringView(texts_).mid(start, ends()[index] - start);
}

bool ListItem::setCellText(int index, const QString& text) {
    growTo(index + 1);
    const quint32 start = index ? ends()[index - 1] : 0;
    const qsizetype old = ends()[index] - start;
    if (QStringView(texts_).mid(start, old) == text) return false;
    texts_.replace(start, old, text);
    const qint64 grown = text.size() - old;
    for (int i = index; i < cells_; ++i)
        ends()[i] = quint32(qint64(ends()[i]) + grown);
    return true;
}

void ListItem::setCellColor(int index, qint32 color) {
    growTo(index + 1);
    colors()[index] = color;
}

int ListItem::Index() const {
    owner_->ensureOrder();
    return pos_ + 1;
}

QString ListItem::Text() const {
    return cellText(0).toString();
}

void ListItem::setText(const QString& text) {
    owner_->textChanged(this, 0, setCellText(0, text));
}

QString ListItem::SubItem(int index) const {
    if (index < 1 || index >= owner_->columns()) fail(ErrInvalidPropertyValue);
    return cellText(index).toString();
}

void ListItem::setSubItem(int index, const QString& text) {
    if (index < 1 || index >= owner_->columns()) fail(ErrInvalidPropertyValue);
    owner_->textChanged(this, index, setCellText(index, text));
}

qint32 ListItem::ForeColor() const {
    return cellColor(0);
}

void ListItem::setForeColor(qint32 color) {
    setCellColor(0, color);
    owner_->colorChanged();
}

qint32 ListItem::SubItemForeColor(int index) const {
    if (index < 1 || index >= owner_->columns()) fail(ErrInvalidPropertyValue);
    return cellColor(index);
}

void ListItem::setSubItemForeColor(int index, qint32 color) {
    if (index < 1 || index >= owner_->columns()) fail(ErrInvalidPropertyValue);
    setCellColor(index, color);
    owner_->colorChanged();
}

void ListItem::setAllForeColors(qint32 color) {
    setCellColor(0, color);
    for (int i = 1; i < cells_; ++i) {
        if (i >= owner_->columns()) {
            owner_->colorChanged();
            fail(ErrInvalidPropertyValue); // as setSubItemForeColor there
        }
        colors()[i] = color;
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
