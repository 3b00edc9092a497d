#include "reports/author_name_format.h"

#include "common/text_routines.h"

#include <string_view>

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

QString AuthorNames::format(QByteArrayView firstName, QByteArrayView lastName)
{
    const std::string_view first(firstName.data(), size_t(firstName.size()));
    const std::string_view last(lastName.data(), size_t(lastName.size()));
    std::string_view joiner;
    for (const std::string_view candidate : {std::string_view(" & "), std::string_view(" and ")}) {
        if (first.find(candidate) != std::string_view::npos) {
            joiner = candidate;
            break;
        }
    }
    m_name.clear();
    if (joiner.empty()) {
        m_name.append(first).append(1, ' ').append(last);
    } else {
        // Every joiner gets the last name before it, as ReplaceText does.
        size_t from = 0;
        for (size_t at = first.find(joiner); at != std::string_view::npos; at = first.find(joiner, from)) {
            m_name.append(first.substr(from, at - from)).append(1, ' ').append(last).append(joiner);
            from = at + joiner.size();
        }
        m_name.append(first.substr(from));
    }
    const size_t start = m_name.find_first_not_of(' ');
    if (start == std::string::npos)
        return QString();
    const size_t end = m_name.find_last_not_of(' ') + 1;
    return QString::fromUtf8(m_name.data() + start, qsizetype(end - start));
}
