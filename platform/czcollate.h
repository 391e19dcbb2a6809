#pragma once
// The Czech, case-insensitive text order shared by the database and the list
// views: "Cesta" < "Čelisti" < "Dech", "Had" < "Chata" < "Ivan".
#include <QCollator>
#include <QStringView>

namespace cz {

// The one collator (cs_CZ, case ignored, accents and letters as in Czech).
const QCollator& Collator();

// <0, 0 or >0 as a sorts before, with or after b.
int Compare(QStringView a, QStringView b);

// A number that changes when the collator's order changes (another ICU, other
// rules): kept in the database so its indexes are rebuilt when it does.
// Always positive.
int Fingerprint();

} // namespace cz
