#pragma once

#include "common/desktop_opener.h"

// Opens documents and addresses with the desktop (QDesktopServices). The only
// code that may call it.
class WidgetDesktopOpener final : public DesktopOpener
{
public:
    bool open(const QUrl& url) override;
};
