#include "import/import_summary.h"

#include <QDir>

using namespace Qt::StringLiterals;

QStringList mappingLines(const ColumnMapping& mapping)
{
    QStringList lines;
    for (const BookFieldInfo& info : bookFields()) {
        QStringList columns;
        for (const int column : mapping[info.field])
            columns.append(mapping.headers.isEmpty() ? u"column %1"_s.arg(column + 1)
                                                     : mapping.headers.value(column));
        if (info.field == BookField::Read && mapping.readShelfColumn >= 0)
            columns.append(mapping.headers.value(mapping.readShelfColumn) + u" (read)"_s);
        lines.append(
            u"%1 <- %2"_s.arg(info.caption, columns.isEmpty() ? u"(nothing)"_s : columns.join(u", "_s)));
    }
    return lines;
}

QStringList planLines(const BookImport& import, const ImportPlan& plan)
{
    const QString delimiter = import.delimiter() == u'\t' ? u"TAB"_s : QString(import.delimiter());
    QStringList lines{
        u"Format: %1 (fields separated by %2)"_s.arg(tableFormatName(import.mapping().format), delimiter),
        u"Encoding: %1"_s.arg(encodingName(import.encoding())), u"Mapping:"_s};
    for (const QString& line : mappingLines(import.mapping()))
        lines.append(u"  "_s + line);
    lines.append(u"Books to add: %1"_s.arg(plan.counts.added));
    lines.append(u"Already in the catalogue (skipped): %1"_s.arg(plan.counts.duplicates));
    lines.append(u"Refused: %1"_s.arg(plan.counts.refused));
    for (const RefusedRow& row : plan.refusals)
        lines.append(u"  line %1: %2"_s.arg(row.line).arg(row.reason));
    if (plan.counts.refused > plan.refusals.size())
        lines.append(u"  ... and %1 more"_s.arg(plan.counts.refused - plan.refusals.size()));
    if (plan.counts.wrongIsbns > 0)
        lines.append(u"ISBNs with a wrong check digit (kept as written): %1"_s.arg(plan.counts.wrongIsbns));
    return lines;
}

QString resultText(const ImportResult& result)
{
    const ImportCounts& counts = result.counts;
    QString text = u"%1 books added, %2 skipped as already present, %3 refused."_s.arg(counts.added)
                       .arg(counts.duplicates)
                       .arg(counts.refused);
    if (!result.refusedFile.isEmpty())
        text += u" The refused rows, with the reason for each, are in '%1'."_s.arg(
            QDir::toNativeSeparators(result.refusedFile));
    return text;
}
