#include "captions.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace {

QString entry(const QWidget* w, const QString& text) {
    return w->objectName() + QStringLiteral(": ") + text;
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
            } else if (l->fontMetrics().horizontalAdvance(l->text()) > inside.width() ||
                       l->fontMetrics().height() > inside.height()) {
                cut << entry(l, l->text());
            }
        } else if (auto* g = qobject_cast<const QGroupBox*>(w)) {
            // The title sits in the frame's top line, after a small indent.
            if (g->fontMetrics().horizontalAdvance(g->title()) + 16 > g->width()) cut << entry(g, g->title());
        }
    }
    return cut;
}
