#include "reports/category_count.h"

#include "common/locale_formats.h"
#include "database/forward_recordset.h"

using namespace Qt::StringLiterals;

CategoryCountLines::CategoryCountLines(Database& db)
    : m_db(db),
      m_categories(std::make_unique<ForwardRecordset>(db, u"Select * from Categories order by CatName"_s))
{
}

CategoryCountLines::~CategoryCountLines() = default;

bool CategoryCountLines::next(QStringList& cells)
{
    if (!m_uncategorisedDone) {
        m_uncategorisedDone = true;
        // An empty category is stored as -1; rows written by other tools may
        // hold Null instead.
        const qint32 count = countBooks(u"Select BookID from Books where CatID = -1 or CatID is Null"_s);
        if (count > 0) {
            m_total += count;
            cells = {u"No Category Entered"_s, LocaleFormats::groupedNumber(count)};
            return true;
        }
    }
    if (!m_categories->eof()) {
        const QVariant key = m_categories->value(u"CatID"_s);
        const QString name = m_categories->value(u"CatName"_s).toString();
        const qint32 count = key.isNull() ? 0
                                          : countBooks(u"Select BookID from Books where CatID = "_s +
                                                       QString::number(key.toLongLong()));
        m_categories->moveNext();
        m_total += count;
        cells = {name, LocaleFormats::groupedNumber(count)};
        return true;
    }
    if (m_totalDone)
        return false;
    m_totalDone = true;
    cells = {u"Total Number of Books"_s, LocaleFormats::groupedNumber(m_total)};
    return true;
}

qint32 CategoryCountLines::countBooks(const QString& sql)
{
    ForwardRecordset books(m_db, sql);
    qint32 count = 0;
    for (; !books.eof(); books.moveNext())
        ++count;
    return count;
}

QString quickCountMessage(qint64 books)
{
    return u"You have now entered "_s + QString::number(books) +
           (books == 1 ? u" book in The Quillary Program."_s : u" books in The Quillary Program."_s);
}
