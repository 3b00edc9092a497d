#include "maintenance/gui/modal_exec.h"

#include <QDialog>

namespace {

std::function<int(QDialog&)>& runner()
{
    static std::function<int(QDialog&)> installed;
    return installed;
}

} // namespace

int execModal(QDialog& dialog)
{
    return runner() ? runner()(dialog) : dialog.exec();
}

void setModalExec(std::function<int(QDialog&)> replacement)
{
    runner() = std::move(replacement);
}
