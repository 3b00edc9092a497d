// The main window's commands that look after the catalogue as a whole, and
// its help and about commands.
#include "editor/gui/frm_main.h"

#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "common/desktop_opener.h"
#include "common/gui/modal_runner.h"
#include "common/user_dialogs.h"
#include "maintenance/compaction.h"
#include "maintenance/gui/frm_about.h"
#include "maintenance/gui/frm_backup.h"
#include "maintenance/help_page.h"
#include "maintenance/interrupted_compaction.h"
#include "maintenance/maintenance_files.h"
#include "maintenance/unused_entries.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace {

const QString CompactTitle = u"Compact Database"_s;

} // namespace

void frmMain::connectMaintenanceCommands()
{
    connect(mnuBackup, &QAction::triggered, this, &frmMain::mnuBackup_Click);
    connect(mnuPack, &QAction::triggered, this, &frmMain::mnuPack_Click);
    for (int index = 1; index <= 7; ++index)
        connect(mnuDelUnused[index], &QAction::triggered, this, [this, index] { mnuDelUnused_Click(index); });
    for (int index = 1; index <= 3; ++index)
        connect(mnuHelp[index], &QAction::triggered, this, [this, index] { mnuHelp_Click(index); });
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

void frmMain::enableMaintenanceCommands(bool enabled)
{
    for (QAction* action : {mnuBackup, mnuDelete->menuAction(), mnuPack})
        action->setEnabled(enabled);
}

// What a packing that was stopped left behind: the catalogue set aside is
// offered back, and a copy beside a sound catalogue is removed.
void frmMain::offerSetAsideCatalogue()
{
    const QString path = QDir(m_dataFolder).filePath(CatalogueFileName);
    if (catalogueSetAside(path) &&
        userDialogs().question(restoreSetAsideQuestion(path), ProgramTitle) == UserDialogs::Answer::Yes) {
        if (const QString failure = restoreSetAsideCatalogue(path); !failure.isEmpty())
            userDialogs().message(
                u"The catalogue could not be taken back from '%1': %2"_s.arg(SetAsideFileName, failure));
    }
    removeLeftCompactedCopy(path);
}

void frmMain::mnuBackup_Click()
{
    const QString catalogue = catalogueState().CataloguePath;
    restartOnCatalogue([this, &catalogue] {
        frmBackup backup(catalogue, this);
        modalRunner().exec(backup);
    });
}

void frmMain::mnuPack_Click()
{
    if (userDialogs().question(u"Do you wish to compact the Quillary database?"_s, CompactTitle) !=
        UserDialogs::Answer::Yes)
        return;
    const QString catalogue = catalogueState().CataloguePath;
    restartOnCatalogue([&catalogue] {
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

void frmMain::mnuDelUnused_Click(int index)
{
    if (index < 1 || index > int(LookupOpenOrder.size()) || !m_session.isOpen())
        return;
    const LookupField field = LookupOpenOrder[std::size_t(index - 1)];
    int removed = 0;
    writeWithRetry([this, field, &removed] { removed = deleteUnusedEntries(m_session.database(), field); });
    if (removed < 1)
        return;
    runStep([this, field] { fillLookupList(field); });
    if (bookCount() > 0)
        runStep([this] { ShowRecord(); });
}

// Every help item opens the one help page; a missing page or browser is the
// desktop's to report.
void frmMain::mnuHelp_Click(int)
{
    desktopOpener().open(helpPageUrl());
}

void frmMain::cmdHelp_Click()
{
    desktopOpener().open(helpPageUrl());
}

void frmMain::mnuAbout_Click()
{
    frmAbout about(this);
    modalRunner().exec(about);
}
