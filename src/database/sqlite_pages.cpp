#include "database/sqlite_pages.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <sqlite3.h>

namespace {

constexpr int FileHeaderSize = 100;
// A whole number of pages of every size.
constexpr qint64 BlockSize = 1024 * 1024;
constexpr int SmallestPage = 512;
constexpr int LargestPage = 65536;

quint32 bigEndian(const char* at, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | quint8(at[i]);
    return value;
}

// A varint of at most nine bytes starting at `at`, never reading at or past
// end; false when it does not end in time.
bool readVarint(const char* at, const char* end, qint64& value, int& length)
{
    quint64 result = 0;
    for (int i = 0; i < 9; ++i) {
        if (at + i >= end)
            return false;
        const quint8 byte = quint8(at[i]);
        if (i == 8) {
            result = result << 8 | byte;
            length = 9;
            value = qint64(result);
            return true;
        }
        result = result << 7 | (byte & 0x7f);
        if (!(byte & 0x80)) {
            length = i + 1;
            value = qint64(result);
            return true;
        }
    }
    return false;
}

// Bytes of the value a serial type describes. The two reserved types take
// none and read as Null, as SQLite reads them.
qint64 serialSize(qint64 type)
{
    static constexpr int Fixed[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, 0, 0};
    if (type < 0)
        return -1;
    if (type < 12)
        return Fixed[type];
    return (type - 12) / 2;
}

qint64 signedInteger(const char* at, int bytes)
{
    qint64 value = qint8(at[0]);
    for (int i = 1; i < bytes; ++i)
        value = value * 256 + quint8(at[i]);
    return value;
}

bool isPowerOfTwoPageSize(int size)
{
    return size >= SmallestPage && size <= LargestPage && (size & (size - 1)) == 0;
}

bool isPageKind(quint8 byte)
{
    return byte == quint8(PageKind::IndexInterior) || byte == quint8(PageKind::TableInterior) ||
           byte == quint8(PageKind::IndexLeaf) || byte == quint8(PageKind::TableLeaf);
}

// How many bytes of a payload of `total` bytes a cell keeps on its page.
qint64 localPayload(qint64 total, int usable, bool tableLeaf)
{
    const qint64 most = tableLeaf ? usable - 35 : (qint64(usable - 12) * 64 / 255) - 23;
    const qint64 least = (qint64(usable - 12) * 32 / 255) - 23;
    if (total <= most)
        return total;
    const qint64 kept = least + (total - least) % (usable - 4);
    return kept <= most ? kept : least;
}

} // namespace

FileSource::FileSource(const QString& path) : m_file(path)
{
    m_open = m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_size = m_open ? m_file.size() : 0;
}

bool FileSource::read(qint64 offset, char* into, qint64 length) const
{
    if (!m_open || offset < 0 || length < 0 || offset > m_size - length)
        return false;
    return m_file.seek(offset) && m_file.read(into, length) == length;
}

ConnectionFileSource::ConnectionFileSource(sqlite3* db)
{
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &m_file) != SQLITE_OK || !m_file ||
        !m_file->pMethods)
        m_file = nullptr;
    sqlite3_int64 size = 0;
    if (m_file && m_file->pMethods->xFileSize(m_file, &size) == SQLITE_OK)
        m_size = size;
}

bool ConnectionFileSource::read(qint64 offset, char* into, qint64 length) const
{
    if (!m_file || offset < 0 || length < 0 || offset > m_size - length || length > INT_MAX)
        return false;
    return m_file->pMethods->xRead(m_file, into, int(length), offset) == SQLITE_OK;
}

