#include "msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

const QString kAppTitle = QStringLiteral("Zorv DVD Merva-lóna");

namespace {
msgbox::Recorder*& activeRecorder() {
    static msgbox::Recorder* r = nullptr;
    return r;
}

struct ButtonDef {
    int result;
    const char* text;
    QMessageBox::ButtonRole role;
};

QList<ButtonDef> buttonsOf(int flags) {
    using R = QMessageBox;
    switch (flags & 7) {
    case vb::vbOKCancel:
        return {{vb::vbOK, "OK", R::AcceptRole}, {vb::vbCancel, "Storno", R::RejectRole}};
    case vb::vbAbortRetryIgnore:
        return {{vb::vbAbort, "Přerušit", R::RejectRole},
                {vb::vbRetry, "Opakovat", R::AcceptRole},
                {vb::vbIgnore, "Přeskočit", R::AcceptRole}};
    case vb::vbYesNoCancel:
        return {{vb::vbYes, "Ano", R::YesRole},
                {vb::vbNo, "Ne", R::NoRole},
                {vb::vbCancel, "Storno", R::RejectRole}};
    case vb::vbYesNo:
        return {{vb::vbYes, "Ano", R::YesRole}, {vb::vbNo, "Ne", R::NoRole}};
    case vb::vbRetryCancel:
        return {{vb::vbRetry, "Opakovat", R::AcceptRole}, {vb::vbCancel, "Storno", R::RejectRole}};
    default:
        return {{vb::vbOK, "OK", R::AcceptRole}};
    }
}

int defaultIndex(int flags, int count) {
    const int d = (flags >> 8) & 3;
    return d < count ? d : 0;
}
} // namespace

namespace msgbox {
Recorder::Recorder() : previous_(activeRecorder()) {
    activeRecorder() = this;
}
Recorder::~Recorder() {
    activeRecorder() = previous_;
}
} // namespace msgbox

int MsgBox(const QString& prompt, int flags, const QString& title) {
    const QString shownTitle = title.isEmpty() ? kAppTitle : title;
    const QList<ButtonDef> defs = buttonsOf(flags);
    const int def = defaultIndex(flags, int(defs.size()));

    if (msgbox::Recorder* r = activeRecorder()) {
        msgbox::Box box{prompt, shownTitle, flags, 0};
        box.answer = r->script_.isEmpty() ? defs[def].result : r->script_.takeFirst();
        r->boxes_.append(box);
        return box.answer;
    }

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(shownTitle);
    box.setTextFormat(Qt::PlainText); // a title with "<b>" in it is shown, not obeyed
    box.setText(prompt);
    switch (flags & 0x70) {
    case vb::vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vb::vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vb::vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vb::vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
    }
    QList<QPushButton*> buttons;
    for (const ButtonDef& d : defs)
        buttons.append(box.addButton(QString::fromUtf8(d.text), d.role));
    box.setDefaultButton(buttons[def]);
    // The close box / Esc answers as Windows does: Cancel where there is one, else the only button.
    for (int i = 0; i < defs.size(); ++i)
        if (defs[i].result == vb::vbCancel || defs.size() == 1) box.setEscapeButton(buttons[i]);
    box.exec();
    const int idx = int(buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
    return idx >= 0 ? defs[idx].result : defs[def].result;
}
