#include "import/mdb_file_source.h"

#include "import/jet_values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <mdbtools.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int RowOffsetMask = 0x1fff; // a row's offset on its page, without the flag bits
constexpr int PrimaryKeyIndex = 1;
constexpr int ForeignKeyIndex = 2; // the engine's own index behind a relationship

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

JetType jetTypeOf(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL:
        return JetType::Boolean;
    case MDB_BYTE:
        return JetType::Byte;
    case MDB_INT:
        return JetType::Integer;
    case MDB_LONGINT:
        return JetType::Long;
    case MDB_MONEY:
        return JetType::Currency;
    case MDB_FLOAT:
        return JetType::Single;
    case MDB_DOUBLE:
        return JetType::Double;
    case MDB_DATETIME:
        return JetType::DateTime;
    case MDB_BINARY:
        return JetType::Binary;
    case MDB_TEXT:
        return JetType::Text;
    case MDB_OLE:
        return JetType::Ole;
    case MDB_MEMO:
        return JetType::Memo;
    case MDB_REPID:
        return JetType::Guid;
    case MDB_NUMERIC:
        return JetType::Decimal;
    default:
        return JetType::Other;
    }
}

template <typename T> T* entryAt(GPtrArray* array, unsigned index)
{
    return static_cast<T*>(g_ptr_array_index(array, index));
}

QString fromLibrary(const char* text)
{
    return QString::fromUtf8(text);
}

// Text the library allocated, taken over and freed.
QString takeLibraryText(char* text)
{
    const QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

bool hasDatabasePassword(const MdbHandle& mdb)
{
    // The library decodes the Jet 3 password; a file without one holds zeros there.
    if (mdb.f->jet_version != MDB_VER_JET3)
        return false;
    return std::any_of(std::begin(mdb.f->db_passwd), std::end(mdb.f->db_passwd),
                       [](char c) { return c != 0; });
}

} // namespace

struct MdbFileSource::Handle
{
    MdbHandle* mdb = nullptr;
    std::vector<MdbTableDef*> definitions; // parallel to m_tables
    bool encrypted = false;

    ~Handle()
    {
        for (MdbTableDef* definition : definitions)
            mdb_free_tabledef(definition);
        if (mdb)
            mdb_close(mdb);
    }
};

JetFileHeader readJetFileHeader(const QString& path)
{
    JetFileHeader header;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return header;
    const QByteArray bytes = file.read(0x20);
    if (bytes.size() < 0x15 || !bytes.startsWith(QByteArrayView("\x00\x01\x00\x00", 4)))
        return header;
    const QByteArray engine = bytes.mid(4, 16);
    if (engine != QByteArrayView("Standard Jet DB\0", 16) &&
        engine != QByteArrayView("Standard ACE DB\0", 16))
        return header;
    header.isJet = true;
    header.version = static_cast<unsigned char>(bytes.at(0x14));
    header.pageSize = header.version == MDB_VER_JET3 ? 2048 : 4096;
    return header;
}

MdbFileSource::MdbFileSource(const QString& path) : m_path(path), m_handle(std::make_unique<Handle>())
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        throw ConversionError(u"Could not find the file '%1'."_s.arg(shown(path)));
    const JetFileHeader header = readJetFileHeader(path);
    if (!header.isJet)
        throw ConversionError(
            u"'%1' is not a database of the classic desktop engine (Jet or Access), or its first page is damaged."_s
                .arg(shown(path)));
    // The engine writes whole pages: anything else is a file cut short.
    if (info.size() < 2 * header.pageSize || info.size() % header.pageSize != 0)
        throw ConversionError(
            u"'%1' is incomplete: it ends in the middle of a page, so part of it is missing. "
            u"Convert a complete copy of the file."_s.arg(shown(path)));

    m_handle->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!m_handle->mdb)
        throw ConversionError(
            u"'%1' cannot be read as a database: its first page is damaged, or it comes from a "
            u"version of the engine this program does not know."_s.arg(shown(path)));
    if (hasDatabasePassword(*m_handle->mdb))
        throw ConversionError(
            u"'%1' is protected by a database password. The converted file could not keep that "
            u"protection, so it is not converted: remove the password in the program that set "
            u"it, then convert the file again."_s.arg(shown(path)));
    m_handle->encrypted = m_handle->mdb->f->db_key != 0;
    readTables();
}

