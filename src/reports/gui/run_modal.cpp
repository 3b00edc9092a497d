#include "reports/gui/run_modal.h"

#include <QDialog>

namespace {

std::function<int(QDialog&)>& installedRunner()
{
    static std::function<int(QDialog&)> runner;
    return runner;
}

} // namespace

int runModal(QDialog& dialog)
{
    if (installedRunner())
        return installedRunner()(dialog);
    return dialog.exec();
}

void setModalRunner(std::function<int(QDialog&)> runner)
{
    installedRunner() = std::move(runner);
}
