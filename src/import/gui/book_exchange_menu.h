#pragma once

#include <QObject>
#include <functional>
#include <optional>

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
    // importEnded: called after the message of every import that began to
    // write, with the key of the first book added (the window shows it), or
    // nothing when none was: windows that read the catalogue while a write
    // ran that was then undone may have seen its books.
    using ImportEnded = std::function<void(std::optional<qint64> firstBookId)>;
    BookExchangeMenu(QWidget* window, const Actions& actions, std::function<Database*()> database,
                     ImportEnded importEnded);

    void mnuImportBooks_Click();
    void mnuExportBooks_Click();

    // How long work goes on before its progress window shows (tests: 0).
    void setProgressDelay(int ms) { m_progressDelay = ms; }

private:
    QWidget* m_window;
    std::function<Database*()> m_database;
    ImportEnded m_importEnded;
    int m_progressDelay = 500;
};
