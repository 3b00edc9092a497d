// Writes every book of the catalogue in a folder as a CSV file:
//   quillary-export [DIR] OUT.csv
// Exits with 1 and the reason on failure, 2 for a wrong command line.
#include "catalogue/catalogue_location.h"
#include "catalogue/schema.h"
#include "common/safe_file_writer.h"
#include "database/database.h"
#include "import/book_export.h"

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
        u"Writes every book of the catalogue in DIR (default: the current folder) to OUT.csv, one column per "
        u"field. The catalogue must not be open in the program."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DIR"_s, u"The folder of the catalogue."_s, u"[DIR]"_s);
    parser.addPositionalArgument(u"OUT.csv"_s, u"The file to write (replaced when it exists)."_s);
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty() || arguments.size() > 2) {
        err << "Usage: quillary-export [DIR] OUT.csv\n";
        return 2;
    }
    const QString folder = arguments.size() == 2 ? arguments.at(0) : QDir::currentPath();
    try {
        const auto db = Database::open(catalogueFileIn(folder));
        upgradeCatalogue(*db);
        const qint64 written = exportAllBooks(*db, arguments.last());
        out << u"%1 books written to '%2'."_s.arg(written).arg(QDir::toNativeSeparators(arguments.last()))
            << Qt::endl;
        return 0;
    } catch (const DbError& error) {
        err << error.text() << Qt::endl;
    } catch (const FileSaveError& error) {
        err << error.text() << Qt::endl;
    }
    return 1;
}
