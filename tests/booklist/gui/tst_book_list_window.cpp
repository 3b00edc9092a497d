#include "booklist/gui/book_list_window.h"
#include "editor/gui/main_window_fixture.h"
#include "import/book_fields.h"
#include "import/text_table_reader.h"

#include <QHeaderView>
#include <QLabel>

using namespace mainwin_test;

// The book list through the real main window: Ctrl+L, header clicks, the
// filter box, Enter to the book, and the list following the main window's
// stores and deletes.
class TestBookListWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { f.tearDownChecked(); }
    void headerClicksSort_data();
    void headerClicksSort();
    void filterNarrowsInTheChosenOrder_data();
    void filterNarrowsInTheChosenOrder();
    void keysLeadToTheBook_data();
    void keysLeadToTheBook();
    void followsStoresAddsAndDeletes();
    void showsValuesAsTheMainWindowDoes();
    void exportsTheShownBooksInOrder_data();
    void exportsTheShownBooksInOrder();

private:
    BookListWindow* openList();
    QStringList titles() const;
    void clickHeader(int column) const;

    MainWindowFixture f;
    std::unique_ptr<LocaleGuard> m_locale;
    BookListWindow* m_list = nullptr;
};

namespace {

const QStringList TitleOrder{u"Apple Pie"_s, u"Banana"_s, u"The Cat"_s, u"Moon"_s, u"Zoo Life"_s};

} // namespace

void TestBookListWindow::init()
{
    m_locale = std::make_unique<LocaleGuard>(u"en_US"_s);
    f.setUp();
    CatalogueFolder& folder = f.folder();
    folder.addAuthor(1, u"Smith"_s, u"John"_s);
    folder.addAuthor(2, u"Adams"_s, u"Ann"_s);
    folder.addLookup(u"Categories"_s, u"CatID, CatName"_s, 1, u"Travel"_s);
    folder.addLookup(u"Categories"_s, u"CatID, CatName"_s, 2, u"Cooking"_s);
    folder.addLookup(u"Categories"_s, u"CatID, CatName"_s, 3, u"Animals"_s);
    folder.addBook(u"Zoo Life"_s, {{u"AuthID"_s, 2},
                                   {u"CatID"_s, 1},
                                   {u"Year"_s, 1999},
                                   {u"CoverPrice"_s, 12.5},
                                   {u"Read"_s, true},
                                   {u"BuyDate"_s, QDate(2001, 3, 7)},
                                   {u"Notes"_s, u"Élan vital"_s}});
    folder.addBook(u"Apple Pie"_s, {{u"AuthID"_s, 1},
                                    {u"CatID"_s, 2},
                                    {u"Year"_s, 2005},
                                    {u"CoverPrice"_s, 7.25},
                                    {u"BuyDate"_s, QDate(1998, 12, 31)}});
    folder.addBook(u"Moon"_s);
    folder.addBook(
        u"Banana"_s,
        {{u"AuthID"_s, 2}, {u"CatID"_s, 2}, {u"Year"_s, 1850}, {u"CoverPrice"_s, 30}, {u"Read"_s, true}});
    folder.addBook(u"The Cat"_s, {{u"SortTitle"_s, u"CAT"_s},
                                  {u"AuthID"_s, 1},
                                  {u"CatID"_s, 3},
                                  {u"Year"_s, 2005},
                                  {u"CoverPrice"_s, 0}});
    QVERIFY(f.openWindow());
    m_list = openList();
    QVERIFY(m_list);
}

BookListWindow* TestBookListWindow::openList()
{
    QTest::keyClick(&f.window(), Qt::Key_L, Qt::ControlModifier);
    auto* list = f.window().findChild<BookListWindow*>();
    if (!list || !QTest::qWaitForWindowActive(list))
        return nullptr;
    // The rest of the keys follow the first screen.
    if (!QTest::qWaitFor([list] { return !list->lblCount->text().isEmpty(); }))
        return nullptr;
    return list;
}

QStringList TestBookListWindow::titles() const
{
    QStringList shown;
    const QAbstractItemModel* model = m_list->lstBooks->model();
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->index(row, 0).data().toString();
    return shown;
}

