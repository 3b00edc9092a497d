// Adding, changing, cancelling and deleting books through the main window's
// command buttons, and what the stores leave in the catalogue.

#include "editor/gui/main_window_fixture.h"
#include "support/recording_desktop_opener.h"
#include "support/scripted_modals.h"

#include "editor/catalogue_events.h"

#include <QSignalSpy>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainEditing : public QObject
{
    Q_OBJECT

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDownChecked(); }

    void updateShowsStoredBookInCurrentOrder_data();
    void updateShowsStoredBookInCurrentOrder();
    void addAnotherStoresAndStartsTheNext();
    void cancelRestoresTheStoredBook();
    void firstBookOfAnEmptyCatalogueStoredWithEmptyFields();
    void missingTitleStopsTheStore_data();
    void missingTitleStopsTheStore();
    void deleteAsksAndShowsTheNextBook_data();
    void deleteAsksAndShowsTheNextBook();
    void deletingTheOnlyBookEmptiesTheWindow();
    void newLookupValueIsAddedOnce();
    void everyFieldIsStoredAndShownAgain();
    void datesOfTheTwentiesMoveACenturyOn_data();
    void datesOfTheTwentiesMoveACenturyOn();
    void untouchedFieldsAreStoredAsRead();
    void doubleClickPressesOnlyTheButtonClicked();
    void windowsBesideLearnOfEachStore_data();
    void windowsBesideLearnOfEachStore();

private:
    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestFrmMainEditing::updateShowsStoredBookInCurrentOrder_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("orderAfter");

    // Banana is changed to "Cherry" and moves in each order; the window stays
    // on it wherever it lands.
    QTest::newRow("title") << 1 << u"Adams, Ann"_s << u"Cooking"_s
                           << QStringList{u"Apple Pie"_s, u"The Cat"_s, u"Cherry"_s, u"Moon"_s,
                                          u"Zoo Life"_s};
    QTest::newRow("author") << 2 << u"Smith, John"_s << u"Cooking"_s
                            << QStringList{u"Moon"_s, u"Zoo Life"_s, u"Apple Pie"_s, u"The Cat"_s,
                                           u"Cherry"_s};
}

void TestFrmMainEditing::updateShowsStoredBookInCurrentOrder()
{
    QFETCH(int, order);
    QFETCH(QString, author);
    QFETCH(QString, category);
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    w.mnuSort[order]->trigger();
    f.showTitle(u"Banana"_s);

    f.typeInto(w.txtTitle, u"Cherry"_s);
    f.typeInto(w.cmbAuthID, author);
    f.typeInto(w.cmbCatID, category);
    w.cmdUpdate->click();

    QCOMPARE(w.txtTitle->text(), u"Cherry"_s);
    QCOMPARE(w.cmbAuthID->currentText(), author);
    QCOMPARE(w.cmbCatID->currentText(), category);
    // Shown whole, though the completion had selected part of what was typed.
    QVERIFY(!w.cmbAuthID->lineEdit()->hasSelectedText() && !w.cmbCatID->lineEdit()->hasSelectedText());
    QVERIFY(browseButtonsShown(w) && !w.Editing);
    QCOMPARE(static_cast<int>(w.SortOrder), order);
    for (int item = 1; item <= 3; ++item)
        QCOMPARE(w.mnuSort[item]->isChecked(), item == order);
    QTEST(f.titlesInOrder(), "orderAfter");
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"5"_s});
    QCOMPARE(f.rows("select SortTitle from Books where Title = 'Cherry'"), QStringList{u"CHERRY"_s});
}

