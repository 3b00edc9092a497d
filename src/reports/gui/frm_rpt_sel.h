#pragma once

#include "ui_frm_rpt_sel.h"

#include <QDialog>
#include <functional>

class Database;
class Recordset;

// Asks for all or one author, category or location (by RptSelKind) before a
// book list runs. OK lowers DialogCancelled and sets RptSelID (-1 for all);
// Cancel and closing leave both as they were.
class frmRptSel : public QDialog, public Ui::frmRptSel
{
    Q_OBJECT

public:
    // Fills the list from db at once, in the order of its query.
    explicit frmRptSel(Database& db, QWidget* parent = nullptr);

    void optAll_Click();
    void optSelected_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    void fillList(Database& db, const QString& sql, const std::function<QString(const Recordset&)>& entry,
                  const QString& keyColumn);
};
