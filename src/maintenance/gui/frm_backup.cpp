#include "maintenance/gui/frm_backup.h"

#include "common/user_dialogs.h"
#include "maintenance/backup.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

const QString frmBackup::FailureMessage =
    u"Backup could not be Performed.  Make sure a formatted disk is in the selected drive."_s;

namespace {

constexpr int FolderRole = Qt::UserRole;

} // namespace

frmBackup::frmBackup(const QString& cataloguePath, QWidget* parent)
    : frmBackup(cataloguePath, currentBackupDestinations(), parent)
{
}

frmBackup::frmBackup(const QString& cataloguePath, const QList<BackupDestination>& destinations,
                     QWidget* parent)
    : QDialog(parent), m_cataloguePath(cataloguePath)
{
    setupUi(this);
    connect(cmdOk, &QPushButton::clicked, this, &frmBackup::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmBackup::cmdCancel_Click);
    connect(Drive1, &QComboBox::activated, this, &frmBackup::Drive1_Activated);
    Form_Load(destinations);
}

// The list starts on its first entry: a medium when one is mounted,
// otherwise the home folder.
void frmBackup::Form_Load(const QList<BackupDestination>& destinations)
{
    for (const BackupDestination& destination : destinations)
        Drive1->addItem(destination.label, destination.folder);
    Drive1->setCurrentIndex(0);
    m_lastFolderRow = 0;
}

int frmBackup::otherFolderRow() const
{
    return Drive1->findText(OtherFolderLabel);
}

void frmBackup::Drive1_Activated(int index)
{
    if (index == otherFolderRow())
        chosenFolder();
    else
        m_lastFolderRow = index;
}

QString frmBackup::chosenFolder()
{
    const QString listed = Drive1->currentData(FolderRole).toString();
    if (!listed.isEmpty())
        return listed;
    const QString chosen = userDialogs().directory(u"Folder for the Backup"_s, QDir::homePath());
    if (chosen.isEmpty()) {
        Drive1->setCurrentIndex(m_lastFolderRow);
        return {};
    }
    // The chosen folder joins the list, just above "Other folder...".
    int row = Drive1->findData(chosen, FolderRole);
    if (row < 0) {
        row = otherFolderRow();
        Drive1->insertItem(row, QDir::toNativeSeparators(chosen), chosen);
    }
    Drive1->setCurrentIndex(row);
    m_lastFolderRow = row;
    return chosen;
}

void frmBackup::cmdOk_Click()
{
    const QString folder = chosenFolder();
    if (folder.isEmpty())
        return; // the folder chooser was cancelled: the user picks again
    QString failure;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto normalCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        failure = backupCatalogue(m_cataloguePath, folder);
    }
    // The fixed advice first, then the true cause (a full medium, a folder
    // gone, a failing disk).
    if (!failure.isEmpty())
        userDialogs().message(FailureMessage + u"\n\n"_s + failure);
    accept();
}

void frmBackup::cmdCancel_Click()
{
    reject();
}
