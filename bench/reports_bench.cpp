// The standard reports on a large catalogue: each book list written to a text
// file beside the sqlite3 shell exporting the same query with .mode tabs; the
// "Title & Author" document built whole and up to its first page in the
// preview window; and the count by category over 60 categories beside one
// GROUP BY.
#include "bare_connection.h"
#include "bench_registry.h"
#include "program_memory.h"
#include "report_doubles.h"
#include "sqlite_reads.h"

#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "database/jet_sql.h"
#include "database/native_sql.h"
#include "reports/book_lists.h"
#include "reports/document_build.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/program_report_windows.h"
#include "reports/gui/report_fonts.h"
#include "reports/report_document.h"
#include "reports/report_run.h"
#include "reports/report_state.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QTemporaryDir& outputFolder()
{
    static QTemporaryDir folder;
    return folder;
}

QString outputPath(const QString& name)
{
    return outputFolder().filePath(name);
}

std::function<void(BenchCatalogue&)> listToTextFile(int list)
{
    return [list](BenchCatalogue& catalogue) {
        const QString file = outputPath(u"list%1.txt"_s.arg(list));
        withAnswers(file, UserDialogs::Answer::No, [&] {
            BenchWindows windows;
            auto db = Database::open(catalogue.path, Database::OpenMode::Exclusive);
            reportState().ReportIndex = qint16(list);
            RunBookReport({*db, ReportDestination::TextFile, windows});
        });
        if (QFileInfo(file).size() == 0)
            throw std::runtime_error("the list wrote nothing");
    };
}

// The sqlite3 shell exporting the list's query to a file, with the program's
// collation loaded (the catalogue's text columns are declared with it).
std::function<void(BenchCatalogue&)> shellExport(int list)
{
    return [list](BenchCatalogue& catalogue) {
        const QString sql = translateJetSql(BookLists::definition(list).allSql);
        const QString file = outputPath(u"shell%1.txt"_s.arg(list));
        QProcess shell;
        shell.start(u"sqlite3"_s,
                    {u"-tabs"_s, u"-cmd"_s, u".load "_s + QStringLiteral(QUILLARY_COLLATION_EXTENSION),
                     catalogue.path, u".once "_s + file, sql});
        if (!shell.waitForFinished(600000) || shell.exitCode() != 0)
            throw std::runtime_error("the sqlite3 shell failed: " +
                                     shell.readAllStandardError().toStdString());
    };
}

qint64 residentKilobytes(const QByteArray& field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

void wholeDocument(BenchCatalogue& catalogue)
{
    static bool memoryReported = false;
    const qint64 before = residentKilobytes("VmRSS:");
    BenchWindows windows;
    reportState().ReportIndex = BookLists::ByTitle;
    RunBookReport({*catalogue.db, ReportDestination::Preview, windows});
    if (!windows.shown || windows.shown->document().rowCount() < catalogue.books)
        throw std::runtime_error("the document misses books");
    if (!memoryReported && catalogue.books >= 100000) {
        memoryReported = true;
        QTextStream(stdout)
            << u"  (the %1-page document of %2 rows: +%3 MB resident; peak of the whole benchmark "
               u"process so far %4 MB)"_s.arg(windows.shown->document().pageCount())
                   .arg(windows.shown->document().rowCount())
                   .arg((residentKilobytes("VmRSS:") - before) / 1024)
                   .arg(residentKilobytes("VmHWM:") / 1024)
            << Qt::endl;
    }
}

// The catalogue for a program started in a process of its own, copied once.
QString catalogueFolderCopy(const BenchCatalogue& catalogue)
{
    static QString madeFor;
    static std::unique_ptr<QTemporaryDir> folder;
    if (madeFor != catalogue.path) {
        folder = std::make_unique<QTemporaryDir>();
        if (!QFile::copy(catalogue.barePath, QDir(folder->path()).filePath(u"Quillary.mdb"_s)))
            throw std::runtime_error("cannot copy the catalogue");
        madeFor = catalogue.path;
    }
    return folder->path();
}

// The whole program with "Books by Title" in the preview, read to its end.
void previewMemory(BenchCatalogue& catalogue)
{
    catalogue.megabytes = peakMegabytesOf({u"--preview-memory"_s, catalogueFolderCopy(catalogue)});
}

void bookListMemory(BenchCatalogue& catalogue)
{
    catalogue.megabytes = peakMegabytesOf({u"--book-list-memory"_s, catalogueFolderCopy(catalogue)});
}

void mainWindowMemory(BenchCatalogue& catalogue)
{
    catalogue.megabytes = peakMegabytesOf({u"--main-window-memory"_s, catalogueFolderCopy(catalogue)});
}

void queryMemory(BenchCatalogue& catalogue)
{
    catalogue.megabytes =
        peakMegabytesOf({u"--query-memory"_s, catalogue.barePath,
                         translateJetSql(BookLists::definition(BookLists::ByTitle).allSql)});
}

// The same query read to its end by SQLite alone.
void readWholeQuery(BenchCatalogue& catalogue)
{
    if (readAll(bareConnection(catalogue),
                translateJetSql(BookLists::definition(BookLists::ByTitle).allSql).toUtf8()) !=
        catalogue.books)
        throw std::runtime_error("the query misses books");
}

// From the menu choice to frmOutput on screen with its first page drawn.
void firstPageShown(BenchCatalogue& catalogue)
{
    static QWidget* owner = new QWidget; // lives with the process
    ProgramReportWindows windows(owner, [&catalogue] { return catalogue.db.get(); });
    reportState().ReportIndex = BookLists::ByTitle;
    RunBookReport({*catalogue.db, ReportDestination::Preview, windows});
    frmOutput* output = windows.output();
    if (!output || output->document()->pageCount() < 1)
        throw std::runtime_error("no preview");
    QCoreApplication::processEvents();
    output->close();
}

// SQLite producing the rows of the first page (45 of them).
void firstPageRows(BenchCatalogue& catalogue)
{
    readAll(bareConnection(catalogue),
            translateJetSql(BookLists::definition(BookLists::ByTitle).allSql).toUtf8() + " LIMIT 45");
}

// A copy of the catalogue with 60 categories, the books spread over them and
// one in fifty without a category; and a copy of that for SQLite's own
// connection.
struct SixtyCategories
{
    Database& db;
    QString bareCopy;
};

SixtyCategories sixtyCategories(const BenchCatalogue& catalogue)
{
    static QString madeFor;
    static std::unique_ptr<QTemporaryDir> folder;
    static std::unique_ptr<Database> db;
    if (madeFor != catalogue.path) {
        db.reset();
        folder = std::make_unique<QTemporaryDir>();
        const QString copy = QDir(folder->path()).filePath(u"Quillary.mdb"_s);
        executeNative(*catalogue.db, "VACUUM INTO '" + copy.toUtf8() + "'");
        db = Database::open(copy, Database::OpenMode::Exclusive);
        executeNative(
            *db, "DELETE FROM Categories;"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60) "
                 "INSERT INTO Categories (CatID, CatName) SELECT i, 'Category ' || printf('%02d', i) FROM n;"
                 "UPDATE Books SET CatID = CASE WHEN BookID % 50 = 0 THEN -1 ELSE BookID % 60 + 1 END;");
        executeNative(*db, "VACUUM INTO '" + QDir(folder->path()).filePath(u"Bare.mdb"_s).toUtf8() + "'");
        madeFor = catalogue.path;
    }
    return {*db, QDir(folder->path()).filePath(u"Bare.mdb"_s)};
}

