#include "import/lookup_entries.h"

#include "catalogue/lookup_resolver.h"
#include "database/native_sql.h"

using namespace Qt::StringLiterals;

namespace {

QString matchKey(const LookupCriterion& names)
{
    return names.name.toCaseFolded() + QChar(0x1F) + names.firstName.toCaseFolded();
}

} // namespace

LookupEntries::LookupEntries(Database& db) : m_db(db)
{
    for (const LookupField field : AllLookupFields) {
        QHash<QString, qint64>& keys = m_keys[size_t(field)];
        readLookupList(db, field, [&](qlonglong key, const QString& text) {
            const QString match = matchKey(lookupCriterion(field, text));
            if (!keys.contains(match))
                keys.insert(match, key);
        });
    }
}

LookupEntries::~LookupEntries() = default;

qint64 LookupEntries::keyFor(LookupField field, const QString& text)
{
    if (text.isEmpty())
        return -1;
    // A table of books names the same author or publisher row after row.
    QHash<QString, qint64>& texts = m_texts[size_t(field)];
    if (const auto seen = texts.constFind(text); seen != texts.constEnd())
        return seen.value();
    const LookupCriterion names = lookupCriterion(field, text);
    QHash<QString, qint64>& keys = m_keys[size_t(field)];
    const QString key = matchKey(names);
    if (const auto found = keys.constFind(key); found != keys.constEnd()) {
        texts.insert(text, found.value());
        return found.value();
    }

    const LookupTable& table = lookupTable(field);
    std::unique_ptr<NativeStatement>& insert = m_inserts[size_t(field)];
    if (!insert) {
        const QString columns = table.nameColumns.join(u", "_s);
        const QString values = table.nameColumns.size() > 1 ? u"?, ?"_s : u"?"_s;
        insert =
            std::make_unique<NativeStatement>(m_db, u"INSERT INTO %1 (%2) VALUES (%3) RETURNING %4"_s
                                                        .arg(table.table, columns, values, table.keyColumn)
                                                        .toUtf8());
    }
    insert->bindText(1, names.name);
    if (table.nameColumns.size() > 1)
        insert->bindText(2, names.firstName);
    insert->step();
    const qint64 newKey = insert->columnInt(0);
    insert->reset();
    keys.insert(key, newKey);
    texts.insert(text, newKey);
    ++m_added;
    return newKey;
}
