#include "catalogue/db_error.h"
#include "catalogue/jet_sql.h"
#include "catalogue/sqlite_extensions.h"

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
    void readsDateLiterals_data();
    void readsDateLiterals();
    void matchesLikePatterns_data();
    void matchesLikePatterns();
    void collationFoldsCaseLikeSqlite_data();
    void collationFoldsCaseLikeSqlite();
};

void TestJetSql::translates_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite"); // empty: refused as a syntax error

    QTest::newRow("apostrophe inside double quotes") << u"LastName = \"O'Brien\""_s << u"LastName = 'O''Brien'"_s;
    QTest::newRow("doubled double quote") << u"x = \"say \"\"hi\"\"\""_s << u"x = 'say \"hi\"'"_s;
    QTest::newRow("quotes hide keywords") << u"x = 'true & #1/1/2000# [a]'"_s << u"x = 'true & #1/1/2000# [a]'"_s;
    QTest::newRow("qualified name called true") << u"t.true = 1"_s << u"t.true = 1"_s;
    QTest::newRow("time alone") << u"x >= #10:30:00 AM#"_s << u"x >= '1899-12-30 10:30:00'"_s;
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
    QTest::newRow("concatenation of calls and sums")
        << u"x = upper(a) & (b + 1)"_s << u"x = ifnull(upper(a),'') || ifnull((b + 1),'')"_s;
    QTest::newRow("unterminated text") << u"Title like \"*ring"_s << QString();
    QTest::newRow("unterminated name") << u"order by [desc"_s << QString();
    QTest::newRow("unterminated date") << u"BuyDate > #3/7/2001"_s << QString();
    QTest::newRow("unreadable date") << u"BuyDate > #yesterday#"_s << QString();
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

void TestJetSql::readsDateLiterals_data()
{
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QDateTime>("expected");

    const QDate march7(2001, 3, 7);
    QTest::newRow("March 4, not April 3") << u"3/4/2001"_s << QDateTime(QDate(2001, 3, 4), QTime(0, 0));
    QTest::newRow("day above 12 first") << u"31/3/2001"_s << QDateTime(QDate(2001, 3, 31), QTime(0, 0));
    QTest::newRow("two-digit year 05") << u"3/5/05"_s << QDateTime(QDate(2005, 3, 5), QTime(0, 0));
    QTest::newRow("two-digit year 45") << u"3/5/45"_s << QDateTime(QDate(1945, 3, 5), QTime(0, 0));
    QTest::newRow("year first") << u"2001-03-07"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("month name first") << u"March 7, 2001"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("day, short month name") << u"7-Mar-2001"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("12 AM is midnight") << u"3/7/2001 12:00 AM"_s << QDateTime(march7, QTime(0, 0));
    QTest::newRow("24-hour time") << u"3/7/2001 22:30"_s << QDateTime(march7, QTime(22, 30));
    QTest::newRow("long time with zone") << u"10:30:00 PM UTC"_s << QDateTime(QDate(1899, 12, 30), QTime(22, 30));
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

    QTest::newRow("begins with is not contains") << u"ring*"_s << u"The Ring"_s << false;
    QTest::newRow("equals is whole") << u"the ring"_s << u"The Rings"_s << false;
    QTest::newRow("question mark is not none") << u"R?ng"_s << u"Rng"_s << false;
    QTest::newRow("number sign is not a letter") << u"Vol ##"_s << u"Vol 1a"_s << false;
    QTest::newRow("range") << u"[a-f]*"_s << u"Dune"_s << true;
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

void TestJetSql::collationFoldsCaseLikeSqlite_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("order");

    QTest::newRow("prefix first") << u"Ring"_s << u"ringworld"_s << -1;
    // SQLite folds to lower case: '_' (0x5f) sorts before 'a' but after 'Z'
    // would in a fold to upper case.
    QTest::newRow("underscore before letters") << u"_x"_s << u"Ax"_s << -1;
    QTest::newRow("ASCII before accents") << u"Zola"_s << u"Écrivain"_s << -1;
    QTest::newRow("accent after equal prefix") << u"abc"_s << u"abcé"_s << -1;
    QTest::newRow("every letter folds") << u"ÉCRIVAIN Ω"_s << u"écrivain ω"_s << 0;
    QTest::newRow("folded, then longer") << u"ÉCRIVAIN"_s << u"écrivains"_s << -1;
}

void TestJetSql::collationFoldsCaseLikeSqlite()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, order);
    const QByteArray l = left.toUtf8(), r = right.toUtf8();
    QCOMPARE(compareNoCase(l.constData(), int(l.size()), r.constData(), int(r.size())), order);
    QCOMPARE(compareNoCase(r.constData(), int(r.size()), l.constData(), int(l.size())), -order);
}

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_jet_sql.moc"
