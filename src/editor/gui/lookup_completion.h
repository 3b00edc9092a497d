#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class QAbstractItemModel;
class QComboBox;
class QVariant;

// Typing in a lookup field (author, publisher, category, owner, location,
// format, series) completes the text from the field's sorted list: the entry
// that starts with what was typed is shown in full, its completed part
// highlighted, so the next typed character replaces it.
//
// One set of state serves all seven fields, as only one of them can have the
// focus. Each field is an editable QComboBox whose item texts are the entries,
// sorted without regard to case; its current index is the list selection.
class LookupCompletion : public QObject
{
    Q_OBJECT

public:
    explicit LookupCompletion(QObject* parent = nullptr);

    // The number of leading characters the user typed; the rest is completed.
    qint16 TypedLength = 0;
    // The last key pressed in a lookup field was not Backspace, Delete or
    // Clear: completion only runs while it is true.
    bool CompleteAllowed = false;
    // The completion itself is changing the field.
    bool CompleteBusy = false;
    // A Down arrow has opened a list since the last Enter in a lookup field.
    bool DropDownShown = false;

    // Wires an editable combo box: getting the focus selects its text, key
    // presses update the state above, every change of the text completes and
    // then calls markEdited, and an entry picked from the list calls
    // markEdited. Switches off the combo's own completer and its insertion of
    // typed texts: new values are added when the book is saved.
    void attach(QComboBox* combo, std::function<void()> markEdited);
    // The author field: leaving it turns "John Ronald Smith" into
    // "Smith, John Ronald". The combo must be attached.
    void rewriteAuthorNameOnLeaving(QComboBox* combo);

    // Runs change, in which the program sets the fields' texts (a book shown,
    // the fields emptied): a text the program sets is shown as set, neither
    // completed nor partly selected, whatever was typed before.
    void setByProgram(const std::function<void()>& change);

    // Getting the focus: all of the text selected, nothing counted as typed.
    void ComboSelectAll(QComboBox* combo);
    // Before a key takes effect (key is a Qt::Key). The Down arrow opens the
    // list and takes its own step down the list here, the first one after an
    // Enter to the first entry; the caller must not pass it on to the combo.
    void ComboKeyDown(int key, QComboBox* combo);
    // Before a typed character is inserted.
    void ComboKeyPress(QChar character, QComboBox* combo);
    // After every change of the text, typed or set by the program.
    void ComboAutoComplete(QComboBox* combo);
    // The entry whose first characters equal text without regard to case,
    // accents counted, or -1. The search starts at the current entry and goes
    // forward through the sorted list, so among several matches the current
    // entry wins, and otherwise the first one in the list.
    int ComboFindPrefix(const QString& text, QComboBox* combo);
    // The entry equal to text without regard to case, or -1.
    int ComboFindWhole(const QString& text, QComboBox* combo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The entries of a combo as last read, so that a keystroke costs a binary
    // search instead of a pass over 20,000 authors.
    struct EntryCache
    {
        QPointer<QAbstractItemModel> model;
        int column = -1;
        QStringList texts;
        bool sorted = false; // in ascending order without regard to case
        bool stale = true;
    };

    struct Field
    {
        QComboBox* combo = nullptr;
        std::function<void()> markEdited;
        bool rewritesAuthorName = false;
    };

    const EntryCache& entries(QComboBox* combo);
    void watchModel(QComboBox* combo, EntryCache& cache);
    Field* fieldOf(QObject* watched);

    void textChanged(Field& field);
    bool handleKeyPress(QComboBox* combo, int key, const QString& text);
    void handleFocusIn(QComboBox* combo);
    void handleFocusOut(Field& field);

    bool m_programSets = false; // inside setByProgram
    QHash<QComboBox*, EntryCache> m_entries;
    QHash<QObject*, QComboBox*> m_watched; // combo, line edit and list view -> combo
    QHash<QComboBox*, Field> m_fields;
};
