#pragma once
// The department list: every department with its id.
#include "records/CodeList.h"

class frmOddeleniList : public CodeListWindow {
    Q_OBJECT
public:
    // Shows the list window owned by `owner`; while it is open, a second call
    // brings the same window forward without filling it again.
    static frmOddeleniList* Open(QWidget* owner);

protected:
    CodeListEditor* NewEditor() override;

private:
    friend class CodeListWindow;
    explicit frmOddeleniList(QWidget* owner);
};
