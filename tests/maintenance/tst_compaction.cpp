#include "catalogue/catalogue_state.h"
#include "catalogue/sample_catalogue.h"
#include "common/safe_file_writer.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "maintenance/compaction.h"
#include "maintenance/interrupted_compaction.h"
#include "maintenance/maintenance_files.h"
#include "support/failing_file_operations.h"
#include "support/file_contents.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Operation = FailingFileOperations::Operation;
using Outcome = CompactionResult::Outcome;

namespace {

struct Failure
{
    Operation operation;
    QString fileName;
};
using Failures = QList<Failure>;

// How the compacted copy is written: by SQLite, wrongly, or not at all.
enum class Copy { BySqlite, MissingABook, NotADatabase, DiskFull };

// A catalogue with every third book deleted, so that compaction has free
// pages to drop.
struct Fixture
{
    TemporaryCatalogue catalogue{SampleOptions{150, 40, 7, false}};
    QStringList before;

    Fixture()
    {
        catalogue.executeNative("DELETE FROM Books WHERE BookID % 3 = 0");
        before = contentsOf(path());
    }
    QString path() const { return catalogue.path(); }
    QString file(const QString& name) const { return catalogue.folder() + name; }
    QStringList files() const { return QDir(catalogue.folder()).entryList(QDir::Files, QDir::Name); }
};

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

void writeCopy(Copy kind, const QString& source, const QString& destination)
{
    if (kind == Copy::NotADatabase)
        writeFile(destination, QByteArray(8192, 'x'));
    else if (kind == Copy::DiskFull)
        throw DbError(DbErrorNumber::DiskFull, notEnoughSpaceText(source)); // as SQLite names it
    else
        compactDatabase(source, destination);
    if (kind == Copy::MissingABook)
        executeNative(*Database::open(destination), "DELETE FROM Books WHERE BookID = 1");
}

} // namespace

Q_DECLARE_METATYPE(Failures)
Q_DECLARE_METATYPE(Copy)
Q_DECLARE_METATYPE(Outcome)

class TestCompaction : public QObject
{
    Q_OBJECT

private slots:
    void compactingTwiceKeepsTheCatalogueBeforeTheSecond();
    void failedStepLeavesTheCatalogue_data();
    void failedStepLeavesTheCatalogue();
    void crashLeavesACatalogueTheStartUpFinds_data();
    void crashLeavesACatalogueTheStartUpFinds();
    void leftCopyStaysBesideADamagedCatalogue();
};

void TestCompaction::compactingTwiceKeepsTheCatalogueBeforeTheSecond()
{
    Fixture f;
    const qint64 sizeBefore = QFileInfo(f.path()).size();
    QCOMPARE(compactCatalogue(f.path()).outcome, Outcome::Compacted);
    QVERIFY2(QFileInfo(f.path()).size() < sizeBefore, "the free pages of the deleted books are gone");
    QCOMPARE(contentsOf(f.path()), f.before);

    f.catalogue.executeNative("INSERT INTO Authors (LastName, FirstName) VALUES ('Doe', 'Jane')");
    const QByteArray beforeSecond = fileBytes(f.path());
    const QStringList contentsBeforeSecond = contentsOf(f.path());
    const CompactionResult second = compactCatalogue(f.path());
    QCOMPARE(second.outcome, Outcome::Compacted);
    QCOMPARE(second.message, QString());
    QCOMPARE(fileBytes(f.file(SetAsideFileName)), beforeSecond);
    QCOMPARE(f.files(), sorted(QStringList{SetAsideFileName, CatalogueFileName}));
    QCOMPARE(contentsOf(f.path()), contentsBeforeSecond);
}

void TestCompaction::failedStepLeavesTheCatalogue_data()
{
    QTest::addColumn<QStringList>("leftOver"); // files lying in the folder beforehand
    QTest::addColumn<Failures>("failures");
    QTest::addColumn<Copy>("copy");
    QTest::addColumn<bool>("catalogueOpen");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("messagePart");
    QTest::addColumn<QStringList>("filesAfter");

    const QString copy = CompactedCopyFileName;
    const QString bak = SetAsideFileName;
    const QString cat = CatalogueFileName;
    QTest::newRow("a stale copy that cannot be removed")
        << QStringList{copy} << Failures{{Operation::Remove, copy}} << Copy::BySqlite << false
        << Outcome::Unchanged << u"already exists"_s << QStringList{copy, cat};
    QTest::newRow("compaction fails")
        << QStringList{} << Failures{{Operation::Compact, copy}} << Copy::BySqlite << false
        << Outcome::Unchanged << u"could not be written"_s << QStringList{cat};
    QTest::newRow("the copy misses a book")
        << QStringList{} << Failures{} << Copy::MissingABook << false << Outcome::Unchanged
        << u"table books holds 99 rows instead of 100"_s << QStringList{cat};
    QTest::newRow("the disk is full: the copy is named")
        << QStringList{} << Failures{} << Copy::DiskFull << false << Outcome::Unchanged << copy + u"'."_s
        << QStringList{cat};
    QTest::newRow("the copy is no database") << QStringList{} << Failures{} << Copy::NotADatabase << false
                                             << Outcome::Unchanged << u"not sound"_s << QStringList{cat};
    QTest::newRow("the copy cannot be forced onto the disk")
        << QStringList{} << Failures{{Operation::Flush, copy}} << Copy::BySqlite << false
        << Outcome::Unchanged << u"saved to disk"_s << QStringList{cat};
    QTest::newRow("an old backup that cannot be removed is replaced")
        << QStringList{bak} << Failures{{Operation::Remove, bak}} << Copy::BySqlite << false
        << Outcome::Compacted << QString() << QStringList{bak, cat};
    QTest::newRow("the catalogue cannot be set aside")
        << QStringList{bak} << Failures{{Operation::Rename, cat}} << Copy::BySqlite << false
        << Outcome::Unchanged << u"renamed to 'bookdb.bak'"_s << QStringList{cat};
    QTest::newRow("the copy cannot take its place")
        << QStringList{} << Failures{{Operation::Rename, copy}} << Copy::BySqlite << false
        << Outcome::Unchanged << u"could not take the catalogue's place"_s << QStringList{cat};
    QTest::newRow("nor can the catalogue be put back")
        << QStringList{} << Failures{{Operation::Rename, copy}, {Operation::Rename, bak}} << Copy::BySqlite
        << false << Outcome::SetAside << u"It is kept as"_s << QStringList{bak, copy};
    QTest::newRow("the catalogue is open") << QStringList{} << Failures{} << Copy::BySqlite << true
                                           << Outcome::Unchanged << u"it is open"_s << QStringList{cat};
}

