#pragma once

#include "database/database.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

struct SampleOptions;

// A catalogue file Quillary.mdb in a temporary folder of its own, removed with
// the object. install() makes it the program's catalogue (catalogueState():
// DataDir, CataloguePath, dbCatalogue open exclusively) until the object goes.
class TemporaryCatalogue
{
public:
    enum class Layout {
        Current,          // createCatalogue: the layout of this version, empty
        Earlier,          // the layout of the earlier version (no formats, series, volume, issue)
        EarlierWithBooks, // tests/fixtures/earlier_layout.sql: the earlier layout with six books
        NoFile,           // only the folder
    };

    explicit TemporaryCatalogue(Layout layout = Layout::Current);
    explicit TemporaryCatalogue(const SampleOptions& sample); // a generated catalogue
    ~TemporaryCatalogue();
    TemporaryCatalogue(const TemporaryCatalogue&) = delete;
    TemporaryCatalogue& operator=(const TemporaryCatalogue&) = delete;

    QString folder() const; // ends in the separator, as DataDir does
    QString path() const;

    // Opens the file on its own connection, for preparing or inspecting it.
    std::unique_ptr<Database> open() const;
    // Runs native SQLite statements on the file (fixtures: rows, triggers...).
    void executeNative(const QByteArray& sql) const;

    // The file becomes the program's catalogue; resets LockRetries and LockPending.
    void install() const;
    // Closes the program's catalogue (so the file can be read or changed by other means).
    static void uninstall();

private:
    QTemporaryDir m_dir;
};

// The rows of a native query, each as its values joined by '|' ("<null>" for
// Null): a quick way to compare tables before and after.
QStringList nativeRows(Database& db, const QByteArray& sql);

// Everything a file holds that an upgrade could change: its schema and every
// row of every table, in a fixed order.
QStringList catalogueContents(Database& db);
