#pragma once

#include <QString>

// Copies the database file source, which this process does not hold open,
// into the new file destination. While the bytes are copied a read
// transaction holds SQLite's shared lock on source, so no one can change it
// meanwhile; a file that keeps changes in a write-ahead log is copied page by
// page through SQLite instead. Returns why it failed, or an empty text; a
// failed copy leaves no destination behind.
QString copyDatabaseFile(const QString& source, const QString& destination);
