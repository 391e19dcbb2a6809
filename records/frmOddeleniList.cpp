#include "records/frmOddeleniList.h"

#include "records/frmOddel.h"

frmOddeleniList::frmOddeleniList(QWidget* owner) : CodeListWindow(frmOddel::Kind(), owner) {}

frmOddeleniList* frmOddeleniList::Open(QWidget* owner) {
    static QPointer<frmOddeleniList> open;
    return OpenOne(open, owner);
}

CodeListEditor* frmOddeleniList::NewEditor() {
    return new frmOddel(this);
}
