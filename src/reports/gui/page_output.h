#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>

class PagePainter;
class QPrinter;

// The page layout of the pages: their paper and orientation, no margins (the
// pages draw their own).
QPageLayout pageLayoutOf(const PagePainter& pages);

// Writes every page to a PDF file, saved through the safe writer: a failure
// leaves a file at path as it was. Throws DbError when the file cannot be
// written (3026 when the disk is full).
void writePdf(const PagePainter& pages, const QString& path);

// Prints every page on printer, each scaled to fit its paper. progress is
// called before each page with its number (from 1) and the page count, and
// returns false to cancel. Returns false when cancelled or when the printer
// failed.
bool printPages(const PagePainter& pages, QPrinter& printer, const std::function<bool(int, int)>& progress);