void countByCategory(BenchCatalogue& catalogue)
{
    Database& db = sixtyCategories(catalogue).db;
    withAnswers(outputPath(u"CountCat.txt"_s), UserDialogs::Answer::No, [&] {
        BenchWindows windows;
        CountByCategory({db, ReportDestination::TextFile, windows});
    });
}

void groupByCategory(BenchCatalogue& catalogue)
{
    sqlite3* db = bareConnectionOn(sixtyCategories(catalogue).bareCopy);
    readAll(db, "SELECT CatName, count(Books.BookID) FROM Categories LEFT JOIN Books ON "
                "Books.CatID = Categories.CatID GROUP BY Categories.CatID ORDER BY CatName");
    readAll(db, "SELECT count(*) FROM Books WHERE CatID = -1 OR CatID IS NULL");
}

const BenchRegistration registration{
    {u"list 1 title & author to text file"_s, listToTextFile(1), shellExport(1), true, u"<= 1.5x"_s,
     u"sqlite3 shell"_s},
    {u"list 2 author & title to text file"_s, listToTextFile(2), shellExport(2), true, u"<= 1.5x"_s,
     u"sqlite3 shell"_s},
    {u"list 3 location to text file"_s, listToTextFile(3), shellExport(3), true, u"<= 1.5x"_s,
     u"sqlite3 shell"_s},
    {u"list 4 category to text file"_s, listToTextFile(4), shellExport(4), true, u"<= 1.5x"_s,
     u"sqlite3 shell"_s},
    {u"list 5 price list to text file"_s, listToTextFile(5), shellExport(5), true, u"<= 1.5x"_s,
     u"sqlite3 shell"_s},
    {u"list 6 read books to text file"_s, listToTextFile(6), shellExport(6), true, u"<= 1.5x"_s,
     u"sqlite3 shell"_s},
    {u"list 7 books on loan to text file"_s, listToTextFile(7), shellExport(7), true, u"<= 1.5x"_s,
     u"sqlite3 shell"_s},
    {u"title & author document, whole"_s, wholeDocument, readWholeQuery, false},
    {u"Books by Title preview, peak MB"_s, previewMemory, queryMemory, false, u"< 300 MB at 1M"_s,
     u"bare connection, own process"_s, true},
    {u"book list open beside the main window, peak MB"_s, bookListMemory, mainWindowMemory, false,
     u"< 150 MB more at 1M"_s, u"the main window alone, own process"_s, true},
    {u"title & author, first page shown"_s, firstPageShown, firstPageRows, false},
    {u"count by category (60 categories)"_s, countByCategory, groupByCategory, false},
};

} // namespace
