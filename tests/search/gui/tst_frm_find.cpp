// The search window on its own, driven as the user drives it: fields of every
// kind, operators, typed and picked values, the directions, refusals and the
// keyboard.

#include "search/gui/find_fixture.h"

#include "catalogue/book_order.h"
#include "common/shared_state.h"
#include "database/recordset.h"
#include "search/gui/frm_find.h"
#include "search/search_criterion.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"

#include <QApplication>

using namespace findtest;
using namespace Qt::StringLiterals;

class TestFrmFind : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_catalogue = std::make_unique<SearchCatalogue>(); }
    void cleanupTestCase() { m_catalogue.reset(); }
    void init();
    void cleanup()
    {
        m_window.reset();
        m_books.reset();
        m_dialogs.reset();
    }

    void fieldListHoldsTheProgramsFieldsInOrder();
    void controlsFollowTheFieldKind_data();
    void controlsFollowTheFieldKind();
    void searches_data();
    void searches();
    void everyShippedFieldSearches_data();
    void everyShippedFieldSearches();
    void valueChangesStartFromTheFirstBook_data();
    void valueChangesStartFromTheFirstBook();
    void everyControlIsReachableByKeyboard_data();
    void everyControlIsReachableByKeyboard();
    void keysKeepTheChosenFieldInView();

private:
    QString currentTitle() const { return m_books->value(u"Title"_s).toString(); }
    void moveBooksTo(const QString& title);
    bool choose(const QString& field, const QString& entry = {});
    QStringList shownControls() const;

    std::unique_ptr<SearchCatalogue> m_catalogue;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<Recordset> m_books;
    std::unique_ptr<frmFind> m_window;
};

void TestFrmFind::init()
{
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_books = BookOrder::openBooks(*catalogueState().dbCatalogue, BookOrder::ByTitle);
    m_window = std::make_unique<frmFind>(*catalogueState().dbCatalogue, *m_books);
    QVERIFY(m_window->Form_Load());
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    sharedState().DialogCancelled = true; // as the main window raises it
}

void TestFrmFind::moveBooksTo(const QString& title)
{
    m_books->findFirst(u"Title = "_s + SearchCriterion::quotedText(title));
}

// Clicks the field, then (when given) the entry of the operator or value list
// the field shows.
bool TestFrmFind::choose(const QString& field, const QString& entry)
{
    if (!clickEntry(m_window->lstField, field))
        return false;
    if (entry.isEmpty())
        return true;
    for (QListWidget* list : {m_window->lstText, m_window->lstNum, m_window->lstBool, m_window->lstSel})
        if (list->isVisible())
            return clickEntry(list, entry);
    return false;
}

QStringList TestFrmFind::shownControls() const
{
    QStringList names;
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_window->lstText, m_window->lstNum, m_window->lstBool, m_window->lstSel, m_window->txtToFind})
        if (control->isVisible())
            names << control->objectName();
    return names << m_window->lblOperator->text();
}

void TestFrmFind::fieldListHoldsTheProgramsFieldsInOrder()
{
    QStringList expected;
    for (const FieldSpecRow& field : searchFields())
        if (field.usewith == u"books"_s)
            expected << field.desc;
    QCOMPARE(entries(m_window->lstField), expected);
    QCOMPARE(m_window->lstField->currentItem()->text(), u"Title"_s);
    QCOMPARE(m_window->lstText->currentItem()->text(), u"Contains"_s);
    QVERIFY(m_window->optWhere[1]->isChecked());
}

