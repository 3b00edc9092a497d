#include "editor/control_characters.h"

using namespace Qt::StringLiterals;

namespace {

QString characterName(char16_t c)
{
    switch (c) {
    case 0x00:
        return u"NUL"_s;
    case 0x09:
        return u"TAB"_s;
    case 0x0A:
        return u"line break"_s;
    case 0x0D:
        return u"carriage return"_s;
    case 0x1B:
        return u"ESC"_s;
    default:
        return u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0')).toUpper();
    }
}

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

} // namespace

CleanedText withoutControlCharacters(const QString& text, bool keepLineBreaks)
{
    CleanedText cleaned;
    cleaned.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool lineBreak = c == u'\n' || (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n');
        if (!isControl(c) || (keepLineBreaks && lineBreak)) {
            cleaned.text += QChar(c);
            continue;
        }
        const QString name = characterName(c);
        if (!cleaned.removed.contains(name))
            cleaned.removed << name;
    }
    return cleaned;
}

QString controlCharactersRemovedMessage(const QString& fieldName, const QStringList& removed)
{
    return u"The %1 field held characters that cannot be stored (%2); they were removed. Check the text "
           u"before "
           u"you store the book."_s.arg(fieldName, removed.join(u", "_s));
}
