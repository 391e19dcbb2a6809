#include "fixtures.h"

#include "core/Main.h"

#include "listview.h"
#include "settings.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QHelpEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolTip>

namespace testsupport {

void clearProgramSettings() {
    QFile::remove(SettingsFile(kSettingsApp));
}

QDateTime at(int d, int m, int y, int hh, int mm, int ss) {
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss));
}

QStringList listColumn(const ListView* lv, int sub) {
    QStringList out;
    for (int i = 1; i <= lv->Count(); ++i)
        out << (sub == 0 ? lv->Item(i)->Text() : lv->Item(i)->SubItem(sub));
    return out;
}

QStringList popUpAt(QWidget* w, const QPoint& pos) {
    QStringList entries;
    // A window's own menu runs modally: read and close it from inside.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (const QAction* a : menu->actions())
                entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
            menu->close();
        }
    });
    poll.start();
    // As the window system sends it on a right click: to the widget under the mouse.
    QWidget* target = w->childAt(pos) ? w->childAt(pos) : w;
    const QPoint at = target->mapFrom(w, pos);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &click);
    QTest::qWait(20);
    return entries;
}

QStringList shownToolTips(QWidget* window) {
    // QToolTip::hideText() hides only after a delay: hide the tip's label at once.
    const auto hideTip = [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("qtooltip_label")) top->hide();
    };
    QStringList tips;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        hideTip();
        const QPoint centre = w->rect().center();
        QHelpEvent help(QEvent::ToolTip, centre, w->mapToGlobal(centre));
        QApplication::sendEvent(w, &help);
        if (QToolTip::isVisible()) tips << w->objectName() + QStringLiteral(": ") + QToolTip::text();
    }
    hideTip();
    return tips;
}

} // namespace testsupport
