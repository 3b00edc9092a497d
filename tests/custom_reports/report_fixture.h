#pragma once

// Field catalogue rows for the custom report tests: program key "books" with
// one field of every kind (highest identifier 6), and a second key "journals".

#include "common/single_byte_text.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/report_file.h"

#include <QBuffer>
#include <QStringList>

namespace report_test {

using namespace Qt::StringLiterals;

inline FieldSpecRow fieldRow(qint16 specid, const QString& usewith, const QString& desc, qint16 datatype,
                             std::optional<double> width = std::nullopt, bool memo = false,
                             bool currency = false)
{
    FieldSpecRow row;
    row.specid = specid;
    row.usewith = usewith;
    row.desc = desc;
    row.fieldname = desc;
    row.datatype = datatype;
    row.fileName = u"books"_s;
    row.ismemo = memo;
    row.defwidth = width;
    row.isCurrency = currency;
    return row;
}

// By identifier: 1 text, 2 number (money), 3 date, 4 yes/no, 5 time, 6 long text.
inline QList<FieldSpecRow> catalogueRows()
{
    return {
        fieldRow(1, u"books"_s, u"Title"_s, 1, 3.0),
        fieldRow(2, u"books"_s, u"Price"_s, 2, std::nullopt, false, true),
        fieldRow(3, u"books"_s, u"Bought"_s, 3, 1.0),
        fieldRow(4, u"books"_s, u"Fiction"_s, 4, 0.75),
        fieldRow(5, u"books"_s, u"Read At"_s, 5, 1.25),
        fieldRow(6, u"books;journals"_s, u"Notes"_s, 1, 2.0, true),
        fieldRow(1, u"journals"_s, u"Journal"_s, 1, 2.5),
    };
}

// The rows of one key as the designer reads them: usewith containing the
// key, in name order.
inline ReportFields fieldsOf(const QString& key)
{
    ReportFields fields{key, 0, {}};
    for (const FieldSpecRow& row : catalogueRows()) {
        if (row.usewith.contains(key)) {
            fields.rows.append(row);
            fields.MaxSpecID = qMax(fields.MaxSpecID, row.specid);
        }
    }
    std::sort(fields.rows.begin(), fields.rows.end(), [](const FieldSpecRow& a, const FieldSpecRow& b) {
        return a.desc.compare(b.desc, Qt::CaseInsensitive) < 0;
    });
    return fields;
}

class FixtureFieldSource final : public ReportFieldSource
{
public:
    bool isKnownProgramKey(const QString& key) override { return key == u"books"_s || key == u"journals"_s; }
    ReportFields fieldsOf(const QString& key) override { return report_test::fieldsOf(key); }
};

inline ReportFileReading readBytes(const QByteArray& bytes, const QString& currentKey = u"books"_s)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    FixtureFieldSource source;
    return readReportFile(buffer, currentKey, 0, source);
}

// The lines of a file's bytes, without their CR LF ends.
inline QStringList linesOf(const QByteArray& bytes)
{
    QList<QByteArray> raw = bytes.split('\n');
    raw.removeLast();
    QStringList lines;
    for (const QByteArray& line : raw)
        lines.append(
            SingleByteText::decodeText(line.chopped(line.endsWith('\r') ? 1 : 0)).value_or(u"<not text>"_s));
    return lines;
}

// The bytes of a file with line number (from 1) replaced.
inline QByteArray withLine(const QByteArray& file, int number, const QByteArray& text)
{
    QList<QByteArray> lines = file.split('\n');
    lines[number - 1] = text + '\r';
    return lines.join('\n');
}

} // namespace report_test
