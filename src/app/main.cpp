#include "common/gui/widget_desktop_opener.h"
#include "common/gui/widget_dialogs.h"
#include "common/user_dialogs.h"
#include "editor/gui/frm_main.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
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
    QApplication app(argc, argv);
    QApplication::setApplicationName(ProgramTitle);
    QApplication::setWindowIcon(QIcon(u":/icons/quillary.png"_s));
    // Lets the desktop match the windows with the installed quillary.desktop.
    QGuiApplication::setDesktopFileName(u"quillary"_s);

    WidgetDialogs dialogs;
    setUserDialogs(&dialogs);
    WidgetDesktopOpener desktop;
    setDesktopOpener(&desktop);

    int result = 0;
    {
        // The catalogue is the one in the folder the program is started in.
        frmMain window(QDir::currentPath());
        window.Form_Load();
        window.show();
        const QString screenshot = qEnvironmentVariable("QUILLARY_SCREENSHOT");
        if (!screenshot.isEmpty())
            scheduleScreenshot(window, screenshot);
        result = QApplication::exec();
    }
    setDesktopOpener(nullptr);
    setUserDialogs(nullptr);
    return result;
}