std::optional<StoredRecord> decodeRecord(const QByteArray& payload)
{
    const char* begin = payload.constData();
    const char* end = begin + payload.size();
    qint64 headerSize = 0;
    int length = 0;
    if (!readVarint(begin, end, headerSize, length) || headerSize < length || headerSize > payload.size())
        return std::nullopt;
    StoredRecord record;
    const char* type = begin + length;
    const char* headerEnd = begin + headerSize;
    const char* value = headerEnd;
    while (type < headerEnd) {
        qint64 serial = 0;
        if (!readVarint(type, headerEnd, serial, length))
            return std::nullopt;
        type += length;
        const qint64 size = serialSize(serial);
        if (size < 0 || size > end - value)
            return std::nullopt;
        StoredValue stored;
        if (serial == 0 || serial == 10 || serial == 11) {
            stored.kind = StoredValue::Kind::Null;
        } else if (serial <= 6) {
            stored.kind = StoredValue::Kind::Integer;
            stored.integer = signedInteger(value, int(size));
        } else if (serial == 7) {
            stored.kind = StoredValue::Kind::Real;
            const quint64 bits = quint64(bigEndian(value, 4)) << 32 | bigEndian(value + 4, 4);
            std::memcpy(&stored.real, &bits, sizeof bits);
        } else if (serial == 8 || serial == 9) {
            stored.kind = StoredValue::Kind::Integer;
            stored.integer = serial - 8;
        } else {
            stored.kind = serial % 2 ? StoredValue::Kind::Text : StoredValue::Kind::Blob;
            stored.bytes = QByteArray(value, size);
        }
        value += size;
        record.push_back(std::move(stored));
    }
    return record;
}

PageFile::PageFile(const PageSource& source) : m_source(source)
{
    if (!readHeader())
        guessPageSize();
    m_pageCount = (m_source.size() + m_pageSize - 1) / m_pageSize;
}

bool PageFile::readHeader()
{
    m_header = QByteArray(FileHeaderSize, '\0');
    if (!m_source.read(0, m_header.data(), FileHeaderSize) ||
        !m_header.startsWith(QByteArrayView("SQLite format 3\0", 16))) {
        m_header.clear();
        return false;
    }
    const quint32 field = bigEndian(m_header.constData() + 16, 2);
    const int pageSize = field == 1 ? LargestPage : int(field);
    const int reserved = quint8(m_header[20]);
    if (!isPowerOfTwoPageSize(pageSize) || pageSize - reserved < 480) {
        m_header.clear();
        return false;
    }
    m_pageSize = pageSize;
    m_usableSize = pageSize - reserved;
    m_headerIntact = true;
    return true;
}

// The page size at which the pages read best as b-tree pages: the most of
// them, and the largest share of those looked at. A size too small reads the
// middle of pages, whose cell pointers point past its end; a size too large
// finds every other page only.
void PageFile::guessPageSize()
{
    double best = 0;
    for (int size = SmallestPage; size <= LargestPage; size *= 2) {
        const qint64 looked = std::min<qint64>((m_source.size() + size - 1) / size - 1, 256);
        const int valid = validPagesAmongFirst(size, 256);
        const double score = looked > 0 ? double(valid) * valid / double(looked) : 0;
        if (score > best) {
            best = score;
            m_pageSize = size;
        }
    }
    m_usableSize = m_pageSize;
}

int PageFile::validPagesAmongFirst(int pageSize, int pages) const
{
    const qint64 count = (m_source.size() + pageSize - 1) / pageSize;
    int valid = 0;
    for (qint64 page = 2; page <= std::min<qint64>(count, pages + 1); ++page) {
        const PageBytes bytes = readPage(page, pageSize, count);
        const std::optional<BtreePage> parsed =
            bytes.isEmpty() ? std::nullopt : parse(page, bytes, pageSize, pageSize);
        valid += parsed && !parsed->cells.empty() && parsed->cellsPointingOutside == 0 ? 1 : 0;
    }
    return valid;
}

bool PageFile::looksLikeDatabasePages() const
{
    const qint64 checked = std::min<qint64>(m_pageCount - 1, 256);
    if (checked < 2)
        return false;
    int valid = 0;
    for (qint64 page = 2; page <= checked + 1; ++page) {
        const std::optional<BtreePage> parsed = btreePage(page);
        valid += parsed && !parsed->cells.empty() && parsed->cellsPointingOutside == 0 ? 1 : 0;
    }
    return valid >= 2 && valid * 2 >= checked;
}

