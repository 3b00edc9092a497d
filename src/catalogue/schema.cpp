#include "catalogue/schema.h"

#include "catalogue/catalogue_state.h"
#include "database/collation_version.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/recordset.h"

#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Declared types carry the stored-value conventions the database layer reads
// back: BOOLEAN 0/1, CURRENCY a real with four decimals, DATETIME ISO text,
// SMALLINT a 16-bit number. Lookup keys default to -1 (none) and flags to
// false, so that a row added by any tool follows the program's conventions.
constexpr const char* LookupTables = R"sql(
CREATE TABLE Authors (
    AuthID INTEGER PRIMARY KEY AUTOINCREMENT,
    LastName TEXT COLLATE QUILLARY,
    FirstName TEXT COLLATE QUILLARY
);
CREATE TABLE Publishers (
    PubID INTEGER PRIMARY KEY AUTOINCREMENT,
    PubName TEXT COLLATE QUILLARY
);
CREATE TABLE Categories (
    CatID INTEGER PRIMARY KEY AUTOINCREMENT,
    CatName TEXT COLLATE QUILLARY
);
CREATE TABLE Owners (
    OwnID INTEGER PRIMARY KEY AUTOINCREMENT,
    OwnName TEXT COLLATE QUILLARY
);
CREATE TABLE Locations (
    LocID INTEGER PRIMARY KEY AUTOINCREMENT,
    LocName TEXT COLLATE QUILLARY
);
CREATE INDEX Authors_Name ON Authors (LastName, FirstName);
CREATE INDEX Publishers_PubName ON Publishers (PubName);
CREATE INDEX Categories_CatName ON Categories (CatName);
CREATE INDEX Owners_OwnName ON Owners (OwnName);
CREATE INDEX Locations_LocName ON Locations (LocName);
)sql";

constexpr const char* FormatAndSeriesTables = R"sql(
CREATE TABLE Formats (
    ForID INTEGER PRIMARY KEY AUTOINCREMENT,
    ForDesc TEXT COLLATE QUILLARY
);
CREATE TABLE Series (
    SerID INTEGER PRIMARY KEY AUTOINCREMENT,
    SerDesc TEXT COLLATE QUILLARY
);
)sql";

constexpr const char* CurrentBooksTable = R"sql(
CREATE TABLE Books (
    BookID INTEGER PRIMARY KEY AUTOINCREMENT,
    Title TEXT COLLATE QUILLARY,
    SortTitle TEXT COLLATE QUILLARY,
    AuthID INTEGER DEFAULT -1,
    PubID INTEGER DEFAULT -1,
    CatID INTEGER DEFAULT -1,
    OwnerID INTEGER DEFAULT -1,
    LocID INTEGER DEFAULT -1,
    ForID INTEGER DEFAULT -1,
    SerID INTEGER DEFAULT -1,
    Vol INTEGER,
    Issue INTEGER,
    Year SMALLINT,
    ISBN TEXT COLLATE QUILLARY,
    Fiction BOOLEAN DEFAULT 0,
    New BOOLEAN DEFAULT 0,
    Paperback BOOLEAN DEFAULT 0,
    Read BOOLEAN DEFAULT 0,
    BuyDate DATETIME,
    ReadDate DATETIME,
    CoverPrice CURRENCY,
    BuyPrice CURRENCY,
    Notes TEXT COLLATE QUILLARY,
    OnLoan BOOLEAN DEFAULT 0,
    LoanedTo TEXT COLLATE QUILLARY,
    LoanDate DATETIME
);
)sql";