void TestFrmMainEditing::addAnotherStoresAndStartsTheNext()
{
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    w.cmdAdd->click();
    QCOMPARE(w.cmdAdd->text(), u"&Add Another"_s);
    QVERIFY(w.Adding && w.txtTitle->text().isEmpty());
    f.typeInto(w.txtTitle, u"The Hobbit"_s);
    // Typing keeps Add Another next to Cancel and Update.
    QVERIFY(shown(w.cmdAdd) && shown(w.cmdCancel) && shown(w.cmdUpdate) && !shown(w.cmdNext));
    f.typeInto(w.txtYear, u"1937"_s);
    f.typeInto(w.cmbAuthID, u"Tolkien, J.R.R."_s);
    w.cmdAdd->click();

    // Stored, and the window empty again for the next book, the author just
    // typed in its list.
    QCOMPARE(f.rows("select Title, SortTitle, Year from Books where Title = 'The Hobbit'"),
             QStringList{u"The Hobbit|HOBBIT|1937"_s});
    QVERIFY(w.txtTitle->text().isEmpty() && w.txtYear->text().isEmpty());
    QVERIFY(w.cmbAuthID->currentText().isEmpty() && entries(w.cmbAuthID).contains(u"Tolkien, J.R.R."_s));
    QVERIFY(w.Adding);
    QCOMPARE(f.focused(), w.txtTitle);
    QVERIFY(shown(w.cmdAdd) && shown(w.cmdCancel) && shown(w.cmdUpdate));

    f.typeInto(w.txtTitle, u"Another One"_s);
    w.cmdUpdate->click();
    QCOMPARE(w.txtTitle->text(), u"Another One"_s);
    QCOMPARE(w.cmdAdd->text(), u"&Add New"_s);
    QVERIFY(!w.Adding && !w.Editing && browseButtonsShown(w));
    QCOMPARE(f.titlesInOrder().size(), 7);
}

void TestFrmMainEditing::cancelRestoresTheStoredBook()
{
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    f.showTitle(u"Banana"_s);

    f.typeInto(w.txtTitle, u"Changed"_s);
    f.typeInto(w.cmbAuthID, u"Someone Else"_s);
    w.chkRead->click();
    w.cmdCancel->click();

    QCOMPARE(w.txtTitle->text(), u"Banana"_s);
    QCOMPARE(w.cmbAuthID->currentText(), u"Adams, Ann"_s);
    QVERIFY(!w.chkRead->isChecked() && browseButtonsShown(w) && !w.Editing);
    QCOMPARE(f.rows("select count(*) from Books where Title = 'Changed'"), QStringList{u"0"_s});
    QCOMPARE(f.rows("select count(*) from Authors"), QStringList{u"2"_s});

    // Cancel of a new book goes back to the first book of the order.
    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"Never Stored"_s);
    w.cmdCancel->click();
    QCOMPARE(w.txtTitle->text(), u"Apple Pie"_s);
    QCOMPARE(w.cmdAdd->text(), u"&Add New"_s);
    QVERIFY(!w.Adding && browseButtonsShown(w));
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"5"_s});
}

void TestFrmMainEditing::firstBookOfAnEmptyCatalogueStoredWithEmptyFields()
{
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    // Cancelled, the new book leaves the window as empty and disabled as before.
    w.cmdAdd->click();
    QVERIFY(w.txtTitle->isEnabled() && w.cmbAuthID->isEnabled() && w.txtNotes->isEnabled());
    QCOMPARE(f.focused(), w.txtTitle);
    f.typeInto(w.txtTitle, u"Half Typed"_s);
    w.cmdCancel->click();
    QVERIFY(w.txtTitle->text().isEmpty() && !w.txtTitle->isEnabled() && !w.cmbAuthID->isEnabled());
    QVERIFY(!w.Adding && !w.Editing);

    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"Bare"_s);
    w.cmdUpdate->click();
    QCOMPARE(w.txtTitle->text(), u"Bare"_s);
    QVERIFY(w.txtTitle->isEnabled() && browseButtonsShown(w));
    QCOMPARE(
        f.rows("select Vol, Issue, Year, CoverPrice, BuyPrice, BuyDate, ReadDate, LoanDate, ForID, SerID, "
               "AuthID, PubID, CatID, OwnerID, LocID, '[' || ISBN || Notes || LoanedTo || ']' from Books"),
        QStringList{u"<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>|-1|-1|-1|-1|-1|-1|-1|[]"_s});
    QCOMPARE(f.rows("select (select count(*) from Authors) + (select count(*) from Publishers) + "
                    "(select count(*) from Categories) + (select count(*) from Owners) + "
                    "(select count(*) from Locations) + (select count(*) from Formats) + "
                    "(select count(*) from Series)"),
             QStringList{u"0"_s});
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
    f.folder().addCollection();
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
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"5"_s});

    // A title of blanks counts as entered.
    f.typeInto(w.txtTitle, u"  "_s);
    w.cmdUpdate->click();
    QCOMPARE(f.rows("select count(*) from Books where ISBN = '0-123'"), QStringList{u"1"_s});
}

