#include "catalogue/duplicate_guard.h"
#include "common/safe_file_writer.h"
#include "import/book_export.h"
#include "import/book_import.h"
#include "support/file_contents.h"
#include "support/temporary_catalogue.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(QUILLARY_SOURCE_DIR "/tests/fixtures/import/") + name;
}

// Books already in the catalogue that rows of the fixtures match: by title
// and author in another case or without accents, and by the ISBN-10 of an
// ISBN-13.
constexpr const char* StoredBooks = R"sql(
INSERT INTO Authors (AuthID, LastName, FirstName) VALUES (1, 'austen', 'JANE'), (2, 'Hugo', 'Victor');
INSERT INTO Books (Title, SortTitle, AuthID, ISBN) VALUES ('EMMA', 'EMMA', 1, ''),
    ('Les Miserables', 'LES MISERABLES', 2, NULL), ('Another Title', 'ANOTHER TITLE', -1, '0-14-143951-3');
)sql";

const QByteArray BookRows =
    "SELECT Title, SortTitle, LastName || ', ' || FirstName, PubName, ForDesc, Year, ISBN, "
    "Paperback, Read, ReadDate, BuyDate, CoverPrice, BuyPrice, OnLoan, LoanedTo, Notes "
    "FROM Books LEFT JOIN Authors USING (AuthID) LEFT JOIN Publishers USING (PubID) "
    "LEFT JOIN Formats USING (ForID) WHERE BookID > 3 ORDER BY BookID";

} // namespace

class TestBookImport : public QObject
{
    Q_OBJECT
private slots:
    void fixtures_data();
    void fixtures();
    void roundTrip();
    void nothingKeptWhenStopped_data();
    void nothingKeptWhenStopped();
};

void TestBookImport::fixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("counts"); // added, duplicates, refused, wrong ISBNs
    QTest::addColumn<QStringList>("books");
    QTest::addColumn<QString>("refused"); // the refused rows' file, its reasons

    QTest::newRow("goodreads")
        << u"goodreads_library_export.csv"_s << u"2 2 2 1"_s
        << QStringList{u"The Great Gatsby|GREAT GATSBY|Fitzgerald, F. Scott|Scribner|Hardcover|"
                       "1925||0|0|1925-04-10|<null>|<null>|<null>|0||"_s,
                       u"Dune, \"Deluxe\"|DUNE, \"DELUXE\"|Herbert, Frank|Ace|Mass Market "
                       "Paperback|1990|9780306406158|1|0|<null>|<null>|<null>|<null>|0||"
                       "Line one\nline two"_s}
        << u"no title|Date Read: '2020/13/45' is not a date"_s;
    QTest::newRow("librarything")
        << u"librarything_export.tsv"_s << u"1 2 1 0"_s
        << QStringList{u"Madame Bovary|MADAME BOVARY|Flaubert, Gustave|Folio|Hardcover|1857|"
                       "0000000000|0|0|<null>|2018-06-02|12.5|8|1|Paul|Gift from Marie\r\n\r\n"
                       "Superb & cruel"_s}
        << u"List Price: 'not a price' is not an amount"_s;
    QTest::newRow("spreadsheet")
        << u"spreadsheet_cp1252.csv"_s << u"2 0 1 0"_s
        << QStringList{u"Cien años de soledad|CIEN AÑOS DE SOLEDAD|Márquez, Gabriel García|"
                       "<null>|Paperback|1967||1|1|2016-01-20|2015-07-01|9.99|7.5|0||"
                       "Quoted, with comma"_s,
                       u"Le Petit Prince|LE PETIT PRINCE|Saint-Exupéry, Antoine de|<null>|"
                       "Hardcover|1943||0|0|<null>|<null>|5|<null>|1|Léa|"_s}
        << u"Year Published: 'abc' is not a year"_s;
    QTest::newRow("no header")
        << u"no_header.tsv"_s << u"2 0 0 0"_s
        << QStringList{u"Moby-Dick|MOBY-DICK|Melville, Herman|<null>|<null>|<null>||1|0|<null>|"
                       "<null>|<null>|<null>|0||"_s,
                       u"Walden|WALDEN|Thoreau, Henry David|<null>|<null>|<null>||1|0|<null>|"
                       "<null>|<null>|<null>|0||"_s}
        << QString();
}

