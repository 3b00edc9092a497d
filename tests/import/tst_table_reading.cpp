#include "catalogue/isbn.h"
#include "import/book_import.h"
#include "import/cell_values.h"
#include "support/locale_guard.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(QUILLARY_SOURCE_DIR "/tests/fixtures/import/") + name;
}

} // namespace

class TestTableReading : public QObject
{
    Q_OBJECT
private slots:
    void recognised_data();
    void recognised();
    void badInput_data();
    void badInput();
    void isbns_data();
    void isbns();
    void cells_data();
    void cells();
};

void TestTableReading::recognised_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<TableFormat>("format");
    QTest::addColumn<QString>("mapped"); // fields with a column, and what their first book gives

    QTest::newRow("goodreads")
        << u"goodreads_library_export.csv"_s << TextEncoding::Utf8 << u","_s << TableFormat::Goodreads
        << u"Austen, Jane|9780141439518|Penguin Classics|Paperback|2003|2020-05-01|Yes|"
           "First copy\r\n\r\nWitty & sharp"_s;
    QTest::newRow("librarything utf-16")
        << u"librarything_export.tsv"_s << TextEncoding::Utf16LittleEndian << u"\t"_s
        << TableFormat::LibraryThing << u"Hugo, Victor||Gallimard|Paperback|1862||No|"_s;
    QTest::newRow("spreadsheet cp1252")
        << u"spreadsheet_cp1252.csv"_s << TextEncoding::Windows1252 << u","_s << TableFormat::HeaderRow
        << u"Márquez, Gabriel García|||Paperback|1967|2016-01-20|Yes|Quoted, with comma"_s;
    QTest::newRow("no header") << u"no_header.tsv"_s << TextEncoding::Utf8 << u"\t"_s << TableFormat::NoHeader
                               << u"Melville, Herman||||||No|"_s;
}

void TestTableReading::recognised()
{
    QFETCH(QString, file);
    QFETCH(TextEncoding, encoding);
    BookImport import(fixture(file));
    QCOMPARE(import.encoding(), encoding);
    QTEST(QString(import.delimiter()), "delimiter");
    QTEST(import.mapping().format, "format");

    // The first book as it would be stored.
    TextTableReader reader(fixture(file));
    TableRecord record;
    QVERIFY(reader.next(record));
    if (import.mapping().hasHeader())
        QVERIFY(reader.next(record));
    const ImportedBook book = convertRow(record.cells, import.mapping()).book;
    QStringList shown;
    for (const BookField field : {BookField::Author, BookField::Isbn, BookField::Publisher, BookField::Format,
                                  BookField::Year, BookField::ReadDate, BookField::Read, BookField::Notes})
        shown.append(shownValue(field, book[field]));
    QTEST(shown.join(u'|'), "mapped");
}

void TestTableReading::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("outcome"); // the file's message, or "<rows> rows: <problems>"

    const QByteArray header = "Title,Author\n";
    QTest::newRow("empty") << QByteArray() << u"is empty"_s;
    QTest::newRow("only a byte-order mark") << QByteArray("\xEF\xBB\xBF") << u"is empty"_s;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << u"is not a text file"_s;
    QTest::newRow("blank lines only") << QByteArray("\n\r\n\n") << u"holds no rows"_s;
    QTest::newRow("unbalanced quote") << header + "Dune,Herbert\n\"Open,Nobody\nEmma,Austen\n"
                                      << u"2 rows: |a quoted text is never closed"_s;
    QTest::newRow("NUL inside a row") << header + QByteArray("Du\0ne,Herbert\nEmma,Austen\n", 26)
                                      << u"2 rows: the row holds a NUL character|"_s;
    QTest::newRow("mixed line ends") << QByteArray(
                                            "Title,Author\r\nDune,Herbert\rEmma,Austen\n\"Two\r\nlines\",X")
                                     << u"3 rows: ||"_s;
    QTest::newRow("10 MB line") << header + QByteArray(10 << 20, 'x') + "\nEmma,Austen\n"
                                << u"2 rows: the row is longer than 1048576 characters|"_s;
    QByteArray wide = header;
    for (int i = 0; i < 10000; ++i)
        wide += "c,";
    QTest::newRow("10,000 columns") << wide + "\nEmma,Austen\n"
                                    << u"2 rows: the row has more than 1000 columns|"_s;
}

void TestTableReading::badInput()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"in.csv"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QString actual;
    try {
        BookImport import(path);
        TextTableReader reader(path);
        TableRecord record;
        reader.next(record); // the header
        QStringList problems;
        while (reader.next(record))
            problems.append(record.problem);
        actual = u"%1 rows: %2"_s.arg(problems.size()).arg(problems.join(u'|'));
    } catch (const TableFileError& error) {
        actual = error.text();
    }
    QFETCH(QString, outcome);
    QVERIFY2(actual.contains(outcome), qPrintable(actual));
}

