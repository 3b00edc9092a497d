// Feeds arbitrary bytes to the report file reader as the file of a designer
// working on "books". Reading must refuse or accept the bytes, never crash,
// hang or read out of bounds; what it accepts must write back and read the same.
#include "custom_reports/report_file.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

FieldSpecRow row(qint16 specid, const QString& desc, qint16 datatype, bool memo = false)
{
    FieldSpecRow field;
    field.specid = specid;
    field.usewith = u"books"_s;
    field.desc = desc;
    field.datatype = datatype;
    field.ismemo = memo;
    field.defwidth = 1.5;
    return field;
}

// One field of each kind, identifiers with a gap, as a real catalogue may have.
class FuzzFieldSource final : public ReportFieldSource
{
public:
    bool isKnownProgramKey(const QString& key) override { return key == u"books"_s || key == u"other"_s; }
    ReportFields fieldsOf(const QString& key) override
    {
        if (key != u"books"_s)
            return ReportFields{key, 2, {row(2, u"Only"_s, 1)}};
        return ReportFields{key,
                            7,
                            {row(3, u"Bought"_s, 3), row(4, u"Fiction"_s, 4), row(6, u"Notes"_s, 1, true),
                             row(2, u"Price"_s, 2), row(7, u"Read At"_s, 5), row(1, u"Title"_s, 1)}};
    }
};

ReportFileReading readFrom(const QByteArray& bytes, ReportFieldSource& source)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readReportFile(buffer, u"books"_s, 0, source);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzFieldSource source;
    const ReportFileReading reading =
        readFrom(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), source);
    if (reading.valid) {
        const ReportFileReading again = readFrom(reportFileBytes(*reading.definition), source);
        if (!again.valid || !(*again.definition == *reading.definition))
            std::abort();
    }
    return 0;
}
