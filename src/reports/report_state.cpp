#include "reports/report_state.h"

#include "reports/report_document.h"

ReportState& reportState()
{
    static ReportState state;
    return state;
}

void repeatTableHeader(ReportDocument& document)
{
    const ReportState& state = reportState();
    if (!state.RepeatTableHeader)
        return;
    const bool emphasised = document.rowEmphasis();
    document.setRowEmphasis(true);
    document.AddTable(state.TableFormatText, QString(), state.TableHeaderText);
    document.setRowEmphasis(emphasised);
}
