// Typing in the main window: completion in the lookup fields, the author
// name rewriting, the number field checks on leaving a field, stores that
// fail without losing what the user typed, and pasted control characters.

#include "editor/gui/main_window_fixture.h"

#include "database/native_sql.h"
#include "editor/gui/lookup_completion.h"

using namespace mainwin_test;
using namespace Qt::StringLiterals;

namespace {
const QString invalidPrice = u"Invalid Price: You must enter a number for the price"_s;
const QString invalidVolume =
    u"Invalid Volume: You must enter a number for the volume number or leave the field blank"_s;
const QString invalidIssue =
    u"Invalid Issue Number: You must enter a number for the issue number or leave the field blank"_s;
const QString invalidYear = u"Invalid Year: You must enter a four digit number for the year."_s;
} // namespace

class TestFrmMainFields : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { f.tearDownChecked(); }

    void typingCompletesFromTheList();
    void deletingKeysAfterACompletion_data();
    void deletingKeysAfterACompletion();
    void authorStoredLastNameFirst_data();
    void authorStoredLastNameFirst();
    void leavingANumberField_data();
    void leavingANumberField();
    void openingAContextMenuIsNoLeaving();
    void coverPriceFillsTheBuyPriceOfANewBook();
    void unconvertibleTextIsRefusedAtTheStore_data();
    void unconvertibleTextIsRefusedAtTheStore();
    void failedStoreKeepsWhatWasTyped_data();
    void failedStoreKeepsWhatWasTyped();
    void bookRemovedMeanwhileIsNotRecreated();
    void controlCharactersRemovedOnLeaving_data();
    void controlCharactersRemovedOnLeaving();

private:
    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestFrmMainFields::init()
{
    f.setUp();
    f.folder().addAuthor(1, u"Adams"_s, u"Ann"_s);
    f.folder().addAuthor(2, u"Tolkien"_s, u"J.R.R."_s);
    f.folder().addAuthor(3, u"Twain"_s, u"Mark"_s);
    f.folder().addLookup(u"Publishers"_s, u"PubID, PubName"_s, 1, u"Allen & Unwin"_s);
    f.folder().addBook(u"The Hobbit"_s, {{u"SortTitle"_s, u"HOBBIT"_s}, {u"AuthID"_s, 2}, {u"Year"_s, 1937}});
    QVERIFY(f.openWindow());
}

void TestFrmMainFields::typingCompletesFromTheList()
{
    frmMain& w = f.window();
    f.typeInto(w.cmbAuthID, u"tol"_s);
    QCOMPARE(w.cmbAuthID->currentText(), u"Tolkien, J.R.R."_s);
    QCOMPARE(w.cmbAuthID->lineEdit()->selectedText(), u"kien, J.R.R."_s);
    QCOMPARE(w.cmbAuthID->lineEdit()->selectionStart(), 3);
    QCOMPARE(w.cmbAuthID->currentIndex(), 1);
    QVERIFY(editButtonsShown(w));

    QTest::keyClicks(w.cmbAuthID, u"x"_s);
    QCOMPARE(w.cmbAuthID->currentText(), u"Tolx"_s);
    QCOMPARE(w.cmbAuthID->currentIndex(), -1);
    // Leaving keeps it: one word is no name to rewrite.
    f.tabTo(w.txtISBN);
    QCOMPARE(w.cmbAuthID->currentText(), u"Tolx"_s);
}

void TestFrmMainFields::deletingKeysAfterACompletion_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<QString>("nextTyped");
    QTest::addColumn<QString>("textAtEnd");
    // Backspace after a completion empties the field; Delete takes only the
    // completed part. Neither completes again, until the next typed letter.
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << QString() << u"tw"_s << u"Twain, Mark"_s;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << u"Tol"_s << u"k"_s << u"Tolkien, J.R.R."_s;
}

void TestFrmMainFields::deletingKeysAfterACompletion()
{
    QFETCH(int, key);
    QFETCH(QString, nextTyped);
    QComboBox* combo = f.window().cmbAuthID;
    f.typeInto(combo, u"Tol"_s);
    QTest::keyClick(combo, Qt::Key(key));
    QTEST(combo->currentText(), "textAfter");
    QVERIFY(!f.window().lookupCompletion().CompleteAllowed);
    QTest::keyClicks(combo, nextTyped);
    QTEST(combo->currentText(), "textAtEnd");
}

