#include "common/gui/modal_runner.h"

#include <QDialog>

namespace {

class ExecRunner final : public ModalRunner
{
public:
    int exec(QDialog& dialog) override { return dialog.exec(); }
};

ExecRunner execRunner;
ModalRunner* installedRunner = &execRunner;

} // namespace

ModalRunner& modalRunner()
{
    return *installedRunner;
}

void setModalRunner(ModalRunner* runner)
{
    installedRunner = runner ? runner : &execRunner;
}
