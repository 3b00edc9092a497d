#pragma once

#include "reports/gui/page_painter.h"
#include "ui_frm_output.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPrinter>
#include <QTimer>
#include <QWidget>
#include <memory>

class DocumentBuild;
class QGraphicsItem;
class QPrintPreviewWidget;
class ReportDocument;

// The report preview ("Report Output"), not modal: the pages of a printed
// report with four ways to look at them, Print, Save as PDF and Ok.
//
// A document arrives with its first page laid out and the rest of its lines
// still to come; the window shows at once and adds the rest while the event
// loop runs. The preview draws only the pages in view (and a few around
// them), so a list of thousands of pages costs no more to look at than a
// short one.
class frmOutput : public QWidget, public Ui::frmOutput
{
    Q_OBJECT

public:
    enum class Zoom { WholePage, PageWidth, TwoPages, Thumbnails };

    explicit frmOutput(QWidget* parent = nullptr);
    ~frmOutput() override;

    // Shows build's document in place of the one shown before and completes it.
    void showDocument(std::unique_ptr<DocumentBuild> build);
    // Adds whatever lines are still missing, at once.
    void finishBuilding();
    bool isBuilding() const;

    const ReportDocument* document() const;
    QPrintPreviewWidget* preview() const { return m_preview; }
    const PagePainter* pages() const { return m_pages.get(); }
    void setZoom(Zoom zoom);

    // Prints every page through the print dialog, with progress and Cancel;
    // the window stays open.
    void PrintDoc();

    void cmdPrint_Click();
    void cmdOk_Click();
    void cmdPdf_Click();

protected:
    // Escape closes the window as Ok does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void addSomeLines();
    void refreshPreview();
    void schedulePreviewRefresh();
    void paintPreview(QPrinter* printer);
    void followView();
    void mapPageItems();
    QString defaultPdfName() const;

    std::unique_ptr<DocumentBuild> m_build;
    std::unique_ptr<DocumentPagePainter> m_pages;
    QPrinter m_previewPrinter;
    QPrinter m_printer;
    QPrintPreviewWidget* m_preview = nullptr;
    QTimer m_filling;
    QElapsedTimer m_sinceRefresh;
    bool m_refreshScheduled = false;
    // The pages the preview draws, [first, last]; the others stay blank
    // until they come into view.
    int m_firstDrawn = 0;
    int m_lastDrawn = 3;
    QHash<const QGraphicsItem*, int> m_pageOfItem;
    Zoom m_zoom = Zoom::WholePage;
};
