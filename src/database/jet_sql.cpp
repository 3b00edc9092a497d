#include "database/jet_sql.h"

#include "common/year_rules.h"
#include "database/sql_tokenizer.h"
#include "database/sqlite_error.h"
#include "database/sqlite_extensions.h"
#include "database/stored_values.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// ---- date literals ---------------------------------------------------------

int monthFromName(const QString& name)
{
    static const char* const months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                         "jul", "aug", "sep", "oct", "nov", "dec"};
    const QString lower = name.toLower();
    if (lower.size() < 3)
        return 0;
    for (int i = 0; i < 12; ++i) {
        const QString full = QLocale::c().monthName(i + 1).toLower();
        if (lower == QLatin1String(months[i]) || full.startsWith(lower))
            return i + 1;
    }
    return 0;
}

std::optional<QTime> takeTime(QString& text)
{
    static const QRegularExpression clock(
        u"(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*([AaPp][Mm])?(\\s+(UTC|GMT)([+-]\\d{1,2}(:?\\d{2})?)?)?"_s);
    static const QRegularExpression hourOnly(u"\\b(\\d{1,2})\\s*([AaPp][Mm])\\b"_s);
    QRegularExpressionMatch match = clock.match(text);
    int hour = 0;
    int minute = 0;
    int second = 0;
    QString meridiem;
    if (match.hasMatch()) {
        hour = match.captured(1).toInt();
        minute = match.captured(2).toInt();
        second = match.captured(3).toInt();
        meridiem = match.captured(4);
    } else {
        match = hourOnly.match(text);
        if (!match.hasMatch())
            return std::nullopt;
        hour = match.captured(1).toInt();
        meridiem = match.captured(2);
    }
    if (!meridiem.isEmpty()) {
        if (hour < 1 || hour > 12)
            return QTime(); // invalid: refused by the caller
        hour %= 12;
        if (meridiem.startsWith(u'p', Qt::CaseInsensitive))
            hour += 12;
    }
    text.remove(match.capturedStart(0), match.capturedLength(0));
    return QTime(hour, minute, second);
}

std::optional<QDate> parseDatePart(const QString& text)
{
    static const QRegularExpression numeric(u"^(\\d{1,4})[/.-](\\d{1,2})[/.-](\\d{1,4})$"_s);
    static const QRegularExpression dayMonthName(
        u"^(\\d{1,2})[\\s/.-]*([A-Za-z]+)\\.?[\\s,/.-]*(\\d{2,4})$"_s);
    static const QRegularExpression monthNameDay(
        u"^([A-Za-z]+)\\.?[\\s/.-]*(\\d{1,2})[\\s,/.-]+(\\d{2,4})$"_s);

    if (const QRegularExpressionMatch m = numeric.match(text); m.hasMatch()) {
        if (m.captured(1).size() > 2) // year first
            return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        int month = m.captured(1).toInt();
        int day = m.captured(2).toInt();
        if (month > 12 && day <= 12)
            std::swap(month, day);
        return QDate(fullYear(m.captured(3)), month, day);
    }
    if (const QRegularExpressionMatch m = dayMonthName.match(text); m.hasMatch()) {
        if (const int month = monthFromName(m.captured(2)))
            return QDate(fullYear(m.captured(3)), month, m.captured(1).toInt());
    }
    if (const QRegularExpressionMatch m = monthNameDay.match(text); m.hasMatch()) {
        if (const int month = monthFromName(m.captured(1)))
            return QDate(fullYear(m.captured(3)), month, m.captured(2).toInt());
    }
    return std::nullopt;
}

// ---- types of the data definition statements -------------------------------

struct TypeMapping
{
    const char* classic;
    const char* stored;
    bool dropsSize; // "TEXT (40)": the width is not kept
};

