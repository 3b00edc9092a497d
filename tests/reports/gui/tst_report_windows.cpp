#include "../report_fixture.h"
#include "catalogue/sample_catalogue.h"
#include "common/gui/windows_on_screen.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/frm_read.h"
#include "reports/gui/frm_rpt_sel.h"
#include "reports/gui/page_output.h"
#include "reports/gui/page_painter.h"
#include "reports/gui/printer_choice.h"
#include "reports/gui/program_report_windows.h"
#include "reports/gui/report_fonts.h"
#include "reports/gui/report_format_menu.h"
#include "reports/report_run.h"
#include "support/failing_file_system.h"
#include "support/fixed_clock.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_modals.h"

#include <QAction>
#include <QFontInfo>
#include <QGraphicsView>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace report_test;

namespace {

// The text of one page of a PDF file.
QString pdfPageText(const QString& path, int page)
{
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-layout"_s, u"-f"_s, QString::number(page), u"-l"_s,
                                     QString::number(page), path, u"-"_s});
    if (!pdftotext.waitForFinished(60000))
        return u"<pdftotext did not finish>"_s;
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

// Prints to PDF files instead of asking, or cancels.
class ScriptedPrinterChoice final : public PrinterChoice
{
public:
    QStringList files; // the next printouts' files; none left: cancel
    int asked = 0;

    bool choose(QPrinter& printer, QWidget*) override
    {
        ++asked;
        if (files.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(files.takeFirst());
        return true;
    }
};

// How a test answers a modal window: acts on it and returns its result.
using ModalAnswer = std::function<void(QDialog&)>;

} // namespace

class TestReportWindows : public QObject
{
    Q_OBJECT
public:
    // A laptop's screen, smaller than the preview's usual height.
    static void initMain()
    {
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" QUILLARY_SOURCE_DIR "/tests/fixtures/screen_1366x768.json");
    }
private slots:
    void init();
    void cleanup()
    {
        setPrinterChoice(nullptr);
        m_db.reset();
    }
    void destinationMenuKeepsOneCheck_data();
    void destinationMenuKeepsOneCheck();
    void selectionDialogAnswers_data();
    void selectionDialogAnswers();
    void readDialogAnswers_data();
    void readDialogAnswers();
    void reportFontsAreArialOrItsTwin();
    void previewShowsPrintsAndSavesTheSamePages();
    void previewShowsFirstPageWhileReading();
    void wholeValuesPrintOnOneLine();

private:
    std::unique_ptr<TemporaryCatalogue> m_catalogue;
    std::unique_ptr<Database> m_db;
    ScopedScriptedDialogs m_dialogs;
    ScriptedPrinterChoice m_printer;
    QTemporaryDir m_folder;
};

void TestReportWindows::init()
{
    reportState() = ReportState();
    sharedState().DialogCancelled = true;
    m_dialogs.clear();
    m_printer = ScriptedPrinterChoice();
    setPrinterChoice(&m_printer);
    m_catalogue = std::make_unique<TemporaryCatalogue>();
    addSmallCatalogue(*m_catalogue);
    m_db = m_catalogue->open();
}

void TestReportWindows::destinationMenuKeepsOneCheck_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<bool>("toPreview");

    QTest::newRow("untouched: preview") << QList<int>{} << true;
    QTest::newRow("save to file") << QList<int>{2} << false;
    QTest::newRow("and back") << QList<int>{2, 1} << true;
    QTest::newRow("checked item again") << QList<int>{2, 2} << false;
}

void TestReportWindows::destinationMenuKeepsOneCheck()
{
    QFETCH(QList<int>, clicks);
    QFETCH(bool, toPreview);
    QAction viewPrint(u"View/Print Report"_s);
    QAction saveToFile(u"Save Report to File"_s);
    const ReportFormatMenu menu(&viewPrint, &saveToFile);
    for (int index : clicks)
        (index == 1 ? viewPrint : saveToFile).trigger();
    QCOMPARE(menu.destination(), toPreview ? ReportDestination::Preview : ReportDestination::TextFile);
    QCOMPARE(viewPrint.isChecked(), toPreview);
    QCOMPARE(saveToFile.isChecked(), !toPreview);
}

