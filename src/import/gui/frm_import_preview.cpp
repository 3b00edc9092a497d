#include "import/gui/frm_import_preview.h"

#include "common/progress.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace {

// A field filled from several columns as recognised (the first non-empty,
// or every one for the notes).
constexpr int SeveralColumns = -2;

QString columnName(const ColumnMapping& mapping, int column)
{
    const QString header = mapping.headers.value(column);
    return header.isEmpty() ? u"Column %1"_s.arg(column + 1) : header;
}

QString rowStatus(const PlannedRow& row, bool keepDuplicates)
{
    if (!row.refusal.isEmpty())
        return u"Refused: "_s + row.refusal;
    QString status = row.duplicateOf ? (keepDuplicates ? u"Add (already in the catalogue)"_s
                                                       : u"Skip: already in the catalogue"_s)
                                     : u"Add"_s;
    if (row.book.wrongIsbnCheckDigit)
        status += u"; the ISBN's check digit is wrong"_s;
    return status;
}

} // namespace

frmImportPreview::frmImportPreview(BookImport& import, Database& db, QWidget* parent)
    : QDialog(parent), m_import(import), m_db(db)
{
    setupUi(this);
    lblFile->setText(QDir::toNativeSeparators(import.path()));
    lblEncoding->setText(encodingName(import.encoding()));
    chkHeader->setChecked(import.mapping().hasHeader());
    tblMapping->setColumnCount(2);
    tblMapping->setHorizontalHeaderLabels({u"Field"_s, u"Column"_s});
    tblMapping->verticalHeader()->hide();
    tblMapping->horizontalHeader()->setStretchLastSection(true);
    tblRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(chkHeader, &QCheckBox::toggled, this, &frmImportPreview::headerToggled);
    connect(chkKeepDuplicates, &QCheckBox::toggled, this, [this] { showPlan(); });
    connect(cmdImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    fillMapping();
    replan();
}

QComboBox* frmImportPreview::columnChoice(BookField field) const
{
    return qobject_cast<QComboBox*>(tblMapping->cellWidget(int(field), 1));
}

void frmImportPreview::fillMapping()
{
    const ColumnMapping& mapping = m_import.mapping();
    lblFormat->setText(tableFormatName(mapping.format));
    tblMapping->setRowCount(BookFieldCount);
    const qsizetype columns = qMax(m_import.firstRow().size(), mapping.headers.size());
    for (const BookFieldInfo& info : bookFields()) {
        const int row = int(info.field);
        auto* caption = new QTableWidgetItem(info.caption);
        caption->setFlags(Qt::ItemIsEnabled);
        tblMapping->setItem(row, 0, caption);
        auto* choice = new QComboBox(tblMapping);
        choice->setObjectName(u"cmbColumn"_s + QString::number(row));
        choice->addItem(u"(nothing)"_s, -1);
        for (int column = 0; column < columns; ++column)
            choice->addItem(columnName(mapping, column), column);
        const QList<int>& chosen = mapping[info.field];
        if (chosen.size() > 1) {
            QStringList names;
            for (const int column : chosen)
                names.append(columnName(mapping, column));
            choice->addItem(names.join(u" + "_s), SeveralColumns);
        }
        choice->setCurrentIndex(chosen.isEmpty()    ? 0
                                : chosen.size() > 1 ? choice->count() - 1
                                                    : chosen.front() + 1);
        connect(choice, &QComboBox::currentIndexChanged, this,
                [this, field = info.field] { columnChosen(field); });
        tblMapping->setCellWidget(row, 1, choice);
    }
    tblMapping->resizeColumnToContents(0);
}

void frmImportPreview::columnChosen(BookField field)
{
    const int column = columnChoice(field)->currentData().toInt();
    if (column == SeveralColumns)
        return;
    ColumnMapping mapping = m_import.mapping();
    mapping[field] = column < 0 ? QList<int>() : QList<int>{column};
    if (field == BookField::Read)
        mapping.readShelfColumn = -1;
    m_import.setMapping(mapping);
    replan();
}

void frmImportPreview::headerToggled(bool hasHeader)
{
    ColumnMapping mapping;
    if (hasHeader) {
        mapping = recogniseTable(m_import.firstRow());
        if (!mapping.hasHeader()) {
            // A header naming no field: every choice is the user's.
            mapping = ColumnMapping();
            mapping.format = TableFormat::HeaderRow;
            mapping.headers = m_import.firstRow();
        }
    } else {
        for (int i = 0; i < BookFieldCount && i < m_import.firstRow().size(); ++i)
            mapping.columns[size_t(i)] = {i};
    }
    m_import.setMapping(mapping);
    fillMapping();
    replan();
}

void frmImportPreview::replan()
{
    ProgressTask task(u"Reading the books of the file..."_s);
    m_plan = m_import.plan(m_db, false, [&task](qint64 done, qint64 total) {
        task.advance(done, total);
        return true;
    });
    showPlan();
}

void frmImportPreview::showPlan()
{
    // Planned with duplicates skipped; kept, they are added too.
    const bool keep = keepDuplicates();
    const ImportCounts& counts = m_plan.counts;
    const qint64 added = counts.added + (keep ? counts.duplicates : 0);
    QString text = u"Books to add: %1.  Already in the catalogue: %2 (%3).  Refused: %4."_s.arg(added)
                       .arg(counts.duplicates)
                       .arg(keep ? u"added as further copies"_s : u"skipped"_s)
                       .arg(counts.refused);
    if (counts.wrongIsbns > 0)
        text += u"  ISBNs with a wrong check digit (kept as written): %1."_s.arg(counts.wrongIsbns);
    lblCounts->setText(text);
    cmdImport->setEnabled(added > 0);

    QStringList headers{u"Line"_s, u"Status"_s};
    for (const BookFieldInfo& info : bookFields())
        headers.append(info.caption);
    tblRows->clear();
    tblRows->setColumnCount(int(headers.size()));
    tblRows->setHorizontalHeaderLabels(headers);
    tblRows->setRowCount(int(m_plan.firstRows.size()));
    for (int r = 0; r < m_plan.firstRows.size(); ++r) {
        const PlannedRow& row = m_plan.firstRows[r];
        tblRows->setItem(r, 0, new QTableWidgetItem(QString::number(row.line)));
        tblRows->setItem(r, 1, new QTableWidgetItem(rowStatus(row, keep)));
        for (const BookFieldInfo& info : bookFields())
            tblRows->setItem(r, 2 + int(info.field),
                             new QTableWidgetItem(shownValue(info.field, row.book[info.field])));
    }
    tblRows->resizeColumnsToContents();
}
