#include "catalogue/book_columns.h"

using namespace Qt::StringLiterals;

namespace {

BookColumn column(const QString& name, BookColumnKind kind, const QString& control)
{
    BookColumn described;
    described.name = name;
    described.kind = kind;
    described.control = control;
    return described;
}

BookColumn number(const QString& name, BookColumnKind kind, const QString& control, NumberField field,
                  int maxLength = 0)
{
    BookColumn described = column(name, kind, control);
    described.number = field;
    described.maxLength = maxLength;
    return described;
}

// A new book is fiction, bought new and a paperback until the user says
// otherwise.
BookColumn optionPair(const QString& name, const QString& stem, bool locksWhenEmpty = true)
{
    BookColumn described = column(name, BookColumnKind::OptionPair, stem);
    described.newBookFlag = true;
    described.locksWhenEmpty = locksWhenEmpty;
    return described;
}

std::vector<BookColumn> describeColumns()
{
    using Kind = BookColumnKind;
    std::vector<BookColumn> columns{
        column(u"Title"_s, Kind::Text, u"txtTitle"_s),
        number(u"vol"_s, Kind::WholeNumber, u"txtVol"_s, NumberField::Volume, 4),
        number(u"issue"_s, Kind::WholeNumber, u"txtIssue"_s, NumberField::Issue, 4),
    };
    for (const LookupField field : AllLookupFields) {
        const LookupTable& table = lookupTable(field);
        columns.push_back(column(table.booksColumn, Kind::Lookup, table.comboName));
        columns.back().lookup = field;
    }
    for (BookColumn& described : columns)
        described.inEarlierLayout =
            described.number != NumberField::Volume && described.number != NumberField::Issue &&
            described.lookup != LookupField::Format && described.lookup != LookupField::Series;
    for (BookColumn& described : std::vector<BookColumn>{
             optionPair(u"Fiction"_s, u"optFiction"_s),
             optionPair(u"New"_s, u"optNew"_s),
             optionPair(u"paperback"_s, u"optPaperback"_s, false),
             column(u"ISBN"_s, Kind::Text, u"txtISBN"_s),
             number(u"Year"_s, Kind::WholeNumber, u"txtYear"_s, NumberField::Year, 4),
             number(u"CoverPrice"_s, Kind::Currency, u"txtCoverPrice"_s, NumberField::CoverPrice),
             number(u"BuyPrice"_s, Kind::Currency, u"txtBuyPrice"_s, NumberField::BuyPrice),
             column(u"BuyDate"_s, Kind::Date, u"dcBuyDate"_s),
             column(u"ReadDate"_s, Kind::Date, u"dcReadDate"_s),
             column(u"Read"_s, Kind::Flag, u"chkRead"_s),
             column(u"Notes"_s, Kind::Text, u"txtNotes"_s),
             column(u"OnLoan"_s, Kind::Flag, u"chkOnLoan"_s),
             column(u"LoanedTo"_s, Kind::Text, u"txtLoanedTo"_s),
             column(u"LoanDate"_s, Kind::Date, u"dcLoanDate"_s),
         })
        columns.push_back(std::move(described));
    return columns;
}

} // namespace

const std::vector<BookColumn>& bookColumns()
{
    static const std::vector<BookColumn> columns = describeColumns();
    return columns;
}

const BookColumn& bookColumn(NumberField field)
{
    for (const BookColumn& column : bookColumns())
        if (column.number == field)
            return column;
    Q_UNREACHABLE();
}
