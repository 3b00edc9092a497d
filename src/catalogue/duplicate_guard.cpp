#include "catalogue/duplicate_guard.h"

#include "catalogue/isbn.h"
#include "catalogue/lookup_tables.h"
#include "common/text_routines.h"
#include "database/native_sql.h"

using namespace Qt::StringLiterals;

namespace {

QString folded(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString plain;
    plain.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_Enclosing &&
            c.category() != QChar::Mark_SpacingCombining)
            plain += c;
    }
    return plain.toCaseFolded().simplified();
}

} // namespace

QString titleAuthorKey(const QString& title, const QString& author)
{
    const QString foldedTitle = folded(title);
    if (foldedTitle.isEmpty())
        return QString();
    const QString comma = u","_s;
    return foldedTitle + QChar(0x1F) + folded(GetField(author, comma, 1)) + QChar(0x1F) +
           folded(GetField(author, comma, 2));
}

DuplicateGuard::DuplicateGuard(Database& db)
{
    const LookupTable& authors = lookupTable(LookupField::Author);
    NativeStatement books(db, (u"SELECT b.BookID, b.ISBN, b.Title, a.%1, a.%2 FROM Books b LEFT JOIN %3 a "
                               u"ON a.%4 = b.%5"_s.arg(authors.nameColumns[0], authors.nameColumns[1],
                                                       authors.table, authors.keyColumn, authors.booksColumn))
                                  .toUtf8());
    while (books.step()) {
        const qint64 key = books.columnInt(0);
        if (const QString isbn = isbnMatchKey(books.columnText(1)); !isbn.isEmpty())
            m_isbns.insert(isbn, key);
        const QString author = books.columnText(3) + u", "_s + books.columnText(4);
        if (const QString titleAuthor = titleAuthorKey(books.columnText(2), author); !titleAuthor.isEmpty())
            m_titlesAndAuthors.insert(titleAuthor, key);
    }
}

std::optional<qint64> DuplicateGuard::match(const QString& isbn, const QString& title,
                                            const QString& author) const
{
    if (const QString key = isbnMatchKey(isbn); !key.isEmpty()) {
        if (const auto found = m_isbns.constFind(key); found != m_isbns.constEnd())
            return found.value();
    }
    if (const QString key = titleAuthorKey(title, author); !key.isEmpty()) {
        if (const auto found = m_titlesAndAuthors.constFind(key); found != m_titlesAndAuthors.constEnd())
            return found.value();
    }
    return std::nullopt;
}
