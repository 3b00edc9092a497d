#pragma once

#include "catalogue/book_order.h"
#include "catalogue/lookup_resolver.h"
#include "catalogue/lookup_tables.h"

#include <QString>
#include <array>
#include <functional>
#include <memory>

class Database;
class Recordset;

// The three orders books are browsed in, numbered as the Sort menu's items.
enum class SortOrder : qint16 { Title = 1, Author = 2, Category = 3 };

// The open catalogue and the recordsets every window shares: rsBooks (the
// books in the current order, its current row the book on screen),
// rsBookEdit (the dynaset books are added, changed and deleted through) and
// the seven lookup dynasets a store searches and extends.
//
// The database itself lives in a slot the error routine may refill (a
// repaired catalogue is reopened there), the program's dbCatalogue unless
// another is given, so it is looked up afresh on every use.
//
// Steps that touch the catalogue throw DbError unless they say they report
// their own failures; the start-up and shutdown run each step under the error
// routine and carry on with the next, as the program always has.
class BookSession
{
public:
    // A session on the program's catalogue (catalogueState().dbCatalogue).
    BookSession();
    // A session on a database kept elsewhere (the benchmark's).
    explicit BookSession(std::unique_ptr<Database>& databaseSlot);
    ~BookSession();
    BookSession(const BookSession&) = delete;
    BookSession& operator=(const BookSession&) = delete;

    // The start-up's catalogue steps for Quillary.mdb in dataFolder: sets
    // DataDir and CataloguePath, opens the catalogue exclusively (offering to
    // create an empty one when there is none), upgrades it, opens rsBooks by
    // title and rsBookEdit, runs afterBookEdit, opens the lookup recordsets
    // and releases read locks. Failures are reported; returns whether a
    // catalogue is open. Nothing but the paths is touched without one.
    bool open(const QString& dataFolder, const std::function<void()>& afterBookEdit = {});
    // The same steps again on the folder of the last open (after a backup or
    // compaction closed the catalogue).
    bool reopen(const std::function<void()>& afterBookEdit = {});
    // The steps after opening, on the database already in the slot: upgrade,
    // rsBooks by title, rsBookEdit, afterBookEdit, lookups, release of locks.
    void openRecordsets(const std::function<void()>& afterBookEdit = {});
    // The shutdown: closes the lookup recordsets and rsBooks, then the
    // catalogue (which ends rsBookEdit). Failures are reported. Does nothing
    // on a closed session; the session can be opened again afterwards.
    void close();

    bool isOpen() const;
    // Whether open() is under way: it reopens its own recordsets after a
    // repair, and may show progress meanwhile.
    bool isOpening() const { return m_opening; }
    // Whether rsBooks is open on the catalogue now open: not after a repair
    // reopened the catalogue beneath it (the recordsets of the damaged file
    // are then closed).
    bool recordsetsOnOpenCatalogue() const;
    // The open catalogue; throws DbError 3420 when there is none.
    Database& database() const;

    // rsBooks reopened in order (the Sort menu, and after every store and
    // delete). Throws DbError. The order is taken even when the reopen fails,
    // as the Sort menu shows it, so that the next reopen tries it again.
    // Reopened in the order it was in, rsBooks keeps its keys and moves only
    // the books changed meanwhile (BookOrder::KeptOrder).
    void reopenBooks(SortOrder order);
    const SortOrder& sortOrder() const { return m_sortOrder; }
    // Number of books in rsBooks; 0 when it is empty or not open.
    int bookCount() const;

    // rsBookEdit and the lookup recordsets opened afresh, so that they match
    // the tables again after a store was rolled back. Failures are reported.
    void reopenEditRecordsets();
    // rsBookEdit positioned on the book with bookId, ready for deleting it:
    // found in rsBookEdit itself, or else in a new dynaset in title order that
    // replaces it. Throws DbError 3021 when there is no such book, so that a
    // failed find never leaves another row current.
    void openBookEditOn(qint32 bookId);

    // The resolver over the seven lookup dynasets; throws DbError 3420 when
    // any of them is not open.
    LookupResolver lookupResolver() const;

    // The shared recordsets, empty while closed or when opening failed.
    std::unique_ptr<Recordset>& rsBooks() { return m_books; }
    std::unique_ptr<Recordset>& rsBookEdit() { return m_bookEdit; }
    std::unique_ptr<Recordset>& lookupRecordset(LookupField field);
    const std::unique_ptr<Recordset>& lookupRecordset(LookupField field) const;

private:
    bool openCatalogue(const QString& dataFolder);
    bool isForeignDatabase();
    void runOpeningSteps(const std::function<void()>& afterBookEdit);
    void dropRecordsets();
    void openBookEdit();
    void openLookupRecordsets();

    std::unique_ptr<Database>* m_slot;
    std::unique_ptr<Recordset> m_books;
    BookOrder::KeptOrder m_keptOrder; // the order m_books's keys are kept in
    std::unique_ptr<Recordset> m_bookEdit;
    std::array<std::unique_ptr<Recordset>, 7> m_lookups; // indexed by LookupField
    SortOrder m_sortOrder = SortOrder::Title;
    QString m_dataFolder;
    bool m_opening = false;
};
