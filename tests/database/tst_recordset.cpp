#include "database/catalogue_fixture.h"
#include "database/database.h"
#include "database/forward_recordset.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "support/temporary_catalogue.h"

#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;
using CatalogueFixture::errorNumberOf;

namespace {

const QString BooksByTitle = u"Select * from Books order by SortTitle"_s;
const QString BooksByAuthor = u"Select forid, serid, vol, issue, BookID, Title, Books.AuthID as AuthID, "
                              u"PubID, Year, Paperback, New, Read, "
                              u"BuyDate, ReadDate, Fiction, CatID, ISBN, CoverPrice, BuyPrice, Notes, "
                              u"OwnerID, LocID, SortTitle, LastName, "
                              u"OnLoan, LoanedTo, LoanDate from Books left join Authors on Books.AuthID = "
                              u"Authors.AuthID order by LastName, "
                              u"FirstName, SortTitle"_s;

QString title(const Recordset& rs)
{
    return rs.value(u"Title"_s).toString();
}

QStringList titles(Recordset& rs)
{
    QStringList result;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        result << title(rs);
    return result;
}

qint64 cacheSize(Database& db)
{
    NativeStatement pragma(db, "PRAGMA cache_size");
    return pragma.step() ? pragma.columnInt(0) : 0;
}

} // namespace

class TestRecordset : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        m_db = CatalogueFixture::create(*m_dir);
    }
    void cleanup()
    {
        m_db.reset();
        delete m_dir;
        m_dir = nullptr;
    }

    void movesAndEnds_data();
    void movesAndEnds();
    void emptyResultHasBothEnds();
    void findsInEveryDirection_data();
    void findsInEveryDirection();
    void findOnAJoinUsesAliasesTablesAndTheCallersOrder();
    void findRefusesBadCriteriaAndSummaries();
    void findFollowsChangesSinceTheLastFind_data();
    void findFollowsChangesSinceTheLastFind();

    void addNewShowsKeyAtOnceAndNeverReusesOne();
    void editCancelAndUpdate();
    void deletedRowsAreLeftBehind();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void forwardReadersHoldThePageCacheSmall_data();
    void forwardReadersHoldThePageCacheSmall();
    void storedDateTextsRead_data();
    void storedDateTextsRead();
    void snapshotWalksReadAsDynasetsDo_data();
    void snapshotWalksReadAsDynasetsDo();

private:
    QTemporaryDir* m_dir = nullptr;
    std::unique_ptr<Database> m_db;
};

void TestRecordset::movesAndEnds_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("keyset") << BooksByTitle;
    QTest::newRow("keyset over a join") << BooksByAuthor;
    QTest::newRow("read whole") << u"Select distinct Title, SortTitle from Books order by SortTitle"_s;
}

void TestRecordset::movesAndEnds()
{
    QFETCH(QString, sql);
    std::unique_ptr<Recordset> rs = m_db->openRecordset(sql, RecordsetType::Snapshot);
    QCOMPARE(rs->recordCount(), 6);
    QVERIFY(!rs->bof() && !rs->eof());
    const QString first = title(*rs);
    for (int i = 1; i < 6; ++i)
        rs->moveNext();
    const QString last = title(*rs);
    rs->moveNext();
    QVERIFY(rs->eof() && !rs->bof());
    QCOMPARE(errorNumberOf([&] { rs->value(u"Title"_s); }), DbErrorNumber::NoCurrentRecord);
    QCOMPARE(errorNumberOf([&] { rs->moveNext(); }), DbErrorNumber::NoCurrentRecord);
    rs->movePrevious();
    QCOMPARE(title(*rs), last);

    rs->moveFirst();
    rs->movePrevious();
    QVERIFY(rs->bof() && !rs->eof());
    QCOMPARE(errorNumberOf([&] { rs->movePrevious(); }), DbErrorNumber::NoCurrentRecord);
    rs->moveNext();
    QCOMPARE(title(*rs), first);
    rs->moveLast();
    QCOMPARE(title(*rs), last);
}

