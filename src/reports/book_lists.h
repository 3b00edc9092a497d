#pragma once

#include "reports/author_name_format.h"
#include "reports/column_format.h"
#include "reports/date_pattern.h"
#include "reports/report_lines.h"
#include "reports/report_state.h"

#include <QHash>
#include <QString>
#include <memory>
#include <optional>

class Database;
class ForwardRecordset;

// The seven fixed book lists of the Reports menu, by ReportIndex.
namespace BookLists {

inline constexpr int Count = 7;
inline constexpr int ByTitle = 1;
inline constexpr int ByAuthor = 2;
inline constexpr int ByLocation = 3;
inline constexpr int ByCategory = 4;
inline constexpr int PriceList = 5;
inline constexpr int ReadOrUnread = 6;
inline constexpr int OnLoan = 7;

// What a list asks before it runs.
enum class Choice { None, ReadOrUnreadDialog, SelectionDialog };

struct Definition
{
    int index = 0;
    QString title;     // the page header's centre
    QString format;    // the column format, "6000|4320;"
    QString headerRow; // "Title|Author;"
    QString allSql;
    // Lists restricted to one author, location or category: the SQL is
    // oneSqlHead, the key in decimal, oneSqlTail.
    QString oneSqlHead;
    QString oneSqlTail;
    Choice choice = Choice::None;
    std::optional<SelectionKind> selection;

    // The SQL for a key chosen in frmRptSel (-1: all).
    QString sql(qint32 selectedKey) const;
    // TableHeaderText: the column format followed by the header row.
    QString headerRowString() const { return format + headerRow; }
    // The columns of the list's lines: the format, its prices and dates kept
    // whole.
    ColumnFormat columns() const;
};

// List 6 comes in a read and an unread variant.
Definition definition(int index, bool readSelected = true);

} // namespace BookLists

// The lines of a book list, read from its query: the cells in the list's
// column order, with the author name put together by FormatAuthorName, prices
// in the currency format and dates in the short date format. The price list
// closes with the totals of both price columns.
class BookListLines final : public ReportLines
{
public:
    BookListLines(Database& db, const BookLists::Definition& list, const QString& sql);
    ~BookListLines() override;

    // True when the query found no book.
    bool isEmpty() const;

    bool next(QStringList& cells) override;
    void addClosingRows(ReportDocument& document) override;
    QList<QStringList> closingTextLines() override;

private:
    QString author() const;
    QString text(int column) const;
    QString price(int column, double& total) const;
    QString date(int column) const;

    int m_index;
    std::unique_ptr<ForwardRecordset> m_rows;
    int m_title = -1, m_firstName = -1, m_lastName = -1, m_place = -1;
    int m_coverPrice = -1, m_buyPrice = -1, m_readDate = -1, m_loanedTo = -1, m_loanDate = -1;
    bool m_readVariant = false;
    double m_coverTotal = 0;
    double m_buyTotal = 0;
    // Formatting is the costly part of a line and few amounts and days
    // recur in a catalogue: each is formatted once per run.
    mutable QHash<double, QString> m_amounts;
    mutable QHash<QString, QString> m_days;
    // The locale's short date pattern, read once per list.
    DatePattern m_datePattern;
    mutable AuthorNames m_authorNames;
};
