#include "common/gui/widget_dialogs.h"
#include "common/user_dialogs.h"
#include "editor/gui/frm_main.h"
#include "editor/gui/guarded_application.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// QUILLARY_SCREENSHOT=<file.png>: once the window is on screen, save a picture
// of it and quit (used to keep the picture in the documentation current).
void scheduleScreenshot(frmMain& window, const QString& path)
{
    QTimer::singleShot(0, &window, [&window, path] {
        const bool saved = window.grab().save(path);
        window.close();
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(ProgramTitle);

    WidgetDialogs dialogs;
    setUserDialogs(&dialogs);

    int result = 0;
    {
        // The catalogue is the one in the folder the program is started in.
        frmMain window(QDir::currentPath());
        try {
            window.Form_Load();
        } catch (...) {
            reportEscapedException(std::current_exception());
        }
        window.show();
        const QString screenshot = qEnvironmentVariable("QUILLARY_SCREENSHOT");
        if (!screenshot.isEmpty())
            scheduleScreenshot(window, screenshot);
        result = QApplication::exec();
    }
    setUserDialogs(nullptr);
    return result;
}
