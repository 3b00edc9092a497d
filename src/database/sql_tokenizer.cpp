#include "database/sql_tokenizer.h"

#include "database/sqlite_error.h"

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit() || c == u'$';
}

class Tokenizer
{
public:
    Tokenizer(const QString& sql, SqlDialect dialect) : m_sql(sql), m_dialect(dialect) {}

    SqlTokens run()
    {
        while (m_pos < m_sql.size())
            m_tokens.push_back(next());
        return std::move(m_tokens);
    }

private:
    QChar at(qsizetype i) const { return i < m_sql.size() ? m_sql.at(i) : QChar(); }

    SqlToken take(SqlToken::Kind kind, qsizetype end)
    {
        SqlToken token{kind, m_sql.mid(m_pos, end - m_pos)};
        m_pos = end;
        return token;
    }

    // A quoted run ending at `close`; a doubled closing character stands for
    // itself when `doubling` is allowed.
    qsizetype quotedEnd(QChar close, bool doubling) const
    {
        qsizetype i = m_pos + 1;
        while (i < m_sql.size()) {
            if (m_sql.at(i) == close) {
                if (doubling && at(i + 1) == close) {
                    i += 2;
                    continue;
                }
                return i + 1;
            }
            ++i;
        }
        throw DbErrors::syntax(m_sql, QStringLiteral("missing %1").arg(close));
    }

    SqlToken next()
    {
        const QChar c = m_sql.at(m_pos);
        if (c.isSpace()) {
            qsizetype i = m_pos;
            while (i < m_sql.size() && m_sql.at(i).isSpace())
                ++i;
            return take(SqlToken::Kind::Space, i);
        }
        if (m_dialect == SqlDialect::Sqlite && c == u'-' && at(m_pos + 1) == u'-') {
            qsizetype i = m_sql.indexOf(u'\n', m_pos);
            return take(SqlToken::Kind::Space, i < 0 ? m_sql.size() : i);
        }
        if (m_dialect == SqlDialect::Sqlite && c == u'/' && at(m_pos + 1) == u'*') {
            qsizetype i = m_sql.indexOf(QStringLiteral("*/"), m_pos + 2);
            return take(SqlToken::Kind::Space, i < 0 ? m_sql.size() : i + 2);
        }
        if (c == u'\'')
            return take(SqlToken::Kind::String, quotedEnd(u'\'', true));
        if (c == u'"')
            return take(m_dialect == SqlDialect::Jet ? SqlToken::Kind::String : SqlToken::Kind::Name,
                        quotedEnd(u'"', true));
        if (c == u'[')
            return take(SqlToken::Kind::Name, quotedEnd(u']', false));
        if (c == u'`')
            return take(SqlToken::Kind::Name, quotedEnd(u'`', true));
        if (c == u'#' && m_dialect == SqlDialect::Jet)
            return take(SqlToken::Kind::DateLiteral, quotedEnd(u'#', false));
        if (c.isDigit() || (c == u'.' && at(m_pos + 1).isDigit()))
            return take(SqlToken::Kind::Number, numberEnd());
        if (isWordStart(c)) {
            qsizetype i = m_pos + 1;
            while (i < m_sql.size() && isWordPart(m_sql.at(i)))
                ++i;
            return take(SqlToken::Kind::Word, i);
        }
        static const QString twoCharSymbols[] = {
            QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("!="),
            QStringLiteral("=="), QStringLiteral("||"), QStringLiteral("<<"), QStringLiteral(">>")};
        for (const QString& symbol : twoCharSymbols) {
            if (QStringView(m_sql).mid(m_pos, 2) == symbol)
                return take(SqlToken::Kind::Symbol, m_pos + 2);
        }
        return take(SqlToken::Kind::Symbol, m_pos + 1);
    }

    qsizetype numberEnd() const
    {
        qsizetype i = m_pos;
        if (m_sql.at(i) == u'0' && (at(i + 1) == u'x' || at(i + 1) == u'X')) {
            i += 2;
            while (i < m_sql.size() && isWordPart(m_sql.at(i)))
                ++i;
            return i;
        }
        while (i < m_sql.size() && (m_sql.at(i).isDigit() || m_sql.at(i) == u'.'))
            ++i;
        if ((at(i) == u'e' || at(i) == u'E') &&
            (at(i + 1).isDigit() || ((at(i + 1) == u'+' || at(i + 1) == u'-') && at(i + 2).isDigit()))) {
            i += 2;
            while (i < m_sql.size() && m_sql.at(i).isDigit())
                ++i;
        }
        return i;
    }

    const QString& m_sql;
    SqlDialect m_dialect;
    qsizetype m_pos = 0;
    SqlTokens m_tokens;
};

} // namespace

SqlTokens tokenizeSql(const QString& sql, SqlDialect dialect)
{
    return Tokenizer(sql, dialect).run();
}

QString joinTokens(const SqlTokens& tokens, size_t begin, size_t end)
{
    QString result;
    for (size_t i = begin; i < end && i < tokens.size(); ++i)
        result += tokens[i].text;
    return result;
}

size_t nextSolid(const SqlTokens& tokens, size_t from)
{
    while (from < tokens.size() && tokens[from].isSpace())
        ++from;
    return from;
}

size_t previousSolid(const SqlTokens& tokens, size_t before)
{
    while (before > 0) {
        --before;
        if (!tokens[before].isSpace())
            return before;
    }
    return size_t(-1);
}
