#pragma once

#include "ui_frm_find.h"

#include <QDialog>
#include <array>
#include <memory>
#include <optional>

class Database;
class Recordset;
struct FieldSpecRow;

// "Find a Book": the user picks a field of the field catalogue, an operator
// or value suited to it and a direction; Find moves the borrowed books
// recordset to the book found. The window hides after a search or Close and
// keeps its choices for the next showing; its close box asks its owner to
// unload it (unloadRequested()), so that the next showing starts afresh.
//
// Answer channel: sharedState().DialogCancelled stays raised when no search
// ran; otherwise the books recordset's noMatch() tells whether a book was
// found and its current row is that book.
class frmFind : public QDialog, public Ui::frmFind
{
    Q_OBJECT

public:
    // catalogue: the open catalogue the lookup value lists are read from;
    // books: rsBooks, which the search moves. Both are borrowed.
    frmFind(Database& catalogue, Recordset& books, QWidget* parent = nullptr);
    ~frmFind() override;

    // Opens the field catalogue and fills the lists. False, after the error
    // has been reported, when the field catalogue cannot be read.
    bool Form_Load();

    // The catalogue and books recordset for the next showing (rsBooks is
    // reopened whenever the books are sorted or stored).
    void useBooks(Database& catalogue, Recordset& books);

    // The user closed the window with its close box: it is to be unloaded.
    bool unloadRequested() const { return m_unloadRequested; }

    // optWhere[1] to optWhere[4]: FindFirst, Find Previous, Find Next, Find
    // Last (element 0 unused).
    std::array<QRadioButton*, 5> optWhere{};

public slots:
    void lstField_Click();
    void txtToFind_Change();
    void lstBool_Click();
    void cmdFind_Click();
    void cmdCancel_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape hides the window like Close.
    void reject() override;

private:
    void fillFieldList();
    void fillOperatorLists();
    std::optional<FieldSpecRow> chosenField();
    void arrangeControls(const FieldSpecRow& field);
    void refillLookupValues(const FieldSpecRow& field);
    std::optional<QString> criterionFor(const FieldSpecRow& field);
    bool search(const QString& criterion);
    void moveBooksToFirst();

    Database* m_catalogue;
    Recordset* m_books;
    std::unique_ptr<Database> m_fieldCatalogue;
    std::unique_ptr<Recordset> m_fields;
    bool m_unloadRequested = false;
};