void TestTableReading::isbns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<IsbnCheck>("check");
    QTest::addColumn<QString>("otherForm");

    QTest::newRow("ISBN-10 with hyphens") << u"0-14-143951-3"_s << IsbnCheck::Valid << u"9780141439518"_s;
    QTest::newRow("ISBN-10 ending in X") << u"0 8044 2957 X"_s << IsbnCheck::Valid << u"9780804429573"_s;
    QTest::newRow("lower-case x") << u"080442957x"_s << IsbnCheck::Valid << u"9780804429573"_s;
    QTest::newRow("ISBN-13") << u"978-0-306-40615-7"_s << IsbnCheck::Valid << u"0306406152"_s;
    QTest::newRow("979 has no ISBN-10") << u"9791090636071"_s << IsbnCheck::Valid << QString();
    QTest::newRow("wrong ISBN-10") << u"0141439514"_s << IsbnCheck::WrongCheckDigit << QString();
    QTest::newRow("wrong ISBN-13") << u"9780306406158"_s << IsbnCheck::WrongCheckDigit << QString();
    QTest::newRow("X inside") << u"01414X9513"_s << IsbnCheck::NotAnIsbn << QString();
    QTest::newRow("older book number") << u"SBN 425-03504-2"_s << IsbnCheck::NotAnIsbn << QString();
    QTest::newRow("eleven digits") << u"01414395133"_s << IsbnCheck::NotAnIsbn << QString();
    QTest::newRow("empty") << QString() << IsbnCheck::NotAnIsbn << QString();
}

void TestTableReading::isbns()
{
    QFETCH(QString, text);
    QTEST(checkIsbn(text), "check");
    const QString digits = isbnDigits(text);
    QTEST(digits.size() == 10 ? isbn10To13(digits) : isbn13To10(digits), "otherForm");
    QFETCH(QString, otherForm);
    if (!otherForm.isEmpty())
        QCOMPARE(isbnMatchKey(otherForm), isbnMatchKey(text));
}

void TestTableReading::cells_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("stored"); // or the refusal

    QTest::newRow("slashed date") << u"Date Read"_s << u"2001/03/07"_s << u"2001-03-07"_s;
    QTest::newRow("four-digit 1925 kept") << u"Date Read"_s << u"1925-03-07"_s << u"1925-03-07"_s;
    QTest::newRow("two-digit 25 moved") << u"Date Read"_s << u"3/7/25"_s << u"2025-03-07"_s;
    QTest::newRow("no such day") << u"Date Read"_s << u"2001/02/30"_s
                                 << u"Date Read: '2001/02/30' is not a date"_s;
    QTest::newRow("price with sign") << u"List Price"_s << u"$12.50"_s << u"12.5"_s;
    QTest::newRow("price rounded") << u"Price Paid"_s << u"0.123456"_s << u"0.1235"_s;
    QTest::newRow("negative price") << u"Price Paid"_s << u"-3"_s << u"Price Paid: '-3' is not an amount"_s;
    QTest::newRow("year circa") << u"Year"_s << u"c1857"_s << u"1857"_s;
    QTest::newRow("two years") << u"Year"_s << u"1857-1860"_s << u"Year: '1857-1860' is not a year"_s;
    QTest::newRow("volume too big") << u"Volume"_s << u"99999999999"_s
                                    << u"Volume: '99999999999' is not a whole number"_s;
    QTest::newRow("flag word") << u"Fiction"_s << u"FALSE"_s << u"No"_s;
    QTest::newRow("flag nonsense") << u"On Loan"_s << u"maybe"_s
                                   << u"On Loan: 'maybe' is neither Yes nor No"_s;
    QTest::newRow("formula text") << u"ISBN"_s << u"=\"0141026162\""_s << u"0141026162"_s;
    QTest::newRow("author turned round") << u"Author"_s << u"John Ronald Smith"_s << u"Smith, John Ronald"_s;
}

void TestTableReading::cells()
{
    QFETCH(QString, header);
    QFETCH(QString, cell);
    const LocaleGuard us(u"en_US"_s);
    const ColumnMapping mapping = recogniseTable({u"Title"_s, header});
    const std::optional<BookField> field = fieldForHeader(header);
    QVERIFY(field);
    const ConvertedRow row = convertRow({u"A Title"_s, cell}, mapping);
    QTEST(row.refusal.isEmpty() ? shownValue(*field, row.book[*field]) : row.refusal, "stored");
}

QTEST_GUILESS_MAIN(TestTableReading)
#include "tst_table_reading.moc"
