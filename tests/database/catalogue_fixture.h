#pragma once

// A small catalogue for the database layer's tests: Books with its 26
// columns, the seven lookup tables and a field catalogue table, created with
// SQL in the classic dialect, with a handful of books chosen so that the
// program's queries and criteria have something to tell apart.

#include "database/database.h"
#include "support/file_contents.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace CatalogueFixture {

inline const QStringList& schemaStatements()
{
    static const QStringList statements = {
        QStringLiteral(
            "CREATE TABLE Books (BookID COUNTER, Title TEXT (255), SortTitle TEXT (255), AuthID LONG, "
            "PubID LONG, CatID LONG, OwnerID LONG, LocID LONG, ForID LONG, SerID LONG, Vol LONG, "
            "Issue LONG, [Year] SHORT, ISBN TEXT (20), Fiction YESNO, [New] YESNO, Paperback YESNO, "
            "[Read] YESNO, BuyDate DATETIME, ReadDate DATETIME, CoverPrice CURRENCY, BuyPrice CURRENCY, "
            "Notes MEMO, OnLoan YESNO, LoanedTo TEXT (50), LoanDate DATETIME)"),
        QStringLiteral("CREATE INDEX BooksBySortTitle ON Books (SortTitle)"),
        QStringLiteral("CREATE TABLE Authors (AuthID COUNTER, LastName TEXT (40), FirstName TEXT (40))"),
        QStringLiteral("CREATE TABLE Publishers (PubID COUNTER, PubName TEXT (75))"),
        QStringLiteral("CREATE TABLE Categories (CatID COUNTER, CatName TEXT (40))"),
        QStringLiteral("CREATE TABLE Owners (OwnID COUNTER, OwnName TEXT (40))"),
        QStringLiteral("CREATE TABLE Locations (LocID COUNTER, LocName TEXT (40))"),
        QStringLiteral("CREATE TABLE Formats (ForID COUNTER,ForDesc TEXT (40))"),
        QStringLiteral("CREATE TABLE Series (SerID COUNTER,SerDesc TEXT (40))"),
        QStringLiteral(
            "CREATE TABLE RptSpec (specid SHORT, usewith TEXT (50), [Desc] TEXT (50), fieldname TEXT "
            "(100), datatype SHORT, FileName TEXT (50), linkfield TEXT (50), ismemo YESNO, defwidth "
            "DOUBLE, IsCurrency YESNO)"),
    };
    return statements;
}

