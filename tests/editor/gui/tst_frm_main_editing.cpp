// Adding, changing, cancelling and deleting books through the main window's
// command buttons, and what the stores leave in the catalogue.

#include "editor/gui/editing_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRadioButton>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainEditing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void updateShowsStoredBookInCurrentOrder_data();
    void updateShowsStoredBookInCurrentOrder();
    void addAnotherStoresAndStartsTheNext();
    void cancelRestoresTheStoredBook();
    void addNewOnEmptyCatalogueThenCancel();
    void missingTitleStopsTheStore_data();
    void missingTitleStopsTheStore();
    void deleteShowsTheSecondBookOfTheOrder_data();
    void deleteShowsTheSecondBookOfTheOrder();
    void deletingTheOnlyBookEmptiesTheWindow();
    void answeringNoDeletesNothing();
    void newLookupValueIsAddedOnce();
    void emptyFieldsAreStoredEmpty();
    void everyFieldIsStoredAndShownAgain();
    void datesOfTheTwentiesMoveACenturyOn_data();
    void datesOfTheTwentiesMoveACenturyOn();

private:
    void createCollection();
    // The title order's books, from the first, paged with Next until it beeps.
    QStringList titles() { return titlesInOrder(f.window(), f.dialogs()); }
    void showTitle(const QString& title);

    EditingFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestFrmMainEditing::init()
{
    f.setUp();
}

void TestFrmMainEditing::cleanup()
{
    const QStringList messages = f.takeMessages();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u"; "_s)));
    QCOMPARE(f.dialogs().unusedAnswers(), 0);
    f.tearDown();
}

// Four books. Title order: Apple Pie, Banana, Moon, Zoo Life. Author order:
// Moon (none), Zoo Life (Adams), Apple Pie, Banana (Smith). Category order:
// Moon (none), Banana (Art), Apple Pie, Zoo Life (Travel).
void TestFrmMainEditing::createCollection()
{
    f.folder().addAuthor(1, u"Smith"_s, u"John"_s);
    f.folder().addAuthor(2, u"Adams"_s, u"Ann"_s);
    f.folder().addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 1, u"Travel"_s);
    f.folder().addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 2, u"Art"_s);
    f.folder().addBook(u"Zoo Life"_s, {{u"AuthID"_s, 2}, {u"CatID"_s, 1}});
    f.folder().addBook(u"Apple Pie"_s, {{u"AuthID"_s, 1}, {u"CatID"_s, 1}});
    f.folder().addBook(u"Moon"_s);
    f.folder().addBook(u"Banana"_s, {{u"AuthID"_s, 1}, {u"CatID"_s, 2}});
}

void TestFrmMainEditing::showTitle(const QString& title)
{
    frmMain& w = f.window();
    w.cmdFirst->click();
    for (int guard = 0; guard < 10 && w.txtTitle->text() != title; ++guard)
        w.cmdNext->click();
    QCOMPARE(w.txtTitle->text(), title);
}

void TestFrmMainEditing::updateShowsStoredBookInCurrentOrder_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("orderAfter");

    // Banana is changed to "Cherry" and moves in each order; the window stays
    // on it wherever it lands.
    QTest::newRow("title") << 1 << u"Smith, John"_s << u"Art"_s
                           << QStringList{u"Apple Pie"_s, u"Cherry"_s, u"Moon"_s, u"Zoo Life"_s};
    QTest::newRow("author") << 2 << u"Adams, Ann"_s << u"Art"_s
                            << QStringList{u"Moon"_s, u"Cherry"_s, u"Zoo Life"_s, u"Apple Pie"_s};
    QTest::newRow("category") << 3 << u"Smith, John"_s << u"Travel"_s
                              << QStringList{u"Moon"_s, u"Apple Pie"_s, u"Cherry"_s, u"Zoo Life"_s};
}

