#include "common/desktop_opener.h"

#include "common/installed_seam.h"

namespace {

// Without a desktop (tools, tests that do not care) nothing can be opened.
class NoDesktop final : public DesktopOpener
{
public:
    bool open(const QUrl&) override { return false; }
};

constinit InstalledSeam<DesktopOpener, NoDesktop> installed;

} // namespace

DesktopOpener& desktopOpener()
{
    return installed.get();
}

void setDesktopOpener(DesktopOpener* opener)
{
    installed.install(opener);
}
