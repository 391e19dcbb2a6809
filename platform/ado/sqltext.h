#pragma once
// What the layer reads from a query's text. Pure functions: they look at the
// words of the SQL, never at what SQLite prints about it.
#include <QByteArray>

namespace ado::detail::sqltext {

// A plain SELECT (not DISTINCT, not compound, no WITH): where its select
// list starts and where its top-level FROM stands. ok is false for anything
// else; such a query's rows are read-only.
struct Select {
    bool ok = false;
    qsizetype listStart = -1; // just after SELECT
    qsizetype fromPos = -1;   // at FROM
};
Select SplitSelect(const QByteArray& sql);

// "SELECT * FROM <table> ORDER BY <column> [ASC|DESC], ...": a whole table in
// the order of its own columns, with nothing else (no condition, no limit, no
// expression or position among the terms). Such a query is read in two
// passes: the keys in the query's order, then the rows in the table's own.
struct WholeTable {
    bool ok = false;
    QByteArray table;   // as written, quotes dropped
    QByteArray orderBy; // the terms after ORDER BY, as written
};
WholeTable WholeTableInOrder(const QByteArray& sql);

} // namespace ado::detail::sqltext
