#include "custom_reports/field_catalogue.h"

#include "catalogue/catalogue_state.h"
#include "custom_reports/field_catalogue_source.h"
#include "database/database.h"
#include "database/recordset.h"

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

QString fieldsOfKeyQuery(const QString& programKey)
{
    QString quoted = programKey;
    quoted.replace(u'\'', u"''"_s);
    return u"Select * from RptSpec where usewith = '"_s + quoted + u"' order by specid"_s;
}

FieldSpecRow readFieldSpec(const Recordset& row)
{
    // A column the file lacks reads as Null, so that a user's own catalogue
    // with fewer columns still serves the readers that do not need them.
    QStringList present;
    for (int i = 0; i < row.fieldCount(); ++i)
        present << row.fieldName(i).toLower();
    const auto value = [&](const QString& column) {
        return present.contains(column.toLower()) ? row.value(column) : QVariant();
    };
    const auto text = [&](const QString& column) { return value(column).toString(); };
    FieldSpecRow field;
    field.specid = qint16(value(u"specid"_s).toInt());
    field.usewith = text(u"usewith"_s);
    field.desc = text(u"Desc"_s);
    field.fieldname = text(u"fieldname"_s);
    field.datatype = qint16(value(u"datatype"_s).toInt());
    field.fileName = text(u"FileName"_s);
    field.linkfield = text(u"linkfield"_s);
    const QVariant memo = value(u"ismemo"_s);
    field.ismemo = memo.isNull() ? std::nullopt : std::optional<bool>(memo.toBool());
    const QVariant width = value(u"defwidth"_s);
    field.defwidth = width.isNull() ? std::nullopt : std::optional<double>(width.toDouble());
    field.isCurrency = value(u"IsCurrency"_s).toBool();
    return field;
}

LinkColumns linkColumns(const QString& linkfield)
{
    const QStringList parts = linkfield.split(u';');
    return {parts.constFirst(), parts.size() == 2 ? parts.at(1) : linkfield};
}
