#include "core/mDatabase.h"

#include "core/schema.h"

#include "apppath.h"
#include "err.h"
#include "msgbox.h"

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

} // namespace

void OpenConnection() {
    releaseObjects();
    DBPath.remove(QChar(0));
    DBConnString = schema::kConnHead + DBPath + schema::kConnTail;
    ErrState err;
    if (!Step(err, [] { DBConnection.Open(DBConnString, QString(), QString(), -1); }))
        MsgBox(err.Description, vb::vbOKOnly);
}

long OpenRecordset(const QString& sql, bool append) {
    ErrState err;
    long result = 0;
    Step(err, [] { DBRecordset.Close(); }); // fails on a fresh recordset; that is fine
    err.Clear();
    Step(err, [&] { DBRecordset.Open(sql, DBConnection, ado::adOpenKeyset, ado::adLockPessimistic, -1); });
    Step(err, [&] {
        if (!DBRecordset.Eof()) result = DBRecordset.RecordCount();
    });
    if (append) Step(err, [] { DBRecordset.AddNew(); });
    return result;
}

void CloseRecordset() { DBRecordset.Close(); }

void CloseConnection() { releaseObjects(); }

QString NullToStr(const ado::Variant& value) { return value.isNull() ? QString() : value.toString(); }

QString PicturesPath() {
    QString path = DataPath() + QStringLiteral("pictures.ddb");
    path.remove(QChar(0));
    return path;
}

QString PicturesConnString() { return schema::kConnHead + PicturesPath() + schema::kConnTail; }
