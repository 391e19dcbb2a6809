#include "statusbar.h"

#include "twips.h"
#include "vb.h"

#include <QTimer>

StatusPanel::StatusPanel(StatusPanelStyle style, QWidget* parent) : QLabel(parent), style_(style) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    setAlignment(style == sbrText ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    Update();
}

void StatusPanel::Update() {
    switch (style_) {
    case sbrText:
        return;
    case sbrDate: {
        const QString date = vb::DateToText(QDateTime(QDate::currentDate(), QTime(0, 0)));
        if (text() != date) QLabel::setText(date);
        return;
    }
    case sbrTime: {
        const QString time = QTime::currentTime().toString(QStringLiteral("H:mm"));
        if (text() != time) QLabel::setText(time);
        return;
    }
    case sbrCaps:
    case sbrNum: {
        if (text().isEmpty())
            QLabel::setText(style_ == sbrCaps ? QStringLiteral("CAPS") : QStringLiteral("NUM"));
        lock_ = style_ == sbrCaps ? CapsLockState() : NumLockState();
        // Off and unknown both look dimmed, as the Windows panel showed a key that is off.
        setEnabled(lock_ == KeyLockState::On);
        return;
    }
    }
}

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent), clock_(new QTimer(this)) {
    setSizeGripEnabled(true);
    clock_->setInterval(500); // the lock keys should not lag behind the keyboard
    connect(clock_, &QTimer::timeout, this, &StatusBar::UpdatePanels);
}

StatusPanel* StatusBar::AddPanel(StatusPanelStyle style, int minWidthTwips) {
    auto* panel = new StatusPanel(style, this);
    panel->setMinimumWidth(TwipsToPixels(minWidthTwips));
    addWidget(panel);
    panels_.push_back(panel);
    if (style != sbrText && !clock_->isActive()) clock_->start();
    return panel;
}

StatusPanel* StatusBar::Panel(int index) const {
    if (index < 1 || index > PanelCount()) return nullptr;
    return panels_[size_t(index - 1)];
}

void StatusBar::UpdatePanels() {
    for (StatusPanel* panel : panels_)
        panel->Update();
}
