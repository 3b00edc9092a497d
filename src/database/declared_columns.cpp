#include "database/declared_columns.h"

#include "database/db_error.h"
#include "database/sql_tokenizer.h"

#include <optional>

namespace {

QString unquotedName(const SqlToken& token)
{
    if (token.kind == SqlToken::Kind::Word)
        return token.text;
    if ((token.kind != SqlToken::Kind::Name && token.kind != SqlToken::Kind::String) || token.text.size() < 2)
        return {};
    const QChar open = token.text.front();
    const QString inner = token.text.mid(1, token.text.size() - 2);
    if (open == u'[')
        return inner;
    QString doubled(2, open);
    return QString(inner).replace(doubled, QString(open));
}

bool isTableConstraint(const SqlToken& token)
{
    for (const auto word : {u"constraint", u"primary", u"unique", u"check", u"foreign"})
        if (token.isWord(word))
            return true;
    return false;
}

} // namespace

QStringList declaredColumns(const QString& createSql)
{
    SqlTokens tokens;
    try {
        tokens = tokenizeSql(createSql, SqlDialect::Sqlite);
    } catch (const DbError&) {
        return {};
    }
    // What is made is told by the first of the two words before the list.
    std::optional<bool> index;
    size_t at = 0;
    for (; at < tokens.size() && !tokens[at].isSymbol(u"("); ++at) {
        if (!index && (tokens[at].isWord(u"index") || tokens[at].isWord(u"table")))
            index = tokens[at].isWord(u"index");
    }
    if (at == tokens.size() || !index)
        return {};
    QStringList columns;
    int depth = 0;
    bool itemStart = true;
    for (++at; at < tokens.size(); ++at) {
        const SqlToken& token = tokens[at];
        if (token.isSpace())
            continue;
        if (depth == 0 && token.isSymbol(u")"))
            return columns;
        if (depth == 0 && token.isSymbol(u",")) {
            itemStart = true;
            continue;
        }
        if (itemStart && depth == 0) {
            itemStart = false;
            // An index column followed by "(" is a function call: an expression.
            const size_t next = nextSolid(tokens, at + 1);
            const bool call = *index && next < tokens.size() && tokens[next].isSymbol(u"(");
            if (*index || !isTableConstraint(token))
                columns << (call ? QString() : unquotedName(token));
        }
        if (token.isSymbol(u"("))
            ++depth;
        else if (token.isSymbol(u")"))
            --depth;
    }
    return {}; // the list never ends: too damaged to trust
}
