#include "catalogue/db_error.h"
#include "catalogue/jet_sql.h"
#include "catalogue/sqlite_extensions.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestJetSql : public QObject
{
    Q_OBJECT

private slots:
    void translates_data();
    void translates();
    void refusesUnterminatedText_data();
    void refusesUnterminatedText();
    void readsDateLiterals_data();
    void readsDateLiterals();
    void matchesLikePatterns_data();
    void matchesLikePatterns();
    void collationOrdersAsciiLikeSqlite_data();
    void collationOrdersAsciiLikeSqlite();
    void collationFoldsAllLetters();
};

void TestJetSql::translates_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");

    QTest::newRow("double-quoted text") << u"Title like \"*ring*\""_s << u"Title like '*ring*'"_s;
    QTest::newRow("apostrophe inside double quotes") << u"LastName = \"O'Brien\""_s << u"LastName = 'O''Brien'"_s;
    QTest::newRow("doubled double quote") << u"x = \"say \"\"hi\"\"\""_s << u"x = 'say \"hi\"'"_s;
    QTest::newRow("single quotes untouched") << u"LastName='O''Brien' and firstname='John'"_s
                                             << u"LastName='O''Brien' and firstname='John'"_s;
    QTest::newRow("quotes hide keywords") << u"x = 'true & #1/1/2000# [a]'"_s << u"x = 'true & #1/1/2000# [a]'"_s;
    QTest::newRow("bracketed name") << u"order by [desc]"_s << u"order by \"desc\""_s;
    QTest::newRow("true and false") << u"Read = true or Fiction = FALSE"_s << u"Read = 1 or Fiction = 0"_s;
    QTest::newRow("qualified name called true") << u"t.true = 1"_s << u"t.true = 1"_s;
    QTest::newRow("date") << u"BuyDate >= #3/7/2001#"_s << u"BuyDate >= '2001-03-07'"_s;
    QTest::newRow("date and time") << u"x = #3/7/2001 10:30:00 PM#"_s << u"x = '2001-03-07 22:30:00'"_s;
    QTest::newRow("time alone") << u"x >= #10:30:00 AM#"_s << u"x >= '1899-12-30 10:30:00'"_s;
    QTest::newRow("trailing semicolon") << u"ALTER TABLE books ADD COLUMN ForID LONG;"_s
                                        << u"ALTER TABLE books ADD COLUMN ForID INTEGER"_s;
    QTest::newRow("counter and sized text")
        << u"CREATE TABLE Formats (ForID COUNTER,ForDesc TEXT (40))"_s
        << u"CREATE TABLE Formats (ForID INTEGER PRIMARY KEY AUTOINCREMENT,ForDesc TEXT COLLATE NOCASE)"_s;
    QTest::newRow("every classic type")
        << u"CREATE TABLE t (a SHORT, b YESNO, c CURRENCY, d DATETIME, e MEMO, f DOUBLE, g BYTE, h VARCHAR(9))"_s
        << u"CREATE TABLE t (a SMALLINT, b BOOLEAN, c CURRENCY, d DATETIME, e TEXT COLLATE NOCASE, f REAL, "
           u"g SMALLINT, h TEXT COLLATE NOCASE)"_s;
    QTest::newRow("counter with its own key clause")
        << u"CREATE TABLE t (id COUNTER CONSTRAINT pk PRIMARY KEY, n LONG NOT NULL)"_s
        << u"CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT , n INTEGER NOT NULL)"_s;
    QTest::newRow("type words outside definitions stay")
        << u"Select Text, Date from t where Long = 1"_s << u"Select Text, Date from t where Long = 1"_s;
    QTest::newRow("joins, aliases, null tests pass through")
        << u"Select Books.AuthID as AuthID from (Books left join Authors on Books.AuthID = Authors.AuthID) "
           u"where not Read and x is null and y <> 2 and z between 1 and 3"_s
        << u"Select Books.AuthID as AuthID from (Books left join Authors on Books.AuthID = Authors.AuthID) "
           u"where not Read and x is null and y <> 2 and z between 1 and 3"_s;
    QTest::newRow("concatenation treats Null as empty")
        << u"select LastName & \", \" & FirstName as Name from Authors"_s
        << u"select ifnull(LastName,'') || ifnull(', ','') || ifnull(FirstName,'') as Name from Authors"_s;
    QTest::newRow("concatenation of calls and sums")
        << u"x = upper(a) & (b + 1)"_s << u"x = ifnull(upper(a),'') || ifnull((b + 1),'')"_s;
}

