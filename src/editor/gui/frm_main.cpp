#include "editor/gui/frm_main.h"

#include "catalogue/book_columns.h"
#include "catalogue/catalogue_location.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "catalogue/duplicate_guard.h"
#include "common/gui/leaving_fields.h"
#include "common/gui/second_click_guard.h"
#include "common/locale_formats.h"
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "custom_reports/gui/custom_reports_menu.h"
#include "database/database.h"
#include "database/recordset.h"
#include "database/sqlite_extensions.h"
#include "dates/date_format.h"
#include "editor/catalogue_events.h"
#include "editor/catalogue_life.h"
#include "editor/gui/control_character_guard.h"
#include "editor/gui/field_validation.h"
#include "editor/gui/isbn_leave_check.h"
#include "editor/gui/lookup_completion.h"
#include "editor/lookup_list_model.h"
#include "import/gui/book_exchange_menu.h"
#include "maintenance/gui/maintenance_menu.h"
#include "reports/gui/reports_menu.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QScopeGuard>
#include <QShortcut>
#include <QSignalBlocker>

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

frmMain::frmMain(const QString& dataFolder, QWidget* parent)
    : QMainWindow(parent), m_events(new CatalogueEvents(this)),
      m_life(std::make_unique<CatalogueLife>(m_session, dataFolder, lifeView(), *m_events))
{
    setupUi(this);
    alignLabelColumns({bookGrid, publicationGrid});
    alignLabelColumns({purchaseGrid, shelfGrid, readingGrid});
    const int dateLabelWidth = std::max(lblReadDate->sizeHint().width(), lblLoanDate->sizeHint().width());
    lblReadDate->setMinimumWidth(dateLabelWidth);
    lblLoanDate->setMinimumWidth(dateLabelWidth);
    setUpControlArrays();
    findColumnControls();
    setUpLookupCombos();
    setUpDateFields();
    connectEditSignals();
    connectLookupFields();
    connectFieldChecks();
    connectCommands();
    connectReports();
    connectBookExchange();
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
        m_lookupCombos[static_cast<std::size_t>(field)] = combo;
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
        combo->setModel(new LookupListModel(combo));
        combo->setCurrentIndex(-1);
    }
}

// Every change of a data control, typed or clicked, goes to MarkEdited; while
// the program fills the controls, Editing is raised so the changes it causes
// leave the window's state alone.
void frmMain::connectEditSignals()
{
    for (const ColumnControl& control : m_columnControls) {
        if (auto* edit = qobject_cast<QLineEdit*>(control.widget))
            connect(edit, &QLineEdit::textChanged, this, &frmMain::MarkEdited);
        else if (auto* text = qobject_cast<QPlainTextEdit*>(control.widget))
            connect(text, &QPlainTextEdit::textChanged, this, &frmMain::MarkEdited);
        else if (auto* date = qobject_cast<DateField*>(control.widget))
            connect(date, &DateField::edited, this, &frmMain::MarkEdited);
        else if (auto* box = qobject_cast<QAbstractButton*>(control.widget))
            connect(box, &QAbstractButton::toggled, this, &frmMain::MarkEdited);
        if (control.no)
            connect(control.no, &QRadioButton::toggled, this, &frmMain::MarkEdited);
    }
}

// Each column's control, found once: the window shows a book at every step.
void frmMain::findColumnControls()
{
    for (const BookColumn& column : bookColumns()) {
        ColumnControl control;
        if (column.kind == BookColumnKind::OptionPair) {
            control.widget = findChild<QRadioButton*>(column.control + u"_0"_s);
            control.no = findChild<QRadioButton*>(column.control + u"_1"_s);
        } else {
            control.widget = findChild<QWidget*>(column.control);
        }
        Q_ASSERT(control.widget);
        m_columnControls.push_back(control);
    }
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
    new IsbnLeaveCheck(txtISBN, this);
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
    for (int index = 1; index <= 3; ++index)
        connect(mnuSort[index], &QAction::triggered, this, [this, index] {
            // Held back while a book is being typed, however it is triggered.
            if (mnuSort[index]->isEnabled())
                mnuSort_Click(index);
        });
    for (QAction* command : {mnuSortMenu->menuAction(), mnuSort[1], mnuSort[2], mnuSort[3], mnuBackup,
                             mnuDelete->menuAction(), mnuPack})
        addCatalogueCommand(command);
    connectMaintenance();
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
    m_customReports = new CustomReportsMenu(this, mnuRptCustom, m_session, m_reports->windows());
}