MdbFileSource::~MdbFileSource() = default;

void MdbFileSource::damaged(const QString& detail) const
{
    if (m_handle->encrypted)
        throw ConversionError(
            u"'%1' is encrypted, and it could not be read (%2). Remove the encryption in the "
            u"program that wrote it, then convert the file again."_s.arg(shown(m_path), detail));
    throw ConversionError(u"'%1' is damaged: %2. The file was not changed."_s.arg(shown(m_path), detail));
}

namespace {

// The file's list of tables and other objects is itself a table, on page 2.
// The library reads as much of it as it can and stops quietly where its
// pages are missing (a file cut short on a page boundary): the entries read
// must be as many as the list records, or tables would go missing unseen.
struct ObjectListEntries
{
    bool defined = false; // the list's own definition could be read
    qint64 read = 0;
    qint64 recorded = 0;
};

ObjectListEntries readObjectList(MdbHandle* mdb)
{
    constexpr unsigned long ObjectListPage = 2;
    MdbCatalogEntry list{};
    list.mdb = mdb;
    list.object_type = MDB_TABLE;
    list.table_pg = ObjectListPage;
    std::snprintf(list.object_name, sizeof list.object_name, "%s", "MSysObjects");
    ObjectListEntries entries;
    MdbTableDef* definition = mdb_read_table(&list);
    if (!definition)
        return entries;
    entries.defined = true;
    entries.recorded = definition->num_rows;
    if (mdb_read_columns(definition)) {
        mdb_rewind_table(definition);
        while (mdb_fetch_row(definition))
            ++entries.read;
    }
    mdb_free_tabledef(definition);
    return entries;
}

} // namespace

void MdbFileSource::readTables()
{
    MdbHandle* mdb = m_handle->mdb;
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        damaged(u"its list of tables cannot be read"_s);
    const ObjectListEntries list = readObjectList(mdb);
    if (!list.defined)
        damaged(u"its list of tables cannot be read"_s);
    if (list.read != list.recorded)
        damaged(u"its list of tables cannot be read completely: it records %1 tables and other objects, but "
                u"only %2 of them could be read, so tables it names would be missing"_s.arg(list.recorded)
                    .arg(list.read));
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        MdbCatalogEntry* entry = entryAt<MdbCatalogEntry>(mdb->catalog, i);
        if (!mdb_is_user_table(entry))
            continue;
        const QString name = fromLibrary(entry->object_name);
        MdbTableDef* definition = mdb_read_table(entry);
        if (!definition)
            damaged(u"the table '%1' cannot be read"_s.arg(name));
        m_handle->definitions.push_back(definition);
        if (!mdb_read_columns(definition) || definition->num_cols == 0)
            damaged(u"the columns of the table '%1' cannot be read"_s.arg(name));
        mdb_read_indices(definition); // its result says nothing: the indexes land in the definition
        if (!definition->indices && definition->num_idxs > 0)
            damaged(u"the indexes of the table '%1' cannot be read"_s.arg(name));

        JetTable table;
        table.name = name;
        table.rowCount = definition->num_rows;
        const bool wideText = mdb->f->jet_version != MDB_VER_JET3; // two bytes a character
        for (unsigned c = 0; c < definition->num_cols; ++c) {
            const MdbColumn* column = entryAt<MdbColumn>(definition->columns, c);
            JetColumn described;
            described.name = fromLibrary(column->name);
            described.type = jetTypeOf(column->col_type);
            described.size =
                column->col_type == MDB_TEXT && wideText ? column->col_size / 2 : column->col_size;
            described.precision = column->col_prec;
            described.scale = column->col_scale;
            described.autoNumber = column->is_long_auto != 0;
            table.columns.push_back(described);
        }
        for (unsigned x = 0; definition->indices && x < definition->num_idxs; ++x) {
            const MdbIndex* index = entryAt<MdbIndex>(definition->indices, x);
            if (index->index_type == ForeignKeyIndex)
                continue;
            JetIndex described;
            described.name = fromLibrary(index->name);
            described.primaryKey = index->index_type == PrimaryKeyIndex;
            described.unique = described.primaryKey || (index->flags & MDB_IDX_UNIQUE) != 0;
            for (unsigned k = 0; k < index->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
                const int position = index->key_col_num[k] - 1;
                if (position < 0 || position >= int(table.columns.size()))
                    damaged(u"an index of the table '%1' names a column it does not have"_s.arg(name));
                described.columns.push_back(position);
                described.descending.push_back(index->key_col_order[k] == MDB_DESC);
            }
            if (!described.columns.empty())
                table.indexes.push_back(described);
        }
        m_tables.push_back(table);
    }
}

