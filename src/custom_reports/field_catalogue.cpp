#include "custom_reports/field_catalogue.h"

#include "catalogue/catalogue_state.h"
#include "common/shipped_files.h"
#include "custom_reports/field_catalogue_source.h"
#include "database/database.h"
#include "database/recordset.h"

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

// A text between single quotes in the catalogue's SQL dialect.
QString quoted(const QString& text)
{
    return u"'"_s + QString(text).replace(u"'"_s, u"''"_s) + u"'"_s;
}

// The pattern of a like that finds text anywhere: the key's own wildcard
// characters stand for themselves.
QString containsPattern(const QString& text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
            escaped += u'[' + QString(c) + u']';
        else
            escaped += c;
    }
    return quoted(u'*' + escaped + u'*');
}

// The designer knows five kinds of field; any other number is read as text.
FieldSpecRow rowAt(const Recordset& rs)
{
    FieldSpecRow row = readFieldSpec(rs);
    if (row.datatype < 1 || row.datatype > 5)
        row.datatype = 1;
    return row;
}

bool usableSpecId(const QVariant& specid)
{
    bool ok = false;
    const qlonglong id = specid.toLongLong(&ok);
    return ok && !specid.isNull() && id >= 1 && id <= 32767;
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

const FieldSpecRow* ReportFields::find(qint16 specid) const
{
    for (const FieldSpecRow& row : rows) {
        if (row.specid == specid)
            return &row;
    }
    return nullptr;
}

QList<FieldSpecRow> ReportFields::sortChoices() const
{
    QList<FieldSpecRow> choices;
    for (const FieldSpecRow& row : rows) {
        if (!row.ismemo.value_or(true))
            choices.append(row);
    }
    return choices;
}

ReportFields readReportFields(Database& fieldCatalogue, const QString& key)
{
    ReportFields fields;
    fields.programKey = key;
    const QString rowsOfKey = u"Select * from RptSpec where usewith like "_s + containsPattern(key);
    auto bySpecId = fieldCatalogue.openRecordset(rowsOfKey + u" order by specid"_s, RecordsetType::Snapshot);
    if (!bySpecId->eof()) {
        bySpecId->moveLast();
        if (usableSpecId(bySpecId->value(u"specid"_s)))
            fields.MaxSpecID = qint16(bySpecId->value(u"specid"_s).toInt());
    }
    auto byDesc = fieldCatalogue.openRecordset(rowsOfKey + u" order by [desc]"_s, RecordsetType::Snapshot);
    for (; !byDesc->eof(); byDesc->moveNext()) {
        if (usableSpecId(byDesc->value(u"specid"_s)))
            fields.rows.append(rowAt(*byDesc));
    }
    return fields;
}

bool isKnownProgramKey(Database& fieldCatalogue, const QString& key)
{
    auto rows = fieldCatalogue.openRecordset(u"select usewith from rptspec where usewith = "_s + quoted(key),
                                             RecordsetType::Snapshot);
    return !rows->eof();
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
