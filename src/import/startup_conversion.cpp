#include "import/startup_conversion.h"

#include "common/user_dialogs.h"
#include "database/catalogue_file_check.h"
#include "import/jet_conversion.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString question(const QString& path, OlderFile kind)
{
    const QString what =
        kind == OlderFile::Catalogue
            ? u"The catalogue %1 is a file of the earlier program, in the older Jet/Access database format, "
              u"which this program cannot work with directly."_s
            : u"The field catalogue of the custom reports, %1, is in the older Jet/Access database format, "
              u"which "
              u"this program cannot work with directly."_s;
    return what.arg(shown(path)) +
           u"\n\nDo you want to convert it now? The original file is kept unchanged beside it as %1."_s.arg(
               shown(keptOriginalName(path)));
}

} // namespace

StartupConversion offerConversion(const QString& path, OlderFile kind)
{
    StartupConversion result;
    // A file this process holds must not even have its header read (that
    // would drop the holder's locks); such a file is this program's anyway.
    if (HeldCatalogueFiles::isHeld(path) || inspectCatalogueFile(path) != CatalogueFileKind::JetOrAce)
        return result;
    if (userDialogs().question(question(path, kind), ProgramTitle) != UserDialogs::Answer::Yes) {
        result.outcome = StartupConversion::Outcome::Declined;
        return result;
    }
    const QString name = kind == OlderFile::Catalogue ? u"catalogue"_s : u"field catalogue"_s;
    try {
        const InPlaceConversion converted =
            convertJetFileInPlace(path, kind == OlderFile::Catalogue ? ConversionTarget::Catalogue
                                                                     : ConversionTarget::FieldCatalogue);
        result.outcome = StartupConversion::Outcome::Converted;
        result.summary =
            u"The %1 %2 has been converted. The original file is kept unchanged as %3.\n\n%4"_s.arg(
                name, shown(path), shown(converted.originalKeptAs), converted.report.text());
    } catch (const ConversionError& error) {
        result.outcome = StartupConversion::Outcome::Failed;
        userDialogs().message(u"The %1 could not be converted.\n\n%2"_s.arg(name, error.message()),
                              ProgramTitle);
    }
    return result;
}
