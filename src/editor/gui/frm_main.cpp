#include "editor/gui/frm_main.h"

#include "catalogue/catalogue_location.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "common/gui/leaving_fields.h"
#include "common/gui/second_click_guard.h"
#include "common/locale_formats.h"
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/gui/frm_rptspec.h"
#include "custom_reports/report_generation.h"
#include "database/database.h"
#include "database/recordset.h"
#include "database/sqlite_extensions.h"
#include "dates/date_format.h"
#include "editor/gui/control_character_guard.h"
#include "editor/gui/field_validation.h"
#include "editor/gui/lookup_completion.h"
#include "import/startup_conversion.h"
#include "reports/gui/reports_menu.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QScopeGuard>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>
#include <initializer_list>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString AddNewCaption = u"&Add New"_s;
const QString AddAnotherCaption = u"&Add Another"_s;

// A column value as the text of a field: Null as the empty text, numbers in
// their plain decimal form.
QString plainText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
        return LocaleFormats::plainNumber(value.toDouble());
    case QMetaType::LongLong:
    case QMetaType::Int:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

QString currencyText(const QVariant& value)
{
    return value.isNull() ? QString() : LocaleFormats::currency(value.toDouble());
}

QString shortDateText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return LocaleFormats::shortDate(value.toDateTime().date());
    case QMetaType::QDate:
        return LocaleFormats::shortDate(value.toDate());
    default:
        return QString();
    }
}

// Gives the groups stacked in one column of the window a common label width,
// so that their fields line up.
void alignLabelColumns(std::initializer_list<QGridLayout*> grids)
{
    int width = 0;
    for (QGridLayout* grid : grids) {
        for (int index = 0; index < grid->count(); ++index) {
            int row = 0;
            int column = 0;
            int rowSpan = 0;
            int columnSpan = 0;
            grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
            const QWidget* widget = grid->itemAt(index)->widget();
            if (column == 0 && columnSpan == 1 && widget && !widget->isHidden())
                width = std::max(width, widget->sizeHint().width());
        }
    }
    for (QGridLayout* grid : grids)
        grid->setColumnMinimumWidth(0, width);
}

} // namespace

frmMain::frmMain(const QString& dataFolder, QWidget* parent) : QMainWindow(parent), m_dataFolder(dataFolder)
{
    setupUi(this);
    alignLabelColumns({bookGrid, publicationGrid});
    alignLabelColumns({purchaseGrid, shelfGrid, readingGrid});
    const int dateLabelWidth = std::max(lblReadDate->sizeHint().width(), lblLoanDate->sizeHint().width());
    lblReadDate->setMinimumWidth(dateLabelWidth);
    lblLoanDate->setMinimumWidth(dateLabelWidth);
    setUpControlArrays();
    setUpLookupCombos();
    setUpDateFields();
    connectEditSignals();
    connectLookupFields();
    connectFieldChecks();
    connectCommands();
    connectReports();
    connectBookList();
    setUpKeyboard();
    // Queued: the repair runs inside a failed step, which must end first.
    setAfterRepair(
        [this] { QMetaObject::invokeMethod(this, &frmMain::catalogueRepaired, Qt::QueuedConnection); });
}

frmMain::~frmMain()
{
    setAfterRepair({});
    Form_Unload();
}

void frmMain::setUpControlArrays()
{
    optFiction = {optFiction_0, optFiction_1};
    optNew = {optNew_0, optNew_1};
    optPaperback = {optPaperback_0, optPaperback_1};
    mnuSort = {nullptr, mnuSort_1, mnuSort_2, mnuSort_3};
    mnuFormat = {nullptr, mnuFormat_1, mnuFormat_2};
    mnuReport = {nullptr,     mnuReport_1, mnuReport_2, mnuReport_3,
                 mnuReport_4, mnuReport_5, mnuReport_6, mnuReport_7};
    mnuDelUnused = {nullptr,        mnuDelUnused_1, mnuDelUnused_2, mnuDelUnused_3,
                    mnuDelUnused_4, mnuDelUnused_5, mnuDelUnused_6, mnuDelUnused_7};
    mnuHelp = {nullptr, mnuHelp_1, mnuHelp_2, mnuHelp_3};
}

