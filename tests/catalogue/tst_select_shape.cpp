#include "catalogue/select_shape.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Which queries may be read as keys of a base table decides whether a
// recordset shows the right rows: a summary read as keys would show base rows.
class TestSelectShape : public QObject
{
    Q_OBJECT

private slots:
    void findsTheParts_data();
    void findsTheParts();
    void refusesWhatIsNotRowsOfOneTable_data();
    void refusesWhatIsNotRowsOfOneTable();
};

void TestSelectShape::findsTheParts_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("selectList");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("base");
    QTest::addColumn<bool>("join");

    QTest::newRow("plain") << u"Select * from Books order by SortTitle"_s << u"*"_s << u"Books"_s << QString()
                           << u"order by SortTitle"_s << u"Books"_s << false;
    QTest::newRow("nested joins")
        << u"Select Title, LocName from (Books left join Authors on Books.AuthID = Authors.AuthID) left join "
           u"Locations on Books.LocID = Locations.LocID where Books.LocID = 1 order by LastName"_s
        << u"Title, LocName"_s
        << u"(Books left join Authors on Books.AuthID = Authors.AuthID) left join Locations on Books.LocID = "
           u"Locations.LocID"_s
        << u"Books.LocID = 1"_s << u"order by LastName"_s << u"Books"_s << true;
    QTest::newRow("alias") << u"select b.Title from Books AS b where b.Read"_s << u"b.Title"_s << u"Books AS b"_s
                           << u"b.Read"_s << QString() << u"b"_s << false;
    QTest::newRow("keywords inside text and subqueries")
        << u"select Title from \"Books\" where Title = 'x from y order by z' and AuthID in (select AuthID from "
           u"Authors where LastName like 'a*')"_s
        << u"Title"_s << u"\"Books\""_s
        << u"Title = 'x from y order by z' and AuthID in (select AuthID from Authors where LastName like 'a*')"_s
        << QString() << u"\"Books\""_s << false;
    QTest::newRow("comma join") << u"select Title from Books, Categories"_s << u"Title"_s
                                << u"Books, Categories"_s << QString() << QString() << u"Books"_s << true;
}

void TestSelectShape::findsTheParts()
{
    QFETCH(QString, sql);
    const SelectShape shape = analyseSelect(sql);
    QVERIFY(shape.plain);
    QTEST(shape.selectList, "selectList");
    QTEST(shape.fromClause, "from");
    QTEST(shape.whereClause, "where");
    QTEST(shape.orderClause, "order");
    QTEST(shape.baseReference, "base");
    QTEST(shape.hasJoin, "join");
    QCOMPARE(shape.baseTable, u"Books"_s);
}

void TestSelectShape::refusesWhatIsNotRowsOfOneTable_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("count") << u"select count(*) from Books"_s;
    QTest::newRow("group by") << u"select CatID from Books group by CatID"_s;
    QTest::newRow("distinct") << u"select distinct AuthID from Books"_s;
    QTest::newRow("union") << u"select AuthID from Books union select AuthID from Authors"_s;
    QTest::newRow("limit") << u"select * from Books limit 5"_s;
    QTest::newRow("right join") << u"select * from Books right join Authors on Books.AuthID = Authors.AuthID"_s;
    QTest::newRow("subquery first") << u"select * from (select * from Books)"_s;
    QTest::newRow("no table") << u"select 1"_s;
    QTest::newRow("not a select") << u"PRAGMA integrity_check"_s;
    QTest::newRow("window") << u"select Title, row_number() over (order by Title) from Books"_s;
}

void TestSelectShape::refusesWhatIsNotRowsOfOneTable()
{
    QFETCH(QString, sql);
    QVERIFY(!analyseSelect(sql).plain);
}

QTEST_GUILESS_MAIN(TestSelectShape)
#include "tst_select_shape.moc"