const TypeMapping* storedTypeFor(const SqlToken& token)
{
    static const TypeMapping mappings[] = {
        {"COUNTER", "INTEGER PRIMARY KEY AUTOINCREMENT", true},
        {"AUTOINCREMENT", "INTEGER PRIMARY KEY AUTOINCREMENT", true},
        {"LONG", "INTEGER", false},
        {"INTEGER", "INTEGER", false},
        {"INT", "INTEGER", false},
        {"INTEGER4", "INTEGER", false},
        {"SHORT", "SMALLINT", false},
        {"SMALLINT", "SMALLINT", false},
        {"INTEGER2", "SMALLINT", false},
        {"BYTE", "SMALLINT", false},
        {"INTEGER1", "SMALLINT", false},
        {"TINYINT", "SMALLINT", false},
        {"TEXT", "TEXT COLLATE QUILLARY", true},
        {"CHAR", "TEXT COLLATE QUILLARY", true},
        {"VARCHAR", "TEXT COLLATE QUILLARY", true},
        {"CHARACTER", "TEXT COLLATE QUILLARY", true},
        {"STRING", "TEXT COLLATE QUILLARY", true},
        {"ALPHANUMERIC", "TEXT COLLATE QUILLARY", true},
        {"MEMO", "TEXT COLLATE QUILLARY", true},
        {"LONGTEXT", "TEXT COLLATE QUILLARY", true},
        {"LONGCHAR", "TEXT COLLATE QUILLARY", true},
        {"NOTE", "TEXT COLLATE QUILLARY", true},
        {"YESNO", "BOOLEAN", false},
        {"BIT", "BOOLEAN", false},
        {"LOGICAL", "BOOLEAN", false},
        {"LOGICAL1", "BOOLEAN", false},
        {"BOOLEAN", "BOOLEAN", false},
        {"DATETIME", "DATETIME", false},
        {"DATE", "DATETIME", false},
        {"TIME", "DATETIME", false},
        {"TIMESTAMP", "DATETIME", false},
        {"CURRENCY", "CURRENCY", false},
        {"MONEY", "CURRENCY", false},
        {"DOUBLE", "REAL", false},
        {"SINGLE", "REAL", false},
        {"FLOAT", "REAL", false},
        {"FLOAT4", "REAL", false},
        {"FLOAT8", "REAL", false},
        {"REAL", "REAL", false},
        {"IEEESINGLE", "REAL", false},
        {"IEEEDOUBLE", "REAL", false},
    };
    if (token.kind != SqlToken::Kind::Word)
        return nullptr;
    for (const TypeMapping& mapping : mappings) {
        if (token.isWord(QString::fromLatin1(mapping.classic)))
            return &mapping;
    }
    return nullptr;
}

bool isAutoNumber(const TypeMapping& mapping)
{
    return qstrcmp(mapping.classic, "COUNTER") == 0 || qstrcmp(mapping.classic, "AUTOINCREMENT") == 0;
}

class ColumnTypeRewriter
{
public:
    explicit ColumnTypeRewriter(SqlTokens& tokens) : m_tokens(tokens) {}

    void run()
    {
        const size_t first = nextSolid(m_tokens, 0);
        const size_t second = nextSolid(m_tokens, first + 1);
        if (second >= m_tokens.size() || !m_tokens[second].isWord(u"TABLE"))
            return;
        if (m_tokens[first].isWord(u"CREATE"))
            rewriteCreate(second + 1);
        else if (m_tokens[first].isWord(u"ALTER"))
            rewriteAlter(second + 1);
    }

private:
    void rewriteCreate(size_t i)
    {
        while (i < m_tokens.size() && !m_tokens[i].isSymbol(u"("))
            ++i;
        int depth = 0;
        bool startOfItem = true;
        for (; i < m_tokens.size(); ++i) {
            const SqlToken& token = m_tokens[i];
            if (token.isSpace())
                continue;
            if (token.isSymbol(u"(")) {
                ++depth;
                startOfItem = depth == 1;
                continue;
            }
            if (token.isSymbol(u")")) {
                if (--depth == 0)
                    return;
                continue;
            }
            if (depth == 1 && token.isSymbol(u",")) {
                startOfItem = true;
                continue;
            }
            if (depth == 1 && startOfItem) {
                startOfItem = false;
                if (isTableConstraint(token))
                    continue;
                i = rewriteColumnType(i);
            }
        }
    }

