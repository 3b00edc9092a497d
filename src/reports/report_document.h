#pragma once

#include "reports/column_format.h"
#include "reports/page_geometry.h"
#include "reports/text_metrics.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// A printed report: tables of rows laid out on pages, each page with the
// document's header (and footer) at its top (and bottom). It takes the place
// of a print-preview component, and its operations keep that component's
// names and order of use:
//
//     document.setPreviewMode(true);
//     document.setPageHeader(standardPageHeader(title, Clock::today()));
//     document.StartDoc();
//     document.setRowEmphasis(true);
//     document.AddTableRow(TableHeaderText); // "6000|4320;Title|Author;"
//     document.setRowEmphasis(false);
//     document.addRow(format, {title, author}); // for each line
//     document.EndDoc();
//
// Rows are placed as they are added: a row that does not fit below the rows
// already on the page starts a new page, and a new page raises PageStarted
// before anything is placed on it. Layout is plain arithmetic over the
// TextMetrics given, so it is the same wherever the pages are drawn.
class ReportDocument
{
public:
    // A table row as placed on its page. `top` is measured from the top of the
    // page's table area. Rows are kept in a compact form of their own and
    // made into this one page by page, as pages are read.
    struct Row
    {
        QStringList cells;
        quint32 format = 0; // index for format()
        float top = 0;
        float height = 0;
        bool emphasised = false;
    };

    // Room around the text of a cell, in twips.
    static constexpr double CellPaddingX = 72;
    static constexpr double CellPaddingY = 24;
    // Between the page header and the table, and between the table and the footer.
    static constexpr double HeaderGap = 240;
    static constexpr double FooterGap = 120;

    ReportDocument(const TextMetrics& metrics, const PageGeometry& geometry = PageGeometry());

    // Settings. They are kept from one document to the next; the orientation
    // takes effect at the next StartDoc.
    void setPreviewMode(bool held) { m_previewMode = held; }
    bool previewMode() const { return m_previewMode; }
    void setPageHeader(const QString& text) { m_pageHeader = text; }
    const QString& pageHeader() const { return m_pageHeader; }
    void setPageFooter(const QString& text) { m_pageFooter = text; }
    const QString& pageFooter() const { return m_pageFooter; }
    void setPageOrientation(PageOrientation orientation) { m_nextOrientation = orientation; }
    void setRowEmphasis(bool emphasised) { m_rowEmphasis = emphasised; }
    bool rowEmphasis() const { return m_rowEmphasis; }

    // PageStarted: called with the page number (from 1) when a page begins,
    // before anything is placed on it. Rows the handler adds go to the top of
    // that page, even when they do not fit.
    void setPageStartedHandler(std::function<void(int pageNumber)> handler)
    {
        m_pageStarted = std::move(handler);
    }

    // Begins a new, empty document on its first page.
    void StartDoc();
    // Appends the rows of a row string ("2700|3000|4500;a|b|c;"), split at
    // every "|" and ";".
    void AddTableRow(const QString& rowString);
    // Appends one row with these cells, taken as they are.
    void addRow(const ColumnFormat& format, const QStringList& cells);
    // Appends a table: a header row (drawn emphasised; none when empty) and
    // the rows of body ("a|b;c|d;"), on the columns of columnFormat.
    void AddTable(const QString& columnFormat, const QString& headerRow, const QString& body);
    // Closes the document; its pages are complete.
    void EndDoc() { m_finished = true; }

    bool isStarted() const { return m_started; }
    bool isFinished() const { return m_finished; }

    // Reading the pages.
    int pageCount() const { return int(m_pageStarts.size()); }
    std::vector<Row> rowsOfPage(int pageIndex) const;
    qsizetype rowCount() const { return qsizetype(m_rows.size()); }
    const ColumnFormat& format(quint32 index) const { return m_formats[index]; }
    PageOrientation orientation() const { return m_orientation; }
    QSizeF paperSize() const { return m_geometry.orientedPaper(m_orientation); }
    // Where the header, the table and the footer of every page go.
    QRectF headerArea() const;
    QRectF tableArea() const;
    QRectF footerArea() const;
    const TextMetrics& metrics() const { return m_metrics; }
    static TextStyle styleOf(const Row& row)
    {
        return row.emphasised ? TextStyle::Emphasised : TextStyle::Body;
    }

private:
    quint32 formatIndex(const ColumnFormat& format);
    double rowHeight(const ColumnFormat& format, const QStringList& cells, TextStyle style) const;
    void place(Row row);
    void startPage();

    // A placed row as kept: its cells' UTF-8 in the text store, each cell after
    // its length, so that a list of a million books takes little more than
    // its text, and no row is moved again once kept.
    struct KeptRow
    {
        quint32 chunk = 0;
        quint32 offset = 0;
        quint32 format = 0;
        float top = 0;
        float height = 0;
        quint16 cellCount = 0;
        bool emphasised = false;
    };
    KeptRow keep(const Row& row);
    Row unpack(const KeptRow& kept) const;

    const TextMetrics& m_metrics;
    PageGeometry m_geometry;

    bool m_previewMode = false;
    QString m_pageHeader;
    QString m_pageFooter;
    PageOrientation m_nextOrientation = PageOrientation::Portrait;
    bool m_rowEmphasis = false;
    std::function<void(int)> m_pageStarted;

    PageOrientation m_orientation = PageOrientation::Portrait;
    double m_tableHeight = 0;
    bool m_started = false;
    bool m_finished = false;
    bool m_inPageStart = false;
    std::vector<ColumnFormat> m_formats;
    std::deque<KeptRow> m_rows;
    std::vector<std::string> m_text;     // chunks of the rows' text, each filled before the next
    std::vector<qsizetype> m_pageStarts; // index of each page's first row
    double m_pageFilled = 0;             // height of the rows on the last page
};
