#include "common/gui/widget_desktop_opener.h"

#include <QDesktopServices>

bool WidgetDesktopOpener::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
