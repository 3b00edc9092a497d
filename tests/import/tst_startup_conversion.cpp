// The start-up's offer to convert a catalogue or field catalogue of the older
// kind, answered as the catalogue's life makes it before the window shows
// anything.

#include "catalogue/book_session.h"
#include "catalogue/lookup_tables.h"
#include "common/locale_formats.h"
#include "database/catalogue_file_check.h"
#include "database/recordset.h"
#include "editor/catalogue_events.h"
#include "editor/catalogue_life.h"
#include "import/fake_catalogue.h"
#include "import/jet_conversion.h"
#include "import/mdb_file_source.h"
#include "support/catalogue_folder.h"
#include "support/file_contents.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QFile>
#include <QTest>

using catalogue_test::CatalogueFolder;
using namespace Qt::StringLiterals;

namespace {

const QString Sample = QStringLiteral(QUILLARY_SHARED_TESTDATA "/jet/nwind.mdb");

// The tables a file is read as: the test's catalogue or field catalogue for a
// file of that name, the real file otherwise.
std::unique_ptr<JetSource> testTables(const QString& path, bool catalogueTables)
{
    if (path.endsWith(u"rptspec.mdb"_s)) {
        auto source = std::make_unique<FakeJetSource>();
        source->addTable(u"RptSpec"_s, {u"specid:Integer"_s, u"Desc:Text"_s});
        source->addRow(u"RptSpec"_s, {1LL, u"Title"_s});
        return source;
    }
    if (catalogueTables)
        return std::make_unique<FakeJetSource>(FakeCatalogue::catalogueSource(false));
    return std::make_unique<MdbFileSource>(path);
}

// The titles of rsBooks, first to last: the books the window pages through.
QStringList titlesInOrder(Recordset& books)
{
    QStringList titles;
    for (books.moveFirst(); !books.eof(); books.moveNext())
        titles << books.value(u"Title"_s).toString();
    return titles;
}

// What the book's lookup field shows: its entry in the field's list.
QString lookupShown(Database& db, LookupField field, const Recordset& book)
{
    const qlonglong key = book.value(lookupTable(field).booksColumn).toLongLong();
    QString shown;
    readLookupList(db, field, [&](qlonglong entry, const QString& text) {
        if (entry == key)
            shown = text;
    });
    return shown;
}

} // namespace

class TestStartupConversion : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScopedScriptedDialogs>();
        m_folder = std::make_unique<CatalogueFolder>();
    }
    void cleanup()
    {
        setJetSourceOpener({});
        m_folder.reset();
        m_dialogs.reset();
    }
    void offered_data();
    void offered();

private:
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<CatalogueFolder> m_folder;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestStartupConversion::offered_data()
{
    QTest::addColumn<QString>("olderFile");    // the file that is of the older kind
    QTest::addColumn<bool>("catalogueTables"); // it reads as a catalogue
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QString>("view");       // what the window is told to show: "catalogue" or "without"
    QTest::addColumn<QStringList>("titles"); // the books the window pages through
    QTest::addColumn<QString>("message");    // the start of the one message shown; empty for none

    const QStringList converted{u"The Hobbit"_s, u"Nana"_s};
    QTest::newRow("catalogue converted") << u"Quillary.mdb"_s << true << true << u"catalogue"_s << converted
                                         << u"The catalogue %1 has been converted. The original file is kept "
                                            u"unchanged as %2.\n\nBooks: 2 rows\nAuthors: 2 rows\n"_s;
    QTest::newRow("catalogue declined")
        << u"Quillary.mdb"_s << true << false << u"without"_s << QStringList() << QString();
    QTest::newRow("catalogue refused")
        << u"Quillary.mdb"_s << false << true << u"without"_s << QStringList()
        << u"The catalogue could not be converted.\n\n'%1' is not a catalogue"_s;
    QTest::newRow("field catalogue converted")
        << u"rptspec.mdb"_s << false << true << u"catalogue"_s << QStringList()
        << u"The field catalogue %1 has been converted. The original file is kept unchanged as %2.\n\n"
           u"RptSpec: 1 row"_s;
}

void TestStartupConversion::offered()
{
    QFETCH(QString, olderFile);
    QFETCH(bool, catalogueTables);
    QFETCH(bool, answerYes);
    QFETCH(QStringList, titles);
    QFETCH(QString, message);
    QFETCH(QString, view);
    const QDir folder(m_folder->path());
    const QString path = folder.filePath(olderFile);
    QFile::remove(path);
    QVERIFY(QFile::copy(Sample, path)); // a real Jet file, read as the test's tables where it says so
    const QByteArray original = fileBytes(path);
    setJetSourceOpener([catalogueTables](const QString& file) { return testTables(file, catalogueTables); });
    m_dialogs->setNextAnswer(answerYes ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);

    BookSession session;
    CatalogueEvents events;
    QStringList shown;
    CatalogueLife life(
        session, m_folder->path(),
        {[&] { shown << u"catalogue"_s; }, [&] { shown << u"without"_s; }, [&] { shown << u"designed"_s; }},
        events);
    life.start();
    QCOMPARE(shown, QStringList{view});
    QCOMPARE(m_dialogs->questions().size(), 1);
    QVERIFY(m_dialogs->questions().constFirst().text.contains(u"Do you want to convert it now?"_s));
    const QString kept = folder.filePath(QFileInfo(olderFile).completeBaseName() + u".jet.mdb"_s);
    const QStringList messages = m_dialogs->takeMessages();
    if (message.isEmpty()) {
        QCOMPARE(messages, QStringList());
    } else {
        QCOMPARE(messages.size(), 1);
        const QString expected =
            u"Quillary: "_s + message.arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(kept));
        QVERIFY2(messages.constFirst().startsWith(expected), qPrintable(messages.constFirst()));
    }
    const bool converted = answerYes && (catalogueTables || olderFile == u"rptspec.mdb"_s);
    QCOMPARE(fileBytes(converted ? kept : path), original);
    QCOMPARE(QFileInfo::exists(kept), converted);

    if (olderFile == u"Quillary.mdb"_s) {
        QCOMPARE(session.bookCount() > 0, !titles.isEmpty());
        if (!titles.isEmpty()) {
            Recordset& books = *session.rsBooks();
            QCOMPARE(titlesInOrder(books), titles);
            // Every lookup came across with its key; the upgrade gave a format.
            books.moveFirst();
            while (!books.eof() && books.value(u"Title"_s).toString() != u"Nana"_s)
                books.moveNext();
            QVERIFY(!books.eof());
            Database& db = session.database();
            QCOMPARE(lookupShown(db, LookupField::Author, books), u"Zola, Émile"_s);
            QCOMPARE(lookupShown(db, LookupField::Location, books), u"Grenier"_s);
            QCOMPARE(lookupShown(db, LookupField::Format, books), u"Paperback"_s);
            QCOMPARE(LocaleFormats::currency(books.value(u"CoverPrice"_s).toDouble()), u"$12.35"_s);
        }
    } else {
        QCOMPARE(inspectCatalogueFile(m_folder->cataloguePath()), CatalogueFileKind::Sqlite);
        QCOMPARE(nativeRows(*Database::open(path, Database::OpenMode::Shared), "SELECT * FROM RptSpec"),
                 QStringList{u"1|Title"_s});
    }
}

QTEST_GUILESS_MAIN(TestStartupConversion)
#include "tst_startup_conversion.moc"
