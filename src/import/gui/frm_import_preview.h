#pragma once

#include "import/book_import.h"
#include "ui_frm_import_preview.h"

#include <QDialog>

class Database;
class QComboBox;

// The preview of an import: what the file was found to be, which column
// fills which field (each choice changeable), the first rows as they would
// be stored, and how many books would be added, skipped or refused. Nothing
// is written here; Import accepts the window.
class frmImportPreview : public QDialog, public Ui::frmImportPreview
{
    Q_OBJECT

public:
    // Plans the import at once (reading the whole file). Throws DbError.
    frmImportPreview(BookImport& import, Database& db, QWidget* parent = nullptr);

    bool keepDuplicates() const { return chkKeepDuplicates->isChecked(); }
    const ImportPlan& plan() const { return m_plan; }
    // The field's choice in the mapping table.
    QComboBox* columnChoice(BookField field) const;

private:
    void fillMapping();
    void columnChosen(BookField field);
    void headerToggled(bool hasHeader);
    void replan();
    void showPlan();

    BookImport& m_import;
    Database& m_db;
    ImportPlan m_plan;
};
