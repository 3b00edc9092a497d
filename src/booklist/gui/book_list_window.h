#pragma once

#include <QElapsedTimer>
#include <QTableView>
#include <QWidget>
#include <functional>

class BookListModel;
class Database;
class QLabel;
class QLineEdit;
class QPushButton;

// What the book list needs of the window it stands beside.
struct BookListHost
{
    // The open catalogue; nullptr while there is none.
    std::function<Database*()> database;
    // Whether a book is being added or changed there, which another book
    // shown would throw away.
    std::function<bool()> isEditing;
    // Shows the book with this key there, in that window's own order.
    std::function<void(qint64)> showBook;
};

// The list's table: type-ahead finds the first book whose value in the
// ordering column starts with what was typed, without reading every row.
class BookListView : public QTableView
{
    Q_OBJECT

public:
    using QTableView::QTableView;
    void keyboardSearch(const QString& search) override;

private:
    QString m_typed;
    QElapsedTimer m_sinceLastKey;
};

// Every book of the catalogue at a glance, beside the main window: sorted by
// any column (a header click; a second one reverses), narrowed by a quick
// filter as it is typed, kept up to date as books are stored, added and
// deleted. Enter or a double click shows the book in the main window.
class BookListWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BookListWindow(BookListHost host, QWidget* parent = nullptr);
    ~BookListWindow() override;

    // A book was stored, added or deleted: the list reads its order again and
    // keeps the selected book selected while it exists.
    void booksChanged();
    // The catalogue was closed and opened again (backup, packing, repair).
    void catalogueReopened();

    // The key of the selected book, or -1.
    qint64 selectedBook() const;
    // Shows the book of row in the main window, or says why it cannot.
    void openBook(int row);
    // Writes the books shown, in their order, to a file the user chooses.
    void exportShownBooks();

    QLineEdit* txtFilter = nullptr;
    BookListView* lstBooks = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void filterChanged(const QString& text);
    void readAgain(const std::function<void()>& read);
    void selectBook(qint64 key, int column);
    void sortByCurrentColumn();
    void showCount();

    BookListHost m_host;
    BookListModel* m_model = nullptr;
};
