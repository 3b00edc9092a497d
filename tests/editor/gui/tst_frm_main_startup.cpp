// The main window's start-up, lookup lists, display of one book and shutdown.

#include "editor/gui/main_window_fixture.h"

#include "catalogue/db_error.h"
#include "common/locale_formats.h"
#include "support/locale_guard.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainStartup : public QObject
{
    Q_OBJECT

private slots:
    void emptyCatalogueStartsEmptyAndDisabled();
    void catalogueFolderPaths_data();
    void catalogueFolderPaths();
    void missingCatalogueCreatedOnYes();
    void noUsableCatalogue_data();
    void noUsableCatalogue();
    void firstBookBySortTitle();
    void authorEntriesLastNameCommaFirstName();
    void lookupListsInNameOrderWithKeys_data();
    void lookupListsInNameOrderWithKeys();
    void showRecordFillsEveryField();
    void missingValuesShowEmpty_data();
    void missingValuesShowEmpty();
    void addedLookupEntryIsShownByKey();
    void earlierLayoutUpgradedBeforeBooksOpen();
    void failingStepReportedAndStartupGoesOn();
    void shutdownReleasesCatalogue_data();
    void shutdownReleasesCatalogue();

private:
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestFrmMainStartup::emptyCatalogueStartsEmptyAndDisabled()
{
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    auto w = loadWindow(folder.path());

    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(w->windowTitle(), u"The Quillary Program"_s);
    for (QLineEdit* edit :
         {w->txtTitle, w->txtVol, w->txtIssue, w->txtYear, w->txtISBN, w->txtCoverPrice, w->txtBuyPrice,
          w->txtLoanedTo, w->dcBuyDate->lineEdit(), w->dcReadDate->lineEdit(), w->dcLoanDate->lineEdit()}) {
        QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
        QVERIFY2(!edit->isEnabledTo(w.get()), qPrintable(edit->objectName()));
    }
    QVERIFY(w->txtNotes->toPlainText().isEmpty());
    QVERIFY(!w->txtNotes->isEnabled());
    for (QComboBox* combo :
         {w->cmbAuthID, w->cmbPubID, w->cmbCatID, w->cmbOwnerID, w->cmbLocID, w->cmbForID, w->cmbSerID}) {
        QVERIFY2(combo->currentText().isEmpty(), qPrintable(combo->objectName()));
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY2(!combo->isEnabled(), qPrintable(combo->objectName()));
    }
    QVERIFY(w->optFiction[0]->isChecked());
    QVERIFY(w->optNew[0]->isChecked());
    QVERIFY(w->optPaperback[0]->isChecked());
    QVERIFY(!w->optFiction[0]->isEnabledTo(w.get()));
    QVERIFY(!w->optNew[1]->isEnabledTo(w.get()));
    QVERIFY(!w->chkRead->isChecked());
    QVERIFY(!w->chkOnLoan->isChecked());
    QVERIFY(!w->chkRead->isEnabled());
    QVERIFY(!w->chkOnLoan->isEnabled());

    QVERIFY(browseButtonsShown(*w));
    QCOMPARE(w->cmdAdd->text(), u"&Add New"_s);
    QVERIFY(w->cmdAdd->isEnabled());
    QVERIFY(!w->Editing);
    QVERIFY(!w->Adding);
    QCOMPARE(w->SortOrder, 1);
    QVERIFY(w->mnuSort[1]->isChecked());
    QVERIFY(w->Frame3->isHidden());
}

void TestFrmMainStartup::catalogueFolderPaths_data()
{
    QTest::addColumn<bool>("trailingSeparator");
    QTest::newRow("folder as given") << false;
    QTest::newRow("folder ending in the separator") << true;
}

void TestFrmMainStartup::catalogueFolderPaths()
{
    QFETCH(bool, trailingSeparator);
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    const QString given = trailingSeparator ? folder.path() + QDir::separator() : folder.path();
    auto w = loadWindow(given);

    const QString expectedDir = QDir::toNativeSeparators(folder.path()) + QDir::separator();
    QCOMPARE(catalogueState().DataDir, expectedDir);
    QCOMPARE(catalogueState().CataloguePath, expectedDir + u"Quillary.mdb"_s);
    QVERIFY(catalogueState().dbCatalogue);
}

void TestFrmMainStartup::missingCatalogueCreatedOnYes()
{
    ScopedScriptedDialogs dialogs;
    dialogs.setNextAnswer(UserDialogs::Answer::Yes);
    CatalogueFolder folder;
    auto w = loadWindow(folder.path());

    QCOMPARE(dialogs.questions().size(), 1);
    QCOMPARE(dialogs.questions().first().title, u"Quillary"_s);
    QVERIFY(dialogs.questions().first().text.contains(QDir::toNativeSeparators(folder.path())));
    QVERIFY(dialogs.messages().isEmpty());
    QVERIFY(QFile::exists(folder.cataloguePath()));
    QVERIFY(catalogueState().dbCatalogue);
    // A new catalogue is an empty one: ready for the first book.
    QVERIFY(!w->txtTitle->isEnabled());
    QVERIFY(w->cmdAdd->isEnabled());
    QVERIFY(w->mnuSortMenu->isEnabled());
    QVERIFY(browseButtonsShown(*w));
}

void TestFrmMainStartup::noUsableCatalogue_data()
{
    QTest::addColumn<QByteArray>("fileContents"); // empty: no file
    QTest::newRow("missing, not created") << QByteArray();
    QTest::newRow("not a database") << QByteArray("This is a shopping list, not a catalogue.\n").repeated(50);
}

void TestFrmMainStartup::noUsableCatalogue()
{
    QFETCH(QByteArray, fileContents);
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    if (fileContents.isEmpty()) {
        dialogs.setNextAnswer(UserDialogs::Answer::No);
    } else {
        QFile file(folder.cataloguePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileContents);
    }
    auto w = loadWindow(folder.path());

    QVERIFY(!dialogs.messages().isEmpty());
    QVERIFY(!catalogueState().dbCatalogue);
    if (fileContents.isEmpty())
        QVERIFY(!QFile::exists(folder.cataloguePath()));
    QVERIFY(w->txtTitle->text().isEmpty());
    QVERIFY(!w->txtTitle->isEnabled());
    QVERIFY(!w->cmbAuthID->isEnabled());
    // Nothing can be added, found or sorted without a catalogue; leaving works.
    for (QPushButton* button : {w->cmdAdd, w->cmdDelete, w->cmdFind, w->cmdNext})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(!w->mnuSortMenu->isEnabled());
    QVERIFY(w->mnuExit->isEnabled());

    // The handlers must cope as well, should they be reached.
    w->mnuSort_Click(2);
    w->cmdNext_Click();
    w->cmdLast_Click();
    QCOMPARE(dialogs.beepCount(), 0);
    QVERIFY(w->txtTitle->text().isEmpty());
}

void TestFrmMainStartup::firstBookBySortTitle()
{
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    folder.addBook(u"The Zebra"_s, {{u"SortTitle"_s, u"ZEBRA"_s}});
    folder.addBook(u"An Apple a Day"_s, {{u"SortTitle"_s, u"APPLE A DAY"_s}});
    folder.addBook(u"Mango"_s);
    auto w = loadWindow(folder.path());

    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(w->txtTitle->text(), u"An Apple a Day"_s);
    QVERIFY(w->txtTitle->isEnabled());
    QVERIFY(browseButtonsShown(*w));
    QVERIFY(!w->Editing);
}

void TestFrmMainStartup::authorEntriesLastNameCommaFirstName()
{
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    folder.addAuthor(1, u"Smith"_s, u"John"_s);
    folder.addAuthor(2, u"Adams"_s, u"Ann"_s);
    folder.addAuthor(3, u"Smith"_s, QVariant());
    folder.addAuthor(4, u"Brown"_s, u""_s);
    auto w = loadWindow(folder.path());

    QCOMPARE(entries(w->cmbAuthID),
             QStringList({u"Adams, Ann"_s, u"Brown, "_s, u"Smith, "_s, u"Smith, John"_s}));
    QCOMPARE(entryKeys(w->cmbAuthID), QList<qlonglong>({2, 4, 3, 1}));
    // Filling the lists selects nothing.
    QCOMPARE(w->cmbAuthID->currentIndex(), -1);
    QVERIFY(w->cmbAuthID->currentText().isEmpty());
}

void TestFrmMainStartup::lookupListsInNameOrderWithKeys_data()
{
    QTest::addColumn<QString>("comboName");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("keyColumn");
    QTest::addColumn<QString>("nameColumn");
    QTest::newRow("publishers") << u"cmbPubID"_s << u"Publishers"_s << u"PubID"_s << u"PubName"_s;
    QTest::newRow("categories") << u"cmbCatID"_s << u"Categories"_s << u"CatID"_s << u"CatName"_s;
    QTest::newRow("owners") << u"cmbOwnerID"_s << u"Owners"_s << u"OwnID"_s << u"OwnName"_s;
    QTest::newRow("locations") << u"cmbLocID"_s << u"Locations"_s << u"LocID"_s << u"LocName"_s;
    QTest::newRow("formats") << u"cmbForID"_s << u"Formats"_s << u"ForID"_s << u"ForDesc"_s;
    QTest::newRow("series") << u"cmbSerID"_s << u"Series"_s << u"SerID"_s << u"SerDesc"_s;
}

void TestFrmMainStartup::lookupListsInNameOrderWithKeys()
{
    QFETCH(QString, comboName);
    QFETCH(QString, table);
    QFETCH(QString, keyColumn);
    QFETCH(QString, nameColumn);
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    // A fresh catalogue may ship rows of its own (the formats); the test's
    // rows are told apart by their keys.
    folder.addLookup(table, keyColumn, nameColumn, 101, u"zz last"_s);
    folder.addLookup(table, keyColumn, nameColumn, 102, u"AA first"_s);
    folder.addLookup(table, keyColumn, nameColumn, 103, u"mm Middle"_s);
    auto w = loadWindow(folder.path());

    auto* combo = w->findChild<QComboBox*>(comboName);
    QVERIFY(combo);
    const QStringList texts = entries(combo);
    const QList<qlonglong> keys = entryKeys(combo);
    QVERIFY(texts.indexOf(u"AA first"_s) < texts.indexOf(u"mm Middle"_s));
    QVERIFY(texts.indexOf(u"mm Middle"_s) < texts.indexOf(u"zz last"_s));
    QCOMPARE(keys.at(texts.indexOf(u"AA first"_s)), 102);
    QCOMPARE(keys.at(texts.indexOf(u"mm Middle"_s)), 103);
    QCOMPARE(keys.at(texts.indexOf(u"zz last"_s)), 101);
    QCOMPARE(combo->currentIndex(), -1);
}

void TestFrmMainStartup::showRecordFillsEveryField()
{
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    folder.addAuthor(7, u"Tolkien"_s, u"J.R.R."_s);
    folder.addLookup(u"Publishers"_s, u"PubID"_s, u"PubName"_s, 8, u"O'Brien Press"_s);
    folder.addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 9, u"Fantasy"_s);
    folder.addLookup(u"Owners"_s, u"OwnID"_s, u"OwnName"_s, 10, u"Ann"_s);
    folder.addLookup(u"Locations"_s, u"LocID"_s, u"LocName"_s, 11, u"Study"_s);
    folder.addLookup(u"Formats"_s, u"ForID"_s, u"ForDesc"_s, 12, u"Audio"_s);
    folder.addLookup(u"Series"_s, u"SerID"_s, u"SerDesc"_s, 13, u"Middle-earth"_s);
    folder.addBook(u"The Hobbit"_s, {{u"SortTitle"_s, u"HOBBIT"_s},
                                     {u"AuthID"_s, 7},
                                     {u"PubID"_s, 8},
                                     {u"CatID"_s, 9},
                                     {u"OwnerID"_s, 10},
                                     {u"LocID"_s, 11},
                                     {u"ForID"_s, 12},
                                     {u"SerID"_s, 13},
                                     {u"Vol"_s, 2},
                                     {u"Issue"_s, 14},
                                     {u"Year"_s, 1937},
                                     {u"ISBN"_s, u"0-04-823070-9"_s},
                                     {u"Fiction"_s, true},
                                     {u"New"_s, false},
                                     {u"Paperback"_s, false},
                                     {u"Read"_s, true},
                                     {u"BuyDate"_s, QDate(2001, 3, 7)},
                                     {u"ReadDate"_s, QDate(2002, 12, 25)},
                                     {u"CoverPrice"_s, 12.5},
                                     {u"BuyPrice"_s, 1234.5},
                                     {u"Notes"_s, u"First edition.\nSigned."_s},
                                     {u"OnLoan"_s, true},
                                     {u"LoanedTo"_s, u"Bilbo"_s},
                                     {u"LoanDate"_s, QDate(2024, 1, 31)}});
    auto w = loadWindow(folder.path());

    QCOMPARE(w->txtTitle->text(), u"The Hobbit"_s);
    QCOMPARE(w->cmbAuthID->currentText(), u"Tolkien, J.R.R."_s);
    QCOMPARE(w->cmbPubID->currentText(), u"O'Brien Press"_s);
    QCOMPARE(w->cmbCatID->currentText(), u"Fantasy"_s);
    QCOMPARE(w->cmbOwnerID->currentText(), u"Ann"_s);
    QCOMPARE(w->cmbLocID->currentText(), u"Study"_s);
    QCOMPARE(w->cmbForID->currentText(), u"Audio"_s);
    QCOMPARE(w->cmbSerID->currentText(), u"Middle-earth"_s);
    QCOMPARE(w->cmbAuthID->itemData(w->cmbAuthID->currentIndex(), Qt::UserRole).toLongLong(), 7);
    QCOMPARE(w->txtVol->text(), u"2"_s);
    QCOMPARE(w->txtIssue->text(), u"14"_s);
    QCOMPARE(w->txtYear->text(), u"1937"_s);
    QCOMPARE(w->txtISBN->text(), u"0-04-823070-9"_s);
    QVERIFY(w->optFiction[0]->isChecked());
    QVERIFY(!w->optFiction[1]->isChecked());
    QVERIFY(w->optNew[1]->isChecked());
    QVERIFY(w->optPaperback[1]->isChecked());
    QVERIFY(w->chkRead->isChecked());
    QCOMPARE(w->txtCoverPrice->text(), u"$12.50"_s);
    QCOMPARE(w->txtBuyPrice->text(), u"$1,234.50"_s);
    QCOMPARE(w->dcBuyDate->text(), LocaleFormats::shortDate(QDate(2001, 3, 7)));
    QCOMPARE(w->dcReadDate->text(), LocaleFormats::shortDate(QDate(2002, 12, 25)));
    QCOMPARE(w->dcLoanDate->text(), LocaleFormats::shortDate(QDate(2024, 1, 31)));
    QVERIFY(w->dcBuyDate->text().contains(u"3/7/"_s));
    QCOMPARE(w->txtNotes->toPlainText(), u"First edition.\nSigned."_s);
    QVERIFY(w->chkOnLoan->isChecked());
    QCOMPARE(w->txtLoanedTo->text(), u"Bilbo"_s);
    QVERIFY(browseButtonsShown(*w));
}

