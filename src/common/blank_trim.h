#pragma once

#include <QString>

// Names typed into the window are trimmed of blanks only, as their words are
// separated by blanks only; other white space is part of the text.
inline QString trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == u' ')
        ++start;
    while (end > start && text.at(end - 1) == u' ')
        --end;
    return text.mid(start, end - start);
}
