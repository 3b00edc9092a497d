#pragma once

#include "reports/report_lines.h"

#include <QString>
#include <memory>

class Database;
class ForwardRecordset;

namespace CategoryCount {
inline const QString Title = QStringLiteral("Book Count by Category");
inline const QString Format = QStringLiteral("6000|4320;");
inline const QString HeaderRow = QStringLiteral("Category|Book Count;");
} // namespace CategoryCount

// The lines of the count by category: "No Category Entered" with the books
// that have none (only when there are any), every category in name order with
// its number of books (empty when none), and "Total Number of Books". Counts
// are in the "###,###" format, so zero shows as the empty text.
class CategoryCountLines final : public ReportLines
{
public:
    explicit CategoryCountLines(Database& db);
    ~CategoryCountLines() override;

    bool next(QStringList& cells) override;

private:
    qint32 countBooks(const QString& sql);

    Database& m_db;
    std::unique_ptr<ForwardRecordset> m_categories;
    bool m_uncategorisedDone = false;
    bool m_totalDone = false;
    qint32 m_total = 0;
};

// The text of the quick count's message for that many books.
QString quickCountMessage(qint64 books);
