// The main window's Find: the search window over the books on screen, the
// book found shown, and the book from before kept when nothing was found or
// no search ran.

#include "editor/gui/main_window_fixture.h"

#include "custom_reports/field_catalogue.h"
#include "custom_reports/field_catalogue_source.h"
#include "search/gui/find_fixture.h"
#include "search/gui/frm_find.h"
#include "support/scripted_modals.h"

using namespace mainwin_test;
using findtest::clickEntry;
using namespace Qt::StringLiterals;

namespace {

// Works one showing of the search window through actions separated by
// blanks: field:<name>, entry:<operator or value>, type:<text>,
// where:<1-4>, find, close (the Close button), escape, box (the close box) and
// value:<text> (the value box must hold it). What went wrong is added to
// problems.
void act(frmFind& window, const QString& actions, QStringList& problems)
{
    for (const QString& action : actions.split(u' ', Qt::SkipEmptyParts)) {
        const QString verb = action.section(u':', 0, 0);
        const QString what = action.section(u':', 1);
        bool done = true;
        if (verb == u"field"_s)
            done = clickEntry(window.lstField, what);
        else if (verb == u"entry"_s)
            done = clickEntry(window.lstText->isVisible() ? window.lstText : window.lstNum, what);
        else if (verb == u"type"_s)
            QTest::keyClicks(window.txtToFind, what);
        else if (verb == u"where"_s)
            window.optWhere[size_t(what.toInt())]->click();
        else if (verb == u"find"_s)
            window.cmdFind->click();
        else if (verb == u"close"_s)
            window.cmdCancel->click();
        else if (verb == u"escape"_s)
            QTest::keyClick(window.txtToFind, Qt::Key_Escape);
        else if (verb == u"box"_s)
            window.close();
        else if (verb == u"value"_s)
            done = window.txtToFind->text() == what;
        if (!done)
            problems << action;
    }
    if (window.isVisible())
        problems << u"left open"_s;
}

} // namespace

class TestFrmMainFind : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { f.tearDown(); }
    void find_data();
    void find();

private:
    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestFrmMainFind::init()
{
    f.setUp();
    const QString source = QStringLiteral(QUILLARY_SOURCE_DIR "/data/rptspec.csv");
    writeFieldCatalogue(readFieldCatalogueSource(source).rows,
                        f.folder().path() + u"/"_s + FieldCatalogueFileName);
}

// Title order: Apple Pie, Banana, The Cat, Moon, Zoo Life. start: the book on
// screen when Find is pressed; showings: the actions of each showing of the
// search window, one Find per showing; shown: the book on screen afterwards,
// next: the one Next shows after it; loaded: the search window still loaded.
void TestFrmMainFind::find_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("showings");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("loaded");
    const QString notFound = u"No Records Match: That book was not found."_s;
    QTest::newRow("found") << u"Moon"_s << QStringList{u"field:Title entry:Contains type:an find"_s}
                           << u"Banana"_s << u"The Cat"_s << QStringList() << true;
    QTest::newRow("Find Next to the following match")
        << u"Zoo Life"_s << QStringList{u"type:a find"_s, u"value:a where:3 find"_s} << u"Banana"_s
        << u"The Cat"_s << QStringList() << true;
    QTest::newRow("Find Next past the last match")
        << u"Apple Pie"_s << QStringList{u"type:an find"_s, u"where:3 find"_s} << u"Banana"_s << u"The Cat"_s
        << QStringList{notFound} << true;
    QTest::newRow("no match") << u"Moon"_s << QStringList{u"entry:Equals type:an find"_s} << u"Moon"_s
                              << u"Zoo Life"_s << QStringList{notFound} << true;
    QTest::newRow("Close without searching") << u"Moon"_s << QStringList{u"type:zoo close"_s} << u"Moon"_s
                                             << u"Zoo Life"_s << QStringList() << true;
    QTest::newRow("Escape keeps the window")
        << u"Moon"_s << QStringList{u"type:zoo escape"_s, u"value:zoo close"_s} << u"Moon"_s << u"Zoo Life"_s
        << QStringList() << true;
    QTest::newRow("choices kept for the next search")
        << u"Apple Pie"_s << QStringList{u"type:oo where:4 find"_s, u"value:oo where:1 find"_s} << u"Moon"_s
        << u"Zoo Life"_s << QStringList() << true;
    QTest::newRow("close box unloads: the next window is fresh")
        << u"Moon"_s << QStringList{u"type:zoo box"_s, u"value: close"_s} << u"Moon"_s << u"Zoo Life"_s
        << QStringList() << true;
    QTest::newRow("refused value, then Close")
        << u"The Cat"_s << QStringList{u"field:Year type:abc find close"_s} << u"The Cat"_s << u"Moon"_s
        << QStringList{u"Search Value Not Numeric: You must enter a valid number for this field."_s} << true;
    QTest::newRow("no books") << QString() << QStringList() << QString() << QString()
                              << QStringList{u"No Books in Database: No books entered to find."_s} << false;
}

void TestFrmMainFind::find()
{
    QFETCH(QString, start);
    QFETCH(QStringList, showings);
    QFETCH(QString, next);
    if (!start.isEmpty())
        f.folder().addCollection();
    QVERIFY(f.openWindow());
    if (!start.isEmpty())
        f.showTitle(start);

    QStringList problems;
    ScopedScriptedModals modals;
    for (const QString& actions : showings) {
        modals.enqueue([&problems, actions](QDialog& dialog) {
            auto& window = static_cast<frmFind&>(dialog);
            window.activateWindow();
            if (!QTest::qWaitForWindowActive(&window))
                problems << u"not active"_s;
            act(window, actions, problems);
            return window.result();
        });
    }
    for (qsizetype showing = 0; showing < std::max<qsizetype>(showings.size(), 1); ++showing)
        QTest::mouseClick(f.window().cmdFind, Qt::LeftButton);

    QCOMPARE(problems, QStringList());
    QCOMPARE(modals.shown().size(), showings.size());
    QTEST(f.takeMessages(), "messages");
    QTEST(f.window().txtTitle->text(), "shown");
    QTEST(f.window().findChild<frmFind*>() != nullptr, "loaded");
    if (!next.isEmpty()) {
        f.window().cmdNext->click();
        QCOMPARE(f.window().txtTitle->text(), next);
    }
}

QTEST_MAIN(TestFrmMainFind)
#include "tst_frm_main_find.moc"
