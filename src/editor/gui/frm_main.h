#pragma once

#include "catalogue/book_session.h"
#include "editor/book_store.h"
#include "search/gui/book_search.h"
#include "ui_frm_main.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

class QStandardItem;
#include <array>
#include <functional>
#include <memory>
#include <optional>

class BookListWindow;
class FieldValidation;
class frmRptSpec;
class LookupCompletion;
class QAction;
class QComboBox;
class QRadioButton;
class QStandardItemModel;
class Recordset;
class ReportsMenu;

// The book editor: the program's first and main window. Loading it
// (Form_Load) is the program's start-up, closing it (Form_Unload) closes the
// catalogue. It shows one book at a time, the current row of rsBooks.
//
// The controls are public members named like their object names (txtTitle,
// cmbAuthID, ...) so that the other windows, which borrow this window's
// recordsets, can reach them as well.
class frmMain : public QMainWindow, public Ui::frmMain
{
    Q_OBJECT

    // The open catalogue and its recordsets. Declared first: the names below
    // refer into it.
    BookSession m_session;

public:
    // dataFolder: where Quillary.mdb is looked for (the program passes its
    // working directory).
    explicit frmMain(const QString& dataFolder, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: opens the catalogue and the shared recordsets, fills the
    // lookup lists and shows the first book by title.
    void Form_Load();
    // Shutdown: closes the recordsets and the catalogue. Runs once, when the
    // window closes (or is destroyed without having been closed).
    void Form_Unload();

    // What backup and compaction need: the shutdown, then whileClosed with the
    // catalogue file free, then the start-up anew on this window (lists
    // refilled, the first book by title shown) as if it had been reopened.
    void restartOnCatalogue(const std::function<void()>& whileClosed);

    // The open catalogue the other windows work on.
    BookSession& session() { return m_session; }
    // The Reports menu's destination choice, book lists and counts.
    ReportsMenu& reports() { return *m_reports; }

    // Refill one lookup combo from its table (start-up and removal of unused
    // entries).
    void LoadAuthorList();
    void LoadPublisherList();
    void LoadCategoryList();
    void LoadOwnerList();
    void LoadLocationList();
    void LoadFormatList();
    void LoadSeriesList();

    // Adds one entry to a lookup combo at its sorted place, found without
    // regard to case and after any entry that sorts equal to it (a lookup
    // value added while saving a book), and keeps the combo's key index in
    // step. Returns the new entry's row.
    int AddLookupEntry(QComboBox* combo, const QString& text, qlonglong key);
    // The row of the first entry of combo carrying key, or -1.
    int LookupRow(const QComboBox* combo, qlonglong key) const;

    // Display.
    void ShowRecord();
    void ClearFields();
    void DisableFields();
    void EnableFields();

    // Edit state.
    void MarkEdited();
    void ShowEditButtons();
    void ShowBrowseButtons();

    // Commands that would replace the book on screen or close the catalogue
    // (sort orders, backup, compaction, removal of unused entries):
    // unavailable while a book is being added or edited, so that the typing is
    // never lost nor stored over another book. The reports only read the
    // catalogue and stay available. Other windows' commands of the kind join
    // with addCatalogueCommand.
    void addCatalogueCommand(QAction* command);
    void setCatalogueCommandsEnabled(bool enabled);

    // Editing: the title check, and the store of the book on screen, as a new
    // row (no key) or into the row with existingBookId. After a failed store
    // the window keeps what the user typed and the recordsets the store used
    // are opened afresh.
    bool TitleEntered();
    StoreResult SaveRecord(std::optional<qint32> existingBookId);

    // Reads the order and separator of the locale's short date, which the
    // calendar builds its dates with.
    void ChkDateFmt();

    // The books on screen in the current sort order: 1 title, 2 author,
    // 3 category.
    void mnuSort_Click(int index);

    // State of the window.
    bool Editing = false;
    bool Adding = false;
    // The order of rsBooks, kept by the session.
    const ::SortOrder& SortOrder = m_session.sortOrder();

    // The shared recordsets, held by the session from start-up to shutdown.
    std::unique_ptr<Recordset>& rsBooks = m_session.rsBooks();
    std::unique_ptr<Recordset>& rsBookEdit = m_session.rsBookEdit();
    std::unique_ptr<Recordset>& rsAuthors = m_session.lookupRecordset(LookupField::Author);
    std::unique_ptr<Recordset>& rsPublishers = m_session.lookupRecordset(LookupField::Publisher);
    std::unique_ptr<Recordset>& rsCategories = m_session.lookupRecordset(LookupField::Category);
    std::unique_ptr<Recordset>& rsOwners = m_session.lookupRecordset(LookupField::Owner);
    std::unique_ptr<Recordset>& rsLocations = m_session.lookupRecordset(LookupField::Location);
    std::unique_ptr<Recordset>& rsFormats = m_session.lookupRecordset(LookupField::Format);
    std::unique_ptr<Recordset>& rsSeries = m_session.lookupRecordset(LookupField::Series);

    // Control arrays: option groups indexed 0 (true value) and 1 (false value);
    // menu arrays indexed from 1 as on the menus (element 0 unused).
    std::array<QRadioButton*, 2> optFiction{};
    std::array<QRadioButton*, 2> optNew{};
    std::array<QRadioButton*, 2> optPaperback{};
    std::array<QAction*, 4> mnuSort{};
    std::array<QAction*, 3> mnuFormat{};
    std::array<QAction*, 8> mnuReport{};
    std::array<QAction*, 8> mnuDelUnused{};
    std::array<QAction*, 4> mnuHelp{};

    // Number of books in rsBooks; 0 when it is empty or could not be opened.
    int bookCount() const;

public slots:
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    void cmdFind_Click();
    void mnuExit_Click();
    // Opens the custom report designer beside this window, or brings the
    // open one to the front as it is.
    void mnuRptCustom_Click();
    // Opens the book list beside this window, or brings the open one to the
    // front (frm_main_book_list.cpp).
    void mnuBookList_Click();

    // Looking after the catalogue, help and about (frm_main_maintenance.cpp).
    // Backup and packing close the catalogue and run the start-up anew.
    void mnuBackup_Click();
    void mnuPack_Click();
    void mnuDelUnused_Click(int index);
    void mnuHelp_Click(int index);
    void cmdHelp_Click();
    void mnuAbout_Click();

    // The typing state shared by the seven lookup fields.
    LookupCompletion& lookupCompletion() const { return *m_completion; }

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    // After a repair met while the window runs (frm_main_repair.cpp).
    void catalogueRepaired();

private:
    // What the book list hears of: books stored, added or deleted here, or the
    // catalogue opened anew.
    enum class BookListNews { BooksChanged, CatalogueReopened };
    void connectBookList();
    void tellBookList(BookListNews news);

    // One lookup combo's list: entry texts with their keys in Qt::UserRole,
    // and the first entry per key so a book is shown without a scan of
    // 20,000 authors. Entries are kept rather than rows, which an addition
    // shifts; an entry knows its row.
    struct LookupList
    {
        QComboBox* combo = nullptr;
        QHash<qlonglong, QStandardItem*> entryByKey;
    };

    void navigate(const std::function<void(Recordset&)>& move);
    void setUpControlArrays();
    void setUpLookupCombos();
    void setUpDateFields();
    void connectEditSignals();
    void connectLookupFields();
    void connectFieldChecks();
    void connectCommands();
    void connectReports();
    void setUpKeyboard();

    LookupList& lookupListOf(LookupField field);
    const LookupList& lookupList(const QComboBox* combo) const;
    void fillLookupList(LookupField field);
    void showLookup(QComboBox* combo, const QVariant& key);
    QList<QWidget*> dataControls() const;

    void connectMaintenanceCommands();
    // The File menu's catalogue commands, unavailable while a book is being
    // changed or added and without a catalogue.
    void enableMaintenanceCommands(bool enabled);
    // A packing stopped halfway leaves the catalogue as "bookdb.bak": the
    // start-up offers to take it back before anything else.
    void offerSetAsideCatalogue();
    void showDesignedState();
    bool offerOlderFileConversions(QStringList& summaries);
    void tellConversions(const QStringList& summaries);
    void showWithoutCatalogue();
    void loadLookupLists();
    void showFirstBook();

    BookEntry enteredBook() const;
    QComboBox* comboFor(LookupField field) const;
    QLineEdit* fieldFor(NumberField field) const;
    void addListEntries(const std::vector<LookupAddition>& entries);
    void reopenEditRecordsets();
    void showStoredBook(qint32 bookId);
    bool deleteBook(qint32 bookId);
    void showAfterDelete();

    bool findBookBeingChanged();

    QString m_dataFolder;
    qint32 m_shownBookId = -1;           // the book ShowRecord last showed
    bool m_olderFilesOffered = false;    // files of the older kind are offered for conversion once a run
    std::array<LookupList, 7> m_lookups; // indexed by LookupField
    bool m_loaded = false;
    LookupCompletion* m_completion = nullptr;
    FieldValidation* m_fieldChecks = nullptr;
    ReportsMenu* m_reports = nullptr;
    QPointer<frmRptSpec> m_customReports;
    QPointer<BookListWindow> m_bookList;
    BookSearch m_search; // keeps the search window between searches
    QList<QAction*> m_catalogueCommands;
    // The book on screen as read, so that Update stores what the user left
    // alone exactly as it was; none while no stored book is shown.
    std::optional<BookAsRead> m_bookAsRead;
};