void TestFrmMainEditing::updateShowsStoredBookInCurrentOrder()
{
    QFETCH(int, order);
    QFETCH(QString, author);
    QFETCH(QString, category);
    QFETCH(QStringList, orderAfter);

    createCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    w.mnuSort[order]->trigger();
    showTitle(u"Banana"_s);

    f.typeInto(w.txtTitle, u"Cherry"_s);
    QVERIFY(editButtonsShown(w));
    f.typeInto(w.cmbAuthID, author);
    f.typeInto(w.cmbCatID, category);
    w.cmdUpdate->click();

    QCOMPARE(w.txtTitle->text(), u"Cherry"_s);
    QCOMPARE(w.cmbAuthID->currentText(), author);
    QCOMPARE(w.cmbCatID->currentText(), category);
    QVERIFY(browseButtonsShown(w));
    QVERIFY(!w.Editing);
    QCOMPARE(w.SortOrder, order);
    for (int item = 1; item <= 3; ++item)
        QCOMPARE(w.mnuSort[item]->isChecked(), item == order);
    QCOMPARE(titles(), orderAfter);
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"4"_s});
    QCOMPARE(f.rows("select SortTitle from Books where Title = 'Cherry'"), QStringList{u"CHERRY"_s});
}

void TestFrmMainEditing::addAnotherStoresAndStartsTheNext()
{
    createCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    w.cmdAdd->click();
    QCOMPARE(w.cmdAdd->text(), u"&Add Another"_s);
    QVERIFY(w.Adding);
    QVERIFY(w.txtTitle->text().isEmpty());
    QCOMPARE(f.focused(), w.txtTitle);
    QVERIFY(shown(w.cmdAdd) && shown(w.cmdCancel) && shown(w.cmdUpdate) && !shown(w.cmdNext));

    f.typeInto(w.txtTitle, u"The Hobbit"_s);
    f.typeInto(w.txtYear, u"1937"_s);
    f.typeInto(w.cmbAuthID, u"Tolkien, J.R.R."_s);
    w.cmdAdd->click();

    // Stored, and the window empty again for the next book.
    QCOMPARE(f.rows("select Title, SortTitle, Year from Books where Title = 'The Hobbit'"),
             QStringList{u"The Hobbit|HOBBIT|1937"_s});
    for (const QLineEdit* edit : {w.txtTitle, w.txtYear})
        QVERIFY(edit->text().isEmpty());
    QVERIFY(w.cmbAuthID->currentText().isEmpty());
    QCOMPARE(w.cmdAdd->text(), u"&Add Another"_s);
    QVERIFY(w.Adding);
    QCOMPARE(f.focused(), w.txtTitle);
    QVERIFY(shown(w.cmdAdd) && shown(w.cmdCancel) && shown(w.cmdUpdate));
    // The author typed for the first book is in the list for the next one.
    QVERIFY(entries(w.cmbAuthID).contains(u"Tolkien, J.R.R."_s));

    f.typeInto(w.txtTitle, u"Another One"_s);
    w.cmdUpdate->click();

    QCOMPARE(w.txtTitle->text(), u"Another One"_s);
    QCOMPARE(w.cmdAdd->text(), u"&Add New"_s);
    QVERIFY(!w.Adding);
    QVERIFY(!w.Editing);
    QVERIFY(browseButtonsShown(w));
    QCOMPARE(titles(), QStringList({u"Another One"_s, u"Apple Pie"_s, u"Banana"_s, u"The Hobbit"_s,
                                    u"Moon"_s, u"Zoo Life"_s}));
}

void TestFrmMainEditing::cancelRestoresTheStoredBook()
{
    createCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    showTitle(u"Banana"_s);

    f.typeInto(w.txtTitle, u"Changed"_s);
    f.typeInto(w.cmbAuthID, u"Someone Else"_s);
    w.chkRead->click();
    QVERIFY(editButtonsShown(w));
    w.cmdCancel->click();

    QCOMPARE(w.txtTitle->text(), u"Banana"_s);
    QCOMPARE(w.cmbAuthID->currentText(), u"Smith, John"_s);
    QVERIFY(!w.chkRead->isChecked());
    QVERIFY(browseButtonsShown(w));
    QVERIFY(!w.Editing);
    QCOMPARE(f.rows("select count(*) from Books where Title = 'Changed'"), QStringList{u"0"_s});
    QCOMPARE(f.rows("select count(*) from Authors"), QStringList{u"2"_s});

    // Cancel of a new book goes back to the first book of the order.
    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"Never Stored"_s);
    w.cmdCancel->click();
    QCOMPARE(w.txtTitle->text(), u"Apple Pie"_s);
    QCOMPARE(w.cmdAdd->text(), u"&Add New"_s);
    QVERIFY(!w.Adding);
    QVERIFY(browseButtonsShown(w));
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"4"_s});
}

