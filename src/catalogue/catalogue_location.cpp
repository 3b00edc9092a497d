#include "catalogue/catalogue_location.h"

#include "catalogue/catalogue_state.h"

#include <QDir>
#include <QFileInfo>

QString catalogueFileIn(const QString& folder)
{
    const QDir dir(folder);
    const QString expected = dir.filePath(CatalogueFileName);
    if (QFileInfo::exists(expected))
        return expected;
    // Several spellings leave no way to tell which one is meant.
    const QStringList spellings = dir.entryList(
        {CatalogueFileName}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    QStringList matches;
    for (const QString& name : spellings)
        if (name.compare(CatalogueFileName, Qt::CaseInsensitive) == 0)
            matches << name;
    return matches.size() == 1 ? dir.filePath(matches.front()) : expected;
}