void TestReportWindows::selectionDialogAnswers_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("captions"); // window, optAll, optSelected
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("steps"); // s: optSelected, 2: entry 2, o: OK, c: Cancel
    QTest::addColumn<bool>("open");     // still open afterwards
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("messages");

    const QStringList authors{u"Austen, Jane"_s, u"Carter, Ann And Bob"_s, u"Homer, "_s,
                              u"Lee, Ann and Bob"_s, u"Smith, John & Mary"_s};
    const QStringList authorCaptions{u"Author Report"_s, u"All Authors"_s, u"Selected Author"_s};
    QTest::newRow("all") << 1 << authorCaptions << authors << u"o"_s << false << false << -1 << QStringList{};
    QTest::newRow("one author") << 1 << authorCaptions << authors << u"s2o"_s << false << false << 3
                                << QStringList{};
    QTest::newRow("nothing chosen") << 1 << authorCaptions << authors << u"so"_s << true << true << 77
                                    << QStringList{u"You must make a selection from the list!"_s};
    QTest::newRow("back to all clears the choice")
        << 1 << authorCaptions << authors << u"s2ao"_s << false << false << -1 << QStringList{};
    QTest::newRow("cancel after the message")
        << 1 << authorCaptions << authors << u"soc"_s << false << true << 77
        << QStringList{u"You must make a selection from the list!"_s};
    QTest::newRow("categories") << 2
                                << QStringList{u"Category Report"_s, u"All Categories"_s,
                                               u"Selected Category"_s}
                                << QStringList{u"Fiction"_s, u"History"_s, u"Poetry"_s, u"Travel"_s}
                                << u"s4o"_s << false << false << 4 << QStringList{};
    QTest::newRow("locations cancelled")
        << 3 << QStringList{u"Location Report"_s, u"All Locations"_s, u"Selected Location"_s}
        << QStringList{u"Attic"_s, u"Den"_s} << u"s1c"_s << false << true << 77 << QStringList{};
}

void TestReportWindows::selectionDialogAnswers()
{
    QFETCH(int, kind);
    QFETCH(QStringList, captions);
    QFETCH(QString, steps);
    reportState().RptSelKind = qint16(kind);
    reportState().RptSelID = 77;
    frmRptSel dialog(*m_db);
    dialog.show();
    QCOMPARE((QStringList{dialog.windowTitle(), dialog.optAll->text(), dialog.optSelected->text()}),
             captions);
    QStringList shown;
    for (int row = 0; row < dialog.List1->count(); ++row)
        shown.append(dialog.List1->item(row)->text());
    QTEST(shown, "entries");
    QVERIFY(dialog.optAll->isChecked() && !dialog.List1->isEnabled());

    for (QChar step : steps) {
        if (step == u's')
            dialog.optSelected->click();
        else if (step == u'a')
            dialog.optAll->click();
        else if (step == u'o')
            QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);
        else if (step == u'c')
            QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
        else
            dialog.List1->setCurrentRow(step.digitValue() - 1);
    }
    QTEST(dialog.isVisible(), "open");
    QTEST(sharedState().DialogCancelled, "cancelled");
    QTEST(reportState().RptSelID, "key");
    QTEST(m_dialogs.texts(), "messages");
}

void TestReportWindows::readDialogAnswers_data()
{
    QTest::addColumn<bool>("chooseUnread");
    QTest::addColumn<bool>("pressOk");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<bool>("readSelected");

    QTest::newRow("read, as it opens") << false << true << false << true;
    QTest::newRow("unread") << true << true << false << false;
    QTest::newRow("cancel changes nothing") << true << false << true << false;
}

