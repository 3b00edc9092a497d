#pragma once

#include <QString>
#include <QStringList>

// Text pasted into a field may carry control characters: a NUL ends a search
// criterion early, a TAB splits the field in tab-separated reports, and none
// of them shows on screen. They are removed when the field is left.
struct CleanedText
{
    QString text;
    QStringList removed; // the names of the characters removed, each once, in order of appearance
    bool changed() const { return !removed.isEmpty(); }
};

// The text without its control characters; line breaks are kept when
// keepLineBreaks (the notes), and a CR LF pair counts as one line break.
CleanedText withoutControlCharacters(const QString& text, bool keepLineBreaks);

// What the user is told after a field was cleaned: which field, which
// characters.
QString controlCharactersRemovedMessage(const QString& fieldName, const QStringList& removed);
