#include "database/select_shape.h"

#include "database/sql_tokenizer.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

bool isOneOf(const SqlToken& token, std::initializer_list<QStringView> words)
{
    for (QStringView word : words) {
        if (token.isWord(word))
            return true;
    }
    return false;
}

bool isAggregateCall(const SqlTokens& tokens, size_t i)
{
    if (!isOneOf(tokens[i], {u"count", u"sum", u"avg", u"min", u"max", u"total", u"group_concat"}))
        return false;
    const size_t next = nextSolid(tokens, i + 1);
    return next < tokens.size() && tokens[next].isSymbol(u"(");
}

QString unquote(const SqlToken& token)
{
    if (token.kind != SqlToken::Kind::Name)
        return token.text;
    QString inner = token.text.mid(1, token.text.size() - 2);
    if (token.text.startsWith(u'"'))
        inner.replace(u"\"\""_s, u"\""_s);
    else if (token.text.startsWith(u'`'))
        inner.replace(u"``"_s, u"`"_s);
    return inner;
}

bool isJoinWord(const SqlToken& token)
{
    return isOneOf(token, {u"left",  u"right", u"inner", u"cross",   u"join",      u"natural", u"full",
                           u"outer", u"on",    u"using", u"indexed", u"not",       u"where",   u"order",
                           u"group", u"limit", u"union", u"except",  u"intersect", u"window",  u"having"});
}

// Finds the base table at the start of the FROM clause: "(Books left join ...",
// "Books b", "Books AS b".
void findBaseTable(const SqlTokens& tokens, size_t begin, size_t end, SelectShape& shape)
{
    size_t i = nextSolid(tokens, begin);
    while (i < end && tokens[i].isSymbol(u"("))
        i = nextSolid(tokens, i + 1);
    if (i >= end)
        return;
    const SqlToken& table = tokens[i];
    if ((table.kind != SqlToken::Kind::Word && table.kind != SqlToken::Kind::Name) ||
        isOneOf(table, {u"select", u"values", u"with"})) {
        shape.plain = false;
        return;
    }
    const size_t after = nextSolid(tokens, i + 1);
    if (after < end && (tokens[after].isSymbol(u".") || tokens[after].isSymbol(u"("))) {
        shape.plain = false; // another schema, or a table-valued function
        return;
    }
    shape.baseTable = unquote(table);
    shape.baseReference = table.text;
    if (after >= end)
        return;
    size_t alias = size_t(-1);
    if (tokens[after].isWord(u"as"))
        alias = nextSolid(tokens, after + 1);
    else if ((tokens[after].kind == SqlToken::Kind::Word && !isJoinWord(tokens[after])) ||
             tokens[after].kind == SqlToken::Kind::Name)
        alias = after;
    if (alias < end)
        shape.baseReference = tokens[alias].text;
}

} // namespace

QString quoteSqlName(const QString& name)
{
    QString escaped = name;
    escaped.replace(u'"', u"\"\""_s);
    return u'"' + escaped + u'"';
}

SelectShape analyseSelect(const QString& sqliteSql)
{
    SelectShape shape;
    const SqlTokens tokens = tokenizeSql(sqliteSql, SqlDialect::Sqlite);
    const size_t select = nextSolid(tokens, 0);
    if (select >= tokens.size() || !tokens[select].isWord(u"select"))
        return shape;
    shape.plain = true;

    size_t listBegin = select + 1;
    const size_t first = nextSolid(tokens, listBegin);
    if (first < tokens.size() && tokens[first].isWord(u"distinct"))
        shape.plain = false;
    else if (first < tokens.size() && tokens[first].isWord(u"all"))
        listBegin = first + 1;

    size_t from = size_t(-1);
    size_t where = size_t(-1);
    size_t order = size_t(-1);
    int depth = 0;
    for (size_t i = select + 1; i < tokens.size(); ++i) {
        const SqlToken& token = tokens[i];
        if (token.isSymbol(u"(")) {
            ++depth;
            continue;
        }
        if (token.isSymbol(u")")) {
            --depth;
            continue;
        }
        if (isAggregateCall(tokens, i) || token.isWord(u"over"))
            shape.plain = false;
        if (depth != 0 || token.kind != SqlToken::Kind::Word)
            continue;
        if (token.isWord(u"from") && from == size_t(-1))
            from = i;
        else if (token.isWord(u"where") && where == size_t(-1))
            where = i;
        else if (token.isWord(u"order") && order == size_t(-1))
            order = i;
        else if (isOneOf(token,
                         {u"group", u"having", u"limit", u"union", u"except", u"intersect", u"window"}))
            shape.plain = false;
        else if (from != size_t(-1) && where == size_t(-1) && isOneOf(token, {u"right", u"full"}))
            shape.plain = false;
        else if (from != size_t(-1) && where == size_t(-1) && token.isWord(u"join"))
            shape.hasJoin = true;
    }
    if (from == size_t(-1) || (where != size_t(-1) && where < from) ||
        (order != size_t(-1) && order < from)) {
        shape.plain = false;
        return shape;
    }
    const size_t fromEnd = std::min(where, std::min(order, tokens.size()));
    for (size_t i = from + 1; i < fromEnd; ++i) {
        if (tokens[i].isSymbol(u","))
            shape.hasJoin = true; // a comma join: the base rows may repeat
    }
    shape.selectList = joinTokens(tokens, listBegin, from).trimmed();
    shape.fromClause = joinTokens(tokens, from + 1, fromEnd).trimmed();
    if (where != size_t(-1))
        shape.whereClause = joinTokens(tokens, where + 1, std::min(order, tokens.size())).trimmed();
    if (order != size_t(-1))
        shape.orderClause = joinTokens(tokens, order).trimmed();
    findBaseTable(tokens, from + 1, fromEnd, shape);
    if (shape.baseTable.isEmpty())
        shape.plain = false;
    return shape;
}
