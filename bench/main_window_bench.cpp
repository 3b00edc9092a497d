// The main window on a large catalogue: start-up to the first book on screen,
// paging and each change of sort order, each including the repaint.
#include "main_window_session.h"
#include "sqlite_reads.h"

#include "editor/gui/frm_main.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace {

// Lives until the end of the process; its windows go with the process rather
// than after QApplication is gone.
MainWindowSession& session()
{
    static auto* instance = new MainWindowSession;
    return *instance;
}

void startUp(BenchCatalogue& catalogue)
{
    session().startWindow(catalogue);
}

void next(BenchCatalogue& catalogue)
{
    frmMain& w = session().window(catalogue);
    w.cmdNext_Click();
    QCoreApplication::processEvents();
}

void last(BenchCatalogue& catalogue)
{
    frmMain& w = session().window(catalogue);
    w.cmdLast_Click();
    QCoreApplication::processEvents();
}

std::function<void(BenchCatalogue&)> sortBy(int index)
{
    return [index](BenchCatalogue& catalogue) {
        frmMain& w = session().window(catalogue);
        w.mnuSort_Click(index);
        QCoreApplication::processEvents();
    };
}

const BenchRegistration registration{
    {u"main window: start-up to first book"_s, startUp, startUpReadsBySqlite, true},
    {u"main window: Next"_s, next, {}, false},
    {u"main window: Last"_s, last, {}, false},
    {u"main window: sort by author"_s, sortBy(2), {}, false},
    {u"main window: sort by category"_s, sortBy(3), {}, false},
    {u"main window: sort by title"_s, sortBy(1), {}, false},
};

} // namespace
