// The main window's start-up, lookup lists, display of one book and shutdown.

#include "editor/gui/main_window_fixture.h"

#include "custom_reports/gui/frm_rptspec.h"
#include "custom_reports/report_fixture.h"
#include "database/db_error.h"
#include "editor/lookup_list_model.h"
#include "support/file_contents.h"

#include <QFile>
#include <QMenu>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(UserDialogs::Answer)

class TestFrmMainStartup : public QObject
{
    Q_OBJECT

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDownChecked(); }

    void emptyCatalogueStartsEmptyAndDisabled();
    void catalogueMissingOrUnusable_data();
    void catalogueMissingOrUnusable();
    void firstBookBySortTitle();
    void authorEntriesLastNameCommaFirstName();
    void showRecordFillsEveryFieldAndClearsMissingOnes_data();
    void showRecordFillsEveryFieldAndClearsMissingOnes();
    void shutdownReleasesCatalogue_data();
    void shutdownReleasesCatalogue();
    void shutdownWaitsForTheReportDesigner_data();
    void shutdownWaitsForTheReportDesigner();
    void restartShowsTheCatalogueAsChangedMeanwhile_data();
    void restartShowsTheCatalogueAsChangedMeanwhile();

private:
    QList<QWidget*> dataFields();

    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

QList<QWidget*> TestFrmMainStartup::dataFields()
{
    frmMain& w = f.window();
    return {w.txtTitle,    w.txtVol,      w.txtIssue,  w.txtYear,       w.txtISBN,    w.txtCoverPrice,
            w.txtBuyPrice, w.txtLoanedTo, w.dcBuyDate, w.dcReadDate,    w.dcLoanDate, w.txtNotes,
            w.cmbAuthID,   w.cmbPubID,    w.cmbCatID,  w.cmbOwnerID,    w.cmbLocID,   w.cmbForID,
            w.cmbSerID,    w.chkRead,     w.chkOnLoan, w.optFiction[0], w.optNew[1]};
}

void TestFrmMainStartup::emptyCatalogueStartsEmptyAndDisabled()
{
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    QCOMPARE(w.windowTitle(), u"The Quillary Program"_s);
    for (QWidget* field : dataFields()) {
        QVERIFY2(textOf(field).isEmpty(), qPrintable(field->objectName()));
        QVERIFY2(!field->isEnabledTo(&w), qPrintable(field->objectName()));
    }
    QCOMPARE(w.cmbAuthID->currentIndex(), -1);
    QVERIFY(w.optFiction[0]->isChecked() && w.optNew[0]->isChecked() && w.optPaperback[0]->isChecked());
    QVERIFY(!w.chkRead->isChecked() && !w.chkOnLoan->isChecked() && browseButtonsShown(w));
    QCOMPARE(w.cmdAdd->text(), u"&Add New"_s);
    QVERIFY(w.cmdAdd->isEnabled() && !w.Editing && !w.Adding && w.mnuSort[1]->isChecked());
}

void TestFrmMainStartup::catalogueMissingOrUnusable_data()
{
    QTest::addColumn<QByteArray>("fileContents"); // empty: no file
    QTest::addColumn<bool>("answerYes");          // to the question whether to create it
    QTest::newRow("missing, created") << QByteArray() << true;
    QTest::newRow("missing, not created") << QByteArray() << false;
    QTest::newRow("not a database") << QByteArray("A shopping list, not a catalogue.\n").repeated(50)
                                    << false;
}

