#pragma once

#include "ui_frm_about.h"

#include <QDialog>

// "About Quillary": the program's icon, name, version and a few lines about
// it; its home page opens in the browser when clicked (or on Enter or Space
// while it has the focus).
class frmAbout : public QDialog, public Ui::frmAbout
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

public slots:
    void Label8_Click();
    void cmdOk_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
