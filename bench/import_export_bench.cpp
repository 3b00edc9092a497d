// Bringing a table of books in and taking the books out, beside the sqlite3
// shell doing the plain part of the same work:
// - import: a Goodreads-shaped CSV file of as many rows as the catalogue has
//   books (new titles, an author for every five rows, 200 publishers, four
//   bindings), read, checked against the stored books, converted and added
//   with its lookup entries in one transaction. The shell runs
//   `.import --csv` of the same file into a new plain table, then inserts the
//   file's distinct authors, publishers and bindings missing from Authors,
//   Publishers and Formats. Both work on a fresh copy of the catalogue, so that
//   every run starts alike; the copy's own time is printed below the rows.
// - export: every book as CSV with the lookups' names, beside the shell's
//   `-csv -header` output of the same query.
// With 100,000 books or more, a 1,000,000-row file is also imported once into
// a copy and the process's peak memory printed.
#include "bench_registry.h"
#include "program_memory.h"

#include "database/database.h"
#include "import/book_export.h"
#include "import/book_import.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QString scratch(const QString& name)
{
    static QTemporaryDir folder;
    return folder.filePath(name);
}

QChar isbn13CheckDigit(const QByteArray& twelve)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (i % 2 == 0 ? 1 : 3) * (twelve[i] - '0');
    return QChar(u'0' + (10 - sum % 10) % 10);
}

// A file of the shape of the reading service's library export. Its ISBNs
// begin 979-1, which the generated catalogue never gives, so every row is new.
QString goodreadsFile(int rows)
{
    const QString path = scratch(u"goodreads-%1.csv"_s.arg(rows));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the import file");
    file.write("Book Id,Title,Author,Author l-f,Additional Authors,ISBN,ISBN13,My Rating,Average Rating,"
               "Publisher,Binding,Number of Pages,Year Published,Original Publication Year,Date Read,Date "
               "Added,Bookshelves,Bookshelves with positions,Exclusive Shelf,My Review,Spoiler,Private "
               "Notes,Read Count,Owned Copies\n");
    const char* bindings[] = {"Paperback", "Hardcover", "Mass Market Paperback", "Kindle Edition"};
    QByteArray chunk;
    for (int i = 0; i < rows; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray author = QByteArray::number(i / 5);
        QByteArray twelve = "97912" + QByteArray::number(i).rightJustified(7, '0');
        const QByteArray isbn = twelve + QString(isbn13CheckDigit(twelve)).toLatin1();
        chunk += n + ",\"Imported Title " + n + ", Volume " + QByteArray::number(i % 7) + "\",First" +
                 author + " Last" + author + ",\"Last" + author + ", First" + author +
                 "\",,\"=\"\"\"\"\",\"=\"\"" + isbn + "\"\"\",4,3.9,Publisher " +
                 QByteArray::number(i % 200) + "," + bindings[i % 4] + ",320," +
                 QByteArray::number(1950 + i % 70) + ",1949,2020/05/" +
                 QByteArray::number(1 + i % 28).rightJustified(2, '0') +
                 ",2021/01/02,,,read,\"A review with a comma, and &amp; an entity\",,Notes " + n + ",1,1\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    return path;
}

QString freshCopy(const BenchCatalogue& catalogue)
{
    const QString copy = scratch(u"copy.mdb"_s);
    QFile::remove(copy);
    if (!QFile::copy(catalogue.path, copy))
        throw std::runtime_error("cannot copy the catalogue");
    return copy;
}

qint64 importInto(const QString& catalogue, const QString& file)
{
    const auto db = Database::open(catalogue);
    BookImport import(file);
    const ImportResult result = import.write(*db, false, scratch(u"refused.csv"_s));
    if (result.counts.duplicates || result.counts.refused)
        throw std::runtime_error(QStringLiteral("%1 rows skipped as stored, %2 refused (see %3)")
                                     .arg(result.counts.duplicates)
                                     .arg(result.counts.refused)
                                     .arg(scratch(u"refused.csv"_s))
                                     .toStdString());
    return result.counts.added;
}

void runShell(const QStringList& options, const QString& catalogue, const QStringList& commands)
{
    QProcess shell;
    const QStringList loading{u"-cmd"_s, u".load "_s + QStringLiteral(QUILLARY_COLLATION_EXTENSION)};
    shell.start(u"sqlite3"_s, options + loading + QStringList{catalogue} + commands);
    if (!shell.waitForFinished(600000) || shell.exitCode() != 0)
        throw std::runtime_error("the sqlite3 shell failed: " + shell.readAllStandardError().toStdString());
}

void importGoodreads(BenchCatalogue& catalogue)
{
    static bool reported = false;
    if (importInto(freshCopy(catalogue), goodreadsFile(catalogue.books)) != catalogue.books)
        throw std::runtime_error("rows were not added");
    if (reported)
        return;
    reported = true;
    QTextStream out(stdout);
    QElapsedTimer copying;
    copying.start();
    freshCopy(catalogue);
    out << u"  (each import run includes copying the catalogue: %1 ms)"_s.arg(copying.elapsed()) << Qt::endl;
    if (catalogue.books < 100000)
        return;
    const QString million = goodreadsFile(1000000);
    const qint64 before = qint64(peakMemoryMb());
    QElapsedTimer timer;
    timer.start();
    const qint64 added = importInto(freshCopy(catalogue), million);
    out << u"  (1,000,000-row file imported once: %1 books in %2 ms; peak memory of the process %3 MB, "
           u"%4 MB before)"_s.arg(added)
               .arg(timer.elapsed())
               .arg(qint64(peakMemoryMb()))
               .arg(before)
        << Qt::endl;
}

void shellImport(BenchCatalogue& catalogue)
{
    const QString file = goodreadsFile(catalogue.books);
    runShell(
        {}, freshCopy(catalogue),
        {u".import --csv %1 GoodreadsRows"_s.arg(file),
         u"INSERT INTO Authors (LastName, FirstName) SELECT DISTINCT trim(substr(\"Author l-f\", 1, "
         u"instr(\"Author l-f\", ',') - 1)), trim(substr(\"Author l-f\", instr(\"Author l-f\", ',') + 1)) "
         u"FROM GoodreadsRows WHERE \"Author l-f\" NOT IN (SELECT LastName || ', ' || FirstName FROM "
         u"Authors)"_s,
         u"INSERT INTO Publishers (PubName) SELECT DISTINCT Publisher FROM GoodreadsRows WHERE Publisher "
         u"NOT IN (SELECT PubName FROM Publishers)"_s,
         u"INSERT INTO Formats (ForDesc) SELECT DISTINCT Binding FROM GoodreadsRows WHERE Binding NOT IN "
         u"(SELECT ForDesc FROM Formats)"_s});
}

void exportEveryBook(BenchCatalogue& catalogue)
{
    const auto db = Database::open(catalogue.path);
    if (exportAllBooks(*db, scratch(u"export.csv"_s)) != catalogue.books)
        throw std::runtime_error("books were not exported");
}

void shellExport(BenchCatalogue& catalogue)
{
    runShell({u"-csv"_s, u"-header"_s}, catalogue.path,
             {u".once "_s + scratch(u"shell-export.csv"_s), QString::fromUtf8(exportQuery())});
}

const BenchRegistration registration({
    {u"import Goodreads file (a row a book)"_s, importGoodreads, shellImport, true, u"<= 3x"_s,
     u"sqlite3 shell .import + lookups"_s},
    {u"export every book as CSV"_s, exportEveryBook, shellExport, true, u"<= 1.5x"_s, u"sqlite3 shell"_s},
});

} // namespace
