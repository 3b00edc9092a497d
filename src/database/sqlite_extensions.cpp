#include "database/sqlite_extensions.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <array>
#include <sqlite3.h>
#include <vector>

namespace {

// ---- pattern matching ------------------------------------------------------

using CodePoints = std::vector<char32_t>;

CodePoints foldedCodePoints(QStringView text)
{
    const QString folded = text.toString().toCaseFolded();
    const QList<uint> ucs4 = folded.toUcs4();
    return CodePoints(ucs4.begin(), ucs4.end());
}

// One element of a pattern: a literal, any character, a digit, or a set.
struct PatternElement
{
    enum class Kind { Literal, AnyRun, AnyOne, Digit, Set } kind = Kind::Literal;
    char32_t literal = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool matches(char32_t c) const
    {
        switch (kind) {
        case Kind::Literal:
            return c == literal;
        case Kind::AnyOne:
            return true;
        case Kind::Digit:
            return c >= U'0' && c <= U'9';
        case Kind::Set: {
            const bool inSet = std::any_of(ranges.begin(), ranges.end(), [c](const auto& range) {
                return c >= range.first && c <= range.second;
            });
            return inSet != negated;
        }
        case Kind::AnyRun:
            break;
        }
        return false;
    }
};

// Parses "[...]" starting at pattern[i] == '['. Returns false when the
// bracket is never closed, in which case '[' stands for itself.
bool parseSet(const CodePoints& pattern, size_t& i, PatternElement& element)
{
    size_t j = i + 1;
    element.kind = PatternElement::Kind::Set;
    if (j < pattern.size() && pattern[j] == U'!') {
        element.negated = true;
        ++j;
    }
    const size_t first = j;
    while (j < pattern.size() && (pattern[j] != U']' || j == first)) {
        const char32_t low = pattern[j];
        if (j + 2 < pattern.size() && pattern[j + 1] == U'-' && pattern[j + 2] != U']') {
            const char32_t high = pattern[j + 2];
            element.ranges.emplace_back(std::min(low, high), std::max(low, high));
            j += 3;
        } else {
            element.ranges.emplace_back(low, low);
            ++j;
        }
    }
    if (j >= pattern.size())
        return false;
    i = j; // on the closing bracket
    return true;
}

std::vector<PatternElement> compilePattern(const CodePoints& pattern)
{
    std::vector<PatternElement> elements;
    for (size_t i = 0; i < pattern.size(); ++i) {
        PatternElement element;
        switch (pattern[i]) {
        case U'*':
            element.kind = PatternElement::Kind::AnyRun;
            if (!elements.empty() && elements.back().kind == PatternElement::Kind::AnyRun)
                continue;
            break;
        case U'?':
            element.kind = PatternElement::Kind::AnyOne;
            break;
        case U'#':
            element.kind = PatternElement::Kind::Digit;
            break;
        case U'[':
            if (!parseSet(pattern, i, element)) {
                element = PatternElement{};
                element.literal = U'[';
            }
            break;
        default:
            element.literal = pattern[i];
            break;
        }
        elements.push_back(std::move(element));
    }
    return elements;
}

// Greedy matching with one backtrack point per "*": linear in practice and
// never exponential.
bool matchElements(const std::vector<PatternElement>& elements, const CodePoints& value)
{
    size_t p = 0;
    size_t v = 0;
    size_t starElement = size_t(-1);
    size_t starValue = 0;
    while (v < value.size()) {
        if (p < elements.size() && elements[p].kind == PatternElement::Kind::AnyRun) {
            starElement = p++;
            starValue = v;
        } else if (p < elements.size() && elements[p].matches(value[v])) {
            ++p;
            ++v;
        } else if (starElement != size_t(-1)) {
            p = starElement + 1;
            v = ++starValue;
        } else {
            return false;
        }
    }
    while (p < elements.size() && elements[p].kind == PatternElement::Kind::AnyRun)
        ++p;
    return p == elements.size();
}

using CompiledPattern = std::vector<PatternElement>;

// Folds a UTF-8 text; plain ASCII, by far the most common, without a detour
// through QString.
CodePoints foldedUtf8(const char* text, int length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (std::all_of(bytes, bytes + length, [](unsigned char c) { return c < 0x80; })) {
        CodePoints result(static_cast<size_t>(length));
        for (int i = 0; i < length; ++i)
            result[size_t(i)] =
                (bytes[i] >= 'A' && bytes[i] <= 'Z') ? char32_t(bytes[i] + ('a' - 'A')) : bytes[i];
        return result;
    }
    return foldedCodePoints(QString::fromUtf8(text, length));
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc < 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL ||
        sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    // The pattern is usually the same for every row: compile it once per
    // statement.
    auto* pattern = static_cast<CompiledPattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        pattern = new CompiledPattern(compilePattern(foldedUtf8(text, sqlite3_value_bytes(argv[0]))));
        sqlite3_set_auxdata(context, 0, pattern, [](void* p) { delete static_cast<CompiledPattern*>(p); });
        pattern = static_cast<CompiledPattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    const auto* value = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    sqlite3_result_int(context,
                       matchElements(*pattern, foldedUtf8(value, sqlite3_value_bytes(argv[1]))) ? 1 : 0);
}

// ---- collation -------------------------------------------------------------

unsigned char asciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

int sign(int order)
{
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// A text with case and accents folded away: "Éclair" as "eclair".
QString baseLetters(const QString& text)
{
    QString folded = text.toCaseFolded().normalized(QString::NormalizationForm_D);
    folded.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return folded;
}

// The base letter in lower case of each character of the Latin alphabets
// (up to U+024F) that folds to a single one; 0 for the others (ß, combining
// marks, other scripts), which take the full folding. Saves the folding's
// allocations on nearly every comparison of names and titles.
constexpr char16_t QuickBaseLimit = 0x250;

const std::array<char16_t, QuickBaseLimit>& quickBaseTable()
{
    static const std::array<char16_t, QuickBaseLimit> table = [] {
        std::array<char16_t, QuickBaseLimit> bases{};
        for (char16_t c = 0; c < QuickBaseLimit; ++c) {
            const QString base = baseLetters(QString(QChar(c)));
            bases[c] = base.size() == 1 ? base.front().unicode() : u'\0';
        }
        return bases;
    }();
    return table;
}

// The first level of the order without folding whole texts where every
// character has a quick base; otherwise the full folding.
int comparePrimary(QStringView left, QStringView right)
{
    const auto& bases = quickBaseTable();
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = left[i].unicode();
        const char16_t y = right[i].unicode();
        const char16_t bx = x < QuickBaseLimit ? bases[x] : u'\0';
        const char16_t by = y < QuickBaseLimit ? bases[y] : u'\0';
        if (bx == u'\0' || by == u'\0')
            return sign(baseLetters(left.mid(i).toString()).compare(baseLetters(right.mid(i).toString())));
        if (bx != by)
            return bx < by ? -1 : 1;
    }
    const auto quick = [&bases](QStringView rest) {
        return std::all_of(rest.begin(), rest.end(), [&bases](QChar c) {
            return c.unicode() < QuickBaseLimit && bases[c.unicode()] != u'\0';
        });
    };
    if (quick(left.mid(common)) && quick(right.mid(common)))
        return sign(static_cast<int>(left.size() - right.size()));
    return sign(baseLetters(left.mid(common).toString()).compare(baseLetters(right.mid(common).toString())));
}

// Letters first by their base letters, so that "Éclair" sorts among the Es;
// texts equal but for accents then by the accents, "Eclair" before "Éclair",
// which keeps the order total and texts that differ in accents apart. Case
// never counts. Pure ASCII texts order exactly as SQLite's own NOCASE does.
int compareFolded(const QString& left, const QString& right)
{
    if (const int order = comparePrimary(left, right))
        return order;
    // Composed and decomposed accents are the same letter.
    return sign(left.toCaseFolded()
                    .normalized(QString::NormalizationForm_D)
                    .compare(right.toCaseFolded().normalized(QString::NormalizationForm_D)));
}

int noCaseCollation(void*, int leftLength, const void* left, int rightLength, const void* right)
{
    return compareNoCase(static_cast<const char*>(left), leftLength, static_cast<const char*>(right),
                         rightLength);
}

} // namespace

