#include "catalogue/sort_title.h"

#include <array>

using namespace Qt::StringLiterals;

QString MakeSortTitle(const QString& title)
{
    // Each prefix is tested once, on what the earlier ones left, so
    // "The A Team" loses both articles but "A A Book" loses only one.
    static const std::array prefixes{u"THE "_s, u"A "_s, u"AN "_s, u"OF "_s};
    QString sortTitle = title.toUpper();
    for (const QString& prefix : prefixes) {
        if (sortTitle.startsWith(prefix))
            sortTitle.remove(0, prefix.size());
    }
    return sortTitle;
}
