#include "reports/gui/printer_choice.h"

#include "common/gui/modal_runner.h"

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
