#pragma once
// A logical connection: what one open of the file sees, on a kept physical
// connection (filepool.h).
#include "ado.h"

#include <QList>

#include <sqlite3.h>

namespace ado {

struct Connection::Impl {
    sqlite3* db = nullptr;
    QString path;
    QString password;
    QList<Recordset*> recordsets;

    // After a write that failed on a file's trouble (a full disk, say): the
    // physical connection is replaced, and a journal the failure left behind
    // undone at once.
    void afterFailedWrite();
};

} // namespace ado