void TestBookImport::fixtures()
{
    QFETCH(QString, file);
    TemporaryCatalogue catalogue;
    catalogue.executeNative(StoredBooks);
    QTemporaryDir out;
    const QString refusedPath = out.filePath(u"refused.csv"_s);
    const auto db = catalogue.open();
    BookImport import(fixture(file));
    const ImportPlan plan = import.plan(*db, false);
    const ImportResult result = import.write(*db, false, refusedPath);
    const auto counts = [](const ImportCounts& c) {
        return u"%1 %2 %3 %4"_s.arg(c.added).arg(c.duplicates).arg(c.refused).arg(c.wrongIsbns);
    };
    QTEST(counts(result.counts), "counts");
    QCOMPARE(counts(plan.counts), counts(result.counts));
    QTEST(nativeRows(*db, BookRows), "books");

    // The refused rows, with their reasons in a last column, can be mended and
    // imported again.
    QFETCH(QString, refused);
    QCOMPARE(QFile::exists(refusedPath), !refused.isEmpty());
    if (!refused.isEmpty()) {
        BookImport again(refusedPath);
        QCOMPARE(again.mapping().format, import.mapping().format);
        QStringList reasons;
        for (const RefusedRow& row : plan.refusals)
            reasons.append(row.reason);
        QCOMPARE(reasons.join(u'|'), refused);
        QVERIFY(QString::fromUtf8(fileBytes(refusedPath)).contains(reasons.last()));
    }
}

void TestBookImport::roundTrip()
{
    // Every field of every book comes back from the export as it was stored.
    TemporaryCatalogue first;
    TemporaryCatalogue second;
    QTemporaryDir out;
    const auto from = first.open();
    for (const QString& file :
         {u"goodreads_library_export.csv"_s, u"spreadsheet_cp1252.csv"_s, u"librarything_export.tsv"_s}) {
        BookImport import(fixture(file));
        import.write(*from, true, out.filePath(file + u".refused"_s));
    }
    const QString exported = out.filePath(u"books.csv"_s);
    QCOMPARE(exportAllBooks(*from, exported), 9);

    const auto to = second.open();
    BookImport import(exported);
    QCOMPARE(import.mapping().format, TableFormat::OwnExport);
    QCOMPARE(import.write(*to, false, out.filePath(u"none.csv"_s)).counts.added, 9);
    const QByteArray everything = BookRows.left(BookRows.indexOf("WHERE")) + "ORDER BY Title";
    QCOMPARE(nativeRows(*to, everything), nativeRows(*from, everything));
    const QString again = out.filePath(u"again.csv"_s);
    exportAllBooks(*to, again);
    QCOMPARE(fileBytes(again), fileBytes(exported));
}

void TestBookImport::nothingKeptWhenStopped_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancelled") << true;
    QTest::newRow("refused rows cannot be written") << false;
}

void TestBookImport::nothingKeptWhenStopped()
{
    QFETCH(bool, cancel);
    TemporaryCatalogue catalogue;
    catalogue.executeNative(StoredBooks);
    QTemporaryDir out;
    const auto db = catalogue.open();
    const QStringList before = catalogueContents(*db);
    // Enough rows for the progress to be asked.
    const QString big = out.filePath(u"big.csv"_s);
    QByteArray rows = "Title,Author,Year\n";
    for (int i = 0; i < 1000; ++i)
        rows += QByteArray::number(i) + "th book,New Author " + QByteArray::number(i) +
                (i == 999 ? ",never\n" : ",2001\n");
    QVERIFY(writeFile(big, rows));
    BookImport import(big);
    const QString refusedPath = cancel ? out.filePath(u"refused.csv"_s) : out.filePath(u"gone/refused.csv"_s);
    bool stopped = false;
    try {
        import.write(*db, false, refusedPath, [cancel](qint64, qint64) { return !cancel;
    });
}
catch (const ImportCancelled&)
{
    stopped = cancel;
}
catch (const FileSaveError&)
{
    stopped = !cancel;
}
QVERIFY(stopped);
QCOMPARE(catalogueContents(*db), before);
QVERIFY(!QFile::exists(refusedPath));
}

QTEST_GUILESS_MAIN(TestBookImport)
#include "tst_book_import.moc"