void TestFrmMainStartup::missingValuesShowEmpty_data()
{
    QTest::addColumn<QVariant>("lookupKey");
    QTest::newRow("no value (-1)") << QVariant(-1);
    QTest::newRow("Null (stored before the upgrade)") << QVariant();
    QTest::newRow("key of a removed lookup row") << QVariant(999);
}

// The second book lacks everything the first one has: moving to it must leave
// nothing of the first book behind.
void TestFrmMainStartup::missingValuesShowEmpty()
{
    QFETCH(QVariant, lookupKey);
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    folder.addAuthor(1, u"Adams"_s, u"Ann"_s);
    folder.addLookup(u"Publishers"_s, u"PubID"_s, u"PubName"_s, 1, u"Penguin"_s);
    folder.addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 1, u"Travel"_s);
    folder.addLookup(u"Owners"_s, u"OwnID"_s, u"OwnName"_s, 1, u"Ann"_s);
    folder.addLookup(u"Locations"_s, u"LocID"_s, u"LocName"_s, 1, u"Hall"_s);
    folder.addLookup(u"Series"_s, u"SerID"_s, u"SerDesc"_s, 1, u"Guides"_s);
    folder.addLookup(u"Formats"_s, u"ForID"_s, u"ForDesc"_s, 50, u"Audio"_s);
    folder.addBook(u"A full book"_s, {{u"SortTitle"_s, u"A"_s},
                                      {u"AuthID"_s, 1},
                                      {u"PubID"_s, 1},
                                      {u"CatID"_s, 1},
                                      {u"OwnerID"_s, 1},
                                      {u"LocID"_s, 1},
                                      {u"ForID"_s, 50},
                                      {u"SerID"_s, 1},
                                      {u"Vol"_s, 3},
                                      {u"Issue"_s, 4},
                                      {u"Year"_s, 1999},
                                      {u"ISBN"_s, u"123"_s},
                                      {u"Fiction"_s, true},
                                      {u"New"_s, true},
                                      {u"Paperback"_s, true},
                                      {u"Read"_s, true},
                                      {u"OnLoan"_s, true},
                                      {u"LoanedTo"_s, u"Bob"_s},
                                      {u"CoverPrice"_s, 5.0},
                                      {u"BuyPrice"_s, 4.0},
                                      {u"Notes"_s, u"n"_s},
                                      {u"BuyDate"_s, QDate(2000, 1, 2)},
                                      {u"ReadDate"_s, QDate(2000, 2, 3)},
                                      {u"LoanDate"_s, QDate(2000, 3, 4)}});
    QVariantMap bare{{u"SortTitle"_s, u"B"_s},     {u"Fiction"_s, QVariant()}, {u"New"_s, QVariant()},
                     {u"Paperback"_s, QVariant()}, {u"Read"_s, QVariant()},    {u"OnLoan"_s, QVariant()}};
    for (const QString& key :
         {u"AuthID"_s, u"PubID"_s, u"CatID"_s, u"OwnerID"_s, u"LocID"_s, u"ForID"_s, u"SerID"_s})
        bare.insert(key, lookupKey);
    folder.addBook(u"Bare"_s, bare);
    auto w = loadWindow(folder.path());
    QCOMPARE(w->cmbAuthID->currentText(), u"Adams, Ann"_s);
    QVERIFY(!w->cmbForID->currentText().isEmpty());

    w->cmdNext->click();

    QCOMPARE(w->txtTitle->text(), u"Bare"_s);
    for (QComboBox* combo :
         {w->cmbAuthID, w->cmbPubID, w->cmbCatID, w->cmbOwnerID, w->cmbLocID, w->cmbForID, w->cmbSerID}) {
        QVERIFY2(combo->currentText().isEmpty(), qPrintable(combo->objectName()));
        QCOMPARE(combo->currentIndex(), -1);
    }
    for (QLineEdit* edit :
         {w->txtVol, w->txtIssue, w->txtYear, w->txtISBN, w->txtCoverPrice, w->txtBuyPrice, w->txtLoanedTo})
        QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
    for (DateField* field : {w->dcBuyDate, w->dcReadDate, w->dcLoanDate})
        QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    QVERIFY(w->txtNotes->toPlainText().isEmpty());
    // Null counts as false.
    QVERIFY(w->optFiction[1]->isChecked());
    QVERIFY(w->optNew[1]->isChecked());
    QVERIFY(w->optPaperback[1]->isChecked());
    QVERIFY(!w->chkRead->isChecked());
    QVERIFY(!w->chkOnLoan->isChecked());
    QVERIFY(browseButtonsShown(*w));
    QVERIFY(dialogs.messages().isEmpty());
}

