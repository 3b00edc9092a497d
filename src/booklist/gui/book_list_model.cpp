#include "booklist/gui/book_list_model.h"

#include "common/locale_formats.h"
#include "database/db_error.h"
#include "database/stored_values.h"

#include <QScopeGuard>
#include <limits>

namespace {

QString shownText(ColumnKind kind, const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (kind) {
    case ColumnKind::Currency:
        return LocaleFormats::currency(value.toDouble());
    case ColumnKind::Date: {
        const QDateTime stored = StoredValue::parseDateTimeText(value.toString());
        return stored.isValid() ? LocaleFormats::shortDate(stored.date()) : value.toString();
    }
    case ColumnKind::Number:
        return value.typeId() == QMetaType::Double ? LocaleFormats::plainNumber(value.toDouble())
                                                   : QString::number(value.toLongLong());
    case ColumnKind::Flag:
        return QString();
    case ColumnKind::Text:
        break;
    }
    return value.toString();
}

} // namespace

BookListModel::BookListModel(std::function<Database*()> catalogue, QObject* parent)
    : QAbstractTableModel(parent), m_catalogue(std::move(catalogue))
{
}

BookListModel::~BookListModel() = default;

void BookListModel::setReader(std::unique_ptr<BookListReader> reader, Database* db)
{
    beginResetModel();
    m_reader = std::move(reader);
    m_readFrom = db;
    endResetModel();
}

int BookListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_reader)
        return 0;
    // A view counts its rows in int.
    return int(std::min<qsizetype>(m_reader->count(), std::numeric_limits<int>::max()));
}

int BookListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : BookListColumnCount;
}

QVariant BookListModel::data(const QModelIndex& index, int role) const
{
    if (!isCurrent() || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    const BookListColumnInfo& column = bookListColumn(BookListColumn(index.column()));
    if (role == Qt::TextAlignmentRole &&
        (column.kind == ColumnKind::Currency || column.kind == ColumnKind::Number))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::CheckStateRole)
        return QVariant();
    if ((role == Qt::CheckStateRole) != (column.kind == ColumnKind::Flag))
        return QVariant();
    try {
        const QVariant value = m_reader->row(index.row()).values[size_t(index.column())];
        if (role == Qt::CheckStateRole)
            return value.toBool() ? Qt::Checked : Qt::Unchecked;
        return shownText(column.kind, value);
    } catch (const DbError&) {
        // A page that cannot be read shows empty; the next command that
        // reads the catalogue reports the failure.
        return QVariant();
    }
}

QVariant BookListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= BookListColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::InitialSortOrderRole)
        return Qt::AscendingOrder; // a first click on a column sorts it ascending, whatever the style
    if (role == Qt::DisplayRole)
        return bookListColumn(BookListColumn(section)).header;
    return QAbstractTableModel::headerData(section, orientation, role);
}

// Order, filter and rows may all change: the view asks anew.
void BookListModel::change(const std::function<void()>& readAgain)
{
    if (!isCurrent())
        return;
    beginResetModel();
    const auto done = qScopeGuard([this] { endResetModel(); });
    readAgain();
}

void BookListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= BookListColumnCount)
        return;
    change([&] { m_reader->setOrder(BookListColumn(column), order == Qt::DescendingOrder); });
}

void BookListModel::setFilter(const QString& text)
{
    change([&] { m_reader->setFilter(text); });
}

void BookListModel::reload()
{
    change([&] { m_reader->reload(); });
}

void BookListModel::completeOrder()
{
    if (isCurrent() && !m_reader->isComplete())
        change([&] { m_reader->completeOrder(); });
}

qint64 BookListModel::keyAt(int row) const
{
    return isCurrent() && row >= 0 && row < rowCount() ? m_reader->keyAt(row) : -1;
}

int BookListModel::rowOf(qint64 key) const
{
    return isCurrent() ? int(m_reader->rowOf(key)) : -1;
}