// fields: clicked in turn; a field of no searchable kind leaves the controls
// of the one before.
void TestFrmFind::controlsFollowTheFieldKind_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("shown");
    const QStringList text{u"lstText"_s, u"txtToFind"_s, u"Operator"_s};
    const QStringList number{u"lstNum"_s, u"txtToFind"_s, u"Operator"_s};
    const QStringList yesNo{u"lstBool"_s, u"Select Value"_s};
    const QStringList lookup{u"lstSel"_s, u"Select Value"_s};
    QTest::newRow("text") << QStringList{u"Year"_s, u"ISBN"_s} << text;
    QTest::newRow("number") << QStringList{u"Year"_s} << number;
    QTest::newRow("date") << QStringList{u"Date Read"_s} << number;
    QTest::newRow("yes/no") << QStringList{u"Fiction"_s} << yesNo;
    QTest::newRow("lookup") << QStringList{u"Owner"_s} << lookup;
    QTest::newRow("time after yes/no") << QStringList{u"Fiction"_s, u"Time Bought"_s} << yesNo;
    QTest::newRow("time after lookup") << QStringList{u"Author Last Name"_s, u"Time Bought"_s} << lookup;
}

void TestFrmFind::controlsFollowTheFieldKind()
{
    QFETCH(QStringList, fields);
    QFETCH(QStringList, shown);
    for (const QString& field : fields)
        QVERIFY(choose(field));
    QCOMPARE(shownControls(), shown);
    if (shown.contains(u"lstSel"_s)) {
        QCOMPARE(entries(m_window->lstSel).size(), fields.contains(u"Owner"_s) ? 2 : 3);
        QVERIFY(m_window->lstSel->selectedItems().isEmpty());
    }
}

// entry: clicked in the list the field shows; start: the book rsBooks is on
// when Find is pressed. found: the book found, "-" for none, "open" when the
// window refuses and stays open; message: "title: text" of the box shown.
void TestFrmFind::searches_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QString>("message");
    const QString us = u"en_US"_s;
    const auto row = [&](const char* name, const QString& locale, const QString& field, const QString& entry,
                         const QString& typed, const QString& start, int direction, const QString& found,
                         const QString& message = {}) {
        QTest::newRow(name) << locale << field << entry << typed << start << direction << found << message;
    };
    row("contains, first", us, u"Title"_s, u"Contains"_s, u"ring"_s, {}, 1, u"The Ring"_s);
    row("begins with", us, u"Title"_s, u"Begins With"_s, u"ring"_s, {}, 1, u"Ringworld"_s);
    row("ends with", us, u"Title"_s, u"Ends With"_s, u"ring"_s, {}, 4, u"The Ring"_s);
    row("equals ignores case", us, u"Title"_s, u"Equals"_s, u"the ring"_s, {}, 1, u"The Ring"_s);
    row("equals a part", us, u"Title"_s, u"Equals"_s, u"ring"_s, {}, 1, u"-"_s);
    row("equals with ? and a list", us, u"Title"_s, u"Equals"_s, u"[pr]?ngworld"_s, {}, 1, u"Ringworld"_s);
    row("double quotes", us, u"Title"_s, u"Contains"_s, u"\"Hi\""_s, {}, 1, u"He said \"Hi\""_s);
    row("apostrophes", us, u"Title"_s, u"Contains"_s, u"'n'"_s, {}, 1, u"Rock 'n' Roll"_s);
    row("percent sign", us, u"Title"_s, u"Contains"_s, u"100%"_s, {}, 4, u"100% Cotton"_s);
    row("underscore", us, u"Title"_s, u"Contains"_s, u"e_c"_s, {}, 4, u"snake_case"_s);
    row("closing bracket", us, u"Title"_s, u"Contains"_s, u"]"_s, {}, 1, u"Odd ] Bracket"_s);
    row("quote cannot add a condition", us, u"Title"_s, u"Contains"_s, u"x\" or title like \"*"_s, {}, 1,
        u"-"_s);
    row("not = skips Null", us, u"Volume"_s, u"not ="_s, u"0"_s, {}, 4, u"Ringworld"_s);
    row("number with grouping", us, u"Year"_s, u">"_s, u"1,960"_s, {}, 1, u"Ringworld"_s);
    row("decimal comma", u"de_DE"_s, u"Cover Price"_s, u"="_s, u"12,5"_s, {}, 1, u"The Ring"_s);
    row("number, previous", us, u"Year"_s, u"<="_s, u"1970"_s, u"Ringworld"_s, 2, u"The Ring"_s);
    row("currency sign", us, u"Cover Price"_s, u"="_s, u"$12.50"_s, {}, 1, u"open"_s,
        u"Search Value Not Numeric: You must enter a valid number for this field."_s);
    row("date month first", us, u"Date Purchased"_s, u"="_s, u"3/4/2001"_s, {}, 1, u"The Ring"_s);
    row("date day first", u"en_GB"_s, u"Date Purchased"_s, u"="_s, u"3/4/2001"_s, {}, 1, u"Ringworld"_s);
    row("not a date", us, u"Date Purchased"_s, u"="_s, u"3/4/2001x"_s, {}, 1, u"open"_s,
        u"Search Value Not Date: You must enter a valid date for this field."_s);
    row("true", us, u"Fiction"_s, u"True"_s, {}, {}, 1, u"The Ring"_s);
    row("true stored as -1", us, u"Fiction"_s, u"True"_s, {}, {}, 4, u"Rock 'n' Roll"_s);
    row("false", us, u"Fiction"_s, u"False"_s, {}, {}, 1, u"100% Cotton"_s);
    row("false stored as Null", us, u"Fiction"_s, u"False"_s, {}, u"Rock 'n' Roll"_s, 3, u"snake_case"_s);
    row("lookup", us, u"Author Last Name"_s, u"Tolkien"_s, {}, {}, 1, u"The Ring"_s);
    row("lookup, two link columns", us, u"Owner"_s, u"Me"_s, {}, {}, 1, u"String Theory"_s);
    row("lookup, nothing picked", us, u"Owner"_s, {}, {}, {}, 1, u"open"_s,
        u"No Value Selected: You must select a value to find from the second list."_s);
    row("field of no searchable kind", us, u"Time Bought"_s, {}, u"3/4/2001"_s, {}, 1, u"open"_s);
    row("criterion the engine refuses", us, u"Broken Field"_s, u"Contains"_s, u"x"_s, {}, 1, u"open"_s,
        u"Quillary: 3061  Unknown name 'NoSuchColumn'"_s);
}