    void rewriteAlter(size_t i)
    {
        i = nextSolid(m_tokens, i); // table name
        i = nextSolid(m_tokens, i + 1);
        if (i >= m_tokens.size() || !m_tokens[i].isWord(u"ADD"))
            return;
        i = nextSolid(m_tokens, i + 1);
        if (i < m_tokens.size() && m_tokens[i].isWord(u"COLUMN"))
            i = nextSolid(m_tokens, i + 1);
        if (i < m_tokens.size() && !isTableConstraint(m_tokens[i]))
            rewriteColumnType(i);
    }

    static bool isTableConstraint(const SqlToken& token)
    {
        return token.isWord(u"CONSTRAINT") || token.isWord(u"PRIMARY") || token.isWord(u"UNIQUE") ||
               token.isWord(u"FOREIGN") || token.isWord(u"CHECK");
    }

    // nameIndex is the column's name; returns the index of the last token
    // handled.
    size_t rewriteColumnType(size_t nameIndex)
    {
        const size_t typeIndex = nextSolid(m_tokens, nameIndex + 1);
        if (typeIndex >= m_tokens.size())
            return nameIndex;
        const TypeMapping* mapping = storedTypeFor(m_tokens[typeIndex]);
        if (!mapping)
            return typeIndex;
        m_tokens[typeIndex].text = QLatin1String(mapping->stored);
        if (mapping->dropsSize)
            dropSize(typeIndex);
        if (isAutoNumber(*mapping))
            dropPrimaryKeyClause(typeIndex + 1);
        return typeIndex;
    }

    void dropSize(size_t typeIndex)
    {
        const size_t open = nextSolid(m_tokens, typeIndex + 1);
        if (open >= m_tokens.size() || !m_tokens[open].isSymbol(u"("))
            return;
        size_t close = open + 1;
        while (close < m_tokens.size() && !m_tokens[close].isSymbol(u")"))
            ++close;
        if (close >= m_tokens.size())
            return;
        m_tokens.erase(m_tokens.begin() + qsizetype(typeIndex + 1), m_tokens.begin() + qsizetype(close + 1));
    }

    // The stored AutoNumber type is the key already; a key clause written
    // beside COUNTER would make it a second one.
    void dropPrimaryKeyClause(size_t from)
    {
        int depth = 0;
        for (size_t i = from; i < m_tokens.size(); ++i) {
            const SqlToken& token = m_tokens[i];
            if (token.isSymbol(u"("))
                ++depth;
            else if (token.isSymbol(u")") && depth-- == 0)
                return;
            else if (depth == 0 && token.isSymbol(u","))
                return;
            if (depth != 0 || !token.isWord(u"PRIMARY"))
                continue;
            const size_t key = nextSolid(m_tokens, i + 1);
            if (key >= m_tokens.size() || !m_tokens[key].isWord(u"KEY"))
                continue;
            size_t begin = i;
            const size_t name = previousSolid(m_tokens, i);
            const size_t constraint = name == size_t(-1) ? size_t(-1) : previousSolid(m_tokens, name);
            if (constraint != size_t(-1) && m_tokens[constraint].isWord(u"CONSTRAINT"))
                begin = constraint;
            m_tokens.erase(m_tokens.begin() + qsizetype(begin), m_tokens.begin() + qsizetype(key + 1));
            return;
        }
    }

    SqlTokens& m_tokens;
};

// ---- text concatenation ----------------------------------------------------

