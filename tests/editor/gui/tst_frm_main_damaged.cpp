// The window started on a damaged catalogue: the repair happens before the
// window shows, and the start-up then goes on on the repaired file, showing
// its first book and paging through it; an exception escaping a handler is
// reported rather than ending the program.

#include "editor/gui/main_window_fixture.h"

#include "catalogue/sample_catalogue.h"
#include "database/db_error.h"
#include "database/recordset.h"
#include "editor/gui/guarded_application.h"
#include "support/file_contents.h"

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
