#include "search/gui/frm_find.h"

#include "catalogue/db_error_handler.h"
#include "common/gui/current_entry_visible.h"
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/field_catalogue_source.h"
#include "database/database.h"
#include "database/recordset.h"
#include "search/search_criterion.h"

#include <QCloseEvent>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;
using SearchCriterion::FieldKind;

namespace {

void addEntry(QListWidget* list, const QString& text, const QVariant& data)
{
    auto* item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, data);
}

// The code stored beside the list's current entry (the one the user moved
// to, which the selection follows), or 0.
int chosenCode(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void selectFirst(QListWidget* list)
{
    if (list->count() > 0)
        list->setCurrentRow(0);
}

} // namespace

frmFind::frmFind(Database& catalogue, Recordset& books, QWidget* parent)
    : QDialog(parent), m_catalogue(&catalogue), m_books(&books)
{
    setupUi(this);
    optWhere = {nullptr, optWhere_1, optWhere_2, optWhere_3, optWhere_4};
    // Until a field is chosen the window shows the controls of a text field.
    lstNum->hide();
    lstBool->hide();
    lstSel->hide();

    for (QListWidget* list : {lstField, lstText, lstNum, lstBool, lstSel})
        keepCurrentEntryVisible(list);

    connect(lstField, &QListWidget::currentRowChanged, this, &frmFind::lstField_Click);
    connect(txtToFind, &QLineEdit::textChanged, this, &frmFind::txtToFind_Change);
    connect(lstBool, &QListWidget::currentRowChanged, this, &frmFind::lstBool_Click);
    connect(lstBool, &QListWidget::itemClicked, this, &frmFind::lstBool_Click);
    connect(cmdFind, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFind::cmdCancel_Click);
}

frmFind::~frmFind() = default;

void frmFind::useBooks(Database& catalogue, Recordset& books)
{
    m_catalogue = &catalogue;
    m_books = &books;
}

bool frmFind::Form_Load()
{
    const bool opened = runStep([this] {
        m_fieldCatalogue = openFieldCatalogue();
        m_fields = m_fieldCatalogue->openRecordset(fieldsOfKeyQuery(sharedState().CatalogueKey),
                                                   RecordsetType::Snapshot);
    });
    if (!opened)
        return false;
    {
        const QSignalBlocker fieldsQuiet(lstField);
        const QSignalBlocker boolQuiet(lstBool);
        fillFieldList();
        fillOperatorLists();
    }
    lstField_Click();
    return true;
}

void frmFind::fillFieldList()
{
    lstField->clear();
    runStep([this] {
        if (m_fields->recordCount() == 0)
            return;
        for (m_fields->moveFirst(); !m_fields->eof(); m_fields->moveNext())
            addEntry(lstField, m_fields->value(u"Desc"_s).toString(), m_fields->value(u"specid"_s));
    });
    selectFirst(lstField);
}

void frmFind::fillOperatorLists()
{
    using namespace SearchCriterion;
    lstText->clear();
    addEntry(lstText, u"Contains"_s, Contains);
    addEntry(lstText, u"Begins With"_s, BeginsWith);
    addEntry(lstText, u"Ends With"_s, EndsWith);
    addEntry(lstText, u"Equals"_s, Equals);
    lstNum->clear();
    addEntry(lstNum, u"="_s, Equal);
    addEntry(lstNum, u"not ="_s, NotEqual);
    addEntry(lstNum, u"<"_s, Less);
    addEntry(lstNum, u">"_s, Greater);
    addEntry(lstNum, u"<="_s, LessOrEqual);
    addEntry(lstNum, u">="_s, GreaterOrEqual);
    lstBool->clear();
    addEntry(lstBool, u"True"_s, IsTrue);
    addEntry(lstBool, u"False"_s, IsFalse);
    for (QListWidget* list : {lstText, lstNum, lstBool})
        selectFirst(list);
}

std::optional<FieldSpecRow> frmFind::chosenField()
{
    const QListWidgetItem* entry = lstField->currentItem();
    if (!entry || !m_fields)
        return std::nullopt;
    std::optional<FieldSpecRow> field;
    runStep([&] {
        m_fields->findFirst(u"specid = "_s + QString::number(entry->data(Qt::UserRole).toLongLong()));
        if (!m_fields->noMatch())
            field = readFieldSpec(*m_fields);
    });
    return field;
}

void frmFind::lstField_Click()
{
    if (const std::optional<FieldSpecRow> field = chosenField())
        arrangeControls(*field);
}

