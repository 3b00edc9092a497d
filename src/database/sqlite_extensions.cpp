#include "database/sqlite_extensions.h"

#include "database/text_order.h"

#include <QList>
#include <QString>
#include <algorithm>
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

} // namespace

bool jetLikeMatch(QStringView pattern, QStringView value)
{
    return matchElements(compilePattern(foldedCodePoints(pattern)), foldedCodePoints(value));
}

int compareNoCase(const char* left, int leftLength, const char* right, int rightLength)
{
    return TextOrder::sqliteCollation(nullptr, leftLength, left, rightLength, right);
}

int compareNoCase(QStringView left, QStringView right)
{
    return TextOrder::compareUtf16(left.utf16(), size_t(left.size()), right.utf16(), size_t(right.size()));
}

int compareNoCasePrimary(QStringView left, QStringView right)
{
    return TextOrder::compareUtf16Letters(left.utf16(), size_t(left.size()), right.utf16(),
                                          size_t(right.size()));
}

int registerSqliteExtensions(sqlite3* db)
{
    int rc = sqlite3_create_collation(db, TextOrder::CollationName, SQLITE_UTF8, nullptr,
                                      &TextOrder::sqliteCollation);
    if (rc != SQLITE_OK)
        return rc;
    rc =
        sqlite3_create_function(db, JetLikeFunction, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                nullptr, &likeFunction, nullptr, nullptr);
    return rc;
}
