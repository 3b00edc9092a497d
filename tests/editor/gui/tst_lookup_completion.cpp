#include "editor/gui/lookup_completion.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The search as the field has always made it: a forward scan of the sorted
// list from the current entry, restarting from the top when the text sorts
// before that entry, stopping at the first entry the text sorts before.
int linearFindPrefix(const QStringList& entries, int current, const QString& text)
{
    if (entries.isEmpty() || text.isEmpty())
        return -1;
    const auto compare = [&](int i) {
        return QString::compare(text, QStringView(entries[i]).left(text.size()), Qt::CaseInsensitive);
    };
    int i = current >= 0 ? current : 0;
    const int atCurrent = compare(i);
    if (atCurrent == 0)
        return i;
    i = atCurrent < 0 ? 0 : i + 1;
    for (; i < entries.size(); ++i) {
        const int result = compare(i);
        if (result == 0)
            return i;
        if (result < 0)
            return -1;
    }
    return -1;
}

QStringList sortedIgnoringCase(QStringList entries)
{
    std::sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return entries;
}

QString randomName(QRandomGenerator& random)
{
    // Few letters, so that many names share their first characters.
    static const QString letters = u"abcdeÉéSsTt"_s;
    QString name;
    const int length = random.bounded(1, 9);
    for (int i = 0; i < length; ++i)
        name += letters.at(random.bounded(letters.size()));
    if (random.bounded(3) == 0)
        name += u", "_s + letters.at(random.bounded(letters.size()));
    return name;
}

// Some of a name's first characters with their case changed at random.
QString randomPrefix(QRandomGenerator& random, const QString& name)
{
    QString prefix = name.left(random.bounded(1, int(name.size()) + 1));
    for (QChar& c : prefix)
        c = random.bounded(2) ? c.toUpper() : c.toLower();
    return prefix;
}

} // namespace

class TestLookupCompletion : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void composedCharactersComplete();
    void backspaceInUnmatchedTextDeletesOneCharacter();
    void enterDoesNotAddTheTypedText();
    void gettingFocusSelectsEverything();
    void downArrowStartsAtTheTopAfterEnter();
    void enterInTheOpenListEndsTheRunOfDownArrows();
    void programSetTextIsCompletedOnlyWhileAllowed();
    void leavingTheAuthorFieldRewritesTheName();
    void everyChangeMarksTheBookEdited();

    void binarySearchAgreesWithTheScan_data();
    void binarySearchAgreesWithTheScan();
    void listOutOfOrderIsScannedAsItStands();

private:
    void typeInField(const QString& text) { QTest::keyClicks(m_combo, text); }
    QLineEdit* edit() const { return m_combo->lineEdit(); }

    std::unique_ptr<QWidget> m_window;
    QComboBox* m_combo = nullptr;
    QLineEdit* m_other = nullptr;
    LookupCompletion* m_completion = nullptr;
    int m_marked = 0;
};

void TestLookupCompletion::init()
{
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_combo = new QComboBox(m_window.get());
    m_combo->setEditable(true);
    m_combo->addItems(
        {u"Adams, Ann"_s, u"Smith, John"_s, u"Smithers, Al"_s, u"Tolkien, J.R.R."_s, u"Twain, Mark"_s});
    m_other = new QLineEdit(m_window.get());
    layout->addWidget(m_combo);
    layout->addWidget(m_other);

    m_marked = 0;
    m_completion = new LookupCompletion(m_window.get());
    m_completion->attach(m_combo, [this] { ++m_marked; });

    // An emptied field, as a new book shows it.
    m_combo->setCurrentIndex(-1);

    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_other->setFocus(Qt::TabFocusReason);
    m_combo->setFocus(Qt::TabFocusReason);
    QVERIFY(m_combo->hasFocus());
}

void TestLookupCompletion::cleanup()
{
    m_combo->hidePopup();
    m_window.reset();
}