// Words and symbols that end an operand of "&": everything that binds less
// tightly than concatenation in the classic dialect.
bool endsConcatOperand(const SqlToken& token)
{
    static const QSet<QString> words = {
        u"and"_s,    u"or"_s,     u"not"_s,    u"like"_s,  u"is"_s,    u"between"_s,  u"in"_s,   u"select"_s,
        u"from"_s,   u"where"_s,  u"by"_s,     u"as"_s,    u"when"_s,  u"then"_s,     u"else"_s, u"case"_s,
        u"end"_s,    u"on"_s,     u"having"_s, u"asc"_s,   u"desc"_s,  u"distinct"_s, u"all"_s,  u"set"_s,
        u"values"_s, u"escape"_s, u"glob"_s,   u"order"_s, u"group"_s, u"join"_s,     u"left"_s, u"right"_s,
        u"inner"_s,  u"outer"_s,  u"limit"_s,  u"union"_s, u"xor"_s,   u"eqv"_s,      u"imp"_s};
    static const QSet<QString> symbols = {u","_s,  u"="_s,  u"<>"_s, u"<"_s, u">"_s, u"<="_s,
                                          u">="_s, u"!="_s, u"=="_s, u"&"_s, u";"_s, u"||"_s};
    if (token.kind == SqlToken::Kind::Word)
        return words.contains(token.text.toLower());
    if (token.kind == SqlToken::Kind::Symbol)
        return symbols.contains(token.text);
    return false;
}

size_t operandBegin(const SqlTokens& tokens, size_t ampersand)
{
    size_t begin = ampersand;
    int depth = 0;
    for (size_t k = ampersand; k-- > 0;) {
        const SqlToken& token = tokens[k];
        if (token.isSpace())
            continue;
        if (token.isSymbol(u")")) {
            ++depth;
        } else if (token.isSymbol(u"(")) {
            if (depth == 0)
                break;
            --depth;
        } else if (depth == 0 && endsConcatOperand(token)) {
            break;
        }
        begin = k;
    }
    return begin;
}

size_t operandEnd(const SqlTokens& tokens, size_t ampersand)
{
    size_t end = ampersand + 1;
    int depth = 0;
    for (size_t k = ampersand + 1; k < tokens.size(); ++k) {
        const SqlToken& token = tokens[k];
        if (token.isSpace())
            continue;
        if (token.isSymbol(u"(")) {
            ++depth;
        } else if (token.isSymbol(u")")) {
            if (depth == 0)
                break;
            --depth;
        } else if (depth == 0 && endsConcatOperand(token)) {
            break;
        }
        end = k + 1;
    }
    return end;
}

SqlToken symbol(const QString& text)
{
    return SqlToken{SqlToken::Kind::Symbol, text};
}

// a & b & c becomes ifnull(a,'') || ifnull(b,'') || ifnull(c,''): unlike
// SQLite's ||, the classic & treats Null as empty text, so an author without
// first names still shows the last name.
void rewriteConcatenation(SqlTokens& tokens)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].isSymbol(u"&"))
            continue;
        std::vector<std::pair<size_t, size_t>> operands;
        std::vector<size_t> ampersands;
        operands.emplace_back(operandBegin(tokens, i), i);
        size_t amp = i;
        while (true) {
            ampersands.push_back(amp);
            const size_t end = operandEnd(tokens, amp);
            operands.emplace_back(amp + 1, end);
            const size_t following = nextSolid(tokens, end);
            if (following >= tokens.size() || !tokens[following].isSymbol(u"&"))
                break;
            amp = following;
        }
        SqlTokens rewritten;
        for (size_t n = 0; n < operands.size(); ++n) {
            if (n > 0)
                rewritten.push_back(symbol(u" || "_s));
            rewritten.push_back(symbol(u"ifnull("_s));
            size_t first = operands[n].first;
            size_t last = operands[n].second;
            while (first < last && tokens[first].isSpace())
                ++first;
            while (last > first && tokens[last - 1].isSpace())
                --last;
            for (size_t k = first; k < last; ++k)
                rewritten.push_back(tokens[k]);
            rewritten.push_back(symbol(u",'')"_s));
        }
        const size_t begin = operands.front().first;
        const size_t end = operands.back().second;
        tokens.erase(tokens.begin() + qsizetype(begin), tokens.begin() + qsizetype(end));
        tokens.insert(tokens.begin() + qsizetype(begin), rewritten.begin(), rewritten.end());
        i = begin + rewritten.size() - 1;
    }
}

