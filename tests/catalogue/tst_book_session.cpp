// The open catalogue without any window: start-up, shutdown, the browse
// orders, closing and opening again, and catalogues that cannot be used.

#include "catalogue/book_session.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/sample_catalogue.h"
#include "database/database.h"
#include "database/db_error.h"
#include "database/recordset.h"
#include "support/file_contents.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Five books whose three orders all differ. Title order: Apple Pie, Banana,
// The Cat, Moon, Zoo Life; Moon has neither author nor category.
const QByteArray Collection =
    "INSERT INTO Authors (AuthID, LastName, FirstName) VALUES (1, 'Smith', 'John'), (2, 'Adams', 'Ann');"
    "INSERT INTO Categories (CatID, CatName) VALUES (1, 'Travel'), (2, 'Cooking'), (3, 'Animals');"
    "INSERT INTO Publishers (PubID, PubName) VALUES (1, 'Harbour');"
    "INSERT INTO Books (Title, SortTitle, AuthID, CatID) VALUES ('Zoo Life', 'ZOO LIFE', 2, 1),"
    " ('Apple Pie', 'APPLE PIE', 1, 2), ('Moon', 'MOON', -1, -1), ('Banana', 'BANANA', 2, 2),"
    " ('The Cat', 'CAT', 1, 3);";

QStringList titlesOf(Recordset& books)
{
    QStringList result;
    if (books.recordCount() == 0)
        return result;
    for (books.moveFirst(); !books.eof(); books.moveNext())
        result << books.value(u"Title"_s).toString();
    return result;
}

bool fileFree(const QString& path)
{
    try {
        Database::open(path, Database::OpenMode::Exclusive)->close();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

} // namespace

class TestBookSession : public QObject
{
    Q_OBJECT

private slots:
    void startUpOpensEverythingAndShutdownReleasesIt_data();
    void startUpOpensEverythingAndShutdownReleasesIt();
    void booksInEachOrder_data();
    void booksInEachOrder();
    void closedAndOpenedAgainSeesChangesMadeMeanwhile();
    void unusableCatalogue_data();
    void unusableCatalogue();
    void closedSessionRefusesWork();
};

void TestBookSession::startUpOpensEverythingAndShutdownReleasesIt_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("books");
    QTest::newRow("current, five books") << int(TemporaryCatalogue::Layout::Current) << Collection << 5;
    QTest::newRow("current, empty") << int(TemporaryCatalogue::Layout::Current) << QByteArray() << 0;
    QTest::newRow("earlier layout, upgraded on opening")
        << int(TemporaryCatalogue::Layout::Earlier)
        << QByteArray("INSERT INTO Books (Title, SortTitle) VALUES ('Old', 'OLD');") << 1;
}

void TestBookSession::startUpOpensEverythingAndShutdownReleasesIt()
{
    QFETCH(int, layout);
    QFETCH(QByteArray, rows);
    TemporaryCatalogue catalogue{TemporaryCatalogue::Layout(layout)};
    if (!rows.isEmpty())
        catalogue.executeNative(rows);
    ScopedScriptedDialogs dialogs;
    BookSession session;
    // The hook runs between rsBookEdit and the lookup recordsets.
    std::optional<bool> hookSawBookEditOnly;
    QVERIFY(session.open(catalogue.folder(), [&] {
        hookSawBookEditOnly = session.rsBookEdit() && !session.lookupRecordset(LookupField::Author);
    }));

    QCOMPARE(hookSawBookEditOnly, std::optional<bool>(true));
    QCOMPARE(catalogueState().CataloguePath, catalogue.path());
    QVERIFY(session.isOpen());
    QTEST(session.bookCount(), "books");
    QCOMPARE(session.sortOrder(), SortOrder::Title);
    QVERIFY(session.rsBookEdit() && !session.rsBookEdit()->lockEdits());
    for (const LookupField field : AllLookupFields)
        QVERIFY(session.lookupRecordset(field));
    // Upgraded: the tables of the current layout are there.
    QVERIFY(session.database().openRecordset(u"Select * from series order by serdesc"_s,
                                             RecordsetType::Snapshot));
    QVERIFY(!fileFree(catalogue.path()) && dialogs.shown().isEmpty());

    session.close();
    QVERIFY(!session.isOpen() && !catalogueState().dbCatalogue);
    QVERIFY(!session.rsBooks() && !session.rsBookEdit());
    for (const LookupField field : AllLookupFields)
        QVERIFY(!session.lookupRecordset(field));
    QVERIFY(fileFree(catalogue.path()));
    session.close(); // twice is harmless
    QVERIFY(dialogs.shown().isEmpty());
}