void TestFrmMainStartup::catalogueMissingOrUnusable()
{
    QFETCH(QByteArray, fileContents);
    QFETCH(bool, answerYes);
    const QString path = f.folder().cataloguePath();
    QVERIFY(QFile::remove(path));
    if (fileContents.isEmpty()) {
        f.dialogs().setNextAnswer(answerYes ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    } else {
        QVERIFY(writeFile(path, fileContents));
    }
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    QCOMPARE(f.takeMessages().isEmpty(), answerYes);
    // Nothing to page through or sort: no beep, nothing shown. (Without a
    // catalogue the sort menu is disabled.)
    for (QPushButton* button : {w.cmdFirst, w.cmdPrevious, w.cmdNext, w.cmdLast})
        QMetaObject::invokeMethod(&w, qPrintable(button->objectName() + u"_Click"_s));
    if (answerYes)
        w.mnuSort_Click(2);
    QCOMPARE(f.dialogs().beepCount(), 0);
    QVERIFY(w.txtTitle->text().isEmpty() && !w.txtTitle->isEnabled() && !w.cmbAuthID->isEnabled());
    QVERIFY(browseButtonsShown(w));
    // A new catalogue is ready for its first book; without one nothing can
    // be added, found or sorted, but leaving works.
    QCOMPARE(w.cmdAdd->isEnabled(), answerYes);
    QCOMPARE(w.mnuSortMenu->isEnabled(), answerYes);
    QVERIFY(answerYes || (!w.cmdDelete->isEnabled() && !w.cmdFind->isEnabled()));
    QVERIFY(w.mnuExit->isEnabled());
}

void TestFrmMainStartup::firstBookBySortTitle()
{
    f.folder().addBook(u"The Zebra"_s, {{u"SortTitle"_s, u"ZEBRA"_s}});
    f.folder().addBook(u"An Apple a Day"_s, {{u"SortTitle"_s, u"APPLE A DAY"_s}});
    f.folder().addBook(u"Mango"_s);
    // The folder as the program may be given it, ending in the separator.
    QVERIFY(f.openWindow(QDir::separator()));
    frmMain& w = f.window();

    QCOMPARE(catalogueState().CataloguePath,
             QDir::toNativeSeparators(f.folder().path()) + QDir::separator() + u"Quillary.mdb"_s);
    QCOMPARE(w.txtTitle->text(), u"An Apple a Day"_s);
    QVERIFY(w.txtTitle->isEnabled() && browseButtonsShown(w) && !w.Editing);
}

void TestFrmMainStartup::authorEntriesLastNameCommaFirstName()
{
    f.folder().addAuthor(1, u"Smith"_s, u"John"_s);
    f.folder().addAuthor(2, u"Adams"_s, u"Ann"_s);
    f.folder().addAuthor(3, u"Smith"_s, QVariant());
    f.folder().addAuthor(4, u"Brown"_s, u""_s);
    QVERIFY(f.openWindow());
    const QComboBox* combo = f.window().cmbAuthID;

    QCOMPARE(entries(combo), QStringList({u"Adams, Ann"_s, u"Brown, "_s, u"Smith, "_s, u"Smith, John"_s}));
    QCOMPARE(f.window().lookupModel(combo).rowOfKey(3), 2);
    QCOMPARE(f.window().lookupModel(combo).rowOfKey(1), 3);
    QCOMPARE(combo->currentIndex(), -1);
}

void TestFrmMainStartup::showRecordFillsEveryFieldAndClearsMissingOnes_data()
{
    QTest::addColumn<QVariant>("lookupKey"); // of every lookup of the second book
    QTest::newRow("no value (-1)") << QVariant(-1);
    QTest::newRow("Null (stored before the upgrade)") << QVariant();
    QTest::newRow("key of a removed lookup row") << QVariant(999);
}

// The second book lacks everything the first one has: moving to it must
// leave nothing of the first book behind.
void TestFrmMainStartup::showRecordFillsEveryFieldAndClearsMissingOnes()
{
    QFETCH(QVariant, lookupKey);
    CatalogueFolder& folder = f.folder();
    folder.addAuthor(7, u"Tolkien"_s, u"J.R.R."_s);
    folder.addLookup(u"Publishers"_s, u"PubID, PubName"_s, 8, u"O'Brien Press"_s);
    folder.addLookup(u"Categories"_s, u"CatID, CatName"_s, 9, u"Fantasy"_s);
    folder.addLookup(u"Owners"_s, u"OwnID, OwnName"_s, 10, u"Ann"_s);
    folder.addLookup(u"Locations"_s, u"LocID, LocName"_s, 11, u"Study"_s);
    folder.addLookup(u"Formats"_s, u"ForID, ForDesc"_s, 12, u"Audio"_s);
    folder.addLookup(u"Series"_s, u"SerID, SerDesc"_s, 13, u"Middle-earth"_s);
    // clang-format off
    QVariantMap hobbit{{u"SortTitle"_s, u"A"_s}, {u"Vol"_s, 2}, {u"Issue"_s, 14}, {u"Year"_s, 1937},
        {u"Fiction"_s, true}, {u"ISBN"_s, u"0-04-823070-9"_s}, {u"Read"_s, true}, {u"OnLoan"_s, true},
        {u"BuyDate"_s, QDate(2001, 3, 7)}, {u"ReadDate"_s, QDate(2002, 12, 25)},
        {u"LoanDate"_s, QDate(2024, 1, 31)}, {u"CoverPrice"_s, 12.5}, {u"BuyPrice"_s, 1234.5},
        {u"Notes"_s, u"First edition.\nSigned."_s}, {u"LoanedTo"_s, u"Bilbo"_s}};
    // clang-format on
    int id = 7; // the lookup rows above, in this order
    for (const char* column : {"AuthID", "PubID", "CatID", "OwnerID", "LocID", "ForID", "SerID"})
        hobbit.insert(QLatin1String(column), id++);
    folder.addBook(u"The Hobbit"_s, hobbit);
    QVariantMap bare{{u"SortTitle"_s, u"B"_s}};
    for (const char* flag : {"Fiction", "New", "Paperback", "Read", "OnLoan"})
        bare.insert(QLatin1String(flag), QVariant());
    for (const char* key : {"AuthID", "PubID", "CatID", "OwnerID", "LocID", "ForID", "SerID"})
        bare.insert(QLatin1String(key), lookupKey);
    folder.addBook(u"Bare"_s, bare);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    const QList<QWidget*> fields = dataFields();
    QStringList shown;
    for (QWidget* field : fields)
        shown << textOf(field);
    QCOMPARE(shown.join(u'|'),
             u"The Hobbit|2|14|1937|0-04-823070-9|$12.50|$1,234.50|Bilbo|3/7/2001|12/25/2002|"
             u"1/31/2024|First edition.\nSigned.|Tolkien, J.R.R.|O'Brien Press|Fantasy|Ann|"
             u"Study|Audio|Middle-earth||||"_s);
    QVERIFY(w.optFiction[0]->isChecked() && w.optNew[1]->isChecked() && w.optPaperback[1]->isChecked());
    QVERIFY(w.chkRead->isChecked() && w.chkOnLoan->isChecked());

    w.cmdNext->click();
    QCOMPARE(w.txtTitle->text(), u"Bare"_s);
    for (QWidget* field : fields.mid(1))
        QVERIFY2(textOf(field).isEmpty(), qPrintable(field->objectName()));
    QCOMPARE(w.cmbAuthID->currentIndex(), -1);
    // Null counts as false.
    QVERIFY(w.optFiction[1]->isChecked() && w.optNew[1]->isChecked() && w.optPaperback[1]->isChecked());
    QVERIFY(!w.chkRead->isChecked() && !w.chkOnLoan->isChecked() && browseButtonsShown(w));
}

void TestFrmMainStartup::shutdownReleasesCatalogue_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("File > Exit") << u"exit"_s;
    QTest::newRow("window closed") << u"close"_s;
    QTest::newRow("window destroyed") << u"destroy"_s;
}

