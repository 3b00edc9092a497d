#include "reports/book_lists.h"

#include "common/locale_formats.h"
#include "database/forward_recordset.h"
#include "reports/author_name_format.h"
#include "reports/report_document.h"

#include <QDate>
#include <QDateTime>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace BookLists {

namespace {

// Each list word for word: the one-key SQL is split where the key goes.
struct ListText
{
    const char16_t* title;
    const char16_t* format;
    const char16_t* headerRow;
    const char16_t* allSql;
    const char16_t* oneSqlHead;
    const char16_t* oneSqlTail;
};

constexpr ListText Lists[] = {
    {u"Books by Title", u"6000|4320;", u"Title|Author;",
     u"Select Title, FirstName, LastName from Books left join Authors on Books.AuthID = Authors.AuthID "
     u"order by SortTitle, LastName, FirstName",
     u"", u""},
    {u"Books by Author", u"4320|6000;", u"Author|Title;",
     u"Select Title, FirstName, LastName from Books left join Authors on Books.AuthID = Authors.AuthID "
     u"order by LastName, FirstName, SortTitle",
     u"Select Title, FirstName, LastName from Books left join Authors on Books.AuthID = Authors.AuthID "
     u"where Books.AuthID = ",
     u" order by SortTitle"},
    {u"Books by Location", u"2700|3000|4500;", u"Location|Author|Title;",
     u"Select Title, FirstName, LastName, LocName from (Books left join Authors on Books.AuthID = "
     u"Authors.AuthID) left join Locations on Books.LocID = Locations.LocID "
     u"order by LocName, LastName, FirstName, SortTitle",
     u"Select Title, FirstName, LastName, LocName from (Books left join Authors on Books.AuthID = "
     u"Authors.AuthID) left join Locations on Books.LocID = Locations.LocID where Books.LocID = ",
     u" order by LastName, FirstName, SortTitle"},
    {u"Books by Category", u"2700|3000|4500;", u"Category|Author|Title;",
     u"Select Title, FirstName, LastName, CatName from (Books left join Authors on Books.AuthID = "
     u"Authors.AuthID) left join Categories on Books.CatID = Categories.CatID "
     u"order by CatName, LastName, FirstName, SortTitle",
     u"Select Title, FirstName, LastName, CatName from (Books left join Authors on Books.AuthID = "
     u"Authors.AuthID) left join Categories on Books.CatID = Categories.CatID where Books.CatID = ",
     u" order by LastName, FirstName, SortTitle"},
    {u"Books Price List", u"3000|4000|>1440|>1440;", u"Author|Title|Cover Price|Buy Price;",
     u"Select Title, FirstName, LastName, CoverPrice, BuyPrice from Books left join Authors on "
     u"Books.AuthID = Authors.AuthID order by LastName, FirstName, SortTitle",
     u"", u""},
    {u"Read Books", u"4000|5000|1440;", u"Author|Title|ReadDate;",
     u"Select Title, FirstName, LastName, ReadDate from Books left join Authors on Books.AuthID = "
     u"Authors.AuthID where Read order by LastName, FirstName, SortTitle",
     u"", u""},
    {u"Books on Loan", u"2500|3500|2440|1440;", u"Author|Title|Loaned To|Loan Date;",
     u"Select Title, FirstName, LastName, LoanedTo, LoanDate from Books left join Authors on Books.AuthID "
     u"= Authors.AuthID where OnLoan order by LoanedTo, LastName, FirstName, SortTitle",
     u"", u""},
};

constexpr ListText UnreadBooks{
    u"Unread Books",
    u"4000|5000;",
    u"Author|Title;",
    u"Select Title, FirstName, LastName from Books left join Authors on Books.AuthID = Authors.AuthID "
    u"where not Read order by LastName, FirstName, SortTitle",
    u"",
    u""};

} // namespace

QString Definition::sql(qint32 selectedKey) const
{
    if (selectedKey == -1 || oneSqlHead.isEmpty())
        return allSql;
    return oneSqlHead + QString::number(selectedKey) + oneSqlTail;
}

ColumnFormat Definition::columns() const
{
    const ColumnFormat columns = ColumnFormat::parse(format);
    switch (index) {
    case PriceList:
        return columns.withWholeCells({2, 3});
    case ReadOrUnread:
        return columns.withWholeCells({2}); // the read date; the unread list has no third column
    case OnLoan:
        return columns.withWholeCells({3});
    default:
        return columns;
    }
}

Definition definition(int index, bool readSelected)
{
    Definition list;
    list.index = index;
    if (index < 1 || index > Count)
        return list;
    const ListText& text = index == ReadOrUnread && !readSelected ? UnreadBooks : Lists[index - 1];
    list.title = QString::fromUtf16(text.title);
    list.format = QString::fromUtf16(text.format);
    list.headerRow = QString::fromUtf16(text.headerRow);
    list.allSql = QString::fromUtf16(text.allSql);
    list.oneSqlHead = QString::fromUtf16(text.oneSqlHead);
    list.oneSqlTail = QString::fromUtf16(text.oneSqlTail);
    switch (index) {
    case ByAuthor:
        list.selection = SelectionKind::Authors;
        break;
    case ByLocation:
        list.selection = SelectionKind::Locations;
        break;
    case ByCategory:
        list.selection = SelectionKind::Categories;
        break;
    default:
        break;
    }
    list.choice = list.selection          ? Choice::SelectionDialog
                  : index == ReadOrUnread ? Choice::ReadOrUnreadDialog
                                          : Choice::None;
    return list;
}

} // namespace BookLists