void TestRecordset::emptyResultHasBothEnds()
{
    std::unique_ptr<Recordset> rs =
        m_db->openRecordset(u"Select * from Books where BookID = 99"_s, RecordsetType::Snapshot);
    QCOMPARE(rs->recordCount(), 0);
    QVERIFY(rs->bof() && rs->eof());
    QCOMPARE(errorNumberOf([&] { rs->moveFirst(); }), DbErrorNumber::NoCurrentRecord);
}

// Books in title order: A Book of Days, The Hobbit, Nana, The Ring, Ringworld,
// String Theory. Steps: F first, L last, N next, P previous, 1..6 move to that
// row first; the result lists the title found after each find, "-" for none.
void TestRecordset::findsInEveryDirection_data()
{
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("found");

    const QString ring = u"Title like \"*ring*\""_s;
    QTest::newRow("contains, onwards")
        << ring << u"FNNN"_s << QStringList{u"The Ring"_s, u"Ringworld"_s, u"String Theory"_s, u"-"_s};
    QTest::newRow("contains, backwards")
        << ring << u"LPPP"_s << QStringList{u"String Theory"_s, u"Ringworld"_s, u"The Ring"_s, u"-"_s};
    QTest::newRow("next from the first row skips it")
        << u"Title like \"*a*\""_s << u"1N"_s << QStringList{u"Nana"_s};
    QTest::newRow("date") << u"BuyDate >= #3/7/2001#"_s << u"FNN"_s
                          << QStringList{u"A Book of Days"_s, u"Nana"_s, u"The Ring"_s};
    QTest::newRow("not equal skips Null")
        << u"Year <> 1954"_s << u"FN"_s << QStringList{u"The Hobbit"_s, u"Ringworld"_s};
    QTest::newRow("no match at all") << u"Title = 'Dune'"_s << u"FLNP"_s
                                     << QStringList{u"-"_s, u"-"_s, u"-"_s, u"-"_s};
}

void TestRecordset::findsInEveryDirection()
{
    QFETCH(QString, criterion);
    QFETCH(QString, steps);

    std::unique_ptr<Recordset> rs = m_db->openRecordset(BooksByTitle, RecordsetType::Snapshot);
    QStringList results;
    for (QChar step : steps) {
        if (step.isDigit()) {
            rs->moveFirst();
            for (int i = 1; i < step.digitValue(); ++i)
                rs->moveNext();
            continue;
        }
        const QString before = rs->eof() || rs->bof() ? QString() : title(*rs);
        switch (step.toLatin1()) {
        case 'F':
            rs->findFirst(criterion);
            break;
        case 'L':
            rs->findLast(criterion);
            break;
        case 'N':
            rs->findNext(criterion);
            break;
        case 'P':
            rs->findPrevious(criterion);
            break;
        }
        results << (rs->noMatch() ? u"-"_s : title(*rs));
        if (rs->noMatch() && !before.isEmpty())
            QCOMPARE(title(*rs), before); // a failed find stays put
    }
    QTEST(results, "found");
}

void TestRecordset::findOnAJoinUsesAliasesTablesAndTheCallersOrder()
{
    std::unique_ptr<Recordset> rs = m_db->openRecordset(BooksByAuthor, RecordsetType::Snapshot);
    const QList<std::pair<QString, QString>> finds = {
        {u"AuthID = 3"_s, u"The Hobbit"_s},            // alias of the join column
        {u"Authors.FirstName = 'ÉMILE'"_s, u"Nana"_s}, // column outside the select list
    };
    for (const auto& [criterion, found] : finds) {
        rs->findFirst(criterion);
        QVERIFY2(!rs->noMatch(), qPrintable(criterion));
        QCOMPARE(title(*rs), found);
    }

    // Keys in an order the caller worked out.
    rs = m_db->openRecordset(BooksByAuthor, RecordsetType::Snapshot, {5, 2, 1});
    QCOMPARE(titles(*rs), (QStringList{u"Nana"_s, u"Ringworld"_s, u"The Ring"_s}));
    rs->findFirst(u"AuthID = 3"_s);
    QCOMPARE(title(*rs), u"The Ring"_s);
    rs->findPrevious(u"LastName = 'Zola'"_s);
    QCOMPARE(title(*rs), u"Ringworld"_s);
}

