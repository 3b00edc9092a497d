// A seeded sweep of random damages over a small catalogue. Every repair must
// give a catalogue with the whole layout that holds every book a read by key
// of the damaged file still returns, with the same values, and must count
// what it recovered truly.

#include "catalogue/sample_catalogue.h"
#include "catalogue/schema.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/salvage.h"
#include "database/sqlite_extensions.h"
#include "support/file_contents.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <map>
#include <random>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int Books = 160;
constexpr int Cases = 200;
constexpr qsizetype PageSize = 4096;

using Row = QStringList; // the values as text, in the reader's column order

// What a read of one book by its key gives, column by column; empty when
// the read fails or finds nothing.
class KeyReader
{
public:
    KeyReader(const QString& path, bool tolerateDamagedSchema)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK)
            return;
        registerSqliteExtensions(m_db);
        if (tolerateDamagedSchema)
            sqlite3_exec(m_db, "PRAGMA writable_schema = ON", nullptr, nullptr, nullptr);
        // One read transaction for all the reads: no locking and journal check per book.
        sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(m_db, "SELECT * FROM Books WHERE BookID = ?1", -1, &m_read, nullptr);
        for (int column = 0; m_read && column < sqlite3_column_count(m_read); ++column)
            m_columns << QString::fromUtf8(sqlite3_column_name(m_read, column)).toLower();
    }
    ~KeyReader()
    {
        sqlite3_finalize(m_read);
        sqlite3_close(m_db);
    }
    const QStringList& columns() const { return m_columns; }
    Row book(qint64 key)
    {
        Row row;
        if (!m_read)
            return row;
        sqlite3_bind_int64(m_read, 1, key);
        if (sqlite3_step(m_read) == SQLITE_ROW)
            for (int column = 0; column < m_columns.size(); ++column)
                row << valueText(column);
        sqlite3_reset(m_read);
        return row;
    }
    QString title(const Row& row) const
    {
        const qsizetype at = m_columns.indexOf(u"title"_s);
        return at >= 0 && at < row.size() ? row[at] : QString();
    }

private:
    // A number as its value, whichever way it is stored: a column of numeric
    // affinity keeps a whole real as an integer, SQLite stores it as it came.
    QString valueText(int column) const
    {
        switch (sqlite3_column_type(m_read, column)) {
        case SQLITE_NULL:
            return u"<null>"_s;
        case SQLITE_INTEGER:
            return QString::number(sqlite3_column_int64(m_read, column));
        case SQLITE_FLOAT: {
            const double value = sqlite3_column_double(m_read, column);
            if (value == double(qint64(value)))
                return QString::number(qint64(value));
            quint64 bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            return QString::number(bits, 16);
        }
        default:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_read, column)));
        }
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_read = nullptr;
    QStringList m_columns;
};

// One damage, chosen and placed by its seed: bytes overwritten in place, a run
// replaced by one of another length (shifting the rest), pages zeroed, a page
// written where another belongs, scattered bit flips, or the end cut off.
QByteArray damaged(const QByteArray& sample, quint32 seed)
{
    std::mt19937 random(seed);
    const auto between = [&random](qsizetype low, qsizetype high) {
        return std::uniform_int_distribution<qsizetype>(low, high)(random);
    };
    const auto junk = [&](qsizetype length) {
        QByteArray bytes(length, Qt::Uninitialized);
        for (char& byte : bytes)
            byte = char(between(0, 255));
        return bytes;
    };
    QByteArray bytes = sample;
    const qsizetype pages = bytes.size() / PageSize;
    switch (seed % 6) {
    case 0:
        bytes.replace(between(0, bytes.size() - 1), between(1, 500), junk(between(1, 500)));
        break;
    case 1: {
        const qsizetype at = between(0, bytes.size() - 1);
        const qsizetype length = std::min(between(1, 600), bytes.size() - at);
        bytes.replace(at, length, junk(length));
        break;
    }
    case 2: {
        const qsizetype first = between(1, pages - 1);
        const qsizetype count = std::min(between(1, 3), pages - first);
        bytes.replace(first * PageSize, count * PageSize, QByteArray(count * PageSize, '\0'));
        break;
    }
    case 3: {
        const qsizetype from = between(1, pages - 1);
        const qsizetype to = between(1, pages - 1);
        bytes.replace(to * PageSize, PageSize, sample.mid(from * PageSize, PageSize));
        break;
    }
    case 4:
        for (qsizetype flips = between(1, 12); flips > 0; --flips)
            bytes[between(0, bytes.size() - 1)] ^= char(1 << between(0, 7));
        break;
    default:
        bytes.truncate(between(PageSize, bytes.size() - 1));
        break;
    }
    return bytes;
}