void TestFrmMainStartup::shutdownReleasesCatalogue()
{
    QFETCH(QString, how);
    f.folder().addBook(u"Only"_s);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    const QString path = f.folder().cataloguePath();

    if (how == u"exit"_s)
        w.mnuExit->trigger();
    else if (how == u"close"_s)
        QVERIFY(w.close());
    if (how == u"destroy"_s) {
        f.closeWindow();
    } else {
        QVERIFY(w.isHidden() && !w.rsBooks && !w.rsBookEdit &&
                !w.session().lookupRecordset(LookupField::Author));
    }
    QVERIFY(!catalogueState().dbCatalogue);
    Database::open(path, Database::OpenMode::Exclusive)->close();
}

void TestFrmMainStartup::shutdownWaitsForTheReportDesigner_data()
{
    QTest::addColumn<UserDialogs::Answer>("saveAnswer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("not saved: both close") << UserDialogs::Answer::No << true;
    QTest::newRow("save cancelled: both stay") << UserDialogs::Answer::Yes << false;
}

// The designer, open from the Reports menu with a report not saved, asks
// first; while it stays, so do the window and its catalogue.
void TestFrmMainStartup::shutdownWaitsForTheReportDesigner()
{
    QFETCH(UserDialogs::Answer, saveAnswer);
    QFETCH(bool, closed);
    writeFieldCatalogue(report_test::catalogueRows(),
                        QDir(f.folder().path()).filePath(FieldCatalogueFileName));
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    w.mnuRptCustom->trigger();
    auto* designer = w.findChild<frmRptSpec*>();
    QVERIFY(designer);
    designer->List1->setCurrentRow(0);
    designer->cmdAdd_Click();

    f.dialogs().setNextAnswer(saveAnswer);
    if (saveAnswer == UserDialogs::Answer::Yes)
        f.dialogs().setNextFileName(QString());
    QCOMPARE(w.close(), closed);
    QCOMPARE(f.dialogs().questions().size(), 1);
    QCOMPARE(designer->isVisible(), !closed);
    QCOMPARE(w.isVisible(), !closed);
    QCOMPARE(catalogueState().dbCatalogue != nullptr, !closed);
}

void TestFrmMainStartup::restartShowsTheCatalogueAsChangedMeanwhile_data()
{
    QTest::addColumn<QString>("before"); // the window's state when the catalogue is closed
    QTest::newRow("browsing by author") << u"author order"_s;
    QTest::newRow("adding a book") << u"adding"_s;
    QTest::newRow("started without a catalogue") << u"no catalogue"_s;
}

// Backup and compaction close the catalogue and start the window anew on it.
void TestFrmMainStartup::restartShowsTheCatalogueAsChangedMeanwhile()
{
    QFETCH(QString, before);
    CatalogueFolder& folder = f.folder();
    if (before == u"no catalogue"_s) {
        QVERIFY(QFile::remove(folder.cataloguePath()));
        f.dialogs().setNextAnswer(UserDialogs::Answer::No);
    } else {
        folder.addCollection();
    }
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    if (before == u"author order"_s)
        w.mnuSort[2]->trigger();
    if (before == u"adding"_s) {
        w.cmdAdd->click();
        MainWindowFixture::typeInto(w.txtTitle, u"Never stored"_s);
    }
    f.takeMessages();

    bool fileWasFree = false;
    w.catalogueLife().restart([&] {
        if (before == u"no catalogue"_s)
            createCatalogue(folder.cataloguePath());
        folder.addAuthor(9, u"Aaronson"_s, u"Al"_s);
        folder.addBook(u"Aardvark"_s, {{u"AuthID"_s, 9}});
        fileWasFree = true;
    });

    QVERIFY(fileWasFree);
    QCOMPARE(w.txtTitle->text(), u"Aardvark"_s);
    QCOMPARE(w.cmbAuthID->currentText(), u"Aaronson, Al"_s);
    QCOMPARE(w.cmbAuthID->itemText(0), u"Aaronson, Al"_s);
    QVERIFY(w.txtTitle->isEnabled() && w.cmdAdd->isEnabled() && w.mnuSortMenu->isEnabled());
    QVERIFY(browseButtonsShown(w) && !w.Editing && !w.Adding);
    QCOMPARE(w.cmdAdd->text(), u"&Add New"_s);
    QCOMPARE(w.SortOrder, SortOrder::Title);
    QVERIFY(w.mnuSort[1]->isChecked() && !w.mnuSort[2]->isChecked());
    QCOMPARE(w.session().bookCount(), before == u"no catalogue"_s ? 1 : 6);
}

QTEST_MAIN(TestFrmMainStartup)
#include "tst_frm_main_startup.moc"
