#pragma once

#include <QString>
#include <QStringList>

// A stored text as one field of a TAB-separated line. Another tool may have
// stored a TAB or a line break inside a title or a note; written as it is, it
// would start a new column or line of the file, so each is written as one
// space instead (a CR LF pair as one). Texts without either come back
// unchanged and uncopied.
QString tabSeparatedField(const QString& text);
// The same for every field of a line, in place.
void makeTabSeparatedFields(QStringList& fields);
