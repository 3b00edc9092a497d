#include "reports/author_name_format.h"

#include "common/text_routines.h"

using namespace Qt::StringLiterals;

namespace {

// Blanks only: a tab or line feed kept in a name stays.
QString withoutOuterBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ')
        ++start;
    while (end > start && text[end - 1] == u' ')
        --end;
    return text.sliced(start, end - start);
}

} // namespace

QString FormatAuthorName(const QString& firstName, const QString& lastName)
{
    for (const QString& joiner : {u" & "_s, u" and "_s}) {
        if (firstName.contains(joiner, Qt::CaseSensitive))
            return withoutOuterBlanks(ReplaceText(firstName, joiner, u' ' + lastName + joiner));
    }
    return withoutOuterBlanks(firstName + u' ' + lastName);
}
