#pragma once

#include <QObject>
#include <QPointer>

class BookSession;
class QAction;
class QWidget;
class ReportWindows;
class frmRptSpec;

// The Reports menu's custom report entry: the report designer beside the
// main window, opened once and raised after, its reports made on the open
// catalogue into the preview window the standard reports share.
class CustomReportsMenu : public QObject
{
    Q_OBJECT

public:
    CustomReportsMenu(QWidget* window, QAction* open, BookSession& session, ReportWindows& windows);

    // Opens the designer, or brings the open one to the front as it is.
    void openDesigner();
    // Closes the designer, which asks about its unsaved report first; false
    // while it stays open (a save asked for did not happen).
    bool closeDesigner();
    frmRptSpec* designer() const;

private:
    void generate();

    QWidget* m_window;
    BookSession& m_session;
    ReportWindows& m_windows;
    QPointer<frmRptSpec> m_designer;
};
