#pragma once

#include "catalogue/lookup_tables.h"

#include <QObject>
#include <array>
#include <functional>

class BookSession;
class QAbstractButton;
class QAction;
class QWidget;

// What the main window's commands for the catalogue as a whole do (backup,
// packing, removal of unused entries), and its help and about commands.
// Backup and packing close the catalogue and have it started anew through
// restart; a list that lost entries is told with lookupListChanged.
class MaintenanceMenu : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        QAction* backup = nullptr;
        QAction* pack = nullptr;
        QAction* deleteUnusedMenu = nullptr;    // the submenu's own action
        std::array<QAction*, 7> deleteUnused{}; // in LookupOpenOrder
        std::array<QAction*, 3> help{};
        QAbstractButton* helpButton = nullptr;
        QAction* about = nullptr;
    };
    // Closes the catalogue, runs whileClosed with the file free, and opens
    // the catalogue again on the window.
    using Restart = std::function<void(const std::function<void()>& whileClosed)>;

    MaintenanceMenu(QWidget* window, const Actions& actions, BookSession& session, Restart restart);

    // Backup, packing and removal need an open catalogue and no book being
    // typed.
    void setAvailable(bool available);

    void backUp();
    void pack();
    void deleteUnused(int index); // 1 to 7, as on the menu
    void showHelp();
    void showAbout();

signals:
    void lookupListChanged(LookupField field);

private:
    QWidget* m_window;
    Actions m_actions;
    BookSession& m_session;
    Restart m_restart;
};