// The file the earlier version of the program wrote: no format, series,
// volume or issue.
constexpr const char* EarlierBooksTable = R"sql(
CREATE TABLE Books (
    BookID INTEGER PRIMARY KEY AUTOINCREMENT,
    Title TEXT COLLATE QUILLARY,
    SortTitle TEXT COLLATE QUILLARY,
    AuthID INTEGER DEFAULT -1,
    PubID INTEGER DEFAULT -1,
    CatID INTEGER DEFAULT -1,
    OwnerID INTEGER DEFAULT -1,
    LocID INTEGER DEFAULT -1,
    Year SMALLINT,
    ISBN TEXT COLLATE QUILLARY,
    Fiction BOOLEAN DEFAULT 0,
    New BOOLEAN DEFAULT 0,
    Paperback BOOLEAN DEFAULT 0,
    Read BOOLEAN DEFAULT 0,
    BuyDate DATETIME,
    ReadDate DATETIME,
    CoverPrice CURRENCY,
    BuyPrice CURRENCY,
    Notes TEXT COLLATE QUILLARY,
    OnLoan BOOLEAN DEFAULT 0,
    LoanedTo TEXT COLLATE QUILLARY,
    LoanDate DATETIME
);
)sql";

// The title order walks Books_SortTitle and needs no sort. The narrow
// (key, SortTitle) indexes serve every lookup of books by author or category,
// and give the author and category orders their keys without reading the wide
// table (see editor/book_order.cpp).
constexpr const char* BooksIndexes = R"sql(
CREATE INDEX Books_SortTitle ON Books (SortTitle);
CREATE INDEX Books_AuthID ON Books (AuthID, SortTitle);
CREATE INDEX Books_CatID ON Books (CatID, SortTitle);
CREATE INDEX Books_PubID ON Books (PubID);
CREATE INDEX Books_OwnerID ON Books (OwnerID);
CREATE INDEX Books_LocID ON Books (LocID);
)sql";

// Also made by the upgrade, which is why they tolerate existing ones.
constexpr const char* FormatAndSeriesIndexes = R"sql(
CREATE INDEX IF NOT EXISTS Formats_ForDesc ON Formats (ForDesc);
CREATE INDEX IF NOT EXISTS Series_SerDesc ON Series (SerDesc);
CREATE INDEX IF NOT EXISTS Books_ForID ON Books (ForID);
CREATE INDEX IF NOT EXISTS Books_SerID ON Books (SerID);
)sql";

// The upgrade of a file written by the earlier version, in the classic dialect.
const std::array UpgradeStatements{
    u"CREATE TABLE Formats (ForID COUNTER,ForDesc TEXT (40))"_s,
    u"CREATE TABLE Series (SerID COUNTER,SerDesc TEXT (40))"_s,
    u"ALTER TABLE books ADD COLUMN ForID LONG;"_s,
    u"ALTER TABLE books ADD COLUMN SerID LONG;"_s,
    u"ALTER TABLE books ADD COLUMN Vol LONG;"_s,
    u"ALTER TABLE books ADD COLUMN Issue LONG;"_s,
};

// Seeded in this order so that the counter gives Paperback the key 1 and
// Hardcover 2, which the carried-over paperback flag relies on.
const std::array SeededFormats{u"Paperback"_s, u"Hardcover"_s, u"Tape"_s, u"CD"_s, u"MP3"_s};
constexpr int PaperbackFormat = 1;
constexpr int HardcoverFormat = 2;

// The current layout is recognised by Books having ForID: the probe failing
// is the one signal to upgrade. Preparing the query answers that; no row
// needs reading.
bool hasCurrentLayout(Database& db)
{
    try {
        NativeStatement probe(db, "SELECT ForID FROM Books LIMIT 0");
        return true;
    } catch (const DbError& error) {
        // A damaged file is no earlier layout: upgrading it would only fail
        // with a misleading message before the damage is seen and repaired.
        if (error.number() == DbErrorNumber::NotADatabase)
            throw;
        return false;
    }
}

void seedFormats(Recordset& formats)
{
    for (const QString& description : SeededFormats) {
        formats.addNew();
        formats.setValue(u"fordesc"_s, description);
        formats.update();
    }
}

void carryPaperbackFlagOver(Recordset& books)
{
    if (books.recordCount() <= 0)
        return;
    books.moveFirst();
    while (!books.eof()) {
        books.edit();
        // A Null flag reads as false, so such books become hardcover.
        const bool paperback = books.value(u"paperback"_s).toBool();
        books.setValue(u"forID"_s, paperback ? PaperbackFormat : HardcoverFormat);
        books.update();
        books.moveNext();
    }
}

