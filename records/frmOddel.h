#pragma once
// The department editor: adds a department (ID 0) or renames department ID.
#include "records/CodeList.h"

class frmOddel : public CodeListEditor {
    Q_OBJECT
public:
    explicit frmOddel(QWidget* parent = nullptr);
    static const CodeListKind& Kind();
};