void TestBookListWindow::clickHeader(int column) const
{
    QHeaderView* header = m_list->lstBooks->horizontalHeader();
    m_list->lstBooks->scrollTo(m_list->lstBooks->model()->index(0, column));
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

void TestBookListWindow::headerClicksSort_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("byKeyboard"); // Ctrl+S in the column instead of a click
    QTest::addColumn<QString>("expected");
    QTest::newRow("title, sorted already: reversed")
        << 0 << 1 << false << u"Zoo Life|Moon|The Cat|Banana|Apple Pie"_s;
    QTest::newRow("author, ties by sort title")
        << 1 << 1 << false << u"Moon|Banana|Zoo Life|Apple Pie|The Cat"_s;
    QTest::newRow("category") << 2 << 1 << false << u"Moon|The Cat|Apple Pie|Banana|Zoo Life"_s;
    QTest::newRow("year, none first") << 7 << 1 << false << u"Moon|Banana|Zoo Life|Apple Pie|The Cat"_s;
    QTest::newRow("read flag") << 11 << 1 << false << u"Apple Pie|The Cat|Moon|Banana|Zoo Life"_s;
    QTest::newRow("date purchased") << 14 << 1 << false << u"Banana|The Cat|Moon|Apple Pie|Zoo Life"_s;
    QTest::newRow("cover price, reversed") << 15 << 2 << false << u"Banana|Zoo Life|Apple Pie|The Cat|Moon"_s;
    QTest::newRow("cover price by the keyboard")
        << 15 << 2 << true << u"Banana|Zoo Life|Apple Pie|The Cat|Moon"_s;
}

void TestBookListWindow::headerClicksSort()
{
    QFETCH(int, column);
    QFETCH(int, clicks);
    QFETCH(bool, byKeyboard);
    QFETCH(QString, expected);
    QCOMPARE(titles(), TitleOrder);
    m_list->lstBooks->setFocus();
    QTest::keyClick(m_list->lstBooks, Qt::Key_End, Qt::ControlModifier); // Zoo Life selected
    if (byKeyboard)
        m_list->lstBooks->setCurrentIndex(m_list->lstBooks->model()->index(4, column));
    for (int click = 0; click < clicks; ++click) {
        if (byKeyboard)
            QTest::keyClick(m_list->lstBooks, Qt::Key_S, Qt::ControlModifier);
        else
            clickHeader(column);
    }
    QCOMPARE(titles().join(u'|'), expected);
    // The selected book stays selected wherever the order puts it.
    QCOMPARE(m_list->lstBooks->currentIndex().row(), int(expected.split(u'|').indexOf(u"Zoo Life"_s)));
}

void TestBookListWindow::filterNarrowsInTheChosenOrder_data()
{
    QTest::addColumn<int>("sortColumn"); // -1: the title order
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("count");
    QTest::newRow("accent in the notes, typed without")
        << -1 << u"elan"_s << u"Zoo Life"_s << u"1 of 5 books"_s;
    QTest::newRow("two words, author and title")
        << -1 << u"ADAMS zoo"_s << u"Zoo Life"_s << u"1 of 5 books"_s;
    QTest::newRow("kept in the author order")
        << 1 << u"a"_s << u"Banana|Zoo Life|Apple Pie|The Cat"_s << u"4 of 5 books"_s;
    QTest::newRow("nothing found") << -1 << u"smith zoo"_s << QString() << u"0 of 5 books"_s;
}

void TestBookListWindow::filterNarrowsInTheChosenOrder()
{
    QFETCH(int, sortColumn);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(QString, count);
    QCOMPARE(m_list->lblCount->text(), u"5 of 5 books"_s);
    if (sortColumn >= 0)
        clickHeader(sortColumn);
    QTest::keyClicks(m_list->txtFilter, typed);
    QCOMPARE(titles().join(u'|'), expected);
    QCOMPARE(m_list->lblCount->text(), count);
    QCOMPARE(m_list->cmdExport->isEnabled(), !expected.isEmpty());
    QTest::keyClick(m_list->txtFilter, Qt::Key_Escape);
    QCOMPARE(m_list->txtFilter->text(), QString());
    QCOMPARE(titles().size(), 5);
    QVERIFY(m_list->isVisible()); // Escape in the box only clears it
}

