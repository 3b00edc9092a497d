#include "catalogue/database.h"
#include "catalogue/native_sql.h"
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
    for (const LookupTableUse& use : lookupTableUses()) {
        const QByteArray table = use.table.toUtf8();
        const QByteArray key = use.keyColumn.toUtf8();
        sql += "INSERT INTO " + table + " (" + key + ") VALUES (1), (2), (3);\n";
    }
    QByteArrayList columns;
    for (const LookupTableUse& use : lookupTableUses())
        columns << use.booksColumn.toUtf8();
    const QByteArray list = columns.join(", ");
    sql += "INSERT INTO Books (BookID, Title, " + list + ") VALUES (1, 'Used', 1, 1, 1, 1, 1, 1, 1);\n";
    sql += "INSERT INTO Books (BookID, Title, " + list + ") VALUES (2, 'None', -1, -1, -1, -1, -1, -1, -1);\n";
    sql += "INSERT INTO Books (BookID, Title, " + list + ") VALUES (3, 'Null', NULL, NULL, NULL, NULL, NULL, NULL, NULL);\n";
    sql += "INSERT INTO Books (BookID, Title, " + list + ") VALUES (4, 'Dangling', 9, 9, 9, 9, 9, 9, 9);\n";
    return sql;
}

QStringList keysOf(Database& db, const LookupTableUse& use)
{
    return nativeRows(db, "SELECT " + use.keyColumn.toUtf8() + " FROM " + use.table.toUtf8() + " ORDER BY 1");
}

} // namespace

class TestUnusedEntries : public QObject
{
    Q_OBJECT

private slots:
    void removesOnlyEntriesNoBookUses_data();
    void removesOnlyEntriesNoBookUses();
};

void TestUnusedEntries::removesOnlyEntriesNoBookUses_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("change"); // made before the removal
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("keysLeft");

    for (int i = 0; i < int(lookupTableUses().size()); ++i) {
        const LookupTableUse& use = lookupTableUses()[std::size_t(i)];
        const QByteArray table = use.table.toUtf8();
        const QByteArray column = use.booksColumn.toUtf8();
        QTest::addRow("%s: two unused", table.constData()) << i << QByteArray() << 2 << QStringList{u"1"_s};
        QTest::addRow("%s: all in use", table.constData())
            << i << "UPDATE Books SET " + column + " = 2 WHERE BookID = 2; UPDATE Books SET " + column +
                        " = 3 WHERE BookID = 3"
            << 0 << QStringList{u"1"_s, u"2"_s, u"3"_s};
        QTest::addRow("%s: empty table", table.constData())
            << i << "DELETE FROM " + table << 0 << QStringList{};
        QTest::addRow("%s: an entry keyed -1 stays while books say none with -1", table.constData())
            << i << "UPDATE " + table + " SET " + use.keyColumn.toUtf8() + " = -1 WHERE " +
                        use.keyColumn.toUtf8() + " = 3"
            << 1 << QStringList{u"-1"_s, u"1"_s};
    }
}

// One table changes; the six others keep all three entries.
void TestUnusedEntries::removesOnlyEntriesNoBookUses()
{
    QFETCH(int, index);
    QFETCH(QByteArray, change);
    QFETCH(int, removed);
    QFETCH(QStringList, keysLeft);

    TemporaryCatalogue catalogue;
    catalogue.executeNative(fixtureSql() + change);
    std::unique_ptr<Database> db = catalogue.open();
    const LookupTableUse& target = lookupTableUses()[std::size_t(index)];
    QCOMPARE(deleteUnusedEntries(*db, target), removed);
    for (const LookupTableUse& use : lookupTableUses()) {
        const QStringList expected = &use == &target ? keysLeft : QStringList{u"1"_s, u"2"_s, u"3"_s};
        QCOMPARE(keysOf(*db, use), expected);
    }
}

QTEST_GUILESS_MAIN(TestUnusedEntries)
#include "tst_unused_entries.moc"
