#include "editor/lookup_list_model.h"

#include "database/sqlite_extensions.h"

LookupListModel::LookupListModel(QObject* parent) : QAbstractListModel(parent) {}

void LookupListModel::assign(std::vector<Entry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_firstRowByKey.clear();
    // The first entry carrying a key is the one shown for it.
    for (int row = int(m_entries.size()) - 1; row >= 0; --row)
        m_firstRowByKey.insert(m_entries[std::size_t(row)].key, row);
    endResetModel();
}

int LookupListModel::insertSorted(qlonglong key, const QString& text)
{
    // The list is in the catalogue's order (case ignored, accented letters
    // beside their base letters).
    int low = 0;
    int high = int(m_entries.size());
    while (low < high) {
        const int middle = (low + high) / 2;
        if (compareNoCase(m_entries[std::size_t(middle)].text, text) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    beginInsertRows(QModelIndex(), low, low);
    m_entries.insert(m_entries.begin() + low, Entry{text, key});
    for (int& row : m_firstRowByKey)
        if (row >= low)
            ++row;
    const auto first = m_firstRowByKey.constFind(key);
    if (first == m_firstRowByKey.cend() || *first > low)
        m_firstRowByKey.insert(key, low);
    endInsertRows();
    return low;
}

int LookupListModel::rowOfKey(qlonglong key) const
{
    return m_firstRowByKey.value(key, -1);
}

int LookupListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant LookupListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_entries.size()))
        return {};
    const Entry& entry = m_entries[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return entry.text;
    case Qt::UserRole:
        return entry.key;
    default:
        return {};
    }
}

Qt::ItemFlags LookupListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}
