#include "catalogue/author_name.h"

#include "common/blank_trim.h"
#include "common/text_routines.h"

using namespace Qt::StringLiterals;

QString RewriteAuthorName(const QString& name)
{
    // Blanks around the name are dropped before the words are counted: a
    // trailing blank would otherwise count as an empty last word and turn
    // "John Smith " into ", John Smith", an author without a last name.
    const QString words = trimBlanks(name);
    const QString blank = u" "_s;
    const qint16 count = CountFields(words, blank);
    if (words.contains(u',') || count < 2)
        return name;

    // Words are split at every single blank, so two blanks in a row make an
    // empty word; it only leaves an extra blank, which the final trim or the
    // first names absorb.
    QString rewritten = GetField(words, blank, count) + u", "_s;
    for (int i = 1; i < count; ++i)
        rewritten += GetField(words, blank, i) + blank;
    return trimBlanks(rewritten);
}
