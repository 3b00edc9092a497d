#pragma once

#include <QString>

// Authors are listed as "Last, First"; a name typed first names first
// ("John Ronald Smith") is turned round into that form ("Smith, John Ronald")
// when the author field is left. A text that holds a comma, or a single word,
// is returned unchanged.
QString RewriteAuthorName(const QString& name);
