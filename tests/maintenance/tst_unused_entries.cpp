#include "database/database.h"
#include "database/native_sql.h"
#include "maintenance/unused_entries.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every lookup table holds three entries. Book 1 uses entry 1 of every
// table, book 2 has "none" (-1) everywhere, book 3 has no keys at all (Null),
// book 4 refers to entries that do not exist.
QByteArray fixtureSql()
{
    QByteArray sql;
    for (LookupField field : LookupOpenOrder) {
        const LookupTable& use = lookupTable(field);
        const QByteArray table = use.table.toUtf8();
        const QByteArray key = use.keyColumn.toUtf8();
        sql += "INSERT INTO " + table + " (" + key + ") VALUES (1), (2), (3);\n";
    }
    QByteArrayList columns;
    for (LookupField field : LookupOpenOrder)
        columns << lookupTable(field).booksColumn.toUtf8();
    const QByteArray list = columns.join(", ");
    sql += "INSERT INTO Books (BookID, Title, " + list + ") VALUES (1, 'Used', 1, 1, 1, 1, 1, 1, 1);\n";
    sql +=
        "INSERT INTO Books (BookID, Title, " + list + ") VALUES (2, 'None', -1, -1, -1, -1, -1, -1, -1);\n";
    sql += "INSERT INTO Books (BookID, Title, " + list +
           ") VALUES (3, 'Null', NULL, NULL, NULL, NULL, NULL, NULL, NULL);\n";
    sql += "INSERT INTO Books (BookID, Title, " + list + ") VALUES (4, 'Dangling', 9, 9, 9, 9, 9, 9, 9);\n";
    return sql;
}

QStringList keysOf(Database& db, const LookupTable& use)
{
    return nativeRows(db, "SELECT " + use.keyColumn.toUtf8() + " FROM " + use.table.toUtf8() + " ORDER BY 1");
}

} // namespace

Q_DECLARE_METATYPE(LookupField)

class TestUnusedEntries : public QObject
{
    Q_OBJECT

private slots:
    void removesOnlyEntriesNoBookUses_data();
    void removesOnlyEntriesNoBookUses();
};

void TestUnusedEntries::removesOnlyEntriesNoBookUses_data()
{
    QTest::addColumn<LookupField>("field");
    QTest::addColumn<QByteArray>("change"); // made before the removal
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("keysLeft");

    for (LookupField field : LookupOpenOrder) {
        const LookupTable& use = lookupTable(field);
        const QByteArray table = use.table.toUtf8();
        const QByteArray column = use.booksColumn.toUtf8();
        QTest::addRow("%s: two unused", table.constData())
            << field << QByteArray() << 2 << QStringList{u"1"_s};
        QTest::addRow("%s: all in use", table.constData())
            << field
            << "UPDATE Books SET " + column + " = 2 WHERE BookID = 2; UPDATE Books SET " + column +
                   " = 3 WHERE BookID = 3"
            << 0 << QStringList{u"1"_s, u"2"_s, u"3"_s};
        QTest::addRow("%s: empty table", table.constData())
            << field << "DELETE FROM " + table << 0 << QStringList{};
        QTest::addRow("%s: an entry keyed -1 stays while books say none with -1", table.constData())
            << field
            << "UPDATE " + table + " SET " + use.keyColumn.toUtf8() + " = -1 WHERE " +
                   use.keyColumn.toUtf8() + " = 3"
            << 1 << QStringList{u"-1"_s, u"1"_s};
    }
}

// One table changes; the six others keep all three entries.
void TestUnusedEntries::removesOnlyEntriesNoBookUses()
{
    QFETCH(LookupField, field);
    QFETCH(QByteArray, change);
    QFETCH(QStringList, keysLeft);

    TemporaryCatalogue catalogue;
    catalogue.executeNative(fixtureSql() + change);
    std::unique_ptr<Database> db = catalogue.open();
    QTEST(deleteUnusedEntries(*db, field), "removed");
    for (LookupField other : LookupOpenOrder) {
        const QStringList expected = other == field ? keysLeft : QStringList{u"1"_s, u"2"_s, u"3"_s};
        QCOMPARE(keysOf(*db, lookupTable(other)), expected);
    }
}

QTEST_GUILESS_MAIN(TestUnusedEntries)
#include "tst_unused_entries.moc"
