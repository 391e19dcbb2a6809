#include "records/frmZanry.h"

#include "records/frmZanr.h"

frmZanry::frmZanry(QWidget* owner) : CodeListWindow(frmZanr::Kind(), owner) {}

frmZanry* frmZanry::Open(QWidget* owner) {
    static QPointer<frmZanry> open;
    return OpenOne(open, owner);
}

CodeListEditor* frmZanry::NewEditor() {
    return new frmZanr(this);
}
