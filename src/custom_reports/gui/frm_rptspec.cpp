#include "custom_reports/gui/frm_rptspec.h"

#include "common/gui/clearable_choice.h"
#include "common/gui/current_entry_visible.h"
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "custom_reports/report_criteria.h"
#include "database/database.h"

#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace {

constexpr int SpecIdRole = Qt::UserRole;

qint16 specIdOf(const QListWidgetItem* item)
{
    return qint16(item->data(SpecIdRole).toInt());
}

QListWidgetItem* selectedEntry(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void selectRow(QListWidget* list, int row)
{
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

} // namespace

frmRptSpec::frmRptSpec(QWidget* parent) : QMainWindow(parent)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setUpControlArrays();
    // A click on a command keeps the focus where it is: the command stores
    // the details control itself, so a refused value is reported once.
    cmdGenerate->setFocusPolicy(Qt::TabFocus);
    cmdCancel->setFocusPolicy(Qt::TabFocus);
    keepPlaceForDetails();
    keepCurrentEntryVisible(List1);
    keepCurrentEntryVisible(List2);
    frame1->hide();
    for (int kind = 1; kind <= 5; ++kind)
        fraSel[kind]->hide();
    connectCommands();
    connectChangeTracking();
    watchDetails();
    // A sort once chosen can be taken back. The lists keep their entries, so
    // the positions report files store mean the same fields.
    for (QComboBox* sort : {cmbSort1, cmbSort2}) {
        makeChoiceClearable(sort, u"(no sort)"_s, [this] { ReportChanged = true; });
        sort->setToolTip(u"Delete clears the sort"_s);
    }
}

// The details and every criteria frame keep their room while hidden, so the
// lists and their buttons stay where they are whatever kind of field the
// details show, or none: a second click on a button finds it where the first
// one did.
void frmRptSpec::keepPlaceForDetails()
{
    for (QWidget* frame :
         std::initializer_list<QWidget*>{frame1, fraSel1, fraSel2, fraSel3, fraSel4, fraSel5}) {
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
    }
    // Measured as they will look: the details are hidden from the start, and
    // what their layouts measured before the style was applied would stand
    // until they are first shown, and then grow.
    frame1->ensurePolished();
    for (QLayout* layout : frame1->findChildren<QLayout*>())
        layout->invalidate();
}

frmRptSpec::~frmRptSpec() = default;

void frmRptSpec::setUpControlArrays()
{
    optReportTo = {nullptr, optReportTo1, optReportTo2, optReportTo3};
    optOrient = {optOrient0, optOrient1};
    optWidth = {optWidth0, optWidth1};
    fraSel = {nullptr, fraSel1, fraSel2, fraSel3, fraSel4, fraSel5};
    optWidth[0]->setChecked(true);
    // "True" and "False" may both be off: the pair is kept exclusive by hand.
    optTrue->setAutoExclusive(false);
    optFalse->setAutoExclusive(false);
}

