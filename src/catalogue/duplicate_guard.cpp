#include "catalogue/duplicate_guard.h"

#include "catalogue/isbn.h"
#include "catalogue/lookup_tables.h"
#include "common/text_routines.h"
#include "database/native_sql.h"

using namespace Qt::StringLiterals;

namespace {

bool isAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

QString folded(const QString& text)
{
    // Most titles are plain ASCII, which has no accents to drop.
    if (isAscii(text))
        return text.toLower().simplified();
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

namespace {

QByteArray booksWithAuthors(const QString& where)
{
    const LookupTable& authors = lookupTable(LookupField::Author);
    return (u"SELECT b.BookID, b.ISBN, b.Title, a.%1, a.%2 FROM Books b LEFT JOIN %3 a ON a.%4 = b.%5"_s.arg(
                authors.nameColumns[0], authors.nameColumns[1], authors.table, authors.keyColumn,
                authors.booksColumn) +
            where)
        .toUtf8();
}

} // namespace

DuplicateGuard::DuplicateGuard(Database& db) : DuplicateGuard(db, booksWithAuthors(QString()), {}) {}

DuplicateGuard::DuplicateGuard(Database& db, const QByteArray& sql, const QVariantList& parameters)
{
    NativeStatement books(db, sql);
    for (qsizetype i = 0; i < parameters.size(); ++i)
        books.bind(int(i + 1), parameters[i]);
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

std::optional<qint64> findDuplicateBook(Database& db, const QString& isbn, const QString& title,
                                        const QString& author)
{
    // Folding keeps a title's length but for decomposed accents and blanks:
    // a few characters either way cover them.
    const qsizetype length = title.size();
    const DuplicateGuard candidates(
        db,
        booksWithAuthors(
            u" WHERE (?1 AND coalesce(b.ISBN, '') <> '') OR length(b.Title) BETWEEN ?2 AND ?3"_s),
        {!isbnMatchKey(isbn).isEmpty(), qMax<qsizetype>(0, length - 4), length + 4});
    return candidates.match(isbn, title, author);
}
