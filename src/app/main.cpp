#include "booklist/gui/book_list_window.h"
#include "common/gui/progress_window.h"
#include "common/gui/widget_desktop_opener.h"
#include "common/gui/widget_dialogs.h"
#include "common/gui/windows_on_screen.h"
#include "common/user_dialogs.h"
#include "custom_reports/gui/frm_rptspec.h"
#include "database/db_error.h"
#include "editor/gui/frm_main.h"
#include "editor/gui/guarded_application.h"
#include "import/book_import.h"
#include "import/gui/frm_import_preview.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/reports_menu.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// What the picture shows: the main window, with a report file the custom
// report designer opened from the Reports menu on that file, or with a
// filter text the book list narrowed by it.
QWidget* screenshotSubject(frmMain& window, const QString& reportFile)
{
    if (qEnvironmentVariableIsSet("QUILLARY_SCREENSHOT_BOOK_LIST")) {
        window.mnuBookList_Click();
        auto* list = window.findChild<BookListWindow*>();
        if (!list)
            return nullptr;
        QCoreApplication::processEvents();
        list->txtFilter->setText(qEnvironmentVariable("QUILLARY_SCREENSHOT_BOOK_LIST"));
        QCoreApplication::processEvents();
        return list;
    }
    if (reportFile.isEmpty())
        return &window;
    window.mnuRptCustom->trigger();
    auto* designer = window.findChild<frmRptSpec*>();
    if (!designer || !designer->openReportFile(reportFile))
        return nullptr;
    return designer;
}

// QUILLARY_SCREENSHOT=<file.png>: once the window is on screen, save a picture
// of it and quit (used to keep the pictures in the documentation current).
// With QUILLARY_SCREENSHOT_REPORT=<file.rpt> the picture is of the designer.
void scheduleScreenshot(frmMain& window, const QString& path)
{
    QTimer::singleShot(0, &window, [&window, path] {
        QWidget* subject = screenshotSubject(window, qEnvironmentVariable("QUILLARY_SCREENSHOT_REPORT"));
        const bool saved = subject && subject->grab().save(path);
        window.close();
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

// QUILLARY_SCREENSHOT_PREVIEW=<file.png>: the same for the report preview,
// showing the "Title & Author" list.
void schedulePreviewScreenshot(frmMain& window, const QString& path)
{
    QTimer::singleShot(0, &window, [&window, path] {
        window.reports().mnuFormat_Click(1);
        window.reports().mnuReport_Click(1);
        frmOutput* output = window.reports().output();
        bool saved = false;
        if (output) {
            output->resize(760, 900);
            output->finishBuilding();
            QCoreApplication::processEvents();
            saved = output->grab().save(path);
        }
        window.close();
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

// QUILLARY_SCREENSHOT_SAVE_DIALOG=<file.png>: the same for the save dialog of
// the "Title & Author" list written to a file, once it lists the folder's
// files; the dialog is then cancelled.
void scheduleSaveDialogScreenshot(frmMain& window, const QString& path)
{
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, path] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const auto* files = dialog ? dialog->findChild<QAbstractItemView*>(u"listView"_s) : nullptr;
        if (!files || files->model()->rowCount(files->rootIndex()) == 0)
            return;
        poll->stop();
        QCoreApplication::processEvents();
        const bool saved = dialog->grab().save(path);
        dialog->reject();
        QTimer::singleShot(0, qApp, [saved] { QCoreApplication::exit(saved ? 0 : 1); });
    });
    QTimer::singleShot(0, &window, [&window, poll] {
        poll->start(20);
        window.reports().mnuFormat_Click(2);
        window.reports().mnuReport_Click(1);
        window.close();
    });
}

// QUILLARY_SCREENSHOT_IMPORT=<table file> with QUILLARY_SCREENSHOT=<file.png>:
// the same for the preview of importing that table into the catalogue; the
// preview is closed without importing anything.
void scheduleImportScreenshot(frmMain& window, const QString& table, const QString& path)
{
    QTimer::singleShot(0, &window, [&window, table, path] {
        bool saved = false;
        try {
            if (window.session().isOpen()) {
                BookImport import(table);
                frmImportPreview preview(import, window.session().database(), &window);
                // Wide enough for the stored rows to show several fields.
                preview.resize(1100, 640);
                preview.show();
                QCoreApplication::processEvents();
                saved = preview.grab().save(path);
            }
        } catch (const TableFileError& error) {
            qWarning("%s", qPrintable(error.text()));
        } catch (const DbError& error) {
            qWarning("%s", qPrintable(error.text()));
        }
        window.close();
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(ProgramTitle);
    QApplication::setWindowIcon(QIcon(u":/icons/quillary.png"_s));
    // Lets the desktop match the windows with the installed quillary.desktop.
    QGuiApplication::setDesktopFileName(u"quillary"_s);

    WidgetDialogs dialogs;
    setUserDialogs(&dialogs);
    WidgetDesktopOpener desktop;
    setDesktopOpener(&desktop);
    WindowsOnScreen windowsOnScreen;
    app.installEventFilter(&windowsOnScreen);
    ProgressWindow progress;
    setProgressReporter(&progress);

    int result = 0;
    {
        // The catalogue is the one in the folder the program is started in.
        frmMain window(QDir::currentPath());
        // A logout ends the program without questions, once the step under
        // way is done: the window then goes, closing the catalogue cleanly,
        // so the next start need not check it as after a crash.
        onTerminationRequest([] { QCoreApplication::exit(0); });
        try {
            window.Form_Load();
        } catch (...) {
            reportEscapedException(std::current_exception());
        }
        window.show();
        const QString previewShot = qEnvironmentVariable("QUILLARY_SCREENSHOT_PREVIEW");
        if (!previewShot.isEmpty())
            schedulePreviewScreenshot(window, previewShot);
        const QString dialogShot = qEnvironmentVariable("QUILLARY_SCREENSHOT_SAVE_DIALOG");
        if (!dialogShot.isEmpty())
            scheduleSaveDialogScreenshot(window, dialogShot);
        const QString screenshot = qEnvironmentVariable("QUILLARY_SCREENSHOT");
        const QString importedTable = qEnvironmentVariable("QUILLARY_SCREENSHOT_IMPORT");
        if (!screenshot.isEmpty() && !importedTable.isEmpty())
            scheduleImportScreenshot(window, importedTable, screenshot);
        else if (!screenshot.isEmpty())
            scheduleScreenshot(window, screenshot);
        result = QApplication::exec();
    }
    setProgressReporter(nullptr);
    setDesktopOpener(nullptr);
    setUserDialogs(nullptr);
    return result;
}
