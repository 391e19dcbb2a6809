#pragma once
// The connection string of the Windows form:
// "Provider=...;Data Source=<path>;Jet OLEDB:Database Password=<password>".
#include <QString>

namespace ado::detail {

struct ConnParts {
    QString path;
    QString password;
};

// The path is everything between "Data Source=" and the password's key, as
// written: blanks, quotes, semicolons and "key=" texts belong to it, as the
// program puts the user's own path there whole.
ConnParts ParseConnString(const QString& connString);

} // namespace ado::detail