const std::vector<JetTable>& MdbFileSource::tables() const
{
    return m_tables;
}

namespace {

// The rows of one table, read straight from the library's page buffer: the
// fixed-size values from their bytes, text, memos and long binaries through
// the library's own readers and character conversion.
class MdbRows final : public JetRows
{
public:
    using Damaged = std::function<void(const QString&)>;

    MdbRows(MdbTableDef* definition, const JetTable& table, Damaged damaged)
        : m_definition(definition), m_mdb(definition->entry->mdb), m_table(table),
          m_fields(definition->num_cols), m_damaged(std::move(damaged))
    {
        mdb_rewind_table(m_definition);
    }

    bool next(std::vector<QVariant>& values) override
    {
        if (!mdb_fetch_row(m_definition)) {
            if (m_read != m_table.rowCount)
                fail(u"it records %1 rows, but only %2 could be read"_s.arg(m_table.rowCount).arg(m_read));
            return false;
        }
        if (++m_read > m_table.rowCount)
            fail(u"it records %1 rows, but holds more"_s.arg(m_table.rowCount));
        int start = 0;
        size_t size = 0;
        if (m_definition->cur_row == 0 ||
            mdb_find_row(m_mdb, int(m_definition->cur_row) - 1, &start, &size) != 0 ||
            mdb_crack_row(m_definition, start & RowOffsetMask, size, m_fields.data()) < 0)
            fail(u"row %1 cannot be taken apart"_s.arg(m_read));
        values.resize(m_table.columns.size());
        for (size_t i = 0; i < m_table.columns.size(); ++i)
            values[i] = decode(i, m_fields[i]);
        return true;
    }

    QStringList notes() const override
    {
        if (m_unreadableDates == 0)
            return {};
        return {
            u"%1: %2 date values outside the years 100 to 9999 (the file is partly damaged) were left empty."_s
                .arg(m_table.name)
                .arg(m_unreadableDates)};
    }

private:
    [[noreturn]] void fail(const QString& detail) const
    {
        m_damaged(u"the table '%1' cannot be read completely: %2"_s.arg(m_table.name, detail));
        std::abort(); // m_damaged always throws
    }

    unsigned char* at(const MdbField& field, int needed) const
    {
        if (field.start < 0 || field.siz < needed || field.start + field.siz > m_mdb->fmt->pg_size)
            fail(u"row %1 points outside its page"_s.arg(m_read));
        return m_mdb->pg_buf + field.start;
    }

