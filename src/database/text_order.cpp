#include "database/text_order.h"

#include <cstdint>
#include <vector>

namespace TextOrder {

namespace {

// What case folding and canonical decomposition make of one code point: the
// code point itself (unitCount 0, with its own class and mark flag), or
// unitCount units starting at firstUnit.
struct Record
{
    std::uint16_t firstUnit;
    std::uint8_t unitCount;
    std::uint8_t combiningClass;
    std::uint8_t mark;
};

struct Unit
{
    char32_t codePoint;
    std::uint8_t combiningClass; // 0: a starter, which marks are never moved across
    std::uint8_t mark;           // a non-spacing mark: an accent, dropped at the first level
};

#include "database/text_order_tables.inc"

const Record& recordOf(char32_t c)
{
    std::size_t index = c;
    if (c >= LowSpan) {
        if (c < HighFirst || c >= HighFirst + HighSpan)
            return Records[0];
        index = c - HighFirst + LowSpan;
    }
    constexpr std::size_t InBlock = (std::size_t(1) << BlockShift) - 1;
    return Records[RecordOf[(std::size_t(BlockOf[index >> BlockShift]) << BlockShift) | (index & InBlock)]];
}

// Hangul syllables decompose by formula into two or three jamo.
constexpr char32_t HangulFirst = 0xAC00;
constexpr char32_t HangulLast = 0xD7A3;

bool isHangulSyllable(char32_t c)
{
    return c >= HangulFirst && c <= HangulLast;
}

std::uint8_t firstClassOf(char32_t c)
{
    if (isHangulSyllable(c))
        return 0;
    const Record& record = recordOf(c);
    return record.unitCount == 0 ? record.combiningClass : Units[record.firstUnit].combiningClass;
}

unsigned char asciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Code points in the order of their UTF-16 code units, as the order has
// always compared them: U+E000 to U+FFFF after the supplementary planes.
char32_t utf16Rank(char32_t c)
{
    return (c >= 0xE000 && c <= 0xFFFF) ? c + 0x110000 : c;
}

constexpr char32_t Replacement = 0xFFFD;

// UTF-8 as Qt reads it: a byte that starts no valid sequence (a stray
// continuation, a cut-off, overlong or surrogate sequence, a code point above
// U+10FFFF) reads as U+FFFD on its own, and reading goes on with the next byte.
class Utf8Reader
{
public:
    Utf8Reader(const unsigned char* begin, const unsigned char* end) : m_next(begin), m_end(end) {}

    bool next(char32_t& c)
    {
        if (m_next == m_end)
            return false;
        const unsigned char lead = *m_next;
        if (lead < 0x80) {
            c = lead;
            ++m_next;
        } else {
            c = sequence(lead);
        }
        return true;
    }

private:
    char32_t sequence(unsigned char lead)
    {
        std::ptrdiff_t following = 0;
        char32_t least = 0;
        char32_t value = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            following = 1;
            least = 0x80;
            value = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            following = 2;
            least = 0x800;
            value = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            following = 3;
            least = 0x10000;
            value = lead & 0x07u;
        } else {
            return replacement();
        }
        if (m_end - m_next <= following)
            return replacement();
        for (std::ptrdiff_t k = 1; k <= following; ++k) {
            const unsigned char byte = m_next[k];
            if ((byte & 0xC0u) != 0x80u)
                return replacement();
            value = (value << 6) | (byte & 0x3Fu);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return replacement();
        m_next += following + 1;
        return value;
    }

    char32_t replacement()
    {
        ++m_next;
        return Replacement;
    }

    const unsigned char* m_next;
    const unsigned char* m_end;
};

class Utf16Reader
{
public:
    Utf16Reader(const char16_t* begin, const char16_t* end) : m_next(begin), m_end(end) {}

