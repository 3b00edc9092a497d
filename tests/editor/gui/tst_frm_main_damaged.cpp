// The window started on a damaged catalogue: the repair happens before the
// window shows, and the start-up then goes on on the repaired file, showing
// its first book and paging through it. Damage met later is repaired as well
// without losing the window's book. An exception escaping a handler is
// reported rather than ending the program, and SIGTERM closes the catalogue.

#include "editor/gui/main_window_fixture.h"

#include "catalogue/sample_catalogue.h"
#include "database/db_error.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "editor/gui/guarded_application.h"
#include "support/file_contents.h"

#include <QProcess>
#include <stdexcept>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

namespace {

QByteArray sampleBytes(int books)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sample.mdb"_s);
    generateSampleCatalogue(path, SampleOptions{books, 0, 5, false});
    return fileBytes(path);
}

// Zeroes the page of the file that holds text, as a failing disk may, and
// lets the window's connection forget the pages it has read, as it does when
// its cache fills: the next read of that page meets the damage.
bool damagePageHolding(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qsizetype at = file.readAll().indexOf(text.toUtf8());
    constexpr qsizetype PageSize = 4096;
    if (at < 0 || !file.seek(at / PageSize * PageSize) || file.write(QByteArray(PageSize, '\0')) != PageSize)
        return false;
    file.close();
    executeNative(*catalogueState().dbCatalogue, "PRAGMA shrink_memory");
    return true;
}

// An object whose every event handler fails as a step of the program may.
class FailingHandler : public QObject
{
public:
    explicit FailingHandler(QString kind) : m_kind(std::move(kind)) {}
    bool event(QEvent*) override
    {
        if (m_kind == u"database")
            throw DbError(DbErrorNumber::NoCurrentRecord, u"No current record."_s);
        if (m_kind == u"standard")
            throw std::runtime_error("out of range");
        throw 42;
    }

private:
    QString m_kind;
};

} // namespace

class TestFrmMainDamaged : public QObject
{
    Q_OBJECT

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }
    void repairedCatalogueIsShownAtOnce_data();
    void repairedCatalogueIsShownAtOnce();
    void damageMetWhileRunningKeepsTheWindowWhole_data();
    void damageMetWhileRunningKeepsTheWindowWhole();
    void terminationClosesTheCatalogueCleanly();
    void escapedExceptionIsReported_data();
    void escapedExceptionIsReported();

private:
    MainWindowFixture f;
};

void TestFrmMainDamaged::repairedCatalogueIsShownAtOnce_data()
{
    QTest::addColumn<qsizetype>("from");
    QTest::addColumn<qsizetype>("to");
    QTest::addColumn<char>("fill");
    QTest::newRow("page 2 scribbled over") << qsizetype(4196) << qsizetype(8192) << char(0xAB);
    QTest::newRow("two pages zeroed near the middle") << qsizetype(-2) << qsizetype(0) << char(0);
}

void TestFrmMainDamaged::repairedCatalogueIsShownAtOnce()
{
    QFETCH(qsizetype, from);
    QFETCH(qsizetype, to);
    QFETCH(char, fill);
    QByteArray bytes = sampleBytes(300);
    if (from < 0) { // pages counted back from the middle
        to = bytes.size() / 4096 / 2 * 4096;
        from = to + from * 4096;
    }
    bytes.replace(from, to - from, QByteArray(to - from, fill));
    QVERIFY(writeFile(f.folder().cataloguePath(), bytes));

    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    const QStringList said = f.takeMessages();

    // One message, counting books and other entries as they now are.
    QCOMPARE(said.size(), 1);
    const int books = f.rows("select count(*) from Books").first().toInt();
    const int entries = f.rows("select (select count(*) from Authors) + (select count(*) from Publishers) + "
                               "(select count(*) from Categories) + (select count(*) from Owners) + "
                               "(select count(*) from Locations) + (select count(*) from Formats) + "
                               "(select count(*) from Series)")
                            .first()
                            .toInt();
    QVERIFY(books > 0);
    QVERIFY2(said.first().contains(u" %1 books and %2 other entries"_s.arg(books).arg(entries)),
             qPrintable(said.first()));
    // The first book is on screen, ready to page through and edit.
    QVERIFY(!w.txtTitle->text().isEmpty());
    QVERIFY(w.txtTitle->isEnabled() && w.cmdNext->isEnabled() && w.cmdAdd->isEnabled());
    const QString first = w.txtTitle->text();
    QTest::mouseClick(w.cmdNext, Qt::LeftButton);
    QVERIFY(w.txtTitle->text() != first);
    QVERIFY(f.takeMessages().isEmpty());
}