void frmMain::connectMaintenance()
{
    MaintenanceMenu::Actions actions;
    actions.backup = mnuBackup;
    actions.pack = mnuPack;
    actions.deleteUnusedMenu = mnuDelete->menuAction();
    for (std::size_t index = 1; index <= actions.deleteUnused.size(); ++index)
        actions.deleteUnused[index - 1] = mnuDelUnused[index];
    for (std::size_t index = 1; index <= actions.help.size(); ++index)
        actions.help[index - 1] = mnuHelp[index];
    actions.helpButton = cmdHelp;
    actions.about = mnuAbout;
    m_maintenance =
        new MaintenanceMenu(this, actions, m_session, [this](const std::function<void()>& whileClosed) {
            m_life->restart(whileClosed);
        });
    connect(m_maintenance, &MaintenanceMenu::lookupListChanged, this, &frmMain::lookupListChanged);
}

// A list that lost entries is filled afresh, and the book on screen shown
// again from it.
void frmMain::lookupListChanged(LookupField field)
{
    runStep([this, field] { fillLookupList(field); });
    if (bookCount() > 0)
        runStep([this] { ShowRecord(); });
    emit m_events->lookupListChanged(field);
}

void frmMain::connectBookExchange()
{
    m_bookExchange = new BookExchangeMenu(
        this, {mnuImportBooks, mnuExportBooks},
        [this] { return m_session.isOpen() ? &m_session.database() : nullptr; },
        [this](std::optional<qint64> firstBookId) {
            if (firstBookId)
                showImportedBooks(*firstBookId);
            else
                emit m_events->catalogueReopened();
        });
    addCatalogueCommand(mnuImportBooks);
    addCatalogueCommand(mnuExportBooks);
}

// The books and lookup entries an import added were written beneath the
// window's recordsets: they open again, and the first book added is shown.
void frmMain::showImportedBooks(qint64 firstBookId)
{
    m_session.reopenEditRecordsets();
    runStep([this] { m_session.reopenBooks(SortOrder); });
    loadLookupLists();
    EnableFields();
    Editing = false;
    Adding = false;
    ShowBrowseButtons();
    showStoredBook(qint32(firstBookId));
    // Lists of many books read theirs again, as after any reopening.
    emit m_events->catalogueReopened();
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
    m_life->start();
}

CatalogueLife::View frmMain::lifeView()
{
    return {[this] { showCatalogue(); }, [this] { showWithoutCatalogue(); }, [this] { showDesignedState(); }};
}

void frmMain::showCatalogue()
{
    loadLookupLists();
    showFirstBook();
    Editing = false;
    Adding = false;
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
    m_maintenance->setAvailable(true);
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
    m_maintenance->setAvailable(false);
    mnuSortMenu->setEnabled(false);
    mnuReports->setEnabled(false);
}

