#pragma once

#include "reports/text_metrics.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;
class ReportDocument;

// Draws numbered pages. The preview, the printer and PDF files all draw
// through it, so all three show the same pages.
class PagePainter
{
public:
    virtual ~PagePainter() = default;
    virtual int pageCount() const = 0;
    // The paper, in twips.
    virtual QSizeF paperSize() const = 0;
    // Draws page pageIndex (from 0) with the painter's coordinates in twips,
    // the paper's top left corner at the origin.
    virtual void paintPage(QPainter& painter, int pageIndex) const = 0;
};

// Draws page pageIndex scaled to fit target (device coordinates), centred.
void paintPageInto(QPainter& painter, const PagePainter& pages, int pageIndex, const QRectF& target);

// The pages of a report document: the page header (and footer) parts at the
// left, centre and right, the table rows below, each cell's text wrapped in
// its column and aligned as its column says.
class DocumentPagePainter final : public PagePainter
{
public:
    explicit DocumentPagePainter(const ReportDocument& document) : m_document(document) {}

    int pageCount() const override;
    QSizeF paperSize() const override;
    void paintPage(QPainter& painter, int pageIndex) const override;

private:
    void paintWholeCell(QPainter& painter, const QString& cell, const QRectF& line, bool rightAligned,
                        TextStyle style) const;
    void paintHeader(QPainter& painter, const QString& text, const QRectF& area, int pageNumber) const;

    const ReportDocument& m_document;
};