void frmMain::setUpLookupCombos()
{
    for (const LookupField field : AllLookupFields) {
        auto* combo = findChild<QComboBox*>(lookupTable(field).comboName);
        Q_ASSERT(combo);
        lookupListOf(field).combo = combo;
        // Typed values that are not in the list are kept and resolved when the
        // book is saved, never inserted by the combo itself; the completion of
        // typed text is the window's own.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        // Sizing to the contents would measure every one of 20,000 authors.
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(12);
        if (auto* view = qobject_cast<QListView*>(combo->view()))
            view->setUniformItemSizes(true);
        combo->setModel(new QStandardItemModel(combo));
        combo->setCurrentIndex(-1);
    }
}

// Every change of a data control, typed or clicked, goes to MarkEdited; while
// the program fills the controls, Editing is raised so the changes it causes
// leave the window's state alone.
void frmMain::connectEditSignals()
{
    for (QLineEdit* edit :
         {txtTitle, txtVol, txtIssue, txtYear, txtISBN, txtCoverPrice, txtBuyPrice, txtLoanedTo})
        connect(edit, &QLineEdit::textChanged, this, &frmMain::MarkEdited);
    connect(txtNotes, &QPlainTextEdit::textChanged, this, &frmMain::MarkEdited);
    for (DateField* field : {dcBuyDate, dcReadDate, dcLoanDate})
        connect(field, &DateField::edited, this, &frmMain::MarkEdited);
    for (QCheckBox* box : {chkRead, chkOnLoan})
        connect(box, &QCheckBox::toggled, this, &frmMain::MarkEdited);
    for (const auto* group : {&optFiction, &optNew, &optPaperback})
        for (QRadioButton* option : *group)
            connect(option, &QRadioButton::toggled, this, &frmMain::MarkEdited);
}

// The lookup combos' changes and picks reach MarkEdited through the
// completion, so that a change is completed before it marks the book edited.
void frmMain::connectLookupFields()
{
    m_completion = new LookupCompletion(this);
    for (const LookupField field : LookupOpenOrder)
        m_completion->attach(comboFor(field), [this] { MarkEdited(); });
    m_completion->rewriteAuthorNameOnLeaving(cmbAuthID);
}

void frmMain::connectFieldChecks()
{
    m_fieldChecks = new FieldValidation(this);
    for (const NumberField field : {NumberField::CoverPrice, NumberField::BuyPrice, NumberField::Volume,
                                    NumberField::Issue, NumberField::Year})
        m_fieldChecks->watch(fieldFor(field), field);
    m_fieldChecks->copyCoverPriceInto(txtBuyPrice, [this] { return optNew[0]->isChecked(); });
    // Installed after the lookup completion, so that a pasted NUL or TAB is
    // gone before the completion reads the text being left.
    auto* controlCharacters = new ControlCharacterGuard(this);
    for (const auto& [field, name] : {std::pair<QWidget*, QString>{txtTitle, u"Title"_s},
                                      {txtISBN, u"ISBN"_s},
                                      {txtLoanedTo, u"Loaned To"_s},
                                      {cmbAuthID, u"Author"_s},
                                      {comboFor(LookupField::Publisher), u"Publisher"_s},
                                      {comboFor(LookupField::Category), u"Category"_s},
                                      {comboFor(LookupField::Owner), u"Owner"_s},
                                      {comboFor(LookupField::Location), u"Location"_s},
                                      {comboFor(LookupField::Format), u"Format"_s},
                                      {comboFor(LookupField::Series), u"Series"_s}})
        controlCharacters->watch(field, name);
    controlCharacters->watch(txtNotes, u"Notes"_s, true);
}

// The purchase date's calendar opens under the field's left edge, the other
// two under their right edges, beside the labels on their left. Purchase and
// reading dates of 1900 to 1930 open a hundred years later, where a date
// typed with a two-digit year belongs; a loan date opens as it is.
void frmMain::setUpDateFields()
{
    using Edge = CalendarPlacement::Edge;
    dcBuyDate->setCalendarOptions({u"Select Date"_s, Edge::Left, 3, true});
    dcReadDate->setCalendarOptions({u"Select Date"_s, Edge::Right, 3, true});
    dcLoanDate->setCalendarOptions({u"Select Date"_s, Edge::Right, 3, false});
    dcBuyDate->setRefusalMessage(
        u"You must enter a valid date for the purchase date, or leave the field blank."_s);
    dcReadDate->setRefusalMessage(
        u"You must enter a valid date for the date read, or leave the field blank."_s);
    dcLoanDate->setRefusalMessage(
        u"You must enter a valid date for the loan date, or leave the field blank."_s);
}

