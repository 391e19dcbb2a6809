#pragma once
// Message boxes with the Windows flag values and results.
#include <QList>
#include <QString>

namespace vb {
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};
} // namespace vb

// The application's title, shown when a box has no title of its own.
extern const QString kAppTitle;

// Shows a modal box; returns the pressed button (vbOK, vbYes, ...).
int MsgBox(const QString& prompt, int flags = vb::vbOKOnly, const QString& title = QString());

namespace msgbox {

struct Box {
    QString text;
    QString title; // as shown: the application's title when none was given
    int flags = 0;
    int buttons() const { return flags & 7; }
    int icon() const { return flags & 0x70; }
    int answer = 0;
};

// Test seam: while a recorder lives, boxes are logged and answered from its
// script instead of being shown. Unscripted boxes get their default button.
class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    void answer(int result) { script_.append(result); } // queues the next answer
    const QList<Box>& boxes() const { return boxes_; }
    int count() const { return int(boxes_.size()); }
    const Box& last() const { return boxes_.last(); }
    void clear() { boxes_.clear(); }

private:
    friend int ::MsgBox(const QString&, int, const QString&);
    QList<Box> boxes_;
    QList<int> script_;
    Recorder* previous_;
};

} // namespace msgbox
