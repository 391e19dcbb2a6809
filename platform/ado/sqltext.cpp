#include "ado/sqltext.h"

#include <cctype>
#include <vector>

namespace ado::detail::sqltext {

namespace {

bool isWordChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

enum class Kind { Word, Quoted, String, Punct };

struct Token {
    Kind kind;
    qsizetype begin, end; // in the text
    QByteArray text;      // a word upper-cased, a quoted name without its quotes, a punctuation mark
};

// The words, names, strings and marks of the text; comments and blanks dropped.
std::vector<Token> tokenize(const QByteArray& s) {
    std::vector<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = s[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const qsizetype end = s.indexOf("*/", i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const qsizetype b = i++;
            QByteArray text;
            while (i < n) {
                if (s[i] == close) {
                    if (close != ']' && i + 1 < n && s[i + 1] == close) { // a doubled quote
                        text += close;
                        i += 2;
                        continue;
                    }
                    break;
                }
                text += s[i++];
            }
            ++i;
            out.push_back({c == '\'' ? Kind::String : Kind::Quoted, b, qMin(i, n), text});
        } else if (isWordChar(c)) {
            const qsizetype b = i;
            while (i < n && isWordChar(s[i]))
                ++i;
            out.push_back({Kind::Word, b, i, s.mid(b, i - b).toUpper()});
        } else {
            out.push_back({Kind::Punct, i, i + 1, QByteArray(1, c)});
            ++i;
        }
    }
    return out;
}

bool isWord(const Token& t, const char* word) {
    return t.kind == Kind::Word && t.text == word;
}

bool isPunct(const Token& t, char c) {
    return t.kind == Kind::Punct && t.text.size() == 1 && t.text[0] == c;
}

// A name: a word that is no number, or a quoted name.
bool isName(const Token& t) {
    if (t.kind == Kind::Quoted) return !t.text.isEmpty();
    return t.kind == Kind::Word && !std::isdigit(static_cast<unsigned char>(t.text[0]));
}

} // namespace

Select SplitSelect(const QByteArray& sql) {
    const std::vector<Token> t = tokenize(sql);
    Select shape;
    if (t.empty() || !isWord(t[0], "SELECT")) return {};
    if (t.size() > 1 && (isWord(t[1], "DISTINCT"))) return {};
    shape.listStart = t[0].end;
    int depth = 0;
    for (size_t k = 1; k < t.size(); ++k) {
        if (isPunct(t[k], '(')) {
            ++depth;
        } else if (isPunct(t[k], ')')) {
            --depth;
        } else if (depth == 0 && t[k].kind == Kind::Word) {
            if (shape.fromPos < 0 && t[k].text == "FROM") {
                shape.fromPos = t[k].begin;
            } else if (t[k].text == "UNION" || t[k].text == "INTERSECT" || t[k].text == "EXCEPT") {
                return {};
            }
        }
    }
    shape.ok = shape.fromPos >= 0;
    return shape;
}

WholeTable WholeTableInOrder(const QByteArray& sql) {
    const std::vector<Token> t = tokenize(sql);
    size_t k = 0;
    auto next = [&](auto&& test) { return k < t.size() && test(t[k]) ? (++k, true) : false; };
    auto word = [&](const char* w) { return next([w](const Token& x) { return isWord(x, w); }); };
    auto punct = [&](char c) { return next([c](const Token& x) { return isPunct(x, c); }); };
    auto name = [&] { return next([](const Token& x) { return isName(x); }); };

    if (!word("SELECT") || !punct('*') || !word("FROM") || !name()) return {};
    const Token& table = t[k - 1];
    if (!word("ORDER") || !word("BY")) return {};
    const qsizetype termsBegin = k < t.size() ? t[k].begin : -1;
    qsizetype termsEnd = -1;
    do {
        if (!name()) return {};
        if (punct('.')) { // table.column: of this table only
            if (t[k - 2].text.toUpper() != table.text.toUpper() || !name()) return {};
        }
        termsEnd = t[k - 1].end;
        if (word("ASC") || word("DESC")) termsEnd = t[k - 1].end;
    } while (punct(','));
    punct(';');
    if (k != t.size()) return {};
    WholeTable whole;
    whole.ok = true;
    whole.table = table.text;
    if (table.kind == Kind::Word) whole.table = sql.mid(table.begin, table.end - table.begin);
    whole.orderBy = sql.mid(termsBegin, termsEnd - termsBegin);
    return whole;
}

} // namespace ado::detail::sqltext
