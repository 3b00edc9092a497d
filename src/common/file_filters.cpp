#include "common/file_filters.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// "Text Files (*.txt)" without its bracketed patterns: "Text Files".
QString descriptionWithoutPatterns(const QString& description)
{
    const QString trimmed = description.trimmed();
    const qsizetype open = trimmed.lastIndexOf(u'(');
    if (open <= 0 || !trimmed.endsWith(u')'))
        return trimmed;
    return trimmed.left(open).trimmed();
}

QStringList dialogPatterns(const QString& patterns)
{
    QStringList result;
    for (const QString& part : patterns.split(u';', Qt::SkipEmptyParts)) {
        QString pattern = part.trimmed();
        if (pattern == u"*.*"_s)
            pattern = u"*"_s;
        if (!pattern.isEmpty() && !result.contains(pattern))
            result.append(pattern);
    }
    return result;
}

} // namespace

QString dialogFilterList(const QString& filter)
{
    if (!filter.contains(u'|'))
        return filter;
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QStringList patterns = i + 1 < parts.size() ? dialogPatterns(parts[i + 1]) : QStringList();
        if (patterns.isEmpty()) {
            if (!description.trimmed().isEmpty())
                entries.append(description.trimmed());
            continue;
        }
        const QString name = descriptionWithoutPatterns(description);
        const QString shown = u'(' + patterns.join(u' ') + u')';
        entries.append(name.isEmpty() ? shown : name + u' ' + shown);
    }
    return entries.join(u";;"_s);
}
