#include "editor/catalogue_life.h"

#include "catalogue/book_session.h"
#include "catalogue/catalogue_location.h"
#include "catalogue/catalogue_state.h"
#include "common/user_dialogs.h"
#include "custom_reports/field_catalogue.h"
#include "dates/date_format.h"
#include "editor/catalogue_events.h"
#include "import/startup_conversion.h"
#include "maintenance/interrupted_compaction.h"
#include "maintenance/maintenance_files.h"

#include <QDir>
#include <utility>

using namespace Qt::StringLiterals;

CatalogueLife::CatalogueLife(BookSession& session, QString dataFolder, View view, CatalogueEvents& events)
    : m_session(session), m_dataFolder(std::move(dataFolder)), m_view(std::move(view)), m_events(events)
{
}

void CatalogueLife::start()
{
    m_started = true;
    offerSetAsideCatalogue();
    QStringList conversions;
    // A catalogue still of the older kind (the conversion declined, or failed
    // and reported) could only fail to open: the start-up goes on without one.
    if (offerOlderFileConversions(conversions) && m_session.open(m_dataFolder, [] { ChkDateFmt(); }))
        m_view.showCatalogue();
    else
        m_view.showWithoutCatalogue(); // every later step would only fail again
    // Told once the start-up is done, over the window it opened.
    for (const QString& summary : std::as_const(conversions))
        userDialogs().message(summary, ProgramTitle);
}

void CatalogueLife::stop()
{
    if (!std::exchange(m_started, false))
        return;
    m_session.close();
}

void CatalogueLife::restart(const std::function<void()>& whileClosed)
{
    stop();
    if (whileClosed)
        whileClosed();
    m_view.showDesignedState();
    start();
    emit m_events.catalogueReopened();
}

// What a packing that was stopped left behind: the catalogue set aside is
// offered back, and a copy beside a sound catalogue is removed.
void CatalogueLife::offerSetAsideCatalogue()
{
    const QString path = QDir(m_dataFolder).filePath(CatalogueFileName);
    if (catalogueSetAside(path) &&
        userDialogs().question(restoreSetAsideQuestion(path), ProgramTitle) == UserDialogs::Answer::Yes) {
        if (const QString failure = restoreSetAsideCatalogue(path); !failure.isEmpty())
            userDialogs().message(
                u"The catalogue could not be taken back from '%1': %2"_s.arg(SetAsideFileName, failure));
    }
    removeLeftCompactedCopy(path);
}

// A catalogue or field catalogue the earlier program left in its own
// database format is offered for conversion, once a run, before anything
// opens it. Adds what to tell the user about the files converted; returns
// false when the catalogue is still of the older kind.
bool CatalogueLife::offerOlderFileConversions(QStringList& summaries)
{
    if (std::exchange(m_olderFilesOffered, true))
        return true;
    bool catalogueUsable = true;
    const QDir folder(m_dataFolder);
    for (const auto& [fileName, kind] : {std::pair{CatalogueFileName, OlderFile::Catalogue},
                                         std::pair{FieldCatalogueFileName, OlderFile::FieldCatalogue}}) {
        const QString path =
            kind == OlderFile::Catalogue ? catalogueFileIn(m_dataFolder) : folder.filePath(fileName);
        const StartupConversion conversion = offerConversion(path, kind);
        if (conversion.outcome == StartupConversion::Outcome::Converted)
            summaries << conversion.summary;
        const bool stillOlder = conversion.outcome == StartupConversion::Outcome::Declined ||
                                conversion.outcome == StartupConversion::Outcome::Failed;
        if (kind == OlderFile::Catalogue && stillOlder)
            catalogueUsable = false;
    }
    return catalogueUsable;
}
