#pragma once

#include "import/conversion_report.h"
#include "import/jet_source.h"

#include <QByteArray>
#include <QSet>
#include <QString>

class Database;

// Copying tables of a classic-engine file into an SQLite database, value for
// value and key for key.

// A name as an SQLite identifier: in double quotes, inner quotes doubled.
QByteArray quotedName(const QString& name);

// The declared type a column gets, chosen so that the program reads its
// values back as the same kind (BOOLEAN, SMALLINT, INTEGER, CURRENCY,
// DATETIME, ...; text compares without regard to case, as in the engine).
QByteArray declaredType(const JetColumn& column);

// The CREATE TABLE statement for a table under its own name. A primary key of
// one whole-number column becomes SQLite's row key (with AUTOINCREMENT for an
// AutoNumber, so that keys are never used twice); any other primary key a
// table constraint.
QByteArray createTableStatement(const JetTable& table);

// The CREATE INDEX statements of the table's indexes other than the primary
// key. SQLite's index names are shared by the whole file, so each is the
// table's name and the index's, made unique against `namesInUse`.
QList<QByteArray> createIndexStatements(const JetTable& table, QSet<QString>& namesInUse);

// Copies every row of `table` into the existing table `target`, which has a
// column of each of the table's names; every value is stored as the target
// column's declared type asks. Adds the table and its row count to the
// report, with what the reader noted. Throws ConversionError naming the
// table, row and column of a value that cannot be stored, and DbError for a
// failing write.
void copyRows(JetSource& source, const JetTable& table, Database& db, const QString& target,
              const Heartbeat& heartbeat, ConversionReport& report);

// Creates and fills one table as it is in the source, with its indexes.
void copyWholeTable(JetSource& source, const JetTable& table, Database& db, QSet<QString>& indexNames,
                    const Heartbeat& heartbeat, ConversionReport& report);

// Every table of the source, in one transaction.
ConversionReport copyAllTables(JetSource& source, Database& db, const Heartbeat& heartbeat);
