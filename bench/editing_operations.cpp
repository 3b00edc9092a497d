// Storing a book and completing a keystroke in the author field: the paths
// every Update and every typed character go through.
#include "bench_registry.h"

#include "catalogue/book_session.h"
#include "catalogue/book_store.h"
#include "database/database.h"
#include "database/db_error.h"
#include "database/recordset.h"
#include "editor/gui/lookup_completion.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// The recordsets the main window keeps open, opened once per catalogue by
// the same session the window uses, rather than in every timed run.
struct OpenRecordsets
{
    QString path;
    Database* db = nullptr;
    std::unique_ptr<BookSession> session;
    QString middleAuthor;
};

OpenRecordsets& recordsetsFor(BenchCatalogue& catalogue, bool reopen)
{
    // Left to the end of the process: the catalogue is gone by then.
    static auto* const kept = new OpenRecordsets;
    OpenRecordsets& open = *kept;
    if (!reopen && open.path == catalogue.path && open.db == catalogue.db.get())
        return open;
    // The session works on the benchmark's own connection; it is never
    // closed here, so the connection stays the benchmark's to close.
    (void)open.session.release();
    open =
        OpenRecordsets{catalogue.path, catalogue.db.get(), std::make_unique<BookSession>(catalogue.db), {}};
    open.session->openRecordsets();
    if (!open.session->rsBookEdit())
        throw std::runtime_error("the session opened no recordsets");
    auto authors =
        catalogue.db->openRecordset(lookupTable(LookupField::Author).listSql, RecordsetType::Snapshot);
    for (int i = 0; i < authors->recordCount() / 2; ++i)
        authors->moveNext();
    open.middleAuthor = lookupEntryText(LookupField::Author, *authors);
    return open;
}

// Update of a shown book: found by its key, every column written, the author
// found among all authors and a publisher found (added on the first run).
void updateBook(BenchCatalogue& catalogue)
{
    for (bool reopen : {false, true}) {
        try {
            OpenRecordsets& open = recordsetsFor(catalogue, reopen);
            BookEntry entry;
            entry.values[u"Title"_s] = u"The Benchmark"_s;
            entry.values[u"Year"_s] = u"1999"_s;
            entry.values[u"CoverPrice"_s] = u"12.50"_s;
            entry.values[u"BuyDate"_s] = u"2001-05-06"_s;
            entry.values[u"AuthID"_s] = open.middleAuthor;
            entry.values[u"PubID"_s] = u"Bench Press"_s;
            LookupResolver resolver = open.session->lookupResolver();
            if (!writeBook(*catalogue.db, *open.session->rsBookEdit(), entry, resolver,
                           qint32(catalogue.probeBookId))
                     .stored)
                throw std::runtime_error("the book was not stored");
            return;
        } catch (const DbError&) {
            // Recordsets of a catalogue that another operation closed and
            // reopened: open them again once.
            if (reopen)
                throw;
        }
    }
}

// The author field filled like the window fills it.
struct AuthorField
{
    QString path;
    std::unique_ptr<QComboBox> combo;
    std::unique_ptr<LookupCompletion> completion;
    QString typed; // all but the last character of a name in the middle of the list
    QChar next;
};

AuthorField& authorFieldFor(BenchCatalogue& catalogue)
{
    // Left to the end of the process, which must not destroy widgets after
    // the application object.
    static auto* const kept = new AuthorField;
    AuthorField& field = *kept;
    if (field.path == catalogue.path)
        return field;
    field.path = catalogue.path;
    field.combo = std::make_unique<QComboBox>();
    field.combo->setEditable(true);
    auto authors =
        catalogue.db->openRecordset(lookupTable(LookupField::Author).listSql, RecordsetType::Snapshot);
    QStringList names;
    for (; !authors->eof(); authors->moveNext())
        names.append(lookupEntryText(LookupField::Author, *authors));
    field.combo->addItems(names);
    field.completion = std::make_unique<LookupCompletion>();
    field.completion->attach(field.combo.get(), [] {});
    const QString middle = names.value(names.size() / 2);
    field.typed = middle.left(3);
    field.next = middle.size() > 3 ? middle.at(3) : QChar(u'a');
    return field;
}

// One typed character in the author field: key down, key press, the change
// of the text and its completion from 20,000 authors.
void authorKeystroke(BenchCatalogue& catalogue)
{
    AuthorField& field = authorFieldFor(catalogue);
    field.completion->CompleteAllowed = false;
    field.combo->setCurrentIndex(-1);
    field.combo->setEditText(field.typed);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(field.next));
    QCoreApplication::sendEvent(field.combo.get(), &press);
    if (field.combo->currentIndex() < 0)
        throw std::runtime_error("the keystroke completed nothing");
}

// The first keystroke after the list changed (a book saved with a new
// author) reads the 20,000 entries again.
void authorKeystrokeAfterListChange(BenchCatalogue& catalogue)
{
    AuthorField& field = authorFieldFor(catalogue);
    field.combo->insertItem(0, u"Aaa, Bench"_s, -2);
    field.combo->removeItem(0);
    authorKeystroke(catalogue);
}

const BenchRegistration registration{
    {u"store a book (Update, found by key)"_s, updateBook, {}, false},
    {u"author keystroke, completion"_s, authorKeystroke, {}, false},
    {u"author keystroke after a list change"_s, authorKeystrokeAfterListChange, {}, false},
};

} // namespace
