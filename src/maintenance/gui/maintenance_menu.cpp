#include "maintenance/gui/maintenance_menu.h"

#include "catalogue/book_session.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "common/desktop_opener.h"
#include "common/gui/modal_runner.h"
#include "common/user_dialogs.h"
#include "maintenance/compaction.h"
#include "maintenance/gui/frm_about.h"
#include "maintenance/gui/frm_backup.h"
#include "maintenance/help_page.h"
#include "maintenance/unused_entries.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace {

const QString CompactTitle = u"Compact Database"_s;

} // namespace

MaintenanceMenu::MaintenanceMenu(QWidget* window, const Actions& actions, BookSession& session,
                                 Restart restart)
    : QObject(window), m_window(window), m_actions(actions), m_session(session), m_restart(std::move(restart))
{
    connect(actions.backup, &QAction::triggered, this, &MaintenanceMenu::backUp);
    connect(actions.pack, &QAction::triggered, this, &MaintenanceMenu::pack);
    for (int index = 1; index <= int(actions.deleteUnused.size()); ++index)
        connect(actions.deleteUnused[std::size_t(index) - 1], &QAction::triggered, this,
                [this, index] { deleteUnused(index); });
    for (QAction* help : actions.help)
        connect(help, &QAction::triggered, this, &MaintenanceMenu::showHelp);
    connect(actions.helpButton, &QAbstractButton::clicked, this, &MaintenanceMenu::showHelp);
    connect(actions.about, &QAction::triggered, this, &MaintenanceMenu::showAbout);
}

void MaintenanceMenu::setAvailable(bool available)
{
    for (QAction* action : {m_actions.backup, m_actions.deleteUnusedMenu, m_actions.pack})
        action->setEnabled(available);
}

void MaintenanceMenu::backUp()
{
    const QString catalogue = catalogueState().CataloguePath;
    m_restart([this, &catalogue] {
        frmBackup backup(catalogue, m_window);
        modalRunner().exec(backup);
    });
}

void MaintenanceMenu::pack()
{
    if (userDialogs().question(u"Do you wish to compact the Quillary database?"_s, CompactTitle) !=
        UserDialogs::Answer::Yes)
        return;
    const QString catalogue = catalogueState().CataloguePath;
    m_restart([&catalogue] {
        CompactionResult result;
        {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const auto normalCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
            result = compactCatalogue(catalogue);
        }
        // Told before the start-up, which may go on to offer the catalogue
        // set aside.
        if (!result.message.isEmpty())
            userDialogs().message(result.message, CompactTitle);
    });
}

void MaintenanceMenu::deleteUnused(int index)
{
    if (index < 1 || index > int(LookupOpenOrder.size()) || !m_session.isOpen())
        return;
    const LookupField field = LookupOpenOrder[std::size_t(index - 1)];
    int removed = 0;
    writeWithRetry([this, field, &removed] { removed = deleteUnusedEntries(m_session.database(), field); });
    if (removed > 0)
        emit lookupListChanged(field);
}

// Every help item opens the one help page; a missing page or browser is the
// desktop's to report.
void MaintenanceMenu::showHelp()
{
    desktopOpener().open(helpPageUrl());
}

void MaintenanceMenu::showAbout()
{
    frmAbout about(m_window);
    modalRunner().exec(about);
}
