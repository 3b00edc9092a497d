#include "import/book_row.h"

#include "catalogue/author_name.h"
#include "catalogue/isbn.h"
#include "import/cell_values.h"

#include <QRegularExpression>
#include <type_traits>

using namespace Qt::StringLiterals;

namespace {

QString cellText(const QStringList& cells, int column, TableFormat format, BookField field)
{
    if (column < 0 || column >= cells.size())
        return QString();
    QString text = unwrapFormulaText(cells[column]);
    if (format == TableFormat::OwnExport)
        return text;
    if (format == TableFormat::Goodreads || format == TableFormat::LibraryThing)
        text = decodeHtmlEntities(text);
    text = text.trimmed();
    if (format == TableFormat::LibraryThing) {
        // ISBNs come bracketed, several at times; the publication holds the
        // publisher before the year and the binding.
        if (field == BookField::Isbn) {
            text.remove(u'[').remove(u']');
            text = text.section(u',', 0, 0).trimmed();
        } else if (field == BookField::Publisher) {
            const qsizetype end = text.indexOf(QRegularExpression(u"[(,]"_s));
            text = (end < 0 ? text : text.left(end)).trimmed();
        }
    }
    return text;
}

struct FieldText
{
    QString text;
    QString column; // the header of the column it came from, when there is one
};

// The text of a field: its first column holding one, or for the notes every
// one, a paragraph each.
FieldText fieldText(const QStringList& cells, const ColumnMapping& mapping, BookField field)
{
    FieldText result;
    for (const int column : mapping[field]) {
        const QString cell = cellText(cells, column, mapping.format, field);
        if (cell.isEmpty())
            continue;
        result.column = mapping.headers.value(column);
        if (field != BookField::Notes) {
            result.text = cell;
            break;
        }
        result.text += (result.text.isEmpty() ? QString() : u"\r\n\r\n"_s) + cell;
    }
    return result;
}

// Named as the file names the column, so that the user finds it.
QString refusalText(BookField field, const FieldText& cell, const QString& expected)
{
    const QString name = cell.column.isEmpty() ? bookField(field).caption : cell.column;
    return u"%1: '%2' %3"_s.arg(name, cell.text.left(60), expected);
}

template <typename T, typename Read>
void readField(ImportedBook& book, QString& refusal, BookField field, const FieldText& cell, Read read,
               const QString& expected)
{
    const QString& text = cell.text;
    if (text.isEmpty())
        return;
    if (const std::optional<T> value = read(text)) {
        if constexpr (std::is_same_v<T, qint16> || std::is_same_v<T, qint32>)
            book[field] = int(*value);
        else
            book[field] = QVariant::fromValue(*value);
    } else if (refusal.isEmpty())
        refusal = refusalText(field, cell, expected);
}

bool formatMeansPaperback(const QString& format, bool otherwise)
{
    const QString folded = foldedHeader(format);
    if (folded.contains(u"paperback"_s) || folded.contains(u"softcover"_s))
        return true;
    if (folded.contains(u"hardcover"_s) || folded.contains(u"hardback"_s))
        return false;
    return otherwise;
}

} // namespace

ConvertedRow convertRow(const QStringList& cells, const ColumnMapping& mapping)
{
    ConvertedRow row;
    ImportedBook& book = row.book;
    QString& refusal = row.refusal;
    for (const BookFieldInfo& info : bookFields()) {
        const FieldText cell = fieldText(cells, mapping, info.field);
        const QString& text = cell.text;
        switch (info.kind) {
        case FieldKind::Text:
            book[info.field] = text;
            break;
        case FieldKind::Lookup:
            // The program's own export holds authors as the window shows them.
            book[info.field] = info.field == BookField::Author && mapping.format != TableFormat::OwnExport
                                   ? RewriteAuthorName(text)
                                   : text;
            break;
        case FieldKind::WholeNumber:
            readField<qint32>(book, refusal, info.field, cell, readWholeNumber, u"is not a whole number"_s);
            break;
        case FieldKind::Year:
            readField<qint16>(book, refusal, info.field, cell, readYear, u"is not a year"_s);
            break;
        case FieldKind::Price:
            readField<double>(book, refusal, info.field, cell, readPrice, u"is not an amount"_s);
            break;
        case FieldKind::Date:
            readField<QDate>(book, refusal, info.field, cell, readDate, u"is not a date"_s);
            break;
        case FieldKind::Flag:
            readField<bool>(book, refusal, info.field, cell, readFlag, u"is neither Yes nor No"_s);
            break;
        }
    }
    const auto unset = [&](BookField field) { return book[field].isNull(); };
    if (unset(BookField::Fiction))
        book[BookField::Fiction] = true;
    if (unset(BookField::New))
        book[BookField::New] = true;
    if (unset(BookField::Paperback))
        book[BookField::Paperback] = formatMeansPaperback(book.text(BookField::Format), true);
    if (unset(BookField::Read)) {
        if (mapping.readShelfColumn >= 0)
            book[BookField::Read] = cellText(cells, mapping.readShelfColumn, mapping.format, BookField::Read)
                                        .compare(u"read"_s, Qt::CaseInsensitive) == 0;
        else
            book[BookField::Read] = !unset(BookField::ReadDate);
    }
    if (unset(BookField::OnLoan))
        book[BookField::OnLoan] = !book.text(BookField::LoanedTo).isEmpty();
    book.wrongIsbnCheckDigit = checkIsbn(book.text(BookField::Isbn)) == IsbnCheck::WrongCheckDigit;
    if (book.text(BookField::Title).trimmed().isEmpty())
        refusal = u"no title"_s;
    return row;
}

QString shownValue(BookField field, const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (bookField(field).kind) {
    case FieldKind::Flag:
        return value.toBool() ? u"Yes"_s : u"No"_s;
    case FieldKind::Date:
        return value.toDate().toString(u"yyyy-MM-dd"_s);
    case FieldKind::Price: {
        QString amount = QString::number(value.toDouble(), 'f', 4);
        while (amount.endsWith(u'0'))
            amount.chop(1);
        if (amount.endsWith(u'.'))
            amount.chop(1);
        return amount;
    }
    default:
        return value.toString();
    }
}