    bool next(char32_t& c)
    {
        if (m_next == m_end)
            return false;
        const char16_t unit = *m_next++;
        if (unit < 0xD800 || unit > 0xDFFF) {
            c = unit;
        } else if (unit <= 0xDBFF && m_next != m_end && *m_next >= 0xDC00 && *m_next <= 0xDFFF) {
            c = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(*m_next++) - 0xDC00);
        } else {
            c = Replacement;
        }
        return true;
    }

private:
    const char16_t* m_next;
    const char16_t* m_end;
};

// A long run of combining marks outgrows a stream's own buffer; it then
// continues in one of these, kept per thread and per side of the comparison
// so that it is allocated once.
std::vector<Unit>& spillBuffer(int side)
{
    thread_local std::vector<Unit> buffers[2];
    return buffers[side];
}

// The folded and decomposed units of a text in canonical order: each run of
// marks sorted by combining class, as normalization does.
template <typename Reader> class FoldedUnits
{
public:
    FoldedUnits(Reader reader, int side) : m_reader(reader), m_side(side) {}
    FoldedUnits(const FoldedUnits&) = delete;
    FoldedUnits& operator=(const FoldedUnits&) = delete;

    bool next(Unit& unit)
    {
        if (m_taken == m_size && !refill())
            return false;
        unit = m_units[m_taken++];
        return true;
    }

private:
    static constexpr std::size_t InlineCapacity = 32;

    // The units of the next code point, and when they end in a mark, those of
    // every mark that follows: a later mark may belong before an earlier one.
    bool refill()
    {
        m_taken = 0;
        m_size = 0;
        char32_t c = 0;
        if (!m_reader.next(c))
            return false;
        append(c);
        while (m_units[m_size - 1].combiningClass != 0) {
            Reader ahead = m_reader;
            if (!ahead.next(c) || firstClassOf(c) == 0)
                break;
            m_reader = ahead;
            append(c);
        }
        sortTrailingMarks();
        return true;
    }

    void append(char32_t c)
    {
        if (isHangulSyllable(c)) {
            const char32_t index = c - HangulFirst;
            push({0x1100 + index / 588, 0, 0});
            push({0x1161 + (index % 588) / 28, 0, 0});
            if (index % 28 != 0)
                push({0x11A7 + index % 28, 0, 0});
            return;
        }
        const Record& record = recordOf(c);
        if (record.unitCount == 0) {
            push({c, record.combiningClass, record.mark});
            return;
        }
        for (std::size_t k = 0; k < record.unitCount; ++k)
            push(Units[record.firstUnit + k]);
    }

    void push(const Unit& unit)
    {
        if (m_size == m_capacity)
            grow();
        m_units[m_size++] = unit;
    }

    void grow()
    {
        std::vector<Unit>& spill = spillBuffer(m_side);
        if (m_units != spill.data())
            spill.assign(m_units, m_units + m_size);
        if (spill.size() < 2 * m_capacity)
            spill.resize(2 * m_capacity);
        m_units = spill.data();
        m_capacity = spill.size();
    }

    // Units only ever hold marks after their starters, so the marks to order
    // are the run at the end. Runs are short: an insertion sort, which keeps
    // marks of one class in their order.
    void sortTrailingMarks()
    {
        std::size_t first = m_size;
        while (first > 0 && m_units[first - 1].combiningClass != 0)
            --first;
        for (std::size_t i = first + 1; i < m_size; ++i) {
            const Unit unit = m_units[i];
            std::size_t j = i;
            for (; j > first && m_units[j - 1].combiningClass > unit.combiningClass; --j)
                m_units[j] = m_units[j - 1];
            m_units[j] = unit;
        }
    }

    Reader m_reader;
    int m_side;
    Unit m_inline[InlineCapacity];
    Unit* m_units = m_inline;
    std::size_t m_capacity = InlineCapacity;
    std::size_t m_size = 0;
    std::size_t m_taken = 0;
};

// The second level: every folded and decomposed code point.
template <typename Reader> class Folded
{
public:
    Folded(Reader reader, int side) : m_units(reader, side) {}

    bool next(char32_t& c)
    {
        Unit unit;
        if (!m_units.next(unit))
            return false;
        c = unit.codePoint;
        return true;
    }

private:
    FoldedUnits<Reader> m_units;
};

// How the letters without a decomposition are filed: with the letters an
// English reader looks for them under.
const char* filedAs(char32_t c)
{
    if (c < 0xDF || c > 0x153)
        return nullptr;
    switch (c) {
    case 0xDF: // ß
        return "ss";
    case 0xE6: // æ
        return "ae";
    case 0xF8: // ø
        return "o";
    case 0xFE: // þ
        return "th";
    case 0x111: // đ
        return "d";
    case 0x142: // ł
        return "l";
    case 0x153: // œ
        return "oe";
    default:
        return nullptr;
    }
}

// The first level: letters without marks, those above spelled out.
template <typename Reader> class Letters
{
public:
    Letters(Reader reader, int side) : m_units(reader, side) {}

    bool next(char32_t& c)
    {
        if (m_spelled && *m_spelled) {
            c = char32_t(*m_spelled++);
            return true;
        }
        Unit unit;
        do {
            if (!m_units.next(unit))
                return false;
        } while (unit.mark);
        m_spelled = filedAs(unit.codePoint);
        if (m_spelled) {
            c = char32_t(*m_spelled++);
            return true;
        }
        c = unit.codePoint;
        return true;
    }

private:
    FoldedUnits<Reader> m_units;
    const char* m_spelled = nullptr;
};

template <typename Stream> int compareStreams(Stream&& left, Stream&& right)
{
    for (;;) {
        char32_t x = 0;
        char32_t y = 0;
        const bool hasLeft = left.next(x);
        const bool hasRight = right.next(y);
        if (!hasLeft || !hasRight)
            return hasLeft ? 1 : (hasRight ? -1 : 0);
        if (x != y)
            return utf16Rank(x) < utf16Rank(y) ? -1 : 1;
    }
}

template <typename Reader> int compareLetters(Reader left, Reader right)
{
    return compareStreams(Letters<Reader>(left, 0), Letters<Reader>(right, 1));
}

template <typename Reader> int compareWhole(Reader left, Reader right)
{
    if (const int order = compareLetters(left, right))
        return order;
    return compareStreams(Folded<Reader>(left, 0), Folded<Reader>(right, 1));
}

// How far two texts run alike: equal unit for unit but for the case of ASCII
// letters. Both fold and decompose alike up to the last ASCII character in
// that stretch, since an ASCII character starts a code point in any reading
// and no mark is ever moved across it.
struct CommonStart
{
    std::size_t length = 0;   // where the texts first differ, or the shorter one ends
    std::size_t foldFrom = 0; // the last ASCII character before that, or 0
    int order = 0;            // set when an ASCII character decides
};

template <typename Char> CommonStart commonStart(const Char* left, const Char* right, std::size_t common)
{
    CommonStart start;
    for (; start.length < common; ++start.length) {
        const auto x = static_cast<unsigned>(left[start.length]);
        const auto y = static_cast<unsigned>(right[start.length]);
        if (x != y) {
            if ((x | y) >= 0x80)
                break;
            const unsigned char lx = asciiLower(static_cast<unsigned char>(x));
            const unsigned char ly = asciiLower(static_cast<unsigned char>(y));
            if (lx != ly) {
                start.order = lx < ly ? -1 : 1;
                break;
            }
        }
        if (x < 0x80)
            start.foldFrom = start.length;
    }
    return start;
}

// Both levels of two texts: SQLite's NOCASE where the texts are ASCII, the
// folding only from the last ASCII character before they differ otherwise.
template <typename Char, typename Reader>
int compareTexts(const Char* left, std::size_t leftLength, const Char* right, std::size_t rightLength)
{
    const std::size_t common = leftLength < rightLength ? leftLength : rightLength;
    const CommonStart start = commonStart(left, right, common);
    if (start.order != 0)
        return start.order;
    if (start.length == common) {
        if (leftLength == rightLength)
            return 0;
        // A text that another begins with comes first, as long as it ends
        // in a character that nothing following can fold into.
        if (common == 0 || start.foldFrom == common - 1)
            return leftLength < rightLength ? -1 : 1;
    }
    const std::size_t from = start.foldFrom;
    return compareWhole(Reader(left + from, left + leftLength), Reader(right + from, right + rightLength));
}

} // namespace