void frmMain::loadLookupLists()
{
    for (const LookupField field : LookupOpenOrder)
        runStep([this, field] { fillLookupList(field); });
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
    m_life->stop();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The designer asks about its unsaved report first; while it stays open
    // (a save asked for did not happen), so does the program.
    if (!m_customReports->closeDesigner()) {
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

// ---------------------------------------------------------------------------
// Lookup lists

LookupListModel& frmMain::lookupModel(const QComboBox* combo) const
{
    auto* model = qobject_cast<LookupListModel*>(combo->model());
    Q_ASSERT(model);
    return *model;
}

// Fills a fresh list of the combo's own from one pass over the list's query,
// in the query's order, in one batch: inserting 20,000 authors one by one
// into a live view would be slow.
void frmMain::fillLookupList(LookupField field)
{
    QComboBox* combo = comboFor(field);
    const QSignalBlocker blocker(combo);
    auto* model = new LookupListModel(combo);
    combo->setModel(model); // deletes the previous list's model, which the combo owns
    combo->setCurrentIndex(-1);

    std::vector<LookupListModel::Entry> entries;
    readLookupList(m_session.database(), field, [&](qlonglong key, const QString& text) {
        entries.push_back({text, key});
    });
    model->assign(std::move(entries));
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
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
    const int row = isNumber && value >= 0 ? lookupModel(combo).rowOfKey(value) : -1;
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
    const std::vector<BookColumn>& columns = bookColumns();
    for (std::size_t index = 0; index < columns.size(); ++index)
        showColumn(columns[index], m_columnControls[index], rs.value(columns[index].name));
    m_bookAsRead = readBookAsRead(rs, enteredBook());
}

// A stored value in its control: Null as an empty field (a Null flag as
// false), numbers in their plain decimal form, prices as currency, dates in
// the locale's short form.
void frmMain::showColumn(const BookColumn& column, const ColumnControl& control, const QVariant& value)
{
    switch (column.kind) {
    case BookColumnKind::Text:
    case BookColumnKind::WholeNumber:
        setFieldText(control.widget, plainText(value));
        break;
    case BookColumnKind::Currency:
        setFieldText(control.widget, currencyText(value));
        break;
    case BookColumnKind::Date:
        static_cast<DateField*>(control.widget)->setText(shortDateText(value));
        break;
    case BookColumnKind::Flag:
        static_cast<QCheckBox*>(control.widget)->setChecked(value.toBool());
        break;
    case BookColumnKind::OptionPair:
        static_cast<QRadioButton*>(control.widget)->setChecked(value.toBool());
        control.no->setChecked(!value.toBool());
        break;
    case BookColumnKind::Lookup:
        showLookup(static_cast<QComboBox*>(control.widget), value);
        break;
    }
}

void frmMain::setFieldText(QWidget* field, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        if (text.isEmpty())
            edit->clear();
        else
            edit->setText(text);
    } else if (auto* notes = qobject_cast<QPlainTextEdit*>(field)) {
        if (text.isEmpty())
            notes->clear();
        else
            notes->setPlainText(text);
    }
}

// Every field as a new book has it.
void frmMain::ClearFields()
{
    m_bookAsRead.reset();
    const std::vector<BookColumn>& columns = bookColumns();
    for (std::size_t index = 0; index < columns.size(); ++index) {
        const BookColumn& column = columns[index];
        const bool flag = column.kind == BookColumnKind::Flag || column.kind == BookColumnKind::OptionPair;
        showColumn(column, m_columnControls[index], flag ? QVariant(column.newBookFlag) : QVariant());
    }
}

// An option pair locks with the frame around it.
QList<QWidget*> frmMain::dataControls() const
{
    QList<QWidget*> controls;
    const std::vector<BookColumn>& columns = bookColumns();
    for (std::size_t index = 0; index < columns.size(); ++index) {
        if (!columns[index].locksWhenEmpty)
            continue;
        QWidget* control = m_columnControls[index].widget;
        controls << (m_columnControls[index].no ? control->parentWidget() : control);
    }
    return controls;
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
    emit m_events->bookDeleted(bookId);
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
    if (!existingBookId && !addEvenIfStored(entry))
        return result;
    runStep([&] {
        if (!rsBookEdit)
            throw DbError(DbErrorNumber::ObjectClosed, u"Object invalid or no longer set."_s);
        LookupResolver resolver = m_session.lookupResolver();
        result = writeBook(m_session.database(), *rsBookEdit, entry, resolver, existingBookId,
                           m_bookAsRead ? &*m_bookAsRead : nullptr);
    });
    if (result.stored) {
        addListEntries(result.listEntries);
        emit m_events->bookStored(result.bookId, !existingBookId);
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

// Collectors do own several copies, but a book typed in again by mistake is
// more common: a new book like a stored one is only added when the user says so.
bool frmMain::addEvenIfStored(const BookEntry& entry)
{
    std::optional<qint64> stored;
    if (!runStep([&] {
            stored = findDuplicateBook(m_session.database(), entry.text(u"ISBN"_s), entry.text(u"Title"_s),
                                       entry.text(lookupTable(LookupField::Author).booksColumn));
        }))
        return false;
    return !stored || userDialogs().question(u"A book with the same ISBN, or the same title and author, is "
                                             u"already in the catalogue. Add this one as well?"_s,
                                             u"Add Book"_s) == UserDialogs::Answer::Yes;
}

BookEntry frmMain::enteredBook() const
{
    BookEntry entry;
    const std::vector<BookColumn>& columns = bookColumns();
    for (std::size_t index = 0; index < columns.size(); ++index)
        entry.values.insert(columns[index].name, enteredValue(m_columnControls[index].widget));
    return entry;
}

// What a control holds: its text, or the state of a check box or of the
// first button of an option pair.
QVariant frmMain::enteredValue(const QWidget* control)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (const auto* notes = qobject_cast<const QPlainTextEdit*>(control))
        return notes->toPlainText();
    if (const auto* date = qobject_cast<const DateField*>(control))
        return date->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    return qobject_cast<const QAbstractButton*>(control)->isChecked();
}

QComboBox* frmMain::comboFor(LookupField field) const
{
    return m_lookupCombos[static_cast<std::size_t>(field)];
}

QLineEdit* frmMain::fieldFor(NumberField field) const
{
    return findChild<QLineEdit*>(bookColumn(field).control);
}

// New lookup values join their lists once the book is stored, never before:
// a store that fails adds no rows, so it must add no entries either.
void frmMain::addListEntries(const std::vector<LookupAddition>& entries)
{
    for (const LookupAddition& added : entries) {
        lookupModel(comboFor(added.field)).insertSorted(added.key, added.text);
        emit m_events->lookupListChanged(added.field);
    }
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
    m_maintenance->setAvailable(m_session.isOpen());
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
