#include "catalogue/book_session.h"

#include "catalogue/book_order.h"
#include "catalogue/catalogue_location.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "catalogue/schema.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "database/recordset.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString withTrailingSeparator(const QString& folder)
{
    QString dir = QDir::toNativeSeparators(folder);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

DbError objectClosed()
{
    return DbError(DbErrorNumber::ObjectClosed, u"Object invalid or no longer set."_s);
}

} // namespace

BookSession::BookSession() : m_slot(&catalogueState().dbCatalogue) {}

BookSession::BookSession(std::unique_ptr<Database>& databaseSlot) : m_slot(&databaseSlot) {}

BookSession::~BookSession()
{
    close();
}

bool BookSession::open(const QString& dataFolder, const std::function<void()>& afterBookEdit)
{
    m_dataFolder = dataFolder;
    if (!openCatalogue(dataFolder))
        return false;
    openRecordsets(afterBookEdit);
    return true;
}

bool BookSession::reopen(const std::function<void()>& afterBookEdit)
{
    close();
    return open(m_dataFolder, afterBookEdit);
}

bool BookSession::openCatalogue(const QString& dataFolder)
{
    auto& state = catalogueState();
    state.DataDir = withTrailingSeparator(dataFolder);
    state.CataloguePath = state.DataDir + QFileInfo(catalogueFileIn(dataFolder)).fileName();
    if (!QFileInfo::exists(state.CataloguePath)) {
        // A first start in a folder without a catalogue: offer to begin a new
        // one rather than leave a new user with an error and an empty window.
        const QString question =
            u"There is no catalogue in %1. Do you want to create a new, empty catalogue there?"_s.arg(
                state.DataDir);
        if (userDialogs().question(question, ProgramTitle) == UserDialogs::Answer::Yes) {
            if (!runStep([&state] { createStarterCatalogue(state.CataloguePath); }))
                return false; // already reported; opening would only add "file not found"
        }
    }
    runStep([this, &state] { *m_slot = Database::open(state.CataloguePath, Database::OpenMode::Exclusive); });
    return isOpen();
}

void BookSession::openRecordsets(const std::function<void()>& afterBookEdit)
{
    // A damaged file is repaired and reopened by the error routine; the
    // repaired catalogue still needs its upgrade.
    const Database* before = m_slot->get();
    const auto upgrade = [this] {
        if (isOpen())
            upgradeCatalogue(database());
    };
    if (!runStep(upgrade) && isOpen() && m_slot->get() != before)
        runStep(upgrade);
    runStep([this] { m_books = BookOrder::openBooks(database(), BookOrder::ByTitle); });
    m_sortOrder = SortOrder::Title;
    runStep([this] { openBookEdit(); });
    if (afterBookEdit)
        runStep(afterBookEdit);
    openLookupRecordsets();
    runStep([this] { database().idle(); });
}

void BookSession::openBookEdit()
{
    m_bookEdit = database().openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
    m_bookEdit->setLockEdits(false);
}

void BookSession::openLookupRecordsets()
{
    for (const LookupField field : LookupOpenOrder)
        runStep([this, field] {
            lookupRecordset(field) =
                database().openRecordset(lookupTable(field).recordsetSql, RecordsetType::Dynaset);
        });
}

void BookSession::close()
{
    for (const LookupField field : LookupOpenOrder) {
        auto& recordset = lookupRecordset(field);
        if (recordset)
            runStep([&recordset] { recordset->close(); });
        recordset.reset();
    }
    if (m_books)
        runStep([this] { m_books->close(); });
    m_books.reset();
    // The editing dynaset ends with the database; released first so that no
    // statement outlives the connection it runs on.
    m_bookEdit.reset();
    auto& db = *m_slot;
    if (db)
        runStep([&db] { db->close(); });
    db.reset();
}

bool BookSession::isOpen() const
{
    const auto& db = *m_slot;
    return db && db->isOpen();
}

Database& BookSession::database() const
{
    if (!isOpen())
        throw objectClosed();
    return **m_slot;
}

void BookSession::reopenBooks(SortOrder order)
{
    m_sortOrder = order;
    m_books = BookOrder::openBooks(database(), static_cast<int>(order));
}

int BookSession::bookCount() const
{
    return m_books ? m_books->recordCount() : 0;
}

void BookSession::reopenEditRecordsets()
{
    runStep([this] { openBookEdit(); });
    openLookupRecordsets();
}

void BookSession::openBookEditOn(qint32 bookId)
{
    auto books = database().openRecordset(u"Select * from Books order by SortTitle"_s, RecordsetType::Dynaset);
    books->findFirst(u"BookID = "_s + QString::number(bookId));
    if (books->noMatch())
        throw DbError(DbErrorNumber::NoCurrentRecord, u"No current record."_s);
    m_bookEdit = std::move(books);
}

LookupResolver BookSession::lookupResolver() const
{
    const auto at = [this](LookupField field) -> Recordset& {
        const auto& recordset = lookupRecordset(field);
        if (!recordset)
            throw objectClosed();
        return *recordset;
    };
    return LookupResolver({at(LookupField::Format), at(LookupField::Series), at(LookupField::Author),
                           at(LookupField::Publisher), at(LookupField::Category), at(LookupField::Owner),
                           at(LookupField::Location)});
}

std::unique_ptr<Recordset>& BookSession::lookupRecordset(LookupField field)
{
    return m_lookups[static_cast<std::size_t>(field)];
}

const std::unique_ptr<Recordset>& BookSession::lookupRecordset(LookupField field) const
{
    return m_lookups[static_cast<std::size_t>(field)];
}
