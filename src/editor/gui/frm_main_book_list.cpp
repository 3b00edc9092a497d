#include "booklist/gui/book_list_window.h"
#include "editor/catalogue_events.h"
#include "editor/gui/frm_main.h"

#include <QAction>

using namespace Qt::StringLiterals;

// The book list beside this window: Reports > Book List or Ctrl+L opens it,
// or brings the open one to the front.
void frmMain::connectBookList()
{
    auto* open = new QAction(u"Book &List"_s, this);
    open->setObjectName(u"mnuBookList"_s);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    open->setShortcutContext(Qt::ApplicationShortcut);
    mnuReports->insertAction(mnuFormat[1], open);
    mnuReports->insertSeparator(mnuFormat[1]);
    connect(open, &QAction::triggered, this, &frmMain::mnuBookList_Click);
}

void frmMain::mnuBookList_Click()
{
    if (!m_bookList) {
        BookListHost host;
        host.database = [this] { return m_session.isOpen() ? &m_session.database() : nullptr; };
        host.isEditing = [this] { return Editing || Adding; };
        host.showBook = [this](qint64 key) {
            showStoredBook(qint32(key));
            activateWindow();
        };
        m_bookList = new BookListWindow(std::move(host), this);
        // The list reads its order again after every change made here.
        const auto changed = [list = m_bookList.data()] { list->booksChanged(); };
        connect(m_events, &CatalogueEvents::bookStored, m_bookList, changed);
        connect(m_events, &CatalogueEvents::bookDeleted, m_bookList, changed);
        connect(m_events, &CatalogueEvents::catalogueReopened, m_bookList,
                &BookListWindow::catalogueReopened);
    }
    m_bookList->showNormal();
    m_bookList->raise();
    m_bookList->activateWindow();
}
