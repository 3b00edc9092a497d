// Reading a report file back into a report definition.
#include "custom_reports/report_file.h"

#include "common/locale_formats.h"
#include "common/single_byte_text.h"
#include "custom_reports/report_criteria.h"

#include <QIODevice>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// The lines of a report file one at a time; nothing once the file has ended
// or a line is not one a report file can hold.
class ReportLines
{
public:
    explicit ReportLines(QIODevice& file) : m_file(file) {}

    std::optional<QString> next()
    {
        // Read in pieces, so that a line is never given more memory than it needs.
        constexpr qint64 Piece = 4096;
        QByteArray bytes;
        while (!bytes.endsWith('\n')) {
            const QByteArray piece = m_file.readLine(Piece);
            if (piece.isEmpty())
                break; // the file has ended
            bytes += piece;
            if (bytes.size() > LongestReportFileLine + 2)
                return std::nullopt;
        }
        if (bytes.isEmpty())
            return std::nullopt;
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.size() > LongestReportFileLine)
            return std::nullopt;
        // A file saved by a text editor as UTF-8 may begin with its mark;
        // its lines are then UTF-8 rather than the single-byte set.
        if (m_first && bytes.startsWith(Utf8Mark)) {
            bytes.remove(0, Utf8Mark.size());
            m_utf8 = true;
        }
        m_first = false;
        return m_utf8 ? utf8Text(bytes) : SingleByteText::decodeText(bytes);
    }

private:
    static constexpr QByteArrayView Utf8Mark{"\xEF\xBB\xBF"};

    // As in the single-byte set, a line holds no control character but TAB.
    static std::optional<QString> utf8Text(const QByteArray& bytes)
    {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            return std::nullopt;
        const bool control = std::any_of(text.begin(), text.end(), [](QChar c) {
            return (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F;
        });
        return control ? std::nullopt : std::optional<QString>(text);
    }

    QIODevice& m_file;
    bool m_first = true;
    bool m_utf8 = false;
};

// A whole number of the 16-bit range, written as any number the locale reads
// (blanks allowed) and rounded half to even, as the classic conversion does.
std::optional<int> smallInteger(const QString& text)
{
    const std::optional<double> number = LocaleFormats::toNumber(text);
    if (!number)
        return std::nullopt;
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return int(rounded);
}

std::optional<int> inRange(const QString& text, int lowest, int highest)
{
    const std::optional<int> value = smallInteger(text);
    return value && *value >= lowest && *value <= highest ? value : std::nullopt;
}

std::optional<bool> flagItem(const QString& item)
{
    if (item == u"0"_s)
        return false;
    if (item == u"1"_s)
        return true;
    return std::nullopt;
}

std::optional<QDateTime> serialItem(const QString& item)
{
    const std::optional<double> serial = LocaleFormats::toNumber(item);
    if (!serial)
        return std::nullopt;
    if (*serial == 0)
        return QDateTime();
    const QDateTime value = LocaleFormats::fromSerial(*serial);
    return value.isValid() ? std::optional<QDateTime>(value) : std::nullopt;
}

std::optional<float> widthItem(const QString& item)
{
    return ReportCriteria::columnWidth(item);
}

// Stores item i of a line for every identifier; false when an item is not
// valid for its setting.
template <typename Value>
bool readItems(const QString& line, FieldSettings& settings, std::optional<Value> (*convert)(const QString&),
               Value FieldSetting::*setting)
{
    // Split once: a line may be long, and items past the last are empty.
    const QStringList items = line.split(u';');
    for (int id = 1; id <= settings.count(); ++id) {
        const std::optional<Value> value = convert(items.value(id - 1));
        if (!value)
            return false;
        settings[id].*setting = *value;
    }
    return true;
}

std::optional<QString> textItem(const QString& item)
{
    return item;
}

class Reader
{
public:
    Reader(QIODevice& file, ReportFieldSource& source) : m_lines(file), m_source(source) {}