void TestFrmMainEditing::deleteAsksAndShowsTheNextBook_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QString>("shownAfter");
    QTest::newRow("title, first") << 1 << u"Apple Pie"_s << true << u"The Cat"_s;
    QTest::newRow("author, middle") << 2 << u"Apple Pie"_s << true << u"Banana"_s;
    QTest::newRow("answered No") << 1 << u"Moon"_s << false << u"Moon"_s;
}

void TestFrmMainEditing::deleteAsksAndShowsTheNextBook()
{
    QFETCH(int, order);
    QFETCH(QString, deleted);
    QFETCH(bool, answerYes);
    QFETCH(QString, shownAfter);
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    w.mnuSort[order]->trigger();
    f.showTitle(deleted);

    f.dialogs().setNextAnswer(answerYes ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    w.cmdDelete->click();

    const QList<ScriptedDialogs::Shown> questions = f.dialogs().questions();
    QCOMPARE(questions.size(), 1);
    QCOMPARE(questions.front().title + u": "_s + questions.front().text,
             u"Delete Book: Are you sure that you want to delete this book?"_s);
    QCOMPARE(w.txtTitle->text(), shownAfter);
    QVERIFY(w.mnuSort[order]->isChecked() && browseButtonsShown(w));
    QCOMPARE(f.rows("select count(*) from Books where Title = '" + deleted.toUtf8() + "'"),
             QStringList{answerYes ? u"0"_s : u"1"_s});
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{answerYes ? u"4"_s : u"5"_s});

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
    QVERIFY(w.txtTitle->text().isEmpty() && w.txtISBN->text().isEmpty() && !w.txtTitle->isEnabled());
    QVERIFY(!w.Editing && browseButtonsShown(w));
    // Nothing left to delete: no question.
    w.cmdDelete->click();
    QCOMPARE(f.dialogs().questions().size(), 1);
}

void TestFrmMainEditing::newLookupValueIsAddedOnce()
{
    f.folder().addLookup(u"Publishers"_s, u"PubID, PubName"_s, 1, u"Ace"_s);
    f.folder().addLookup(u"Publishers"_s, u"PubID, PubName"_s, 2, u"Penguin"_s);
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
    f.typeInto(w.cmbPubID, u"o'brien press"_s);
    QCOMPARE(w.cmbPubID->currentIndex(), 1);
    w.cmbPubID->setEditText(u"o'brien press"_s);
    w.cmdUpdate->click();

    QCOMPARE(f.rows("select count(*) from Publishers"), QStringList{u"3"_s});
    QCOMPARE(entries(w.cmbPubID).size(), 3);
    QCOMPARE(f.rows("select count(distinct PubID) from Books"), QStringList{u"1"_s});
    QCOMPARE(w.cmbPubID->currentText(), u"O'Brien Press"_s);
}

