// Editing through the main window on a large catalogue: Update of a shown
// book in each sort order (store, reopen in order, find by key, show), Add
// Another, Delete and one typed character in the author field, each with the
// repaint that follows.
//
// The window works on a copy of the generated catalogue of its own; the copy
// grows and shrinks with the measured adds and deletes.
#include "bare_connection.h"
#include "main_window_session.h"

#include "common/user_dialogs.h"
#include "database/recordset.h"
#include "editor/gui/frm_main.h"
#include "editor/gui/lookup_completion.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// Answers Yes to the delete question and fails the run on any message: a
// refused store would measure nothing.
class DeletingDialogs : public UserDialogs
{
public:
    void message(const QString& text, const QString&) override { lastMessage = text; }
    Answer question(const QString&, const QString&) override { return Answer::Yes; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void beep() override {}

    QString lastMessage;
};

DeletingDialogs& dialogs()
{
    static DeletingDialogs instance;
    setUserDialogs(&instance);
    return instance;
}

// Kept to the end of the process, whose widgets must not outlive QApplication.
MainWindowSession& session()
{
    static auto* instance = new MainWindowSession;
    dialogs();
    return *instance;
}

void requireNoMessage()
{
    if (!dialogs().lastMessage.isEmpty())
        throw std::runtime_error(dialogs().lastMessage.toStdString());
}

// Back to browsing, in order, on the probe book: the state every timed step
// starts from. Only the untimed warm-up run does any of this work.
frmMain& browsing(BenchCatalogue& catalogue, int order)
{
    frmMain& w = session().window(catalogue);
    if (w.Adding || w.Editing)
        w.cmdCancel_Click();
    if (static_cast<int>(w.SortOrder) != order) {
        w.mnuSort_Click(order);
        w.rsBooks->findFirst(u"bookid = "_s + QString::number(catalogue.probeBookId));
        if (w.rsBooks->noMatch())
            w.rsBooks->moveFirst();
        w.ShowRecord();
    }
    return w;
}

std::function<void(BenchCatalogue&)> updateIn(int order)
{
    return [order](BenchCatalogue& catalogue) {
        frmMain& w = browsing(catalogue, order);
        static int change = 0;
        w.txtNotes->setPlainText(u"bench change "_s + QString::number(++change));
        w.cmdUpdate_Click();
        QCoreApplication::processEvents();
        requireNoMessage();
        if (w.Editing)
            throw std::runtime_error("the book was not stored");
    };
}

// Each run stores one new book and leaves the window adding the next one.
std::function<void(BenchCatalogue&)> addAnotherIn(int order)
{
    return [order](BenchCatalogue& catalogue) {
        frmMain& w = session().window(catalogue);
        if (!w.Adding || static_cast<int>(w.SortOrder) != order) {
            browsing(catalogue, order);
            w.cmdAdd_Click();
        }
        static int added = 0;
        w.txtTitle->setText(u"Bench Added "_s + QString::number(++added));
        w.cmbAuthID->setEditText(w.cmbAuthID->itemText(w.cmbAuthID->count() / 2));
        w.cmdAdd_Click();
        QCoreApplication::processEvents();
        requireNoMessage();
        if (!w.txtTitle->text().isEmpty())
            throw std::runtime_error("the book was not stored");
    };
}

std::function<void(BenchCatalogue&)> deleteShownIn(int order)
{
    return [order](BenchCatalogue& catalogue) {
        frmMain& w = browsing(catalogue, order);
        const int before = w.bookCount();
        w.cmdDelete_Click();
        QCoreApplication::processEvents();
        requireNoMessage();
        if (w.bookCount() != before - 1)
            throw std::runtime_error("the book was not deleted");
    };
}

// One typed character completing a name in the middle of 20,000 authors,
// with the window's own wiring (completion, then the edit state).
void authorKeystroke(BenchCatalogue& catalogue)
{
    frmMain& w = browsing(catalogue, 1);
    QComboBox* combo = w.cmbAuthID;
    const QString middle = combo->itemText(combo->count() / 2);
    if (middle.size() < 4)
        throw std::runtime_error("no author name to type");
    w.lookupCompletion().CompleteAllowed = false;
    combo->setCurrentIndex(-1);
    combo->setEditText(middle.left(3));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(middle.at(3)));
    QCoreApplication::sendEvent(combo, &press);
    QCoreApplication::processEvents();
    if (combo->currentIndex() < 0)
        throw std::runtime_error("the keystroke completed nothing");
}

// SQLite's part of the same work: the row written (synced, as the program
// writes) and the book read back with its author, as the window shows it.
void runOnBare(BenchCatalogue& catalogue, const QByteArray& sql)
{
    sqlite3* db = bareConnection(catalogue);
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
}

const QByteArray ReadBack = "SELECT * FROM Books LEFT JOIN Authors ON Books.AuthID = Authors.AuthID "
                            "WHERE Books.BookID = ";

void updateBySqlite(BenchCatalogue& catalogue)
{
    const QByteArray book = QByteArray::number(catalogue.probeBookId);
    runOnBare(catalogue, "UPDATE Books SET Notes = 'bench change ' || random() WHERE BookID = " + book + ";" +
                             ReadBack + book);
}

void addBySqlite(BenchCatalogue& catalogue)
{
    runOnBare(catalogue,
              "INSERT INTO Books (Title, SortTitle, AuthID) VALUES ('Bench Added', 'BENCH ADDED', 1);" +
                  ReadBack + "last_insert_rowid()");
}

void deleteBySqlite(BenchCatalogue& catalogue)
{
    runOnBare(catalogue, "DELETE FROM Books WHERE BookID = (SELECT max(BookID) FROM Books);" + ReadBack +
                             QByteArray::number(catalogue.probeBookId));
}

// Each within three times its time at the smallest size measured, and
// under 50 ms at a million books.
BenchOperation growing(const QString& name, std::function<void(BenchCatalogue&)> run,
                       std::function<void(BenchCatalogue&)> baseline)
{
    BenchOperation operation{name, std::move(run), std::move(baseline)};
    operation.aim = u"<= 3x smallest, < 50 ms"_s;
    operation.growthAim = true;
    return operation;
}

const BenchRegistration registration{
    growing(u"main window: Update, title order"_s, updateIn(1), updateBySqlite),
    growing(u"main window: Update, author order"_s, updateIn(2), updateBySqlite),
    growing(u"main window: Update, category order"_s, updateIn(3), updateBySqlite),
    growing(u"main window: Add Another, title order"_s, addAnotherIn(1), addBySqlite),
    growing(u"main window: Add Another, author order"_s, addAnotherIn(2), addBySqlite),
    growing(u"main window: Delete, title order"_s, deleteShownIn(1), deleteBySqlite),
    growing(u"main window: Delete, author order"_s, deleteShownIn(2), deleteBySqlite),
    {u"main window: author keystroke"_s, authorKeystroke, {}, false},
};

} // namespace
