#include "reports/gui/frm_rpt_sel.h"

#include "catalogue/db_error_handler.h"
#include "common/gui/current_entry_visible.h"
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "database/recordset.h"
#include "reports/report_state.h"

using namespace Qt::StringLiterals;

frmRptSel::frmRptSel(Database& db, QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    keepCurrentEntryVisible(List1);
    connect(optAll, &QRadioButton::clicked, this, &frmRptSel::optAll_Click);
    connect(optSelected, &QRadioButton::clicked, this, &frmRptSel::optSelected_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmRptSel::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRptSel::cmdCancel_Click);

    auto text = [](const Recordset& rows, const QString& column) { return rows.value(column).toString(); };
    switch (SelectionKind(reportState().RptSelKind)) {
    case SelectionKind::Authors:
        setWindowTitle(u"Author Report"_s);
        optAll->setText(u"All Authors"_s);
        optSelected->setText(u"Selected Author"_s);
        fillList(
            db, u"select LastName, FirstName, AuthID from Authors order by LastName, FirstName"_s,
            [&](const Recordset& rows) -> QString {
                return text(rows, u"LastName"_s) + u", "_s + text(rows, u"FirstName"_s);
            },
            u"AuthID"_s);
        break;
    case SelectionKind::Categories:
        setWindowTitle(u"Category Report"_s);
        optAll->setText(u"All Categories"_s);
        optSelected->setText(u"Selected Category"_s);
        fillList(
            db, u"select CatName, CatID from Categories order by CatName"_s,
            [&](const Recordset& rows) { return text(rows, u"CatName"_s); }, u"CatID"_s);
        break;
    case SelectionKind::Locations:
        setWindowTitle(u"Location Report"_s);
        optAll->setText(u"All Locations"_s);
        optSelected->setText(u"Selected Location"_s);
        fillList(
            db, u"select LocName, LocID from Locations order by LocName"_s,
            [&](const Recordset& rows) { return text(rows, u"LocName"_s); }, u"LocID"_s);
        break;
    }
    optAll->setChecked(true);
    List1->setEnabled(false);
    List1->setCurrentRow(-1);
}

void frmRptSel::fillList(Database& db, const QString& sql,
                         const std::function<QString(const Recordset&)>& entry, const QString& keyColumn)
{
    runStep([&] {
        auto rows = db.openRecordset(sql, RecordsetType::Snapshot);
        for (; !rows->eof(); rows->moveNext()) {
            auto* item = new QListWidgetItem(entry(*rows), List1);
            item->setData(Qt::UserRole, rows->value(keyColumn));
        }
    });
}

void frmRptSel::optAll_Click()
{
    List1->clearSelection();
    List1->setCurrentRow(-1);
    List1->setEnabled(false);
}

void frmRptSel::optSelected_Click()
{
    List1->setEnabled(true);
}

void frmRptSel::cmdOk_Click()
{
    sharedState().DialogCancelled = false;
    if (optAll->isChecked()) {
        reportState().RptSelID = -1;
        accept();
        return;
    }
    const QList<QListWidgetItem*> chosen = List1->selectedItems();
    if (chosen.isEmpty()) {
        userDialogs().message(u"You must make a selection from the list!"_s);
        sharedState().DialogCancelled = true;
        return;
    }
    reportState().RptSelID = qint32(chosen.first()->data(Qt::UserRole).toLongLong());
    accept();
}

void frmRptSel::cmdCancel_Click()
{
    reject();
}
