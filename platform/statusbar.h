#pragma once
// The status bar of the original windows: a row of panels, each a text panel
// or one that shows the date, the time or a lock key's state by itself.
// Panels are numbered from 1, as in VB.
#include "keylocks.h"

#include <QLabel>
#include <QStatusBar>
#include <vector>

class QTimer;

enum StatusPanelStyle { sbrText = 0, sbrCaps = 1, sbrNum = 2, sbrTime = 5, sbrDate = 6 };

class StatusPanel : public QLabel {
    Q_OBJECT
public:
    StatusPanel(StatusPanelStyle style, QWidget* parent = nullptr);
    StatusPanelStyle Style() const { return style_; }
    // The shown text (a text panel's own, the date, the time, "CAPS", "NUM").
    QString Text() const { return text(); }
    void setText(const QString& text) { QLabel::setText(text); }
    // Caps and Num panels: the key's state as last read; dimmed unless On.
    KeyLockState LockState() const { return lock_; }
    bool Dimmed() const { return !isEnabled(); }
    void Update(); // date, time or lock state now; text panels stay

private:
    StatusPanelStyle style_;
    KeyLockState lock_ = KeyLockState::Unknown;
};

class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    // minWidthTwips: the panel's least width; text panels grow with their text.
    StatusPanel* AddPanel(StatusPanelStyle style, int minWidthTwips = 1440);
    int PanelCount() const { return int(panels_.size()); }
    StatusPanel* Panel(int index) const; // 1-based; nullptr out of range
    void UpdatePanels();                 // the self-updating panels, now

private:
    std::vector<StatusPanel*> panels_;
    QTimer* clock_;
};
