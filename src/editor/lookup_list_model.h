#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QString>
#include <vector>

// The entries of one lookup field's list, as its combo box shows them: texts
// in the catalogue's order with their keys (Qt::UserRole), and the first row
// carrying each key, so that a book is shown without a scan of 20,000
// authors.
class LookupListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    struct Entry
    {
        QString text;
        qlonglong key;
    };

    explicit LookupListModel(QObject* parent = nullptr);

    // Replaces every entry at once, in the list's order (the query's).
    void assign(std::vector<Entry> entries);
    // Adds an entry at its sorted place, found without regard to case and
    // after any entry that sorts equal to it (a lookup value added while a
    // book is stored). Returns the new entry's row.
    int insertSorted(qlonglong key, const QString& text);
    // The row of the first entry carrying key, or -1.
    int rowOfKey(qlonglong key) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<Entry> m_entries;
    QHash<qlonglong, int> m_firstRowByKey;
};