std::optional<quint32> PageFile::headerField(int offset) const
{
    if (!m_headerIntact || offset < 0 || offset + 4 > FileHeaderSize)
        return std::nullopt;
    return bigEndian(m_header.constData() + offset, 4);
}

PageBytes PageFile::pageBytes(qint64 number) const
{
    return readPage(number, m_pageSize, m_pageCount);
}

PageBytes PageFile::readPage(qint64 number, int pageSize, qint64 pageCount) const
{
    if (number < 1 || number > pageCount)
        return {};
    // A last page cut short reads as SQLite reads it: what is left, then zeros.
    const qint64 offset = (number - 1) * qint64(pageSize);
    const qint64 present = std::min<qint64>(pageSize, m_source.size() - offset);
    QByteArray bytes(pageSize, '\0');
    if (!m_source.read(offset, bytes.data(), present))
        return {};
    return {bytes, 0};
}

void PageFile::forEachBtreePage(const std::function<void(const BtreePage&)>& visit,
                                const std::function<void(qint64 pagesRead)>& progress) const
{
    const qint64 pagesPerBlock = BlockSize / m_pageSize;
    QByteArray block(BlockSize, Qt::Uninitialized);
    for (qint64 first = 1; first <= m_pageCount; first += pagesPerBlock) {
        const qint64 start = (first - 1) * m_pageSize;
        const qint64 present = std::min<qint64>(BlockSize, m_source.size() - start);
        if (present < BlockSize)
            block.fill('\0');
        if (!m_source.read(start, block.data(), present))
            continue;
        for (qint64 page = first; page < first + pagesPerBlock && page <= m_pageCount; ++page) {
            const PageBytes bytes{block, (page - first) * m_pageSize};
            if (const std::optional<BtreePage> parsed = parse(page, bytes, m_pageSize, m_usableSize))
                visit(*parsed);
        }
        if (progress)
            progress(std::min(first + pagesPerBlock - 1, m_pageCount));
    }
}

std::optional<BtreePage> PageFile::btreePage(qint64 number) const
{
    const PageBytes bytes = pageBytes(number);
    if (bytes.isEmpty())
        return std::nullopt;
    return parse(number, bytes, m_pageSize, m_usableSize);
}

std::optional<BtreePage> PageFile::parse(qint64 number, const PageBytes& pageBytes, int pageSize,
                                         int usableSize)
{
    BtreePage page;
    page.number = number;
    page.bytes = pageBytes;
    const int header = number == 1 ? FileHeaderSize : 0;
    const char* bytes = page.bytes.data();
    const quint8 kind = quint8(bytes[header]);
    if (!isPageKind(kind))
        return std::nullopt;
    page.kind = PageKind(kind);
    const int headerSize = page.isLeaf() ? 8 : 12;
    const int cellCount = int(bigEndian(bytes + header + 3, 2));
    const int pointers = header + headerSize;
    const int contentStart = int(bigEndian(bytes + header + 5, 2));
    // Every cell takes at least its pointer and a few bytes: more cells than
    // that, or pointers running into the cell content area, are no page.
    if (pointers + 2 * cellCount > usableSize ||
        (contentStart != 0 && contentStart < pointers + 2 * cellCount))
        return std::nullopt;
    // A child pointer out of range loses that child, not the page.
    if (!page.isLeaf())
        page.rightChild = bigEndian(bytes + header + 8, 4);
    page.cells.reserve(size_t(cellCount));
    const int lowest = pointers + 2 * cellCount;
    for (int i = 0; i < cellCount; ++i) {
        // Read as SQLite reads it: within the page, whatever its high bits say.
        const int offset = int(bigEndian(bytes + pointers + 2 * i, 2)) & (pageSize - 1);
        if (offset < lowest || offset + 4 > usableSize)
            ++page.cellsPointingOutside;
        else
            page.cells.push_back(offset);
    }
    return page;
}

