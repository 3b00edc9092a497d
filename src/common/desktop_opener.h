#pragma once

#include <QUrl>

// Opening a document or an address with the desktop's own program for it (the
// help page, the web address in the about box). The GUI installs
// WidgetDesktopOpener; tests install RecordingDesktopOpener, which opens
// nothing and remembers what was asked for.
class DesktopOpener
{
public:
    virtual ~DesktopOpener() = default;
    // Returns false when the desktop could not open url.
    virtual bool open(const QUrl& url) = 0;
};

// The opener in use: the installed one, else one that opens nothing and
// answers false.
DesktopOpener& desktopOpener();
// Installs the opener used from now on (not owned); nullptr restores the
// default.
void setDesktopOpener(DesktopOpener* opener);