// ---- pattern matching ------------------------------------------------------

// Words and symbols that end an operand of "like": everything that binds
// less tightly than the comparison itself.
bool endsLikeOperand(const SqlToken& token)
{
    static const QSet<QString> words = {
        u"and"_s,  u"or"_s,   u"not"_s,    u"xor"_s,    u"eqv"_s,   u"imp"_s,   u"is"_s,     u"between"_s,
        u"in"_s,   u"like"_s, u"escape"_s, u"select"_s, u"from"_s,  u"where"_s, u"by"_s,     u"as"_s,
        u"when"_s, u"then"_s, u"else"_s,   u"case"_s,   u"end"_s,   u"on"_s,    u"having"_s, u"asc"_s,
        u"desc"_s, u"set"_s,  u"values"_s, u"order"_s,  u"group"_s, u"join"_s,  u"limit"_s,  u"union"_s};
    static const QSet<QString> symbols = {u","_s,  u"="_s,  u"<>"_s, u"<"_s,  u">"_s,
                                          u"<="_s, u">="_s, u"!="_s, u"=="_s, u";"_s};
    if (token.kind == SqlToken::Kind::Word)
        return words.contains(token.text.toLower());
    if (token.kind == SqlToken::Kind::Symbol)
        return symbols.contains(token.text);
    return false;
}

// The extent [first, end) of the operand next to tokens[from]: the one before
// it (step -1) or after it (step +1), blanks at its edges left out; empty
// when there is none.
std::pair<size_t, size_t> likeOperand(const SqlTokens& tokens, size_t from, int step)
{
    const QStringView opening = step < 0 ? u")" : u"(";
    const QStringView closing = step < 0 ? u"(" : u")";
    size_t first = size_t(-1);
    size_t last = size_t(-1);
    int depth = 0;
    for (size_t k = from + size_t(step); k < tokens.size(); k += size_t(step)) {
        const SqlToken& token = tokens[k];
        if (token.isSpace())
            continue;
        if (token.isSymbol(opening)) {
            ++depth;
        } else if (token.isSymbol(closing)) {
            if (depth == 0)
                break;
            --depth;
        } else if (depth == 0 && endsLikeOperand(token)) {
            break;
        }
        if (first == size_t(-1))
            first = k;
        last = k;
    }
    if (first == size_t(-1))
        return {from, from};
    return step < 0 ? std::pair(last, first + 1) : std::pair(first, last + 1);
}

// "a like p" becomes a call of the program's own pattern match, p first as in
// SQLite's like(p, a); "a not like p" its negation. SQLite's own LIKE, which
// knows only % and _, is never reached.
void rewriteLike(SqlTokens& tokens)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].isWord(u"like"))
            continue;
        const size_t previous = previousSolid(tokens, i);
        const bool negated = previous != size_t(-1) && tokens[previous].isWord(u"not");
        const auto [valueFirst, valueEnd] = likeOperand(tokens, negated ? previous : i, -1);
        const auto [patternFirst, patternEnd] = likeOperand(tokens, i, +1);
        if (valueFirst == valueEnd || patternFirst == patternEnd)
            continue; // not an expression this can take apart: SQLite reports it
        // Tokens as the tokenizer makes them, for the passes that follow.
        const SqlToken space{SqlToken::Kind::Space, u" "_s};
        SqlTokens call;
        if (negated)
            call.insert(call.end(), {SqlToken{SqlToken::Kind::Word, u"not"_s}, space});
        call.insert(call.end(),
                    {SqlToken{SqlToken::Kind::Word, QString::fromLatin1(JetLikeFunction)}, symbol(u"("_s)});
        call.insert(call.end(), tokens.begin() + qsizetype(patternFirst),
                    tokens.begin() + qsizetype(patternEnd));
        call.insert(call.end(), {symbol(u","_s), space});
        call.insert(call.end(), tokens.begin() + qsizetype(valueFirst), tokens.begin() + qsizetype(valueEnd));
        call.push_back(symbol(u")"_s));
        tokens.erase(tokens.begin() + qsizetype(valueFirst), tokens.begin() + qsizetype(patternEnd));
        tokens.insert(tokens.begin() + qsizetype(valueFirst), call.begin(), call.end());
        i = valueFirst + call.size() - 1;
    }
}

