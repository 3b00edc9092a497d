// The one description of the Books columns the window shows and stores,
// held against the tables the program creates.

#include "catalogue/book_columns.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TemporaryCatalogue::Layout)

class TestBookColumns : public QObject
{
    Q_OBJECT

private slots:
    void everyColumnIsInTheTableWithItsType_data();
    void everyColumnIsInTheTableWithItsType();
};

void TestBookColumns::everyColumnIsInTheTableWithItsType_data()
{
    QTest::addColumn<TemporaryCatalogue::Layout>("layout");
    QTest::addColumn<int>("columnsOfTheLayout"); // described columns the table has
    QTest::newRow("current layout") << TemporaryCatalogue::Layout::Current << 24;
    QTest::newRow("earlier layout") << TemporaryCatalogue::Layout::Earlier << 20;
}

void TestBookColumns::everyColumnIsInTheTableWithItsType()
{
    QFETCH(TemporaryCatalogue::Layout, layout);
    const bool earlier = layout == TemporaryCatalogue::Layout::Earlier;
    const TemporaryCatalogue catalogue(layout);
    QHash<QString, QString> declared; // by lower-case name
    for (const QString& row :
         nativeRows(*catalogue.open(), "SELECT lower(name), type FROM pragma_table_info('Books')"))
        declared.insert(row.section(u'|', 0, 0), row.section(u'|', 1));
    const QHash<BookColumnKind, QString> typeOfKind{
        {BookColumnKind::Text, u"TEXT"_s},         {BookColumnKind::WholeNumber, u"INTEGER|SMALLINT"_s},
        {BookColumnKind::Currency, u"CURRENCY"_s}, {BookColumnKind::Date, u"DATETIME"_s},
        {BookColumnKind::Flag, u"BOOLEAN"_s},      {BookColumnKind::OptionPair, u"BOOLEAN"_s},
        {BookColumnKind::Lookup, u"INTEGER"_s}};

    int found = 0;
    for (const BookColumn& column : bookColumns()) {
        const auto type = declared.constFind(column.name.toLower());
        QCOMPARE(type != declared.cend(), !earlier || column.inEarlierLayout);
        if (type == declared.cend())
            continue;
        ++found;
        QVERIFY2(typeOfKind.value(column.kind).split(u'|').contains(*type), qPrintable(column.name));
        QCOMPARE(column.number.has_value(),
                 column.kind == BookColumnKind::WholeNumber || column.kind == BookColumnKind::Currency);
        QCOMPARE(column.lookup.has_value(), column.kind == BookColumnKind::Lookup);
    }
    QTEST(found, "columnsOfTheLayout");
}

QTEST_GUILESS_MAIN(TestBookColumns)
#include "tst_book_columns.moc"
