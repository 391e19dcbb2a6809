#include "records/frmZanr.h"

const CodeListKind& frmZanr::Kind() {
    static const CodeListKind kind{
        QStringLiteral("frmZanry"),
        QStringLiteral("Žánry - číselník"),
        QStringLiteral("frmZanr"),
        QStringLiteral("Žánr"),
        QStringLiteral("Název Žánru"),
        QStringLiteral("Přidá nový záznam"),
        QStringLiteral("Upraví aktuální záznam"),
        QStringLiteral("SELECT * from tZanr "),
        QStringLiteral("SELECT * from tZanr where ZID="),
        QStringLiteral("SELECT * from tZanr where ZID="),
        QStringLiteral("ZNAME"),
        QStringLiteral("ZID"),
        QStringLiteral("ZCOLOR"),
        true,
    };
    return kind;
}

frmZanr::frmZanr(QWidget* parent) : CodeListEditor(Kind(), parent) {}