bool jetLikeMatch(QStringView pattern, QStringView value)
{
    return matchElements(compilePattern(foldedCodePoints(pattern)), foldedCodePoints(value));
}

int compareNoCase(const char* left, int leftLength, const char* right, int rightLength)
{
    const auto* a = reinterpret_cast<const unsigned char*>(left);
    const auto* b = reinterpret_cast<const unsigned char*>(right);
    const int common = std::min(leftLength, rightLength);
    int i = 0;
    for (; i < common; ++i) {
        if (a[i] >= 0x80 || b[i] >= 0x80)
            break;
        const unsigned char x = asciiLower(a[i]);
        const unsigned char y = asciiLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i == common) {
        // One text is a prefix of the other, or the common part ends in
        // non-ASCII text that the folded comparison below settles.
        const bool restIsAscii =
            std::all_of(a + i, a + leftLength, [](unsigned char c) { return c < 0x80; }) &&
            std::all_of(b + i, b + rightLength, [](unsigned char c) { return c < 0x80; });
        if (restIsAscii)
            return leftLength == rightLength ? 0 : (leftLength < rightLength ? -1 : 1);
    }
    // The equal ASCII start folds to the same keys on both sides.
    return compareFolded(QString::fromUtf8(left + i, leftLength - i),
                         QString::fromUtf8(right + i, rightLength - i));
}

int compareNoCase(QStringView left, QStringView right)
{
    const qsizetype common = std::min(left.size(), right.size());
    qsizetype i = 0;
    for (; i < common; ++i) {
        const char16_t x = left[i].unicode();
        const char16_t y = right[i].unicode();
        if (x >= 0x80 || y >= 0x80)
            break;
        const unsigned char lx = asciiLower(static_cast<unsigned char>(x));
        const unsigned char ly = asciiLower(static_cast<unsigned char>(y));
        if (lx != ly)
            return lx < ly ? -1 : 1;
    }
    // A text that another begins with sorts first, whatever follows.
    if (i == common)
        return sign(static_cast<int>(left.size() - right.size()));
    return compareFolded(left.mid(i).toString(), right.mid(i).toString());
}

int compareNoCasePrimary(QStringView left, QStringView right)
{
    return comparePrimary(left, right);
}

int registerSqliteExtensions(sqlite3* db)
{
    int rc = sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, &noCaseCollation);
    if (rc != SQLITE_OK)
        return rc;
    rc = sqlite3_create_function(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                 nullptr, &likeFunction, nullptr, nullptr);
    return rc;
}
