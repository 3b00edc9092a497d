#include "editor/gui/lookup_completion.h"

#include "catalogue/author_name.h"
#include "database/sqlite_extensions.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QVariant>
#include <algorithm>
#include <limits>
#include <utility>

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isDeletingKey(int key)
{
    return key == Qt::Key_Backspace || key == Qt::Key_Delete || key == Qt::Key_Clear;
}

// Focus that comes and goes with the list popping up or another program being
// activated is no entering or leaving of the field.
bool entersOrLeavesField(const QEvent* event)
{
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

// QComboBox rewrites its text even when the index does not change (-1 on a
// typed text empties it); selecting the entry that is already selected must
// leave the field alone.
void selectEntry(QComboBox* combo, int index)
{
    if (combo->currentIndex() != index)
        combo->setCurrentIndex(index);
}

// Typing into the field leaves no entry selected, but QComboBox keeps its
// index and empties the text when the index is set to none. This drops the
// selection and puts the text and caret back, quietly: the text did not change.
void unselectKeepingText(QComboBox* combo)
{
    QLineEdit* edit = combo->lineEdit();
    if (combo->currentIndex() < 0 || !edit)
        return;
    const QString text = edit->text();
    const int caret = edit->cursorPosition();
    const QSignalBlocker quiet(edit);
    combo->setCurrentIndex(-1);
    edit->setText(text);
    edit->setCursorPosition(caret);
}

void openList(QComboBox* combo)
{
    QAbstractItemView* view = combo->view();
    if (view->isVisible())
        view->setCurrentIndex(
            combo->model()->index(combo->currentIndex(), combo->modelColumn(), combo->rootModelIndex()));
    else
        combo->showPopup();
}

// TypedLength is 16 bits wide; a text box holds at most 32767 characters.
qint16 typedLength(qsizetype length)
{
    return static_cast<qint16>(std::clamp<qsizetype>(length, 0, std::numeric_limits<qint16>::max()));
}

// The order of the lists, accents and case ignored: entries that start with
// the text, whatever their accents, stand together in the sorted list.
int compareWithEntry(const QString& text, const QString& entry)
{
    return compareNoCasePrimary(text, QStringView(entry).left(text.size()));
}

// Whether the entry starts with the text as typed: case ignored, accents
// counted, so that "Muller" never completes to "Müller".
bool entryStartsWith(const QString& entry, const QString& text)
{
    return compareNoCase(text, QStringView(entry).left(text.size())) == 0;
}

} // namespace

LookupCompletion::LookupCompletion(QObject* parent) : QObject(parent) {}

void LookupCompletion::attach(QComboBox* combo, std::function<void()> markEdited)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);

    m_fields.insert(combo, Field{combo, std::move(markEdited), false});
    for (QObject* part : {static_cast<QObject*>(combo), static_cast<QObject*>(combo->lineEdit()),
                          static_cast<QObject*>(combo->view())}) {
        m_watched.insert(part, combo);
        part->installEventFilter(this);
    }
    connect(combo, &QComboBox::editTextChanged, this, [this, combo] { textChanged(m_fields[combo]); });
    connect(combo, &QComboBox::activated, this, [this, combo] {
        if (const Field& field = m_fields[combo]; field.markEdited)
            field.markEdited();
    });
    connect(combo, &QObject::destroyed, this, [this, combo] {
        m_fields.remove(combo);
        m_entries.remove(combo);
        m_watched.removeIf([combo](const auto& watched) { return watched.value() == combo; });
    });
}

void LookupCompletion::rewriteAuthorNameOnLeaving(QComboBox* combo)
{
    if (auto field = m_fields.find(combo); field != m_fields.end())
        field->rewritesAuthorName = true;
}

void LookupCompletion::setByProgram(const std::function<void()>& change)
{
    const bool outer = std::exchange(m_programSets, true);
    const auto restore = qScopeGuard([this, outer] { m_programSets = outer; });
    change();
}

void LookupCompletion::ComboSelectAll(QComboBox* combo)
{
    TypedLength = 0;
    if (QLineEdit* edit = combo->lineEdit())
        edit->selectAll();
}

void LookupCompletion::ComboKeyPress(QChar, QComboBox* combo)
{
    if (CompleteAllowed)
        TypedLength = typedLength(combo->currentText().size() + 1);
}

