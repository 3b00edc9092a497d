#pragma once

#include <QByteArray>
#include <QFile>
#include <functional>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_file;

// Reading an SQLite database file page by page, beneath SQLite, for the two
// jobs SQLite itself does not do: taking every readable row out of a damaged
// file (whose schema or pages SQLite may refuse), and counting what each
// b-tree of an open file holds. Every read is bounds-checked; a page that is
// not what its parent says it is counts as damaged and is never followed.

// Where the bytes come from.
class PageSource
{
public:
    virtual ~PageSource() = default;
    virtual qint64 size() const = 0;
    // Copies length bytes at offset into `into`; false when they cannot all be read.
    virtual bool read(qint64 offset, char* into, qint64 length) const = 0;
};

// A file no connection holds. It is read, not mapped: a page a failing disk
// cannot give back is then a page left unread, not the end of the program.
class FileSource : public PageSource
{
public:
    explicit FileSource(const QString& path);
    bool isOpen() const { return m_open; }
    qint64 size() const override { return m_size; }
    bool read(qint64 offset, char* into, qint64 length) const override;

private:
    mutable QFile m_file;
    qint64 m_size = 0;
    bool m_open = false;
};

// The main file of an open connection, read through the connection's own file
// handle: a second descriptor on a file SQLite holds locks on would drop those
// locks when it closed.
class ConnectionFileSource : public PageSource
{
public:
    explicit ConnectionFileSource(sqlite3* db);
    qint64 size() const override { return m_size; }
    bool read(qint64 offset, char* into, qint64 length) const override;

private:
    sqlite3_file* m_file = nullptr;
    qint64 m_size = 0;
};

// One value of a record, as stored.
struct StoredValue
{
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes; // text (UTF-8) or blob
};
using StoredRecord = std::vector<StoredValue>;

// The values of a record's payload; nullopt when its header does not describe
// values that fit in it.
std::optional<StoredRecord> decodeRecord(const QByteArray& payload);

enum class PageKind : quint8 { IndexInterior = 2, TableInterior = 5, IndexLeaf = 10, TableLeaf = 13 };

// The bytes of one page, within the block of the file they were read with.
struct PageBytes
{
    QByteArray block;
    qsizetype offset = 0;
    const char* data() const { return block.constData() + offset; }
    bool isEmpty() const { return block.isEmpty(); }
};

// A b-tree page whose header and cell pointers make sense.
struct BtreePage
{
    qint64 number = 0;
    PageKind kind = PageKind::TableLeaf;
    PageBytes bytes;
    quint32 rightChild = 0;       // interior pages
    std::vector<int> cells;       // offsets of the cells whose pointers lie inside the page
    int cellsPointingOutside = 0; // pointers that do not: those cells are lost

    bool isLeaf() const { return kind == PageKind::TableLeaf || kind == PageKind::IndexLeaf; }
    bool isTable() const { return kind == PageKind::TableLeaf || kind == PageKind::TableInterior; }
};

// The pages of one file. The page size comes from the file's header, or,
// when the header is damaged, from the size at which most pages read as
// b-tree pages.
class PageFile
{
public:
    explicit PageFile(const PageSource& source);

    bool headerIntact() const { return m_headerIntact; }
    int pageSize() const { return m_pageSize; }
    int usableSize() const { return m_usableSize; }
    qint64 pageCount() const { return m_pageCount; }
    // A 32-bit field of an intact header (application_id at 68, user_version at 60).
    std::optional<quint32> headerField(int offset) const;

    PageBytes pageBytes(qint64 number) const; // empty when out of range or unreadable
    std::optional<BtreePage> btreePage(qint64 number) const;
    // The payload of the cell at offset of page, overflow pages followed;
    // nullopt when any part of it cannot be read. For table leaves the key
    // is stored in *key.
    std::optional<QByteArray> cellPayload(const BtreePage& page, int offset, qint64* key = nullptr) const;
    // The child page and, on table pages, the key of an interior cell.
    bool interiorCell(const BtreePage& page, int offset, quint32& child, qint64* key = nullptr) const;

    // Every page that reads as a b-tree page, in the file's order, read a
    // large block at a time: the cheapest way to look at every page.
    void forEachBtreePage(const std::function<void(const BtreePage&)>& visit,
                          const std::function<void(qint64 pagesRead)>& progress = {}) const;

    // Whether the file holds SQLite b-tree pages although its header says
    // nothing (its first page destroyed): most of its pages read as such.
    bool looksLikeDatabasePages() const;

private:
    bool readHeader();
    void guessPageSize();
    int validPagesAmongFirst(int pageSize, int pages) const;
    PageBytes readPage(qint64 number, int pageSize, qint64 pageCount) const;
    static std::optional<BtreePage> parse(qint64 number, const PageBytes& bytes, int pageSize,
                                          int usableSize);

    const PageSource& m_source;
    bool m_headerIntact = false;
    int m_pageSize = 4096;
    int m_usableSize = 4096;
    qint64 m_pageCount = 0;
    QByteArray m_header;
};

// What a walk of one b-tree met.
struct TreeWalkStats
{
    qint64 pages = 0;           // b-tree pages read
    qint64 damagedPages = 0;    // pages a parent points to that are no page of this tree
    qint64 unreadableCells = 0; // cells whose payload could not be read
    qint64 entries = 0;         // rows of a table, entries of an index, readable or not
};

// A walk over every page of one b-tree that can be reached from its root
// around damaged pages. A row's key bounds come from the interior cells
// above it: a row outside them was found where no search would look. Pages
// of a kind no callback is given for are only counted.
struct TreeWalk
{
    std::function<void(qint64 key, const QByteArray& payload, bool withinBounds)> tableRow;
    std::function<void(const QByteArray& payload)> indexEntry;
    std::function<void(qint64 pagesSoFar)> progress; // after every page
    qint64 pageLimit = 0;                            // stop after this many pages (0: read all)
};
TreeWalkStats walkTree(const PageFile& file, qint64 root, const TreeWalk& walk);