void TestBookSession::booksInEachOrder_data()
{
    QTest::addColumn<QList<int>>("orders");
    QTest::addColumn<QStringList>("titles");
    const QStringList byTitle{u"Apple Pie"_s, u"Banana"_s, u"The Cat"_s, u"Moon"_s, u"Zoo Life"_s};
    // No author first, then Adams, Ann before Smith, John, each by sort title.
    const QStringList byAuthor{u"Moon"_s, u"Banana"_s, u"Zoo Life"_s, u"Apple Pie"_s, u"The Cat"_s};
    const QStringList byCategory{u"Moon"_s, u"The Cat"_s, u"Apple Pie"_s, u"Banana"_s, u"Zoo Life"_s};
    QTest::newRow("title, as opened") << QList<int>{} << byTitle;
    QTest::newRow("author") << QList<int>{2} << byAuthor;
    QTest::newRow("category") << QList<int>{3} << byCategory;
    QTest::newRow("author, then title again") << QList<int>{2, 1} << byTitle;
    QTest::newRow("category, then author") << QList<int>{3, 2} << byAuthor;
}

void TestBookSession::booksInEachOrder()
{
    QFETCH(QList<int>, orders);
    TemporaryCatalogue catalogue;
    catalogue.executeNative(Collection);
    ScopedScriptedDialogs dialogs;
    BookSession session;
    QVERIFY(session.open(catalogue.folder()));
    for (int order : orders)
        session.reopenBooks(SortOrder(order));

    QTEST(titlesOf(*session.rsBooks()), "titles");
    QCOMPARE(int(session.sortOrder()), orders.isEmpty() ? 1 : orders.last());
    QVERIFY(dialogs.shown().isEmpty());
}

// What backup and compaction do: close, change the file, open again.
void TestBookSession::closedAndOpenedAgainSeesChangesMadeMeanwhile()
{
    TemporaryCatalogue catalogue;
    catalogue.executeNative(Collection);
    ScopedScriptedDialogs dialogs;
    BookSession session;
    QVERIFY(session.open(catalogue.folder()));
    session.reopenBooks(SortOrder::Category);
    session.close();

    catalogue.executeNative("INSERT INTO Books (Title, SortTitle) VALUES ('Aardvark', 'AARDVARK');"
                            "INSERT INTO Owners (OwnID, OwnName) VALUES (4, 'Ann');");
    QVERIFY(session.reopen());
    QCOMPARE(session.sortOrder(), SortOrder::Title);
    QCOMPARE(titlesOf(*session.rsBooks()).first(), u"Aardvark"_s);
    QCOMPARE(session.bookCount(), 6);
    QCOMPARE(session.lookupRecordset(LookupField::Owner)->recordCount(), 1);
    // A store works on the reopened recordsets.
    LookupResolver resolver = session.lookupResolver();
    QCOMPARE(resolver.ResolveLookupValue(LookupField::Owner, u"ann"_s).key, 4);
    QVERIFY(dialogs.shown().isEmpty());
}

