#include "reports/gui/frm_output.h"

#include "catalogue/db_error_handler.h"
#include "common/file_filters.h"
#include "common/user_dialogs.h"
#include "reports/document_build.h"
#include "reports/gui/page_output.h"
#include "reports/gui/printer_choice.h"
#include "reports/page_header.h"
#include "reports/report_document.h"

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScrollBar>
#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// While a list is still being read, the preview catches up this often.
constexpr qint64 RefreshWhileFillingMs = 400;
// Lines added in one turn of the event loop.
constexpr qsizetype LinesPerTurn = 400;
// Pages drawn around those in view.
constexpr int PagesAround = 2;
// The most pages drawn at one time (the thumbnails of a long report).
constexpr int MostPagesDrawn = 60;

} // namespace

frmOutput::frmOutput(QWidget* parent)
    : QWidget(parent, Qt::Window), m_previewPrinter(QPrinter::ScreenResolution)
{
    setupUi(this);
    m_previewPrinter.setFullPage(true);
    m_preview = new QPrintPreviewWidget(&m_previewPrinter, this);
    m_preview->setObjectName(u"VSPrinter"_s);
    layPreview->addWidget(m_preview);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &frmOutput::paintPreview);
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &frmOutput::followView);
    if (auto* view = m_preview->findChild<QGraphicsView*>()) {
        connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &frmOutput::followView);
        connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &frmOutput::followView);
    }

    connect(cmdPrint, &QPushButton::clicked, this, &frmOutput::cmdPrint_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmOutput::cmdOk_Click);
    connect(cmdPdf, &QPushButton::clicked, this, &frmOutput::cmdPdf_Click);
    connect(cmdZoomPage, &QToolButton::clicked, this, [this] { setZoom(Zoom::WholePage); });
    connect(cmdZoomWidth, &QToolButton::clicked, this, [this] { setZoom(Zoom::PageWidth); });
    connect(cmdZoomTwo, &QToolButton::clicked, this, [this] { setZoom(Zoom::TwoPages); });
    connect(cmdZoomThumbnail, &QToolButton::clicked, this, [this] { setZoom(Zoom::Thumbnails); });

    m_filling.setInterval(0);
    connect(&m_filling, &QTimer::timeout, this, &frmOutput::addSomeLines);
}

frmOutput::~frmOutput() = default;

void frmOutput::showDocument(std::unique_ptr<DocumentBuild> build)
{
    m_build = std::move(build);
    m_pages = std::make_unique<DocumentPagePainter>(m_build->document());
    m_previewPrinter.setPageLayout(pageLayoutOf(*m_pages));
    m_firstDrawn = 0;
    m_lastDrawn = PagesAround + 1;
    refreshPreview();
    if (m_build->isComplete())
        m_filling.stop();
    else
        m_filling.start();
}

void frmOutput::finishBuilding()
{
    if (!m_build || m_build->isComplete())
        return;
    m_filling.stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_build->complete();
    QApplication::restoreOverrideCursor();
    refreshPreview();
}

bool frmOutput::isBuilding() const
{
    return m_build && !m_build->isComplete();
}

const ReportDocument* frmOutput::document() const
{
    return m_build ? &m_build->document() : nullptr;
}

void frmOutput::addSomeLines()
{
    if (!m_build || m_build->addLines(LinesPerTurn)) {
        m_filling.stop();
        refreshPreview();
        return;
    }
    if (m_sinceRefresh.elapsed() >= RefreshWhileFillingMs)
        refreshPreview();
}

void frmOutput::refreshPreview()
{
    m_refreshScheduled = false;
    m_sinceRefresh.start();
    m_preview->updatePreview();
    mapPageItems();
    const int count = m_pages ? m_pages->pageCount() : 0;
    lblPages->setText(isBuilding() ? u"%1 pages so far"_s.arg(count)
                                   : (count == 1 ? u"1 page"_s : u"%1 pages"_s.arg(count)));
    followView();
}

void frmOutput::schedulePreviewRefresh()
{
    if (m_refreshScheduled)
        return;
    m_refreshScheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_refreshScheduled)
            refreshPreview();
    });
}

void frmOutput::paintPreview(QPrinter* printer)
{
    if (!m_pages || m_pages->pageCount() == 0)
        return;
    QPainter painter(printer);
    const QRectF paper(QPointF(0, 0), printer->pageLayout().fullRectPixels(printer->resolution()).size());
    const int count = m_pages->pageCount();
    for (int page = 0; page < count; ++page) {
        if (page > 0)
            printer->newPage();
        if (page >= m_firstDrawn && page <= m_lastDrawn)
            paintPageInto(painter, *m_pages, page, paper);
    }
}

