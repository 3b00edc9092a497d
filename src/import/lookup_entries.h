#pragma once

#include "catalogue/lookup_tables.h"

#include <QHash>
#include <QString>
#include <array>
#include <memory>

class Database;
class NativeStatement;

// The lookup rows of many books found or made at once, as typing them would:
// names trimmed and cut to their column's width, an author split at the
// comma, matched without regard to case (the first of equal names wins, as
// the window's list finds it). The lists are read once; rows made are written
// on the caller's transaction.
class LookupEntries
{
public:
    explicit LookupEntries(Database& db); // throws DbError
    ~LookupEntries();

    // The key of text's row in field's table, adding the row when there is
    // none; -1 for an empty text.
    qint64 keyFor(LookupField field, const QString& text);
    qint64 rowsAdded() const { return m_added; }

private:
    Database& m_db;
    std::array<QHash<QString, qint64>, 7> m_keys;
    std::array<QHash<QString, qint64>, 7> m_texts; // the texts already resolved, as given
    std::array<std::unique_ptr<NativeStatement>, 7> m_inserts;
    qint64 m_added = 0;
};