    QVariant decode(size_t column, const MdbField& field)
    {
        const JetColumn& described = m_table.columns[column];
        // A Yes/No value lives in the row's null mask: a set bit is true.
        if (described.type == JetType::Boolean)
            return QVariant(!field.is_null);
        if (field.is_null)
            return QVariant();
        switch (described.type) {
        case JetType::Byte:
            return QVariant(qlonglong(*at(field, 1)));
        case JetType::Integer:
            return QVariant(qlonglong(qFromLittleEndian<qint16>(at(field, 2))));
        case JetType::Long:
            return QVariant(qlonglong(qFromLittleEndian<qint32>(at(field, 4))));
        case JetType::Currency:
            return QVariant(JetValues::currency(qFromLittleEndian<qint64>(at(field, 8))));
        case JetType::Single:
            return QVariant(JetValues::single(qFromLittleEndian<float>(at(field, 4))));
        case JetType::Double:
            return QVariant(qFromLittleEndian<double>(at(field, 8)));
        case JetType::DateTime: {
            QVariant value = JetValues::dateTime(qFromLittleEndian<double>(at(field, 8)));
            if (value.isNull())
                ++m_unreadableDates;
            return value;
        }
        case JetType::Text:
            return QVariant(text(field.siz ? at(field, 0) : nullptr, size_t(field.siz)));
        case JetType::Binary:
            return QVariant(QByteArray(reinterpret_cast<const char*>(at(field, 0)), field.siz));
        case JetType::Memo: {
            const QByteArray stored = longValue(column, field);
            return QVariant(
                text(reinterpret_cast<const unsigned char*>(stored.constData()), size_t(stored.size())));
        }
        case JetType::Ole:
            return QVariant(longValue(column, field));
        case JetType::Guid:
            at(field, 16);
            return QVariant(takeLibraryText(mdb_uuid_to_string(m_mdb->pg_buf, field.start)));
        case JetType::Decimal:
            at(field, 17);
            return QVariant(takeLibraryText(
                mdb_numeric_to_string(m_mdb, field.start, described.scale, described.precision)));
        case JetType::Other:
            if (field.siz == 4)
                return QVariant(qlonglong(qFromLittleEndian<qint32>(at(field, 4))));
            return QVariant(QByteArray(reinterpret_cast<const char*>(at(field, 0)), field.siz));
        case JetType::Boolean:
            break;
        }
        return QVariant();
    }

    // Text in the file's own form (a code page in Jet 3, compressed or plain
    // UCS-2 from Jet 4 on), through the library's conversion to UTF-8.
    QString text(const unsigned char* bytes, size_t size)
    {
        if (size == 0)
            return u""_s;
        // At most three bytes of UTF-8 for each stored byte, plus the terminator.
        m_converted.resize(size * 3 + 8);
        const int length = mdb_unicode2ascii(m_mdb, reinterpret_cast<const char*>(bytes), size,
                                             m_converted.data(), m_converted.size());
        return QString::fromUtf8(m_converted.data(),
                                 std::clamp<qsizetype>(length, 0, qsizetype(m_converted.size())));
    }

    // A memo or OLE value, which lives in the row itself or on pages of its
    // own, gathered chunk by chunk with the library's reader.
    QByteArray longValue(size_t column, const MdbField& field)
    {
        if (field.siz < MDB_MEMO_OVERHEAD)
            return QByteArray();
        MdbColumn* col = entryAt<MdbColumn>(m_definition->columns, unsigned(column));
        char header[MDB_MEMO_OVERHEAD];
        std::copy_n(at(field, MDB_MEMO_OVERHEAD), MDB_MEMO_OVERHEAD, header);
        const qint64 declared = qFromLittleEndian<quint32>(header) & 0x3fffffff;
        std::vector<char> chunk(size_t(m_mdb->fmt->pg_size));
        // The reader copies into the column's bound buffer: bind one only for this read.
        col->bind_ptr = chunk.data();
        col->cur_value_start = field.start;
        col->cur_value_len = field.siz;
        QByteArray value;
        size_t length = mdb_ole_read(m_mdb, col, header, chunk.size());
        while (length > 0) {
            value.append(chunk.data(), qsizetype(std::min(length, chunk.size())));
            // A chain of pages that runs on past its length loops: the file is damaged.
            if (value.size() > declared) {
                col->bind_ptr = nullptr;
                fail(u"a long value in row %1 runs on past its length"_s.arg(m_read));
            }
            length = mdb_ole_read_next(m_mdb, col, header);
        }
        col->bind_ptr = nullptr;
        return value;
    }

    MdbTableDef* m_definition;
    MdbHandle* m_mdb;
    const JetTable& m_table;
    std::vector<MdbField> m_fields;
    Damaged m_damaged;
    std::vector<char> m_converted;
    qint64 m_read = 0;
    qint64 m_unreadableDates = 0;
};

} // namespace

std::unique_ptr<JetRows> MdbFileSource::rows(const JetTable& table)
{
    for (size_t i = 0; i < m_tables.size(); ++i) {
        if (&m_tables[i] == &table)
            return std::make_unique<MdbRows>(m_handle->definitions[i], m_tables[i],
                                             [this](const QString& detail) { damaged(detail); });
    }
    throw ConversionError(u"The table '%1' is not in '%2'."_s.arg(table.name, shown(m_path)));
}