void TestFrmMainFields::authorStoredLastNameFirst_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");  // after leaving the field
    QTest::addColumn<QString>("stored"); // LastName|FirstName
    QTest::newRow("first names first")
        << u"John Ronald Smith"_s << u"Smith, John Ronald"_s << u"Smith|John Ronald"_s;
    QTest::newRow("blanks around the parts")
        << u"  Smith ,  John  "_s << u"  Smith ,  John  "_s << u"Smith|John"_s;
    QTest::newRow("second comma ends the first names")
        << u"Smith, John, Jr."_s << u"Smith, John, Jr."_s << u"Smith|John"_s;
    QTest::newRow("no first name: empty, not Null") << u"Smith,"_s << u"Smith,"_s << u"Smith|"_s;
    const QString longName = QString(45, u'L') + u", "_s + QString(41, u'F');
    QTest::newRow("cut to the columns")
        << longName << longName << QString(40, u'L') + u"|"_s + QString(40, u'F');
}

void TestFrmMainFields::authorStoredLastNameFirst()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, stored);
    frmMain& w = f.window();
    f.typeInto(w.cmbAuthID, typed);
    f.tabTo(w.cmbPubID);
    QCOMPARE(w.cmbAuthID->currentText(), shown);
    w.cmdUpdate->click();

    QCOMPARE(f.rows("select LastName, FirstName from Authors where AuthID > 3"), QStringList{stored});
    QCOMPARE(w.cmbAuthID->currentText(), shown);
    QCOMPARE(entries(w.cmbAuthID).size(), 4);
}

void TestFrmMainFields::leavingANumberField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty when accepted
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<bool>("focusBack");
    // A refused price is emptied and kept; a refused year is emptied and let go.
    QTest::newRow("price rewritten") << u"txtCoverPrice"_s << u"1234.5"_s << QString() << u"$1,234.50"_s
                                     << false;
    QTest::newRow("price refused") << u"txtBuyPrice"_s << u"12abc"_s << invalidPrice << QString() << true;
    QTest::newRow("volume refused") << u"txtVol"_s << u"12a"_s << invalidVolume << u"12a"_s << true;
    QTest::newRow("issue refused") << u"txtIssue"_s << u"x"_s << invalidIssue << u"x"_s << true;
    QTest::newRow("year refused") << u"txtYear"_s << u"19x5"_s << invalidYear << QString() << false;
    // A date that is no date keeps its text and the focus, so it is never
    // stored as nothing; a date the locale reads is accepted as typed.
    QTest::newRow("date refused")
        << u"dcReadDate"_s << u"31/02/1999"_s
        << u"Quillary: You must enter a valid date for the date read, or leave the field "
           "blank."_s
        << u"31/02/1999"_s << true;
    QTest::newRow("date accepted") << u"dcLoanDate"_s << u"2/28/1999"_s << QString() << u"2/28/1999"_s
                                   << false;
    QTest::newRow("year cut to four characters")
        << u"txtYear"_s << u"123456"_s << QString() << u"1234"_s << false;
}

void TestFrmMainFields::leavingANumberField()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(bool, focusBack);
    frmMain& w = f.window();
    auto* edit = w.findChild<QLineEdit*>(field);
    QWidget* holder = edit; // what has the focus while the user types in the field
    if (auto* date = w.findChild<DateField*>(field)) {
        edit = date->lineEdit();
        holder = date;
    }
    QVERIFY(edit);

    f.typeInto(edit, typed);
    f.tabTo(w.txtISBN);

    QCOMPARE(f.takeMessages(), message.isEmpty() ? QStringList() : QStringList{message});
    QTEST(edit->text(), "textAfter");
    QCOMPARE(f.focused(), focusBack ? holder : w.txtISBN);
}