void frmMain::connectCommands()
{
    connect(cmdFirst, &QPushButton::clicked, this, &frmMain::cmdFirst_Click);
    connect(cmdPrevious, &QPushButton::clicked, this, &frmMain::cmdPrevious_Click);
    connect(cmdNext, &QPushButton::clicked, this, &frmMain::cmdNext_Click);
    connect(cmdLast, &QPushButton::clicked, this, &frmMain::cmdLast_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmMain::cmdAdd_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmMain::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMain::cmdCancel_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(cmdFind, &QPushButton::clicked, this, &frmMain::cmdFind_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    connect(mnuRptCustom, &QAction::triggered, this, &frmMain::mnuRptCustom_Click);
    for (int index = 1; index <= 3; ++index)
        connect(mnuSort[index], &QAction::triggered, this, [this, index] {
            // Held back while a book is being typed, however it is triggered.
            if (mnuSort[index]->isEnabled())
                mnuSort_Click(index);
        });
    for (QAction* command : {mnuSortMenu->menuAction(), mnuSort[1], mnuSort[2], mnuSort[3], mnuBackup,
                             mnuDelete->menuAction(), mnuPack})
        addCatalogueCommand(command);
    connectMaintenanceCommands();
    // The buttons of the two sets share their places: the second click of a
    // double click on Cancel or Update must not land on Find or Help.
    auto* secondClicks = new SecondClickGuard(this);
    for (QPushButton* button : findChildren<QPushButton*>())
        secondClicks->watch(button);
}

void frmMain::connectReports()
{
    ReportsMenu::Actions actions;
    actions.viewPrint = mnuFormat[1];
    actions.saveToFile = mnuFormat[2];
    for (size_t index = 1; index <= actions.lists.size(); ++index)
        actions.lists[index - 1] = mnuReport[index];
    actions.quickCount = mnuQuickCount;
    actions.countByCategory = mnuCountByCat;
    m_reports = new ReportsMenu(this, actions,
                                [this] { return m_session.isOpen() ? &m_session.database() : nullptr; });
}

void frmMain::setUpKeyboard()
{
    markDropsChanges(cmdCancel);
    auto* accessKeys = new AccessKeyLeavesField(this);
    for (QPushButton* button : findChildren<QPushButton*>())
        accessKeys->watch(button);
    (new AltKeysTypeNothing(this))->watchTree(centralWidget());
    // Alt+S belongs to First, whose caption gives it as well: two owners
    // would leave it with neither. The Sort menu is reached from the menu bar.
    mnuSortMenu->setTitle(u"Sort"_s);
    // F10 enters the menu bar on its first menu; the arrows go on from there.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        for (QAction* menu : menuBar()->actions())
            if (menu->isEnabled() && menu->isVisible()) {
                menuBar()->setActiveAction(menu);
                return;
            }
    });
}

// ---------------------------------------------------------------------------
// Start-up and shutdown

void frmMain::Form_Load()
{
    m_loaded = true;
    offerSetAsideCatalogue();
    QStringList conversions;
    // A catalogue still of the older kind (the conversion declined, or failed
    // and reported) could only fail to open: the start-up goes on without one.
    if (!offerOlderFileConversions(conversions) || !m_session.open(m_dataFolder, [this] { ChkDateFmt(); })) {
        // Nothing to show or edit without a catalogue: every later step would
        // only fail again, so the start-up ends here.
        showWithoutCatalogue();
        tellConversions(conversions);
        return;
    }
    loadLookupLists();
    showFirstBook();

    Editing = false;
    Adding = false;
    tellConversions(conversions);
}

// A catalogue or field catalogue the earlier program left in its own
// database format is offered for conversion, once a run, before anything
// opens it. Adds what to tell the user about the files converted; returns
// false when the catalogue is still of the older kind.
bool frmMain::offerOlderFileConversions(QStringList& summaries)
{
    if (std::exchange(m_olderFilesOffered, true))
        return true;
    bool catalogueUsable = true;
    const QDir folder(m_dataFolder);
    for (const auto& [fileName, kind] : {std::pair{CatalogueFileName, OlderFile::Catalogue},
                                         std::pair{FieldCatalogueFileName, OlderFile::FieldCatalogue}}) {
        const QString path =
            kind == OlderFile::Catalogue ? catalogueFileIn(m_dataFolder) : folder.filePath(fileName);
        const StartupConversion conversion = offerConversion(path, kind);
        if (conversion.outcome == StartupConversion::Outcome::Converted)
            summaries << conversion.summary;
        const bool stillOlder = conversion.outcome == StartupConversion::Outcome::Declined ||
                                conversion.outcome == StartupConversion::Outcome::Failed;
        if (kind == OlderFile::Catalogue && stillOlder)
            catalogueUsable = false;
    }
    return catalogueUsable;
}

