// Imports a table of books into the catalogue in a folder:
//   quillary-import [--dry-run] [--keep-duplicates] FILE [DIR]
// prints what the import preview shows, then what was done. Exits with 1 and
// the reason when nothing could be imported, 2 for a wrong command line.
#include "catalogue/catalogue_location.h"
#include "catalogue/schema.h"
#include "common/safe_file_writer.h"
#include "database/database.h"
#include "import/import_summary.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Adds the books of a CSV or TAB-separated table to the catalogue in DIR (default: the current "
        u"folder). The catalogue must not be open in the program."_s);
    parser.addHelpOption();
    parser.addOption({u"dry-run"_s, u"Show what would be done; write nothing."_s});
    parser.addOption({u"keep-duplicates"_s, u"Add rows that match a book already in the catalogue."_s});
    parser.addPositionalArgument(u"FILE"_s, u"The table of books."_s);
    parser.addPositionalArgument(u"DIR"_s, u"The folder of the catalogue."_s, u"[DIR]"_s);
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty() || arguments.size() > 2) {
        err << "Usage: quillary-import [--dry-run] [--keep-duplicates] FILE [DIR]\n";
        return 2;
    }
    const bool keepDuplicates = parser.isSet(u"keep-duplicates"_s);
    try {
        BookImport import(arguments.at(0));
        const auto db = Database::open(catalogueFileIn(arguments.value(1, QDir::currentPath())));
        upgradeCatalogue(*db);
        const ImportPlan plan = import.plan(*db, keepDuplicates);
        out << planLines(import, plan).join(u'\n') << Qt::endl;
        if (plan.counts.added == 0) {
            err << "Nothing to import: every row is refused or already in the catalogue." << Qt::endl;
            return 1;
        }
        if (parser.isSet(u"dry-run"_s)) {
            out << "Dry run: nothing was written." << Qt::endl;
            return 0;
        }
        const ImportResult result = import.write(*db, keepDuplicates, refusedRowsPathFor(import.path()));
        out << resultText(result) << Qt::endl;
        return 0;
    } catch (const TableFileError& error) {
        err << error.text() << Qt::endl;
    } catch (const DbError& error) {
        err << error.text() << Qt::endl;
    } catch (const FileSaveError& error) {
        err << error.text() << Qt::endl;
    }
    err << "Nothing was imported." << Qt::endl;
    return 1;
}