void TestFrmMainDamaged::damageMetWhileRunningKeepsTheWindowWhole_data()
{
    QTest::addColumn<QString>("moment");
    QTest::addColumn<QByteArray>("damagedBook"); // the title of the book whose page is damaged
    QTest::newRow("paging to the last book") << u"paging"_s
                                             << QByteArray("SELECT Title FROM Books ORDER BY "
                                                           "SortTitle DESC LIMIT 1");
    QTest::newRow("storing a changed book")
        << u"changing"_s << QByteArray("SELECT Title FROM Books ORDER BY SortTitle LIMIT 1");
    QTest::newRow("storing a new book")
        << u"adding"_s << QByteArray("SELECT Title FROM Books ORDER BY BookID DESC LIMIT 1");
}

// Damage met while the window runs is repaired at once, and the window goes
// on on the repaired catalogue: showing its first book, or keeping the book
// being changed or added on screen, still editable, so that Update stores
// it there.
void TestFrmMainDamaged::damageMetWhileRunningKeepsTheWindowWhole()
{
    QFETCH(QString, moment);
    QFETCH(QByteArray, damagedBook);
    QVERIFY(writeFile(f.folder().cataloguePath(), sampleBytes(300)));
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    QVERIFY(damagePageHolding(f.folder().cataloguePath(), f.rows(damagedBook).first()));

    const QString typed = u"Stored after the damage"_s;
    if (moment == u"paging") {
        w.cmdNext->click();
        w.cmdLast->click();
    } else {
        if (moment == u"adding")
            w.cmdAdd->click();
        f.typeInto(w.txtTitle, typed);
        w.cmdUpdate->click();
    }
    QCoreApplication::processEvents();
    const QStringList said = f.takeMessages();
    QVERIFY2(!said.isEmpty() && said.first().contains(u"has been repaired"_s),
             qPrintable(said.join(u"\n"_s)));
    QVERIFY(w.txtTitle->isEnabled());
    if (moment == u"paging") {
        const QString first = f.rows("SELECT Title FROM Books ORDER BY SortTitle LIMIT 1").first();
        QCOMPARE(w.txtTitle->text(), first);
        QVERIFY(browseButtonsShown(w));
        w.cmdNext->click();
        QVERIFY(w.txtTitle->text() != first);
        return;
    }
    QCOMPARE(w.txtTitle->text(), typed);
    QVERIFY(shown(w.cmdUpdate) && shown(w.cmdCancel) && !shown(w.cmdNext) && (w.Editing || w.Adding));
    w.cmdUpdate->click();
    QVERIFY(browseButtonsShown(w));
    QCOMPARE(w.txtTitle->text(), typed);
    QCOMPARE(f.rows("SELECT count(*) FROM Books WHERE Title = 'Stored after the damage'"),
             QStringList{u"1"_s});
    QVERIFY(f.takeMessages().isEmpty());
}

// A desktop logout ends the program with SIGTERM: the program closes the
// catalogue as File > Exit does, so the next start finds it closed cleanly.
void TestFrmMainDamaged::terminationClosesTheCatalogueCleanly()
{
    QTemporaryDir folder;
    const QString catalogue = QDir(folder.path()).filePath(CatalogueFileName);
    QVERIFY(writeFile(catalogue, sampleBytes(20)));
    QProcess program;
    program.setWorkingDirectory(folder.path());
    program.start(QStringLiteral(QUILLARY_BINARY_DIR "/quillary"), {});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(catalogue + u"-open"_s), 60000);
    program.terminate();
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFile::exists(catalogue + u"-open"_s));
    QVERIFY(QFile::exists(catalogue + u"-closed"_s));
}

void TestFrmMainDamaged::escapedExceptionIsReported_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("told");
    QTest::newRow("database error") << u"database"_s << u"3021  No current record."_s;
    QTest::newRow("standard exception") << u"standard"_s << u"An unexpected error occurred: out of range."_s;
    QTest::newRow("anything else") << u"other"_s << u"An unexpected error occurred."_s;
}

void TestFrmMainDamaged::escapedExceptionIsReported()
{
    QFETCH(QString, kind);
    QFETCH(QString, told);
    FailingHandler handler(kind);
    QEvent event(QEvent::User);

    QVERIFY(!QCoreApplication::sendEvent(&handler, &event));
    const QStringList said = f.takeMessages();
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().endsWith(u": "_s + told) || said.first().contains(u": "_s + told + u" "_s),
             qPrintable(said.first()));
}

int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    TestFrmMainDamaged test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frm_main_damaged.moc"