// Whatever fails, the folder ends with the whole catalogue under its name,
// or, when even putting it back failed, under "bookdb.bak", which the
// start-up then restores.
void TestCompaction::failedStepLeavesTheCatalogue()
{
    QFETCH(QStringList, leftOver);
    QFETCH(Failures, failures);
    QFETCH(Copy, copy);
    QFETCH(bool, catalogueOpen);
    QFETCH(Outcome, outcome);
    QFETCH(QString, messagePart);
    QFETCH(QStringList, filesAfter);

    Fixture f;
    for (const QString& name : leftOver)
        QVERIFY(writeFile(f.file(name), "left over"));
    FailingFileOperations files;
    for (const Failure& failure : failures)
        files.failAt(failure.operation, failure.fileName);
    files.compactWith = [copy](const QString& source, const QString& destination) {
        writeCopy(copy, source, destination);
    };
    std::unique_ptr<Database> held = catalogueOpen ? f.catalogue.open() : nullptr;

    const CompactionResult result = compactCatalogue(f.path(), files);
    held.reset();
    QCOMPARE(result.outcome, outcome);
    QVERIFY2(result.message.contains(messagePart), qPrintable(result.message));
    QCOMPARE(result.message.isEmpty(), outcome == Outcome::Compacted);
    QCOMPARE(f.files(), sorted(filesAfter));
    if (outcome == Outcome::SetAside) {
        QCOMPARE(contentsOf(f.file(SetAsideFileName)), f.before);
        QVERIFY(catalogueSetAside(f.path()));
        QCOMPARE(restoreSetAsideCatalogue(f.path()), QString());
    }
    QCOMPARE(contentsOf(f.path()), f.before);
}

void TestCompaction::crashLeavesACatalogueTheStartUpFinds_data()
{
    QTest::addColumn<int>("crashAt");
    // Every file operation a compaction makes, each in turn the last one.
    Fixture f;
    FailingFileOperations recorder;
    QCOMPARE(compactCatalogue(f.path(), recorder).outcome, Outcome::Compacted);
    const char* names[] = {"remove", "rename", "flush", "compact", "copy database"};
    for (int call = 0; call < recorder.calls().size(); ++call) {
        const auto& made = recorder.calls().at(call);
        const QByteArray file = made.fileName.contains(u'.') ? made.fileName.toUtf8() : "the folder";
        QTest::addRow("killed before %s %s", names[int(made.operation)], file.constData()) << call;
    }
}

void TestCompaction::crashLeavesACatalogueTheStartUpFinds()
{
    QFETCH(int, crashAt);
    Fixture f;
    FailingFileOperations files;
    files.crashAt(crashAt);
    QVERIFY_THROWS_EXCEPTION(SimulatedCrash, compactCatalogue(f.path(), files));

    if (catalogueSetAside(f.path()))
        QCOMPARE(restoreSetAsideCatalogue(f.path()), QString());
    QCOMPARE(contentsOf(f.path()), f.before);
    // What the stopped compaction left behind does not stand in the next one's way.
    QCOMPARE(compactCatalogue(f.path()).outcome, Outcome::Compacted);
    QCOMPARE(contentsOf(f.path()), f.before);
}

// The copy a stopped packing left may then be the better of the two.
void TestCompaction::leftCopyStaysBesideADamagedCatalogue()
{
    Fixture f;
    compactDatabase(f.path(), f.file(CompactedCopyFileName));
    QFile catalogue(f.path());
    QVERIFY(catalogue.open(QIODevice::ReadWrite) &&
            catalogue.seek(4096 * 2 + 8)); // the first pages of the tables
    catalogue.write(QByteArray(4096 * 8, char(0xff)));
    catalogue.close();
    QVERIFY(!removeLeftCompactedCopy(f.path()));
    QCOMPARE(contentsOf(f.file(CompactedCopyFileName)), f.before);
}

QTEST_GUILESS_MAIN(TestCompaction)
#include "tst_compaction.moc"