void LookupCompletion::ComboKeyDown(int key, QComboBox* combo)
{
    const int remembered = combo->currentIndex();
    if (isEnter(key))
        DropDownShown = false;

    // Set before the Down arrow's own step below, whose change of the text is
    // to be completed like any other.
    CompleteAllowed = !isDeletingKey(key);

    if (key == Qt::Key_Down) {
        // The first Down arrow after an Enter starts above the first entry;
        // later ones go on from the current entry.
        const int start = DropDownShown ? remembered : -1;
        DropDownShown = true;
        selectEntry(combo, start);
        if (start + 1 < combo->count())
            selectEntry(combo, start + 1);
        openList(combo);
    } else if (key == Qt::Key_Backspace) {
        // Right after a completion an entry is selected and Backspace empties
        // the field; in a text without a match it deletes one character.
        selectEntry(combo, -1);
    }
}

void LookupCompletion::ComboAutoComplete(QComboBox* combo)
{
    QLineEdit* edit = combo->lineEdit();
    if (!CompleteAllowed || CompleteBusy || m_programSets || !edit)
        return;
    const QString text = edit->text();
    if (combo->count() == 0 || text.isEmpty())
        return;
    TypedLength = typedLength(std::min<qsizetype>(TypedLength, text.size()));

    const int found = ComboFindPrefix(text, combo);
    CompleteBusy = true;
    if (found >= 0) {
        // Also replaces the text when the entry is selected already, since
        // the typed text may differ from it in case.
        selectEntry(combo, found);
        const QString entry = combo->itemText(found);
        if (edit->text() != entry)
            edit->setText(entry);
        // The caret stays after the typed part, the completed rest highlighted.
        edit->setSelection(static_cast<int>(entry.size()), TypedLength - static_cast<int>(entry.size()));
    } else {
        unselectKeepingText(combo);
    }
    CompleteBusy = false;
}

int LookupCompletion::ComboFindPrefix(const QString& text, QComboBox* combo)
{
    const EntryCache& list = entries(combo);
    const int count = static_cast<int>(list.texts.size());
    if (count == 0 || text.isEmpty())
        return -1;

    const int selected = combo->currentIndex();
    const int current = selected >= 0 && selected < count ? selected : 0;
    if (entryStartsWith(list.texts[current], text))
        return current;

    // A text after the current entry is looked for from the next entry on,
    // any other from the top. The entries that start with the text, accents
    // aside, begin at the first entry that does not sort before it; in a
    // sorted list a binary search finds that entry. A list out of order (the
    // database's order may differ from this one in punctuation) is scanned
    // as it stands.
    int first = compareWithEntry(text, list.texts[current]) > 0 ? current + 1 : 0;
    if (list.sorted) {
        int last = count;
        while (first < last) {
            const int middle = first + (last - first) / 2;
            if (compareWithEntry(text, list.texts[middle]) > 0)
                first = middle + 1;
            else
                last = middle;
        }
    } else {
        while (first < count && compareWithEntry(text, list.texts[first]) > 0)
            ++first;
    }
    // Among them, the first whose accents are the typed ones.
    for (; first < count && compareWithEntry(text, list.texts[first]) == 0; ++first)
        if (entryStartsWith(list.texts[first], text))
            return first;
    return -1;
}

const LookupCompletion::EntryCache& LookupCompletion::entries(QComboBox* combo)
{
    EntryCache& cache = m_entries[combo];
    if (cache.model != combo->model() || cache.column != combo->modelColumn()) {
        if (cache.model)
            disconnect(cache.model, nullptr, this, nullptr);
        cache.model = combo->model();
        cache.column = combo->modelColumn();
        cache.stale = true;
        watchModel(combo, cache);
    }
    if (cache.stale) {
        const int count = combo->count();
        cache.texts.clear();
        cache.texts.reserve(count);
        cache.sorted = true;
        for (int i = 0; i < count; ++i) {
            cache.texts.append(combo->itemText(i));
            if (i > 0 && compareNoCase(cache.texts[i - 1], cache.texts[i]) > 0)
                cache.sorted = false;
        }
        cache.stale = false;
    }
    return cache;
}

void LookupCompletion::watchModel(QComboBox* combo, EntryCache& cache)
{
    QAbstractItemModel* model = cache.model;
    if (!model)
        return;
    const auto markStale = [this, combo] {
        if (auto cached = m_entries.find(combo); cached != m_entries.end())
            cached->stale = true;
    };
    // An entry added to a long list is placed in the cache as it stands, so
    // that the next keystroke does not read the whole list again.
    connect(
        model, &QAbstractItemModel::rowsInserted, this,
        [this, combo](const QModelIndex& parent, int first, int last) {
            const auto cached = m_entries.find(combo);
            if (cached == m_entries.end())
                return;
            EntryCache& held = cached.value();
            if (held.stale || parent.isValid() || held.model != combo->model() || first > held.texts.size()) {
                held.stale = true;
                return;
            }
            for (int row = first; row <= last; ++row)
                held.texts.insert(row, combo->itemText(row));
            // An insertion can only add disorder, next to the new held.
            const auto inOrder = [&held](qsizetype a, qsizetype b) {
                return a < 0 || b >= held.texts.size() || compareNoCase(held.texts[a], held.texts[b]) <= 0;
            };
            for (int row = first; row <= last + 1 && held.sorted; ++row)
                held.sorted = inOrder(row - 1, row);
        });
    connect(model, &QAbstractItemModel::rowsRemoved, this, markStale);
    connect(model, &QAbstractItemModel::rowsMoved, this, markStale);
    connect(model, &QAbstractItemModel::dataChanged, this, markStale);
    connect(model, &QAbstractItemModel::modelReset, this, markStale);
    connect(model, &QAbstractItemModel::layoutChanged, this, markStale);
}

