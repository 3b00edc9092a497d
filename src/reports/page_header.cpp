#include "reports/page_header.h"

#include "common/locale_formats.h"

using namespace Qt::StringLiterals;

PageHeaderText PageHeaderText::parse(const QString& text)
{
    PageHeaderText header;
    const qsizetype first = text.indexOf(u'|');
    if (first < 0) {
        header.left = text;
        return header;
    }
    header.left = text.left(first);
    const qsizetype second = text.indexOf(u'|', first + 1);
    if (second < 0) {
        header.centre = text.mid(first + 1);
        return header;
    }
    header.centre = text.mid(first + 1, second - first - 1);
    header.right = text.mid(second + 1);
    return header;
}

PageHeaderText PageHeaderText::forPage(int pageNumber) const
{
    const QString number = QString::number(pageNumber);
    auto substitute = [&number](QString part) { return part.replace(u"%d"_s, number); };
    return {substitute(left), substitute(centre), substitute(right)};
}

QString standardPageHeader(const QString& title, const QDate& today)
{
    return LocaleFormats::shortDate(today) + u'|' + title + u"|Page %d"_s;
}
