#pragma once

#include "catalogue/lookup_tables.h"

#include <QObject>

// What the windows working beside the main window learn of the catalogue it
// shows: a book stored, added or deleted, a lookup list changed, the
// catalogue opened again (after a backup, a compaction or a repair). Lists
// and views of many books refresh themselves from here.
class CatalogueEvents : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    // A book stored through the main window: a new one (added) or changes to
    // one already there.
    void bookStored(qint32 bookId, bool added);
    void bookDeleted(qint32 bookId);
    // Entries came or went in one lookup field's list.
    void lookupListChanged(LookupField field);
    // Every recordset and list belongs to a catalogue opened afresh.
    void catalogueReopened();
};
