// Builds the field catalogue rptspec.mdb from its readable source:
//   quillary-rptspec SOURCE.csv TARGET.mdb
#include "custom_reports/field_catalogue_source.h"
#include "database/db_error.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: quillary-rptspec SOURCE.csv TARGET.mdb\n";
        return 2;
    }
    const FieldCatalogueSource source = readFieldCatalogueSource(args.at(1));
    if (!source.error.isEmpty()) {
        err << source.error << '\n';
        return 1;
    }
    try {
        writeFieldCatalogue(source.rows, args.at(2));
    } catch (const DbError& error) {
        err << args.at(2) << ": " << error.number() << "  " << error.text() << '\n';
        return 1;
    }
    return 0;
}
