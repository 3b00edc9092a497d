#include "catalogue/book_session.h"

#include "catalogue/book_order.h"
#include "catalogue/catalogue_location.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "catalogue/open_check.h"
#include "catalogue/schema.h"
#include "common/safe_file_writer.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/recordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <filesystem>

using namespace Qt::StringLiterals;

namespace {

QString withTrailingSeparator(const QString& folder)
{
    QString dir = QDir::toNativeSeparators(folder);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

// A marker beside the catalogue while the program has it open: found at the
// next start, it tells that the program did not end cleanly, and the file is
// then checked in full rather than quickly.
QString runMarkerPath(const QString& cataloguePath)
{
    return cataloguePath + u"-open"_s;
}

// The marker also tells the close whether the file was found sound when it
// was opened: only then may the close vouch for it.
constexpr char FoundSound[] = "It was found sound when it was opened.\n";

void writeRunMarker(const QString& path, bool foundSound)
{
    QFile marker(path);
    if (marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        marker.write(
            QByteArray("The catalogue beside this file is open, or the program did not end cleanly.\n") +
            (foundSound ? FoundSound : ""));
}

bool markerTellsFoundSound(const QString& path)
{
    QFile marker(path);
    return marker.open(QIODevice::ReadOnly) && marker.readAll().contains(FoundSound);
}

// Beside the catalogue after a clean close: what the file looked like then.
// Found at the next start with the file unchanged, it spares the quick check
// (the larger part of a start-up on a big catalogue): the file is the one
// this program closed sound. Any change since, by whatever program, shows in
// its size, times or SQLite's change counter, and the file is checked.
QString cleanCloseRecordPath(const QString& cataloguePath)
{
    return cataloguePath + u"-closed"_s;
}

QByteArray fileStamp(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    std::error_code error;
    const auto modified = std::filesystem::last_write_time(QFile::encodeName(path).toStdString(), error);
    if (error)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(100);
    return "size " + QByteArray::number(info.size()) + "\nmodified " +
           QByteArray::number(qint64(modified.time_since_epoch().count())) + "\nchanged " +
           QByteArray::number(info.fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch()) +
           "\nheader " + header.mid(24, 4).toHex() + '\n';
}

bool unchangedSinceCleanClose(const QString& cataloguePath)
{
    QFile record(cleanCloseRecordPath(cataloguePath));
    if (!record.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stamp = fileStamp(cataloguePath);
    return !stamp.isEmpty() && record.readAll() == stamp;
}

void writeCleanCloseRecord(const QString& cataloguePath)
{
    const QByteArray stamp = fileStamp(cataloguePath);
    if (stamp.isEmpty())
        return;
    // Without the record the next start checks the file: a failure costs
    // only that.
    try {
        SafeFileWriter record(cleanCloseRecordPath(cataloguePath));
        record.openOrThrow();
        record.write(stamp);
        record.commit();
    } catch (const FileSaveError&) {
    }
}

// A "(repairing)" file is the half-built copy of a repair that was cut short;
// the catalogue itself was not touched by it, so the copy is of no use. A
// journal beside it is part of the same leftover.
void removeRepairLeftovers(const QString& cataloguePath)
{
    const QFileInfo info(cataloguePath);
    if (!info.exists())
        return;
    const QDir folder = info.absoluteDir();
    const QString pattern = info.completeBaseName() + u" (repairing)*"_s;
    QStringList told;
    for (const QString& name : folder.entryList({pattern}, QDir::Files)) {
        const QString path = folder.filePath(name);
        const QString copy = path.endsWith(u"-journal"_s) ? path.chopped(8) : path;
        if (!QFile::remove(path) || told.contains(copy))
            continue;
        told << copy;
        userDialogs().message(
            u"An unfinished repair had left the file '%1' behind; it was removed. The catalogue was "
            u"not changed by it."_s.arg(
                QDir::toNativeSeparators(name.endsWith(u"-journal"_s) ? path : copy)));
    }
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
    m_opening = true;
    const auto opened = qScopeGuard([this] { m_opening = false; });
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
    removeRepairLeftovers(state.CataloguePath);
    runStep([this, &state] { *m_slot = Database::open(state.CataloguePath, Database::OpenMode::Exclusive); });
    if (!isOpen())
        return false;
    if (!database().journalSetAside().isEmpty())
        userDialogs().message(
            u"A rollback journal beside the catalogue '%1' belongs to another file, so it was not "
            u"applied. It was kept as '%2'."_s.arg(QDir::toNativeSeparators(state.CataloguePath),
                                                   QDir::toNativeSeparators(database().journalSetAside())));
    if (isForeignDatabase()) {
        // Another program's database under the catalogue's name: every step
        // would fail on it in turn. It is left as it is, and said once.
        m_slot->reset();
        userDialogs().message(
            u"'%1' is not a catalogue of this program: it is a database of another kind, with no "
            u"Books table. Nothing was changed in it."_s.arg(QDir::toNativeSeparators(state.CataloguePath)));
        return false;
    }
    if (!isOpen())
        return false;
    // Damage is repaired before anything reads the books, so that it never
    // first shows as an unrelated failure of a later step. An unclean end
    // counts as a change: SQLite's journal has already made it safe.
    const QString runMarker = runMarkerPath(state.CataloguePath);
    const bool unchanged = !QFileInfo::exists(runMarker) && unchangedSinceCleanClose(state.CataloguePath);
    // The record speaks of one close only: this run's own close writes it anew.
    QFile::remove(cleanCloseRecordPath(state.CataloguePath));
    const bool sound = runStep([this, unchanged] { checkCatalogueAtOpen(database(), unchanged); });
    // A repaired catalogue was made from what could be read, not found sound.
    if (isOpen())
        writeRunMarker(runMarker, sound);
    return isOpen();
}

// Whether the open file is a database of another program. A file with no
// Books table but with at least three of the catalogue's lookup tables is a
// catalogue that lost its Books table, and a file too damaged to list its
// tables may be one too: the error routine repairs both.
bool BookSession::isForeignDatabase()
{
    bool foreign = false;
    runStep([this, &foreign] {
        NativeStatement tables(database(), "SELECT sum(lower(name) = 'books'), count(*) FROM sqlite_master "
                                           "WHERE type = 'table' AND lower(name) IN ('books', 'authors', "
                                           "'publishers', 'categories', 'owners', 'locations', 'formats', "
                                           "'series')");
        const bool hasBooks = tables.step() && tables.columnInt(0) > 0;
        const bool lookupTables = tables.columnInt(1) >= 3;
        foreign = !hasBooks && !lookupTables;
        if (!hasBooks && !foreign)
            throw DbError(DbErrorNumber::NotADatabase, u"The catalogue '%1' has lost its Books table."_s.arg(
                                                           QDir::toNativeSeparators(database().path())));
    });
    return foreign && isOpen();
}

void BookSession::openRecordsets(const std::function<void()>& afterBookEdit)
{
    // Should a step find damage after all, the error routine repairs the file
    // and reopens it in the slot: every recordset opened so far belongs to the
    // old connection, so the steps start again on the repaired catalogue.
    constexpr int MostRepairs = 2;
    for (int attempt = 0; attempt <= MostRepairs; ++attempt) {
        const Database* before = m_slot->get();
        runOpeningSteps(afterBookEdit);
        if (m_slot->get() == before || !isOpen())
            return;
        dropRecordsets();
    }
}

void BookSession::dropRecordsets()
{
    for (const LookupField field : LookupOpenOrder)
        lookupRecordset(field).reset();
    m_keptOrder.forget();
    m_books.reset();
    m_bookEdit.reset();
}

void BookSession::runOpeningSteps(const std::function<void()>& afterBookEdit)
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
    m_sortOrder = SortOrder::Title;
    m_keptOrder.forget();
    runStep([this] { reopenBooks(SortOrder::Title); });
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
    m_keptOrder.forget();
    if (m_books)
        runStep([this] { m_books->close(); });
    m_books.reset();
    // The editing dynaset ends with the database; released first so that no
    // statement outlives the connection it runs on.
    m_bookEdit.reset();
    auto& db = *m_slot;
    const bool wasOpen = db && db->isOpen();
    const QString path = db ? db->path() : QString();
    bool closed = false;
    if (db)
        closed = runStep([&db] { db->close(); });
    db.reset();
    if (wasOpen) {
        if (closed && markerTellsFoundSound(runMarkerPath(path)))
            writeCleanCloseRecord(path);
        QFile::remove(runMarkerPath(path));
    }
}

bool BookSession::isOpen() const
{
    const auto& db = *m_slot;
    return db && db->isOpen();
}

bool BookSession::recordsetsOnOpenCatalogue() const
{
    if (!isOpen() || !m_books)
        return false;
    try {
        m_books->recordCount();
        return true;
    } catch (const DbError& error) {
        if (error.number() == DbErrorNumber::ObjectClosed)
            return false;
        throw;
    }
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
    Database& db = database();
    const int index = static_cast<int>(order);
    std::optional<std::vector<qint64>> keys;
    if (m_books) {
        try {
            keys = m_keptOrder.keysAfterChanges(db, index, *m_books);
        } catch (const DbError&) {
            keys.reset(); // read in full below, which reports what is wrong
        }
    }
    if (!keys)
        keys = m_keptOrder.readAll(db, index);
    try {
        m_books = db.openRecordset(BookOrder::query(index), RecordsetType::Snapshot, std::move(*keys));
    } catch (...) {
        m_keptOrder.forget();
        throw;
    }
}

int BookSession::bookCount() const
{
    if (!m_books || !isOpen())
        return 0;
    try {
        return m_books->recordCount();
    } catch (const DbError& error) {
        // A recordset of a connection closed meanwhile counts as not open.
        if (error.number() == DbErrorNumber::ObjectClosed)
            return 0;
        throw;
    }
}

void BookSession::reopenEditRecordsets()
{
    runStep([this] { openBookEdit(); });
    openLookupRecordsets();
}

void BookSession::openBookEditOn(qint32 bookId)
{
    // The editing dynaset holds every book already: found there, the book is
    // deleted without reading every key in title order again.
    if (m_bookEdit) {
        try {
            m_bookEdit->findFirst(u"BookID = "_s + QString::number(bookId));
            if (!m_bookEdit->noMatch())
                return;
        } catch (const DbError&) {
            // a dynaset of a connection closed meanwhile: a new one below
        }
    }
    auto books =
        database().openRecordset(u"Select * from Books order by SortTitle"_s, RecordsetType::Dynaset);
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
