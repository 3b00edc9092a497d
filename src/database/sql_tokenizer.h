#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// The two dialects differ in what quotes mean: in the classic desktop dialect
// "..." is a text literal, [...] a name and #...# a date; in SQLite "..." and
// [...] are names and # has no meaning.
enum class SqlDialect { Jet, Sqlite };

struct SqlToken
{
    enum class Kind {
        Space, // blanks, line breaks and (SQLite only) comments
        Word,  // names and keywords
        Number,
        String,      // a text literal, quotes included
        Name,        // a quoted name, quotes or brackets included
        DateLiteral, // #...#, number signs included (classic dialect only)
        Symbol,      // operators and punctuation
    };

    Kind kind;
    QString text;

    bool isWord(QStringView word) const
    {
        return kind == Kind::Word && text.compare(word, Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QStringView symbol) const { return kind == Kind::Symbol && text == symbol; }
    bool isSpace() const { return kind == Kind::Space; }
};

using SqlTokens = std::vector<SqlToken>;

// Splits sql into tokens; joining their texts gives sql back. An unterminated
// quote, bracket or date literal throws DbError 3075.
SqlTokens tokenizeSql(const QString& sql, SqlDialect dialect);

QString joinTokens(const SqlTokens& tokens, size_t begin = 0, size_t end = size_t(-1));

// Index of the next / previous token that is not a Space, or tokens.size() /
// size_t(-1) when there is none.
size_t nextSolid(const SqlTokens& tokens, size_t from);
size_t previousSolid(const SqlTokens& tokens, size_t before);
