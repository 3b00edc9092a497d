#include "reports/gui/printer_choice.h"

#include "common/gui/modal_runner.h"
#include "common/installed_seam.h"

#include <QPrintDialog>

namespace {

class PlatformPrintDialog final : public PrinterChoice
{
public:
    bool choose(QPrinter& printer, QWidget* parent) override
    {
        QPrintDialog dialog(&printer, parent);
        return modalRunner().exec(dialog) == QDialog::Accepted;
    }
};

constinit InstalledSeam<PrinterChoice, PlatformPrintDialog> installed;

} // namespace

PrinterChoice& printerChoice()
{
    return installed.get();
}

void setPrinterChoice(PrinterChoice* choice)
{
    installed.install(choice);
}
