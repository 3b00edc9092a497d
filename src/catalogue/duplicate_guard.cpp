#include "catalogue/duplicate_guard.h"

#include "catalogue/isbn.h"
#include "catalogue/lookup_tables.h"
#include "catalogue/sort_title.h"
#include "common/text_routines.h"
#include "database/native_sql.h"
#include "database/text_order.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

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

namespace {

// The ISBNs of the stored books by their match key, kept for the connection
// in a temporary table and brought up to date by temporary triggers at every
// write: a file opened by any other program has none of them.
constexpr char IsbnKeyFunction[] = "quillary_isbn_match_key";

QByteArray keepIsbnKeys()
{
    const QByteArray key = QByteArray(IsbnKeyFunction) + "(NEW.ISBN)";
    const QByteArray insertNew = "  INSERT OR IGNORE INTO quillary_isbn_keys SELECT " + key +
                                 ", NEW.BookID WHERE " + key + " IS NOT NULL;\n";
    const QByteArray deleteOld = "  DELETE FROM quillary_isbn_keys WHERE book = OLD.BookID;\n";
    // Filled in key order and indexed by book after, so that neither tree is
    // written out of order; a text that is no ISBN (Null) is left out.
    return QByteArray(
               "CREATE TEMP TABLE quillary_isbn_keys (key TEXT NOT NULL, book INTEGER NOT NULL, PRIMARY KEY "
               "(key, book)) WITHOUT ROWID;\n"
               "INSERT OR IGNORE INTO temp.quillary_isbn_keys SELECT ") +
           IsbnKeyFunction +
           "(ISBN), BookID FROM main.Books WHERE ISBN <> '' ORDER BY 1, 2;\n"
           "CREATE INDEX temp.quillary_isbn_keys_book ON quillary_isbn_keys (book);\n"
           "CREATE TEMP TRIGGER quillary_isbn_added AFTER INSERT ON main.Books BEGIN\n" +
           insertNew +
           "END;\n"
           "CREATE TEMP TRIGGER quillary_isbn_changed AFTER UPDATE OF ISBN, BookID ON main.Books BEGIN\n" +
           deleteOld + insertNew +
           "END;\n"
           "CREATE TEMP TRIGGER quillary_isbn_deleted AFTER DELETE ON main.Books BEGIN\n" +
           deleteOld + "END;\n";
}

// The first lookup on a connection reads every ISBN once; later ones find
// the table kept.
void ensureIsbnKeys(Database& db)
{
    NativeStatement kept(db, "SELECT 1 FROM temp.sqlite_master WHERE name = 'quillary_isbn_keys'");
    if (kept.step())
        return;
    registerTextFunction(db, IsbnKeyFunction, &isbnMatchKey);
    static const QByteArray install = keepIsbnKeys();
    executeNative(db, "SAVEPOINT quillary_isbn_keys;\n" + install + "RELEASE quillary_isbn_keys;");
}

// The sort titles that may belong to a title equal to this one but for case,
// accents and runs of blanks. The order compares texts by their letters
// without case and accents first, so such titles stand together among those
// that begin with the same first word (plain ASCII letters come before any of
// their accented forms). Where that word goes beyond ASCII the range starts a
// letter earlier, before every text of its letters: wider, never short. A
// title without letters is matched by the order's own equality.
std::optional<std::pair<QString, QString>> sortTitleRange(const QString& sortTitle)
{
    const QByteArray utf8 = sortTitle.toUtf8();
    std::u32string letters;
    TextOrder::appendLettersUtf8(utf8.constData(), std::size_t(utf8.size()), letters);
    letters.erase(std::find(letters.begin(), letters.end(), U' '), letters.end());
    if (letters.empty())
        return std::nullopt;
    const bool ascii = std::all_of(letters.begin(), letters.end(), [](char32_t c) { return c < 0x80; });
    const auto text = [](const std::u32string& codePoints) {
        return QString::fromUcs4(codePoints.data(), qsizetype(codePoints.size()));
    };
    const QString last = text(letters) + QChar(0xFFFF);
    if (!ascii)
        letters.pop_back();
    return std::pair{text(letters), last};
}

} // namespace

std::optional<qint64> findDuplicateBook(Database& db, const QString& isbn, const QString& title,
                                        const QString& author)
{
    const QString isbnKey = isbnMatchKey(isbn);
    if (!isbnKey.isEmpty())
        ensureIsbnKeys(db);
    const QString sortTitle = MakeSortTitle(title.simplified());
    const auto range = sortTitleRange(sortTitle);
    QByteArray sql = booksWithAuthors(range ? u" WHERE b.SortTitle >= ?1 AND b.SortTitle < ?2"_s
                                            : u" WHERE b.SortTitle = ?1 AND ?2 IS NOT NULL"_s);
    if (!isbnKey.isEmpty())
        sql += " UNION " + booksWithAuthors(u" WHERE b.BookID IN (SELECT book FROM temp.quillary_isbn_keys "
                                            u"WHERE key = ?3)"_s);
    QVariantList parameters = range ? QVariantList{range->first, range->second} : QVariantList{sortTitle, 0};
    if (!isbnKey.isEmpty())
        parameters << isbnKey;
    const DuplicateGuard candidates(db, sql, parameters);
    return candidates.match(isbn, title, author);
}
