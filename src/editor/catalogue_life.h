#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class BookSession;
class CatalogueEvents;

// The catalogue's life under the main window: the start-up (a catalogue set
// aside by a stopped packing offered back, files of the earlier program
// offered for conversion, the catalogue opened), the shutdown, and the
// close-act-reopen that backup and compaction need.
class CatalogueLife
{
public:
    // What the start-up asks of the window that shows the catalogue.
    struct View
    {
        std::function<void()> showCatalogue;        // lists filled, the first book shown
        std::function<void()> showWithoutCatalogue; // nothing to show or edit
        std::function<void()> showDesignedState;    // the controls as a new window has them
    };

    // dataFolder: where the catalogue is looked for.
    CatalogueLife(BookSession& session, QString dataFolder, View view, CatalogueEvents& events);

    // Opens the catalogue and has the view show it, or show that there is
    // none; conversions made are told over the window afterwards.
    void start();
    // Closes the catalogue. Does nothing unless started.
    void stop();
    // The shutdown, then whileClosed with the catalogue file free, then the
    // start-up anew on the same window, as if it had been reopened.
    void restart(const std::function<void()>& whileClosed);
    bool isStarted() const { return m_started; }

private:
    void offerSetAsideCatalogue();
    bool offerOlderFileConversions(QStringList& summaries);

    BookSession& m_session;
    QString m_dataFolder;
    View m_view;
    CatalogueEvents& m_events;
    bool m_started = false;
    bool m_olderFilesOffered = false; // files of the older kind are offered for conversion once a run
};
