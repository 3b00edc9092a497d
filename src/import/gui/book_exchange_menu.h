#pragma once

#include <QObject>
#include <functional>

class Database;
class QAction;
class QWidget;

// What File > Import Books... and File > Export Books... do on the open
// catalogue: the import through its preview, with Cancel while it writes and
// one message at the end; the export of every book to a CSV file.
class BookExchangeMenu : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        QAction* importBooks = nullptr;
        QAction* exportBooks = nullptr;
    };

    // database: the open catalogue, or nullptr when there is none.
    // booksAdded: called with the key of the first book added, after the
    // import's message, so that the window shows it.
    BookExchangeMenu(QWidget* window, const Actions& actions, std::function<Database*()> database,
                     std::function<void(qint64 firstBookId)> booksAdded);

    void mnuImportBooks_Click();
    void mnuExportBooks_Click();

    // How long work goes on before its progress window shows (tests: 0).
    void setProgressDelay(int ms) { m_progressDelay = ms; }

private:
    QWidget* m_window;
    std::function<Database*()> m_database;
    std::function<void(qint64)> m_booksAdded;
    int m_progressDelay = 500;
};
