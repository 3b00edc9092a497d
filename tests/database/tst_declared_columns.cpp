#include "database/declared_columns.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The column list of a definition read from a damaged schema: whatever else
// the damage hit, the names come out in their order, or nothing when the list
// itself cannot be told apart.
class TestDeclaredColumns : public QObject
{
    Q_OBJECT
private slots:
    void readsTheListOnly_data();
    void readsTheListOnly();
};

void TestDeclaredColumns::readsTheListOnly_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("columns");
    const QStringList authors{u"AuthID"_s, u"LastName"_s, u"FirstName"_s};
    QTest::newRow("table")
        << u"CREATE TABLE Authors (AuthID INTEGER PRIMARY KEY, LastName TEXT COLLATE NOCASE, "
           "FirstName TEXT)"_s
        << authors;
    QTest::newRow("damaged keyword and collation")
        << u"CREAUE TABLE Authors (AuthID INTEGER PRIMARY KEY, LastName TEXT COLLATE NOGASE, FirstName TEXT)"_s
        << authors;
    QTest::newRow("quoted names, defaults and a table constraint")
        << u"CREATE TABLE \"T\" (\"a \"\"b\"\"\" INT DEFAULT (1 + 2), [c d] TEXT, `e`, PRIMARY KEY (c, e))"_s
        << QStringList{u"a \"b\""_s, u"c d"_s, u"e"_s};
    QTest::newRow("index with order and an expression")
        << u"CREATE INDEX Books_AuthID ON Books (AuthID DESC, lower(Title), SortTitle COLLATE NOCASE)"_s
        << QStringList{u"AuthID"_s, QString(), u"SortTitle"_s};
    QTest::newRow("list never closed")
        << u"CREATE TABLE Books (BookID INTEGER, Title TEXT"_s << QStringList();
    QTest::newRow("quote never closed")
        << u"CREATE TABLE Books (BookID 'INTEGER, Title TEXT)"_s << QStringList();
    QTest::newRow("no list") << u"CREATE VIEW v AS SELECT 1"_s << QStringList();
}

void TestDeclaredColumns::readsTheListOnly()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, columns);
    QCOMPARE(declaredColumns(sql), columns);
}

QTEST_GUILESS_MAIN(TestDeclaredColumns)
#include "tst_declared_columns.moc"
