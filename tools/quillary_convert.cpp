// Converts a database file of the classic desktop engine into an SQLite file:
//   quillary-convert FILE.mdb OUT              every table as it is
//   quillary-convert --catalogue FILE.mdb OUT  a catalogue of the earlier program
//                                              into one of this program's
// OUT must not exist. Prints each table with its row count; on failure prints
// why and exits with 1 (2 for a wrong command line).
#include "import/jet_conversion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Converts a Jet/Access database file (.mdb) into a new SQLite file, table by table."_s);
    parser.addHelpOption();
    parser.addOption(
        {u"catalogue"_s,
         u"FILE.mdb is a catalogue of the earlier program: write OUT as this program's catalogue "
         u"(upgraded from the earlier layout where needed)."_s});
    parser.addPositionalArgument(u"FILE.mdb"_s, u"The database file to read (it is never changed)."_s);
    parser.addPositionalArgument(u"OUT"_s, u"The SQLite file to write; it must not exist."_s);
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        err << "Usage: quillary-convert [--catalogue] FILE.mdb OUT\n";
        return 2;
    }
    const ConversionTarget target =
        parser.isSet(u"catalogue"_s) ? ConversionTarget::Catalogue : ConversionTarget::AllTables;
    try {
        const ConversionReport report = convertJetFile(files.at(0), files.at(1), target);
        out << report.text() << Qt::endl;
        return 0;
    } catch (const ConversionError& error) {
        err << error.message() << Qt::endl;
        return 1;
    }
}
