#pragma once

#include <QString>

// Answer channels shared between windows.
struct SharedState
{
    bool DialogCancelled = false;
    QString CatalogueKey = QStringLiteral("books");
    bool ReplaceRefused = false;
};

SharedState& sharedState();
