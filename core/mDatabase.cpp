#include "core/mDatabase.h"

#include "core/mBlobDATA.h"
#include "core/schema.h"

#include "apppath.h"
#include "err.h"
#include "msgbox.h"
#include "vb.h"

QString DBPath;
QString DBConnString;
ado::Connection DBConnection;
ado::Recordset DBRecordset;

namespace {

// The previous operation's objects are let go: closed, as if new ones were made.
void releaseObjects() {
    ErrState err;
    if (DBRecordset.State() == ado::adStateOpen) Step(err, [] { DBRecordset.Close(); });
    if (DBConnection.State() == ado::adStateOpen) Step(err, [] { DBConnection.Close(); });
}

ErrState s_failure;

bool openConnection() {
    releaseObjects();
    s_failure.Clear();
    DBPath.remove(QChar(0));
    DBConnString = schema::kConnHead + DBPath + schema::kConnTail;
    return Step(s_failure, [] { DBConnection.Open(DBConnString, QString(), QString(), -1); });
}

} // namespace

void OpenConnection() {
    if (!openConnection()) MsgBox(s_failure.Description, vb::vbOKOnly);
}

const ErrState& DBFailure() {
    return s_failure;
}

void RequireRecordset() {
    if (DBConnection.State() == ado::adStateOpen && DBRecordset.State() == ado::adStateOpen) return;
    throw vb::RuntimeError(s_failure.isSet() ? s_failure.Number : long(ado::adErrProvider), s_failure.Description);
}

bool OpenQuery(const QString& sql) {
    if (openConnection()) OpenRecordset(sql);
    if (DBRecordset.State() == ado::adStateOpen) return true;
    CloseConnection();
    return false;
}

namespace {

void showReadFailure(const QString& what, const ErrState& why, const QString& title = QString()) {
    MsgBox(what + QStringLiteral("\n\n") + why.Description, vb::vbOKOnly | vb::vbCritical, title);
}

} // namespace

void ShowReadFailure(const QString& what, const QString& title) {
    showReadFailure(what, s_failure, title);
}

bool OpenForReading(const QString& sql, const QString& what) {
    if (OpenQuery(sql)) return true;
    ShowReadFailure(what);
    return false;
}

bool ReadFailed(const QString& what) {
    if (DBRecordset.State() == ado::adStateOpen) return false;
    ShowReadFailure(what);
    return true;
}

long OpenRecordset(const QString& sql, bool append) {
    ErrState err;
    long result = 0;
    Step(err, [] { DBRecordset.Close(); }); // fails on a fresh recordset; that is fine
    err.Clear();
    // The connection's failure, when it did not open, stays the reason.
    if (!Step(err,
              [&] {
                  // An append reads none of the table's rows.
                  DBRecordset.Open(sql, DBConnection, ado::adOpenKeyset, ado::adLockPessimistic,
                                   append ? long(ado::adAsyncFetch) : -1L);
              }) &&
        !s_failure.isSet())
        s_failure = err;
    // Counting reads every row: an append only wants its new one.
    if (!append) {
        Step(err, [&] {
            if (!DBRecordset.Eof()) result = DBRecordset.RecordCount();
        });
    } else {
        Step(err, [] { DBRecordset.AddNew(); });
    }
    return result;
}

void CloseRecordset() {
    DBRecordset.Close();
}

void CloseConnection() {
    releaseObjects();
}

bool RecordsetHasRow() {
    return DBRecordset.State() == ado::adStateOpen && !DBRecordset.Eof();
}

bool MoveNextRow(ErrState& err) {
    return Step(err, [] { DBRecordset.MoveNext(); });
}

QString NullToStr(const ado::Variant& value) {
    return value.isNull() ? QString() : value.toString();
}

QString PicturesPath() {
    QString path = DataPath() + QStringLiteral("pictures.ddb");
    path.remove(QChar(0));
    return path;
}

QString PicturesConnString() {
    return schema::kConnHead + PicturesPath() + schema::kConnTail;
}