void TestFrmMainFields::openingAContextMenuIsNoLeaving()
{
    f.typeInto(f.window().txtVol, u"12a"_s);
    QFocusEvent popupOpens(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(f.window().txtVol, &popupOpens);
    QVERIFY(f.dialogs().shown().isEmpty());
}

// Whether it is copied is decided elsewhere; this is the window asking with
// the book's own New button and storing the copy.
void TestFrmMainFields::coverPriceFillsTheBuyPriceOfANewBook()
{
    frmMain& w = f.window();
    w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"Priced"_s);
    w.optNew[0]->click();
    f.typeInto(w.txtCoverPrice, u"12.5"_s);
    f.tabTo(w.txtISBN);
    QCOMPARE(w.txtBuyPrice->text(), u"$12.50"_s);
    w.cmdUpdate->click();
    QCOMPARE(f.rows("select CoverPrice, BuyPrice from Books where Title = 'Priced'"),
             QStringList{u"12.5|12.5"_s});
}

void TestFrmMainFields::unconvertibleTextIsRefusedAtTheStore_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    // Typed and stored at once, so the field was never left and never checked.
    QTest::newRow("year") << u"txtYear"_s << u"19x5"_s << invalidYear;
    QTest::newRow("cover price") << u"txtCoverPrice"_s << u"12abc"_s << invalidPrice;
    QTest::newRow("issue") << u"txtIssue"_s << u"1-2"_s << invalidIssue;
    QTest::newRow("purchase date")
        << u"dcBuyDate"_s << u"13/13/2001"_s
        << u"Quillary: You must enter a valid date for the purchase date, or leave the field blank."_s;
}

// Nothing is stored, not even the new publisher, and the window keeps the
// book as typed with the focus on the field.
void TestFrmMainFields::unconvertibleTextIsRefusedAtTheStore()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    frmMain& w = f.window();
    auto* edit = w.findChild<QLineEdit*>(field);
    QWidget* holder = edit; // what has the focus while the user types in the field
    if (auto* date = w.findChild<DateField*>(field)) {
        edit = date->lineEdit();
        holder = date;
    }
    QVERIFY(edit);

    f.typeInto(w.txtTitle, u"Changed Title"_s);
    f.typeInto(w.cmbPubID, u"Brand New House"_s);
    f.typeInto(edit, typed);
    // Update pressed without the focus leaving the field, as its Alt key does.
    w.cmdUpdate->click();

    QCOMPARE(f.takeMessages(), QStringList{message});
    QCOMPARE(f.rows("select Title, Year from Books"), QStringList{u"The Hobbit|1937"_s});
    QCOMPARE(f.rows("select count(*) from Publishers"), QStringList{u"1"_s});
    QCOMPARE(edit->text(), typed);
    QCOMPARE(f.focused(), holder);
    QCOMPARE(w.txtTitle->text(), u"Changed Title"_s);
    QVERIFY(editButtonsShown(w) && w.Editing);
}

void TestFrmMainFields::failedStoreKeepsWhatWasTyped_data()
{
    QTest::addColumn<bool>("adding");
    QTest::newRow("changed book") << false;
    QTest::newRow("new book") << true;
}