void TestReportWindows::readDialogAnswers()
{
    QFETCH(bool, chooseUnread);
    QFETCH(bool, pressOk);
    reportState().ReadSelected = false;
    frmRead dialog;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), u"Select Read or Unread Books"_s);
    QVERIFY(dialog.optRead->isChecked());
    if (chooseUnread)
        dialog.optUnread->click();
    QTest::mouseClick(pressOk ? dialog.cmdOk : dialog.cmdCancel, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QTEST(sharedState().DialogCancelled, "cancelled");
    QTEST(reportState().ReadSelected, "readSelected");
}

void TestReportWindows::reportFontsAreArialOrItsTwin()
{
    for (TextStyle style : {TextStyle::Body, TextStyle::Emphasised, TextStyle::PageHeader}) {
        const QFontInfo info(ReportFonts::font(style));
        QVERIFY2(info.family() == u"Arial"_s || info.family() == u"Liberation Sans"_s,
                 qPrintable(info.family()));
        QCOMPARE(info.bold(), style != TextStyle::Body);
    }
}

// The by-author list of one author, chosen in the real frmRptSel, shown in
// frmOutput (whole on the laptop's screen), saved as PDF and printed twice:
// the saved and printed pages hold the same text, with the date, the title
// and the page number in each page header.
void TestReportWindows::previewShowsPrintsAndSavesTheSamePages()
{
    const LocaleGuard locale(u"en_US"_s);
    const FixedClock clock(QDate(2004, 12, 31));
    m_db.reset();
    m_catalogue->executeNative(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150) "
        "INSERT INTO Books (Title, SortTitle, AuthID) "
        "SELECT 'Volume ' || i, printf('VOLUME %03d', i), 5 FROM n;");
    m_db = m_catalogue->open();
    QWidget mainWindow;
    ProgramReportWindows windows(&mainWindow, [this] { return m_db.get(); });
    ScopedScriptedModals modals;
    modals.enqueue([](QDialog& dialog) {
        auto& selection = dynamic_cast<frmRptSel&>(dialog);
        selection.optSelected->click();
        selection.List1->setCurrentRow(0); // Austen, Jane
        selection.cmdOk->click();
        return dialog.result();
    });
    reportState().ReportIndex = 2;
    WindowsOnScreen windowsOnScreen; // as the program installs it
    qApp->installEventFilter(&windowsOnScreen);
    RunBookReport({*m_db, ReportDestination::Preview, windows});
    frmOutput* output = windows.output();
    QVERIFY(output && output->isVisible() && !output->isModal());
    QCOMPARE(output->screen()->availableGeometry(), QRect(0, 0, 1366, 768));
    QVERIFY(output->screen()->availableGeometry().contains(output->frameGeometry()));
    QCOMPARE(output->windowTitle(), u"Report Output"_s);
    output->finishBuilding();
    const int pages = output->pages()->pageCount();
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    QCOMPARE(output->preview()->pageCount(), pages);

    for (QToolButton* zoom : {output->cmdZoomWidth, output->cmdZoomTwo, output->cmdZoomThumbnail})
        QTest::mouseClick(zoom, Qt::LeftButton);
    QCOMPARE(output->preview()->viewMode(), QPrintPreviewWidget::AllPagesView);
    QTest::mouseClick(output->cmdZoomPage, Qt::LeftButton);
    QCOMPARE(output->preview()->viewMode(), QPrintPreviewWidget::SinglePageView);

    const QString saved = m_folder.filePath(u"saved.pdf"_s);
    m_dialogs.setNextFileName(saved);
    QTest::mouseClick(output->cmdPdf, Qt::LeftButton);
    QCOMPARE(m_dialogs.shown().last().text, u"Books by Author.pdf"_s);
    m_printer.files = {m_folder.filePath(u"printed1.pdf"_s), m_folder.filePath(u"printed2.pdf"_s)};
    QTest::mouseClick(output->cmdPrint, Qt::LeftButton);
    QTest::mouseClick(output->cmdPrint, Qt::LeftButton);
    QTest::mouseClick(output->cmdPrint, Qt::LeftButton); // cancelled in the print dialog
    QCOMPARE(m_printer.asked, 3);
    QVERIFY(output->isVisible());

    const QString first = pdfPageText(saved, 1);
    QVERIFY2(first.startsWith(u"12/31/2004 Books by Author Page 1 Author Title Jane Austen Emma"_s),
             qPrintable(first));
    const QString second = pdfPageText(saved, 2);
    QVERIFY2(second.startsWith(u"12/31/2004 Books by Author Page 2 Jane Austen Volume"_s),
             qPrintable(second));
    for (const QString& printed : {u"printed1.pdf"_s, u"printed2.pdf"_s}) {
        for (int page : {1, 2, pages})
            QCOMPARE(pdfPageText(m_folder.filePath(printed), page), pdfPageText(saved, page));
    }
    QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files).size(), 3);

    // A folder that cannot be written to is reported, not taken for success.
    m_dialogs.setNextFileName(m_folder.filePath(u"missing/saved.pdf"_s));
    QTest::mouseClick(output->cmdPdf, Qt::LeftButton);
    QCOMPARE(m_dialogs.texts().size(), 1);
    QVERIFY(m_dialogs.texts().first().startsWith(u"3051  Could not write"_s));
    // Nor is a full disk, which leaves the PDF saved before as it was.
    const QByteArray savedBefore = fileContents(saved);
    m_dialogs.setNextFileName(saved);
    {
        const FailingFileSystem disk(FailingFileSystem::Call::Write, ENOSPC, 5000, true);
        QTest::mouseClick(output->cmdPdf, Qt::LeftButton);
    }
    QCOMPARE(m_dialogs.texts().last(), u"3026  Not enough space on disk to write to '%1'."_s.arg(saved));
    QCOMPARE(fileContents(saved), savedBefore);

    // Escape in the pages closes the window as Ok does.
    QTest::keyClick(output->preview()->findChild<QGraphicsView*>(), Qt::Key_Escape);
    QTRY_VERIFY(!windows.output());
}

