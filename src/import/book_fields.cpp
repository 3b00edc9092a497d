#include "import/book_fields.h"

using namespace Qt::StringLiterals;

const std::array<BookFieldInfo, BookFieldCount>& bookFields()
{
    using K = FieldKind;
    using F = BookField;
    static const std::array<BookFieldInfo, BookFieldCount> fields{{
        {F::Title, u"Title"_s, u"Title"_s, K::Text, {u"Book Title"_s, u"Name"_s}},
        {F::Author,
         u"Author (Last, First)"_s,
         u"AuthID"_s,
         K::Lookup,
         {u"Author"_s, u"Authors"_s, u"Author l-f"_s, u"Primary Author"_s, u"Writer"_s, u"By"_s}},
        {F::Category, u"Category"_s, u"CatID"_s, K::Lookup, {u"Genre"_s, u"Subject"_s}},
        {F::Series, u"Series/Magazine Title"_s, u"SerID"_s, K::Lookup, {u"Series"_s, u"Magazine"_s}},
        {F::Volume, u"Volume #"_s, u"Vol"_s, K::WholeNumber, {u"Volume"_s, u"Vol."_s}},
        {F::Issue, u"Issue #"_s, u"Issue"_s, K::WholeNumber, {u"Number"_s}},
        {F::Format, u"Format"_s, u"ForID"_s, K::Lookup, {u"Binding"_s, u"Media"_s, u"Edition"_s}},
        {F::Fiction, u"Fiction"_s, u"Fiction"_s, K::Flag, {}},
        {F::Publisher, u"Publisher"_s, u"PubID"_s, K::Lookup, {u"Publishers"_s}},
        {F::Year,
         u"Year"_s,
         u"Year"_s,
         K::Year,
         {u"Year Published"_s, u"Publication Year"_s, u"Published"_s, u"Date Published"_s}},
        {F::Isbn, u"ISBN"_s, u"ISBN"_s, K::Text, {u"ISBN13"_s, u"ISBN-13"_s, u"ISBN10"_s, u"ISBN-10"_s}},
        {F::CoverPrice, u"Cover Price"_s, u"CoverPrice"_s, K::Price, {u"List Price"_s, u"Price"_s, u"RRP"_s}},
        {F::BuyPrice,
         u"Buy Price"_s,
         u"BuyPrice"_s,
         K::Price,
         {u"Price Paid"_s, u"Purchase Price"_s, u"Paid"_s, u"Cost"_s}},
        {F::BuyDate,
         u"Date Purchased"_s,
         u"BuyDate"_s,
         K::Date,
         {u"Purchase Date"_s, u"Date Bought"_s, u"Acquired"_s, u"Date Acquired"_s,
          u"Original Purchase Date"_s}},
        {F::New, u"New"_s, u"New"_s, K::Flag, {u"Bought New"_s}},
        {F::Paperback, u"Paperback"_s, u"paperback"_s, K::Flag, {}},
        {F::Owner, u"Owner"_s, u"OwnerID"_s, K::Lookup, {u"Owned By"_s}},
        {F::Location, u"Location"_s, u"LocID"_s, K::Lookup, {u"Shelf"_s, u"Place"_s}},
        {F::Read, u"Read"_s, u"Read"_s, K::Flag, {u"Have Read"_s}},
        {F::ReadDate, u"Date Read"_s, u"ReadDate"_s, K::Date, {u"Finished"_s, u"Date Finished"_s}},
        {F::OnLoan, u"On Loan"_s, u"OnLoan"_s, K::Flag, {u"Loaned"_s, u"Lent"_s}},
        {F::LoanDate, u"Loan Date"_s, u"LoanDate"_s, K::Date, {u"Date Loaned"_s, u"Lent On"_s}},
        {F::LoanedTo, u"Loaned To"_s, u"LoanedTo"_s, K::Text, {u"Lent To"_s, u"Borrower"_s}},
        {F::Notes,
         u"Notes"_s,
         u"Notes"_s,
         K::Text,
         {u"Note"_s, u"Comments"_s, u"Comment"_s, u"Private Notes"_s, u"My Review"_s, u"Review"_s}},
    }};
    return fields;
}

const BookFieldInfo& bookField(BookField field)
{
    return bookFields()[size_t(field)];
}

QString foldedHeader(const QString& header)
{
    QString folded;
    folded.reserve(header.size());
    for (const QChar c : header) {
        if (c.isLetterOrNumber())
            folded += c.toLower();
    }
    return folded;
}

std::optional<BookField> fieldForHeader(const QString& header)
{
    const QString wanted = foldedHeader(header);
    if (wanted.isEmpty())
        return std::nullopt;
    for (const BookFieldInfo& info : bookFields()) {
        if (foldedHeader(info.caption) == wanted || foldedHeader(info.column) == wanted)
            return info.field;
    }
    for (const BookFieldInfo& info : bookFields()) {
        for (const QString& alias : info.aliases) {
            if (foldedHeader(alias) == wanted)
                return info.field;
        }
    }
    return std::nullopt;
}