void frmRptSpec::connectCommands()
{
    const auto storingFirst = [this](void (frmRptSpec::*command)()) {
        return [this, command] {
            if (commitFocusedDetail())
                (this->*command)();
        };
    };
    connect(cmdAdd, &QToolButton::clicked, this, storingFirst(&frmRptSpec::cmdAdd_Click));
    connect(List1, &QListWidget::itemDoubleClicked, this, &frmRptSpec::cmdAdd_Click);
    connect(cmdRemove, &QToolButton::clicked, this, storingFirst(&frmRptSpec::cmdRemove_Click));
    connect(cmdUp, &QToolButton::clicked, this, storingFirst(&frmRptSpec::cmdUp_Click));
    connect(cmdDown, &QToolButton::clicked, this, storingFirst(&frmRptSpec::cmdDown_Click));
    connect(List2, &QListWidget::itemSelectionChanged, this, &frmRptSpec::ShowFieldDetails);
    connect(cmdGenerate, &QPushButton::clicked, this, &frmRptSpec::cmdGenerate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(mnuNew, &QAction::triggered, this, &frmRptSpec::mnuNew_Click);
    connect(mnuOpen, &QAction::triggered, this, &frmRptSpec::mnuOpen_Click);
    connect(mnuSave, &QAction::triggered, this, &frmRptSpec::mnuSave_Click);
    connect(mnuSaveAs, &QAction::triggered, this, &frmRptSpec::mnuSaveAs_Click);
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    for (int destination = 1; destination <= 3; ++destination)
        connect(optReportTo[destination], &QRadioButton::toggled, this, &frmRptSpec::showDestinationFrames);
    connect(optTrue, &QRadioButton::clicked, this, [this] { setYesNo(true, false); });
    connect(optFalse, &QRadioButton::clicked, this, [this] { setYesNo(false, true); });
    connect(chkHide, &QCheckBox::clicked, this, [this](bool checked) {
        if (fieldSettings().contains(CurrentSpecID))
            fieldSettings()[CurrentSpecID].HideField = checked;
    });
    connect(chkTotal, &QCheckBox::clicked, this, [this](bool checked) {
        if (fieldSettings().contains(CurrentSpecID))
            fieldSettings()[CurrentSpecID].ShowTotal = checked;
    });
}

// Every change the user makes marks the report as changed; what the window
// fills in itself does not.
void frmRptSpec::connectChangeTracking()
{
    const auto changed = [this] { ReportChanged = true; };
    for (QLineEdit* edit : {txtTitle, txtWidth, txtStarting, txtGreater, txtLess, txtStartTime, txtEndTime,
                            dcStartDate->lineEdit(), dcEndDate->lineEdit()})
        connect(edit, &QLineEdit::textEdited, this, changed);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             chkDate, chkHide, chkTotal, optOrient0, optOrient1, optWidth0, optWidth1, optTrue, optFalse,
             optReportTo1, optReportTo2, optReportTo3})
        connect(button, &QAbstractButton::clicked, this, changed);
    for (QComboBox* combo : {cmbPageNum, cmbSort1, cmbSort2})
        connect(combo, &QComboBox::activated, this, changed);
}

bool frmRptSpec::fileStep(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const DbError& error) {
        userDialogs().message(QString::number(error.number()) + u"  "_s + error.text());
        return false;
    }
}

void frmRptSpec::Form_Load()
{
    ReportChanged = false;
    ReportFileName.clear();
    ProgramKey = sharedState().CatalogueKey;
    fileStep([this] { dbFieldCat = openFieldCatalogue(); });
    cmbPageNum->clear();
    cmbPageNum->addItems({u"In Header"_s, u"At Bottom"_s, u"No Page Numbers"_s});
    ClearReport();
}

void frmRptSpec::ClearReport()
{
    loadFields();
    showDefinition(clearedReport(m_fields, widthUnit()));
}

void frmRptSpec::loadFields()
{
    m_fields = ReportFields{ProgramKey, 0, {}};
    if (dbFieldCat)
        fileStep([this] { m_fields = readReportFields(*dbFieldCat, ProgramKey); });
}

