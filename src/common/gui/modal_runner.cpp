#include "common/gui/modal_runner.h"

#include "common/installed_seam.h"

#include <QDialog>

namespace {

class ExecRunner final : public ModalRunner
{
public:
    int exec(QDialog& dialog) override { return dialog.exec(); }
};

constinit InstalledSeam<ModalRunner, ExecRunner> installed;

} // namespace

ModalRunner& modalRunner()
{
    return installed.get();
}

void setModalRunner(ModalRunner* runner)
{
    installed.install(runner);
}