// Told once the start-up is done, over the window it opened.
void frmMain::tellConversions(const QStringList& summaries)
{
    for (const QString& summary : summaries)
        userDialogs().message(summary, ProgramTitle);
}

void frmMain::restartOnCatalogue(const std::function<void()>& whileClosed)
{
    Form_Unload();
    if (whileClosed)
        whileClosed();
    showDesignedState();
    Form_Load();
    tellBookList(BookListNews::CatalogueReopened);
}

// The controls as a newly made window has them, so that a start-up on the
// same window begins where a fresh one would.
void frmMain::showDesignedState()
{
    Editing = true;
    ClearFields();
    Editing = false;
    Adding = false;
    EnableFields();
    ShowBrowseButtons();
    cmdAdd->setText(AddNewCaption);
    for (QPushButton* button : {cmdFirst, cmdPrevious, cmdNext, cmdLast, cmdAdd, cmdDelete, cmdFind})
        button->setEnabled(true);
    for (QAction* action : {mnuBackup, mnuDelete->menuAction(), mnuPack})
        action->setEnabled(true);
    mnuSortMenu->setEnabled(true);
    mnuReports->setEnabled(true);
    for (int item = 1; item <= 3; ++item)
        mnuSort[item]->setChecked(item == 1);
}

void frmMain::showWithoutCatalogue()
{
    Editing = true;
    ClearFields();
    Editing = false;
    DisableFields();
    for (QPushButton* button : {cmdFirst, cmdPrevious, cmdNext, cmdLast, cmdAdd, cmdDelete, cmdFind})
        button->setEnabled(false);
    for (QAction* action : {mnuBackup, mnuDelete->menuAction(), mnuPack})
        action->setEnabled(false);
    mnuSortMenu->setEnabled(false);
    mnuReports->setEnabled(false);
}

void frmMain::loadLookupLists()
{
    runStep([this] { LoadAuthorList(); });
    runStep([this] { LoadOwnerList(); });
    runStep([this] { LoadCategoryList(); });
    runStep([this] { LoadLocationList(); });
    runStep([this] { LoadPublisherList(); });
    runStep([this] { LoadFormatList(); });
    runStep([this] { LoadSeriesList(); });
}

void frmMain::showFirstBook()
{
    if (bookCount() < 1) {
        Editing = true;
        ClearFields();
        DisableFields();
        return;
    }
    runStep([this] {
        rsBooks->moveLast();
        rsBooks->moveFirst();
        ShowRecord();
    });
}

void frmMain::ChkDateFmt()
{
    ::ChkDateFmt();
}

