#pragma once

#include <QString>

// What the reports share for the whole run of the program: the header row
// that printed tables repeat (custom reports set it and RepeatTableHeader
// before they build their document; the standard reports store their header
// row and clear the flag), and the answers of the report choice windows.
struct ReportState
{
    // Standard reports: the row string of the running report's header row
    // ("6000|4320;Title|Author;"); custom reports: their table's header row.
    QString TableHeaderText;
    // The column format of a custom report's table.
    QString TableFormatText;
    // When true, every page of a printed document, the first included, begins
    // with the header row.
    bool RepeatTableHeader = false;

    qint16 ReportIndex = 0;   // the book list chosen, 1 to 7
    qint16 RptSelKind = 0;    // what frmRptSel offers (SelectionKind)
    qint32 RptSelID = -1;     // the key chosen in frmRptSel, -1 for all
    bool ReadSelected = true; // frmRead: read books (true) or unread books
};

ReportState& reportState();

// The list frmRptSel offers, by RptSelKind.
enum class SelectionKind : qint16 { Authors = 1, Categories = 2, Locations = 3 };

class ReportDocument;

// The page-start rule of the preview window: when RepeatTableHeader is set,
// the header row (TableHeaderText on the columns of TableFormatText) goes to
// the top of the page, emphasised.
void repeatTableHeader(ReportDocument& document);
