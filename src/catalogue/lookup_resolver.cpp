#include "catalogue/lookup_resolver.h"

#include "common/blank_trim.h"
#include "common/text_routines.h"
#include "database/db_error.h"
#include "database/recordset.h"

#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

// A name trimmed and cut to its column's width, without splitting a
// character that takes two UTF-16 units.
QString nameForColumn(const QString& text, int width)
{
    QString name = trimBlanks(text);
    if (name.size() > width)
        name.truncate(name.at(width - 1).isHighSurrogate() ? width - 1 : width);
    return name;
}

QString quoted(const QString& name)
{
    return QString(name).replace(u"'"_s, u"''"_s);
}

// An empty name also matches Null, which every reader takes for the empty
// text: rows converted from other files hold Null names, and a second row
// of the same name must not be added beside them.
QString equals(const QString& column, const QString& name)
{
    const QString equal = column + u"='"_s + quoted(name) + u"'"_s;
    return name.isEmpty() ? u"("_s + equal + u" or "_s + column + u" is null)"_s : equal;
}

} // namespace

LookupCriterion lookupCriterion(LookupField field, const QString& text)
{
    const LookupTable& table = lookupTable(field);
    if (table.nameColumns.size() == 1) {
        const QString name = nameForColumn(text, table.width);
        return {equals(table.criterionColumns[0], name), name, QString()};
    }
    const QString comma = u","_s;
    const QString lastName = nameForColumn(GetField(text, comma, 1), table.width);
    const QString firstName = nameForColumn(GetField(text, comma, 2), table.width);
    return {equals(table.criterionColumns[0], lastName) + u" and "_s +
                equals(table.criterionColumns[1], firstName),
            lastName, firstName};
}

LookupResolver::LookupResolver(Recordsets recordsets) : m_recordsets(recordsets) {}

Recordset& LookupResolver::recordsetFor(LookupField field) const
{
    switch (field) {
    case LookupField::Format:
        return m_recordsets.rsFormats;
    case LookupField::Series:
        return m_recordsets.rsSeries;
    case LookupField::Author:
        return m_recordsets.rsAuthors;
    case LookupField::Publisher:
        return m_recordsets.rsPublishers;
    case LookupField::Category:
        return m_recordsets.rsCategories;
    case LookupField::Owner:
        return m_recordsets.rsOwners;
    case LookupField::Location:
        return m_recordsets.rsLocations;
    }
    return m_recordsets.rsFormats;
}

LookupResolver::Resolution LookupResolver::ResolveLookupValue(LookupField field, const QString& text)
{
    if (text.isEmpty())
        return {-1, false};

    const LookupTable& table = lookupTable(field);
    const LookupCriterion wanted = lookupCriterion(field, text);
    Recordset& rows = recordsetFor(field);
    rows.findFirst(wanted.criterion);
    if (!rows.noMatch())
        return {rows.value(table.keyColumn).toInt(), false};

    rows.addNew();
    const qint32 newKey = rows.value(table.keyColumn).toInt();
    rows.setValue(table.nameColumns[0], wanted.name);
    if (table.nameColumns.size() > 1)
        rows.setValue(table.nameColumns[1], wanted.firstName);
    rows.update();

    // Found again by the same criterion. Should that miss (a first name the
    // engine stored as Null), the new row's own key is the answer: looking
    // for the last name alone could land on another author of that name.
    rows.findFirst(wanted.criterion);
    return {rows.noMatch() ? newKey : rows.value(table.keyColumn).toInt(), true};
}
