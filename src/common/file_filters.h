#pragma once

#include <QString>

// The file types the program's file dialogs offer, each written as pairs of a
// description and its patterns, all separated by "|"; several patterns of one
// pair are separated by ";":
//     "Text Files (*.txt)|*.txt|All Files (*.*)|*.*"
namespace FileFilters {
inline const QString TextFiles = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
inline const QString HtmlFiles = QStringLiteral("Html Files (*.htm)|*.htm|All Files (*.*)|*.*");
inline const QString ReportFiles = QStringLiteral("Report Files (*.rpt)|*.rpt");
inline const QString PdfFiles = QStringLiteral("PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*");
} // namespace FileFilters

// The same choices as a file dialog takes them: one entry per pair, its
// description followed by its patterns in brackets, the entries joined by
// ";;": "Text Files (*.txt);;All Files (*)". "*.*" stands for every file,
// also one without an extension, and becomes "*". A text without "|" is
// already such a list and is returned as it is; a description left without
// patterns at the end keeps its own.
QString dialogFilterList(const QString& filter);
