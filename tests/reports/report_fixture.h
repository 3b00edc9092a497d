#pragma once

// Fixtures of the report tests: simple text metrics, report windows that
// answer from a script, and a small catalogue whose every list is known.

#include "common/shared_state.h"
#include "database/database.h"
#include "reports/document_build.h"
#include "reports/report_document.h"
#include "reports/report_state.h"
#include "reports/report_windows.h"
#include "support/temporary_catalogue.h"

#include <QFile>
#include <QStringList>
#include <optional>
#include <vector>

namespace report_test {

using namespace Qt::StringLiterals;

// Every character 100 twips wide; lines 240 twips high (300 in the page
// header). A row of one line is 288 twips high with its padding.
class FixedPitchMetrics final : public TextMetrics
{
public:
    static constexpr double CharWidth = 100;
    double lineHeight(TextStyle style) const override { return style == TextStyle::PageHeader ? 300 : 240; }
    double width(QStringView text, TextStyle) const override { return double(text.size()) * CharWidth; }
};

inline const FixedPitchMetrics& fixedPitch()
{
    static const FixedPitchMetrics metrics;
    return metrics;
}

// A document as the preview window makes it, on letter paper.
inline std::unique_ptr<ReportDocument> previewDocument()
{
    auto document = std::make_unique<ReportDocument>(fixedPitch(), PageGeometry::letter());
    ReportDocument* shown = document.get();
    document->setPageStartedHandler([shown](int) { repeatTableHeader(*shown); });
    return document;
}

// Answers frmRead and frmRptSel from what the test set (nothing set: the
// user cancels) and keeps every document shown, completed.
class ScriptedReportWindows final : public ReportWindows
{
public:
    std::optional<bool> readAnswer;
    std::optional<qint32> selectionAnswer; // -1: all
    QStringList shown; // "frmRead", "frmRptSel 1", ...; "(busy)" when shown with the hourglass
    std::vector<std::unique_ptr<DocumentBuild>> previews;
    bool completeBuilds = true; // as if the preview read to the end at once
    int busy = 0;

    void showReadDialog() override
    {
        shown.append(u"frmRead"_s + busyMark());
        if (readAnswer) {
            sharedState().DialogCancelled = false;
            reportState().ReadSelected = *readAnswer;
        }
    }
    void showSelectionDialog() override
    {
        shown.append(u"frmRptSel "_s + QString::number(reportState().RptSelKind) + busyMark());
        if (selectionAnswer) {
            sharedState().DialogCancelled = false;
            reportState().RptSelID = *selectionAnswer;
        }
    }
    std::unique_ptr<ReportDocument> newDocument() override { return previewDocument(); }
    void showPreview(std::unique_ptr<DocumentBuild> build) override
    {
        shown.append(u"frmOutput"_s + busyMark());
        if (completeBuilds)
            build->complete();
        previews.push_back(std::move(build));
    }
    void setBusy(bool on) override { busy += on ? 1 : -1; }

    QString busyMark() const { return busy > 0 ? u" (busy)"_s : QString(); }
    const ReportDocument* lastDocument() const
    {
        return previews.empty() ? nullptr : &previews.back()->document();
    }
};

// Every row of a document, its cells joined by "|" and an emphasised row
// marked with "*".
inline QStringList documentRows(const ReportDocument& document)
{
    QStringList rows;
    for (int page = 0; page < document.pageCount(); ++page) {
        for (const ReportDocument::Row& row : document.rowsOfPage(page))
            rows.append((row.emphasised ? u"*"_s : QString()) + row.cells.join(u'|'));
    }
    return rows;
}

inline QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// The lines as a text report file holds them.
inline QByteArray crlfLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

// Seven books whose lists exercise every column: authors in each name form
// ("John & Mary" Smith, "Ann and Bob" Lee, "Ann And Bob" Carter, Homer with
// no first name), a book without author, without category (-1 and Null) and
// without location, prices with and without grouping, read and loan dates,
// a title holding ";" and "|", and a category (Travel) without books.
inline void addSmallCatalogue(const TemporaryCatalogue& catalogue)
{
    catalogue.executeNative(R"sql(
INSERT INTO Authors (AuthID, LastName, FirstName) VALUES
    (1, 'Smith', 'John & Mary'), (2, 'Lee', 'Ann and Bob'), (3, 'Carter', 'Ann And Bob'),
    (4, 'Homer', ''), (5, 'Austen', 'Jane');
INSERT INTO Categories (CatID, CatName) VALUES (1, 'Fiction'), (2, 'History'), (3, 'Poetry'), (4, 'Travel');
INSERT INTO Locations (LocID, LocName) VALUES (1, 'Den'), (2, 'Attic');
INSERT INTO Books (Title, SortTitle, AuthID, CatID, LocID, CoverPrice, BuyPrice, Read, ReadDate, OnLoan,
                   LoanedTo, LoanDate) VALUES
    ('Emma', 'EMMA', 5, 1, 1, 12.5, 8, 1, '2001-03-07', 0, NULL, NULL),
    ('Persuasion', 'PERSUASION', 5, 1, 2, NULL, 5.25, 0, NULL, 0, NULL, NULL),
    ('The Odyssey', 'ODYSSEY', 4, 3, 1, 9.99, 1234.5, 0, NULL, 1, 'Alex', '2003-01-02'),
    ('Our Shared Life', 'OUR SHARED LIFE', 1, 2, -1, 20, NULL, 0, NULL, 1, 'Pat', '2002-12-25'),
    ('Two; Stories | More', 'TWO; STORIES | MORE', 2, -1, 1, NULL, NULL, 0, NULL, 0, NULL, NULL),
    ('Case Study', 'CASE STUDY', 3, 2, 2, NULL, NULL, 1, NULL, 0, NULL, NULL),
    ('Anonymous Notes', 'ANONYMOUS NOTES', -1, NULL, -1, NULL, NULL, 0, NULL, 0, NULL, NULL);
)sql");
}

} // namespace report_test
