#include "booklist/gui/book_list_window.h"
#include "editor/gui/main_window_fixture.h"
#include "import/gui/book_exchange_menu.h"
#include "import/gui/frm_import_preview.h"
#include "support/file_contents.h"
#include "support/scripted_modals.h"

#include <QComboBox>
#include <QTimer>

using namespace mainwin_test;

namespace {

enum class InPreview { Import, ClearCategory, ToggleHeaderTwice, Close, CancelWhileWriting };

} // namespace

class TestBookExchangeWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        f.setUp();
        m_modals = std::make_unique<ScopedScriptedModals>();
    }
    void cleanup()
    {
        f.tearDownChecked();
        m_modals.reset();
    }
    void importThroughPreview_data();
    void importThroughPreview();
    void exportEveryBook();

private:
    MainWindowFixture f;
    std::unique_ptr<ScopedScriptedModals> m_modals;
};

void TestBookExchangeWindow::importThroughPreview_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<InPreview>("action");
    QTest::addColumn<QString>("counts");  // as the preview shows them after the action
    QTest::addColumn<QString>("message"); // its start
    QTest::addColumn<QString>("shown");   // title and category the window shows afterwards
    QTest::addColumn<int>("books");

    QTest::newRow("goodreads")
        << u"goodreads_library_export.csv"_s << InPreview::Import
        << u"Books to add: 4.  Already in the catalogue: 0 (skipped).  Refused: 2.  ISBNs "
           "with a wrong check digit (kept as written): 1."_s
        << u"Import Books: 4 books added, 0 skipped as already present, 2 refused. The "
           "refused rows"_s
        << u"Pride and Prejudice|"_s << 9;
    QTest::newRow("librarything")
        << u"librarything_export.tsv"_s << InPreview::Import
        << u"Books to add: 3.  Already in the catalogue: 0 (skipped).  Refused: 1."_s
        << u"Import Books: 3 books added, 0 skipped as already present, 1 refused. The refused rows"_s
        << u"Les Misérables|"_s << 8;
    QTest::newRow("a field left out")
        << u"spreadsheet_cp1252.csv"_s << InPreview::ClearCategory
        << u"Books to add: 2.  Already in the catalogue: 0 (skipped).  Refused: 1."_s
        << u"Import Books: 2 books added"_s << u"Cien años de soledad|"_s << 7;
    QTest::newRow("header row tried and left")
        << u"no_header.tsv"_s << InPreview::ToggleHeaderTwice << u"Books to add: 2."_s
        << u"Import Books: 2 books added"_s << u"Moby-Dick|Novel"_s << 7;
    QTest::newRow("preview closed") << u"no_header.tsv"_s << InPreview::Close << u"Books to add: 2."_s
                                    << QString() << u"Apple Pie|Cooking"_s << 5;
    QTest::newRow("cancelled while writing")
        << u"big.csv"_s << InPreview::CancelWhileWriting << u"Books to add: 2000."_s
        << u"Import Books: The import was cancelled. Nothing was imported; the catalogue is as it was."_s
        << u"Apple Pie|Cooking"_s << 5;
}

void TestBookExchangeWindow::importThroughPreview()
{
    QFETCH(QString, file);
    QFETCH(InPreview, action);
    QFETCH(QString, counts);
    f.folder().addCollection();
    const QString path = QDir(f.folder().path()).filePath(file);
    if (file == u"big.csv"_s) {
        QByteArray rows = "Title,Author\n";
        for (int i = 0; i < 2000; ++i)
            rows += "Book " + QByteArray::number(i) + ",Writer " + QByteArray::number(i) + "\n";
        QVERIFY(writeFile(path, rows));
    } else {
        QVERIFY(QFile::copy(QStringLiteral(QUILLARY_SOURCE_DIR "/tests/fixtures/import/") + file, path));
    }
    QVERIFY(f.openWindow());
    // The book list open beside the window shows what the import added.
    f.window().mnuBookList_Click();
    const auto* list = f.window().findChild<BookListWindow*>();
    QVERIFY(list);
    f.window().bookExchange().setProgressDelay(0);
    f.dialogs().setNextFileName(path);
    QString seenCounts;
    m_modals->enqueue([&](QDialog& dialog) -> int {
        auto& preview = dynamic_cast<frmImportPreview&>(dialog);
        if (action == InPreview::ClearCategory)
            preview.columnChoice(BookField::Category)->setCurrentIndex(0);
        if (action == InPreview::ToggleHeaderTwice) {
            // Its first row names no field: a book, mapped by position, again
            // after the header row was tried.
            QTest::keyClick(preview.chkHeader, Qt::Key_Space);
            QTest::keyClick(preview.chkHeader, Qt::Key_Space);
        }
        seenCounts = preview.lblCounts->text();
        if (action == InPreview::Close) {
            QTest::keyClick(&preview, Qt::Key_Escape);
            return int(preview.result());
        }
        if (action == InPreview::CancelWhileWriting)
            QTimer::singleShot(0, [] {
                for (QWidget* window : QApplication::topLevelWidgets())
                    if (window->objectName() == u"frmImportProgress"_s && window->isVisible())
                        window->findChild<QPushButton*>(u"cmdCancel"_s)->click();
            });
        QTest::keyClick(preview.cmdImport, Qt::Key_Space);
        return int(preview.result());
    });
    f.window().mnuImportBooks->trigger();
    QCOMPARE(m_modals->unusedHandlers(), 0);
    QVERIFY2(seenCounts.startsWith(counts), qPrintable(seenCounts));

    QFETCH(QString, message);
    const QStringList messages = f.takeMessages();
    QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(messages.first().startsWith(message), qPrintable(messages.first()));
    QTEST(QString(f.window().txtTitle->text() + u'|' + f.window().cmbCatID->currentText()), "shown");
    QFETCH(int, books);
    QCOMPARE(int(f.rows("SELECT BookID FROM Books").size()), books);
    QTRY_COMPARE(list->lblCount->text(), u"%1 of %1 books"_s.arg(books));
}

void TestBookExchangeWindow::exportEveryBook()
{
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    const QString path = QDir(f.folder().path()).filePath(u"out.csv"_s);
    f.dialogs().setNextFileName(path);
    f.window().mnuExportBooks->trigger();
    QCOMPARE(f.takeMessages(), QStringList{u"Export Books: 5 books written to '%1'."_s.arg(path)});
    const QStringList lines = QString::fromUtf8(fileBytes(path)).split(u"\r\n"_s);
    QCOMPARE(lines.size(), 7); // header, five books, the empty text after the last line end
    QVERIFY(lines.at(1).startsWith(u"Apple Pie,\"Smith, John\",Cooking,"_s));
}

QTEST_MAIN(TestBookExchangeWindow)
#include "tst_book_exchange_window.moc"