void TestLookupCompletion::composedCharactersComplete()
{
    m_combo->addItem(u"Émile, Zola"_s);
    QInputMethodEvent composed;
    composed.setCommitString(u"é"_s);
    QApplication::sendEvent(m_combo, &composed);
    QCOMPARE(m_combo->currentText(), u"Émile, Zola"_s);
    QCOMPARE(edit()->cursorPosition(), 1);
    QCOMPARE(edit()->selectedText(), u"mile, Zola"_s);

    composed.setCommitString(u"mx"_s);
    QApplication::sendEvent(m_combo, &composed);
    QCOMPARE(m_combo->currentText(), u"Émx"_s);
    QCOMPARE(m_combo->currentIndex(), -1);
}

void TestLookupCompletion::backspaceInUnmatchedTextDeletesOneCharacter()
{
    typeInField(u"tolx"_s);
    QTest::keyClick(m_combo, Qt::Key_Backspace);
    // No completion after a deleting key, or Backspace could never get past
    // a completed entry.
    QCOMPARE(m_combo->currentText(), u"Tol"_s);
    QCOMPARE(m_combo->currentIndex(), -1);
    QTest::keyClick(m_combo, Qt::Key_Backspace);
    QCOMPARE(m_combo->currentText(), u"To"_s);
}

void TestLookupCompletion::enterDoesNotAddTheTypedText()
{
    typeInField(u"Zed"_s);
    QTest::keyClick(m_combo, Qt::Key_Return);
    QCOMPARE(m_combo->count(), 5);
    QCOMPARE(m_combo->currentText(), u"Zed"_s);
}

void TestLookupCompletion::gettingFocusSelectsEverything()
{
    typeInField(u"tw"_s);
    QCOMPARE(m_completion->TypedLength, 2);
    m_other->setFocus(Qt::TabFocusReason);
    m_combo->setFocus(Qt::BacktabFocusReason);
    QCOMPARE(edit()->selectedText(), u"Twain, Mark"_s);
    QCOMPARE(m_completion->TypedLength, 0);
}

void TestLookupCompletion::downArrowStartsAtTheTopAfterEnter()
{
    typeInField(u"tw"_s);
    QTest::keyClick(m_combo, Qt::Key_Return);
    QVERIFY(!m_completion->DropDownShown);

    QTest::keyClick(m_combo, Qt::Key_Down);
    QVERIFY(m_completion->DropDownShown);
    QVERIFY(m_combo->view()->isVisible());
    QCOMPARE(m_combo->currentIndex(), 0);
    QCOMPARE(m_combo->currentText(), u"Adams, Ann"_s);

    // Later Down arrows go on from the current entry, also after the list
    // was closed in between.
    QTest::keyClick(m_combo, Qt::Key_Down);
    QCOMPARE(m_combo->currentIndex(), 1);
    m_combo->hidePopup();
    QTest::keyClick(m_combo, Qt::Key_Down);
    QCOMPARE(m_combo->currentIndex(), 2);
    QCOMPARE(m_combo->view()->currentIndex().row(), 2);

    // The last entry is as far as it goes.
    m_combo->setCurrentIndex(4);
    QTest::keyClick(m_combo, Qt::Key_Down);
    QCOMPARE(m_combo->currentIndex(), 4);

    m_combo->hidePopup();
    QTest::keyClick(m_combo, Qt::Key_Return);
    QTest::keyClick(m_combo, Qt::Key_Down);
    QCOMPARE(m_combo->currentIndex(), 0);
}

void TestLookupCompletion::enterInTheOpenListEndsTheRunOfDownArrows()
{
    QTest::keyClick(m_combo, Qt::Key_Down);
    QTest::keyClick(m_combo, Qt::Key_Down);
    QVERIFY(m_combo->view()->isVisible());
    QTest::keyClick(m_combo->view(), Qt::Key_Return);
    QVERIFY(!m_completion->DropDownShown);
    m_combo->hidePopup();

    QTest::keyClick(m_combo, Qt::Key_Down);
    QCOMPARE(m_combo->currentIndex(), 0);
}

