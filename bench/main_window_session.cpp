#include "main_window_session.h"

#include "editor/gui/frm_main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <stdexcept>

using namespace Qt::StringLiterals;

frmMain& MainWindowSession::window(const BenchCatalogue& catalogue)
{
    if (!m_window || m_source != catalogue.path)
        startWindow(catalogue);
    return *m_window;
}

void MainWindowSession::startWindow(const BenchCatalogue& catalogue, bool afterChange)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw std::runtime_error("the main window needs a QApplication");
    retireWindow();
    if (m_source != catalogue.path)
        copyCatalogue(catalogue.path);
    if (afterChange)
        QFile::remove(QDir(m_copy->path()).filePath(u"Quillary.mdb-closed"_s));
    m_window = std::make_unique<frmMain>(m_copy->path());
    m_window->Form_Load();
    if (m_window->bookCount() == 0)
        throw std::runtime_error("the main window shows no books");
    m_window->show();
    QCoreApplication::processEvents();
}

void MainWindowSession::copyCatalogue(const QString& source)
{
    m_copy = std::make_unique<QTemporaryDir>();
    if (!m_copy->isValid() || !QFile::copy(source, QDir(m_copy->path()).filePath(u"Quillary.mdb"_s)))
        throw std::runtime_error("cannot copy the catalogue for the main window");
    m_source = source;
}

void MainWindowSession::retireWindow()
{
    if (!m_window)
        return;
    m_window->close();
    m_retired.push_back(std::move(m_window));
}
