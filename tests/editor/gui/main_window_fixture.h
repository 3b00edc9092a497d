#pragma once

// The main window shown and active on a catalogue of its own, for tests that
// type, move the focus and press the command buttons.

#include "catalogue/catalogue_state.h"
#include "editor/gui/frm_main.h"
#include "support/catalogue_folder.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <memory>

namespace mainwin_test {

using namespace Qt::StringLiterals;

using catalogue_test::CatalogueFolder;

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
    QStringList takeMessages() { return m_dialogs->takeMessages(); }

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
