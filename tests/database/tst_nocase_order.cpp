// The NOCASE collation: the order of names and titles, the same in SQLite and
// in the program's own comparisons, and its indexes rebuilt when a file was
// indexed under other rules.

#include "database/collation_version.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/sqlite_extensions.h"
#include "support/temporary_catalogue.h"

#include <QTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int compareUtf8(const QString& left, const QString& right)
{
    const QByteArray a = left.toUtf8();
    const QByteArray b = right.toUtf8();
    return sign(compareNoCase(a.constData(), int(a.size()), b.constData(), int(b.size())));
}

// The order SQLite itself gives the two texts under the program's collation.
int compareInSqlite(Database& db, const QString& left, const QString& right)
{
    NativeStatement statement(db, "SELECT (?1 = ?2 COLLATE NOCASE), (?1 < ?2 COLLATE NOCASE)");
    statement.bindText(1, left);
    statement.bindText(2, right);
    statement.step();
    return statement.columnInt(0) ? 0 : (statement.columnInt(1) ? -1 : 1);
}

// Titles written into the index by plain SQLite, whose NOCASE puts every
// accented letter after Z.
void indexUnderSqliteRules(const QString& path, int userVersion)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray sql =
        "INSERT INTO Books (Title, SortTitle) VALUES ('Zebra', 'ZEBRA'), ('Éclair', 'ÉCLAIR'), "
        "('apple', 'APPLE'); PRAGMA user_version = " +
        QByteArray::number(userVersion);
    QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

class TestNoCaseOrder : public QObject
{
    Q_OBJECT

private slots:
    void textsCompare_data();
    void textsCompare();
    void indexesFollowTheRules_data();
    void indexesFollowTheRules();
};

void TestNoCaseOrder::textsCompare_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("order");

    QTest::newRow("case ignored") << u"apple"_s << u"APPLE"_s << 0;
    QTest::newRow("accented case ignored") << u"ÉCLAIR"_s << u"éclair"_s << 0;
    QTest::newRow("ASCII as SQLite: _ before letters") << u"Apple_"_s << u"applea"_s << -1;
    QTest::newRow("ASCII prefix first") << u"Ec"_s << u"ECLAIR"_s << -1;
    QTest::newRow("accented letter before Z") << u"Éclair"_s << u"Zebra"_s << -1;
    QTest::newRow("accented letter among its base") << u"Éclair"_s << u"Ecole"_s << -1;
    QTest::newRow("accent after a letter") << u"Ecole"_s << u"Écrivain"_s << -1;
    QTest::newRow("accent alone decides last") << u"Eclair"_s << u"éclair"_s << -1;
    QTest::newRow("accent inside a name") << u"Noël"_s << u"Noelle"_s << -1;
    QTest::newRow("tilde") << u"Ñandú"_s << u"Nube"_s << -1;
    QTest::newRow("decomposed equals composed") << u"E\u0301clair"_s << u"éclair"_s << 0;
    QTest::newRow("accented prefix first") << u"Éd"_s << u"Éditions du Lac"_s << -1;
}

void TestNoCaseOrder::textsCompare()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, order);
    TemporaryCatalogue catalogue;
    auto db = catalogue.open();

    QCOMPARE(compareUtf8(left, right), order);
    QCOMPARE(compareUtf8(right, left), -order);
    QCOMPARE(sign(compareNoCase(QStringView(left), QStringView(right))), order);
    QCOMPARE(sign(compareNoCase(QStringView(right), QStringView(left))), -order);
    QCOMPARE(compareInSqlite(*db, left, right), order);
    // The first level never contradicts the whole order.
    QVERIFY(sign(compareNoCasePrimary(left, right)) * order >= 0);
}

void TestNoCaseOrder::indexesFollowTheRules_data()
{
    QTest::addColumn<int>("recordedVersion");

    QTest::newRow("file of another tool") << 0;
    QTest::newRow("rules of another version") << NoCaseRulesVersion + 1;
}

void TestNoCaseOrder::indexesFollowTheRules()
{
    QFETCH(int, recordedVersion);
    TemporaryCatalogue catalogue;
    indexUnderSqliteRules(catalogue.path(), recordedVersion);
    auto db = catalogue.open();

    QVERIFY(rebuildIndexesForCollation(*db));
    QCOMPARE(rebuildIndexesForCollation(*db), false); // recorded: once is enough
    QStringList titles;
    NativeStatement ordered(*db, "SELECT Title FROM Books INDEXED BY Books_SortTitle ORDER BY SortTitle");
    while (ordered.step())
        titles << ordered.columnText(0);
    QCOMPARE(titles, (QStringList{u"apple"_s, u"Éclair"_s, u"Zebra"_s}));
    NativeStatement check(*db, "PRAGMA integrity_check");
    QVERIFY(check.step());
    QCOMPARE(check.columnText(0), u"ok"_s);
}

QTEST_GUILESS_MAIN(TestNoCaseOrder)
#include "tst_nocase_order.moc"
