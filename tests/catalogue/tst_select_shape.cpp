#include "catalogue/select_shape.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Which queries may be read as keys of a base table decides whether a
// recordset shows the right rows: a summary read as keys would show base rows.
class TestSelectShape : public QObject
{
    Q_OBJECT

private slots:
    void analysesSelect_data();
    void analysesSelect();
};

// parts: select list | from | where | order | base reference | join; empty
// when the query is not plain rows of one table.
void TestSelectShape::analysesSelect_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("parts");

    QTest::newRow("plain") << u"Select * from Books order by SortTitle"_s
                           << u"*|Books||order by SortTitle|Books|no"_s;
    QTest::newRow("nested joins")
        << u"Select Title, LocName from (Books left join Authors on Books.AuthID = Authors.AuthID) left join "
           u"Locations on Books.LocID = Locations.LocID where Books.LocID = 1 order by LastName"_s
        << u"Title, LocName|(Books left join Authors on Books.AuthID = Authors.AuthID) left join Locations "
           u"on "
           u"Books.LocID = Locations.LocID|Books.LocID = 1|order by LastName|Books|join"_s;
    QTest::newRow("alias") << u"select b.Title from Books AS b where b.Read"_s
                           << u"b.Title|Books AS b|b.Read||b|no"_s;
    QTest::newRow("keywords inside text and subqueries")
        << u"select Title from \"Books\" where Title = 'x from y order by z' and AuthID in (select AuthID "
           u"from "
           u"Authors where LastName like 'a*')"_s
        << u"Title|\"Books\"|Title = 'x from y order by z' and AuthID in (select AuthID from Authors where "
           u"LastName like 'a*')||\"Books\"|no"_s;
    QTest::newRow("comma join") << u"select Title from Books, Categories"_s
                                << u"Title|Books, Categories|||Books|join"_s;

    for (const QString& refused :
         {u"select count(*) from Books"_s, u"select CatID from Books group by CatID"_s,
          u"select distinct AuthID from Books"_s,
          u"select AuthID from Books union select AuthID from Authors"_s, u"select * from Books limit 5"_s,
          u"select * from Books right join Authors on Books.AuthID = Authors.AuthID"_s,
          u"select * from (select * from Books)"_s, u"select 1"_s, u"PRAGMA integrity_check"_s,
          u"select Title, row_number() over (order by Title) from Books"_s})
        QTest::newRow(qPrintable(refused)) << refused << QString();
}

void TestSelectShape::analysesSelect()
{
    QFETCH(QString, sql);
    QFETCH(QString, parts);
    const SelectShape shape = analyseSelect(sql);
    QCOMPARE(shape.plain, !parts.isEmpty());
    if (!shape.plain)
        return;
    QCOMPARE(QStringList({shape.selectList, shape.fromClause, shape.whereClause, shape.orderClause,
                          shape.baseReference, shape.hasJoin ? u"join"_s : u"no"_s})
                 .join(u'|'),
             parts);
    QCOMPARE(shape.baseTable, u"Books"_s);
}

QTEST_GUILESS_MAIN(TestSelectShape)
#include "tst_select_shape.moc"