void TestRecordset::findRefusesBadCriteriaAndSummaries()
{
    std::unique_ptr<Recordset> rs = m_db->openRecordset(BooksByTitle, RecordsetType::Snapshot);
    rs->moveNext();
    QCOMPARE(errorNumberOf([&] { rs->findFirst(u"Titel = 'x'"_s); }), DbErrorNumber::UnknownName);
    // Typed as a number but not one the engine reads: never a silent Null.
    QCOMPARE(errorNumberOf([&] { rs->findFirst(u"CoverPrice = $12"_s); }), DbErrorNumber::SyntaxError);
    QCOMPARE(title(*rs), u"The Hobbit"_s);

    std::unique_ptr<Recordset> counts = m_db->openRecordset(
        u"select CatID, count(*) as n from Books group by CatID order by CatID"_s, RecordsetType::Snapshot);
    QCOMPARE(errorNumberOf([&] { counts->findFirst(u"CatID = 1"_s); }), DbErrorNumber::Operation);
}

// A find repeated with the same criterion must still see what changed in
// between: rows written by statements or through the recordset itself.
// change: "sql:<statement>", "delete:<row>" or "add:<title>", the latter two
// through the recordset.
void TestRecordset::findFollowsChangesSinceTheLastFind_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("title changed by a statement")
        << u"sql:UPDATE Books SET Title = 'Worldly' WHERE BookID = 2"_s
        << QStringList{u"The Ring"_s, u"String Theory"_s};
    QTest::newRow("row added by a statement stays outside")
        << u"sql:INSERT INTO Books (Title, SortTitle) VALUES ('Ring Cycle', 'RING CYCLE')"_s
        << QStringList{u"The Ring"_s, u"Ringworld"_s, u"String Theory"_s};
    QTest::newRow("row deleted through the recordset")
        << u"delete:4"_s << QStringList{u"Ringworld"_s, u"String Theory"_s};
    QTest::newRow("row added through the recordset")
        << u"add:Ring Cycle"_s
        << QStringList{u"The Ring"_s, u"Ringworld"_s, u"String Theory"_s, u"Ring Cycle"_s};
}

void TestRecordset::findFollowsChangesSinceTheLastFind()
{
    QFETCH(QString, change);
    const QString ring = u"Title like \"*ring*\""_s;
    std::unique_ptr<Recordset> rs = m_db->openRecordset(BooksByTitle, RecordsetType::Dynaset);
    rs->findFirst(ring);
    QCOMPARE(title(*rs), u"The Ring"_s);

    const QString how = change.section(u':', 0, 0);
    const QString what = change.section(u':', 1);
    if (how == u"sql"_s) {
        m_db->execute(what);
    } else if (how == u"delete"_s) {
        rs->moveFirst();
        for (int row = 1; row < what.toInt(); ++row)
            rs->moveNext();
        rs->deleteRow();
    } else {
        rs->addNew();
        rs->setValue(u"Title"_s, what);
        rs->setValue(u"SortTitle"_s, what.toUpper());
        rs->update();
    }

    QStringList results;
    for (rs->findFirst(ring); !rs->noMatch() && results.size() < 10; rs->findNext(ring))
        results << title(*rs);
    QTEST(results, "found");
}

void TestRecordset::addNewShowsKeyAtOnceAndNeverReusesOne()
{
    std::unique_ptr<Recordset> rs = m_db->openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
    rs->moveNext(); // on BookID 2
    rs->addNew();
    QCOMPARE(rs->value(u"BookID"_s), QVariant(qlonglong(7)));
    QVERIFY(rs->value(u"Title"_s).isNull());
    rs->setValue(u"Title"_s, u"Dune"_s);
    rs->setValue(u"SortTitle"_s, u"DUNE"_s);
    rs->update();
    QCOMPARE(rs->recordCount(), 7);
    QCOMPARE(rs->value(u"BookID"_s), QVariant(qlonglong(2))); // back on the row current before
    rs->moveLast();
    QCOMPARE(title(*rs), u"Dune"_s);
    QCOMPARE(titles(*m_db->openRecordset(BooksByTitle, RecordsetType::Snapshot)).at(1), u"Dune"_s);

    rs->deleteRow();
    rs->addNew();
    QCOMPARE(rs->value(u"BookID"_s), QVariant(qlonglong(8))); // 7 was stored once, so never again
    rs->cancelUpdate();
    rs->addNew(); // a cancelled key was never stored: the next row may take it
    QCOMPARE(rs->value(u"BookID"_s), QVariant(qlonglong(8)));
}

