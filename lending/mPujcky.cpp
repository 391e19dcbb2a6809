#include "lending/mPujcky.h"

#include "core/mDatabase.h"

#include "err.h"
#include "msgbox.h"
#include "vb.h"

void PujckaNezapsana(const QString& what, const ErrState& err) {
    // The guess only where the layer gave no reason (a write-protected or damaged file is not "open
    // elsewhere").
    const bool why = !err.Description.isEmpty();
    QString message =
        what + (why ? QStringLiteral(", katalog nelze zapsat.")
                    : QStringLiteral(", katalog nelze zapsat (možná je právě otevřen v jiném programu)."));
    message += QStringLiteral("\r\nCo bylo zapsáno předtím, zůstává zapsáno.");
    if (why) message += QStringLiteral("\r\n\r\n") + err.Description;
    MsgBox(message, vb::vbCritical, QStringLiteral("Půjčovna"));
}

bool ZapsatPujcku(qint32 clientId, qint32 filmId) {
    const QDateTime now = vb::Now();
    ErrState err;
    OpenConnection();
    OpenRecordset(QStringLiteral("SELECT * from tPujcky"), true);
    const bool written = Step(err, [&] {
        RequireRecordset();
        if (DBRecordset.EditMode() != ado::adEditAdd) throw vb::RuntimeError(ado::adErrProvider, QString());
        DBRecordset(QStringLiteral("P_UID")) = clientId;
        DBRecordset(QStringLiteral("P_DVDID")) = filmId;
        DBRecordset(QStringLiteral("PDatPujcky")) = now;
        DBRecordset.Update();
    });
    CloseConnection();
    if (!written) PujckaNezapsana(QStringLiteral("Výpůjčku se nepodařilo zapsat"), err);
    return written;
}

bool ZapsatVraceni(qint32 filmId) {
    const QDateTime now = vb::Now();
    ErrState err;
    OpenConnection();
    OpenRecordset(QStringLiteral("SELECT * from tPujcky WHERE p_DVDID=") + QString::number(filmId) +
                  QStringLiteral(" and PDatVraceni is null"));
    const bool written = Step(err, [&] {
        RequireRecordset();
        if (DBRecordset.Eof()) return; // not lent: nothing to close
        DBRecordset(QStringLiteral("PDatVraceni")) = now;
        DBRecordset.Update();
    });
    CloseConnection();
    if (!written) PujckaNezapsana(QStringLiteral("Vrácení se nepodařilo zapsat"), err);
    return written;
}
