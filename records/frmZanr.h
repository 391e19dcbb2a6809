#pragma once
// The genre editor: adds a genre (ID 0) or renames genre ID.
#include "records/CodeList.h"

class frmZanr : public CodeListEditor {
    Q_OBJECT
public:
    explicit frmZanr(QWidget* parent = nullptr);
    static const CodeListKind& Kind();
};
