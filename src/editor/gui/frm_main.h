#pragma once

#include "catalogue/book_session.h"
#include "catalogue/book_store.h"
#include "editor/catalogue_life.h"
#include "search/gui/book_search.h"
#include "ui_frm_main.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct BookColumn;
class CatalogueEvents;
class CustomReportsMenu;
class BookListWindow;
class FieldValidation;
class LookupCompletion;
class LookupListModel;
class MaintenanceMenu;
class QAction;
class QComboBox;
class QRadioButton;
class Recordset;
class ReportsMenu;
class BookExchangeMenu;

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

    // The start-up, shutdown and restart of the catalogue this window shows.
    CatalogueLife& catalogueLife() { return *m_life; }

    // The open catalogue the other windows work on.
    BookSession& session() { return m_session; }
    // Where windows beside this one learn of books stored, added and deleted,
    // lists changed and the catalogue opened again.
    CatalogueEvents& events() { return *m_events; }
    // The Reports menu's destination choice, book lists and counts.
    ReportsMenu& reports() { return *m_reports; }
    BookExchangeMenu& bookExchange() { return *m_bookExchange; }

    // The entries of a lookup combo's list.
    LookupListModel& lookupModel(const QComboBox* combo) const;

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
    // Opens the book list beside this window, or brings the open one to the
    // front (frm_main_book_list.cpp).
    void mnuBookList_Click();

    // The typing state shared by the seven lookup fields.
    LookupCompletion& lookupCompletion() const { return *m_completion; }

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    // After a repair met while the window runs (frm_main_repair.cpp).
    void catalogueRepaired();
    void lookupListChanged(LookupField field);

private:
    void connectBookList();

    // The control showing one column of Books; an option pair's first
    // button, with the second in no.
    struct ColumnControl
    {
        QWidget* widget = nullptr;
        QRadioButton* no = nullptr;
    };

    void navigate(const std::function<void(Recordset&)>& move);
    void findColumnControls();
    void showColumn(const BookColumn& column, const ColumnControl& control, const QVariant& value);
    static void setFieldText(QWidget* field, const QString& text);
    static QVariant enteredValue(const QWidget* control);
    void setUpControlArrays();
    void setUpLookupCombos();
    void setUpDateFields();
    void connectEditSignals();
    void connectLookupFields();
    void connectFieldChecks();
    void connectCommands();
    void connectReports();
    void connectBookExchange();
    void showImportedBooks(qint64 firstBookId);
    bool addEvenIfStored(const BookEntry& entry);
    void setUpKeyboard();

    void fillLookupList(LookupField field);
    void showLookup(QComboBox* combo, const QVariant& key);
    QList<QWidget*> dataControls() const;

    void connectMaintenance();
    CatalogueLife::View lifeView();
    void showCatalogue();
    void showDesignedState();
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

    CatalogueEvents* m_events;
    std::unique_ptr<CatalogueLife> m_life;
    qint32 m_shownBookId = -1;                   // the book ShowRecord last showed
    std::array<QComboBox*, 7> m_lookupCombos{};  // indexed by LookupField
    std::vector<ColumnControl> m_columnControls; // in the order of bookColumns()
    LookupCompletion* m_completion = nullptr;
    FieldValidation* m_fieldChecks = nullptr;
    ReportsMenu* m_reports = nullptr;
    CustomReportsMenu* m_customReports = nullptr;
    MaintenanceMenu* m_maintenance = nullptr;
    BookExchangeMenu* m_bookExchange = nullptr;
    QPointer<BookListWindow> m_bookList;
    BookSearch m_search; // keeps the search window between searches
    QList<QAction*> m_catalogueCommands;
    // The book on screen as read, so that Update stores what the user left
    // alone exactly as it was; none while no stored book is shown.
    std::optional<BookAsRead> m_bookAsRead;
};
