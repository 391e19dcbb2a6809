#pragma once
// Loan writes shared by the lending window and the lend dialog. A write the
// catalogue refuses (locked by another program, unreachable) is said in a
// box and reported to the caller; loans written before it stay written.
#include "err.h"

#include <QString>
#include <QtGlobal>

// A new open loan of the film to the client, lent now.
bool ZapsatPujcku(qint32 clientId, qint32 filmId);
// Closes the film's first open loan, whoever holds it; true also when it has none.
bool ZapsatVraceni(qint32 filmId);
// Says that a loan write failed: `what`, then the reason kept in err.
void PujckaNezapsana(const QString& what, const ErrState& err);