void seedFormatTable(Database& db)
{
    auto formats = db.openRecordset(u"select * from formats"_s, RecordsetType::Dynaset);
    seedFormats(*formats);
    formats->close();
}

void seedFormatsAndCarryFlags(Database& db)
{
    seedFormatTable(db);
    auto books = db.openRecordset(u"select paperback, forid from books"_s, RecordsetType::Dynaset);
    carryPaperbackFlagOver(*books);
    books->close();
}

void runUpgrade(Database& db)
{
    for (const QString& statement : UpgradeStatements)
        db.execute(statement);
    // An upgraded file lists and looks up formats and series as fast as a new one.
    executeNative(db, FormatAndSeriesIndexes);
    seedFormatsAndCarryFlags(db);
}

void createCatalogueFile(const QString& path, const std::function<void(Database&)>& fill)
{
    auto db = Database::create(path);
    try {
        db->transaction([&] { fill(*db); });
        db->close();
    } catch (...) {
        // A file without the whole layout is no catalogue: leave none behind.
        db.reset();
        QFile::remove(path);
        throw;
    }
}

} // namespace

void createCatalogueTables(Database& db)
{
    executeNative(db, LookupTables);
    executeNative(db, FormatAndSeriesTables);
    executeNative(db, CurrentBooksTable);
    executeNative(db, BooksIndexes);
    executeNative(db, FormatAndSeriesIndexes);
    markCollationCurrent(db);
}

namespace {

// The earlier version declared its text columns with SQLite's own NOCASE.
QByteArray asEarlierDeclared(const char* definitions)
{
    return QByteArray(definitions).replace("COLLATE QUILLARY", "COLLATE NOCASE");
}

} // namespace

void createEarlierLayoutTables(Database& db)
{
    executeNative(db, asEarlierDeclared(LookupTables));
    executeNative(db, asEarlierDeclared(EarlierBooksTable));
    executeNative(db, BooksIndexes);
}

void createCatalogue(const QString& path)
{
    createCatalogueFile(path, [](Database& db) { createCatalogueTables(db); });
}

void createStarterCatalogue(const QString& path)
{
    createCatalogueFile(path, [](Database& db) {
        createCatalogueTables(db);
        seedFormatTable(db);
    });
}

void UpgradeCatalogue()
{
    Database* db = catalogueState().dbCatalogue.get();
    if (!db || !db->isOpen())
        return; // the failed open has been reported; there is nothing to upgrade
    upgradeCatalogue(*db);
}

void upgradeCatalogue(Database& db)
{
    // All or nothing: a failure half-way must not leave a file that is neither
    // layout (the probe would then call it current and the program would trip
    // over the missing tables or columns on every start).
    if (!hasCurrentLayout(db))
        db.transaction([&] { runUpgrade(db); });
    bringTextOrderUpToDate(db);
}

void seedFormatsFromPaperbackFlags(Database& db)
{
    seedFormatsAndCarryFlags(db);
}

KnownLayout catalogueLayout()
{
    KnownLayout layout;
    QTemporaryDir folder;
    if (!folder.isValid())
        return layout;
    const QString path = folder.filePath(u"layout.db"_s);
    createCatalogue(path);
    auto db = Database::open(path, Database::OpenMode::Shared);
    auto rows = db->openRecordset(u"select type, name, tbl_name, sql, rootpage from sqlite_master "
                                  u"where sql is not null order by rowid"_s,
                                  RecordsetType::Snapshot);
    for (; !rows->eof(); rows->moveNext())
        layout.definitions.push_back({rows->value(0).toString(), rows->value(1).toString(),
                                      rows->value(2).toString(), rows->value(3).toString(),
                                      rows->value(4).toLongLong()});
    for (const auto& [setting, value] : {std::pair{"application_id", &layout.applicationId},
                                         std::pair{"user_version", &layout.userVersion}}) {
        NativeStatement read(*db, QByteArray("PRAGMA ") + setting);
        if (read.step())
            *value = read.columnInt(0);
    }
    return layout;
}