// The preview's page items, each with its page: in page order they lie
// row by row, left to right, whatever the view.
void frmOutput::mapPageItems()
{
    m_pageOfItem.clear();
    auto* view = m_preview->findChild<QGraphicsView*>();
    if (!view || !view->scene())
        return;
    QList<QGraphicsItem*> items = view->scene()->items();
    std::sort(items.begin(), items.end(), [](const QGraphicsItem* a, const QGraphicsItem* b) {
        return a->pos().y() != b->pos().y() ? a->pos().y() < b->pos().y() : a->pos().x() < b->pos().x();
    });
    for (int page = 0; page < items.size(); ++page)
        m_pageOfItem.insert(items[page], page);
}

// Draws the pages that have come into view.
void frmOutput::followView()
{
    auto* view = m_preview->findChild<QGraphicsView*>();
    if (!view || m_pageOfItem.isEmpty())
        return;
    int first = -1;
    int last = -1;
    for (const QGraphicsItem* item : view->items(view->viewport()->rect())) {
        const int page = m_pageOfItem.value(item, -1);
        if (page < 0)
            continue;
        first = first < 0 ? page : std::min(first, page);
        last = std::max(last, page);
    }
    if (first < 0 || (first >= m_firstDrawn && last <= m_lastDrawn))
        return;
    const int wantedFirst = std::max(0, first - PagesAround);
    const int wantedLast = std::min(last + PagesAround, wantedFirst + MostPagesDrawn - 1);
    if (wantedFirst == m_firstDrawn && wantedLast == m_lastDrawn)
        return;
    m_firstDrawn = wantedFirst;
    m_lastDrawn = wantedLast;
    schedulePreviewRefresh();
}

void frmOutput::setZoom(Zoom zoom)
{
    m_zoom = zoom;
    const QList<QToolButton*> buttons{cmdZoomPage, cmdZoomWidth, cmdZoomTwo, cmdZoomThumbnail};
    buttons[int(zoom)]->setChecked(true);
    switch (zoom) {
    case Zoom::WholePage:
        m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
        m_preview->fitInView();
        break;
    case Zoom::PageWidth:
        m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
        m_preview->fitToWidth();
        break;
    case Zoom::TwoPages:
        m_preview->setViewMode(QPrintPreviewWidget::FacingPagesView);
        m_preview->fitInView();
        break;
    case Zoom::Thumbnails:
        m_preview->setViewMode(QPrintPreviewWidget::AllPagesView);
        // All pages of a long report at once would be specks.
        if (m_pages && m_pages->pageCount() > 16) {
            m_preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
            m_preview->setZoomFactor(0.15);
        } else {
            m_preview->fitInView();
        }
        break;
    }
    followView();
}

void frmOutput::PrintDoc()
{
    if (!m_pages)
        return;
    finishBuilding();
    m_printer.setPageLayout(pageLayoutOf(*m_pages));
    if (!printerChoice().choose(m_printer, this))
        return;
    const QString place = m_printer.outputFileName().isEmpty()
                              ? QPrinterInfo::printerInfo(m_printer.printerName()).location()
                              : m_printer.outputFileName();
    QProgressDialog progress(this);
    progress.setWindowTitle(u"Printing..."_s);
    progress.setCancelButtonText(u"Cancel"_s);
    progress.setWindowModality(Qt::WindowModal);
    const QString device = u"on the %1 on %2"_s.arg(m_printer.printerName(), place);
    progress.setRange(0, m_pages->pageCount());
    printPages(*m_pages, m_printer, [&](int page, int count) {
        progress.setLabelText(u"Now printing Page %1 of %2\n%3"_s.arg(page).arg(count).arg(device));
        progress.setValue(page - 1);
        return !progress.wasCanceled();
    });
    progress.setValue(m_pages->pageCount());
}

void frmOutput::cmdPrint_Click()
{
    PrintDoc();
}

void frmOutput::cmdOk_Click()
{
    close();
}

void frmOutput::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        cmdOk_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmOutput::cmdPdf_Click()
{
    if (!m_pages)
        return;
    const QString path =
        userDialogs().saveFileName(u"Save as PDF"_s, defaultPdfName(), FileFilters::PdfFiles);
    if (path.isEmpty())
        return;
    finishBuilding();
    std::optional<DbError> failure;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        writePdf(*m_pages, path);
    } catch (const DbError& error) {
        failure = error;
    }
    QApplication::restoreOverrideCursor();
    if (failure)
        HandleDbError(*failure);
}

QString frmOutput::defaultPdfName() const
{
    const QString title =
        m_build ? PageHeaderText::parse(m_build->document().pageHeader()).centre : QString();
    return (title.isEmpty() ? u"Report"_s : title) + u".pdf"_s;
}
