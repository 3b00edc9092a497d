#pragma once

class QPrinter;
class QWidget;

// The platform's print dialog, through which printing picks its printer.
// Tests install one that answers without a window.
class PrinterChoice
{
public:
    virtual ~PrinterChoice() = default;
    // Lets the user set up printer; false when the user cancelled.
    virtual bool choose(QPrinter& printer, QWidget* parent) = 0;
};

PrinterChoice& printerChoice();
// Installs the choice used from now on (not owned); nullptr restores the
// platform's dialog.
void setPrinterChoice(PrinterChoice* choice);