void TestFrmMainStartup::addedLookupEntryIsShownByKey()
{
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    folder.addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 1, u"Art"_s);
    folder.addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 2, u"Travel"_s);
    folder.addBook(u"One"_s, {{u"CatID"_s, 2}});
    auto w = loadWindow(folder.path());
    QCOMPARE(w->cmbCatID->currentText(), u"Travel"_s);

    // A value added while saving goes to its sorted place; every row after it
    // moves, and the key index must follow.
    w->AddLookupEntry(w->cmbCatID, u"history"_s, 3);
    QCOMPARE(entries(w->cmbCatID), QStringList({u"Art"_s, u"history"_s, u"Travel"_s}));
    QCOMPARE(w->LookupRow(w->cmbCatID, 3), 1);
    QCOMPARE(w->LookupRow(w->cmbCatID, 2), 2);
    QCOMPARE(w->LookupRow(w->cmbCatID, 42), -1);

    w->cmdFirst->click();
    QCOMPARE(w->cmbCatID->currentText(), u"Travel"_s);
    QVERIFY(browseButtonsShown(*w));
}

void TestFrmMainStartup::earlierLayoutUpgradedBeforeBooksOpen()
{
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    {
        auto db = Database::create(folder.cataloguePath());
        createEarlierLayoutTables(*db);
        db->execute(
            u"insert into Books (Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, Fiction, New, "
            "Paperback, Read, OnLoan) values ('Old Book', 'OLD BOOK', -1, -1, -1, -1, -1, true, true, "
            "true, false, false)"_s);
        db->close();
    }
    auto w = loadWindow(folder.path());

    QVERIFY(dialogs.messages().isEmpty());
    QCOMPARE(w->txtTitle->text(), u"Old Book"_s);
    QCOMPARE(w->cmbForID->currentText(), u"Paperback"_s);
    QVERIFY(w->cmbSerID->currentText().isEmpty());
    QVERIFY(w->txtVol->text().isEmpty());
    QVERIFY(entries(w->cmbForID).contains(u"Hardcover"_s));
}

