#pragma once

#include "bench_registry.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

class frmMain;

// The main window started on a copy of a generated catalogue. The window opens
// its catalogue exclusively while the benchmark keeps its own connection to
// the generated file, so it works on a copy, made during the untimed warm-up.
class MainWindowSession
{
public:
    // The window most recently started on the catalogue's copy (started when
    // there is none yet, or the catalogue changed).
    frmMain& window(const BenchCatalogue& catalogue);
    // Starts a window afresh, as the program does: construct, load, show.
    // afterChange: as if another program had changed the file since the last
    // close (the clean-close record is gone), which the open checks in full.
    void startWindow(const BenchCatalogue& catalogue, bool afterChange = false);

private:
    void copyCatalogue(const QString& source);
    // Closing a window releases its catalogue at once (so the next start-up
    // can open it); the widgets themselves are freed with the process,
    // outside the measurements.
    void retireWindow();

    QString m_source;
    std::unique_ptr<QTemporaryDir> m_copy;
    std::unique_ptr<frmMain> m_window;
    std::vector<std::unique_ptr<frmMain>> m_retired;
};