// A long list shows its first page at once and is read to its end while
// the event loop runs; the pages scrolled to are drawn.
void TestReportWindows::previewShowsFirstPageWhileReading()
{
    const TemporaryCatalogue sample(SampleOptions{3000, 0, 7, false});
    auto db = sample.open();
    QWidget mainWindow;
    ProgramReportWindows windows(&mainWindow, [&db] { return db.get(); });
    reportState().ReportIndex = 1;
    RunBookReport({*db, ReportDestination::Preview, windows});
    frmOutput* output = windows.output();
    QVERIFY(output && output->isBuilding() && output->document()->pageCount() >= 2);
    QTRY_VERIFY_WITH_TIMEOUT(!output->isBuilding(), 60000);
    QVERIFY(output->document()->isFinished());
    QTRY_COMPARE(output->preview()->pageCount(), output->document()->pageCount());
    QVERIFY(output->lblPages->text().endsWith(u" pages"_s));

    // The last page, drawn once it is in view, shows text (dark pixels).
    const int last = output->preview()->pageCount();
    output->preview()->setCurrentPage(last);
    QTRY_COMPARE(output->preview()->currentPage(), last);
    auto darkPixels = [output] {
        const QImage image = output->preview()->grab().toImage();
        int dark = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                dark += qGray(image.pixel(x, y)) < 60;
        return dark;
    };
    QTRY_VERIFY(darkPixels() > 50);
}

// Amounts and dates are never broken across lines: in a column too narrow
// for them (1 cm) they are printed smaller.
void TestReportWindows::wholeValuesPrintOnOneLine()
{
    ReportDocument document(reportFontMetrics());
    document.addRow(ColumnFormat::parse(u"561.6|561.6;").withWholeCells({0, 1}),
                    {u"$1,032.50"_s, u"12/24/2001"_s});
    const QString path = m_folder.filePath(u"whole.pdf"_s);
    writePdf(DocumentPagePainter(document), path);
    QCOMPARE(pdfPageText(path, 1), u"$1,032.50 12/24/2001"_s);
}

QTEST_MAIN(TestReportWindows)
#include "tst_report_windows.moc"
