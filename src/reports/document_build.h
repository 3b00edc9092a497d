#pragma once

#include "reports/column_format.h"

#include <memory>

class ReportDocument;
class ReportLines;

// A printed report being filled with its lines, a chunk at a time, so that a
// window can show the first page while the rest is still being read. The
// document has been started (its header row placed) before it gets here.
class DocumentBuild
{
public:
    DocumentBuild(std::unique_ptr<ReportDocument> document, const ColumnFormat& format,
                  std::unique_ptr<ReportLines> lines);
    ~DocumentBuild();
    DocumentBuild(const DocumentBuild&) = delete;
    DocumentBuild& operator=(const DocumentBuild&) = delete;

    // Adds up to maxLines more lines; after the last one the closing rows and
    // EndDoc. Returns true when the document is complete. A database error
    // goes to the shared error routine and ends the document with the rows
    // it holds.
    bool addLines(qsizetype maxLines);
    // Adds lines until the first page is full or the document is complete.
    void fillFirstPage();
    void complete();
    bool isComplete() const { return !m_lines; }

    ReportDocument& document() { return *m_document; }
    const ReportDocument& document() const { return *m_document; }

private:
    void finish();

    std::unique_ptr<ReportDocument> m_document;
    ColumnFormat m_format;
    std::unique_ptr<ReportLines> m_lines; // null once complete
};
