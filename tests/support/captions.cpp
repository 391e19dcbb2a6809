#include "captions.h"

#include "listview.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>

namespace {

QString entry(const QWidget* w, const QString& text) {
    return w->objectName() + QStringLiteral(": ") + text;
}

// The room a label's text takes as drawn, each of its lines, fractions of a
// pixel rounded up; a label with a buddy shows its "&" as an underline.
QSize shownSize(const QLabel* l) {
    const int flags = int(l->alignment()) | (l->buddy() ? Qt::TextShowMnemonic : 0);
    return l->fontMetrics().boundingRect(l->contentsRect(), flags, l->text()).size();
}

} // namespace

QStringList CutCaptions(const QWidget* window) {
    QStringList cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
            const bool box = qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b);
            if (box && !b->text().isEmpty() && b->sizeHint().width() > b->width()) cut << entry(b, b->text());
        } else if (auto* l = qobject_cast<const QLabel*>(w)) {
            if (l->text().isEmpty() || l->textFormat() == Qt::RichText) continue;
            const QRect inside = l->contentsRect();
            if (l->wordWrap()) {
                if (l->heightForWidth(l->width()) > l->height()) cut << entry(l, l->text());
            } else if (const QSize shown = shownSize(l);
                       shown.width() > inside.width() || shown.height() > inside.height()) {
                cut << entry(l, l->text());
            }
        } else if (auto* g = qobject_cast<const QGroupBox*>(w)) {
            // The title sits in the frame's top line, after a small indent.
            if (g->fontMetrics().horizontalAdvance(g->title()) + 16 > g->width()) cut << entry(g, g->title());
        }
    }
    return cut;
}

QStringList CutCells(const ListView* list) {
    QStringList cut;
    // The item delegate keeps this margin on either side of a cell's text.
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    for (int c = 1; c <= list->ColumnCount(); ++c) {
        const int room = list->header()->sectionSize(c - 1) - 2 * margin;
        for (int i = 1; i <= list->Count(); ++i) {
            const QString text = c == 1 ? list->Item(i)->Text() : list->Item(i)->SubItem(c - 1);
            if (list->fontMetrics().horizontalAdvance(text) > room)
                cut << list->Column(c)->Text() + QStringLiteral(": ") + text;
        }
    }
    return cut;
}
