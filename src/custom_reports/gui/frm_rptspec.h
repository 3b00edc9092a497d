#pragma once

#include "custom_reports/field_catalogue.h"
#include "custom_reports/report_definition.h"
#include "ui_frm_rptspec.h"

#include <QHash>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class Database;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
struct ReportFileReading;

// The custom report designer: the fields of a report, their order, widths and
// selection criteria, two sort keys and the page options, kept in report
// files. Modeless beside the main window; deletes itself when closed.
//
// The options live in the controls; the per-field settings of every field of
// the program key, chosen or not, in fieldSettings(). currentDefinition()
// puts both together.
class frmRptSpec : public QMainWindow, public Ui::frmRptSpec
{
    Q_OBJECT

public:
    explicit frmRptSpec(QWidget* parent = nullptr);
    ~frmRptSpec() override;

    // Opens the field catalogue, fills the page-number list and clears the
    // report for the program key sharedState().CatalogueKey.
    void Form_Load();

    // A new report over the program key's fields: nothing chosen, every
    // setting and option at its default except the width unit.
    void ClearReport();
    // Shows the selected chosen field's width, hide flag and the criteria of
    // its kind; hides the details when no chosen field is selected.
    void ShowFieldDetails();

    ReportDefinition currentDefinition() const;
    const ReportFields& reportFields() const { return m_fields; }
    FieldSettings& fieldSettings() { return m_report.settings; }

    // Runs the check and store of the details control that has the focus, as
    // leaving it would; false when its value was refused.
    bool commitFocusedDetail();

    // Reads a report file into the designer, as Open does once a file is
    // chosen; false when it could not be read or is not a valid report file.
    bool openReportFile(const QString& path);

    QString ProgramKey;
    QString ReportFileName;
    bool ReportChanged = false;
    qint16 CurrentSpecID = 0;
    qint16 CurrentDataType = 1;

    // Control arrays, indexed as the options' values (element 0 of
    // optReportTo and fraSel unused).
    std::array<QRadioButton*, 4> optReportTo{};
    std::array<QRadioButton*, 2> optOrient{};
    std::array<QRadioButton*, 2> optWidth{};
    std::array<QGroupBox*, 6> fraSel{};

signals:
    // "Generate Report" was pressed with every typed value stored.
    void generateRequested();

public slots:
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void cmdGenerate_Click();
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape closes the window as its close box does.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What leaving one details text box or date field does: store into the
    // current field's settings, or refuse (false).
    using DetailStore = std::function<bool(const QString& text, FieldSetting& setting)>;

    // Runs one step on the field catalogue or a report file; a failure is
    // reported as it stands (never as a damaged catalogue to repair: the
    // file is not the catalogue) and false returned.
    static bool fileStep(const std::function<void()>& step);

    void setUpControlArrays();
    void keepPlaceForDetails();
    void connectCommands();
    void connectChangeTracking();
    void watchDetails();
    void watchDetail(QWidget* control, DetailStore store);

    void loadFields();
    void showDefinition(const ReportDefinition& report);
    void fillFieldLists();
    void moveToChosen(QListWidgetItem* available);
    void insertAvailable(const QString& text, const QVariant& specid);
    void moveChosen(int step, const QString& noSelectionMessage);
    void showDestinationFrames();
    void showCriteria(const FieldSetting& setting);
    void setYesNo(bool selTrue, bool selFalse);
    int widthUnit() const;

    bool leaveDetail(QWidget* control);

    bool offerToSave();
    bool saveReport();
    bool saveReportAs();
    bool ConfirmReportReplace(const QString& path);
    bool writeReport(const QString& path);
    void applyReading(const ReportFileReading& reading);

    std::unique_ptr<Database> dbFieldCat;
    ReportFields m_fields;
    ReportDefinition m_report;                   // the program key, MaxSpecID and the per-field settings
    QHash<QWidget*, DetailStore> m_detailStores; // the text boxes and date fields of the details
};
