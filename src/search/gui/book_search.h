#pragma once

#include <QPointer>
#include <QString>

class BookSession;
class Database;
class QWidget;
class Recordset;
class frmFind;

// The main window's Find: asks for a search in "Find a Book" and moves rsBooks
// to the book found. With no book found or no search run, rsBooks goes back
// to the book it was on.
//
// The search window is kept between searches (hidden, with the user's last
// choices) unless the user closed it with its close box.
class BookSearch
{
public:
    BookSearch();
    ~BookSearch();
    BookSearch(const BookSearch&) = delete;
    BookSearch& operator=(const BookSearch&) = delete;

    // Searches the session's rsBooks, with the window shown over parent.
    // True when the caller is to show rsBooks' current row: the book found,
    // or the book from before a search that never ran. False when there was
    // nothing to show anew (no books, or no book matched: the screen still
    // shows the book from before, which is current again).
    bool run(BookSession& session, QWidget* parent);

    // The search window while it is loaded, else null.
    frmFind* window() const;

private:
    void showWindow(Database& catalogue, Recordset& books, QWidget* parent);
    void unloadWindow();

    // A child of the parent it was first shown over, which may delete it too.
    QPointer<frmFind> m_window;
};
