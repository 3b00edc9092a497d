#include "reports/gui/frm_read.h"

#include "common/shared_state.h"
#include "reports/report_state.h"

frmRead::frmRead(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    connect(cmdOk, &QPushButton::clicked, this, &frmRead::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRead::cmdCancel_Click);
}

void frmRead::cmdOk_Click()
{
    sharedState().DialogCancelled = false;
    reportState().ReadSelected = optRead->isChecked();
    accept();
}

void frmRead::cmdCancel_Click()
{
    reject();
}