void TestFrmFind::searches()
{
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(QString, entry);
    QFETCH(QString, typed);
    QFETCH(QString, start);
    QFETCH(int, direction);
    QFETCH(QString, found);
    QFETCH(QString, message);
    const LocaleGuard guard(locale);

    QVERIFY(choose(field, entry));
    if (!typed.isEmpty())
        QTest::keyClicks(m_window->txtToFind, typed);
    if (!start.isEmpty())
        moveBooksTo(start);
    const QString before = currentTitle();
    QTest::mouseClick(m_window->optWhere[direction], Qt::LeftButton);
    QTest::mouseClick(m_window->cmdFind, Qt::LeftButton);

    QStringList shown;
    for (const ScriptedDialogs::Shown& box : m_dialogs->messages())
        shown << box.title + u": "_s + box.text;
    // An engine refusal is compared up to the start of the engine's own words.
    QCOMPARE(shown.join(u'\n').left(message.isEmpty() ? -1 : message.size()), message);
    if (found == u"open"_s) {
        QVERIFY(m_window->isVisible() && sharedState().DialogCancelled);
        QCOMPARE(currentTitle(), before);
        return;
    }
    QVERIFY(!m_window->isVisible() && !sharedState().DialogCancelled);
    QCOMPARE(m_books->noMatch() ? u"-"_s : currentTitle(), found);
}

// Each field the program ships takes a value of its kind and runs its
// criterion on rsBooks without a refusal.
void TestFrmFind::everyShippedFieldSearches_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("datatype");
    const QString source = QStringLiteral(QUILLARY_SOURCE_DIR "/data/rptspec.csv");
    for (const FieldSpecRow& field : readFieldCatalogueSource(source).rows)
        QTest::newRow(qPrintable(field.desc)) << field.desc << int(field.datatype);
}