// Puts a whole definition on screen over the fields in m_fields.
void frmRptSpec::showDefinition(const ReportDefinition& report)
{
    frame1->hide();
    fraSel[CurrentDataType]->hide();
    CurrentDataType = 1;
    CurrentSpecID = 0;
    m_report = report;
    ProgramKey = report.ProgramKey;
    fillFieldLists();

    txtTitle->setText(report.title);
    optReportTo[qBound(1, report.destination, 3)]->setChecked(true);
    optOrient[qBound(0, report.orientation, 1)]->setChecked(true);
    optWidth[qBound(0, report.widthUnit, 1)]->setChecked(true);
    chkDate->setChecked(report.showDate);
    cmbPageNum->setCurrentIndex(report.pageNumbers);
    cmbSort1->setCurrentIndex(report.primarySort);
    cmbSort2->setCurrentIndex(report.secondarySort);
    chkHide->setChecked(false);
    chkTotal->setChecked(false);
    for (QLineEdit* edit : {txtWidth, txtStarting, txtGreater, txtLess, txtStartTime, txtEndTime})
        edit->clear();
    dcStartDate->setText(QString());
    dcEndDate->setText(QString());
    optTrue->setChecked(false);
    optFalse->setChecked(false);

    const QSignalBlocker blocker(List2);
    for (const qint16 specid : report.chosenFields) {
        for (int row = 0; row < List1->count(); ++row) {
            if (specIdOf(List1->item(row)) == specid) {
                moveToChosen(List1->item(row));
                break;
            }
        }
    }
    ReportChanged = false;
}

void frmRptSpec::fillFieldLists()
{
    const QSignalBlocker blocker(List2);
    List1->clear();
    List2->clear();
    cmbSort1->clear();
    cmbSort2->clear();
    for (const FieldSpecRow& row : m_fields.rows) {
        auto* entry = new QListWidgetItem(row.desc, List1);
        entry->setData(SpecIdRole, row.specid);
    }
    for (const FieldSpecRow& row : m_fields.sortChoices()) {
        cmbSort1->addItem(row.desc, row.specid);
        cmbSort2->addItem(row.desc, row.specid);
    }
}

int frmRptSpec::widthUnit() const
{
    return optWidth[1]->isChecked() ? 1 : 0;
}

ReportDefinition frmRptSpec::currentDefinition() const
{
    ReportDefinition report = m_report;
    report.ProgramKey = ProgramKey;
    report.title = txtTitle->text();
    for (int destination = 1; destination <= 3; ++destination) {
        if (optReportTo[destination]->isChecked())
            report.destination = destination;
    }
    report.orientation = optOrient[1]->isChecked() ? 1 : 0;
    report.showDate = chkDate->isChecked();
    report.pageNumbers = qMax(cmbPageNum->currentIndex(), 0);
    report.widthUnit = widthUnit();
    report.primarySort = cmbSort1->currentIndex();
    report.secondarySort = cmbSort2->currentIndex();
    report.chosenFields.clear();
    for (int row = 0; row < List2->count(); ++row)
        report.chosenFields.append(specIdOf(List2->item(row)));
    return report;
}

void frmRptSpec::ShowFieldDetails()
{
    const QListWidgetItem* chosen = selectedEntry(List2);
    if (!chosen) {
        frame1->hide();
        return;
    }
    frame1->show();
    CurrentSpecID = specIdOf(chosen);
    const FieldSpecRow* row = m_fields.find(CurrentSpecID);
    const qint16 kind = row ? row->datatype : qint16(1);
    // The frame stays when the kind does, and with it the focus inside it.
    if (kind != CurrentDataType)
        fraSel[CurrentDataType]->hide();
    CurrentDataType = kind;
    fraSel[CurrentDataType]->show();
    if (!fieldSettings().contains(CurrentSpecID))
        return;
    const FieldSetting& setting = fieldSettings()[CurrentSpecID];
    txtWidth->setText(ReportCriteria::columnWidthText(setting.ColWidth));
    chkHide->setChecked(setting.HideField);
    showCriteria(setting);
}

void frmRptSpec::showCriteria(const FieldSetting& setting)
{
    switch (CurrentDataType) {
    case 1:
        txtStarting->setText(setting.StartsWith);
        break;
    case 2:
        txtLess->setText(setting.LessThan);
        txtGreater->setText(setting.GreaterThan);
        chkTotal->setChecked(setting.ShowTotal);
        break;
    case 3:
        dcStartDate->setText(ReportCriteria::dateBoundText(setting.StartValue));
        dcEndDate->setText(ReportCriteria::dateBoundText(setting.EndValue));
        break;
    case 4:
        optTrue->setChecked(setting.SelTrue);
        optFalse->setChecked(setting.SelFalse);
        break;
    case 5:
        txtStartTime->setText(ReportCriteria::timeBoundText(setting.StartValue));
        txtEndTime->setText(ReportCriteria::timeBoundText(setting.EndValue));
        break;
    default:
        break;
    }
}

