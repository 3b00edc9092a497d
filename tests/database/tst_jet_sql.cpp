#include "database/db_error.h"
#include "database/jet_sql.h"
#include "database/sqlite_extensions.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The end-to-end queries run in tst_database; these are the translation's
// corners that the program's own queries do not reach.
class TestJetSql : public QObject
{
    Q_OBJECT

private slots:
    void translates_data();
    void translates();
    void matchesLikePatterns_data();
    void matchesLikePatterns();
};

void TestJetSql::translates_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite"); // empty: refused as a syntax error

    QTest::newRow("apostrophe inside double quotes")
        << u"LastName = \"O'Brien\""_s << u"LastName = 'O''Brien'"_s;
    QTest::newRow("doubled double quote") << u"x = \"say \"\"hi\"\"\""_s << u"x = 'say \"hi\"'"_s;
    QTest::newRow("quotes hide keywords")
        << u"x = 'true & #1/1/2000# [a]'"_s << u"x = 'true & #1/1/2000# [a]'"_s;
    QTest::newRow("time alone") << u"x >= #10:30:00 AM#"_s << u"x >= '1899-12-30 10:30:00'"_s;
    QTest::newRow("counter and sized text")
        << u"CREATE TABLE Formats (ForID COUNTER,ForDesc TEXT (40))"_s
        << u"CREATE TABLE Formats (ForID INTEGER PRIMARY KEY AUTOINCREMENT,ForDesc TEXT COLLATE QUILLARY)"_s;
    QTest::newRow("concatenation of calls and sums")
        << u"x = upper(a) & (b + 1)"_s << u"x = ifnull(upper(a),'') || ifnull((b + 1),'')"_s;
    QTest::newRow("like, the pattern first")
        << u"Title like \"*ring*\" and x = 1"_s << u"quillary_like('*ring*', Title) and x = 1"_s;
    QTest::newRow("not like over a concatenation")
        << u"where (LastName & FirstName not like ?)"_s
        << u"where (not quillary_like(?, ifnull(LastName,'') || ifnull(FirstName,'')))"_s;
    QTest::newRow("like with calls on both sides")
        << u"upper(a) like lower(\"X*\") or b"_s << u"quillary_like(lower('X*'), upper(a)) or b"_s;
    QTest::newRow("unterminated text") << u"Title like \"*ring"_s << QString();
    QTest::newRow("impossible date") << u"BuyDate > #2/30/2001#"_s << QString();
}

void TestJetSql::translates()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    try {
        QCOMPARE(translateJetSql(jet), sqlite);
    } catch (const DbError& error) {
        QVERIFY2(sqlite.isEmpty(), qPrintable(error.text()));
        QCOMPARE(error.number(), DbErrorNumber::SyntaxError);
    }
}

void TestJetSql::matchesLikePatterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("matches");

    QTest::newRow("question mark is not none") << u"R?ng"_s << u"Rng"_s << false;
    QTest::newRow("number sign is not a letter") << u"Vol ##"_s << u"Vol 1a"_s << false;
    QTest::newRow("negated list, no match") << u"[!a-f]*"_s << u"Dune"_s << false;
    QTest::newRow("bracketed wildcard is literal") << u"100[*]"_s << u"100*"_s << true;
    QTest::newRow("percent is not a wildcard") << u"50%"_s << u"500"_s << false;
    QTest::newRow("accents ignore case") << u"é*"_s << u"Émile"_s << true;
    QTest::newRow("star backtracks, no match") << u"*a*b*c"_s << u"xaxbxbxcd"_s << false;
}

void TestJetSql::matchesLikePatterns()
{
    QFETCH(QString, pattern);
    QFETCH(QString, value);
    QTEST(jetLikeMatch(pattern, value), "matches");
}

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_jet_sql.moc"