void TestFrmMainEditing::addNewOnEmptyCatalogueThenCancel()
{
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    QVERIFY(!w.txtTitle->isEnabled());

    w.cmdAdd->click();
    for (QWidget* field : {static_cast<QWidget*>(w.txtTitle), static_cast<QWidget*>(w.cmbAuthID),
                           static_cast<QWidget*>(w.txtNotes), static_cast<QWidget*>(w.chkRead)})
        QVERIFY2(field->isEnabled(), qPrintable(field->objectName()));
    QCOMPARE(f.focused(), w.txtTitle);
    f.typeInto(w.txtTitle, u"Half Typed"_s);

    w.cmdCancel->click();
    QVERIFY(w.txtTitle->text().isEmpty());
    QVERIFY(!w.txtTitle->isEnabled());
    QVERIFY(!w.cmbAuthID->isEnabled());
    QCOMPARE(w.cmdAdd->text(), u"&Add New"_s);
    QVERIFY(!w.Adding);
    QVERIFY(!w.Editing);

    // The first book of a catalogue is stored and shown.
    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"First"_s);
    w.cmdUpdate->click();
    QCOMPARE(w.txtTitle->text(), u"First"_s);
    QVERIFY(w.txtTitle->isEnabled());
    QVERIFY(browseButtonsShown(w));
}

void TestFrmMainEditing::missingTitleStopsTheStore_data()
{
    QTest::addColumn<bool>("adding");
    QTest::addColumn<bool>("addAnother");

    QTest::newRow("Update of a changed book") << false << false;
    QTest::newRow("Update of a new book") << true << false;
    QTest::newRow("Add Another") << true << true;
}

void TestFrmMainEditing::missingTitleStopsTheStore()
{
    QFETCH(bool, adding);
    QFETCH(bool, addAnother);

    createCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    if (adding)
        w.cmdAdd->click();
    f.typeInto(w.txtISBN, u"0-123"_s);
    w.txtTitle->clear();

    (addAnother ? w.cmdAdd : w.cmdUpdate)->click();

    QCOMPARE(f.takeMessages(), QStringList{u"Missing Title: You must enter a title, or click Cancel"_s});
    QCOMPARE(w.txtISBN->text(), u"0-123"_s);
    QCOMPARE(w.Adding, adding);
    QVERIFY(shown(w.cmdUpdate) && shown(w.cmdCancel));
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"4"_s});

    // A title of blanks counts as entered.
    f.typeInto(w.txtTitle, u"  "_s);
    w.cmdUpdate->click();
    QCOMPARE(f.rows("select count(*) from Books where ISBN = '0-123'"), QStringList{u"1"_s});
}

void TestFrmMainEditing::deleteShowsTheSecondBookOfTheOrder_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<QString>("shownAfter");

    QTest::newRow("title, first") << 1 << u"Apple Pie"_s << u"Moon"_s;
    QTest::newRow("title, last") << 1 << u"Zoo Life"_s << u"Banana"_s;
    QTest::newRow("author, middle") << 2 << u"Apple Pie"_s << u"Zoo Life"_s;
    QTest::newRow("category, first") << 3 << u"Moon"_s << u"Apple Pie"_s;
}

void TestFrmMainEditing::deleteShowsTheSecondBookOfTheOrder()
{
    QFETCH(int, order);
    QFETCH(QString, deleted);
    QFETCH(QString, shownAfter);

    createCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    w.mnuSort[order]->trigger();
    showTitle(deleted);

    f.dialogs().setNextAnswer(UserDialogs::Answer::Yes);
    w.cmdDelete->click();

    const QList<ScriptedDialogs::Shown> questions = f.dialogs().questions();
    QCOMPARE(questions.size(), 1);
    QCOMPARE(questions.front().title, u"Delete Book"_s);
    QCOMPARE(questions.front().text, u"Are you sure that you want to delete this book?"_s);
    QCOMPARE(w.txtTitle->text(), shownAfter);
    QCOMPARE(w.mnuSort[order]->isChecked(), true);
    QVERIFY(browseButtonsShown(w));
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"3"_s});
    QCOMPARE(f.rows("select count(*) from Books where Title = '" + deleted.toUtf8() + "'"),
             QStringList{u"0"_s});

    // The editing recordset was replaced: storing a change still finds its book.
    f.typeInto(w.txtNotes, u"still editable"_s);
    w.cmdUpdate->click();
    QCOMPARE(f.rows("select Title from Books where Notes = 'still editable'"), QStringList{shownAfter});
}

