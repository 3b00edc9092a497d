#include "database/catalogue_fixture.h"
#include "database/database.h"
#include "database/forward_recordset.h"
#include "database/native_sql.h"

#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;

// A report's forward reader holds the connection's page cache small while it
// walks its rows, and the browsing size comes back when the last reader ends,
// however it ends.
class TestForwardRecordset : public QObject
{
    Q_OBJECT

private slots:
    void pageCacheHeldWhileReading_data();
    void pageCacheHeldWhileReading();
};

namespace {

qint64 cacheSize(Database& db)
{
    NativeStatement pragma(db, "PRAGMA cache_size");
    return pragma.step() ? pragma.columnInt(0) : 0;
}

const QString Sql = u"Select Title from Books order by SortTitle"_s;

} // namespace

void TestForwardRecordset::pageCacheHeldWhileReading_data()
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

void TestForwardRecordset::pageCacheHeldWhileReading()
{
    QFETCH(qint64, browsing);
    QFETCH(QString, ending);
    QFETCH(qint64, held);
    QTemporaryDir dir;
    auto db = CatalogueFixture::create(dir);
    executeNative(*db, "PRAGMA cache_size = " + QByteArray::number(browsing));
    std::optional<ForwardRecordset> first;
    if (ending == u"bad sql"_s)
        QVERIFY_THROWS_EXCEPTION(DbError, ForwardRecordset(*db, u"Select nothing from nowhere"_s));
    else
        first.emplace(*db, Sql);
    QCOMPARE(cacheSize(*db), first ? held : browsing);
    {
        // A second reader neither takes the size again nor gives it back.
        ForwardRecordset second(*db, Sql);
        QCOMPARE(cacheSize(*db), held);
    }
    QCOMPARE(cacheSize(*db), first ? held : browsing);
    if (ending == u"close"_s)
        first->close();
    else if (ending == u"destroy"_s)
        first.reset();
    else if (first)
        while (!first->eof())
            first->moveNext();
    QCOMPARE(cacheSize(*db), ending == u"end"_s ? held : browsing);
    first.reset();
    QCOMPARE(cacheSize(*db), browsing);
    // A reader that outlives its database ends quietly.
    ForwardRecordset orphan(*db, Sql);
    db.reset();
    QVERIFY_THROWS_EXCEPTION(DbError, orphan.moveNext());
}

QTEST_GUILESS_MAIN(TestForwardRecordset)
#include "tst_forward_recordset.moc"
