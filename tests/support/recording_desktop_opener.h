#pragma once

#include "common/desktop_opener.h"

#include <QList>
#include <QUrl>

// A DesktopOpener test double, installed for its lifetime: opens nothing,
// records every address asked for and answers `succeeds`.
class RecordingDesktopOpener : public DesktopOpener
{
public:
    RecordingDesktopOpener() : previous_(&desktopOpener()) { setDesktopOpener(this); }
    ~RecordingDesktopOpener() override { setDesktopOpener(previous_); }
    RecordingDesktopOpener(const RecordingDesktopOpener&) = delete;
    RecordingDesktopOpener& operator=(const RecordingDesktopOpener&) = delete;

    bool open(const QUrl& url) override
    {
        opened.append(url);
        return succeeds;
    }

    QList<QUrl> opened;
    bool succeeds = true;

private:
    DesktopOpener* previous_;
};