// ---- literals and names ----------------------------------------------------

QString sqliteStringLiteral(const QString& content)
{
    QString escaped = content;
    escaped.replace(u'\'', u"''"_s);
    return u'\'' + escaped + u'\'';
}

void translateToken(SqlToken& token, const SqlTokens& tokens, size_t index, const QString& wholeText)
{
    switch (token.kind) {
    case SqlToken::Kind::String:
        if (token.text.startsWith(u'"')) {
            QString content = token.text.mid(1, token.text.size() - 2);
            content.replace(u"\"\""_s, u"\""_s);
            token.text = sqliteStringLiteral(content);
        }
        break;
    case SqlToken::Kind::Name:
        if (token.text.startsWith(u'[')) {
            QString name = token.text.mid(1, token.text.size() - 2);
            name.replace(u'"', u"\"\""_s);
            token.text = u'"' + name + u'"';
            token.kind = SqlToken::Kind::Name;
        }
        break;
    case SqlToken::Kind::DateLiteral: {
        const std::optional<QDateTime> moment = parseJetDateLiteral(token.text.mid(1, token.text.size() - 2));
        if (!moment)
            throw DbErrors::syntax(wholeText, u"date %1 cannot be read"_s.arg(token.text));
        token.text = sqliteStringLiteral(StoredValue::dateTimeText(*moment));
        token.kind = SqlToken::Kind::String;
        break;
    }
    case SqlToken::Kind::Word: {
        const size_t before = previousSolid(tokens, index);
        const bool qualified = before != size_t(-1) && tokens[before].isSymbol(u".");
        if (!qualified && token.isWord(u"true"))
            token = SqlToken{SqlToken::Kind::Number, u"1"_s};
        else if (!qualified && token.isWord(u"false"))
            token = SqlToken{SqlToken::Kind::Number, u"0"_s};
        break;
    }
    default:
        break;
    }
}

void dropTrailingSemicolon(SqlTokens& tokens)
{
    const size_t last = previousSolid(tokens, tokens.size());
    if (last != size_t(-1) && tokens[last].isSymbol(u";"))
        tokens.erase(tokens.begin() + qsizetype(last), tokens.end());
}

} // namespace

std::optional<QDateTime> parseJetDateLiteral(const QString& text)
{
    QString rest = text.trimmed();
    const std::optional<QTime> time = takeTime(rest);
    if (time && !time->isValid())
        return std::nullopt;
    rest = rest.trimmed();
    if (rest.isEmpty()) {
        if (!time)
            return std::nullopt;
        return QDateTime(StoredValue::TimeOnlyDate, *time);
    }
    const std::optional<QDate> date = parseDatePart(rest);
    if (!date || !date->isValid())
        return std::nullopt;
    return QDateTime(*date, time.value_or(QTime(0, 0)));
}

QString translateJetSql(const QString& jetSql)
{
    SqlTokens tokens = tokenizeSql(jetSql, SqlDialect::Jet);
    dropTrailingSemicolon(tokens);
    for (size_t i = 0; i < tokens.size(); ++i)
        translateToken(tokens[i], tokens, i, jetSql);
    ColumnTypeRewriter(tokens).run();
    rewriteLike(tokens);
    rewriteConcatenation(tokens);
    return joinTokens(tokens);
}
