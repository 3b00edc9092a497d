#include "booklist/gui/book_list_window.h"

#include "booklist/gui/book_list_model.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "common/locale_formats.h"
#include "common/safe_file_writer.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "import/book_export.h"
#include "import/gui/cancellable_progress.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString WindowTitle = u"Book List"_s;

// Enough keys for a first screen on any display; the rest follow at once.
constexpr qsizetype FirstScreenRows = 200;

QString bookCount(qsizetype count)
{
    // The locale's grouping, which leaves nothing for zero.
    return count == 0 ? u"0"_s : LocaleFormats::groupedNumber(count);
}

bool isEnter(const QKeyEvent* key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

void BookListView::keyboardSearch(const QString& search)
{
    auto* books = qobject_cast<BookListModel*>(model());
    if (!books || !books->reader() || search.isEmpty())
        return;
    runStep([&] { books->completeOrder(); });
    if (!m_sinceLastKey.isValid() || m_sinceLastKey.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_sinceLastKey.start();
    m_typed += search;
    qsizetype row = -1;
    runStep([&] {
        if (BookListReader* reader = books->reader())
            row = reader->firstRowStartingWith(m_typed);
    });
    if (row < 0) {
        userDialogs().beep();
        return;
    }
    const QModelIndex found = books->index(int(row), std::max(0, currentIndex().column()));
    setCurrentIndex(found);
    scrollTo(found, QAbstractItemView::PositionAtCenter);
}

BookListWindow::BookListWindow(BookListHost host, QWidget* parent)
    : QWidget(parent, Qt::Window), m_host(std::move(host)), m_model(new BookListModel(m_host.database, this))
{
    setWindowTitle(WindowTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    catalogueReopened();
}

BookListWindow::~BookListWindow() = default;

void BookListWindow::buildLayout()
{
    auto* filterLabel = new QLabel(u"&Filter:"_s, this);
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(u"txtFilter"_s);
    txtFilter->setPlaceholderText(u"Words in title, author, series, publisher, ISBN or notes"_s);
    txtFilter->setClearButtonEnabled(true);
    filterLabel->setBuddy(txtFilter);
    txtFilter->installEventFilter(this);
    connect(txtFilter, &QLineEdit::textChanged, this, &BookListWindow::filterChanged);

    lstBooks = new BookListView(this);
    lstBooks->setObjectName(u"lstBooks"_s);
    lstBooks->setModel(m_model);
    lstBooks->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstBooks->setSelectionMode(QAbstractItemView::SingleSelection);
    lstBooks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstBooks->setTabKeyNavigation(false);
    lstBooks->setWordWrap(false);
    lstBooks->verticalHeader()->hide();
    lstBooks->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstBooks->verticalHeader()->setDefaultSectionSize(lstBooks->fontMetrics().height() + 6);
    lstBooks->horizontalHeader()->setSectionsClickable(true);
    lstBooks->horizontalHeader()->setSortIndicatorShown(true);
    lstBooks->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    lstBooks->horizontalHeader()->setStretchLastSection(true);
    lstBooks->setColumnWidth(0, 260);
    lstBooks->setColumnWidth(1, 160);
    // A sort that reads the catalogue keeps the selected book selected.
    connect(lstBooks->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) { readAgain([&] { m_model->sort(column, order); }); });
    lstBooks->installEventFilter(this);
    connect(lstBooks, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { openBook(index.row()); });

    lblCount = new QLabel(this);
    lblCount->setObjectName(u"lblCount"_s);
    cmdExport = new QPushButton(u"&Export Shown Books..."_s, this);
    cmdExport->setObjectName(u"cmdExport"_s);
    cmdExport->setAutoDefault(false);
    connect(cmdExport, &QPushButton::clicked, this, &BookListWindow::exportShownBooks);
    cmdClose = new QPushButton(u"&Close"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    cmdClose->setAutoDefault(false);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(txtFilter, 1);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(lblCount, 1);
    bottomRow->addWidget(cmdExport);
    bottomRow->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(lstBooks, 1);
    layout->addLayout(bottomRow);
    resize(900, 520);
    txtFilter->setFocus(Qt::OtherFocusReason);
}

void BookListWindow::catalogueReopened()
{
    Database* db = m_host.database ? m_host.database() : nullptr;
    std::unique_ptr<BookListReader> reader;
    if (db) {
        runStep([&] {
            const QHeaderView* header = lstBooks->horizontalHeader();
            const auto column = BookListColumn(header->sortIndicatorSection());
            const bool descending = header->sortIndicatorOrder() == Qt::DescendingOrder;
            if (column == BookListColumn::Title && !descending && txtFilter->text().trimmed().isEmpty()) {
                reader = std::make_unique<BookListReader>(*db, FirstScreenRows);
                return;
            }
            reader = std::make_unique<BookListReader>(*db);
            reader->setOrder(column, descending);
            reader->setFilter(txtFilter->text());
        });
    }
    m_model->setReader(std::move(reader), db);
    if (m_model->rowCount() > 0)
        lstBooks->setCurrentIndex(m_model->index(0, 0));
    showCount();
    if (const BookListReader* shown = m_model->reader(); shown && !shown->isComplete())
        QTimer::singleShot(0, this, [this] { readAgain([this] { m_model->completeOrder(); }); });
}

void BookListWindow::booksChanged()
{
    if (!m_model->reader()) {
        catalogueReopened();
        return;
    }
    readAgain([this] { m_model->reload(); });
}

void BookListWindow::filterChanged(const QString& text)
{
    readAgain([&] { m_model->setFilter(text); });
}

// The selected book stays selected when it is still listed; otherwise the
// first book is.
void BookListWindow::readAgain(const std::function<void()>& read)
{
    const qint64 selected = selectedBook();
    const int column = std::max(0, lstBooks->currentIndex().column());
    runStep(read);
    selectBook(selected, column);
    showCount();
}

// The book in the given column, or the first book when it is not listed.
void BookListWindow::selectBook(qint64 key, int column)
{
    if (m_model->rowCount() == 0)
        return;
    const int row = key < 0 ? -1 : m_model->rowOf(key);
    const QModelIndex index = m_model->index(std::max(row, 0), column);
    lstBooks->setCurrentIndex(index);
    lstBooks->scrollTo(index);
}

// The keyboard's header click: the column of the current cell, reversed when
// the list is sorted by it already.
void BookListWindow::sortByCurrentColumn()
{
    QHeaderView* header = lstBooks->horizontalHeader();
    const int column = std::max(0, lstBooks->currentIndex().column());
    const bool reverse =
        header->sortIndicatorSection() == column && header->sortIndicatorOrder() == Qt::AscendingOrder;
    header->setSortIndicator(column, reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
}

qint64 BookListWindow::selectedBook() const
{
    const QModelIndex current = lstBooks->currentIndex();
    return current.isValid() ? m_model->keyAt(current.row()) : -1;
}

void BookListWindow::showCount()
{
    const BookListReader* reader = m_model->reader();
    if (reader && !reader->isComplete()) {
        lblCount->clear(); // the count follows with the rest of the keys
        return;
    }
    const qsizetype shown = reader ? reader->count() : 0;
    const qsizetype total = reader ? reader->totalBooks() : 0;
    lblCount->setText(
        u"%1 of %2 %3"_s.arg(bookCount(shown), bookCount(total), total == 1 ? u"book"_s : u"books"_s));
    cmdExport->setEnabled(shown > 0);
}

void BookListWindow::openBook(int row)
{
    const qint64 key = m_model->keyAt(row);
    if (key < 0) {
        userDialogs().beep();
        return;
    }
    if (m_host.isEditing && m_host.isEditing()) {
        userDialogs().message(u"A book is being added or changed in the main window. Click Update or Cancel "
                              u"there before going to another book."_s,
                              WindowTitle);
        return;
    }
    if (m_host.showBook)
        m_host.showBook(key);
}

void BookListWindow::exportShownBooks()
{
    Database* db = m_host.database ? m_host.database() : nullptr;
    readAgain([this] { m_model->completeOrder(); });
    const BookListReader* reader = m_model->reader();
    if (!db || !reader || reader->count() == 0)
        return;
    const QString path =
        userDialogs().saveFileName(u"Export Shown Books"_s, catalogueState().DataDir + u"Books.csv"_s,
                                   u"CSV Files (*.csv);;All Files (*)"_s);
    if (path.isEmpty())
        return;
    // The catalogue's own export, so the file reads back in through Import
    // Books like any other; the keys keep the list's order.
    const std::vector<qint64> keys = reader->shownKeys();
    try {
        qint64 written = -1;
        const bool ran = runStep([&] {
            CancellableProgress progress(this, u"Exporting books..."_s);
            written = exportBooks(*db, keys, path, [&progress](qint64 done, qint64 total) {
                return progress.keepGoing(done, total);
            });
        });
        if (!ran)
            return; // the error was shown
        userDialogs().message(written < 0 ? u"The export was cancelled; no file was written."_s
                                          : u"%1 %2 written to '%3'."_s.arg(bookCount(written))
                                                .arg(written == 1 ? u"book"_s : u"books"_s)
                                                .arg(QDir::toNativeSeparators(path)),
                              u"Export Shown Books"_s);
    } catch (const FileSaveError& failure) {
        userDialogs().message(failure.text(), u"Export Shown Books"_s);
    }
}

bool BookListWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == txtFilter) {
        if (key->key() == Qt::Key_Escape) {
            txtFilter->clear();
            return true;
        }
        if (isEnter(key)) {
            openBook(0);
            return true;
        }
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown) {
            lstBooks->setFocus(Qt::TabFocusReason);
            return true;
        }
    } else if (watched == lstBooks) {
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (isEnter(key)) {
            openBook(lstBooks->currentIndex().row());
            return true;
        }
        if (key->key() == Qt::Key_S && key->modifiers() == Qt::ControlModifier) {
            sortByCurrentColumn();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
