// Writes the Unicode data of the program's text order (database/text_order.cpp)
// from Qt's own Unicode tables:
//   quillary-text-order-tables src/database/text_order_tables.inc
// For every code point: what case folding followed by canonical decomposition
// makes of it, and, for every code point that can result, its canonical
// combining class and whether it is a non-spacing mark. The output is kept in
// the source, so that the order of the catalogue's indexes is fixed by the
// source and not by the Qt the program happens to be built with; run this
// only to move the order to a newer Unicode on purpose (and raise the rules
// version recorded in catalogues, so that their indexes are rebuilt).
#include <QChar>
#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QString>
#include <QTextStream>
#include <map>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The code points the tables cover: the first three planes, and the plane-14
// tags and variation selectors; everything else stands for itself.
constexpr char32_t LowSpan = 0x30000;
constexpr char32_t HighFirst = 0xE0000;
constexpr char32_t HighSpan = 0x1000;
constexpr int BlockShift = 5;
constexpr char32_t BlockSize = char32_t(1) << BlockShift;

struct Properties
{
    std::vector<char32_t> units; // empty: the code point stands for itself
    int combiningClass = 0;
    bool mark = false;

    bool operator<(const Properties& other) const
    {
        return std::tie(units, combiningClass, mark) <
               std::tie(other.units, other.combiningClass, other.mark);
    }
};

bool isHangulSyllable(char32_t c)
{
    return c >= 0xAC00 && c <= 0xD7A3;
}

bool isSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

bool isMark(char32_t c)
{
    return QChar::category(c) == QChar::Mark_NonSpacing;
}

std::vector<char32_t> foldedAndDecomposed(char32_t c)
{
    const QList<uint> ucs4 =
        QString::fromUcs4(&c, 1).toCaseFolded().normalized(QString::NormalizationForm_D).toUcs4();
    return std::vector<char32_t>(ucs4.begin(), ucs4.end());
}

// Hangul syllables decompose by formula; the order computes it rather than
// keeping 11,172 entries, so the formula must give exactly what Qt gives.
bool hangulFollowsTheFormula()
{
    for (char32_t s = 0xAC00; s <= 0xD7A3; ++s) {
        const char32_t index = s - 0xAC00;
        std::vector<char32_t> expected{0x1100 + index / 588, 0x1161 + (index % 588) / 28};
        if (index % 28 != 0)
            expected.push_back(0x11A7 + index % 28);
        if (foldedAndDecomposed(s) != expected)
            return false;
        for (char32_t jamo : expected) {
            if (QChar::combiningClass(jamo) != 0 || isMark(jamo) || foldedAndDecomposed(jamo).size() != 1)
                return false;
        }
    }
    return true;
}

// The class and mark flag are kept for code points that stand for
// themselves; the others take those of their units.
Properties propertiesOf(char32_t c)
{
    Properties properties;
    if (!isSurrogate(c) && !isHangulSyllable(c)) {
        const std::vector<char32_t> units = foldedAndDecomposed(c);
        if (units.size() != 1 || units.front() != c) {
            properties.units = units;
            return properties;
        }
    }
    properties.combiningClass = QChar::combiningClass(c);
    properties.mark = isMark(c);
    return properties;
}

QString unicodeVersionText()
{
    switch (QChar::currentUnicodeVersion()) {
    case QChar::Unicode_13_0:
        return u"13.0"_s;
    case QChar::Unicode_14_0:
        return u"14.0"_s;
    default:
        return u"(Qt's enumeration value %1)"_s.arg(int(QChar::currentUnicodeVersion()));
    }
}

// Numbers laid out a few dozen to a line.
class ArrayWriter
{
public:
    explicit ArrayWriter(QTextStream& out) : m_out(out) {}
    void item(const QString& text)
    {
        if (m_lineLength + text.size() + 2 > 100) {
            m_out << "\n   ";
            m_lineLength = 3;
        }
        m_out << ' ' << text << ',';
        m_lineLength += text.size() + 2;
    }

private:
    QTextStream& m_out;
    qsizetype m_lineLength = 100;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (app.arguments().size() != 2) {
        err << "usage: quillary-text-order-tables OUTPUT.inc\n";
        return 2;
    }
    if (!hangulFollowsTheFormula()) {
        err << "Hangul syllables no longer decompose by the formula the order uses\n";
        return 1;
    }

