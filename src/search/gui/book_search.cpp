#include "search/gui/book_search.h"

#include "catalogue/book_session.h"
#include "catalogue/db_error_handler.h"
#include "common/gui/modal_runner.h"
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "database/recordset.h"
#include "search/gui/frm_find.h"

using namespace Qt::StringLiterals;

BookSearch::BookSearch() = default;

BookSearch::~BookSearch()
{
    unloadWindow();
}

frmFind* BookSearch::window() const
{
    return m_window.data();
}

void BookSearch::unloadWindow()
{
    delete m_window.data();
    m_window.clear();
}

bool BookSearch::run(BookSession& session, QWidget* parent)
{
    if (session.bookCount() == 0) {
        userDialogs().message(u"No books entered to find."_s, u"No Books in Database"_s);
        return false;
    }
    Recordset& books = *session.rsBooks();
    QString bookBefore;
    if (!runStep([&] { bookBefore = u"bookid = "_s + books.value(u"bookid"_s).toString(); }))
        return false;
    SharedState& shared = sharedState();
    shared.CatalogueKey = u"books"_s;
    shared.DialogCancelled = true;
    runStep([&] { showWindow(session.database(), books, parent); });

    if (shared.DialogCancelled) {
        runStep([&] { books.findFirst(bookBefore); });
        return true;
    }
    bool found = false;
    runStep([&] { found = !books.noMatch(); });
    if (found)
        return true;
    userDialogs().message(u"That book was not found."_s, u"No Records Match"_s);
    runStep([&] { books.findFirst(bookBefore); });
    return false;
}

// Loads the window when it is not loaded and shows it modally; a window
// closed with its close box is unloaded afterwards. A window that cannot be
// loaded (no readable field catalogue; the error has been reported) is not
// shown, which counts as no search.
void BookSearch::showWindow(Database& catalogue, Recordset& books, QWidget* parent)
{
    frmFind* window = m_window.data();
    if (window) {
        window->useBooks(catalogue, books);
    } else {
        window = new frmFind(catalogue, books, parent);
        m_window = window;
        if (!window->Form_Load()) {
            unloadWindow();
            return;
        }
    }
    modalRunner().exec(*window);
    if (window == m_window.data() && window->unloadRequested())
        unloadWindow();
}
