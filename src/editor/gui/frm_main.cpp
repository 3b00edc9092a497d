#include "editor/gui/frm_main.h"

#include "catalogue/catalogue_state.h"
#include "database/database.h"
#include "catalogue/db_error_handler.h"
#include "database/recordset.h"
#include "catalogue/schema.h"
#include "common/locale_formats.h"
#include "common/user_dialogs.h"
#include "catalogue/book_order.h"
#include "editor/gui/field_validation.h"
#include "editor/gui/lookup_completion.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>
#include <initializer_list>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString AddNewCaption = u"&Add New"_s;
const QString AddAnotherCaption = u"&Add Another"_s;

// The database every step works on. HandleDbError may replace it (a repaired
// file is reopened), so it is looked up afresh each time; a step that runs
// without one fails like any other database call instead of crashing.
Database& catalogue()
{
    auto& db = catalogueState().dbCatalogue;
    if (!db || !db->isOpen())
        throw DbError(DbErrorNumber::ObjectClosed, u"Object invalid or no longer set."_s);
    return *db;
}

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

QString withTrailingSeparator(const QString& folder)
{
    QString dir = QDir::toNativeSeparators(folder);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
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
    connectEditSignals();
    connectLookupFields();
    connectFieldChecks();
    connectCommands();
}

