#include "program_memory.h"

#include "sqlite_reads.h"

#include "booklist/book_list_columns.h"
#include "booklist/gui/book_list_window.h"
#include "database/text_order.h"
#include "editor/gui/frm_main.h"
#include "reports/book_lists.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/program_report_windows.h"
#include "reports/report_run.h"
#include "reports/report_state.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QTextStream>
#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

int previewMemory(const QString& folder, int argc, char* argv[])
{
    QApplication app(argc, argv);
    frmMain window(folder);
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();
    ProgramReportWindows windows(&window, [&window] { return &window.session().database(); });
    reportState().ReportIndex = BookLists::ByTitle;
    RunBookReport({window.session().database(), ReportDestination::Preview, windows});
    frmOutput* output = windows.output();
    if (!output || !output->document())
        return 1;
    output->finishBuilding();
    QCoreApplication::processEvents();
    QTextStream(stdout) << peakMemoryMb() << Qt::endl;
    return 0;
}

// The main window started on the catalogue, and with listed the book list
// opened beside it, sorted by a column without an index and filtered.
int mainWindowMemory(const QString& folder, bool listed, int argc, char* argv[])
{
    QApplication app(argc, argv);
    frmMain window(folder);
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();
    if (listed) {
        window.mnuBookList_Click();
        auto* list = window.findChild<BookListWindow*>();
        if (!list)
            return 1;
        QCoreApplication::processEvents();
        list->lstBooks->horizontalHeader()->setSortIndicator(int(BookListColumn::Year), Qt::AscendingOrder);
        QCoreApplication::processEvents();
        list->txtFilter->setText(u"lig"_s);
        QCoreApplication::processEvents();
        list->lstBooks->scrollToBottom();
        QCoreApplication::processEvents();
    }
    QTextStream(stdout) << peakMemoryMb() << Qt::endl;
    return 0;
}

int queryMemory(const QString& file, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_create_collation(db, TextOrder::CollationName, SQLITE_UTF8, nullptr, &TextOrder::sqliteCollation);
    readAll(db, sql.toUtf8());
    sqlite3_close(db);
    QTextStream(stdout) << peakMemoryMb() << Qt::endl;
    return 0;
}

} // namespace

std::optional<int> runMemoryCommand(const QStringList& arguments, int argc, char* argv[])
{
    if (arguments.size() == 3 && arguments[1] == u"--preview-memory"_s)
        return previewMemory(arguments[2], argc, argv);
    if (arguments.size() == 3 && arguments[1] == u"--book-list-memory"_s)
        return mainWindowMemory(arguments[2], true, argc, argv);
    if (arguments.size() == 3 && arguments[1] == u"--main-window-memory"_s)
        return mainWindowMemory(arguments[2], false, argc, argv);
    if (arguments.size() == 4 && arguments[1] == u"--query-memory"_s)
        return queryMemory(arguments[2], arguments[3]);
    return std::nullopt;
}

double peakMegabytesOf(const QStringList& arguments)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(1800000) || child.exitCode() != 0)
        throw std::runtime_error("the memory measurement failed: " +
                                 child.readAllStandardError().toStdString());
    return child.readAllStandardOutput().trimmed().toDouble();
}

double peakMemoryMb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

void resetPeakMemory()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}
