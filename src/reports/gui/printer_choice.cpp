#include "reports/gui/printer_choice.h"

#include "reports/gui/run_modal.h"

#include <QPrintDialog>

namespace {

class PlatformPrintDialog final : public PrinterChoice
{
public:
    bool choose(QPrinter& printer, QWidget* parent) override
    {
        QPrintDialog dialog(&printer, parent);
        return runModal(dialog) == QDialog::Accepted;
    }
};

PlatformPrintDialog platformDialog;
PrinterChoice* installed = &platformDialog;

} // namespace

PrinterChoice& printerChoice()
{
    return *installed;
}

void setPrinterChoice(PrinterChoice* choice)
{
    installed = choice ? choice : &platformDialog;
}