void frmMain::Form_Unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    m_session.close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The designer asks about its unsaved report first; while it stays open
    // (a save asked for did not happen), so does the program.
    if (m_customReports && !m_customReports->close()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::mnuRptCustom_Click()
{
    sharedState().CatalogueKey = u"books"_s;
    if (m_customReports) {
        m_customReports->showNormal();
        m_customReports->raise();
        m_customReports->activateWindow();
        return;
    }
    m_customReports = new frmRptSpec(this);
    connect(m_customReports, &frmRptSpec::generateRequested, this, [this] {
        if (m_customReports && m_session.isOpen())
            GenerateReport(m_customReports->currentDefinition(), m_customReports->reportFields(),
                           m_session.database(), m_reports->windows());
    });
    m_customReports->Form_Load();
    m_customReports->show();
}

// ---------------------------------------------------------------------------
// Lookup lists

frmMain::LookupList& frmMain::lookupListOf(LookupField field)
{
    return m_lookups[static_cast<std::size_t>(field)];
}

const frmMain::LookupList& frmMain::lookupList(const QComboBox* combo) const
{
    for (const LookupList& list : m_lookups)
        if (list.combo == combo)
            return list;
    Q_UNREACHABLE();
}

// Clears the combo's list and fills it from a snapshot of its own, in the
// snapshot's order, in one batch: the lists are sorted by the query, and
// inserting 20,000 authors one by one into a live view would be slow.
void frmMain::fillLookupList(LookupField field)
{
    LookupList& list = lookupListOf(field);
    QComboBox* combo = list.combo;
    const QSignalBlocker blocker(combo);
    auto* model = new QStandardItemModel(combo);
    combo->setModel(model); // deletes the previous list's model, which the combo owns
    combo->setCurrentIndex(-1);
    list.entryByKey.clear();

    QList<QStandardItem*> items;
    readLookupList(m_session.database(), field, [&](qlonglong key, const QString& text) {
        auto* item = new QStandardItem(text);
        item->setData(key, Qt::UserRole);
        items.append(item);
        // The first entry carrying a key is the one shown for it.
        if (!list.entryByKey.contains(key))
            list.entryByKey.insert(key, item);
    });
    model->invisibleRootItem()->appendRows(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
}

int frmMain::LookupRow(const QComboBox* combo, qlonglong key) const
{
    const QStandardItem* entry = lookupList(combo).entryByKey.value(key, nullptr);
    return entry ? entry->row() : -1;
}

int frmMain::AddLookupEntry(QComboBox* combo, const QString& text, qlonglong key)
{
    auto* model = qobject_cast<QStandardItemModel*>(combo->model());
    Q_ASSERT(model);
    // The list is in the catalogue's order (case ignored, accented letters
    // beside their base letters); the new entry goes after
    // any entry that sorts equal to it.
    int low = 0;
    int high = model->rowCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (compareNoCase(model->item(middle)->text(), text) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    auto* item = new QStandardItem(text);
    item->setData(key, Qt::UserRole);
    model->insertRow(low, item);
    for (LookupList& list : m_lookups) {
        if (list.combo != combo)
            continue;
        QStandardItem*& first = list.entryByKey[key];
        if (!first || first->row() > low)
            first = item;
    }
    return low;
}

void frmMain::LoadAuthorList()
{
    fillLookupList(LookupField::Author);
}

void frmMain::LoadPublisherList()
{
    fillLookupList(LookupField::Publisher);
}

void frmMain::LoadCategoryList()
{
    fillLookupList(LookupField::Category);
}

void frmMain::LoadOwnerList()
{
    fillLookupList(LookupField::Owner);
}

void frmMain::LoadLocationList()
{
    fillLookupList(LookupField::Location);
}

void frmMain::LoadFormatList()
{
    fillLookupList(LookupField::Format);
}

void frmMain::LoadSeriesList()
{
    fillLookupList(LookupField::Series);
}

// ---------------------------------------------------------------------------
// Display

int frmMain::bookCount() const
{
    return m_session.bookCount();
}

// Selects the entry carrying the stored key; -1, Null or a key no entry
// carries (a lookup row removed since) leave the field empty. The text is
// shown as stored, neither completed nor partly selected.
void frmMain::showLookup(QComboBox* combo, const QVariant& key)
{
    bool isNumber = false;
    const qlonglong value = key.isNull() ? -1 : key.toLongLong(&isNumber);
    const int row = isNumber && value >= 0 ? LookupRow(combo, value) : -1;
    m_completion->setByProgram([combo, row] {
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
        if (row >= 0)
            combo->setCurrentIndex(row);
    });
}

void frmMain::ShowRecord()
{
    m_bookAsRead.reset();
    Editing = true;
    // Lowered also when reading the row fails, or no change would ever enter
    // the edit state again.
    const auto lowerEditing = qScopeGuard([this] { Editing = false; });
    const Recordset& rs = *rsBooks;

    m_shownBookId = rs.value(u"BookID"_s).toInt();
    txtVol->setText(plainText(rs.value(u"vol"_s)));
    txtIssue->setText(plainText(rs.value(u"issue"_s)));
    showLookup(cmbForID, rs.value(u"forID"_s));
    showLookup(cmbSerID, rs.value(u"serID"_s));
    txtTitle->setText(plainText(rs.value(u"Title"_s)));
    showLookup(cmbAuthID, rs.value(u"AuthID"_s));
    showLookup(cmbPubID, rs.value(u"pubID"_s));
    showLookup(cmbCatID, rs.value(u"CatID"_s));
    showLookup(cmbOwnerID, rs.value(u"ownerID"_s));
    showLookup(cmbLocID, rs.value(u"LocID"_s));

    const bool fiction = rs.value(u"Fiction"_s).toBool();
    optFiction[0]->setChecked(fiction);
    optFiction[1]->setChecked(!fiction);
    const bool bookNew = rs.value(u"New"_s).toBool();
    optNew[0]->setChecked(bookNew);
    optNew[1]->setChecked(!bookNew);
    const bool paperback = rs.value(u"paperback"_s).toBool();
    optPaperback[0]->setChecked(paperback);
    optPaperback[1]->setChecked(!paperback);

    txtISBN->setText(plainText(rs.value(u"ISBN"_s)));
    txtYear->setText(plainText(rs.value(u"Year"_s)));
    txtCoverPrice->setText(currencyText(rs.value(u"CoverPrice"_s)));
    txtBuyPrice->setText(currencyText(rs.value(u"BuyPrice"_s)));
    dcBuyDate->setText(shortDateText(rs.value(u"BuyDate"_s)));
    dcReadDate->setText(shortDateText(rs.value(u"ReadDate"_s)));
    chkRead->setChecked(rs.value(u"Read"_s).toBool());
    txtNotes->setPlainText(plainText(rs.value(u"Notes"_s)));
    chkOnLoan->setChecked(rs.value(u"OnLoan"_s).toBool());
    txtLoanedTo->setText(plainText(rs.value(u"LoanedTo"_s)));
    dcLoanDate->setText(shortDateText(rs.value(u"LoanDate"_s)));
    m_bookAsRead = readBookAsRead(rs, enteredBook());
}

void frmMain::ClearFields()
{
    m_bookAsRead.reset();
    for (QLineEdit* edit : {txtVol, txtIssue, txtTitle})
        edit->clear();
    txtNotes->clear();
    for (QLineEdit* edit : {txtISBN, txtYear, txtCoverPrice, txtBuyPrice})
        edit->clear();
    for (QComboBox* combo : {cmbAuthID, cmbPubID, cmbCatID, cmbOwnerID, cmbLocID, cmbForID, cmbSerID})
        showLookup(combo, QVariant());
    optFiction[0]->setChecked(true);
    optNew[0]->setChecked(true);
    optPaperback[0]->setChecked(true);
    dcBuyDate->setText(QString());
    dcReadDate->setText(QString());
    chkRead->setChecked(false);
    chkOnLoan->setChecked(false);
    txtLoanedTo->clear();
    dcLoanDate->setText(QString());
}

QList<QWidget*> frmMain::dataControls() const
{
    return {cmbSerID,      cmbForID,    txtVol,    txtIssue, txtTitle,  txtNotes,    txtISBN,   txtYear,
            txtCoverPrice, txtBuyPrice, cmbAuthID, cmbPubID, cmbCatID,  cmbOwnerID,  cmbLocID,  dcBuyDate,
            dcReadDate,    chkRead,     Frame1,    Frame2,   chkOnLoan, txtLoanedTo, dcLoanDate};
}

void frmMain::DisableFields()
{
    for (QWidget* control : dataControls())
        control->setEnabled(false);
}

void frmMain::EnableFields()
{
    for (QWidget* control : dataControls())
        control->setEnabled(true);
}

// ---------------------------------------------------------------------------
// Navigation

// Each button does nothing at all on an empty catalogue; otherwise it moves
// rsBooks and shows the book it lands on.
void frmMain::navigate(const std::function<void(Recordset&)>& move)
{
    if (bookCount() == 0)
        return;
    runStep([this, &move] {
        move(*rsBooks);
        ShowRecord();
    });
}

void frmMain::cmdFirst_Click()
{
    navigate([](Recordset& books) { books.moveFirst(); });
}

// A step past either end beeps and stays on the end book.
void frmMain::cmdPrevious_Click()
{
    navigate([](Recordset& books) {
        books.movePrevious();
        if (books.bof()) {
            userDialogs().beep();
            books.moveFirst();
        }
    });
}

void frmMain::cmdNext_Click()
{
    navigate([](Recordset& books) {
        books.moveNext();
        if (books.eof()) {
            userDialogs().beep();
            books.moveLast();
        }
    });
}

void frmMain::cmdLast_Click()
{
    navigate([](Recordset& books) { books.moveLast(); });
}

// ---------------------------------------------------------------------------
// Editing: adding, storing, dropping and deleting books

void frmMain::cmdAdd_Click()
{
    if (cmdAdd->text() != AddAnotherCaption) {
        // "Add New": an empty window for a new book. rsBooks stays on a book
        // so that Cancel has one to show again.
        mnuSort_Click(static_cast<int>(SortOrder));
        Adding = true;
        if (bookCount() != 0)
            runStep([this] { rsBooks->moveLast(); });
        else
            EnableFields(); // they were disabled while the catalogue was empty
        ClearFields();
        ShowEditButtons();
        cmdAdd->setText(AddAnotherCaption);
    } else {
        // "Add Another": the book entered so far is stored before the next
        // one; a book that could not be stored stays on screen.
        if (!TitleEntered() || !SaveRecord(std::nullopt).stored)
            return;
        tellBookList(BookListNews::BooksChanged);
        mnuSort_Click(static_cast<int>(SortOrder));
        ClearFields();
    }
    txtTitle->setFocus(Qt::OtherFocusReason);
}

void frmMain::cmdUpdate_Click()
{
    if (!TitleEntered())
        return;
    std::optional<qint32> existingBookId;
    if (!Adding) {
        if (bookCount() == 0)
            return;
        if (!runStep([&] { existingBookId = rsBooks->value(u"bookid"_s).toInt(); }))
            return;
    }
    const StoreResult result = SaveRecord(existingBookId);
    if (!result.stored)
        return; // still editing or adding, with the values as typed
    if (Adding)
        cmdAdd->setText(AddNewCaption);
    tellBookList(BookListNews::BooksChanged);
    mnuSort_Click(static_cast<int>(SortOrder));
    showStoredBook(result.bookId);
    ShowBrowseButtons();
    Adding = false;
    Editing = false;
}

void frmMain::cmdCancel_Click()
{
    if (bookCount() != 0) {
        runStep([this] { ShowRecord(); });
    } else {
        Editing = true;
        ClearFields();
        DisableFields();
    }
    ShowBrowseButtons();
    if (Adding) {
        cmdAdd->setText(AddNewCaption);
        mnuSort_Click(static_cast<int>(SortOrder));
        Adding = false;
    }
    Editing = false;
}

void frmMain::cmdDelete_Click()
{
    if (bookCount() == 0)
        return;
    if (userDialogs().question(u"Are you sure that you want to delete this book?"_s, u"Delete Book"_s) !=
        UserDialogs::Answer::Yes)
        return;
    qint32 bookId = -1;
    if (!runStep([&] { bookId = rsBooks->value(u"bookid"_s).toInt(); }))
        return;
    // A book that could not be deleted stays on screen rather than making way
    // for the next one as if it were gone.
    if (!deleteBook(bookId))
        return;
    tellBookList(BookListNews::BooksChanged);
    mnuSort_Click(static_cast<int>(SortOrder));
    showAfterDelete();
}

bool frmMain::deleteBook(qint32 bookId)
{
    // Deleting where a failed find left the recordset would remove another
    // book: the session refuses a book it cannot find.
    const bool found = runStep([this, bookId] { m_session.openBookEditOn(bookId); });
    if (!found)
        return false;
    const bool deleted = writeWithRetry([this] { rsBookEdit->deleteRow(); });
    runStep([this] { m_session.database().idle(); });
    return deleted;
}

// The book after the deleted one in the current order, which is the second
// book now that mnuSort_Click has reopened rsBooks, or the only one left.
void frmMain::showAfterDelete()
{
    if (bookCount() != 0) {
        runStep([this] {
            rsBooks->moveNext();
            if (rsBooks->eof())
                rsBooks->movePrevious();
            ShowRecord();
        });
        return;
    }
    Editing = true;
    ClearFields();
    Editing = false;
    DisableFields();
}

bool frmMain::TitleEntered()
{
    if (!txtTitle->text().isEmpty())
        return true;
    userDialogs().message(u"You must enter a title, or click Cancel"_s, u"Missing Title"_s);
    return false;
}

StoreResult frmMain::SaveRecord(std::optional<qint32> existingBookId)
{
    StoreResult result;
    // A date the locale cannot read would be stored as no date at all; Update
    // pressed before the field was left refuses it as leaving would.
    for (DateField* field : {dcBuyDate, dcReadDate, dcLoanDate})
        if (!field->acceptText())
            return result;
    const BookEntry entry = enteredBook();
    runStep([&] {
        if (!rsBookEdit)
            throw DbError(DbErrorNumber::ObjectClosed, u"Object invalid or no longer set."_s);
        LookupResolver resolver = m_session.lookupResolver();
        result = writeBook(m_session.database(), *rsBookEdit, entry, resolver, existingBookId,
                           m_bookAsRead ? &*m_bookAsRead : nullptr);
    });
    if (result.stored) {
        addListEntries(result.listEntries);
    } else if (result.refusedField) {
        // Nothing was written; the message has been shown.
        fieldFor(*result.refusedField)->setFocus(Qt::OtherFocusReason);
    } else {
        // The store was rolled back, but the lookup dynasets still hold the
        // keys of the rows it had added: opened afresh, they match the tables.
        reopenEditRecordsets();
    }
    return result;
}

BookEntry frmMain::enteredBook() const
{
    BookEntry entry;
    entry.title = txtTitle->text();
    entry.vol = txtVol->text();
    entry.issue = txtIssue->text();
    entry.year = txtYear->text();
    entry.isbn = txtISBN->text();
    entry.coverPrice = txtCoverPrice->text();
    entry.buyPrice = txtBuyPrice->text();
    entry.buyDate = dcBuyDate->text();
    entry.readDate = dcReadDate->text();
    entry.notes = txtNotes->toPlainText();
    entry.loanedTo = txtLoanedTo->text();
    entry.loanDate = dcLoanDate->text();
    entry.fiction = optFiction[0]->isChecked();
    entry.boughtNew = optNew[0]->isChecked();
    entry.paperback = optPaperback[0]->isChecked();
    entry.read = chkRead->isChecked();
    entry.onLoan = chkOnLoan->isChecked();
    for (const LookupField field : AllLookupFields)
        entry.lookups[field] = comboFor(field)->currentText();
    return entry;
}

QComboBox* frmMain::comboFor(LookupField field) const
{
    return m_lookups[static_cast<std::size_t>(field)].combo;
}

QLineEdit* frmMain::fieldFor(NumberField field) const
{
    switch (field) {
    case NumberField::CoverPrice:
        return txtCoverPrice;
    case NumberField::BuyPrice:
        return txtBuyPrice;
    case NumberField::Volume:
        return txtVol;
    case NumberField::Issue:
        return txtIssue;
    case NumberField::Year:
        return txtYear;
    }
    return txtYear;
}

// New lookup values join their lists once the book is stored, never before:
// a store that fails adds no rows, so it must add no entries either.
void frmMain::addListEntries(const std::vector<LookupAddition>& entries)
{
    for (const LookupAddition& added : entries)
        AddLookupEntry(comboFor(added.field), added.text, added.key);
}

void frmMain::reopenEditRecordsets()
{
    m_session.reopenEditRecordsets();
}

// After a store: the book is found again by its key in the reopened order.
void frmMain::showStoredBook(qint32 bookId)
{
    if (bookCount() == 0)
        return;
    runStep([this, bookId] {
        rsBooks->findFirst(u"bookid = "_s + QString::number(bookId));
        if (rsBooks->noMatch())
            rsBooks->moveFirst();
        ShowRecord();
    });
}

// The search window moves rsBooks; the book it lands on is shown, and after a
// search that found nothing or never ran, the book from before.
void frmMain::cmdFind_Click()
{
    if (m_search.run(m_session, this))
        runStep([this] { ShowRecord(); });
}

// ---------------------------------------------------------------------------
// Edit state

void frmMain::MarkEdited()
{
    if (Editing || Adding)
        return;
    Editing = true;
    ShowEditButtons();
    cmdAdd->hide();
}

void frmMain::addCatalogueCommand(QAction* command)
{
    m_catalogueCommands.append(command);
}

void frmMain::setCatalogueCommandsEnabled(bool enabled)
{
    for (QAction* command : std::as_const(m_catalogueCommands))
        command->setEnabled(enabled);
}

void frmMain::ShowEditButtons()
{
    setCatalogueCommandsEnabled(false);
    for (QPushButton* button : {cmdFirst, cmdPrevious, cmdNext, cmdLast, cmdFind, cmdDelete, cmdHelp})
        button->hide();
    cmdCancel->show();
    cmdUpdate->show();
}

void frmMain::ShowBrowseButtons()
{
    for (QPushButton* button : {cmdFirst, cmdPrevious, cmdNext, cmdLast, cmdFind, cmdDelete, cmdHelp, cmdAdd})
        button->show();
    cmdCancel->hide();
    cmdUpdate->hide();
    setCatalogueCommandsEnabled(true);
    enableMaintenanceCommands(m_session.isOpen());
}

// ---------------------------------------------------------------------------
// Sorting

void frmMain::mnuSort_Click(int index)
{
    if (index < 1 || index > 3)
        return;
    for (int item = 1; item <= 3; ++item)
        mnuSort[item]->setChecked(item == index);
    runStep([this, index] { m_session.reopenBooks(static_cast<::SortOrder>(index)); });
    if (bookCount() < 1) {
        DisableFields();
        return;
    }
    runStep([this] {
        rsBooks->moveLast();
        rsBooks->moveFirst();
        ShowRecord();
    });
}