frmMain::~frmMain()
{
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
    const std::array<QComboBox*, 7> combos{cmbAuthID, cmbPubID, cmbCatID, cmbOwnerID,
                                           cmbLocID,  cmbForID, cmbSerID};
    for (std::size_t i = 0; i < combos.size(); ++i) {
        QComboBox* combo = combos[i];
        m_lookups[i].combo = combo;
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
        connect(field, &DateField::textChanged, this, &frmMain::MarkEdited);
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
    for (const LookupList& list : m_lookups)
        m_completion->attach(list.combo, [this] { MarkEdited(); });
    m_completion->rewriteAuthorNameOnLeaving(cmbAuthID);
}

void frmMain::connectFieldChecks()
{
    m_fieldChecks = new FieldValidation(this);
    for (const NumberField field :
         {NumberField::CoverPrice, NumberField::BuyPrice, NumberField::Volume, NumberField::Issue,
          NumberField::Year})
        m_fieldChecks->watch(fieldFor(field), field);
    m_fieldChecks->copyCoverPriceInto(txtBuyPrice, [this] { return optNew[0]->isChecked(); });
    dcBuyDate->setRefusalMessage(
        u"You must enter a valid date for the purchase date, or leave the field blank."_s);
    dcReadDate->setRefusalMessage(u"You must enter a valid date for the date read, or leave the field blank."_s);
    dcLoanDate->setRefusalMessage(u"You must enter a valid date for the loan date, or leave the field blank."_s);
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
        connect(mnuSort[index], &QAction::triggered, this, [this, index] { mnuSort_Click(index); });
}

// ---------------------------------------------------------------------------
// Start-up and shutdown

void frmMain::Form_Load()
{
    m_loaded = true;
    auto& state = catalogueState();
    state.DataDir = withTrailingSeparator(m_dataFolder);
    state.CataloguePath = state.DataDir + CatalogueFileName;

    if (!openCatalogue()) {
        // Nothing to show or edit without a catalogue: every later step would
        // only fail again, so the start-up ends here.
        showWithoutCatalogue();
        return;
    }
    runStep([] { UpgradeCatalogue(); });
    runStep([this] { rsBooks = BookOrder::openBooks(catalogue(), BookOrder::ByTitle); });
    runStep([this] {
        rsBookEdit = catalogue().openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
        rsBookEdit->setLockEdits(false);
    });
    runStep([this] { ChkDateFmt(); });
    openLookupRecordsets();
    runStep([] { catalogue().idle(); });
    loadLookupLists();
    showFirstBook();

    SortOrder = 1;
    Editing = false;
    Adding = false;
}

bool frmMain::catalogueUsable() const
{
    const auto& db = catalogueState().dbCatalogue;
    return db && db->isOpen();
}

bool frmMain::openCatalogue()
{
    auto& state = catalogueState();
    if (!QFileInfo::exists(state.CataloguePath)) {
        // A first start in a folder without a catalogue: offer to begin a new
        // one rather than leave a new user with an error and an empty window.
        const QString question =
            u"There is no catalogue in %1. Do you want to create a new, empty catalogue there?"_s.arg(
                state.DataDir);
        if (userDialogs().question(question, ProgramTitle) == UserDialogs::Answer::Yes) {
            if (!runStep([&state] { createCatalogue(state.CataloguePath); }))
                return false; // already reported; opening would only add "file not found"
        }
    }
    runStep(
        [&state] { state.dbCatalogue = Database::open(state.CataloguePath, Database::OpenMode::Exclusive); });
    return catalogueUsable();
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

void frmMain::openLookupRecordsets()
{
    const std::array<std::pair<std::unique_ptr<Recordset>*, QString>, 7> lookups{{
        {&rsAuthors, u"Select * from Authors order by LastName, FirstName"_s},
        {&rsPublishers, u"Select * from Publishers order by PubName"_s},
        {&rsCategories, u"Select * from Categories order by CatName"_s},
        {&rsOwners, u"Select * from Owners order by OwnName"_s},
        {&rsLocations, u"Select * from Locations order by LocName"_s},
        {&rsFormats, u"Select * from formats order by fordesc"_s},
        {&rsSeries, u"Select * from series order by serdesc"_s},
    }};
    for (const auto& [recordset, sql] : lookups)
        runStep([&] { *recordset = catalogue().openRecordset(sql, RecordsetType::Dynaset); });
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
    // The date fields read the locale's short date order here once they
    // bring their calendar; plain text fields need nothing yet.
}

void frmMain::Form_Unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    for (auto* recordset : {&rsAuthors, &rsPublishers, &rsCategories, &rsOwners, &rsLocations, &rsFormats,
                            &rsSeries, &rsBooks}) {
        if (*recordset)
            runStep([recordset] { (*recordset)->close(); });
        recordset->reset();
    }
    // The editing dynaset ends with the database; released first so that no
    // statement outlives the connection it runs on.
    rsBookEdit.reset();
    auto& db = catalogueState().dbCatalogue;
    if (db)
        runStep([&db] { db->close(); });
    db.reset();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmMain::mnuExit_Click()
{
    close();
}

// ---------------------------------------------------------------------------
// Lookup lists

frmMain::LookupList& frmMain::lookupList(const QComboBox* combo)
{
    return const_cast<LookupList&>(std::as_const(*this).lookupList(combo));
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
void frmMain::fillLookupList(QComboBox* combo, const QString& sql,
                             const std::function<QString(const Recordset&)>& entryText,
                             const QString& keyColumn)
{
    LookupList& list = lookupList(combo);
    const QSignalBlocker blocker(combo);
    auto* model = new QStandardItemModel(combo);
    combo->setModel(model); // deletes the previous list's model, which the combo owns
    combo->setCurrentIndex(-1);
    list.rowByKey.clear();

    auto snapshot = catalogue().openRecordset(sql, RecordsetType::Snapshot);
    QList<QStandardItem*> items;
    if (snapshot->recordCount() > 0) {
        items.reserve(snapshot->recordCount());
        for (snapshot->moveFirst(); !snapshot->eof(); snapshot->moveNext()) {
            auto* item = new QStandardItem(entryText(*snapshot));
            item->setData(snapshot->value(keyColumn).toLongLong(), Qt::UserRole);
            items.append(item);
        }
    }
    snapshot->close();
    model->invisibleRootItem()->appendRows(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    rebuildKeyIndex(list);
}

void frmMain::rebuildKeyIndex(LookupList& list)
{
    list.rowByKey.clear();
    const QAbstractItemModel* model = list.combo->model();
    const int rows = model->rowCount();
    list.rowByKey.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        const qlonglong key = model->index(row, 0).data(Qt::UserRole).toLongLong();
        // The first entry carrying a key is the one shown for it.
        if (!list.rowByKey.contains(key))
            list.rowByKey.insert(key, row);
    }
}

int frmMain::LookupRow(const QComboBox* combo, qlonglong key) const
{
    return lookupList(combo).rowByKey.value(key, -1);
}

int frmMain::AddLookupEntry(QComboBox* combo, const QString& text, qlonglong key)
{
    auto* model = qobject_cast<QStandardItemModel*>(combo->model());
    Q_ASSERT(model);
    // The list is sorted without regard to case; the new entry goes after
    // any entry that sorts equal to it.
    int low = 0;
    int high = model->rowCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (QString::compare(model->item(middle)->text(), text, Qt::CaseInsensitive) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    auto* item = new QStandardItem(text);
    item->setData(key, Qt::UserRole);
    model->insertRow(low, item);
    rebuildKeyIndex(lookupList(combo));
    return low;
}

void frmMain::LoadAuthorList()
{
    fillLookupList(
        cmbAuthID, u"Select * from Authors order by LastName, FirstName"_s,
        [](const Recordset& rs) -> QString {
            return rs.value(u"LastName"_s).toString() + u", "_s + rs.value(u"FirstName"_s).toString();
        },
        u"AuthID"_s);
}

void frmMain::LoadPublisherList()
{
    fillLookupList(
        cmbPubID, u"Select * from Publishers order by PubName"_s,
        [](const Recordset& rs) { return rs.value(u"pubname"_s).toString(); }, u"pubID"_s);
}

void frmMain::LoadCategoryList()
{
    fillLookupList(
        cmbCatID, u"Select * from categories order by CatName"_s,
        [](const Recordset& rs) { return rs.value(u"CatName"_s).toString(); }, u"CatID"_s);
}

void frmMain::LoadOwnerList()
{
    fillLookupList(
        cmbOwnerID, u"Select * from Owners order by OwnName"_s,
        [](const Recordset& rs) { return rs.value(u"ownname"_s).toString(); }, u"ownID"_s);
}

void frmMain::LoadLocationList()
{
    fillLookupList(
        cmbLocID, u"Select * from Locations order by LocName"_s,
        [](const Recordset& rs) { return rs.value(u"LocName"_s).toString(); }, u"LocID"_s);
}

void frmMain::LoadFormatList()
{
    fillLookupList(
        cmbForID, u"Select * from Formats order by fordesc"_s,
        [](const Recordset& rs) { return rs.value(u"fordesc"_s).toString(); }, u"forID"_s);
}

void frmMain::LoadSeriesList()
{
    fillLookupList(
        cmbSerID, u"Select * from Series order by serdesc"_s,
        [](const Recordset& rs) { return rs.value(u"serdesc"_s).toString(); }, u"serID"_s);
}

// ---------------------------------------------------------------------------
// Display

int frmMain::bookCount() const
{
    return rsBooks ? rsBooks->recordCount() : 0;
}

// Selects the entry carrying the stored key; -1, Null or a key no entry
// carries (a lookup row removed since) leave the field empty.
void frmMain::showLookup(QComboBox* combo, const QVariant& key)
{
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    if (key.isNull())
        return;
    bool isNumber = false;
    const qlonglong value = key.toLongLong(&isNumber);
    if (!isNumber || value < 0)
        return;
    const int row = LookupRow(combo, value);
    if (row >= 0)
        combo->setCurrentIndex(row);
}

void frmMain::ShowRecord()
{
    Editing = true;
    // Lowered also when reading the row fails, or no change would ever enter
    // the edit state again.
    const auto lowerEditing = qScopeGuard([this] { Editing = false; });
    const Recordset& rs = *rsBooks;

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
}

void frmMain::ClearFields()
{
    for (QLineEdit* edit : {txtVol, txtIssue, txtTitle})
        edit->clear();
    txtNotes->clear();
    for (QLineEdit* edit : {txtISBN, txtYear, txtCoverPrice, txtBuyPrice})
        edit->clear();
    for (QComboBox* combo : {cmbAuthID, cmbPubID, cmbCatID, cmbOwnerID, cmbLocID, cmbForID, cmbSerID}) {
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
    }
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
        mnuSort_Click(SortOrder);
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
        mnuSort_Click(SortOrder);
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
    mnuSort_Click(SortOrder);
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
        mnuSort_Click(SortOrder);
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
    mnuSort_Click(SortOrder);
    showAfterDelete();
}

bool frmMain::deleteBook(qint32 bookId)
{
    const bool found = runStep([this, bookId] {
        auto books = catalogue().openRecordset(u"Select * from Books order by SortTitle"_s,
                                               RecordsetType::Dynaset);
        books->findFirst(u"BookID = "_s + QString::number(bookId));
        // Deleting where a failed find left the recordset would remove
        // another book.
        if (books->noMatch())
            throw DbError(DbErrorNumber::NoCurrentRecord, u"No current record."_s);
        rsBookEdit = std::move(books);
    });
    if (!found)
        return false;
    const bool deleted = writeWithRetry([this] { rsBookEdit->deleteRow(); });
    runStep([] { catalogue().idle(); });
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
        for (const auto* recordset : {&rsBookEdit, &rsFormats, &rsSeries, &rsAuthors, &rsPublishers,
                                      &rsCategories, &rsOwners, &rsLocations})
            if (!*recordset)
                throw DbError(DbErrorNumber::ObjectClosed, u"Object invalid or no longer set."_s);
        LookupResolver resolver({*rsFormats, *rsSeries, *rsAuthors, *rsPublishers, *rsCategories, *rsOwners,
                                 *rsLocations});
        result = writeBook(catalogue(), *rsBookEdit, entry, resolver, existingBookId);
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
    switch (field) {
    case LookupField::Format:
        return cmbForID;
    case LookupField::Series:
        return cmbSerID;
    case LookupField::Author:
        return cmbAuthID;
    case LookupField::Publisher:
        return cmbPubID;
    case LookupField::Category:
        return cmbCatID;
    case LookupField::Owner:
        return cmbOwnerID;
    case LookupField::Location:
        return cmbLocID;
    }
    return cmbForID;
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
    runStep([this] {
        rsBookEdit = catalogue().openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
        rsBookEdit->setLockEdits(false);
    });
    openLookupRecordsets();
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

void frmMain::cmdFind_Click() {}

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

void frmMain::ShowEditButtons()
{
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
}

// ---------------------------------------------------------------------------
// Sorting

void frmMain::mnuSort_Click(int index)
{
    if (index < 1 || index > 3)
        return;
    for (int item = 1; item <= 3; ++item)
        mnuSort[item]->setChecked(item == index);
    runStep([this, index] { rsBooks = BookOrder::openBooks(catalogue(), index); });
    SortOrder = static_cast<qint16>(index);
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
