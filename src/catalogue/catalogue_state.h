#pragma once

#include "database/database.h"

#include <QString>
#include <memory>

// The catalogue the program works on, set up by the main window's start-up and
// shared by every window for the rest of the run.
struct CatalogueState
{
    QString DataDir;       // working directory at start-up, ending in the separator
    QString CataloguePath; // DataDir + "Quillary.mdb"
    std::unique_ptr<Database> dbCatalogue;
    qint16 LockRetries = 0;   // consecutive locking errors seen by HandleDbError
    bool LockPending = false; // a write is to be issued (again)
};

CatalogueState& catalogueState();

inline const QString CatalogueFileName = QStringLiteral("Quillary.mdb");
