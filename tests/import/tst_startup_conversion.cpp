#include "database/catalogue_file_check.h"
#include "database/database.h"
#include "catalogue/schema.h"
#include "import/fake_catalogue.h"
#include "import/jet_conversion.h"
#include "import/startup_conversion.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Sample = QStringLiteral(QUILLARY_SHARED_TESTDATA "/jet/nwind.mdb");

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What lies in the folder: names, and whether Quillary.mdb is now SQLite.
QStringList folderState(const QString& folder)
{
    QStringList state = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (inspectCatalogueFile(QDir(folder).filePath(u"Quillary.mdb"_s)) == CatalogueFileKind::Sqlite)
        state << u"(SQLite)"_s;
    return state;
}

} // namespace

class TestStartupConversion : public QObject
{
    Q_OBJECT
private slots:
    void offers_data();
    void offers();
};

void TestStartupConversion::offers_data()
{
    QTest::addColumn<QString>("file");   // what Quillary.mdb holds
    QTest::addColumn<bool>("answerYes"); // queued when a question is expected
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("folder");
    QTest::addColumn<QString>("shown"); // the start of the summary, or of the message shown

    using Outcome = StartupConversion::Outcome;
    const QStringList untouched{u"Quillary.mdb"_s};
    QTest::newRow("an SQLite catalogue") << u"sqlite"_s << false << int(Outcome::NotNeeded)
                                         << untouched + QStringList{u"(SQLite)"_s} << QString();
    QTest::newRow("no catalogue") << QString() << false << int(Outcome::NotNeeded) << QStringList()
                                  << QString();
    QTest::newRow("declined") << u"catalogue"_s << false << int(Outcome::Declined) << untouched << QString();
    QTest::newRow("converted") << u"catalogue"_s << true << int(Outcome::Converted)
                               << QStringList{u"Quillary.jet.mdb"_s, u"Quillary.mdb"_s, u"(SQLite)"_s}
                               << u"The catalogue %1 has been converted. The original file is kept unchanged "
                                  u"as %2.\n\nBooks: 2 rows\n"
                                  u"Authors: 2 rows"_s;
    QTest::newRow("not a catalogue") << u"nwind"_s << true << int(Outcome::Failed) << untouched
                                     << u"The catalogue could not be converted.\n\n'%1' is not a catalogue"_s;
}

void TestStartupConversion::offers()
{
    QFETCH(QString, file);
    QFETCH(bool, answerYes);
    QFETCH(int, outcome);
    QFETCH(QStringList, folder);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quillary.mdb"_s);
    if (file == u"sqlite"_s)
        createCatalogue(path);
    else if (!file.isEmpty())
        QVERIFY(QFile::copy(Sample,
                            path)); // a real Jet file; its tables are the test's when they are a catalogue
    if (file == u"catalogue"_s)
        setJetSourceOpener([](const QString&) {
            return std::make_unique<FakeJetSource>(FakeCatalogue::catalogueSource(false));
        });
    const QByteArray before = contentsOf(path);
    ScopedScriptedDialogs dialogs;
    if (file == u"catalogue"_s || file == u"nwind"_s)
        dialogs.setNextAnswer(answerYes ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);

    const StartupConversion result = offerConversion(path, OlderFile::Catalogue);
    setJetSourceOpener({});

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(folderState(dir.path()), folder);
    QCOMPARE(dialogs.unusedAnswers(), 0);
    const QString told = result.outcome == StartupConversion::Outcome::Converted ? result.summary
                         : dialogs.messages().isEmpty()                          ? QString()
                                                        : dialogs.messages().constFirst().text;
    const QString expected = shown.isEmpty()
                                 ? QString()
                                 : shown.arg(QDir::toNativeSeparators(path),
                                             QDir::toNativeSeparators(dir.filePath(u"Quillary.jet.mdb"_s)));
    QVERIFY2(expected.isEmpty() ? told.isEmpty() : told.startsWith(expected), qPrintable(told));
    if (result.outcome == StartupConversion::Outcome::Converted)
        QCOMPARE(contentsOf(dir.filePath(u"Quillary.jet.mdb"_s)), before);
    else
        QCOMPARE(contentsOf(path), before);
}

QTEST_GUILESS_MAIN(TestStartupConversion)
#include "tst_startup_conversion.moc"