void TestLookupCompletion::programSetTextIsCompletedOnlyWhileAllowed()
{
    typeInField(u"a"_s);
    m_combo->setEditText(u"tw"_s);
    QCOMPARE(m_combo->currentText(), u"Twain, Mark"_s);

    QTest::keyClick(m_combo, Qt::Key_Backspace);
    m_combo->setEditText(u"tw"_s);
    QCOMPARE(m_combo->currentText(), u"tw"_s);
}

void TestLookupCompletion::leavingTheAuthorFieldRewritesTheName()
{
    m_completion->rewriteAuthorNameOnLeaving(m_combo);
    typeInField(u"John Ronald Bloggs"_s);
    QCOMPARE(m_combo->currentText(), u"John Ronald Bloggs"_s);

    // Opening the list is no leaving of the field.
    m_combo->showPopup();
    m_combo->hidePopup();
    QCOMPARE(m_combo->currentText(), u"John Ronald Bloggs"_s);

    const int markedBefore = m_marked;
    m_other->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_combo->currentText(), u"Bloggs, John Ronald"_s);
    QVERIFY(m_marked > markedBefore);
}

void TestLookupCompletion::everyChangeMarksTheBookEdited()
{
    typeInField(u"z"_s);
    QVERIFY(m_marked >= 1);
    const int afterTyping = m_marked;
    m_combo->setCurrentIndex(1);
    QVERIFY(m_marked > afterTyping);

    // Picking an entry from the list counts too.
    const int beforePick = m_marked;
    emit m_combo->activated(1);
    QCOMPARE(m_marked, beforePick + 1);
}

void TestLookupCompletion::binarySearchAgreesWithTheScan_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("seed 1") << 1u;
    QTest::newRow("seed 2") << 2u;
}

void TestLookupCompletion::binarySearchAgreesWithTheScan()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    QStringList names;
    for (int i = 0; i < 20000; ++i)
        names.append(randomName(random));
    names = sortedIgnoringCase(names);

    QComboBox combo;
    combo.setEditable(true);
    combo.addItems(names);
    LookupCompletion completion;

    for (int round = 0; round < 2000; ++round) {
        const int current = random.bounded(3) == 0 ? -1 : random.bounded(int(names.size()));
        const QString text = random.bounded(4) == 0
                                 ? randomName(random)
                                 : randomPrefix(random, names[random.bounded(int(names.size()))]);
        combo.setCurrentIndex(current);
        const int expected = linearFindPrefix(names, current, text);
        const int found = completion.ComboFindPrefix(text, &combo);
        if (found != expected)
            QFAIL(qPrintable(
                u"\"%1\" from entry %2: found %3, the scan finds %4"_s.arg(text).arg(current).arg(found).arg(
                    expected)));
    }
}

void TestLookupCompletion::listOutOfOrderIsScannedAsItStands()
{
    // The database orders authors by last name, then first name, which puts
    // "Van, Ann" before "Van Dyke, Bo" although the texts compare the other
    // way round.
    const QStringList names{u"Adams, Ann"_s, u"O, Zed"_s,       u"O'Brien, Al"_s,
                            u"Van, Ann"_s,   u"Van Dyke, Bo"_s, u"Vance, Cy"_s};
    QComboBox combo;
    combo.setEditable(true);
    combo.addItems(names);
    LookupCompletion completion;

    for (const QString& text :
         {u"o"_s, u"o'"_s, u"O,"_s, u"van"_s, u"van "_s, u"van,"_s, u"vance"_s, u"x"_s}) {
        for (int current = -1; current < names.size(); ++current) {
            combo.setCurrentIndex(current);
            QCOMPARE(completion.ComboFindPrefix(text, &combo), linearFindPrefix(names, current, text));
        }
    }
}

QTEST_MAIN(TestLookupCompletion)
#include "tst_lookup_completion.moc"
