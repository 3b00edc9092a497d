#include "reports/tab_separated_fields.h"

#include <algorithm>

namespace {

// TAB and the characters that end a line.
bool breaksTheLine(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20)
        return u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r';
    return u == 0x85 || u == 0x2028 || u == 0x2029;
}

} // namespace

QString tabSeparatedField(const QString& text)
{
    const auto first = std::find_if(text.cbegin(), text.cend(), breaksTheLine);
    if (first == text.cend())
        return text;
    QString field;
    field.reserve(text.size());
    field.append(QStringView(text.cbegin(), first));
    for (auto at = first; at != text.cend(); ++at) {
        if (!breaksTheLine(*at)) {
            field.append(*at);
            continue;
        }
        field.append(u' ');
        if (*at == u'\r' && at + 1 != text.cend() && at[1] == u'\n')
            ++at;
    }
    return field;
}

void makeTabSeparatedFields(QStringList& fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString& field = fields.at(i);
        if (std::any_of(field.cbegin(), field.cend(), breaksTheLine))
            fields[i] = tabSeparatedField(field);
    }
}
