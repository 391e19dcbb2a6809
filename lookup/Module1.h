#pragma once
// Plain text out of a piece of a web page.
#include <QString>

// The text of `html`: only the body when there is one; runs of blanks and
// line breaks folded to one blank; <p> and </div> give an empty line, <br>,
// </tr> and </pre> a line break (CR LF), </td> a "|", other tags nothing;
// the named entities of Latin-1 decoded. Numeric references stay as written.
QString HtmlToText(const QString& html);

// The character of a named entity ("eacute"), compared case-sensitively;
// false for a name not in the table.
bool HtmlEntityChar(const QString& name, QString* text);
