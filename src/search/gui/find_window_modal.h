#pragma once

#include <QDialog>

// Shows the search window modally.
inline int execFindWindow(QDialog& window)
{
    return window.exec();
}
