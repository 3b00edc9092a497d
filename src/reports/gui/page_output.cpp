#include "reports/gui/page_output.h"

#include "common/safe_file_writer.h"
#include "database/db_error.h"
#include "reports/gui/page_painter.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

using namespace Qt::StringLiterals;

namespace {

constexpr double TwipsPerInch = 1440;

[[noreturn]] void cannotWrite(const QString& path, const QString& reason)
{
    throw DbError(DbErrorNumber::CannotOpenFile,
                  u"Could not write '%1': %2"_s.arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

QPageLayout pageLayoutOf(const PagePainter& pages)
{
    const QSizeF paper = pages.paperSize();
    const bool landscape = paper.width() > paper.height();
    const QSizeF portrait = landscape ? paper.transposed() : paper;
    return QPageLayout(QPageSize(portrait / TwipsPerInch, QPageSize::Inch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

void writePdf(const PagePainter& pages, const QString& path)
{
    try {
        SafeFileWriter file(path);
        file.openOrThrow();
        {
            QPdfWriter writer(&file);
            writer.setResolution(1200);
            writer.setPageLayout(pageLayoutOf(pages));
            QPainter painter;
            if (!painter.begin(&writer))
                cannotWrite(path, u"the PDF could not be started"_s);
            const QRectF paper(0, 0, writer.width(), writer.height());
            for (int page = 0; page < pages.pageCount(); ++page) {
                if (page > 0)
                    writer.newPage();
                paintPageInto(painter, pages, page, paper);
            }
            painter.end();
        }
        file.commit();
    } catch (const FileSaveError& error) {
        throw fileSaveDbError(error);
    }
}

bool printPages(const PagePainter& pages, QPrinter& printer, const std::function<bool(int, int)>& progress)
{
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const int count = pages.pageCount();
    const QRectF paper = printer.pageLayout().fullRectPixels(printer.resolution());
    for (int page = 0; page < count; ++page) {
        if (!progress(page + 1, count)) {
            printer.abort();
            return false;
        }
        if (page > 0 && !printer.newPage())
            return false;
        paintPageInto(painter, pages, page, QRectF(QPointF(0, 0), paper.size()));
    }
    return painter.end();
}