void TestJetSql::translates()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(translateJetSql(jet), sqlite);
}

void TestJetSql::refusesUnterminatedText_data()
{
    QTest::addColumn<QString>("jet");
    QTest::newRow("text") << u"Title like \"*ring"_s;
    QTest::newRow("name") << u"order by [desc"_s;
    QTest::newRow("date") << u"BuyDate > #3/7/2001"_s;
    QTest::newRow("unreadable date") << u"BuyDate > #yesterday#"_s;
    QTest::newRow("impossible date") << u"BuyDate > #2/30/2001#"_s;
}

void TestJetSql::refusesUnterminatedText()
{
    QFETCH(QString, jet);
    try {
        translateJetSql(jet);
        QFAIL("accepted");
    } catch (const DbError& error) {
        QCOMPARE(error.number(), DbErrorNumber::SyntaxError);
    }
}

void TestJetSql::readsDateLiterals_data()
{
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QDateTime>("expected");

    const QDate march7(2001, 3, 7);
    QTest::newRow("month/day/year") << u"3/7/2001"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("March 4, not April 3") << u"3/4/2001"_s << QDateTime(QDate(2001, 3, 4), QTime(0, 0));
    QTest::newRow("day above 12 first") << u"31/3/2001"_s << QDateTime(QDate(2001, 3, 31), QTime(0, 0));
    QTest::newRow("two-digit year 05") << u"3/5/05"_s << QDateTime(QDate(2005, 3, 5), QTime(0, 0));
    QTest::newRow("two-digit year 45") << u"3/5/45"_s << QDateTime(QDate(1945, 3, 5), QTime(0, 0));
    QTest::newRow("dashes") << u"3-7-2001"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("year first") << u"2001-03-07"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("month name first") << u"March 7, 2001"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("day, short month name") << u"7-Mar-2001"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("with time, PM") << u"3/7/2001 10:30:00 PM"_s << QDateTime(march7, QTime(22, 30));
    QTest::newRow("12 AM is midnight") << u"3/7/2001 12:00 AM"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("24-hour time") << u"3/7/2001 22:30"_s << QDateTime(march7, QTime(22, 30));
    QTest::newRow("time alone") << u"10:30:15 PM"_s << QDateTime(QDate(1899, 12, 30), QTime(22, 30, 15));
    QTest::newRow("long time with zone") << u"10:30:00 PM UTC"_s << QDateTime(QDate(1899, 12, 30), QTime(22, 30));
    QTest::newRow("blanks around") << u" 3/7/2001 "_s << QDateTime(march7, QTime(0, 0));
}

void TestJetSql::readsDateLiterals()
{
    QFETCH(QString, literal);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> parsed = parseJetDateLiteral(literal);
    QVERIFY(parsed.has_value());
    QCOMPARE(*parsed, expected);
}

