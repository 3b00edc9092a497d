#include "custom_reports/field_catalogue.h"

#include "catalogue/catalogue_state.h"
#include "database/database.h"

#include <QCoreApplication>
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

QString programDir()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

} // namespace

QString locateFieldCatalogue(const QString& dataDir, const QString& programDir)
{
    const QString inDataDir = candidate(dataDir);
    return inDataDir.isEmpty() ? candidate(programDir) : inDataDir;
}

QString locateFieldCatalogue()
{
    return locateFieldCatalogue(catalogueState().DataDir, programDir());
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