int compareUtf8(const char* left, std::size_t leftLength, const char* right, std::size_t rightLength)
{
    return compareTexts<unsigned char, Utf8Reader>(reinterpret_cast<const unsigned char*>(left), leftLength,
                                                   reinterpret_cast<const unsigned char*>(right),
                                                   rightLength);
}

int compareUtf16(const char16_t* left, std::size_t leftLength, const char16_t* right, std::size_t rightLength)
{
    return compareTexts<char16_t, Utf16Reader>(left, leftLength, right, rightLength);
}

int compareUtf16Letters(const char16_t* left, std::size_t leftLength, const char16_t* right,
                        std::size_t rightLength)
{
    const CommonStart start = commonStart(left, right, leftLength < rightLength ? leftLength : rightLength);
    if (start.order != 0)
        return start.order;
    // Unlike the whole order, marks alone after a common start add nothing.
    const std::size_t from = start.foldFrom;
    return compareLetters(Utf16Reader(left + from, left + leftLength),
                          Utf16Reader(right + from, right + rightLength));
}

void appendLettersUtf8(const char* text, std::size_t length, std::u32string& letters)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = begin + length;
    const unsigned char* ascii = begin;
    while (ascii != end && *ascii < 0x80)
        letters.push_back(asciiLower(*ascii++));
    if (ascii == end)
        return;
    Letters<Utf8Reader> rest(Utf8Reader(ascii, end), 0);
    for (char32_t c = 0; rest.next(c);)
        letters.push_back(c);
}

int sqliteCollation(void*, int leftLength, const void* left, int rightLength, const void* right)
{
    return compareUtf8(static_cast<const char*>(left), leftLength > 0 ? std::size_t(leftLength) : 0,
                       static_cast<const char*>(right), rightLength > 0 ? std::size_t(rightLength) : 0);
}

const char* unicodeDataVersion()
{
    return UnicodeDataVersion;
}

} // namespace TextOrder
