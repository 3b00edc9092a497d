#include "database/collation_version.h"

#include "common/progress.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/sql_tokenizer.h"
#include "database/text_order.h"

#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The first version whose declarations name the collation by its own name.
constexpr int OwnNameVersion = 2;

qint64 pragmaValue(Database& db, const QByteArray& pragma)
{
    NativeStatement value(db, "PRAGMA " + pragma);
    return value.step() ? value.columnInt(0) : 0;
}

int recordedVersion(Database& db)
{
    return static_cast<int>(pragmaValue(db, "user_version"));
}

// A definition with every "COLLATE NOCASE" naming the program's collation;
// texts, quoted names and comments that merely contain the word stay as they are.
QString withOwnCollationName(const QString& definition)
{
    SqlTokens tokens = tokenizeSql(definition, SqlDialect::Sqlite);
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].isWord(u"COLLATE"))
            continue;
        const size_t name = nextSolid(tokens, i + 1);
        if (name >= tokens.size())
            break;
        SqlToken& token = tokens[name];
        const bool quoted = token.kind == SqlToken::Kind::Name || token.kind == SqlToken::Kind::String;
        const QString bare = quoted ? token.text.mid(1, token.text.size() - 2) : token.text;
        if ((token.kind == SqlToken::Kind::Word || quoted) &&
            bare.compare(u"NOCASE", Qt::CaseInsensitive) == 0)
            token = SqlToken{SqlToken::Kind::Word, QString::fromLatin1(TextOrder::CollationName)};
    }
    return joinTokens(tokens);
}

// Schema editing, switched off again however the editing ends. finish()
// also makes the connection read the edited definitions: raising the schema
// version tells other connections, but a connection holding the file
// exclusively keeps the definitions it has read.
class SchemaEditing
{
public:
    explicit SchemaEditing(Database& db) : m_db(db) { executeNative(m_db, "PRAGMA writable_schema = ON"); }
    ~SchemaEditing()
    {
        if (m_finished)
            return;
        try {
            executeNative(m_db, "PRAGMA writable_schema = OFF");
        } catch (...) {
            // Only a closed connection refuses it, and that ends the editing too.
        }
    }
    SchemaEditing(const SchemaEditing&) = delete;
    SchemaEditing& operator=(const SchemaEditing&) = delete;

    void finish()
    {
        executeNative(m_db, "PRAGMA writable_schema = RESET");
        m_finished = true;
    }

private:
    Database& m_db;
    bool m_finished = false;
};

// Renames the collation in the stored definitions, by the procedure SQLite
// documents for schema changes that leave the stored rows alone: edit
// sqlite_master, then raise the schema version so that every connection
// reads the definitions anew. A collation changes only the order of the
// indexes, which the caller rebuilds next, in the same transaction.
void renameNoCaseDeclarations(Database& db)
{
    std::vector<std::pair<qint64, QString>> renamed;
    {
        NativeStatement definitions(db,
                                    "SELECT rowid, sql FROM sqlite_master WHERE type IN ('table', 'index') "
                                    "AND sql LIKE '%nocase%'");
        while (definitions.step()) {
            const QString definition = definitions.columnText(1);
            const QString rewritten = withOwnCollationName(definition);
            if (rewritten != definition)
                renamed.emplace_back(definitions.columnInt(0), rewritten);
        }
    }
    if (renamed.empty())
        return;
    const qint64 version = pragmaValue(db, "schema_version");
    SchemaEditing editing(db);
    NativeStatement update(db, "UPDATE sqlite_master SET sql = ?2 WHERE rowid = ?1");
    for (const auto& [row, definition] : renamed) {
        update.bindInt(1, row);
        update.bindText(2, definition);
        update.run();
    }
    executeNative(db, "PRAGMA schema_version = " + QByteArray::number(version + 1));
    editing.finish();
}

} // namespace

void markCollationCurrent(Database& db)
{
    executeNative(db, "PRAGMA user_version = " + QByteArray::number(TextOrder::RulesVersion));
}

bool textOrderOutOfDate(Database& db)
{
    return recordedVersion(db) != TextOrder::RulesVersion;
}

bool bringTextOrderUpToDate(Database& db)
{
    const int recorded = recordedVersion(db);
    if (recorded == TextOrder::RulesVersion)
        return false;
    // One transaction: indexes rebuilt without the version recorded would
    // only be rebuilt again, but a version recorded over stale indexes, or
    // over declarations still naming NOCASE, would never be.
    // Rebuilding the text indexes of a large catalogue takes seconds.
    ProgressTask progress(u"Putting the catalogue's text indexes in order..."_s);
    runKeepingProgressAlive(progress, [&db, recorded] {
        db.transaction([&db, recorded] {
            if (recorded < OwnNameVersion)
                renameNoCaseDeclarations(db);
            executeNative(db, QByteArray("REINDEX ") + TextOrder::CollationName);
            markCollationCurrent(db);
        });
    });
    return true;
}