// Sorted by SortTitle: BOOK OF DAYS (6), HOBBIT (4), NANA (5), RING (1),
// RINGWORLD (2), STRING THEORY (3).
inline const QStringList& dataStatements()
{
    static const QStringList statements = {
        QStringLiteral("INSERT INTO Authors (LastName, FirstName) VALUES (\"O'Brien\", \"John\")"),
        QStringLiteral("INSERT INTO Authors (LastName, FirstName) VALUES ('Zola', 'Émile')"),
        QStringLiteral("INSERT INTO Authors (LastName, FirstName) VALUES ('Tolkien', 'J. R. R.')"),
        QStringLiteral("INSERT INTO Authors (LastName, FirstName) VALUES ('Écrivain', 'Anne')"),
        QStringLiteral("INSERT INTO Authors (LastName, FirstName) VALUES ('écrivain', 'Bob')"),
        QStringLiteral("INSERT INTO Publishers (PubName) VALUES ('Penguin')"),
        QStringLiteral("INSERT INTO Publishers (PubName) VALUES ('Ace')"),
        QStringLiteral("INSERT INTO Categories (CatName) VALUES ('Fantasy')"),
        QStringLiteral("INSERT INTO Categories (CatName) VALUES ('Science')"),
        QStringLiteral("INSERT INTO Categories (CatName) VALUES ('Unused')"),
        QStringLiteral("INSERT INTO Owners (OwnName) VALUES ('Me')"),
        QStringLiteral("INSERT INTO Locations (LocName) VALUES ('Shelf A')"),
        QStringLiteral("INSERT INTO Locations (LocName) VALUES ('Attic')"),
        QStringLiteral("INSERT INTO Formats (ForDesc) VALUES ('Paperback')"),
        QStringLiteral("INSERT INTO Formats (ForDesc) VALUES ('Hardcover')"),
        QStringLiteral("INSERT INTO Series (SerDesc) VALUES ('Middle-earth')"),
        QStringLiteral(
            "INSERT INTO Books (Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, ForID, SerID, "
            "Vol, Issue, [Year], ISBN, Fiction, [New], Paperback, [Read], BuyDate, ReadDate, "
            "CoverPrice, BuyPrice, Notes, OnLoan, LoanedTo, LoanDate) VALUES ('The Ring', 'RING', 3, "
            "1, 1, 1, 1, 1, 1, 1, Null, 1954, '0-123', true, true, true, true, #3/7/2001#, "
            "#4/1/2001#, 12.5, 10, '', false, '', Null)"),
        QStringLiteral(
            "INSERT INTO Books (Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, ForID, SerID, "
            "[Year], Fiction, [New], Paperback, [Read], BuyDate, CoverPrice, OnLoan, LoanedTo, "
            "LoanDate) VALUES ('Ringworld', 'RINGWORLD', 2, 2, 2, 1, 1, 2, -1, 1970, true, false, "
            "false, false, #3/6/2001#, 9.99, true, 'Ann', #5/5/2005#)"),
        QStringLiteral(
            "INSERT INTO Books (Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, ForID, SerID, "
            "Fiction, [New], Paperback, [Read], CoverPrice, OnLoan) VALUES ('String Theory', "
            "'STRING THEORY', 1, -1, 2, -1, 2, -1, -1, false, true, false, false, 30, false)"),
        QStringLiteral(
            "INSERT INTO Books (Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, ForID, SerID, "
            "[Year], Fiction, [New], Paperback, [Read], BuyDate, CoverPrice, OnLoan) VALUES "
            "('The Hobbit', 'HOBBIT', 3, 1, 1, 1, 1, 2, 1, 1937, true, true, false, true, "
            "#12/31/1999 10:30:00 PM#, 25, false)"),
        QStringLiteral(
            "INSERT INTO Books (Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, ForID, SerID, "
            "Fiction, [New], Paperback, [Read], BuyDate, OnLoan) VALUES ('Nana', 'NANA', 2, -1, -1, "
            "-1, 2, -1, -1, true, false, true, false, #3/8/2001#, false)"),
        QStringLiteral(
            "INSERT INTO Books (Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, ForID, SerID, "
            "Fiction, [New], Paperback, [Read], BuyDate, OnLoan) VALUES ('A Book of Days', "
            "'BOOK OF DAYS', -1, -1, 2, -1, -1, -1, -1, false, false, false, false, #1/2/2002#, "
            "false)"),
        QStringLiteral(
            "INSERT INTO RptSpec VALUES (1, 'books', 'Title', 'Title', 1, 'books', '', false, 3, false)"),
        QStringLiteral(
            "INSERT INTO RptSpec VALUES (2, 'books', 'Author Last Name', 'LastName', 1, 'Authors', "
            "'AuthID', false, 2, false)"),
        QStringLiteral(
            "INSERT INTO RptSpec VALUES (3, 'books;other', 'Cover Price', 'CoverPrice', 2, 'books', "
            "'', false, 1, true)"),
        QStringLiteral(
            "INSERT INTO RptSpec VALUES (7, 'other', 'Notes', 'Notes', 1, 'other', '', true, Null, "
            "false)"),
    };
    return statements;
}

// A fresh catalogue with the fixture's tables and books in dir.
inline std::unique_ptr<Database> create(const QTemporaryDir& dir,
                                        const QString& name = QStringLiteral("Quillary.mdb"))
{
    std::unique_ptr<Database> db = Database::create(dir.filePath(name));
    for (const QStringList* statements : {&schemaStatements(), &dataStatements()})
        for (const QString& statement : *statements)
            db->execute(statement);
    return db;
}

// The DbError the action throws; number 0 when it throws none.
inline DbError failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DbError& error) {
        return error;
    }
    return DbError(0, QString());
}

inline int errorNumberOf(const std::function<void()>& action)
{
    return failureOf(action).number();
}

} // namespace CatalogueFixture
