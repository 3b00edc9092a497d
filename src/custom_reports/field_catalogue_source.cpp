#include "custom_reports/field_catalogue_source.h"

#include "common/safe_file_writer.h"
#include "database/database.h"
#include "database/native_sql.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

const QStringList RequiredColumns{u"specid"_s,   u"usewith"_s,   u"Desc"_s,      u"fieldname"_s,
                                  u"datatype"_s, u"FileName"_s,  u"linkfield"_s, u"ismemo"_s,
                                  u"defwidth"_s, u"IsCurrency"_s};

// Splits one CSV line; quoted values may hold commas and doubled quotes.
std::optional<QStringList> splitCsvLine(const QString& line)
{
    QStringList values;
    QString value;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
                value += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                value += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            values.append(value);
            value.clear();
        } else {
            value += c;
        }
    }
    if (quoted)
        return std::nullopt;
    values.append(value);
    return values;
}

std::optional<bool> parseYesNo(const QString& text, bool* ok)
{
    const QString t = text.trimmed().toLower();
    *ok = true;
    if (t.isEmpty())
        return std::nullopt;
    if (t == u"true"_s || t == u"yes"_s || t == u"1"_s)
        return true;
    if (t == u"false"_s || t == u"no"_s || t == u"0"_s)
        return false;
    *ok = false;
    return std::nullopt;
}

// Converts one line's values; returns the reason when a value is not valid.
QString toRow(const QHash<QString, QString>& v, FieldSpecRow* row)
{
    bool ok = false;
    const int specid = v.value(u"specid"_s).trimmed().toInt(&ok);
    if (!ok || specid < -32768 || specid > 32767)
        return u"specid must be a 16-bit whole number"_s;
    row->specid = qint16(specid);
    row->usewith = v.value(u"usewith"_s);
    row->desc = v.value(u"Desc"_s);
    if (row->desc.isEmpty())
        return u"Desc must not be empty"_s;
    row->fieldname = v.value(u"fieldname"_s);
    const int datatype = v.value(u"datatype"_s).trimmed().toInt(&ok);
    if (!ok || datatype < 1 || datatype > 5)
        return u"datatype must be 1 to 5"_s;
    row->datatype = qint16(datatype);
    row->fileName = v.value(u"FileName"_s);
    row->linkfield = v.value(u"linkfield"_s);
    row->ismemo = parseYesNo(v.value(u"ismemo"_s), &ok);
    if (!ok)
        return u"ismemo must be true, false or empty"_s;
    const QString width = v.value(u"defwidth"_s).trimmed();
    if (!width.isEmpty()) {
        row->defwidth = width.toDouble(&ok);
        if (!ok || *row->defwidth <= 0)
            return u"defwidth must be a positive number or empty"_s;
    }
    const std::optional<bool> currency = parseYesNo(v.value(u"IsCurrency"_s), &ok);
    if (!ok || !currency)
        return u"IsCurrency must be true or false"_s;
    row->isCurrency = *currency;
    return {};
}

constexpr const char* RptSpecTable = R"sql(
CREATE TABLE RptSpec (
    specid SMALLINT NOT NULL,
    usewith TEXT COLLATE QUILLARY,
    "Desc" TEXT COLLATE QUILLARY NOT NULL,
    fieldname TEXT COLLATE QUILLARY,
    datatype SMALLINT NOT NULL,
    FileName TEXT COLLATE QUILLARY,
    linkfield TEXT COLLATE QUILLARY,
    ismemo BOOLEAN,
    defwidth REAL,
    IsCurrency BOOLEAN NOT NULL
);
CREATE UNIQUE INDEX RptSpec_Key ON RptSpec (usewith, specid);
)sql";

QVariant optionalValue(const auto& value)
{
    return value ? QVariant(*value) : QVariant();
}

void fillRptSpec(Database& db, const QList<FieldSpecRow>& rows)
{
    executeNative(db, RptSpecTable);
    NativeStatement insert(db,
                           "INSERT INTO RptSpec (specid, usewith, \"Desc\", fieldname, datatype, FileName, "
                           "linkfield, ismemo, defwidth, IsCurrency) VALUES (?,?,?,?,?,?,?,?,?,?)");
    for (const FieldSpecRow& row : rows) {
        insert.bindInt(1, row.specid);
        insert.bindText(2, row.usewith);
        insert.bindText(3, row.desc);
        insert.bindText(4, row.fieldname);
        insert.bindInt(5, row.datatype);
        insert.bindText(6, row.fileName);
        insert.bindText(7, row.linkfield);
        insert.bind(8, optionalValue(row.ismemo));
        insert.bind(9, optionalValue(row.defwidth));
        insert.bindInt(10, row.isCurrency ? 1 : 0);
        insert.run();
    }
}

} // namespace

FieldCatalogueSource readFieldCatalogueSource(const QString& csvPath)
{
    FieldCatalogueSource source;
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        source.error = csvPath + u": "_s + file.errorString();
        return source;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    const auto fail = [&](qsizetype lineIndex, const QString& why) {
        source.rows.clear();
        source.error = csvPath + u":"_s + QString::number(lineIndex + 1) + u": "_s + why;
        return source;
    };
    const std::optional<QStringList> header = splitCsvLine(lines.value(0).trimmed());
    for (const QString& column : RequiredColumns) {
        if (!header || !header->contains(column))
            return fail(0, u"the header names no column "_s + column);
    }
    QSet<QString> keys;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const std::optional<QStringList> values = splitCsvLine(line);
        if (!values || values->size() != header->size())
            return fail(i, u"expected "_s + QString::number(header->size()) + u" values"_s);
        QHash<QString, QString> byColumn;
        for (qsizetype c = 0; c < header->size(); ++c)
            byColumn.insert(header->at(c), values->at(c));
        FieldSpecRow row;
        if (const QString why = toRow(byColumn, &row); !why.isEmpty())
            return fail(i, why);
        const QString key = row.usewith.toLower() + u'#' + QString::number(row.specid);
        if (keys.contains(key))
            return fail(i, u"specid "_s + QString::number(row.specid) + u" is used twice"_s);
        keys.insert(key);
        source.rows.append(row);
    }
    return source;
}

void writeFieldCatalogue(const QList<FieldSpecRow>& rows, const QString& mdbPath)
{
    const QString partial = temporaryPathBeside(mdbPath);
    try {
        auto db = Database::create(partial);
        db->transaction([&] { fillRptSpec(*db, rows); });
        db->close();
    } catch (const DbError& error) {
        QFile::remove(partial);
        QFile::remove(partial + u"-journal"_s);
        throw writingFile(error, mdbPath);
    }
    // The rename replaces the old file in one step, so readers never see half a catalogue.
    try {
        finishWrittenFile(partial, mdbPath, declaredSqliteFileSize(partial), true);
    } catch (const FileSaveError& error) {
        throw fileSaveDbError(error);
    }
}
