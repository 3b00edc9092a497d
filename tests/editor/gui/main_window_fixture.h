#pragma once

// The main window shown and active on a catalogue of its own, for tests that
// type, move the focus and press the command buttons.

#include "catalogue/catalogue_state.h"
#include "catalogue/schema.h"
#include "database/database.h"
#include "editor/gui/frm_main.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantMap>
#include <memory>

namespace mainwin_test {

using namespace Qt::StringLiterals;

// A value as a literal of the catalogue's SQL dialect.
inline QString sqlLiteral(const QVariant& value)
{
    if (value.isNull())
        return u"Null"_s;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? u"true"_s : u"false"_s;
    case QMetaType::Int:
    case QMetaType::Double:
        return value.toString();
    case QMetaType::QDate:
        return u"#"_s + value.toDate().toString(u"M/d/yyyy"_s) + u"#"_s;
    default:
        return u"'"_s + value.toString().replace(u"'"_s, u"''"_s) + u"'"_s;
    }
}

// A temporary folder with a catalogue. Rows are written with the catalogue
// closed again afterwards, so that the window can open it exclusively.
class CatalogueFolder
{
public:
    CatalogueFolder() { createCatalogue(cataloguePath()); }
    QString path() const { return m_dir.path(); }
    QString cataloguePath() const { return QDir(m_dir.path()).filePath(u"Quillary.mdb"_s); }

    void execute(const QString& sql) const
    {
        auto db = Database::open(cataloguePath(), Database::OpenMode::Exclusive);
        db->execute(sql);
        db->close();
    }

    void addAuthor(qlonglong id, const QString& lastName, const QVariant& firstName) const
    {
        execute(u"insert into Authors (AuthID, LastName, FirstName) values (%1, %2, %3)"_s.arg(id).arg(
            sqlLiteral(lastName), sqlLiteral(firstName)));
    }

    // columns names the key and name columns, as "PubID, PubName".
    void addLookup(const QString& table, const QString& columns, qlonglong id, const QString& name) const
    {
        execute(u"insert into %1 (%2) values (%3, %4)"_s.arg(table, columns).arg(id).arg(sqlLiteral(name)));
    }

    // A book with the given title; every lookup -1, every flag false, every
    // other column Null, unless columns says otherwise. SortTitle defaults to
    // the title in upper case.
    void addBook(const QString& title, const QVariantMap& columns = {}) const
    {
        QVariantMap row{{u"Title"_s, title}, {u"SortTitle"_s, title.toUpper()}};
        for (const char* key : {"AuthID", "PubID", "CatID", "OwnerID", "LocID", "ForID", "SerID"})
            row.insert(QLatin1String(key), -1);
        for (const char* flag : {"Fiction", "New", "Paperback", "Read", "OnLoan"})
            row.insert(QLatin1String(flag), false);
        row.insert(columns);
        QStringList values;
        for (const QVariant& value : row)
            values << sqlLiteral(value);
        execute(u"insert into Books (%1) values (%2)"_s.arg(row.keys().join(u", "_s), values.join(u", "_s)));
    }

    // Five books, nonfiction and used. Title order: Apple Pie, Banana, The Cat,
    // Moon, Zoo Life. Author order: Moon (none), Banana, Zoo Life (Adams),
    // Apple Pie, The Cat (Smith). Category order: Moon (none), The Cat
    // (Animals), Apple Pie, Banana (Cooking), Zoo Life (Travel).
    void addCollection() const
    {
        addAuthor(1, u"Smith"_s, u"John"_s);
        addAuthor(2, u"Adams"_s, u"Ann"_s);
        addLookup(u"Categories"_s, u"CatID, CatName"_s, 1, u"Travel"_s);
        addLookup(u"Categories"_s, u"CatID, CatName"_s, 2, u"Cooking"_s);
        addLookup(u"Categories"_s, u"CatID, CatName"_s, 3, u"Animals"_s);
        addBook(u"Zoo Life"_s, {{u"AuthID"_s, 2}, {u"CatID"_s, 1}});
        addBook(u"Apple Pie"_s, {{u"AuthID"_s, 1}, {u"CatID"_s, 2}});
        addBook(u"Moon"_s);
        addBook(u"Banana"_s, {{u"AuthID"_s, 2}, {u"CatID"_s, 2}});
        addBook(u"The Cat"_s, {{u"SortTitle"_s, u"CAT"_s}, {u"AuthID"_s, 1}, {u"CatID"_s, 3}});
    }

private:
    QTemporaryDir m_dir;
};

