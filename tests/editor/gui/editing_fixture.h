#pragma once

// The main window shown and active on a test catalogue, for tests that type,
// move the focus and press the command buttons.

#include "editor/gui/main_window_fixture.h"

#include "catalogue/catalogue_state.h"
#include "support/locale_guard.h"
#include "support/temporary_catalogue.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace mainwin_test {

// Each test gets its own folder, dialogs and window; the fixture fails the
// test when a message was shown that the test did not take.
class EditingFixture
{
public:
    ScriptedDialogs& dialogs() { return *m_dialogs; }
    CatalogueFolder& folder() { return *m_folder; }
    frmMain& window() { return *m_window; }

    void setUp()
    {
        m_dialogs = std::make_unique<ScopedScriptedDialogs>();
        m_folder = std::make_unique<CatalogueFolder>();
        m_folder->create();
    }

    // Start-up on the folder as it is now, the window shown and active so
    // that it takes the focus and keys.
    bool openWindow()
    {
        m_window = loadWindow(m_folder->path());
        m_window->show();
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }

    void tearDown()
    {
        m_window.reset();
        m_folder.reset();
        m_dialogs.reset();
    }

    // Messages shown since the last call, as "title: text".
    QStringList takeMessages()
    {
        QStringList shown;
        for (const ScriptedDialogs::Shown& message : m_dialogs->messages())
            shown << message.title + u": "_s + message.text;
        m_dialogs->clear();
        return shown;
    }

    // Rows of a native query on the window's own connection (the catalogue is
    // open exclusively): values joined by '|', "<null>" for Null.
    static QStringList rows(const QByteArray& sql)
    {
        return nativeRows(*catalogueState().dbCatalogue, sql);
    }

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

private:
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<CatalogueFolder> m_folder;
    std::unique_ptr<frmMain> m_window;
};

} // namespace mainwin_test