void TestJetSql::matchesLikePatterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("matches");

    QTest::newRow("contains, middle") << u"*ring*"_s << u"String Theory"_s << true;
    QTest::newRow("contains, start, other case") << u"*ring*"_s << u"Ringworld"_s << true;
    QTest::newRow("contains, end") << u"*ring*"_s << u"The Ring"_s << true;
    QTest::newRow("contains, absent") << u"*ring*"_s << u"Nana"_s << false;
    QTest::newRow("begins with") << u"ring*"_s << u"The Ring"_s << false;
    QTest::newRow("ends with") << u"*ring"_s << u"The Ring"_s << true;
    QTest::newRow("equals ignores case") << u"the ring"_s << u"The Ring"_s << true;
    QTest::newRow("equals is whole") << u"the ring"_s << u"The Rings"_s << false;
    QTest::newRow("question mark is one character") << u"R?ng"_s << u"Rung"_s << true;
    QTest::newRow("question mark is not none") << u"R?ng"_s << u"Rng"_s << false;
    QTest::newRow("number sign is a digit") << u"Vol ##"_s << u"Vol 12"_s << true;
    QTest::newRow("number sign is not a letter") << u"Vol ##"_s << u"Vol 1a"_s << false;
    QTest::newRow("list") << u"[bc]at"_s << u"Cat"_s << true;
    QTest::newRow("list, no match") << u"[bc]at"_s << u"Rat"_s << false;
    QTest::newRow("range") << u"[a-f]*"_s << u"Dune"_s << true;
    QTest::newRow("range, no match") << u"[a-f]*"_s << u"Nana"_s << false;
    QTest::newRow("negated list") << u"[!a-f]*"_s << u"Nana"_s << true;
    QTest::newRow("negated list, no match") << u"[!a-f]*"_s << u"Dune"_s << false;
    QTest::newRow("bracketed wildcard is literal") << u"100[*]"_s << u"100*"_s << true;
    QTest::newRow("bracketed wildcard, no match") << u"100[*]"_s << u"1000"_s << false;
    QTest::newRow("percent and underscore are literal") << u"50%_off"_s << u"50%_off"_s << true;
    QTest::newRow("percent is not a wildcard") << u"50%"_s << u"500"_s << false;
    QTest::newRow("unclosed bracket is literal") << u"a[b"_s << u"A[B"_s << true;
    QTest::newRow("accents ignore case") << u"é*"_s << u"Émile"_s << true;
    QTest::newRow("accents are not ignored") << u"e*"_s << u"Émile"_s << false;
    QTest::newRow("star backtracks") << u"*a*b*c"_s << u"xaxbxbxc"_s << true;
    QTest::newRow("star backtracks, no match") << u"*a*b*c"_s << u"xaxbxbxcd"_s << false;
    QTest::newRow("empty pattern matches empty text") << QString() << QString() << true;
    QTest::newRow("star matches empty text") << u"*"_s << QString() << true;
    QTest::newRow("character beyond 16 bits") << u"?x"_s << u"\U0001F600x"_s << true;
}

void TestJetSql::matchesLikePatterns()
{
    QFETCH(QString, pattern);
    QFETCH(QString, value);
    QFETCH(bool, matches);
    QCOMPARE(jetLikeMatch(pattern, value), matches);
}

void TestJetSql::collationOrdersAsciiLikeSqlite_data()
{
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<QByteArray>("right");
    QTest::addColumn<int>("order");

    QTest::newRow("case ignored") << QByteArray("HOBBIT") << QByteArray("hobbit") << 0;
    QTest::newRow("letters") << QByteArray("apple") << QByteArray("Banana") << -1;
    QTest::newRow("prefix first") << QByteArray("Ring") << QByteArray("ringworld") << -1;
    // SQLite folds to lower case: '_' (0x5f) sorts before 'a' but after 'Z'
    // would in a fold to upper case.
    QTest::newRow("underscore before letters") << QByteArray("_x") << QByteArray("Ax") << -1;
    QTest::newRow("ASCII before accents") << QByteArray("Zola") << QByteArray("\xc3\x89""crivain") << -1;
    QTest::newRow("accent after equal prefix") << QByteArray("abc") << QByteArray("abc\xc3\xa9") << -1;
}

void TestJetSql::collationOrdersAsciiLikeSqlite()
{
    QFETCH(QByteArray, left);
    QFETCH(QByteArray, right);
    QFETCH(int, order);
    QCOMPARE(compareNoCase(left.constData(), int(left.size()), right.constData(), int(right.size())), order);
    QCOMPARE(compareNoCase(right.constData(), int(right.size()), left.constData(), int(left.size())), -order);
}

void TestJetSql::collationFoldsAllLetters()
{
    const QByteArray upper = u"ÉCRIVAIN Ω"_s.toUtf8();
    const QByteArray lower = u"écrivain ω"_s.toUtf8();
    QCOMPARE(compareNoCase(upper.constData(), int(upper.size()), lower.constData(), int(lower.size())), 0);
    const QByteArray other = u"écrivains"_s.toUtf8();
    QVERIFY(compareNoCase(upper.constData(), int(upper.size()), other.constData(), int(other.size())) != 0);
}

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_jet_sql.moc"
