#pragma once

#include "import/conversion_report.h"
#include "import/jet_source.h"

class Database;

// Brings a catalogue of the older kind of file (in the current or the earlier
// layout) into `db`, a new, empty database: Books and the lookup tables in
// this program's layout (with its indexes), every row with its key, any
// further columns and tables as they are; then the upgrade turns an earlier
// layout into the current one. Throws ConversionError, naming `sourceName`,
// when the source's tables are not a catalogue's (a table or column of the
// layout missing) or a value cannot be stored.
ConversionReport copyCatalogue(JetSource& source, const QString& sourceName, Database& db,
                               const Heartbeat& heartbeat);