void TestFrmMainEditing::deletingTheOnlyBookEmptiesTheWindow()
{
    f.folder().addBook(u"Lonely"_s, {{u"ISBN"_s, u"1-2-3"_s}});
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    f.dialogs().setNextAnswer(UserDialogs::Answer::Yes);
    w.cmdDelete->click();

    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"0"_s});
    QVERIFY(w.txtTitle->text().isEmpty());
    QVERIFY(w.txtISBN->text().isEmpty());
    QVERIFY(!w.txtTitle->isEnabled());
    QVERIFY(!w.Editing);
    QVERIFY(browseButtonsShown(w));

    // Nothing left to delete: no question.
    w.cmdDelete->click();
    QCOMPARE(f.dialogs().questions().size(), 1);
}

void TestFrmMainEditing::answeringNoDeletesNothing()
{
    createCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    showTitle(u"Moon"_s);

    f.dialogs().setNextAnswer(UserDialogs::Answer::No);
    w.cmdDelete->click();

    QCOMPARE(f.dialogs().questions().size(), 1);
    QCOMPARE(w.txtTitle->text(), u"Moon"_s);
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"4"_s});
    w.cmdNext->click();
    QCOMPARE(w.txtTitle->text(), u"Zoo Life"_s);
}

void TestFrmMainEditing::newLookupValueIsAddedOnce()
{
    f.folder().addLookup(u"Publishers"_s, u"PubID"_s, u"PubName"_s, 1, u"Ace"_s);
    f.folder().addLookup(u"Publishers"_s, u"PubID"_s, u"PubName"_s, 2, u"Penguin"_s);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"At Swim-Two-Birds"_s);
    f.typeInto(w.cmbPubID, u"O'Brien Press"_s);
    w.cmdAdd->click(); // Add Another

    QCOMPARE(f.rows("select PubName from Publishers order by PubID"),
             QStringList({u"Ace"_s, u"Penguin"_s, u"O'Brien Press"_s}));
    QCOMPARE(entries(w.cmbPubID), QStringList({u"Ace"_s, u"O'Brien Press"_s, u"Penguin"_s}));

    // Found again whatever the case, by typing (completion) and as stored.
    f.typeInto(w.txtTitle, u"The Third Policeman"_s);
    w.cmbPubID->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(w.cmbPubID, u"o'brien press"_s);
    QCOMPARE(w.cmbPubID->currentIndex(), 1);
    w.cmbPubID->setEditText(u"o'brien press"_s);
    w.cmdUpdate->click();

    QCOMPARE(f.rows("select count(*) from Publishers"), QStringList{u"3"_s});
    QCOMPARE(entries(w.cmbPubID).size(), 3);
    QCOMPARE(f.rows("select count(distinct PubID) from Books"), QStringList{u"1"_s});
    QCOMPARE(w.cmbPubID->currentText(), u"O'Brien Press"_s);
}

void TestFrmMainEditing::emptyFieldsAreStoredEmpty()
{
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"Bare"_s);
    w.cmdUpdate->click();

    QCOMPARE(f.rows("select vol, issue, Year, CoverPrice, BuyPrice, BuyDate, ReadDate, LoanDate from Books"),
             QStringList{u"<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>"_s});
    QCOMPARE(f.rows("select ForID, SerID, AuthID, PubID, CatID, OwnerID, LocID from Books"),
             QStringList{u"-1|-1|-1|-1|-1|-1|-1"_s});
    QCOMPARE(f.rows("select '[' || ISBN || '][' || Notes || '][' || LoanedTo || ']' from Books"),
             QStringList{u"[][][]"_s});
    for (const char* table : {"Authors", "Publishers", "Categories", "Owners", "Locations", "Formats", "Series"})
        QCOMPARE(f.rows("select count(*) from " + QByteArray(table)), QStringList{u"0"_s});
}

