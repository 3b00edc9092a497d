// The seven lookup tables as described once, checked against a real
// catalogue: every description names columns the catalogue has, lists show
// the names as the window does, and typed names find or add their rows.

#include "catalogue/book_session.h"
#include "database/database.h"
#include "database/recordset.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LookupField)

class TestLookupTables : public QObject
{
    Q_OBJECT

private slots:
    void descriptionsMatchTheCatalogue();
    void typedNamesFindOrAddTheirRow_data();
    void typedNamesFindOrAddTheirRow();
};

void TestLookupTables::descriptionsMatchTheCatalogue()
{
    TemporaryCatalogue catalogue;
    auto db = catalogue.open();
    for (const LookupField field : AllLookupFields) {
        const LookupTable& table = lookupTable(field);
        QCOMPARE(table.field, field);
        const QString columns = table.keyColumn + u", "_s + table.nameColumns.join(u", "_s);
        QVERIFY2(
            db->openRecordset(u"select "_s + columns + u" from "_s + table.table, RecordsetType::Snapshot),
            qPrintable(table.table));
        QVERIFY(
            db->openRecordset(u"select "_s + table.booksColumn + u" from Books"_s, RecordsetType::Snapshot));
        for (const QString& sql : {table.recordsetSql, table.listSql})
            QVERIFY2(sql.contains(table.table, Qt::CaseInsensitive), qPrintable(sql));
    }
}

void TestLookupTables::typedNamesFindOrAddTheirRow_data()
{
    QTest::addColumn<LookupField>("field");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("entries"); // the field's list afterwards, as the window shows it
    QTest::addColumn<bool>("added");
    QTest::newRow("author found, case and blanks aside")
        << LookupField::Author << QByteArray("INSERT INTO Authors VALUES (5, 'Smith', 'John');")
        << u"  smith,john "_s << QStringList{u"Smith, John"_s} << false;
    QTest::newRow("author without first name added")
        << LookupField::Author << QByteArray("INSERT INTO Authors VALUES (5, 'Smith', 'John');") << u"Smith"_s
        << QStringList{u"Smith, "_s, u"Smith, John"_s} << true;
    QTest::newRow("author with a Null first name found")
        << LookupField::Author << QByteArray("INSERT INTO Authors VALUES (5, 'Homer', NULL);") << u"Homer"_s
        << QStringList{u"Homer, "_s} << false;
    QTest::newRow("owner found in its own key column")
        << LookupField::Owner << QByteArray("INSERT INTO Owners VALUES (3, 'Ann');") << u"ANN"_s
        << QStringList{u"Ann"_s} << false;
    QTest::newRow("publisher cut to 75 characters")
        << LookupField::Publisher << QByteArray() << QString(80, u'p') << QStringList{QString(75, u'p')}
        << true;
    QTest::newRow("series cut to 40 characters")
        << LookupField::Series << QByteArray() << QString(45, u's') << QStringList{QString(40, u's')} << true;
    QTest::newRow("quote in a format name")
        << LookupField::Format << QByteArray("INSERT INTO Formats VALUES (9, 'Collector''s box');")
        << u"collector's box"_s << QStringList{u"Collector's box"_s} << false;
}

void TestLookupTables::typedNamesFindOrAddTheirRow()
{
    QFETCH(LookupField, field);
    QFETCH(QByteArray, rows);
    QFETCH(QString, typed);
    QFETCH(QStringList, entries);
    TemporaryCatalogue catalogue;
    if (!rows.isEmpty())
        catalogue.executeNative(rows);
    ScopedScriptedDialogs dialogs;
    BookSession session;
    QVERIFY(session.open(catalogue.folder()));

    LookupResolver resolver = session.lookupResolver();
    const LookupResolver::Resolution found = resolver.ResolveLookupValue(field, typed);
    QTEST(found.added, "added");
    // Found again, without adding, however it is typed the second time.
    QCOMPARE(resolver.ResolveLookupValue(field, typed.toUpper()).key, found.key);

    // The list as the window fills it, and each row as a recordset shows it.
    QStringList shown;
    readLookupList(session.database(), field, [&](qlonglong, const QString& text) { shown << text; });
    QCOMPARE(shown, entries);
    auto list = session.database().openRecordset(lookupTable(field).listSql, RecordsetType::Snapshot);
    shown.clear();
    for (; !list->eof(); list->moveNext())
        shown << lookupEntryText(field, *list);
    QCOMPARE(shown, entries);
    QVERIFY(dialogs.shown().isEmpty());
}

QTEST_GUILESS_MAIN(TestLookupTables)
#include "tst_lookup_tables.moc"
