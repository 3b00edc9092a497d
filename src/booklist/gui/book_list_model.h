#pragma once

#include "booklist/book_list_reader.h"

#include <QAbstractTableModel>
#include <memory>

// The books of a BookListReader as a table: only the rows a view asks for are
// read. Values are shown as the main window shows them, in the user's
// locale; flags as check marks.
class BookListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit BookListModel(QObject* parent = nullptr);
    ~BookListModel() override;

    // nullptr: no catalogue, no rows.
    void setReader(std::unique_ptr<BookListReader> reader);
    BookListReader* reader() const { return m_reader.get(); }

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
    void change(const std::function<void()>& readAgain);

    std::unique_ptr<BookListReader> m_reader;
};