void TestBookListWindow::keysLeadToTheBook_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("editing");
    QTest::newRow("enter in the filter box") << u"filter"_s << false;
    QTest::newRow("enter in the list") << u"enter"_s << false;
    QTest::newRow("double click") << u"double"_s << false;
    QTest::newRow("enter while a book is changed") << u"enter"_s << true;
    QTest::newRow("enter in the box while one is added") << u"filter"_s << true;
}

void TestBookListWindow::keysLeadToTheBook()
{
    QFETCH(QString, way);
    QFETCH(bool, editing);
    frmMain& w = f.window();
    if (editing) {
        w.activateWindow();
        if (way == u"filter"_s)
            w.cmdAdd->click();
        f.typeInto(w.txtTitle, u"Typed"_s);
        m_list = openList();
    }
    const QString before = w.txtTitle->text();
    if (way == u"filter"_s) {
        QTest::keyClicks(m_list->txtFilter, u"ban"_s);
        QTest::keyClick(m_list->txtFilter, Qt::Key_Return);
    } else {
        m_list->lstBooks->setFocus();
        QTest::keyClicks(m_list->lstBooks, u"ba"_s); // type-ahead in the title order
        QCOMPARE(m_list->lstBooks->currentIndex().row(), 1);
        if (way == u"enter"_s) {
            QTest::keyClick(m_list->lstBooks, Qt::Key_Return);
        } else {
            const QRect cell = m_list->lstBooks->visualRect(m_list->lstBooks->currentIndex());
            QTest::mouseClick(m_list->lstBooks->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(m_list->lstBooks->viewport(), Qt::LeftButton, {}, cell.center());
        }
    }
    if (editing) {
        QCOMPARE(w.txtTitle->text(), before);
        QCOMPARE(f.takeMessages(),
                 QStringList{u"Book List: A book is being added or changed in the main window. "
                             u"Click Update or Cancel there before going to another book."_s});
        w.cmdCancel->click();
        return;
    }
    QCOMPARE(w.txtTitle->text(), u"Banana"_s);
    // The main window goes on from there in its own order.
    w.cmdNext->click();
    QCOMPARE(w.txtTitle->text(), u"The Cat"_s);
    m_list = openList();
    m_list->lstBooks->setFocus();
    QTest::keyClick(m_list->lstBooks, Qt::Key_Escape);
    QTRY_VERIFY(f.window().findChild<BookListWindow*>() == nullptr);
}

void TestBookListWindow::followsStoresAddsAndDeletes()
{
    frmMain& w = f.window();
    m_list->lstBooks->setFocus();
    QTest::keyClicks(m_list->lstBooks, u"moon"_s);
    QCOMPARE(m_list->selectedBook() >= 0, true);
    const qint64 moon = m_list->selectedBook();

    w.activateWindow();
    f.showTitle(u"Apple Pie"_s);
    f.typeInto(w.txtTitle, u"Zebra Pie"_s);
    w.cmdUpdate->click();
    QCOMPARE(titles(), (QStringList{u"Banana"_s, u"The Cat"_s, u"Moon"_s, u"Zebra Pie"_s, u"Zoo Life"_s}));

    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"Aardvark"_s);
    w.cmdUpdate->click();
    QCOMPARE(titles().first(), u"Aardvark"_s);
    QCOMPARE(m_list->lblCount->text(), u"6 of 6 books"_s);

    f.showTitle(u"Banana"_s);
    f.dialogs().setNextAnswer(UserDialogs::Answer::Yes);
    w.cmdDelete->click();
    QCOMPARE(titles(), (QStringList{u"Aardvark"_s, u"The Cat"_s, u"Moon"_s, u"Zebra Pie"_s, u"Zoo Life"_s}));
    QCOMPARE(m_list->selectedBook(), moon);
    QCOMPARE(m_list->lstBooks->currentIndex().row(), 2);

    // Packing closes the catalogue and opens another file in its place.
    f.dialogs().setNextAnswer(UserDialogs::Answer::Yes);
    w.mnuPack->trigger();
    f.takeMessages();
    QCOMPARE(titles(), (QStringList{u"Aardvark"_s, u"The Cat"_s, u"Moon"_s, u"Zebra Pie"_s, u"Zoo Life"_s}));
}