void TestRecordset::editCancelAndUpdate()
{
    std::unique_ptr<Recordset> rs = m_db->openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
    rs->findFirst(u"bookid = 3"_s);
    rs->edit();
    rs->setValue(u"Title"_s, u"Changed"_s);
    QCOMPARE(title(*rs), u"Changed"_s);
    rs->cancelUpdate();
    QCOMPARE(title(*rs), u"String Theory"_s);

    rs->edit();
    rs->setValue(u"title"_s, u"Theory of Strings"_s); // names ignore case
    rs->update();
    std::unique_ptr<Recordset> check =
        m_db->openRecordset(u"Select * from Books where BookID = 3"_s, RecordsetType::Snapshot);
    QCOMPARE(title(*check), u"Theory of Strings"_s);
    QCOMPARE(check->value(u"Notes"_s), QVariant()); // untouched columns stay as they were
}

void TestRecordset::deletedRowsAreLeftBehind()
{
    std::unique_ptr<Recordset> books = m_db->openRecordset(BooksByTitle, RecordsetType::Snapshot);
    std::unique_ptr<Recordset> rs = m_db->openRecordset(BooksByTitle, RecordsetType::Dynaset);
    rs->findFirst(u"BookID = 5"_s); // Nana, third
    rs->deleteRow();
    QCOMPARE(errorNumberOf([&] { rs->value(u"Title"_s); }), 3167);
    QCOMPARE(rs->recordCount(), 5);
    rs->moveNext();
    QCOMPARE(title(*rs), u"The Ring"_s);
    rs->movePrevious();
    QCOMPARE(title(*rs), u"The Hobbit"_s);

    // Another recordset over the same books skips what was deleted.
    rs->findFirst(u"bookid = 6"_s);
    rs->deleteRow();
    QCOMPARE(errorNumberOf([&] { books->value(u"Title"_s); }), 3167);
    books->moveNext();
    QCOMPARE(title(*books), u"The Hobbit"_s);
}

// What a value becomes when written, read back and as SQLite holds it
// ("typeof|value"); a refused write (3421) has no read value.
void TestRecordset::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("read");
    QTest::addColumn<QString>("stored");

    const QVariant refused;
    const QVariant null = QVariant::fromValue(nullptr);
    const QDateTime evening(QDate(2001, 3, 7), QTime(22, 30, 5));
    QTest::newRow("long from text") << u"Vol"_s << QVariant(u" 12 "_s) << QVariant(qlonglong(12))
                                    << u"integer|12"_s;
    QTest::newRow("yes") << u"Fiction"_s << QVariant(true) << QVariant(true) << u"integer|1"_s;
    QTest::newRow("long from letters") << u"Vol"_s << QVariant(u"twelve"_s) << refused << QString();
    QTest::newRow("yes from -1") << u"Fiction"_s << QVariant(-1) << QVariant(true) << u"integer|1"_s;
    QTest::newRow("date") << u"ReadDate"_s << QVariant(QDate(2001, 3, 7))
                          << QVariant(QDateTime(QDate(2001, 3, 7), QTime(0, 0))) << u"text|2001-03-07"_s;
    QTest::newRow("time alone") << u"LoanDate"_s << QVariant(QTime(22, 30))
                                << QVariant(QDateTime(QDate(1899, 12, 30), QTime(22, 30)))
                                << u"text|1899-12-30 22:30:00"_s;
    QTest::newRow("currency rounds to 4 places")
        << u"CoverPrice"_s << QVariant(12.345678) << QVariant(12.3457) << u"real|12.3457"_s;
    QTest::newRow("text with quotes") << u"Title"_s << QVariant(u"O'Brien's \"Best\""_s)
                                      << QVariant(u"O'Brien's \"Best\""_s) << u"text|O'Brien's \"Best\""_s;
    QTest::newRow("empty text is not Null")
        << u"Notes"_s << QVariant(QString()) << QVariant(QString()) << u"text|"_s;
    for (const char* column : {"Title", "Fiction", "BuyDate", "CoverPrice"})
        QTest::addRow("Null %s", column)
            << QString::fromLatin1(column) << QVariant() << null << u"null|<null>"_s;
}