void TestFrmMainStartup::failingStepReportedAndStartupGoesOn()
{
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    folder.addAuthor(1, u"Adams"_s, u"Ann"_s);
    folder.addBook(u"Still Shown"_s, {{u"AuthID"_s, 1}});
    folder.execute({u"DROP TABLE Owners"_s});
    auto w = loadWindow(folder.path());

    // The lookup recordset and the list of the missing table both fail.
    QVERIFY(!dialogs.messages().isEmpty());
    QVERIFY(!w->rsOwners);
    QVERIFY(w->rsAuthors);
    QVERIFY(w->rsSeries);
    QCOMPARE(w->cmbOwnerID->count(), 0);
    QCOMPARE(entries(w->cmbAuthID), QStringList({u"Adams, Ann"_s}));
    QCOMPARE(w->txtTitle->text(), u"Still Shown"_s);
    QCOMPARE(w->cmbAuthID->currentText(), u"Adams, Ann"_s);
    QVERIFY(browseButtonsShown(*w));
    QVERIFY(!w->Editing);
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
    ScopedScriptedDialogs dialogs;
    CatalogueFolder folder;
    folder.create();
    folder.addBook(u"Only"_s);
    auto w = loadWindow(folder.path());
    w->show();
    QVERIFY(w->rsBooks);
    // While the window runs, nobody else may open the catalogue.
    QVERIFY_THROWS_EXCEPTION(DbError, Database::open(folder.cataloguePath(), Database::OpenMode::Exclusive));

    if (how == u"exit"_s)
        w->mnuExit->trigger();
    else if (how == u"close"_s)
        QVERIFY(w->close());
    else
        w.reset();

    if (w) {
        QVERIFY(w->isHidden());
        QVERIFY(!w->rsBooks);
        QVERIFY(!w->rsBookEdit);
        QVERIFY(!w->rsAuthors);
    }
    QVERIFY(!catalogueState().dbCatalogue);
    auto again = Database::open(folder.cataloguePath(), Database::OpenMode::Exclusive);
    QVERIFY(again->isOpen());
    again->close();
    QVERIFY(dialogs.messages().isEmpty());
}

QTEST_MAIN(TestFrmMainStartup)
#include "tst_frm_main_startup.moc"
