#include "booklist/quick_filter.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/page_cache.h"
#include "database/text_order.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <sqlite3.h>

namespace {

std::u32string lettersOf(const QString& word)
{
    const QByteArray utf8 = word.toUtf8();
    std::u32string letters;
    TextOrder::appendLettersUtf8(utf8.constData(), std::size_t(utf8.size()), letters);
    return letters;
}

// A statement of the filter's own scan; the filter reads raw UTF-8 so that a
// million notes are never turned into strings.
class Scan
{
public:
    Scan(sqlite3* db, const char* sql)
    {
        const int rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
        if (rc != SQLITE_OK)
            fail(db, rc);
        m_db = db;
    }
    ~Scan() { sqlite3_finalize(m_stmt); }
    Scan(const Scan&) = delete;
    Scan& operator=(const Scan&) = delete;

    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail(m_db, rc);
        return false;
    }
    void bindKey(qint64 key)
    {
        sqlite3_reset(m_stmt);
        sqlite3_bind_int64(m_stmt, 1, key);
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    const char* text(int column, std::size_t& length) const
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        length = std::size_t(sqlite3_column_bytes(m_stmt, column));
        return bytes;
    }

private:
    [[noreturn]] static void fail(sqlite3* db, int rc) { throw nativeError(db, rc); }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace

QuickFilter::QuickFilter(const QString& text)
{
    for (const QString& word : text.split(QChar(u' '), Qt::SkipEmptyParts)) {
        std::u32string letters = lettersOf(word.trimmed());
        if (letters.empty() || std::find(m_words.begin(), m_words.end(), letters) != m_words.end())
            continue;
        if (m_words.size() == std::size_t(MaxWords))
            break;
        m_words.push_back(std::move(letters));
    }
}

quint64 QuickFilter::allWords() const
{
    return m_words.size() >= 64 ? ~quint64(0) : (quint64(1) << m_words.size()) - 1;
}

quint64 QuickFilter::wordsIn(const char* text, std::size_t length) const
{
    if (!text || length == 0)
        return 0;
    m_letters.clear();
    TextOrder::appendLettersUtf8(text, length, m_letters);
    quint64 found = 0;
    for (std::size_t w = 0; w < m_words.size(); ++w)
        if (m_letters.find(m_words[w]) != std::u32string::npos)
            found |= quint64(1) << w;
    return found;
}

namespace {

// The words each row of a lookup table holds, for the rows that hold any.
QHash<qint64, quint64> wordsByLookupKey(const QuickFilter& filter, sqlite3* db, const char* sql, int names)
{
    QHash<qint64, quint64> words;
    Scan rows(db, sql);
    while (rows.step()) {
        quint64 found = 0;
        for (int column = 1; column <= names; ++column) {
            std::size_t length = 0;
            const char* text = rows.text(column, length);
            found |= filter.wordsIn(text, length);
        }
        if (found)
            words.insert(rows.integer(0), found);
    }
    return words;
}

} // namespace

std::vector<qint64> QuickFilter::matchingBooks(Database& db) const
{
    std::vector<qint64> keys;
    sqlite3* handle = db.handle();
    // One pass over every book: its pages are not worth keeping.
    const PageCache::OnePassHold onePass(handle);
    if (isEmpty()) {
        Scan all(handle, "SELECT BookID FROM Books ORDER BY BookID");
        while (all.step())
            keys.push_back(all.integer(0));
        return keys;
    }
    const QHash<qint64, quint64> authors =
        wordsByLookupKey(*this, handle, "SELECT AuthID, LastName, FirstName FROM Authors", 2);
    const QHash<qint64, quint64> series =
        wordsByLookupKey(*this, handle, "SELECT SerID, SerDesc FROM Series", 1);
    const QHash<qint64, quint64> publishers =
        wordsByLookupKey(*this, handle, "SELECT PubID, PubName FROM Publishers", 1);
    const quint64 all = allWords();
    Scan books(handle, "SELECT BookID, AuthID, SerID, PubID, Title, ISBN, Notes FROM Books ORDER BY BookID");
    while (books.step()) {
        quint64 found = authors.value(books.integer(1)) | series.value(books.integer(2)) |
                        publishers.value(books.integer(3));
        for (int column = 4; column <= 6 && found != all; ++column) {
            std::size_t length = 0;
            const char* text = books.text(column, length);
            found |= wordsIn(text, length);
        }
        if (found == all)
            keys.push_back(books.integer(0));
    }
    return keys;
}

bool QuickFilter::narrows(const QuickFilter& wider) const
{
    return std::all_of(wider.m_words.begin(), wider.m_words.end(), [this](const std::u32string& word) {
        return std::any_of(m_words.begin(), m_words.end(), [&word](const std::u32string& mine) {
            return mine.find(word) != std::u32string::npos;
        });
    });
}

std::vector<qint64> QuickFilter::matchingAmong(Database& db, const std::vector<qint64>& candidates) const
{
    if (isEmpty())
        return candidates;
    Scan book(db.handle(),
              "SELECT Books.Title, Books.ISBN, Books.Notes, Authors.LastName, Authors.FirstName, "
              "Series.SerDesc, Publishers.PubName FROM Books "
              "LEFT JOIN Authors ON Authors.AuthID = Books.AuthID "
              "LEFT JOIN Series ON Series.SerID = Books.SerID "
              "LEFT JOIN Publishers ON Publishers.PubID = Books.PubID WHERE Books.BookID = ?");
    const quint64 all = allWords();
    std::vector<qint64> keys;
    for (qint64 key : candidates) {
        book.bindKey(key);
        if (!book.step())
            continue; // deleted since
        quint64 found = 0;
        for (int column = 0; column < 7 && found != all; ++column) {
            std::size_t length = 0;
            const char* text = book.text(column, length);
            found |= wordsIn(text, length);
        }
        if (found == all)
            keys.push_back(key);
    }
    return keys;
}
