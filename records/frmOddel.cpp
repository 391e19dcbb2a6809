#include "records/frmOddel.h"

// Departments have no colour, no tooltips, and the edit button stays enabled.
const CodeListKind& frmOddel::Kind() {
    static const CodeListKind kind{
        QStringLiteral("frmOddeleniList"),
        QStringLiteral("Oddělení  - číselník"),
        QStringLiteral("frmOddel"),
        QStringLiteral("Oddělení"),
        QStringLiteral("Název"),
        QString(),
        QString(),
        QStringLiteral("SELECT * from tOddeleni"),
        QStringLiteral("SELECT * from tOddeleni where odID="),
        QStringLiteral("SELECT * from tOddeleni where ODID="),
        QStringLiteral("OdJm"),
        QStringLiteral("ODID"),
        QString(),
        false,
    };
    return kind;
}

frmOddel::frmOddel(QWidget* parent) : CodeListEditor(Kind(), parent) {}