bool PageFile::interiorCell(const BtreePage& page, int offset, quint32& child, qint64* key) const
{
    const char* bytes = page.bytes.data();
    const char* end = bytes + m_usableSize;
    if (page.isLeaf() || offset + 4 > m_usableSize)
        return false;
    child = bigEndian(bytes + offset, 4);
    if (page.isTable() && key) {
        int length = 0;
        if (!readVarint(bytes + offset + 4, end, *key, length))
            return false;
    }
    return true;
}

std::optional<QByteArray> PageFile::cellPayload(const BtreePage& page, int offset, qint64* key) const
{
    if (page.kind == PageKind::TableInterior)
        return std::nullopt;
    const char* bytes = page.bytes.data();
    const char* end = bytes + m_usableSize;
    const char* at = bytes + offset + (page.isLeaf() ? 0 : 4);
    qint64 total = 0;
    int length = 0;
    if (!readVarint(at, end, total, length) || total < 0 || total > 0x7fffffff)
        return std::nullopt;
    at += length;
    if (page.kind == PageKind::TableLeaf) {
        qint64 rowid = 0;
        if (!readVarint(at, end, rowid, length))
            return std::nullopt;
        at += length;
        if (key)
            *key = rowid;
    }
    const qint64 local = localPayload(total, m_usableSize, page.kind == PageKind::TableLeaf);
    if (local > end - at || (local < total && local + 4 > end - at))
        return std::nullopt;
    QByteArray payload(at, local);
    if (local == total)
        return payload;
    // The rest lies on a chain of overflow pages, each beginning with the
    // number of the next. A chain longer than the file is a loop.
    payload.reserve(total);
    quint32 next = bigEndian(at + local, 4);
    for (qint64 hops = 0; payload.size() < total; ++hops) {
        if (next < 2 || next > m_pageCount || hops > m_pageCount)
            return std::nullopt;
        const PageBytes overflow = pageBytes(next);
        if (overflow.isEmpty())
            return std::nullopt;
        const qint64 take = std::min<qint64>(total - payload.size(), m_usableSize - 4);
        payload.append(overflow.data() + 4, take);
        next = bigEndian(overflow.data(), 4);
    }
    return payload;
}

namespace {

// A page still to visit, with the key bounds its parents give it: every key
// below it lies in (low, high].
struct PendingPage
{
    qint64 number;
    bool lowBounded;
    qint64 low;
    bool highBounded;
    qint64 high;
};

// Which cells of a leaf hold their keys in the page's order: the longest run
// of readable cells whose keys rise. A key damaged into another one breaks
// the order; a search by key finds the cell in its place, not the stray.
std::vector<bool> keysInOrder(const std::vector<qint64>& keys,
                              const std::vector<std::optional<QByteArray>>& readable)
{
    // Patience sorting: tails[l] is the cell ending the best rising run of length l + 1.
    std::vector<size_t> tails;
    std::vector<std::ptrdiff_t> before(keys.size(), -1);
    for (size_t cell = 0; cell < keys.size(); ++cell) {
        if (!readable[cell])
            continue;
        const auto place = std::lower_bound(tails.begin(), tails.end(), keys[cell],
                                            [&keys](size_t other, qint64 key) { return keys[other] < key; });
        if (place != tails.begin())
            before[cell] = std::ptrdiff_t(*(place - 1));
        if (place == tails.end())
            tails.push_back(cell);
        else
            *place = cell;
    }
    std::vector<bool> inOrder(keys.size(), false);
    for (std::ptrdiff_t cell = tails.empty() ? -1 : std::ptrdiff_t(tails.back()); cell >= 0;
         cell = before[size_t(cell)])
        inOrder[size_t(cell)] = true;
    return inOrder;
}

} // namespace