void TestFrmMainEditing::everyFieldIsStoredAndShownAgain()
{
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"A Tale of Two Cities"_s);
    f.typeInto(w.cmbForID, u"Hardback"_s);
    f.typeInto(w.cmbSerID, u"Classics"_s);
    f.typeInto(w.txtVol, u"2"_s);
    f.typeInto(w.txtIssue, u"7"_s);
    f.typeInto(w.cmbAuthID, u"Dickens, Charles"_s);
    f.typeInto(w.cmbPubID, u"Chapman"_s);
    f.typeInto(w.cmbCatID, u"Novels"_s);
    f.typeInto(w.cmbOwnerID, u"Me"_s);
    f.typeInto(w.cmbLocID, u"Study"_s);
    w.optFiction[1]->click();
    w.optNew[1]->click();
    w.optPaperback[1]->click();
    f.typeInto(w.txtISBN, u"0-14-043960-0"_s);
    f.typeInto(w.txtYear, u"1859"_s);
    f.typeInto(w.txtCoverPrice, u"12.5"_s);
    f.typeInto(w.txtBuyPrice, u"3"_s);
    f.typeInto(w.dcBuyDate->lineEdit(), u"3/4/2001"_s);
    f.typeInto(w.dcReadDate->lineEdit(), u"5/6/2002"_s);
    w.chkRead->click();
    f.typeInto(w.txtNotes, u"Worn"_s);
    w.chkOnLoan->click();
    f.typeInto(w.txtLoanedTo, u"Ann"_s);
    f.typeInto(w.dcLoanDate->lineEdit(), u"7/8/2003"_s);
    w.cmdUpdate->click();

    QCOMPARE(f.rows("select Title, SortTitle, vol, issue, Fiction, New, Paperback, ISBN, Year, CoverPrice, "
                    "BuyPrice, Read, Notes, OnLoan, LoanedTo from Books"),
             QStringList{u"A Tale of Two Cities|TALE OF TWO CITIES|2|7|0|0|0|0-14-043960-0|1859|12.5|3|1|"
                         u"Worn|1|Ann"_s});
    QCOMPARE(f.rows("select LastName, FirstName from Authors"), QStringList{u"Dickens|Charles"_s});
    for (QComboBox* combo : {w.cmbForID, w.cmbSerID, w.cmbAuthID, w.cmbPubID, w.cmbCatID, w.cmbOwnerID,
                             w.cmbLocID})
        QVERIFY2(combo->currentIndex() == 0, qPrintable(combo->objectName()));
    QCOMPARE(w.cmbAuthID->currentText(), u"Dickens, Charles"_s);
    QCOMPARE(w.txtCoverPrice->text(), u"$12.50"_s);
    QCOMPARE(w.dcReadDate->text(), u"5/6/2002"_s);
    QCOMPARE(w.dcLoanDate->text(), u"7/8/2003"_s);
    QVERIFY(w.optPaperback[1]->isChecked());
}

void TestFrmMainEditing::datesOfTheTwentiesMoveACenturyOn_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownAfter");

    QTest::newRow("1/1/1929") << u"1/1/1929"_s << u"1/1/2029"_s;
    QTest::newRow("two-digit year read as 1905") << u"3/5/05"_s << u"3/5/2005"_s;
    QTest::newRow("12/31/1930") << u"12/31/1930"_s << u"12/31/1930"_s;
    QTest::newRow("12/31/1899") << u"12/31/1899"_s << u"12/31/1899"_s;
}

void TestFrmMainEditing::datesOfTheTwentiesMoveACenturyOn()
{
    QFETCH(QString, typed);
    QFETCH(QString, shownAfter);

    f.folder().addBook(u"Dated"_s);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    f.typeInto(w.dcBuyDate->lineEdit(), typed);
    w.cmdUpdate->click();

    QCOMPARE(w.dcBuyDate->text(), shownAfter);
    const QDate expected = QLocale().toDate(shownAfter, u"M/d/yyyy"_s);
    QVERIFY(expected.isValid());
    const QStringList stored = f.rows("select BuyDate from Books");
    QCOMPARE(stored.size(), 1);
    QVERIFY2(stored.front().startsWith(expected.toString(Qt::ISODate)), qPrintable(stored.front()));
}

QTEST_MAIN(TestFrmMainEditing)
#include "tst_frm_main_editing.moc"