void TestRecordset::valuesRoundTrip()
{
    QFETCH(QString, column);
    QFETCH(QVariant, written);
    QFETCH(QVariant, read);
    QFETCH(QString, stored);

    std::unique_ptr<Recordset> rs = m_db->openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
    rs->edit();
    if (!read.isValid()) {
        QCOMPARE(errorNumberOf([&] { rs->setValue(column, written); }), 3421);
        return;
    }
    rs->setValue(column, written);
    rs->update();
    const QVariant value =
        m_db->openRecordset(u"Select * from Books where BookID = 1"_s, RecordsetType::Snapshot)
            ->value(column);
    if (read.typeId() == QMetaType::Nullptr) {
        QVERIFY(value.isNull());
    } else {
        QCOMPARE(value.typeId(), read.typeId());
        QCOMPARE(value, read);
    }
    const QByteArray name = column.toLatin1();
    QCOMPARE(nativeRows(*m_db, "select typeof(" + name + "), " + name + " from Books where BookID = 1"),
             QStringList{stored});
}

// A report's forward reader holds the page cache small while it walks its
// rows; the browsing size comes back when the last reader ends, however it ends.
void TestRecordset::forwardReadersHoldThePageCacheSmall_data()
{
    QTest::addColumn<qint64>("browsing"); // the cache size before reading
    QTest::addColumn<QString>("ending");  // how the first reader ends
    QTest::addColumn<qint64>("held");     // the size while reading
    QTest::newRow("closed") << qint64(-65536) << u"close"_s << qint64(-8192);
    QTest::newRow("destroyed") << qint64(-65536) << u"destroy"_s << qint64(-8192);
    QTest::newRow("read to its end") << qint64(-65536) << u"end"_s << qint64(-8192);
    QTest::newRow("already small") << qint64(-2000) << u"close"_s << qint64(-2000);
    QTest::newRow("given in pages") << qint64(50000) << u"close"_s << qint64(50000);
    QTest::newRow("failed to open") << qint64(-65536) << u"bad sql"_s << qint64(-8192);
}

void TestRecordset::forwardReadersHoldThePageCacheSmall()
{
    QFETCH(qint64, browsing);
    QFETCH(QString, ending);
    QFETCH(qint64, held);
    executeNative(*m_db, "PRAGMA cache_size = " + QByteArray::number(browsing));
    std::optional<ForwardRecordset> first;
    if (ending == u"bad sql"_s)
        QVERIFY_THROWS_EXCEPTION(DbError, ForwardRecordset(*m_db, u"Select nothing from nowhere"_s));
    else
        first.emplace(*m_db, BooksByTitle);
    QCOMPARE(cacheSize(*m_db), first ? held : browsing);
    {
        // A second reader neither takes the size again nor gives it back.
        ForwardRecordset second(*m_db, BooksByTitle);
        QCOMPARE(cacheSize(*m_db), held);
    }
    QCOMPARE(cacheSize(*m_db), first ? held : browsing);
    if (ending == u"close"_s)
        first->close();
    else if (ending == u"destroy"_s)
        first.reset();
    else if (first)
        while (!first->eof())
            first->moveNext();
    QCOMPARE(cacheSize(*m_db), ending == u"end"_s ? held : browsing);
    first.reset();
    QCOMPARE(cacheSize(*m_db), browsing);
    // A reader that outlives its database ends quietly.
    ForwardRecordset orphan(*m_db, BooksByTitle);
    m_db.reset();
    QVERIFY_THROWS_EXCEPTION(DbError, orphan.moveNext());
}

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"