QStringList layoutNames(Database& db)
{
    return nativeRows(db, "SELECT type || ' ' || name FROM sqlite_master WHERE sql IS NOT NULL ORDER BY 1");
}

bool passesIntegrityCheck(Database& db)
{
    return nativeRows(db, "PRAGMA integrity_check") == QStringList{u"ok"_s};
}

} // namespace

class TestRepairSweep : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyBookReadableByKeyComesBack();

private:
    QTemporaryDir m_dir;
    QByteArray m_sample;
    std::map<qint64, QString> m_titles; // the sample's books' titles by key
    QStringList m_layout;               // its tables and indexes
};

void TestRepairSweep::initTestCase()
{
    const QString path = m_dir.filePath(u"sample.mdb"_s);
    generateSampleCatalogue(path, SampleOptions{Books, 40, 3, false});
    m_sample = fileBytes(path);
    KeyReader reader(path, false);
    QCOMPARE(reader.columns().size(), 26);
    for (qint64 key = 1; key <= Books; ++key)
        m_titles[key] = reader.title(reader.book(key));
    m_layout = layoutNames(*Database::open(path, Database::OpenMode::Shared));
}

void TestRepairSweep::everyBookReadableByKeyComesBack()
{
    const KnownLayout layout = catalogueLayout();
    qint64 readableInAll = 0;
    qint64 recoveredInAll = 0;
    for (quint32 seed = 1; seed <= Cases; ++seed) {
        const QByteArray bytes = damaged(m_sample, seed);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"Quillary.mdb"_s);
        QVERIFY(writeFile(path, bytes));
        std::map<qint64, Row> readable;
        QStringList readableColumns;
        {
            KeyReader damagedFile(path, true);
            readableColumns = damagedFile.columns();
            for (const auto& [key, title] : m_titles)
                if (const Row row = damagedFile.book(key); damagedFile.title(row) == title)
                    readable[key] = row;
        }
        const QString rebuilt = folder.filePath(u"rebuilt.mdb"_s);
        const SalvageOutcome result = salvageInto(path, rebuilt, layout);
        const QString context = u"seed %1"_s.arg(seed);
        QCOMPARE(fileBytes(path), bytes);
        QVERIFY2(result.written, qPrintable(context));
        auto repaired = Database::open(rebuilt, Database::OpenMode::Shared);
        QVERIFY2(layoutNames(*repaired) == m_layout,
                 qPrintable(context + u": "_s + layoutNames(*repaired).join(u", "_s)));
        QVERIFY2(passesIntegrityCheck(*repaired), qPrintable(context));
        qint64 books = nativeRows(*repaired, "SELECT count(*) FROM Books").first().toLongLong();
        for (const TableRecovery& table : result.tables)
            if (table.table == u"Books")
                QCOMPARE(table.rows, books);
        repaired.reset();

        KeyReader repairedFile(rebuilt, false);
        std::map<qint64, Row> repairedBooks;
        for (const auto& [key, title] : m_titles) {
            repairedBooks[key] = repairedFile.book(key);
            recoveredInAll += repairedFile.title(repairedBooks[key]) == title ? 1 : 0;
        }
        for (const auto& [key, row] : readable) {
            const Row& now = repairedBooks[key];
            QVERIFY2(!now.empty(), qPrintable(context + u"\nbook %1 was readable by key"_s.arg(key)));
            // Compared by name: a column whose name was damaged cannot be.
            for (qsizetype column = 0; column < readableColumns.size(); ++column) {
                const qsizetype at = repairedFile.columns().indexOf(readableColumns[column]);
                QVERIFY2(at < 0 || now[at] == row[column],
                         qPrintable(context + u"\nbook %1, %2: %3 became %4"_s.arg(key).arg(
                                                  readableColumns[column], row[column], now.value(at))));
            }
        }
        readableInAll += qint64(readable.size());
    }
    qInfo("%d damages: %lld books readable by key in the damaged files, %lld recovered whole", Cases,
          readableInAll, recoveredInAll);
    QVERIFY(recoveredInAll >= readableInAll);
}

QTEST_GUILESS_MAIN(TestRepairSweep)
#include "tst_repair_sweep.moc"
