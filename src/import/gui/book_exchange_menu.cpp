#include "import/gui/book_exchange_menu.h"

#include "common/gui/modal_runner.h"
#include "common/safe_file_writer.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "import/book_export.h"
#include "import/gui/cancellable_progress.h"
#include "import/gui/frm_import_preview.h"
#include "import/import_summary.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

const QString ImportTitle = u"Import Books"_s;
const QString ExportTitle = u"Export Books"_s;
const QString TableFiles = u"Tables of Books (*.csv;*.tsv;*.txt)|*.csv;*.tsv;*.txt|All Files (*.*)|*.*"_s;
const QString CsvFiles = u"CSV Files (*.csv)|*.csv|All Files (*.*)|*.*"_s;
const QString Unchanged = u" Nothing was imported; the catalogue is as it was."_s;

QString catalogueFolder(const Database& db)
{
    return QFileInfo(db.path()).absolutePath();
}

} // namespace

BookExchangeMenu::BookExchangeMenu(QWidget* window, const Actions& actions,
                                   std::function<Database*()> database, ImportEnded importEnded)
    : QObject(window), m_window(window), m_database(std::move(database)),
      m_importEnded(std::move(importEnded))
{
    connect(actions.importBooks, &QAction::triggered, this, &BookExchangeMenu::mnuImportBooks_Click);
    connect(actions.exportBooks, &QAction::triggered, this, &BookExchangeMenu::mnuExportBooks_Click);
}

void BookExchangeMenu::mnuImportBooks_Click()
{
    Database* db = m_database();
    if (!db)
        return;
    const QString path = userDialogs().openFileName(ImportTitle, catalogueFolder(*db), TableFiles);
    if (path.isEmpty())
        return;
    bool writeBegan = false;
    std::optional<qint64> firstBookId;
    try {
        BookImport import(path);
        bool keepDuplicates = false;
        {
            frmImportPreview preview(import, *db, m_window);
            if (modalRunner().exec(preview) != QDialog::Accepted)
                return;
            keepDuplicates = preview.keepDuplicates();
        }
        writeBegan = true;
        CancellableProgress progress(
            m_window, u"Importing books from '%1'..."_s.arg(QFileInfo(path).fileName()), m_progressDelay);
        const ImportResult result =
            import.write(*db, keepDuplicates, refusedRowsPathFor(path),
                         [&progress](qint64 done, qint64 total) { return progress.keepGoing(done, total); });
        firstBookId = result.firstBookId;
        userDialogs().message(resultText(result), ImportTitle);
    } catch (const TableFileError& error) {
        userDialogs().message(error.text(), ImportTitle);
    } catch (const ImportCancelled&) {
        userDialogs().message(u"The import was cancelled."_s + Unchanged, ImportTitle);
    } catch (const FileSaveError& error) {
        userDialogs().message(error.text() + Unchanged, ImportTitle);
    } catch (const DbError& error) {
        userDialogs().message(error.text() + Unchanged, ImportTitle);
    }
    if (writeBegan && m_importEnded)
        m_importEnded(firstBookId);
}

void BookExchangeMenu::mnuExportBooks_Click()
{
    Database* db = m_database();
    if (!db)
        return;
    const QString path = userDialogs().saveFileName(
        ExportTitle, QDir(catalogueFolder(*db)).filePath(u"Books.csv"_s), CsvFiles);
    if (path.isEmpty())
        return;
    try {
        CancellableProgress progress(m_window, u"Exporting books..."_s, m_progressDelay);
        const qint64 written = exportAllBooks(
            *db, path, [&progress](qint64 done, qint64 total) { return progress.keepGoing(done, total); });
        userDialogs().message(
            written < 0 ? u"The export was cancelled; no file was written."_s
                        : u"%1 books written to '%2'."_s.arg(written).arg(QDir::toNativeSeparators(path)),
            ExportTitle);
    } catch (const FileSaveError& error) {
        userDialogs().message(error.text(), ExportTitle);
    } catch (const DbError& error) {
        userDialogs().message(error.text(), ExportTitle);
    }
}
