#include "search/gui/find_window_modal.h"

#include <QDialog>

namespace {

std::function<int(QDialog&)>& installedRunner()
{
    static std::function<int(QDialog&)> runner;
    return runner;
}

} // namespace

int execFindWindow(QDialog& window)
{
    const std::function<int(QDialog&)>& runner = installedRunner();
    return runner ? runner(window) : window.exec();
}

void setFindWindowRunner(std::function<int(QDialog&)> runner)
{
    installedRunner() = std::move(runner);
}