void frmFind::arrangeControls(const FieldSpecRow& field)
{
    const FieldKind kind = SearchCriterion::kindOf(field);
    if (kind == FieldKind::Unsupported)
        return;
    lstText->setVisible(kind == FieldKind::Text);
    lstNum->setVisible(kind == FieldKind::Number || kind == FieldKind::Date);
    lstBool->setVisible(kind == FieldKind::YesNo);
    lstSel->setVisible(kind == FieldKind::Lookup);
    const bool typed = kind == FieldKind::Text || kind == FieldKind::Number || kind == FieldKind::Date;
    lblToFind->setVisible(typed);
    txtToFind->setVisible(typed);
    lblOperator->setText(typed ? u"Operator"_s : u"Select Value"_s);
    if (kind == FieldKind::Lookup)
        refillLookupValues(field);
}

void frmFind::refillLookupValues(const FieldSpecRow& field)
{
    lstSel->clear();
    runStep([&] {
        auto values =
            m_catalogue->openRecordset(SearchCriterion::lookupValuesQuery(field), RecordsetType::Snapshot);
        for (; !values->eof(); values->moveNext())
            addEntry(lstSel, values->value(u"descr"_s).toString(), values->value(u"id"_s));
    });
    lstSel->setCurrentItem(nullptr);
    lstSel->clearSelection();
}

void frmFind::txtToFind_Change()
{
    moveBooksToFirst();
}

void frmFind::lstBool_Click()
{
    moveBooksToFirst();
}

// A following Find Next or Find Previous starts from the first book of the
// current order.
void frmFind::moveBooksToFirst()
{
    runStep([this] {
        if (m_books->recordCount() > 0)
            m_books->moveFirst();
    });
}

void frmFind::cmdFind_Click()
{
    const std::optional<FieldSpecRow> field = chosenField();
    // A field the window cannot search (a time) gives no criterion: nothing
    // happens, as without a field.
    if (!field || SearchCriterion::kindOf(*field) == FieldKind::Unsupported)
        return;
    SharedState& shared = sharedState();
    shared.DialogCancelled = false;
    const std::optional<QString> criterion = criterionFor(*field);
    if (!criterion || !search(*criterion)) {
        shared.DialogCancelled = true; // closing the window now counts as cancelled
        return;
    }
    done(QDialog::Accepted);
}

std::optional<QString> frmFind::criterionFor(const FieldSpecRow& field)
{
    const QString typed = txtToFind->text();
    std::optional<QString> criterion;
    switch (SearchCriterion::kindOf(field)) {
    case FieldKind::Text:
        criterion = SearchCriterion::text(field.fieldname, chosenCode(lstText), typed);
        break;
    case FieldKind::Lookup:
        if (lstSel->selectedItems().isEmpty()) {
            userDialogs().message(u"You must select a value to find from the second list."_s,
                                  u"No Value Selected"_s);
            lstSel->setFocus();
            return std::nullopt;
        }
        criterion = SearchCriterion::lookup(
            field.linkfield, lstSel->selectedItems().constFirst()->data(Qt::UserRole).toLongLong());
        break;
    case FieldKind::Number:
        criterion = SearchCriterion::number(field.fieldname, chosenCode(lstNum), typed);
        if (!criterion) {
            userDialogs().message(u"You must enter a valid number for this field."_s,
                                  u"Search Value Not Numeric"_s);
            txtToFind->setFocus();
        }
        break;
    case FieldKind::Date:
        criterion = SearchCriterion::date(field.fieldname, chosenCode(lstNum), typed);
        if (!criterion) {
            userDialogs().message(u"You must enter a valid date for this field."_s,
                                  u"Search Value Not Date"_s);
            txtToFind->setFocus();
        }
        break;
    case FieldKind::YesNo:
        criterion = SearchCriterion::yesNo(field.fieldname, chosenCode(lstBool));
        break;
    case FieldKind::Unsupported:
        break;
    }
    if (criterion && criterion->isEmpty())
        return std::nullopt; // no operator chosen
    return criterion;
}

// Runs the find of the chosen direction. A criterion the engine refuses is
// reported and the window stays open.
bool frmFind::search(const QString& criterion)
{
    return runStep([&] {
        if (optWhere[2]->isChecked())
            m_books->findPrevious(criterion);
        else if (optWhere[3]->isChecked())
            m_books->findNext(criterion);
        else if (optWhere[4]->isChecked())
            m_books->findLast(criterion);
        else
            m_books->findFirst(criterion);
    });
}

void frmFind::cmdCancel_Click()
{
    done(QDialog::Rejected);
}

void frmFind::reject()
{
    cmdCancel_Click();
}

void frmFind::closeEvent(QCloseEvent* event)
{
    m_unloadRequested = true;
    QDialog::closeEvent(event);
}