BookListLines::BookListLines(Database& db, const BookLists::Definition& list, const QString& sql)
    : m_index(list.index), m_rows(std::make_unique<ForwardRecordset>(db, sql)),
      m_datePattern(QLocale(), LocaleFormats::shortDatePattern())
{
    m_title = m_rows->columnIndex(u"Title"_s);
    m_firstName = m_rows->columnIndex(u"FirstName"_s);
    m_lastName = m_rows->columnIndex(u"LastName"_s);
    switch (m_index) {
    case BookLists::ByLocation:
        m_place = m_rows->columnIndex(u"LocName"_s);
        break;
    case BookLists::ByCategory:
        m_place = m_rows->columnIndex(u"CatName"_s);
        break;
    case BookLists::PriceList:
        m_coverPrice = m_rows->columnIndex(u"CoverPrice"_s);
        m_buyPrice = m_rows->columnIndex(u"BuyPrice"_s);
        break;
    case BookLists::ReadOrUnread:
        m_readVariant = m_rows->fieldCount() > 3;
        if (m_readVariant)
            m_readDate = m_rows->columnIndex(u"ReadDate"_s);
        break;
    case BookLists::OnLoan:
        m_loanedTo = m_rows->columnIndex(u"LoanedTo"_s);
        m_loanDate = m_rows->columnIndex(u"LoanDate"_s);
        break;
    default:
        break;
    }
}

BookListLines::~BookListLines() = default;

bool BookListLines::isEmpty() const
{
    return m_rows->eof();
}

bool BookListLines::next(QStringList& cells)
{
    if (m_rows->eof())
        return false;
    // The list of cells is filled in place: the caller hands the same one
    // back for every line.
    const auto fill = [&cells](std::initializer_list<QString> values) {
        cells.resize(qsizetype(values.size()));
        qsizetype i = 0;
        for (const QString& value : values)
            cells[i++] = value;
    };
    switch (m_index) {
    case BookLists::ByTitle:
        fill({text(m_title), author()});
        break;
    case BookLists::ByAuthor:
        fill({author(), text(m_title)});
        break;
    case BookLists::ByLocation:
    case BookLists::ByCategory:
        fill({text(m_place), author(), text(m_title)});
        break;
    case BookLists::PriceList:
        fill({author(), text(m_title), price(m_coverPrice, m_coverTotal), price(m_buyPrice, m_buyTotal)});
        break;
    case BookLists::ReadOrUnread:
        if (m_readVariant)
            fill({author(), text(m_title), date(m_readDate)});
        else
            fill({author(), text(m_title)});
        break;
    case BookLists::OnLoan:
        fill({author(), text(m_title), text(m_loanedTo), date(m_loanDate)});
        break;
    default:
        cells.clear();
        break;
    }
    m_rows->moveNext();
    return true;
}

void BookListLines::addClosingRows(ReportDocument& document)
{
    if (m_index != BookLists::PriceList)
        return;
    // One wide first column spans author and title.
    static const ColumnFormat totals = ColumnFormat::parse(u"7000|>1440|>1440;").withWholeCells({1, 2});
    document.addRow(
        totals, {u"Totals:"_s, LocaleFormats::currency(m_coverTotal), LocaleFormats::currency(m_buyTotal)});
}

QList<QStringList> BookListLines::closingTextLines()
{
    if (m_index != BookLists::PriceList)
        return {};
    return {
        {QString(), QString(), LocaleFormats::currency(m_coverTotal), LocaleFormats::currency(m_buyTotal)}};
}

QString BookListLines::author() const
{
    return m_authorNames.format(m_rows->utf8(m_firstName), m_rows->utf8(m_lastName));
}

QString BookListLines::text(int column) const
{
    return m_rows->text(column);
}

QString BookListLines::price(int column, double& total) const
{
    const QVariant value = m_rows->value(column);
    if (value.isNull())
        return QString();
    const double amount = value.toDouble();
    total += amount;
    auto cached = m_amounts.constFind(amount);
    if (cached == m_amounts.constEnd())
        cached = m_amounts.insert(amount, LocaleFormats::currency(amount));
    return cached.value();
}

QString BookListLines::date(int column) const
{
    // Keyed by the stored text, so that reading a date (the costly part)
    // happens once per day that occurs.
    const QString stored = m_rows->text(column);
    if (stored.isEmpty())
        return QString();
    auto cached = m_days.constFind(stored);
    if (cached == m_days.constEnd()) {
        // A day is stored as "YYYY-MM-DD"; anything else takes the general way.
        QDate day = stored.size() == 10 ? QDate::fromString(stored, Qt::ISODate) : QDate();
        if (!day.isValid())
            day = m_rows->value(column).toDateTime().date();
        cached = m_days.insert(stored, m_datePattern.format(day));
    }
    return cached.value();
}
