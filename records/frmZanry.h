#pragma once
// The genre list: every genre with its id, in its own text colour.
#include "records/CodeList.h"

class frmZanry : public CodeListWindow {
    Q_OBJECT
public:
    // Shows the list window owned by `owner`; while it is open, a second call
    // brings the same window forward without filling it again.
    static frmZanry* Open(QWidget* owner);

protected:
    CodeListEditor* NewEditor() override;

private:
    friend class CodeListWindow;
    explicit frmZanry(QWidget* owner);
};
