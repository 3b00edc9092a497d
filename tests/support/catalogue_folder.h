#pragma once

// A catalogue of the current layout in a folder of its own, filled with rows
// through the catalogue's own SQL dialect, for tests that open it as the
// program does (a session, the catalogue's life, the main window).

#include "catalogue/schema.h"
#include "database/database.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QVariantMap>

namespace catalogue_test {

using namespace Qt::StringLiterals;

// A value as a literal of the catalogue's SQL dialect.
inline QString sqlLiteral(const QVariant& value)
{
    if (value.isNull())
        return u"Null"_s;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? u"true"_s : u"false"_s;
    case QMetaType::Int:
    case QMetaType::Double:
        return value.toString();
    case QMetaType::QDate:
        return u"#"_s + value.toDate().toString(u"M/d/yyyy"_s) + u"#"_s;
    default:
        return u"'"_s + value.toString().replace(u"'"_s, u"''"_s) + u"'"_s;
    }
}

// A temporary folder with a catalogue. Rows are written with the catalogue
// closed again afterwards, so that the program can open it exclusively.
class CatalogueFolder
{
public:
    CatalogueFolder() { createCatalogue(cataloguePath()); }
    QString path() const { return m_dir.path(); }
    QString cataloguePath() const { return QDir(m_dir.path()).filePath(u"Quillary.mdb"_s); }

    void execute(const QString& sql) const
    {
        auto db = Database::open(cataloguePath(), Database::OpenMode::Exclusive);
        db->execute(sql);
        db->close();
    }

    void addAuthor(qlonglong id, const QString& lastName, const QVariant& firstName) const
    {
        execute(u"insert into Authors (AuthID, LastName, FirstName) values (%1, %2, %3)"_s.arg(id).arg(
            sqlLiteral(lastName), sqlLiteral(firstName)));
    }

    // columns names the key and name columns, as "PubID, PubName".
    void addLookup(const QString& table, const QString& columns, qlonglong id, const QString& name) const
    {
        execute(u"insert into %1 (%2) values (%3, %4)"_s.arg(table, columns).arg(id).arg(sqlLiteral(name)));
    }

    // A book with the given title; every lookup -1, every flag false, every
    // other column Null, unless columns says otherwise. SortTitle defaults to
    // the title in upper case.
    void addBook(const QString& title, const QVariantMap& columns = {}) const
    {
        QVariantMap row{{u"Title"_s, title}, {u"SortTitle"_s, title.toUpper()}};
        for (const char* key : {"AuthID", "PubID", "CatID", "OwnerID", "LocID", "ForID", "SerID"})
            row.insert(QLatin1String(key), -1);
        for (const char* flag : {"Fiction", "New", "Paperback", "Read", "OnLoan"})
            row.insert(QLatin1String(flag), false);
        row.insert(columns);
        QStringList values;
        for (const QVariant& value : row)
            values << sqlLiteral(value);
        execute(u"insert into Books (%1) values (%2)"_s.arg(row.keys().join(u", "_s), values.join(u", "_s)));
    }

    // Five books, nonfiction and used. Title order: Apple Pie, Banana, The Cat,
    // Moon, Zoo Life. Author order: Moon (none), Banana, Zoo Life (Adams),
    // Apple Pie, The Cat (Smith). Category order: Moon (none), The Cat
    // (Animals), Apple Pie, Banana (Cooking), Zoo Life (Travel).
    void addCollection() const
    {
        addAuthor(1, u"Smith"_s, u"John"_s);
        addAuthor(2, u"Adams"_s, u"Ann"_s);
        addLookup(u"Categories"_s, u"CatID, CatName"_s, 1, u"Travel"_s);
        addLookup(u"Categories"_s, u"CatID, CatName"_s, 2, u"Cooking"_s);
        addLookup(u"Categories"_s, u"CatID, CatName"_s, 3, u"Animals"_s);
        addBook(u"Zoo Life"_s, {{u"AuthID"_s, 2}, {u"CatID"_s, 1}});
        addBook(u"Apple Pie"_s, {{u"AuthID"_s, 1}, {u"CatID"_s, 2}});
        addBook(u"Moon"_s);
        addBook(u"Banana"_s, {{u"AuthID"_s, 2}, {u"CatID"_s, 2}});
        addBook(u"The Cat"_s, {{u"SortTitle"_s, u"CAT"_s}, {u"AuthID"_s, 1}, {u"CatID"_s, 3}});
    }

private:
    QTemporaryDir m_dir;
};

} // namespace catalogue_test