void frmRptSpec::setYesNo(bool selTrue, bool selFalse)
{
    optTrue->setChecked(selTrue);
    optFalse->setChecked(selFalse);
    if (!fieldSettings().contains(CurrentSpecID))
        return;
    fieldSettings()[CurrentSpecID].SelTrue = selTrue;
    fieldSettings()[CurrentSpecID].SelFalse = selFalse;
}

void frmRptSpec::showDestinationFrames()
{
    const bool screen = optReportTo[1]->isChecked();
    fraOrient->setVisible(screen);
    fraFormat->setVisible(screen);
}

void frmRptSpec::moveToChosen(QListWidgetItem* available)
{
    const QSignalBlocker blocker(List2);
    auto* chosen = new QListWidgetItem(available->text(), List2);
    chosen->setData(SpecIdRole, available->data(SpecIdRole));
    delete List1->takeItem(List1->row(available));
    selectRow(List2, List2->count() - 1);
    ShowFieldDetails();
}

// At its place by name, after any entry of the same name.
void frmRptSpec::insertAvailable(const QString& text, const QVariant& specid)
{
    int row = 0;
    while (row < List1->count() && List1->item(row)->text().compare(text, Qt::CaseInsensitive) <= 0)
        ++row;
    auto* entry = new QListWidgetItem(text);
    entry->setData(SpecIdRole, specid);
    List1->insertItem(row, entry);
}

void frmRptSpec::cmdAdd_Click()
{
    ReportChanged = true;
    QListWidgetItem* available = selectedEntry(List1);
    if (!available) {
        userDialogs().message(
            u"You must select a field from the list of available fields to add to the report."_s);
        return;
    }
    moveToChosen(available);
}

void frmRptSpec::cmdRemove_Click()
{
    ReportChanged = true;
    QListWidgetItem* chosen = selectedEntry(List2);
    if (!chosen) {
        userDialogs().message(u"You must select a field to remove from the report."_s);
        return;
    }
    const QSignalBlocker blocker(List2);
    insertAvailable(chosen->text(), chosen->data(SpecIdRole));
    delete List2->takeItem(List2->row(chosen));
    List2->clearSelection();
    List2->setCurrentRow(-1);
    if (List2->count() == 0)
        frame1->hide();
    else
        ShowFieldDetails();
}

void frmRptSpec::cmdUp_Click()
{
    moveChosen(-1, u"You must select the field to move up in the list"_s);
}

void frmRptSpec::cmdDown_Click()
{
    moveChosen(+1, u"You must select the field to move down in the list"_s);
}

void frmRptSpec::moveChosen(int step, const QString& noSelectionMessage)
{
    ReportChanged = true;
    QListWidgetItem* chosen = selectedEntry(List2);
    if (!chosen) {
        userDialogs().message(noSelectionMessage);
        return;
    }
    const int row = List2->row(chosen);
    const int neighbour = row + step;
    if (List2->count() < 2 || neighbour < 0 || neighbour >= List2->count())
        return;
    const QSignalBlocker blocker(List2);
    QListWidgetItem* other = List2->item(neighbour);
    const QString text = chosen->text();
    const QVariant specid = chosen->data(SpecIdRole);
    chosen->setText(other->text());
    chosen->setData(SpecIdRole, other->data(SpecIdRole));
    other->setText(text);
    other->setData(SpecIdRole, specid);
    selectRow(List2, neighbour);
    ShowFieldDetails();
}

void frmRptSpec::cmdGenerate_Click()
{
    if (commitFocusedDetail())
        emit generateRequested();
}
