#pragma once

#include <QString>

// The program's home page: the about box links to it and HTML reports name
// it in their footer line.
inline const QString ProgramWebAddress = QStringLiteral("https://quillary.example.org/");