void TestFrmMainEditing::everyFieldIsStoredAndShownAgain()
{
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    w.cmdAdd->click();
    const QStringList typed =
        u"txtTitle=A Tale of Two Cities|cmbForID=Hardback|cmbSerID=Classics|txtVol=2|txtIssue=7|"
        u"cmbAuthID=Dickens, Charles|cmbPubID=Chapman|cmbCatID=Novels|cmbOwnerID=Me|cmbLocID=Study|"
        u"txtISBN=0-14-043960-9|txtYear=1859|txtCoverPrice=12.5|txtBuyPrice=3|dcBuyDate=3/4/2001|"
        u"dcReadDate=5/6/2002|txtNotes=Worn|txtLoanedTo=Ann|dcLoanDate=7/8/2003"_s.split(u'|');
    for (const QString& entry : typed) {
        QWidget* field = w.findChild<QWidget*>(entry.section(u'=', 0, 0));
        if (auto* date = qobject_cast<DateField*>(field))
            field = date->lineEdit();
        f.typeInto(field, entry.section(u'=', 1));
    }
    for (QRadioButton* option : {w.optFiction[1], w.optNew[1], w.optPaperback[1]})
        option->click();
    w.chkRead->click();
    w.chkOnLoan->click();
    w.cmdUpdate->click();

    QCOMPARE(f.rows("select Title, SortTitle, vol, issue, Fiction, New, Paperback, ISBN, Year, CoverPrice, "
                    "BuyPrice, Read, Notes, OnLoan, LoanedTo from Books"),
             QStringList{u"A Tale of Two Cities|TALE OF TWO CITIES|2|7|0|0|0|0-14-043960-9|1859|12.5|3|1|"
                         u"Worn|1|Ann"_s});
    QCOMPARE(f.rows("select LastName, FirstName from Authors"), QStringList{u"Dickens|Charles"_s});
    for (QComboBox* combo :
         {w.cmbForID, w.cmbSerID, w.cmbAuthID, w.cmbPubID, w.cmbCatID, w.cmbOwnerID, w.cmbLocID})
        QVERIFY2(combo->currentIndex() == 0, qPrintable(combo->objectName()));
    QCOMPARE(w.txtCoverPrice->text(), u"$12.50"_s);
    QCOMPARE(w.dcBuyDate->text() + w.dcReadDate->text() + w.dcLoanDate->text(),
             u"3/4/20015/6/20027/8/2003"_s);
    QVERIFY(w.optPaperback[1]->isChecked());
}

void TestFrmMainEditing::datesOfTheTwentiesMoveACenturyOn_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("stored");
    QTest::newRow("1929 read as 2029") << u"1/1/1929"_s << QDate(2029, 1, 1);
    QTest::newRow("two-digit year read as 1905") << u"3/5/05"_s << QDate(2005, 3, 5);
    QTest::newRow("1900 read as 2000") << u"1/1/1900"_s << QDate(2000, 1, 1);
    QTest::newRow("1930 kept") << u"12/31/1930"_s << QDate(1930, 12, 31);
    QTest::newRow("1899 kept") << u"12/31/1899"_s << QDate(1899, 12, 31);
}

void TestFrmMainEditing::datesOfTheTwentiesMoveACenturyOn()
{
    QFETCH(QString, typed);
    QFETCH(QDate, stored);
    f.folder().addBook(u"Dated"_s);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();

    f.typeInto(w.dcBuyDate->lineEdit(), typed);
    w.cmdUpdate->click();

    QCOMPARE(w.dcBuyDate->text(), stored.toString(u"M/d/yyyy"_s));
    const QStringList rows = f.rows("select BuyDate from Books");
    QCOMPARE(rows.size(), 1);
    QVERIFY2(rows.front().startsWith(stored.toString(Qt::ISODate)), qPrintable(rows.front()));
}

