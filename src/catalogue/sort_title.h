#pragma once

#include <QString>

// The key books are listed by: the title in upper case without a leading
// article, so that "The Hobbit" files under H. "THE ", "A ", "AN " and "OF "
// are each dropped once, in that order, from the front; nothing is trimmed.
QString MakeSortTitle(const QString& title);