// Dates as the program writes them and as other tools may have left them.
void TestRecordset::storedDateTextsRead_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QVariant>("read");
    const QDateTime evening(QDate(2001, 3, 7), QTime(22, 30, 5));
    QTest::newRow("day") << u"2001-03-07"_s << QVariant(QDateTime(QDate(2001, 3, 7), QTime(0, 0)));
    QTest::newRow("day and time") << u"2001-03-07 22:30:05"_s << QVariant(evening);
    QTest::newRow("leap day") << u"2004-02-29"_s << QVariant(QDateTime(QDate(2004, 2, 29), QTime(0, 0)));
    QTest::newRow("T between") << u"2001-03-07T22:30:05"_s << QVariant(evening);
    QTest::newRow("fraction") << u"2001-03-07 22:30:05.250"_s << QVariant(evening);
    QTest::newRow("no seconds") << u"2001-03-07 22:30"_s
                                << QVariant(QDateTime(QDate(2001, 3, 7), QTime(22, 30)));
    QTest::newRow("blanks around") << u" 2001-03-07 "_s
                                   << QVariant(QDateTime(QDate(2001, 3, 7), QTime(0, 0)));
    QTest::newRow("no such day") << u"2001-02-29"_s << QVariant(u"2001-02-29"_s);
    QTest::newRow("no such hour") << u"2001-03-07 24:00:00"_s << QVariant(u"2001-03-07 24:00:00"_s);
    QTest::newRow("one-digit month") << u"2001-3-07"_s << QVariant(u"2001-3-07"_s);
    QTest::newRow("signs for digits") << u"2001-03-+7"_s << QVariant(u"2001-03-+7"_s);
}

void TestRecordset::storedDateTextsRead()
{
    QFETCH(QString, stored);
    NativeStatement write(*m_db, "UPDATE Books SET BuyDate = ?1");
    write.bindText(1, stored);
    write.run();
    for (const RecordsetType type : {RecordsetType::Snapshot, RecordsetType::Dynaset}) {
        auto rs = m_db->openRecordset(BooksByTitle, type);
        for (; !rs->eof(); rs->moveNext())
            QTEST(rs->value(u"BuyDate"_s), "read");
    }
}

// Steps: N next, P previous, F first, L last, U another statement changes
// every book. A snapshot walked in any of these ways shows what a dynaset,
// which reads each row by its key, shows.
void TestRecordset::snapshotWalksReadAsDynasetsDo_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("steps");
    QTest::newRow("front to back") << BooksByTitle << u"NNNNN"_s;
    QTest::newRow("a step back") << BooksByTitle << u"NNPNNNN"_s;
    QTest::newRow("back to the first, then on") << BooksByTitle << u"NNNFNNNNN"_s;
    QTest::newRow("from the last back") << BooksByTitle << u"LPPPPP"_s;
    QTest::newRow("changed during the walk") << BooksByTitle << u"NUNNNN"_s;
    QTest::newRow("changed, then walked again") << BooksByTitle << u"NNUFNNNNN"_s;
    QTest::newRow("ties in the order") << u"Select * from Books order by AuthID"_s << u"NNNNN"_s;
    QTest::newRow("in key order, some columns") << u"Select Title, BuyDate from Books"_s << u"NNNNN"_s;
    QTest::newRow("filtered") << u"Select Title from Books where CatID = 1 order by Title"_s << u"NN"_s;
    QTest::newRow("join") << BooksByAuthor << u"NNNNN"_s;
}

void TestRecordset::snapshotWalksReadAsDynasetsDo()
{
    QFETCH(QString, sql);
    QFETCH(QString, steps);
    auto snapshot = m_db->openRecordset(sql, RecordsetType::Snapshot);
    auto dynaset = m_db->openRecordset(sql, RecordsetType::Dynaset);
    const auto row = [](Recordset& rs) {
        if (rs.eof() || rs.bof())
            return u"-"_s;
        QStringList values;
        for (int i = 0; i < rs.fieldCount(); ++i)
            values << rs.value(i).toString();
        return values.join(u'|');
    };
    QCOMPARE(row(*snapshot), row(*dynaset));
    int changes = 0;
    for (const QChar step : steps) {
        if (step == u'U') {
            m_db->execute(u"Update Books set Notes = 'changed %1', Vol = %1"_s.arg(++changes));
            continue;
        }
        for (Recordset* rs : {snapshot.get(), dynaset.get()}) {
            switch (step.unicode()) {
            case u'N':
                rs->moveNext();
                break;
            case u'P':
                rs->movePrevious();
                break;
            case u'F':
                rs->moveFirst();
                break;
            default:
                rs->moveLast();
                break;
            }
        }
        QCOMPARE(row(*snapshot), row(*dynaset));
    }
}