// Changed in its title alone, a book keeps every other column as it was read,
// and brings no new lookup row.
void TestFrmMainEditing::untouchedFieldsAreStoredAsRead()
{
    f.folder().execute(u"insert into Authors values (4, 'Homer', Null)"_s);
    f.folder().addBook(u"Odyssey"_s, {{u"Notes"_s, u"One\r\nTwo\r\n"_s},
                                      {u"CoverPrice"_s, 12.3456},
                                      {u"BuyDate"_s, QDate(1925, 4, 3)},
                                      {u"Fiction"_s, QVariant()},
                                      {u"AuthID"_s, 4}});
    const QByteArray asStored = "select quote(Notes), CoverPrice, BuyDate, quote(Fiction), AuthID, "
                                "(select count(*) from Authors) from Books";
    const QStringList before = nativeRows(*Database::open(f.folder().cataloguePath()), asStored);
    QVERIFY(f.openWindow());
    f.typeInto(f.window().txtTitle, u"The Odyssey"_s);
    f.window().cmdUpdate->click();
    QCOMPARE(f.rows(asStored), before);
}

// The second click of a double click on Cancel or Update presses nothing of
// what took their place; one on a button that stays presses it again.
void TestFrmMainEditing::doubleClickPressesOnlyTheButtonClicked()
{
    ScopedScriptedModals modals;
    RecordingDesktopOpener desktop;
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    const auto doubleClick = [&w](QWidget* button) {
        const QPoint spot = button->mapTo(&w, button->rect().center());
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, spot);
        QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval; // the buttons laid out, still in time
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, spot);
    };
    for (QPushButton* button : {w.cmdCancel, w.cmdUpdate}) {
        f.typeInto(w.txtYear, u"1990"_s);
        doubleClick(button);
    }
    doubleClick(w.cmdNext);
    QCOMPARE(w.txtTitle->text(), u"The Cat"_s);
    QVERIFY(modals.shown().isEmpty() && desktop.opened.isEmpty());
}

void TestFrmMainEditing::windowsBesideLearnOfEachStore_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("told"); // each signal with its arguments, "Apple Pie" standing for its key
    QTest::newRow("a book changed") << u"update"_s << u"stored Apple Pie, changed"_s;
    QTest::newRow("a book added with a new author") << u"add"_s << u"list 2; stored new, added"_s;
    QTest::newRow("a book deleted") << u"delete"_s << u"deleted Apple Pie"_s;
    QTest::newRow("a store refused") << u"refused"_s << QString();
}

// Lists and views of many books beside the window follow its stores.
void TestFrmMainEditing::windowsBesideLearnOfEachStore()
{
    QFETCH(QString, command);
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    const int shownKey = f.rows("select BookID from Books where Title = 'Apple Pie'").value(0).toInt();
    QStringList told;
    const auto key = [shownKey](qint32 id) { return id == shownKey ? u"Apple Pie"_s : u"new"_s; };
    connect(&w.events(), &CatalogueEvents::bookStored, this, [&](qint32 id, bool added) {
        told << u"stored "_s + key(id) + (added ? u", added"_s : u", changed"_s);
    });
    connect(&w.events(), &CatalogueEvents::bookDeleted, this,
            [&](qint32 id) { told << u"deleted "_s + key(id); });
    connect(&w.events(), &CatalogueEvents::lookupListChanged, this,
            [&](LookupField field) { told << u"list "_s + QString::number(int(field)); });

    if (command == u"add"_s) {
        w.cmdAdd->click();
        f.typeInto(w.txtTitle, u"Another"_s);
        f.typeInto(w.cmbAuthID, u"Doe, Jane"_s);
    } else if (command == u"delete"_s) {
        f.dialogs().setNextAnswer(UserDialogs::Answer::Yes);
    } else {
        f.typeInto(w.txtTitle, u"Apple Pie"_s);
        if (command == u"refused"_s) {
            QTest::keyClick(w.txtTitle, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(w.txtTitle, Qt::Key_Delete);
        }
    }
    if (command == u"delete"_s)
        w.cmdDelete->click();
    else
        w.cmdUpdate->click();
    if (command == u"refused"_s)
        QCOMPARE(f.takeMessages(), QStringList{u"Missing Title: You must enter a title, or click Cancel"_s});
    QTEST(told.join(u"; "_s), "told");
    f.dialogs().clear();
}

QTEST_MAIN(TestFrmMainEditing)
#include "tst_frm_main_editing.moc"
