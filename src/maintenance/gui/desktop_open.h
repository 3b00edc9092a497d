#pragma once

#include <QUrl>
#include <functional>

// Opens a document or web address with the desktop's own application
// (QDesktopServices), without waiting and without a message of its own: a
// missing page or browser is the desktop's to report.
void openWithDesktop(const QUrl& url);

// Tests record what would be opened instead; an empty function restores the
// desktop.
void setDesktopOpener(std::function<void(const QUrl&)> opener);
