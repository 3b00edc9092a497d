#include "maintenance/gui/desktop_open.h"

#include <QDesktopServices>

namespace {

std::function<void(const QUrl&)>& opener()
{
    static std::function<void(const QUrl&)> installed;
    return installed;
}

} // namespace

void openWithDesktop(const QUrl& url)
{
    if (opener())
        opener()(url);
    else
        QDesktopServices::openUrl(url);
}

void setDesktopOpener(std::function<void(const QUrl&)> replacement)
{
    opener() = std::move(replacement);
}