TreeWalkStats walkTree(const PageFile& file, qint64 root, const TreeWalk& walk)
{
    TreeWalkStats stats;
    std::vector<bool> visited(size_t(std::max<qint64>(file.pageCount() + 1, 1)), false);
    std::vector<PendingPage> pending{{root, false, 0, false, 0}};
    std::optional<bool> tableTree;
    while (!pending.empty() && (walk.pageLimit == 0 || stats.pages < walk.pageLimit)) {
        const PendingPage at = pending.back();
        pending.pop_back();
        if (at.number < 1 || at.number > file.pageCount() || visited[size_t(at.number)]) {
            ++stats.damagedPages;
            continue;
        }
        visited[size_t(at.number)] = true;
        const std::optional<BtreePage> page = file.btreePage(at.number);
        // Every page of a tree is of the tree's kind, table or index.
        if (!page || (tableTree && *tableTree != page->isTable())) {
            ++stats.damagedPages;
            continue;
        }
        tableTree = page->isTable();
        ++stats.pages;
        stats.unreadableCells += page->cellsPointingOutside;
        if (walk.progress)
            walk.progress(stats.pages);
        if (page->kind == PageKind::TableInterior) {
            // Children are pushed last first, so that rows come in key order.
            std::vector<PendingPage> children;
            bool lowBounded = at.lowBounded;
            qint64 low = at.low;
            for (const int offset : page->cells) {
                quint32 child = 0;
                qint64 key = 0;
                if (!file.interiorCell(*page, offset, child, &key)) {
                    ++stats.damagedPages;
                    continue;
                }
                children.push_back({child, lowBounded, low, true, key});
                lowBounded = true;
                low = key;
            }
            children.push_back({page->rightChild, lowBounded, low, at.highBounded, at.high});
            pending.insert(pending.end(), children.rbegin(), children.rend());
        } else if (page->kind == PageKind::IndexInterior) {
            std::vector<PendingPage> children;
            stats.entries += qint64(page->cells.size());
            for (const int offset : page->cells) {
                quint32 child = 0;
                if (file.interiorCell(*page, offset, child))
                    children.push_back({child, false, 0, false, 0});
                if (!walk.indexEntry)
                    continue;
                const std::optional<QByteArray> payload = file.cellPayload(*page, offset);
                if (!payload)
                    ++stats.unreadableCells;
                else
                    walk.indexEntry(*payload);
            }
            children.push_back({page->rightChild, false, 0, false, 0});
            pending.insert(pending.end(), children.rbegin(), children.rend());
        } else if (!(page->isTable() ? bool(walk.tableRow) : bool(walk.indexEntry))) {
            stats.entries += qint64(page->cells.size());
        } else if (page->kind == PageKind::TableLeaf) {
            stats.entries += qint64(page->cells.size());
            std::vector<qint64> keys;
            std::vector<std::optional<QByteArray>> payloads;
            for (const int offset : page->cells) {
                qint64 key = 0;
                payloads.push_back(file.cellPayload(*page, offset, &key));
                keys.push_back(payloads.back() ? key : 0);
                stats.unreadableCells += payloads.back() ? 0 : 1;
            }
            const std::vector<bool> inOrder = keysInOrder(keys, payloads);
            for (size_t cell = 0; cell < keys.size(); ++cell) {
                const qint64 key = keys[cell];
                const bool within =
                    inOrder[cell] && (!at.lowBounded || key > at.low) && (!at.highBounded || key <= at.high);
                if (payloads[cell] && walk.tableRow)
                    walk.tableRow(key, *payloads[cell], within);
            }
        } else {
            stats.entries += qint64(page->cells.size());
            for (const int offset : page->cells) {
                const std::optional<QByteArray> payload = file.cellPayload(*page, offset);
                if (!payload)
                    ++stats.unreadableCells;
                else
                    walk.indexEntry(*payload);
            }
        }
    }
    return stats;
}