namespace {

void closeQuietly(ado::Recordset& rs, ado::Connection& cn) {
    ErrState ignored;
    if (rs.State() == ado::adStateOpen) Step(ignored, [&] { rs.Close(); });
    if (cn.State() == ado::adStateOpen) Step(ignored, [&] { cn.Close(); });
}

void showError(ErrState& err) {
    if (!err.isSet()) return;
    MsgBox(err.Description, vb::vbOKOnly);
    err.Clear();
}

bool openPictures(ado::Connection& cn, ErrState& err) {
    return Step(err, [&] { cn.Open(PicturesConnString(), QString(), QString(), -1); });
}

long savePic(long dvdId, const QString& path, const QString& kind) {
    ErrState err;
    ado::Connection cn;
    ado::Recordset rs;
    if (!openPictures(cn, err)) {
        showError(err);
        return 0;
    }
    const QString sql =
        QStringLiteral("SELECT * from tPicture where PicDVDID=%1 and PICSKUP='%2'").arg(dvdId).arg(kind);
    if (!Step(err, [&] { rs.Open(sql, cn, ado::adOpenKeyset, ado::adLockPessimistic, -1); })) {
        showError(err);
        closeQuietly(rs, cn);
        return 0;
    }
    long result = 0;
    bool ok = Step(err, [&] {
        if (rs.Eof())
            rs.AddNew();
        else
            result = vb::CLng(rs("PicID").Value());
    });
    qint64 stored = 0;
    ok = ok && Step(err, [&] {
             stored = blobdata::StoreFile(rs, path, QStringLiteral("PicDat"), QStringLiteral("PicSize"));
         });
    if (ok && stored > 0) {
        ok = Step(err, [&] {
            rs("PicTyp") = vb::Right(path, 3);
            rs("PicSkup") = kind;
            rs("PicDVDID") = ado::Variant(dvdId);
            rs.Update();
            result = vb::CLng(rs("PicID").Value());
        });
    }
    // Nothing half-stored: a new row without its picture is dropped again.
    if (rs.State() == ado::adStateOpen && rs.EditMode() != ado::adEditNone) {
        ErrState ignored;
        Step(ignored, [&] { rs.CancelUpdate(); });
    }
    showError(err);
    closeQuietly(rs, cn);
    return result;
}

QString loadPic(long picId, const QString& kind) {
    ErrState err;
    ado::Connection cn;
    ado::Recordset rs;
    QString result;
    if (openPictures(cn, err)) {
        err.Clear();
        Step(err, [&] {
            rs.Open(QStringLiteral("SELECT * FROM tPicture where PicID=%1").arg(picId), cn, ado::adOpenKeyset,
                    ado::adLockPessimistic, -1);
        });
    }
    if (err.isSet()) {
        showError(err);
        closeQuietly(rs, cn);
        return result;
    }
    if (rs.Eof()) { // no such row: the editor keeps what it showed
        closeQuietly(rs, cn);
        return result;
    }
    QString typ;
    bool hasBytes = false;
    Step(err, [&] {
        typ = vb::LCase(NullToStr(rs("PicTyp").Value()));
        const ado::Variant size = rs("PicSize").Value();
        hasBytes = size.toLong() > 0; // a size that is no number is BlobToFile's to say
        result = BlobToFile(rs, QStringLiteral("PicDat"), QStringLiteral("PicSize"), typ, kind);
    });
    if (err.isSet()) {
        result.clear();
        showError(err);
    } else if (result.isEmpty() && hasBytes) {
        const QString target =
            DataPath() + (kind == QLatin1String("O") ? QStringLiteral("obal.") : QStringLiteral("nahled.")) +
            typ;
        MsgBox(QStringLiteral(
                   "Obrázek se nepodařilo zapsat do souboru %1. Zkontrolujte, zda je na disku volné místo "
                   "a zda lze do složky zapisovat.")
                   .arg(target),
               vb::vbOKOnly);
    }
    closeQuietly(rs, cn);
    return result;
}

} // namespace

long SaveObalPic(long DVDID, const QString& path) {
    return savePic(DVDID, path, QStringLiteral("O"));
}
long SaveNahledPic(long DVDID, const QString& path) {
    return savePic(DVDID, path, QStringLiteral("N"));
}
QString LoadObalPic(long picId) {
    return loadPic(picId, QStringLiteral("O"));
}
QString LoadNahledPic(long picId) {
    return loadPic(picId, QStringLiteral("N"));
}
