// The main window after a repair met while it runs: a recordset read a
// damaged page, the error routine repaired the file and opened the repaired
// one, and every recordset the window had belongs to the damaged file.
#include "editor/gui/frm_main.h"

#include "catalogue/db_error_handler.h"
#include "common/user_dialogs.h"
#include "database/recordset.h"

#include <QSignalBlocker>

using namespace Qt::StringLiterals;

// The recordsets open again on the repaired catalogue, in the order chosen,
// and the lists are filled from it. A book being added or changed stays on
// screen as typed, still being added or changed, so that Update stores it in
// the repaired catalogue; otherwise the first book is shown.
void frmMain::catalogueRepaired()
{
    // The start-up's own steps reopen what they opened (this may run while
    // they show progress); a closed window has nothing.
    if (!m_loaded || m_session.isOpening() || !m_session.isOpen() || m_session.recordsetsOnOpenCatalogue())
        return;
    const bool keepEntry = Editing || Adding;
    std::array<QString, 7> typed;
    for (const LookupField field : AllLookupFields)
        typed[size_t(field)] = comboFor(field)->currentText();
    const ::SortOrder order = SortOrder;

    m_session.openRecordsets([this] { ChkDateFmt(); });
    tellBookList(BookListNews::CatalogueReopened);
    if (order != ::SortOrder::Title)
        runStep([this, order] { m_session.reopenBooks(order); });
    loadLookupLists();
    EnableFields();
    if (!keepEntry) {
        Editing = false;
        Adding = false;
        ShowBrowseButtons();
        showFirstBook();
        return;
    }
    for (const LookupField field : AllLookupFields) {
        const QSignalBlocker quiet(comboFor(field));
        comboFor(field)->setEditText(typed[size_t(field)]);
    }
    if (Editing && !findBookBeingChanged()) {
        // Stored as a new book, rather than over another or nowhere.
        Editing = false;
        Adding = true;
        userDialogs().message(u"The book you were changing could not be recovered from the damaged "
                              u"catalogue. Click Update to store it, as you see it, as a new book."_s);
    }
}

// rsBooks placed on the book being changed, for Update to find; false when the
// repaired catalogue does not have it.
bool frmMain::findBookBeingChanged()
{
    bool found = false;
    runStep([this, &found] {
        if (bookCount() == 0)
            return;
        rsBooks->findFirst(u"bookid = "_s + QString::number(m_shownBookId));
        found = !rsBooks->noMatch();
    });
    return found;
}
