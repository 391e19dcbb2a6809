#include "ado/connstring.h"

namespace ado::detail {

ConnParts ParseConnString(const QString& s) {
    static const QLatin1String source("data source=");
    static const QLatin1String password(";jet oledb:database password=");
    ConnParts parts;
    const qsizetype start = s.indexOf(source, 0, Qt::CaseInsensitive);
    if (start < 0) return parts;
    const qsizetype from = start + source.size();
    const qsizetype key = s.lastIndexOf(password, -1, Qt::CaseInsensitive);
    if (key >= from) {
        parts.path = s.mid(from, key - from);
        parts.password = s.mid(key + password.size());
    } else {
        parts.path = s.mid(from);
    }
    return parts;
}

} // namespace ado::detail
