#pragma once

#include "catalogue/lookup_tables.h"

#include <QString>

class Recordset;

// Finds the key of a lookup text in its table through the open lookup
// dynasets, adding a row for a text that is not there yet.
class LookupResolver
{
public:
    struct Recordsets
    {
        Recordset& rsFormats;
        Recordset& rsSeries;
        Recordset& rsAuthors;
        Recordset& rsPublishers;
        Recordset& rsCategories;
        Recordset& rsOwners;
        Recordset& rsLocations;
    };

    struct Resolution
    {
        qint32 key = -1;    // -1 for an empty field
        bool added = false; // a new row: the field's list needs an entry for the text
    };

    explicit LookupResolver(Recordsets recordsets);

    // The key for text in field's table. Names are trimmed of blanks and cut
    // to their column's width; an author's text is split at the comma into
    // last and first name. Matching ignores case. Throws DbError.
    Resolution ResolveLookupValue(LookupField field, const QString& text);

private:
    Recordset& recordsetFor(LookupField field) const;

    Recordsets m_recordsets;
};

// The search criterion that finds a lookup text's row (quotes doubled), and
// the names stored for it: one for the single-name tables, last and first
// name for authors.
struct LookupCriterion
{
    QString criterion;
    QString name;
    QString firstName; // authors only
};
LookupCriterion lookupCriterion(LookupField field, const QString& text);
