#pragma once

#include "maintenance/backup_destinations.h"
#include "ui_frm_backup.h"

#include <QDialog>
#include <QList>
#include <QString>

// "Backup the Quillary Database": the user picks where the closed catalogue
// is copied to (see maintenance/backup.h); Ok copies it and closes the
// window, Cancel closes it without copying.
class frmBackup : public QDialog, public Ui::frmBackup
{
    Q_OBJECT

public:
    // Offers the media mounted now, the home folder and a folder to choose.
    explicit frmBackup(const QString& cataloguePath, QWidget* parent = nullptr);
    frmBackup(const QString& cataloguePath, const QList<BackupDestination>& destinations,
              QWidget* parent = nullptr);

    static const QString FailureMessage;

public slots:
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    void Form_Load(const QList<BackupDestination>& destinations);
    void Drive1_Activated(int index);
    // The folder of the entry chosen; asks for one on "Other folder...".
    // Empty when the user cancels the folder chooser.
    QString chosenFolder();
    int otherFolderRow() const;

    QString m_cataloguePath;
    int m_lastFolderRow = 0;
};