void TestFrmMainFields::failedStoreKeepsWhatWasTyped()
{
    QFETCH(bool, adding);
    frmMain& w = f.window();
    Database& db = *catalogueState().dbCatalogue;
    executeNative(db, "CREATE TRIGGER refuse_insert BEFORE INSERT ON Books "
                      "BEGIN SELECT RAISE(ABORT, 'the disk is full'); END;"
                      "CREATE TRIGGER refuse_update BEFORE UPDATE ON Books "
                      "BEGIN SELECT RAISE(ABORT, 'the disk is full'); END;");
    if (adding)
        w.cmdAdd->click();
    f.typeInto(w.txtTitle, u"Typed Title"_s);
    f.typeInto(w.cmbPubID, u"O'Brien Press"_s);
    f.typeInto(w.cmbAuthID, u"Doe, Jane"_s);
    w.cmdUpdate->click();

    // Reported, and the window still holds the book as typed, in its state;
    // none of the new lookup rows were left behind.
    const QStringList messages = f.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.front().contains(u"the disk is full"_s), qPrintable(messages.front()));
    QCOMPARE(w.txtTitle->text(), u"Typed Title"_s);
    QCOMPARE(w.cmbPubID->currentText(), u"O'Brien Press"_s);
    QCOMPARE(w.Adding, adding);
    QVERIFY(shown(w.cmdUpdate) && shown(w.cmdCancel) && !shown(w.cmdNext));
    QCOMPARE(f.rows("select count(*) from Publishers union all select count(*) from Authors"),
             QStringList({u"1"_s, u"3"_s}));
    QCOMPARE(entries(w.cmbPubID), QStringList{u"Allen & Unwin"_s});
    QCOMPARE(f.rows("select Title from Books"), QStringList{u"The Hobbit"_s});

    // Once the disk has room, the same press stores it, with one new row per
    // new lookup value.
    executeNative(db, "DROP TRIGGER refuse_insert; DROP TRIGGER refuse_update;");
    w.cmdUpdate->click();
    QVERIFY(browseButtonsShown(w));
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{adding ? u"2"_s : u"1"_s});
    QCOMPARE(
        f.rows("select b.Title, p.PubName, a.LastName from Books b join Publishers p on b.PubID = p.PubID "
               "join Authors a on b.AuthID = a.AuthID"),
        QStringList{u"Typed Title|O'Brien Press|Doe"_s});
    QCOMPARE(entries(w.cmbPubID), QStringList({u"Allen & Unwin"_s, u"O'Brien Press"_s}));
    QCOMPARE(w.cmbPubID->currentText(), u"O'Brien Press"_s);
}

// Another program (or a repair) removed the book on screen: Update must not
// store the typed values into some other row, nor bring the book back.
void TestFrmMainFields::bookRemovedMeanwhileIsNotRecreated()
{
    frmMain& w = f.window();
    executeNative(*catalogueState().dbCatalogue, "DELETE FROM Books");
    f.typeInto(w.txtTitle, u"Typed Title"_s);
    w.cmdUpdate->click();
    QCOMPARE(f.takeMessages().size(), 1);
    QCOMPARE(w.txtTitle->text(), u"Typed Title"_s);
    QVERIFY(w.Editing && shown(w.cmdUpdate));
    QCOMPARE(f.rows("select count(*) from Books"), QStringList{u"0"_s});
}

// Text pasted into a field: control characters are removed when the field is
// left, and the user is told which.
void TestFrmMainFields::controlCharactersRemovedOnLeaving_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("told"); // empty: nothing to tell
    QTest::newRow("TAB in the title") << u"txtTitle"_s << u"War\tand Peace"_s << u"Warand Peace"_s
                                      << u"The Title field held characters that cannot be stored (TAB)"_s;
    QTest::newRow("NUL in the author")
        << u"cmbAuthID"_s << u"Smith"_s + QChar(0) + u", Ann"_s << u"Smith, Ann"_s
        << u"The Author field held characters that cannot be stored (NUL)"_s;
    QTest::newRow("line breaks stay in the notes")
        << u"txtNotes"_s << u"first\nsecond"_s << u"first\nsecond"_s << QString();
    QTest::newRow("TAB in the notes") << u"txtNotes"_s << u"a\tb\nc"_s << u"ab\nc"_s
                                      << u"The Notes field held characters that cannot be stored (TAB)"_s;
}

void TestFrmMainFields::controlCharactersRemovedOnLeaving()
{
    QFETCH(QString, field);
    QFETCH(QString, pasted);
    QFETCH(QString, told);
    frmMain& w = f.window();
    QWidget* widget = w.findChild<QWidget*>(field);
    QVERIFY(widget);

    widget->setFocus(Qt::MouseFocusReason);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->lineEdit()->setText(pasted);
    else if (auto* notes = qobject_cast<QPlainTextEdit*>(widget))
        notes->setPlainText(pasted);
    else
        qobject_cast<QLineEdit*>(widget)->setText(pasted);
    f.tabTo(w.txtYear);

    QTEST(textOf(widget), "kept");
    const QStringList said = f.takeMessages();
    QCOMPARE(said.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY2(said.first().contains(told), qPrintable(said.first()));
}

QTEST_MAIN(TestFrmMainFields)
#include "tst_frm_main_fields.moc"
