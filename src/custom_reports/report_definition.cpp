#include "custom_reports/report_definition.h"

#include "custom_reports/field_catalogue.h"

ReportDefinition clearedReport(const ReportFields& fields, int widthUnit)
{
    ReportDefinition report;
    report.ProgramKey = fields.programKey;
    report.widthUnit = widthUnit;
    report.MaxSpecID = fields.MaxSpecID;
    report.settings = FieldSettings(fields.MaxSpecID);
    for (const FieldSpecRow& row : fields.rows) {
        if (!report.settings.contains(row.specid))
            continue;
        FieldSetting& setting = report.settings[row.specid];
        setting.ColWidth = float(row.defwidth.value_or(1.0));
        setting.IsCurrencyFlag = row.isCurrency;
    }
    return report;
}
