// The start-up's offer to convert a catalogue or field catalogue of the older
// kind, answered through the real main window.

#include "database/catalogue_file_check.h"
#include "editor/gui/main_window_fixture.h"
#include "import/fake_catalogue.h"
#include "import/jet_conversion.h"
#include "import/mdb_file_source.h"
#include "support/file_contents.h"

#include <QFile>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

namespace {

const QString Sample = QStringLiteral(QUILLARY_SHARED_TESTDATA "/jet/nwind.mdb");

// The tables a file is read as: the test's catalogue or field catalogue for a
// file of that name, the real file otherwise.
std::unique_ptr<JetSource> testTables(const QString& path, bool catalogueTables)
{
    if (path.endsWith(u"rptspec.mdb"_s)) {
        auto source = std::make_unique<FakeJetSource>();
        source->addTable(u"RptSpec"_s, {u"specid:Integer"_s, u"Desc:Text"_s});
        source->addRow(u"RptSpec"_s, {1LL, u"Title"_s});
        return source;
    }
    if (catalogueTables)
        return std::make_unique<FakeJetSource>(FakeCatalogue::catalogueSource(false));
    return std::make_unique<MdbFileSource>(path);
}

} // namespace

class TestStartupConversionWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { f.setUp(); }
    void cleanup()
    {
        setJetSourceOpener({});
        f.tearDown();
    }
    void offered_data();
    void offered();

private:
    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestStartupConversionWindow::offered_data()
{
    QTest::addColumn<QString>("olderFile");    // the file that is of the older kind
    QTest::addColumn<bool>("catalogueTables"); // it reads as a catalogue
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QStringList>("titles"); // the books the window pages through; none without a catalogue
    QTest::addColumn<QString>("message");    // the start of the one message shown; empty for none

    const QStringList converted{u"The Hobbit"_s, u"Nana"_s};
    QTest::newRow("catalogue converted") << u"Quillary.mdb"_s << true << true << converted
                                         << u"The catalogue %1 has been converted. The original file is kept "
                                            u"unchanged as %2.\n\nBooks: 2 rows\nAuthors: 2 rows\n"_s;
    QTest::newRow("catalogue declined") << u"Quillary.mdb"_s << true << false << QStringList() << QString();
    QTest::newRow("catalogue refused")
        << u"Quillary.mdb"_s << false << true << QStringList()
        << u"The catalogue could not be converted.\n\n'%1' is not a catalogue"_s;
    QTest::newRow("field catalogue converted")
        << u"rptspec.mdb"_s << false << true << QStringList()
        << u"The field catalogue %1 has been converted. The original file is kept unchanged as %2.\n\n"
           u"RptSpec: 1 row"_s;
}

void TestStartupConversionWindow::offered()
{
    QFETCH(QString, olderFile);
    QFETCH(bool, catalogueTables);
    QFETCH(bool, answerYes);
    QFETCH(QStringList, titles);
    QFETCH(QString, message);
    const QDir folder(f.folder().path());
    const QString path = folder.filePath(olderFile);
    QFile::remove(path);
    QVERIFY(QFile::copy(Sample, path)); // a real Jet file, read as the test's tables where it says so
    const QByteArray original = fileBytes(path);
    setJetSourceOpener([catalogueTables](const QString& file) { return testTables(file, catalogueTables); });
    f.dialogs().setNextAnswer(answerYes ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);

    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    QCOMPARE(f.dialogs().questions().size(), 1);
    QVERIFY(f.dialogs().questions().constFirst().text.contains(u"Do you want to convert it now?"_s));
    const QString kept = folder.filePath(QFileInfo(olderFile).completeBaseName() + u".jet.mdb"_s);
    const QStringList messages = f.takeMessages();
    if (message.isEmpty()) {
        QCOMPARE(messages, QStringList());
    } else {
        QCOMPARE(messages.size(), 1);
        const QString expected =
            u"Quillary: "_s + message.arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(kept));
        QVERIFY2(messages.constFirst().startsWith(expected), qPrintable(messages.constFirst()));
    }
    const bool converted = answerYes && (catalogueTables || olderFile == u"rptspec.mdb"_s);
    QCOMPARE(fileBytes(converted ? kept : path), original);
    QCOMPARE(QFileInfo::exists(kept), converted);

    if (olderFile == u"Quillary.mdb"_s) {
        QCOMPARE(w.cmdFirst->isEnabled(), !titles.isEmpty());
        if (!titles.isEmpty()) {
            QCOMPARE(f.titlesInOrder(), titles);
            // Every lookup came across with its key; the upgrade gave a format.
            f.showTitle(u"Nana"_s);
            QCOMPARE(w.cmbAuthID->currentText(), u"Zola, Émile"_s);
            QCOMPARE(w.cmbLocID->currentText(), u"Grenier"_s);
            QCOMPARE(w.cmbForID->currentText(), u"Paperback"_s);
            QCOMPARE(w.txtCoverPrice->text(), u"$12.35"_s);
        }
    } else {
        QCOMPARE(inspectCatalogueFile(f.folder().cataloguePath()), CatalogueFileKind::Sqlite);
        QCOMPARE(nativeRows(*Database::open(path, Database::OpenMode::Shared), "SELECT * FROM RptSpec"),
                 QStringList{u"1|Title"_s});
    }
}

QTEST_MAIN(TestStartupConversionWindow)
#include "tst_startup_conversion_window.moc"
