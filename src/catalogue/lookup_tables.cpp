#include "catalogue/lookup_tables.h"

#include "database/forward_recordset.h"
#include "database/recordset.h"

#include <string>

using namespace Qt::StringLiterals;

namespace {

const std::array<LookupTable, 7>& lookupTables()
{
    // Indexed by LookupField.
    static const std::array<LookupTable, 7> tables{{
        {LookupField::Format,
         u"Formats"_s,
         u"ForID"_s,
         u"ForID"_s,
         {u"ForDesc"_s},
         {u"fordesc"_s},
         u"Select * from formats order by fordesc"_s,
         u"Select * from Formats order by fordesc"_s,
         u"cmbForID"_s,
         40},
        {LookupField::Series,
         u"Series"_s,
         u"SerID"_s,
         u"SerID"_s,
         {u"SerDesc"_s},
         {u"serdesc"_s},
         u"Select * from series order by serdesc"_s,
         u"Select * from Series order by serdesc"_s,
         u"cmbSerID"_s,
         40},
        {LookupField::Author,
         u"Authors"_s,
         u"AuthID"_s,
         u"AuthID"_s,
         {u"LastName"_s, u"FirstName"_s},
         {u"LastName"_s, u"firstname"_s},
         u"Select * from Authors order by LastName, FirstName"_s,
         u"Select * from Authors order by LastName, FirstName"_s,
         u"cmbAuthID"_s,
         40},
        {LookupField::Publisher,
         u"Publishers"_s,
         u"PubID"_s,
         u"PubID"_s,
         {u"PubName"_s},
         {u"pubname"_s},
         u"Select * from Publishers order by PubName"_s,
         u"Select * from Publishers order by PubName"_s,
         u"cmbPubID"_s,
         75},
        {LookupField::Category,
         u"Categories"_s,
         u"CatID"_s,
         u"CatID"_s,
         {u"CatName"_s},
         {u"catname"_s},
         u"Select * from Categories order by CatName"_s,
         u"Select * from categories order by CatName"_s,
         u"cmbCatID"_s,
         40},
        {LookupField::Owner,
         u"Owners"_s,
         u"OwnID"_s,
         u"OwnerID"_s,
         {u"OwnName"_s},
         {u"ownname"_s},
         u"Select * from Owners order by OwnName"_s,
         u"Select * from Owners order by OwnName"_s,
         u"cmbOwnerID"_s,
         40},
        {LookupField::Location,
         u"Locations"_s,
         u"LocID"_s,
         u"LocID"_s,
         {u"LocName"_s},
         {u"locname"_s},
         u"Select * from Locations order by LocName"_s,
         u"Select * from Locations order by LocName"_s,
         u"cmbLocID"_s,
         40},
    }};
    return tables;
}

} // namespace

const LookupTable& lookupTable(LookupField field)
{
    return lookupTables()[static_cast<std::size_t>(field)];
}

QString lookupEntryText(LookupField field, const Recordset& row)
{
    const QStringList& names = lookupTable(field).nameColumns;
    QString text = row.value(names.first()).toString();
    for (qsizetype i = 1; i < names.size(); ++i)
        text += u", "_s + row.value(names[i]).toString();
    return text;
}

void readLookupList(Database& db, LookupField field,
                    const std::function<void(qlonglong key, const QString& text)>& entry)
{
    const LookupTable& table = lookupTable(field);
    ForwardRecordset rows(db, table.listSql);
    const int key = rows.columnIndex(table.keyColumn);
    QList<int> names;
    for (const QString& name : table.nameColumns)
        names.append(rows.columnIndex(name));
    // Each name is put together in UTF-8 and made a QString once.
    std::string name;
    for (; !rows.eof(); rows.moveNext()) {
        name.clear();
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (i > 0)
                name += ", ";
            const QByteArrayView part = rows.utf8(names[i]);
            name.append(part.data(), size_t(part.size()));
        }
        entry(rows.integer(key), QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
}
