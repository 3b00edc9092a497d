#include "common/desktop_opener.h"

namespace {

// Without a desktop (tools, tests that do not care) nothing can be opened.
class NoDesktop final : public DesktopOpener
{
public:
    bool open(const QUrl&) override { return false; }
};

NoDesktop noDesktop;
DesktopOpener* installedOpener = &noDesktop;

} // namespace

DesktopOpener& desktopOpener()
{
    return *installedOpener;
}

void setDesktopOpener(DesktopOpener* opener)
{
    installedOpener = opener ? opener : &noDesktop;
}