LookupCompletion::Field* LookupCompletion::fieldOf(QObject* watched)
{
    const auto combo = m_watched.constFind(watched);
    if (combo == m_watched.constEnd())
        return nullptr;
    const auto field = m_fields.find(combo.value());
    return field == m_fields.end() ? nullptr : &field.value();
}

void LookupCompletion::textChanged(Field& field)
{
    if (!CompleteBusy && field.combo->currentText() != field.combo->itemText(field.combo->currentIndex()))
        unselectKeepingText(field.combo);
    ComboAutoComplete(field.combo);
    if (field.markEdited)
        field.markEdited();
}

bool LookupCompletion::eventFilter(QObject* watched, QEvent* event)
{
    Field* field = fieldOf(watched);
    // A combo being destroyed is only a QWidget any more (it may still lose
    // the focus on its way out): nothing of the field may be touched then.
    if (!field || !qobject_cast<QComboBox*>(field->combo))
        return QObject::eventFilter(watched, event);
    QComboBox* combo = field->combo;

    if (watched == combo->view()) {
        // Keys in the open list belong to the list; Enter picks the entry
        // and ends a run of Down arrows like an Enter in the field.
        if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent*>(event)->key())) {
            DropDownShown = false;
            CompleteAllowed = true;
        }
        return false;
    }

    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        return handleKeyPress(combo, key->key(), key->text());
    }
    case QEvent::InputMethod: {
        // Characters composed by an input method (accents, other scripts)
        // arrive without key events; each commit counts as typed text.
        const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
        if (!committed.isEmpty()) {
            ComboKeyDown(Qt::Key_unknown, combo);
            TypedLength = typedLength(combo->currentText().size() + committed.size());
        }
        return false;
    }
    case QEvent::FocusIn:
        // The line edit takes its own focus handling first (it selects or
        // places the caret), then the field's rule applies.
        if (watched == combo && entersOrLeavesField(event)) {
            static_cast<QObject*>(combo)->event(event);
            handleFocusIn(combo);
            return true;
        }
        return false;
    case QEvent::FocusOut:
        // The focus also moves away into the field's own list when it opens.
        if (watched == combo && entersOrLeavesField(event) && !combo->view()->isVisible()) {
            static_cast<QObject*>(combo)->event(event);
            handleFocusOut(*field);
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool LookupCompletion::handleKeyPress(QComboBox* combo, int key, const QString& text)
{
    ComboKeyDown(key, combo);
    if (key == Qt::Key_Down)
        return true;
    if (!text.isEmpty())
        ComboKeyPress(text.front(), combo);
    // The combo now inserts the character or deletes, and the change of the
    // text completes: the order of key down, key press and change.
    return false;
}

void LookupCompletion::handleFocusIn(QComboBox* combo)
{
    ComboSelectAll(combo);
}

void LookupCompletion::handleFocusOut(Field& field)
{
    if (!field.rewritesAuthorName)
        return;
    QComboBox* combo = field.combo;
    const QString text = combo->currentText();
    const QString rewritten = RewriteAuthorName(text);
    if (rewritten == text)
        return;
    // The rewritten name is no typing: it is not completed to a longer entry
    // ("Jo Smith" must not become "Smith, John"), and takes an entry's
    // spelling only when it names that entry in full.
    CompleteBusy = true;
    if (const int entry = ComboFindWhole(rewritten, combo); entry >= 0) {
        combo->setCurrentIndex(entry);
        combo->setEditText(combo->itemText(entry));
    } else
        combo->setEditText(rewritten);
    CompleteBusy = false;
}

int LookupCompletion::ComboFindWhole(const QString& text, QComboBox* combo)
{
    const QStringList& texts = entries(combo).texts;
    for (int row = 0; row < texts.size(); ++row)
        if (compareNoCase(text, texts[row]) == 0)
            return row;
    return -1;
}
