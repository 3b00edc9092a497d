#include "custom_reports/report_file.h"

#include "common/locale_formats.h"
#include "common/safe_file_writer.h"
#include "common/single_byte_text.h"
#include "custom_reports/report_criteria.h"
#include "database/db_error.h"

#include <QFileInfo>
#include <QIODevice>
#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

QString flag(bool value)
{
    return value ? u"1"_s : u"0"_s;
}

// A sort position as the classic number-to-text conversion writes it, with a
// blank where a sign would go, followed by a blank: " 3 ", "-1 ".
QString sortPositionText(int position)
{
    return (position >= 0 ? u" "_s : QString()) + QString::number(position) + u' ';
}

QString serialText(const QDateTime& value)
{
    return value.isValid() ? LocaleFormats::plainNumber(LocaleFormats::toSerial(value)) : u"0"_s;
}

QString oneLine(const QString& text)
{
    return QString(text).replace(u'\r', u' ').replace(u'\n', u' ');
}

QString perField(const ReportDefinition& report, const std::function<QString(const FieldSetting&)>& item)
{
    QStringList items;
    for (int id = 1; id <= report.settings.count(); ++id)
        items.append(oneLine(item(report.settings[id])));
    return items.join(u';');
}

} // namespace

QStringList reportFileLines(const ReportDefinition& report)
{
    QStringList chosen;
    for (const qint16 specid : report.chosenFields)
        chosen.append(QString::number(specid));
    return {
        oneLine(report.ProgramKey),
        oneLine(report.title),
        QString::number(report.destination),
        QString::number(report.orientation),
        flag(report.showDate),
        QString::number(report.pageNumbers),
        QString::number(report.widthUnit),
        sortPositionText(report.primarySort),
        sortPositionText(report.secondarySort),
        QString::number(report.chosenFields.size()),
        chosen.join(u';'),
        perField(report, [](const FieldSetting& s) { return flag(s.SelTrue); }),
        perField(report, [](const FieldSetting& s) { return flag(s.SelFalse); }),
        perField(report, [](const FieldSetting& s) { return s.StartsWith; }),
        perField(report, [](const FieldSetting& s) { return serialText(s.StartValue); }),
        perField(report, [](const FieldSetting& s) { return serialText(s.EndValue); }),
        perField(report, [](const FieldSetting& s) { return s.LessThan; }),
        perField(report, [](const FieldSetting& s) { return s.GreaterThan; }),
        perField(report, [](const FieldSetting& s) { return ReportCriteria::columnWidthText(s.ColWidth); }),
        perField(report, [](const FieldSetting& s) { return flag(s.HideField); }),
        perField(report, [](const FieldSetting& s) { return flag(s.ShowTotal); }),
        perField(report, [](const FieldSetting& s) { return flag(s.IsCurrencyFlag); }),
    };
}

QByteArray reportFileBytes(const ReportDefinition& report)
{
    QByteArray bytes;
    for (const QString& line : reportFileLines(report))
        bytes += SingleByteText::encode(line) + "\r\n";
    return bytes;
}

void WriteReportFile(const ReportDefinition& report, const QString& path)
{
    try {
        SafeFileWriter file(path);
        file.openOrThrow();
        file.write(reportFileBytes(report));
        file.commit();
    } catch (const FileSaveError& error) {
        throw fileSaveDbError(error);
    }
}

bool CatalogueFieldSource::isKnownProgramKey(const QString& key)
{
    return ::isKnownProgramKey(m_db, key);
}

ReportFields CatalogueFieldSource::fieldsOf(const QString& key)
{
    return readReportFields(m_db, key);
}

QString withReportExtension(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + ReportFileExtension;
}
