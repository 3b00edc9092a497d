#pragma once

#include "import/conversion_report.h"
#include "import/jet_source.h"

#include <QString>
#include <chrono>
#include <functional>

class Database;

// Converting a database file of the classic desktop engine into an SQLite
// file. The result is always a new file: it is written under a temporary name
// beside its destination and renamed into place only when it is complete, so
// a failure (or a crash) never leaves half a file under the name asked for,
// and the source is only ever read.

enum class ConversionTarget {
    AllTables,      // every table as it is, with its columns, rows, keys and indexes
    Catalogue,      // a catalogue of the earlier program, which becomes one of this program's
    FieldCatalogue, // every table, of a file that must hold the field catalogue's RptSpec
};

// How long a conversion may show no progress before it counts as stuck on a
// damaged file. Reading never pauses for anywhere near as long.
inline constexpr std::chrono::milliseconds DefaultSilenceLimit{30000};

// Converts `jetPath` into the new file `outputPath`, which must not exist.
// The file is read in a child process, so that a damaged file cannot take the
// program down. Throws ConversionError with a text for the user.
ConversionReport convertJetFile(const QString& jetPath, const QString& outputPath, ConversionTarget target,
                                std::chrono::milliseconds silenceLimit = DefaultSilenceLimit);

// How a file is opened for reading: the file reader, unless a test puts
// tables of its own in the place of a file. Passing nothing restores the
// file reader.
using JetSourceOpener = std::function<std::unique_ptr<JetSource>(const QString& path)>;
void setJetSourceOpener(JetSourceOpener opener);

// The same from a source already open, in this process.
ConversionReport convertJetSource(JetSource& source, const QString& sourceName, const QString& outputPath,
                                  ConversionTarget target);

// The conversion proper, into an empty database.
ConversionReport fillFromSource(JetSource& source, const QString& sourceName, Database& db,
                                ConversionTarget target, const Heartbeat& heartbeat);

// Converts the file at `path` in place: the new file takes the name, and the
// original is kept untouched beside it under `keptOriginalName(path)`, which
// the result names. Throws ConversionError; the original is then still where
// it was and nothing else is left behind.
struct InPlaceConversion
{
    ConversionReport report;
    QString originalKeptAs;
};
InPlaceConversion convertJetFileInPlace(const QString& path, ConversionTarget target,
                                        std::chrono::milliseconds silenceLimit = DefaultSilenceLimit);

// "Quillary.mdb" -> "Quillary.jet.mdb" beside it, or "Quillary.jet-2.mdb"
// and so on when that name is taken.
QString keptOriginalName(const QString& path);
