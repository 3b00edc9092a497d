#pragma once

#include "booklist/book_list_reader.h"

#include <QAbstractTableModel>
#include <functional>
#include <memory>

// The books of a BookListReader as a table: only the rows a view asks for are
// read. Values are shown as the main window shows them, in the user's
// locale; flags as check marks.
class BookListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // catalogue: where the open catalogue is now (nullptr while closed). A
    // reader of a catalogue closed since is never read again: its rows show
    // empty until the next reader takes its place.
    explicit BookListModel(std::function<Database*()> catalogue, QObject* parent = nullptr);
    ~BookListModel() override;

    // A reader of db, or nullptr: no catalogue, no rows.
    void setReader(std::unique_ptr<BookListReader> reader, Database* db);
    // The reader, while its catalogue is still the open one.
    BookListReader* reader() const { return isCurrent() ? m_reader.get() : nullptr; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Each throws DbError, the rows as before.
    void setFilter(const QString& text);
    void reload();
    void completeOrder();

    qint64 keyAt(int row) const;
    int rowOf(qint64 key) const;

private:
    bool isCurrent() const { return m_reader && m_catalogue && m_catalogue() == m_readFrom; }
    void change(const std::function<void()>& readAgain);

    std::function<Database*()> m_catalogue;
    std::unique_ptr<BookListReader> m_reader;
    Database* m_readFrom = nullptr;
};