void TestFrmFind::everyShippedFieldSearches()
{
    QFETCH(QString, field);
    QFETCH(int, datatype);
    const LocaleGuard guard(u"en_US"_s);
    QVERIFY(choose(field));
    if (m_window->lstSel->isVisible()) {
        QVERIFY(m_window->lstSel->count() > 0);
        QVERIFY(clickEntry(m_window->lstSel, m_window->lstSel->item(m_window->lstSel->count() - 1)->text()));
    }
    if (m_window->lstNum->isVisible())
        QVERIFY(clickEntry(m_window->lstNum, u">="_s));
    const QStringList values{u"e"_s, u"1"_s, u"1/1/1900"_s};
    if (m_window->txtToFind->isVisible())
        QTest::keyClicks(m_window->txtToFind, values.value(datatype - 1));
    m_window->cmdFind->click();
    QCOMPARE(m_dialogs->texts(), QStringList());
    QVERIFY(!m_window->isVisible() && !sharedState().DialogCancelled);
}

void TestFrmFind::valueChangesStartFromTheFirstBook_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("action");
    QTest::newRow("typing a value") << u"Title"_s << u"type"_s;
    QTest::newRow("clicking True") << u"Fiction"_s << u"True"_s;
}

void TestFrmFind::valueChangesStartFromTheFirstBook()
{
    QFETCH(QString, field);
    QFETCH(QString, action);
    QVERIFY(choose(field));
    m_books->moveLast();
    if (action == u"type"_s)
        QTest::keyClicks(m_window->txtToFind, u"r"_s);
    else
        QVERIFY(clickEntry(m_window->lstBool, action));
    QCOMPARE(currentTitle(), u"100% Cotton"_s);
}

// Tab from the field list visits the controls the field shows; the arrow
// keys move between the directions and the mnemonics press the buttons.
void TestFrmFind::everyControlIsReachableByKeyboard_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("tabStops");
    const QStringList after{u"optWhere_1"_s, u"cmdFind"_s, u"cmdCancel"_s};
    QTest::newRow("text") << u"Title"_s << QStringList{u"lstText"_s, u"txtToFind"_s} + after;
    QTest::newRow("yes/no") << u"Fiction"_s << QStringList{u"lstBool"_s} + after;
    QTest::newRow("lookup") << u"Owner"_s << QStringList{u"lstSel"_s} + after;
}

void TestFrmFind::everyControlIsReachableByKeyboard()
{
    QFETCH(QString, field);
    QFETCH(QStringList, tabStops);
    QVERIFY(choose(field));
    m_window->lstField->setFocus(Qt::TabFocusReason);
    QStringList visited;
    for (int press = 0; press < tabStops.size(); ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, tabStops);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_window->lstField); // round again

    m_window->optWhere[1]->setFocus(Qt::TabFocusReason);
    for (int direction = 2; direction <= 4; ++direction) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QVERIFY(m_window->optWhere[direction]->isChecked());
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!m_window->isVisible()); // a mnemonic presses its button visibly, after a moment
}

// The field list keeps the field the keys move to in view, although each
// kind of field lays the window out anew.
void TestFrmFind::keysKeepTheChosenFieldInView()
{
    QListWidget* list = m_window->lstField;
    QStringList outOfView;
    for (int press = 0; press < list->count(); ++press) {
        QTest::keyClick(list, Qt::Key_Down);
        QCoreApplication::sendPostedEvents(); // the window lays itself out anew
        if (!list->viewport()->rect().contains(list->visualItemRect(list->currentItem())))
            outOfView << list->currentItem()->text();
    }
    QCOMPARE(outOfView, QStringList());
}

QTEST_MAIN(TestFrmFind)
#include "tst_frm_find.moc"