    ReportFileReading read(const QString& currentKey, int widthUnit)
    {
        ReportFileReading result;
        const std::optional<QString> key = m_lines.next();
        if (!key || !acceptKey(*key, currentKey))
            return result;
        result.fields = m_source.fieldsOf(*key);
        result.definition = clearedReport(result.fields, widthUnit);
        result.valid = readBody(*result.definition, result.fields);
        return result;
    }

private:
    bool acceptKey(const QString& key, const QString& currentKey)
    {
        if (key == currentKey)
            return true;
        return key.size() <= LongestProgramKey && m_source.isKnownProgramKey(key);
    }

    bool readBody(ReportDefinition& report, const ReportFields& fields)
    {
        const std::optional<QString> title = m_lines.next();
        if (!title)
            return false;
        report.title = *title;
        return readOptions(report, int(fields.sortChoices().size())) && readChosenFields(report, fields) &&
               readSettings(report.settings);
    }

    // Lines 3 to 9, each a number within its range.
    bool readOptions(ReportDefinition& report, int sortChoices)
    {
        const int lastSort = report.MaxSpecID - 1;
        const struct
        {
            int lowest;
            int highest;
            int* target;
        } options[] = {
            {1, 3, &report.destination},
            {0, 1, &report.orientation},
            {0, 1, &m_showDate},
            {0, 2, &report.pageNumbers},
            {0, 1, &report.widthUnit},
            {-1, lastSort, &report.primarySort},
            {-1, lastSort, &report.secondarySort},
        };
        for (const auto& option : options) {
            const std::optional<QString> line = m_lines.next();
            const std::optional<int> value =
                line ? inRange(*line, option.lowest, option.highest) : std::nullopt;
            if (!value)
                return false;
            *option.target = *value;
        }
        report.showDate = m_showDate == 1;
        for (int* sort : {&report.primarySort, &report.secondarySort}) {
            if (*sort >= sortChoices)
                *sort = -1;
        }
        return true;
    }

    // Lines 10 and 11: the count, which only has to be a number, and the
    // chosen fields, each taken once and only while the catalogue has it.
    bool readChosenFields(ReportDefinition& report, const ReportFields& fields)
    {
        const std::optional<QString> count = m_lines.next();
        if (!count || !LocaleFormats::isNumeric(*count))
            return false;
        const std::optional<QString> chosen = m_lines.next();
        if (!chosen)
            return false;
        const QStringList items = chosen->isEmpty() ? QStringList() : chosen->split(u';');
        for (const QString& item : items) {
            const std::optional<int> specid = smallInteger(item);
            if (specid && fields.find(qint16(*specid)) && !report.chosenFields.contains(qint16(*specid)))
                report.chosenFields.append(qint16(*specid));
        }
        return true;
    }

    // Lines 12 to 21; line 22 is not read.
    bool readSettings(FieldSettings& settings)
    {
        const auto next = [&](auto convert, auto setting) {
            const std::optional<QString> line = m_lines.next();
            return line && readItems(*line, settings, convert, setting);
        };
        return next(flagItem, &FieldSetting::SelTrue) && next(flagItem, &FieldSetting::SelFalse) &&
               next(textItem, &FieldSetting::StartsWith) && next(serialItem, &FieldSetting::StartValue) &&
               next(serialItem, &FieldSetting::EndValue) && next(textItem, &FieldSetting::LessThan) &&
               next(textItem, &FieldSetting::GreaterThan) && next(widthItem, &FieldSetting::ColWidth) &&
               next(flagItem, &FieldSetting::HideField) && next(flagItem, &FieldSetting::ShowTotal);
    }

    ReportLines m_lines;
    ReportFieldSource& m_source;
    int m_showDate = 1;
};

} // namespace

ReportFileReading readReportFile(QIODevice& file, const QString& currentKey, int widthUnit,
                                 ReportFieldSource& source)
{
    return Reader(file, source).read(currentKey, widthUnit);
}