    // Record 0 is what nearly every code point has: itself, a starter, no mark.
    std::map<Properties, int> recordNumbers{{Properties{}, 0}};
    std::vector<const Properties*> records{&recordNumbers.begin()->first};
    std::vector<int> recordOf;
    const auto covered = [](char32_t index) { return index < LowSpan ? index : index - LowSpan + HighFirst; };
    for (char32_t index = 0; index < LowSpan + HighSpan; ++index) {
        const Properties properties = propertiesOf(covered(index));
        for (size_t u = 1; u < properties.units.size(); ++u) {
            // The order takes each code point's units as a whole; a starter
            // after a mark within them would need reordering across them.
            if (QChar::combiningClass(properties.units[u]) == 0 &&
                QChar::combiningClass(properties.units[u - 1]) != 0) {
                err << "U+" << QString::number(uint(covered(index)), 16) << " decomposes out of order\n";
                return 1;
            }
        }
        const auto [it, added] = recordNumbers.emplace(properties, int(records.size()));
        if (added)
            records.push_back(&it->first);
        recordOf.push_back(it->second);
    }
    for (char32_t c = LowSpan; c < 0x110000; ++c) {
        if (c >= HighFirst && c < HighFirst + HighSpan)
            continue;
        const Properties properties = propertiesOf(c);
        if (!properties.units.empty() || properties.combiningClass != 0 || properties.mark) {
            err << "U+" << QString::number(uint(c), 16) << " lies outside the tables\n";
            return 1;
        }
    }

    std::map<std::vector<int>, int> blockNumbers;
    std::vector<const std::vector<int>*> blocks;
    std::vector<int> blockOf;
    for (size_t first = 0; first < recordOf.size(); first += BlockSize) {
        const std::vector<int> block(recordOf.begin() + qsizetype(first),
                                     recordOf.begin() + qsizetype(first + BlockSize));
        const auto [it, added] = blockNumbers.emplace(block, int(blocks.size()));
        if (added)
            blocks.push_back(&it->first);
        blockOf.push_back(it->second);
    }

    QFile file(app.arguments().at(1));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        err << file.fileName() << ": " << file.errorString() << '\n';
        return 1;
    }
    QTextStream out(&file);
    out << "// Generated by tools/text_order_tables.cpp from the Unicode data of Qt " << qVersion()
        << " (Unicode " << unicodeVersionText()
        << "); do not edit.\n"
           "// Case folding then canonical decomposition of every code point, and the\n"
           "// combining class and mark flag of every code point that gives.\n"
           "\n";
    out << "constexpr char UnicodeDataVersion[] = \"" << unicodeVersionText() << "\";\n";
    out << "constexpr char32_t LowSpan = 0x" << QString::number(uint(LowSpan), 16) << ";\n";
    out << "constexpr char32_t HighFirst = 0x" << QString::number(uint(HighFirst), 16) << ";\n";
    out << "constexpr char32_t HighSpan = 0x" << QString::number(uint(HighSpan), 16) << ";\n";
    out << "constexpr int BlockShift = " << BlockShift << ";\n\n";

    out << "constexpr std::uint16_t BlockOf[" << blockOf.size() << "] = {";
    ArrayWriter blockWriter(out);
    for (int block : blockOf)
        blockWriter.item(QString::number(block));
    out << "\n};\n\n";

    out << "constexpr std::uint16_t RecordOf[" << blocks.size() * BlockSize << "] = {";
    ArrayWriter recordWriter(out);
    for (const std::vector<int>* block : blocks) {
        for (int record : *block)
            recordWriter.item(QString::number(record));
    }
    out << "\n};\n\n";

    std::vector<char32_t> units;
    out << "// {first unit, unit count (0: the code point itself), combining class, mark}\n";
    out << "constexpr Record Records[" << records.size() << "] = {";
    ArrayWriter propertyWriter(out);
    for (const Properties* properties : records) {
        propertyWriter.item(u"{%1,%2,%3,%4}"_s.arg(properties->units.empty() ? 0 : units.size())
                                .arg(properties->units.size())
                                .arg(properties->combiningClass)
                                .arg(properties->mark ? 1 : 0));
        units.insert(units.end(), properties->units.begin(), properties->units.end());
    }
    out << "\n};\n\n";

    out << "// {code point, combining class, mark}\n";
    out << "constexpr Unit Units[" << units.size() << "] = {";
    ArrayWriter unitWriter(out);
    for (char32_t unit : units)
        unitWriter.item(u"{0x%1,%2,%3}"_s.arg(QString::number(uint(unit), 16))
                            .arg(QChar::combiningClass(unit))
                            .arg(isMark(unit) ? 1 : 0));
    out << "\n};\n";
    out.flush();
    if (file.error() != QFile::NoError || !file.flush()) {
        err << file.fileName() << ": " << file.errorString() << '\n';
        return 1;
    }
    err << records.size() << " records, " << units.size() << " units, " << blocks.size() << " blocks\n";
    return 0;
}
