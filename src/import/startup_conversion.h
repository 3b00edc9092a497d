#pragma once

#include <QString>

// At start-up, a catalogue (or the field catalogue) in the data folder that
// is still a database file of the older kind, which this program cannot work
// with directly, is offered for conversion.

enum class OlderFile { Catalogue, FieldCatalogue };

struct StartupConversion
{
    enum class Outcome {
        NotNeeded, // no such file there: nothing was asked
        Converted, // the file now has this program's format; the original lies beside it
        Declined,  // the user answered No: the file is as it was
        Failed,    // the conversion was refused or failed (already reported): the file is as it was
    };
    Outcome outcome = Outcome::NotNeeded;
    QString summary; // when converted: what to tell the user once the start-up is done
};

// When `path` holds a file of the older kind, asks (Yes/No, through the dialog
// seam) whether to convert it. Yes converts it in place, keeping the original
// untouched beside it; a failure is shown at once.
StartupConversion offerConversion(const QString& path, OlderFile kind);