void TestBookSession::unusableCatalogue_data()
{
    QTest::addColumn<QByteArray>("fileContents"); // empty: no file
    QTest::addColumn<bool>("createAnswer");       // to the offer of a new catalogue
    QTest::addColumn<bool>("opens");
    QTest::addColumn<int>("messages");
    QTest::newRow("missing, new one accepted") << QByteArray() << true << true << 0;
    QTest::newRow("missing, new one declined") << QByteArray() << false << false << 1;
    QTest::newRow("not a database") << QByteArray("A shopping list.\n").repeated(300) << false << false << 1;
    QTest::newRow("a damaged catalogue") << QByteArray("damaged") << false << true << 1;
}

void TestBookSession::unusableCatalogue()
{
    QFETCH(QByteArray, fileContents);
    QFETCH(bool, createAnswer);
    QFETCH(bool, opens);
    QFETCH(int, messages);
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    ScopedScriptedDialogs dialogs;
    if (fileContents == "damaged") {
        // A catalogue of the earlier layout whose last quarter was scribbled
        // over: the damage is repaired first (one message, no failed
        // upgrade), then the repaired file is upgraded.
        TemporaryCatalogue source(SampleOptions{400, 0, 3, true});
        fileContents = fileBytes(source.path());
        for (qsizetype i = fileContents.size() * 3 / 4; i < fileContents.size(); ++i)
            fileContents[i] = char((i * 37) & 0xff);
    }
    if (fileContents.isEmpty()) {
        dialogs.setNextAnswer(createAnswer ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    } else {
        QVERIFY(writeFile(catalogue.path(), fileContents));
    }
    BookSession session;

    QCOMPARE(session.open(catalogue.folder()), opens);
    QCOMPARE(session.isOpen(), opens);
    QVERIFY2(dialogs.messages().size() == messages, qPrintable(dialogs.texts().join(u"; "_s)));
    QCOMPARE(bool(session.rsBooks()), opens);
    if (fileContents.isEmpty())
        QVERIFY(dialogs.questions().first().text.contains(catalogue.folder()));
    if (!opens) {
        // Nothing was made or changed, and nothing more was tried.
        QCOMPARE(QFile::exists(catalogue.path()), !fileContents.isEmpty());
        if (!fileContents.isEmpty())
            QCOMPARE(fileBytes(catalogue.path()), fileContents);
        QVERIFY(!session.rsBookEdit() && !session.lookupRecordset(LookupField::Series));
    } else if (!fileContents.isEmpty()) {
        // Repaired beside the damaged file, which is kept as it was.
        QVERIFY(session.bookCount() > 0);
        QCOMPARE(QDir(catalogue.folder()).entryList({u"*.mdb"_s}, QDir::Files).size(), 2);
        QVERIFY(session.database().openRecordset(u"select forid from books"_s, RecordsetType::Snapshot));
        QVERIFY(session.lookupRecordset(LookupField::Series));
    }
    QCOMPARE(dialogs.unusedAnswers(), 0);
}

void TestBookSession::closedSessionRefusesWork()
{
    ScopedScriptedDialogs dialogs;
    BookSession session;
    const auto closedError = [](const std::function<void()>& work) {
        try {
            work();
        } catch (const DbError& error) {
            return error.number();
        }
        return 0;
    };
    QCOMPARE(closedError([&] { session.database(); }), int(DbErrorNumber::ObjectClosed));
    QCOMPARE(closedError([&] { session.reopenBooks(SortOrder::Author); }), int(DbErrorNumber::ObjectClosed));
    QCOMPARE(closedError([&] { session.lookupResolver(); }), int(DbErrorNumber::ObjectClosed));
    QCOMPARE(closedError([&] { session.openBookEditOn(1); }), int(DbErrorNumber::ObjectClosed));
    QCOMPARE(session.bookCount(), 0);
    QVERIFY(dialogs.shown().isEmpty());
}

QTEST_GUILESS_MAIN(TestBookSession)
#include "tst_book_session.moc"
