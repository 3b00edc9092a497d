#pragma once

#include "ui_frm_read.h"

#include <QDialog>

// Asks whether the read list shows read or unread books. OK lowers
// DialogCancelled and sets ReadSelected; Cancel and closing change nothing.
class frmRead : public QDialog, public Ui::frmRead
{
    Q_OBJECT

public:
    explicit frmRead(QWidget* parent = nullptr);

    void cmdOk_Click();
    void cmdCancel_Click();
};