void TestBookListWindow::showsValuesAsTheMainWindowDoes()
{
    const QAbstractItemModel* model = m_list->lstBooks->model();
    const int zoo = int(TitleOrder.indexOf(u"Zoo Life"_s));
    QStringList shown;
    for (int column = 0; column < model->columnCount(); ++column)
        shown << model->index(zoo, column).data().toString();
    QCOMPARE(shown.join(u'|'), u"Zoo Life|Adams, Ann|Travel|||||1999|||||||3/7/2001|$12.50"_s);
    QCOMPARE(model->index(zoo, 11).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(model->index(zoo, 12).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
}

void TestBookListWindow::exportsTheShownBooksInOrder_data()
{
    QTest::addColumn<int>("sortColumn"); // -1: the title order
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("typed");
    // Title|Author|Category|Year|Cover Price|Date Purchased|Read|Notes
    QTest::addColumn<QStringList>("expected");
    const QString apple = u"Apple Pie|Smith, John|Cooking|2005|7.25|1998-12-31|No|"_s;
    const QString banana = u"Banana|Adams, Ann|Cooking|1850|30||Yes|"_s;
    const QString cat = u"The Cat|Smith, John|Animals|2005|0||No|"_s;
    const QString moon = u"Moon||||||No|"_s;
    const QString zoo = u"Zoo Life|Adams, Ann|Travel|1999|12.5|2001-03-07|Yes|Élan vital"_s;
    QTest::newRow("every book, title order")
        << -1 << 0 << QString() << QStringList{apple, banana, cat, moon, zoo};
    QTest::newRow("by year, filtered") << 7 << 1 << u"a"_s << QStringList{banana, zoo, apple, cat};
    QTest::newRow("by cover price reversed, two words")
        << 15 << 2 << u"adams a"_s << QStringList{banana, zoo};
    QTest::newRow("by author, one book") << 1 << 1 << u"pie"_s << QStringList{apple};
}

// The shown rows in the shown order, written by the catalogue's own export and
// read back through the import's table reader.
void TestBookListWindow::exportsTheShownBooksInOrder()
{
    QFETCH(int, sortColumn);
    QFETCH(int, clicks);
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    for (int click = 0; click < clicks; ++click)
        clickHeader(sortColumn);
    if (!typed.isEmpty())
        QTest::keyClicks(m_list->txtFilter, typed);
    QCOMPARE(titles().size(), expected.size());
    const QString path = f.folder().path() + u"/shown.csv"_s;
    f.dialogs().setNextFileName(path);
    m_list->cmdExport->click();
    QCOMPARE(f.takeMessages(),
             QStringList{u"Export Shown Books: %1 %2 written to '%3'."_s.arg(expected.size())
                             .arg(expected.size() == 1 ? u"book"_s : u"books"_s)
                             .arg(QDir::toNativeSeparators(path))});

    TextTableReader reader(path);
    QCOMPARE(reader.encoding(), TextEncoding::Utf8WithBom);
    TableRecord record;
    QVERIFY(reader.next(record));
    const QStringList header = record.cells;
    QCOMPARE(header.size(), qsizetype(BookFieldCount)); // every field, as File > Export Books writes them
    QList<qsizetype> wanted;
    for (const QString& caption : {u"Title"_s, u"Author (Last, First)"_s, u"Category"_s, u"Year"_s,
                                   u"Cover Price"_s, u"Date Purchased"_s, u"Read"_s, u"Notes"_s}) {
        wanted << header.indexOf(caption);
        QVERIFY2(wanted.last() >= 0, qPrintable(caption));
    }
    QStringList written;
    while (reader.next(record)) {
        QVERIFY2(record.problem.isEmpty(), qPrintable(record.problem));
        QCOMPARE(record.cells.size(), header.size());
        QStringList row;
        for (const qsizetype column : wanted)
            row << record.cells[column];
        written << row.join(u'|');
    }
    QCOMPARE(written, expected);
}

QTEST_MAIN(TestBookListWindow)
#include "tst_book_list_window.moc"
