// Writes a sample catalogue of generated books:
//   quillary-sample --count N [--authors M] [--seed S] [--earlier-layout] DIR
// creates DIR/Quillary.mdb and never replaces an existing one.
#include "catalogue/catalogue_state.h"
#include "catalogue/sample_catalogue.h"
#include "database/db_error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

std::optional<int> positiveNumber(const QCommandLineParser& parser, const QString& option)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    return ok && value > 0 ? std::optional<int>(value) : std::nullopt;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Writes a catalogue of generated books to DIR/Quillary.mdb."_s);
    parser.addHelpOption();
    parser.addOption({u"count"_s, u"Number of books."_s, u"N"_s});
    parser.addOption({u"authors"_s, u"Number of authors (default: one for every five books)."_s, u"M"_s});
    parser.addOption(
        {u"seed"_s, u"Seed; the same seed gives the same catalogue (default 1)."_s, u"S"_s, u"1"_s});
    parser.addOption(
        {u"earlier-layout"_s, u"Write the layout of the earlier version, to try the upgrade."_s});
    parser.addPositionalArgument(u"DIR"_s, u"Folder of the new catalogue."_s);
    parser.process(app);

    const QStringList folders = parser.positionalArguments();
    const std::optional<int> count = positiveNumber(parser, u"count"_s);
    if (folders.size() != 1 || !count) {
        err << "usage: quillary-sample --count N [--authors M] [--seed S] [--earlier-layout] DIR\n";
        return 2;
    }
    SampleOptions options;
    options.books = *count;
    options.earlierLayout = parser.isSet(u"earlier-layout"_s);
    if (parser.isSet(u"authors"_s)) {
        const std::optional<int> authors = positiveNumber(parser, u"authors"_s);
        if (!authors) {
            err << "--authors takes a number above 0\n";
            return 2;
        }
        options.authors = *authors;
    }
    bool seedOk = false;
    options.seed = parser.value(u"seed"_s).toUInt(&seedOk);
    if (!seedOk) {
        err << "--seed takes a whole number from 0 to 4294967295\n";
        return 2;
    }

    const QDir folder(folders.first());
    const QString path = folder.filePath(CatalogueFileName);
    if (QFileInfo::exists(path)) {
        err << path << " already exists; it is left as it is.\n";
        return 1;
    }
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        err << "Could not create the folder " << folder.path() << '\n';
        return 1;
    }
    try {
        generateSampleCatalogue(path, options);
    } catch (const DbError& error) {
        err << path << ": " << error.number() << "  " << error.text() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Wrote " << options.books << " books to " << path << '\n';
    return 0;
}
