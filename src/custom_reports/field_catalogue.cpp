#include "custom_reports/field_catalogue.h"

#include "catalogue/catalogue_state.h"
#include "common/shipped_files.h"
#include "database/database.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString candidate(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    const QString path = QDir(folder).filePath(FieldCatalogueFileName);
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

QString locateFieldCatalogue(const QString& dataDir, const QString& programDir)
{
    const QString inDataDir = candidate(dataDir);
    return inDataDir.isEmpty() ? shippedFilePath(FieldCatalogueFileName, programDir) : inDataDir;
}

QString locateFieldCatalogue()
{
    return locateFieldCatalogue(catalogueState().DataDir, programFolder());
}

std::unique_ptr<Database> openFieldCatalogue()
{
    const QString path = locateFieldCatalogue();
    if (path.isEmpty()) {
        const QString expected = catalogueState().DataDir + FieldCatalogueFileName;
        throw DbError(DbErrorNumber::FileNotFound, u"Could not find file '"_s + expected + u"'."_s);
    }
    return Database::open(path, Database::OpenMode::Shared);
}
