#include "editor/gui/main_window_fixture.h"

using namespace mainwin_test;

// The ISBN checked when it is left, and a new book like a stored one added
// only when the user says so, all by keyboard.
class TestFrmMainIsbnAndCopies : public QObject
{
    Q_OBJECT
private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDownChecked(); }
    void isbnLeft_data();
    void isbnLeft();
    void newBookLikeStoredOne_data();
    void newBookLikeStoredOne();

private:
    MainWindowFixture f;
};

void TestFrmMainIsbnAndCopies::isbnLeft_data()
{
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<QString>("answer"); // empty: no question
    QTest::addColumn<bool>("focusBack");

    QTest::newRow("valid, hyphens and blanks") << u"978-0-306 40615-7"_s << QString() << false;
    QTest::newRow("valid ISBN-10 with X") << u"0-8044-2957-X"_s << QString() << false;
    QTest::newRow("older book number") << u"SBN 425-03504-2"_s << QString() << false;
    QTest::newRow("wrong check digit kept") << u"0141439514"_s << u"yes"_s << false;
    QTest::newRow("wrong check digit to correct") << u"978-0-306-40615-8"_s << u"no"_s << true;
}

void TestFrmMainIsbnAndCopies::isbnLeft()
{
    QFETCH(QString, isbn);
    QFETCH(QString, answer);
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    if (answer == u"yes"_s)
        f.dialogs().setNextAnswer(UserDialogs::Answer::Yes);
    else if (answer == u"no"_s)
        f.dialogs().setNextAnswers({UserDialogs::Answer::No, UserDialogs::Answer::No});
    f.typeInto(w.txtISBN, isbn);
    QTest::keyClick(w.txtISBN, Qt::Key_Tab);
    QCOMPARE(f.dialogs().questions().size(), answer.isEmpty() ? 0 : 1);
    QTEST(f.focused() == w.txtISBN, "focusBack");
    QCOMPARE(w.txtISBN->text(), isbn);
    // Kept once, it is not asked about again.
    w.txtISBN->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.txtISBN, Qt::Key_Tab);
    QCOMPARE(f.dialogs().questions().size(), answer.isEmpty() ? 0 : answer == u"yes"_s ? 1 : 2);
    f.dialogs().clear();
    w.cmdCancel->click();
}

void TestFrmMainIsbnAndCopies::newBookLikeStoredOne_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<QString>("answer"); // empty: no question
    QTest::addColumn<int>("books");

    QTest::newRow("another book") << u"Pie Crusts"_s << u"Smith, John"_s << QString() << QString() << 8;
    QTest::newRow("same title, other author")
        << u"Apple Pie"_s << u"Adams, Ann"_s << QString() << QString() << 8;
    QTest::newRow("ISBN-13 of a stored ISBN-10, not added")
        << u"Something Else"_s << QString() << u"978-0-14-143951-8"_s << u"no"_s << 7;
    QTest::newRow("title and author in other case, added")
        << u"APPLE PIE"_s << u"smith, john"_s << QString() << u"yes"_s << 8;
    QTest::newRow("accents aside, added") << u"Creme Brulee"_s << QString() << QString() << u"yes"_s << 8;
}

void TestFrmMainIsbnAndCopies::newBookLikeStoredOne()
{
    QFETCH(QString, title);
    QFETCH(QString, author);
    QFETCH(QString, isbn);
    QFETCH(QString, answer);
    f.folder().addCollection();
    f.folder().addBook(u"Persuasion"_s, {{u"ISBN"_s, u"0141439513"_s}});
    f.folder().addBook(u"Crème Brûlée"_s);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    w.cmdAdd->click();
    f.typeInto(w.txtTitle, title);
    f.typeInto(w.cmbAuthID, author);
    f.typeInto(w.txtISBN, isbn);
    if (!answer.isEmpty())
        f.dialogs().setNextAnswer(answer == u"yes"_s ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    QTest::keyClick(&w, Qt::Key_U, Qt::AltModifier);
    QCOMPARE(f.dialogs().questions().size(), answer.isEmpty() ? 0 : 1);
    f.dialogs().clear();
    QTEST(int(f.rows("SELECT BookID FROM Books").size()), "books");
    // Not added, the book stays on screen as typed.
    if (answer == u"no"_s) {
        QCOMPARE(w.txtTitle->text(), title);
        w.cmdCancel->click();
    }
}

QTEST_MAIN(TestFrmMainIsbnAndCopies)
#include "tst_frm_main_isbn_and_copies.moc"