inline QStringList entries(const QComboBox* combo)
{
    QStringList texts;
    for (int row = 0; row < combo->count(); ++row)
        texts << combo->itemText(row);
    return texts;
}

// What a field shows; empty for a button.
inline QString textOf(QWidget* field)
{
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(field))
        return combo->currentText();
    if (auto* date = qobject_cast<DateField*>(field))
        return date->text();
    if (auto* notes = qobject_cast<QPlainTextEdit*>(field))
        return notes->toPlainText();
    return {};
}

inline bool shown(const QWidget* widget)
{
    return !widget->isHidden();
}

// Browse state: the browse set and Add shown, Cancel and Update hidden; the
// edit state the other way round.
inline bool buttonsShown(const frmMain& w, bool browsing)
{
    for (const QPushButton* button :
         {w.cmdFirst, w.cmdPrevious, w.cmdNext, w.cmdLast, w.cmdFind, w.cmdDelete, w.cmdHelp, w.cmdAdd})
        if (shown(button) != browsing)
            return false;
    return shown(w.cmdCancel) != browsing && shown(w.cmdUpdate) != browsing;
}
inline bool browseButtonsShown(const frmMain& w)
{
    return buttonsShown(w, true);
}
inline bool editButtonsShown(const frmMain& w)
{
    return buttonsShown(w, false);
}

// Each test gets its own folder, dialogs and window.
class MainWindowFixture
{
public:
    ScriptedDialogs& dialogs() { return *m_dialogs; }
    CatalogueFolder& folder() { return *m_folder; }
    frmMain& window() { return *m_window; }

    void setUp()
    {
        m_dialogs = std::make_unique<ScopedScriptedDialogs>();
        m_folder = std::make_unique<CatalogueFolder>();
    }

    // Start-up on the folder (its path given with suffix), the window active
    // so that it takes the focus and keys.
    bool openWindow(const QString& suffix = {})
    {
        m_window = std::make_unique<frmMain>(m_folder->path() + suffix);
        m_window->Form_Load();
        m_window->show();
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }

    void closeWindow() { m_window.reset(); }

    void tearDown()
    {
        m_window.reset();
        m_folder.reset();
        m_dialogs.reset();
    }

    // Tears down; a message no test looked at or an answer never asked for
    // fails the test.
    void tearDownChecked()
    {
        const QStringList messages = takeMessages();
        const auto unusedAnswers = m_dialogs->unusedAnswers();
        tearDown();
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u"; "_s)));
        QCOMPARE(unusedAnswers, 0);
    }

    // Messages shown since the last call, as "title: text".
    QStringList takeMessages()
    {
        QStringList texts;
        for (const ScriptedDialogs::Shown& message : m_dialogs->messages())
            texts << message.title + u": "_s + message.text;
        m_dialogs->clear();
        return texts;
    }

    // Rows of a native query on the window's own connection: values joined
    // by '|', "<null>" for Null.
    static QStringList rows(const QByteArray& sql) { return nativeRows(*catalogueState().dbCatalogue, sql); }

    static QWidget* focused() { return QApplication::focusWidget(); }

    // The user moves into a field (as with the mouse), selects what it holds
    // and types over it.
    static void typeInto(QWidget* field, const QString& text)
    {
        field->setFocus(Qt::MouseFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();
        QTest::keyClicks(field, text);
    }

    // The user leaves the field with Tab for target.
    static void tabTo(QWidget* target) { target->setFocus(Qt::TabFocusReason); }

    // The titles in the window's current order, paged with First and Next
    // until Next beeps at the end.
    QStringList titlesInOrder()
    {
        QStringList titles;
        m_window->cmdFirst->click();
        const int beepsBefore = m_dialogs->beepCount();
        for (int guard = 0; guard < 100 && m_dialogs->beepCount() == beepsBefore; ++guard) {
            titles << m_window->txtTitle->text();
            m_window->cmdNext->click();
        }
        return titles;
    }

    void showTitle(const QString& title)
    {
        m_window->cmdFirst->click();
        for (int guard = 0; guard < 10 && m_window->txtTitle->text() != title; ++guard)
            m_window->cmdNext->click();
        QCOMPARE(m_window->txtTitle->text(), title);
    }

private:
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<CatalogueFolder> m_folder;
    std::unique_ptr<frmMain> m_window;
};

} // namespace mainwin_test
