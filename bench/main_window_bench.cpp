// The main window on a large catalogue: start-up to the first book on screen,
// paging and each change of sort order, each including the repaint.
//
// The window opens its catalogue exclusively, while the benchmark keeps its
// own connection to the generated file; so the window works on a copy, made
// during the untimed warm-up run.
#include "bench_registry.h"

#include "editor/gui/frm_main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

class MainWindowSession
{
public:
    // The window most recently started on catalogue's copy.
    frmMain& window(BenchCatalogue& catalogue)
    {
        if (!m_window || m_source != catalogue.path)
            startWindow(catalogue);
        return *m_window;
    }

    void startWindow(BenchCatalogue& catalogue)
    {
        retireWindow();
        if (m_source != catalogue.path)
            copyCatalogue(catalogue.path);
        m_window = std::make_unique<frmMain>(m_copy->path());
        m_window->Form_Load();
        if (m_window->bookCount() == 0)
            throw std::runtime_error("the main window shows no books");
        m_window->show();
        QCoreApplication::processEvents();
    }

private:
    void copyCatalogue(const QString& source)
    {
        retireWindow();
        m_copy = std::make_unique<QTemporaryDir>();
        if (!m_copy->isValid() || !QFile::copy(source, QDir(m_copy->path()).filePath(u"Quillary.mdb"_s)))
            throw std::runtime_error("cannot copy the catalogue for the main window");
        m_source = source;
    }

    // Closing the window releases its catalogue at once (so the next start-up
    // can open it); the widgets themselves are freed at the end, outside the
    // measurements.
    void retireWindow()
    {
        if (!m_window)
            return;
        m_window->close();
        m_retired.push_back(std::move(m_window));
    }

    QString m_source;
    std::unique_ptr<QTemporaryDir> m_copy;
    std::unique_ptr<frmMain> m_window;
    std::vector<std::unique_ptr<frmMain>> m_retired;
};

// Lives until the end of the process; its windows go with the process rather
// than after QApplication is gone.
MainWindowSession& session()
{
    static auto* instance = new MainWindowSession;
    return *instance;
}

void requireWidgets()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw std::runtime_error("the main window needs a QApplication");
}

void startUp(BenchCatalogue& catalogue)
{
    requireWidgets();
    session().startWindow(catalogue);
}

void next(BenchCatalogue& catalogue)
{
    frmMain& w = session().window(catalogue);
    w.cmdNext_Click();
    QCoreApplication::processEvents();
}

void last(BenchCatalogue& catalogue)
{
    frmMain& w = session().window(catalogue);
    w.cmdLast_Click();
    QCoreApplication::processEvents();
}

std::function<void(BenchCatalogue&)> sortBy(int index)
{
    return [index](BenchCatalogue& catalogue) {
        frmMain& w = session().window(catalogue);
        w.mnuSort_Click(index);
        QCoreApplication::processEvents();
    };
}

const BenchRegistration registration{
    {u"main window: start-up to first book"_s, startUp, {}, false},
    {u"main window: Next"_s, next, {}, false},
    {u"main window: Last"_s, last, {}, false},
    {u"main window: sort by author"_s, sortBy(2), {}, false},
    {u"main window: sort by category"_s, sortBy(3), {}, false},
    {u"main window: sort by title"_s, sortBy(1), {}, false},
};

} // namespace
