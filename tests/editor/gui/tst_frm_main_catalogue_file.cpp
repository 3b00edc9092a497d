// Which catalogue file the start-up opens, and the catalogue it creates for a
// new user.

#include "catalogue/catalogue_location.h"
#include "catalogue/schema.h"
#include "database/database.h"
#include "editor/gui/frm_main.h"
#include "editor/gui/main_window_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <sqlite3.h>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainCatalogueFile : public QObject
{
    Q_OBJECT

private slots:
    void opensTheOneSpellingThereIs_data();
    void opensTheOneSpellingThereIs();
    void newCatalogueHasTheFiveFormats();
    void accentedTextsSortAmongTheirLetters();
};

void TestFrmMainCatalogueFile::opensTheOneSpellingThereIs_data()
{
    QTest::addColumn<QStringList>("files"); // each a catalogue holding one book titled like the file
    QTest::addColumn<QString>("opened");    // the title shown; empty: no catalogue found

    const QString exact = u"Quillary.mdb"_s;
    QTest::newRow("exact name") << QStringList{exact} << exact;
    QTest::newRow("backup's spelling") << QStringList{u"quillary.mdb"_s} << u"quillary.mdb"_s;
    QTest::newRow("upper case") << QStringList{u"QUILLARY.MDB"_s} << u"QUILLARY.MDB"_s;
    QTest::newRow("exact name wins") << QStringList{u"quillary.mdb"_s, exact} << exact;
    QTest::newRow("two other spellings") << QStringList{u"quillary.mdb"_s, u"QUILLARY.mdb"_s} << QString();
    QTest::newRow("other file only") << QStringList{u"quillary.mdb.bak"_s} << QString();
}

void TestFrmMainCatalogueFile::opensTheOneSpellingThereIs()
{
    QFETCH(QStringList, files);
    QFETCH(QString, opened);
    QTemporaryDir folder;
    for (const QString& name : files) {
        const QString path = QDir(folder.path()).filePath(name);
        createCatalogue(path);
        auto db = Database::open(path, Database::OpenMode::Exclusive);
        db->execute(u"insert into Books (Title, SortTitle) values ('%1', '%1')"_s.arg(name));
        db->close();
    }
    ScopedScriptedDialogs dialogs;
    if (opened.isEmpty())
        dialogs.setNextAnswer(UserDialogs::Answer::No); // no new catalogue

    frmMain window(folder.path());
    window.Form_Load();

    QCOMPARE(window.txtTitle->text(), opened);
    QCOMPARE(dialogs.unusedAnswers(), 0);
    QCOMPARE(dialogs.messages().size(), opened.isEmpty() ? 1 : 0); // the file could not be opened
    QCOMPARE(QFileInfo(catalogueFileIn(folder.path())).fileName(),
             opened.isEmpty() ? u"Quillary.mdb"_s : opened);
}

void TestFrmMainCatalogueFile::newCatalogueHasTheFiveFormats()
{
    QTemporaryDir folder;
    ScopedScriptedDialogs dialogs;
    dialogs.setNextAnswer(UserDialogs::Answer::Yes);
    frmMain window(folder.path());
    window.Form_Load();

    QVERIFY(QFile::exists(QDir(folder.path()).filePath(u"Quillary.mdb"_s)));
    QCOMPARE(entries(window.cmbForID),
             (QStringList{u"CD"_s, u"Hardcover"_s, u"MP3"_s, u"Paperback"_s, u"Tape"_s}));
    // Keys as an upgrade gives them: the paperback flag maps onto 1 and 2.
    QCOMPARE(MainWindowFixture::rows("select ForID, ForDesc from Formats where ForID <= 2 order by ForID"),
             (QStringList{u"1|Paperback"_s, u"2|Hardcover"_s}));
    QVERIFY(dialogs.messages().isEmpty());
}

// Written by a tool that has a rule of its own under the collation's name,
// SQLite's NOCASE, which puts accented letters after Z, into a file that
// records no rules: the start-up rebuilds the indexes.
void TestFrmMainCatalogueFile::accentedTextsSortAmongTheirLetters()
{
    MainWindowFixture f;
    f.setUp();
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(f.folder().cataloguePath().toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_create_collation(db, "QUILLARY", SQLITE_UTF8, nullptr,
                             [](void*, int leftLength, const void* left, int rightLength, const void* right) {
                                 const int order = sqlite3_strnicmp(static_cast<const char*>(left),
                                                                    static_cast<const char*>(right),
                                                                    std::min(leftLength, rightLength));
                                 return order != 0 ? order : leftLength - rightLength;
                             });
    const char* rows =
        "INSERT INTO Publishers (PubID, PubName) VALUES (1, 'Zebra Press'), (2, 'Éditions du Lac'), "
        "(3, 'alpha'); INSERT INTO Books (Title, SortTitle, PubID) VALUES ('Zebra', 'ZEBRA', 1), "
        "('Éclair', 'ÉCLAIR', 2), ('apple', 'APPLE', 3); PRAGMA user_version = 0;";
    QCOMPARE(sqlite3_exec(db, rows, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    QCOMPARE(f.titlesInOrder(), (QStringList{u"apple"_s, u"Éclair"_s, u"Zebra"_s}));
    QCOMPARE(entries(w.cmbPubID), (QStringList{u"alpha"_s, u"Éditions du Lac"_s, u"Zebra Press"_s}));
    // Typing never takes an entry with other accents; a new one joins beside them.
    f.showTitle(u"apple"_s);
    f.typeInto(w.cmbPubID, u"ed"_s);
    QCOMPARE(w.cmbPubID->currentText(), u"ed"_s);
    w.cmdCancel->click();
    QCOMPARE(f.rows("PRAGMA integrity_check"), QStringList{u"ok"_s});
    QVERIFY(f.takeMessages().isEmpty());
    f.tearDown();
}

QTEST_MAIN(TestFrmMainCatalogueFile)
#include "tst_frm_main_catalogue_file.moc"
