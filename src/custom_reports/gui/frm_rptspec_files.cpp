// The File menu: report files, and the save question before a report is
// cleared, replaced or closed.
#include "custom_reports/gui/frm_rptspec.h"

#include "common/file_filters.h"
#include "common/shared_state.h"
#include "common/text_routines.h"
#include "common/user_dialogs.h"
#include "custom_reports/report_file.h"
#include "custom_reports/report_generation.h"
#include "database/db_error.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace {

const QString InvalidReportFileText = u"This does not appear to be a valid report file for this program."_s;
const QString InvalidReportFileTitle = u"Invalid Report File"_s;

// Reading without a field catalogue: no key is known and none has fields.
class NoFieldSource final : public ReportFieldSource
{
public:
    bool isKnownProgramKey(const QString&) override { return false; }
    ReportFields fieldsOf(const QString& key) override { return ReportFields{key, 0, {}}; }
};

} // namespace

// Asks whether to save a changed report and saves it on Yes. False when the
// user asked for the save and it did not happen (cancelled or failed): the
// command that asked must not go on and lose the report.
bool frmRptSpec::offerToSave()
{
    if (!ReportChanged)
        return true;
    if (userDialogs().question(u"Do you wish to save the current report?"_s, u"Save Current Report"_s) ==
        UserDialogs::Answer::No)
        return true;
    return saveReport();
}

void frmRptSpec::mnuNew_Click()
{
    if (!commitFocusedDetail() || !offerToSave())
        return;
    ClearReport();
    ReportFileName.clear();
    ReportChanged = false;
}

void frmRptSpec::mnuOpen_Click()
{
    if (!commitFocusedDetail() || !offerToSave())
        return;
    const QString path = userDialogs().openFileName(u"Open"_s, QString(), FileFilters::ReportFiles);
    if (path.isEmpty())
        return;
    openReportFile(path);
}

void frmRptSpec::mnuSave_Click()
{
    if (commitFocusedDetail())
        saveReport();
}

void frmRptSpec::mnuSaveAs_Click()
{
    if (commitFocusedDetail())
        saveReportAs();
}

bool frmRptSpec::saveReport()
{
    return ReportFileName.isEmpty() ? saveReportAs() : writeReport(ReportFileName);
}

bool frmRptSpec::saveReportAs()
{
    const QString path =
        withReportExtension(userDialogs().saveFileName(u"Save As"_s, QString(), FileFilters::ReportFiles));
    if (path.isEmpty() || !ConfirmReportReplace(path))
        return false;
    return writeReport(path);
}

bool frmRptSpec::ConfirmReportReplace(const QString& path)
{
    return !ConfirmFileReplace(path, u"report file"_s);
}

// A report that could not be written stays changed and keeps its caption, so
// that it is not taken for saved.
bool frmRptSpec::writeReport(const QString& path)
{
    const ReportDefinition report = currentDefinition();
    if (!fileStep([&] { WriteReportFile(report, path); }))
        return false;
    ReportFileName = path;
    setWindowTitle(u"Custom Report - "_s + ReplaceText(path, ReportFileExtension, QString()));
    ReportChanged = false;
    return true;
}

bool frmRptSpec::openReportFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fileStep([&] {
            throw DbError(DbErrorNumber::CannotOpenFile,
                          u"Could not open the report file '"_s + path + u"': "_s + file.errorString());
        });
    }
    ReportFileReading reading;
    NoFieldSource noCatalogue;
    const bool read = fileStep([&] {
        if (dbFieldCat) {
            CatalogueFieldSource catalogue(*dbFieldCat);
            reading = readReportFile(file, ProgramKey, widthUnit(), catalogue);
        } else {
            reading = readReportFile(file, ProgramKey, widthUnit(), noCatalogue);
        }
    });
    if (!read)
        return false;
    applyReading(reading);
    if (!reading.valid) {
        userDialogs().message(InvalidReportFileText, InvalidReportFileTitle);
        // What was read is shown, but it is no longer that file's report: a
        // later Save asks for a name instead of overwriting the file.
        if (reading.definition) {
            ReportFileName.clear();
            ReportChanged = true;
        }
        return false;
    }
    ReportFileName = path;
    if (List2->count() > 0)
        List2->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    ShowFieldDetails();
    ReportChanged = false;
    return true;
}

void frmRptSpec::applyReading(const ReportFileReading& reading)
{
    if (!reading.definition)
        return;
    m_fields = reading.fields;
    showDefinition(*reading.definition);
}

void frmRptSpec::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void frmRptSpec::closeEvent(QCloseEvent* event)
{
    if (!commitFocusedDetail() || !offerToSave()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
