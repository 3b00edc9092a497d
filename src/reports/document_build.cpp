#include "reports/document_build.h"

#include "catalogue/db_error_handler.h"
#include "reports/report_document.h"
#include "reports/report_lines.h"

DocumentBuild::DocumentBuild(std::unique_ptr<ReportDocument> document, const ColumnFormat& format,
                             std::unique_ptr<ReportLines> lines)
    : m_document(std::move(document)), m_format(format), m_lines(std::move(lines))
{
}

DocumentBuild::~DocumentBuild() = default;

bool DocumentBuild::addLines(qsizetype maxLines)
{
    if (!m_lines)
        return true;
    try {
        QStringList cells;
        for (qsizetype added = 0; added < maxLines; ++added) {
            if (!m_lines->next(cells)) {
                m_lines->addClosingRows(*m_document);
                finish();
                return true;
            }
            m_document->addRow(m_format, cells);
        }
    } catch (const DbError& error) {
        finish();
        HandleDbError(error);
        return true;
    }
    return false;
}

void DocumentBuild::fillFirstPage()
{
    constexpr qsizetype Chunk = 16;
    while (!isComplete() && m_document->pageCount() < 2)
        addLines(Chunk);
}

void DocumentBuild::complete()
{
    while (!addLines(4096)) {
    }
}

void DocumentBuild::finish()
{
    m_lines.reset();
    m_document->EndDoc();
}
