#include "editor/gui/lookup_completion.h"

#include "database/sqlite_extensions.h"

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

// The search as a forward scan of the list in the catalogue's order from the
// current entry, restarting from the top when the text sorts before that
// entry, stopping at the first entry the text sorts before (case and accents
// ignored); found is an entry that starts with the text, accents counted.
int linearFindPrefix(const QStringList& entries, int current, const QString& text)
{
    if (entries.isEmpty() || text.isEmpty())
        return -1;
    const auto compare = [&](int i) {
        return compareNoCasePrimary(text, QStringView(entries[i]).left(text.size()));
    };
    const auto startsWith = [&](int i) {
        return compareNoCase(text, QStringView(entries[i]).left(text.size())) == 0;
    };
    int i = std::max(current, 0);
    if (startsWith(i))
        return i;
    if (compare(i) <= 0)
        i = 0;
    for (; i < entries.size() && compare(i) >= 0; ++i)
        if (startsWith(i))
            return i;
    return -1;
}

// Few letters, so that many names share their first characters.
QString randomName(QRandomGenerator& random)
{
    static const QString letters = u"abcdeÉéSsTt"_s;
    QString name;
    for (int i = random.bounded(1, 9); i > 0; --i)
        name += letters.at(random.bounded(letters.size()));
    return random.bounded(3) ? name : name + u", "_s + letters.at(random.bounded(letters.size()));
}

} // namespace

class TestLookupCompletion : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup()
    {
        m_combo->hidePopup();
        m_window.reset();
    }

    void composedCharactersComplete();
    void accentsCount();
    void backspaceInUnmatchedTextDeletesOneCharacter();
    void enterDoesNotAddTheTypedText();
    void gettingFocusSelectsEverything();
    void downArrowStartsAtTheTopAfterEnter();
    void enterInTheOpenListEndsTheRunOfDownArrows();

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

    m_completion = new LookupCompletion(m_window.get());
    m_completion->attach(m_combo, [] {});

    // An emptied field, as a new book shows it.
    m_combo->setCurrentIndex(-1);

    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_other->setFocus(Qt::TabFocusReason);
    m_combo->setFocus(Qt::TabFocusReason);
    QVERIFY(m_combo->hasFocus());
}

void TestLookupCompletion::composedCharactersComplete()
{
    m_combo->insertItem(1, u"Émile, Zola"_s); // among the Es, after Adams
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

// Plain letters go past an accented entry, and never take it.
void TestLookupCompletion::accentsCount()
{
    m_combo->insertItems(1, {u"Müller, Anne"_s, u"Muller, Bob"_s});
    typeInField(u"mu"_s);
    QCOMPARE(m_combo->currentText(), u"Muller, Bob"_s);
    typeInField(u"ller, A"_s);
    QCOMPARE(m_combo->currentText(), u"Muller, A"_s);
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
    QVERIFY(m_completion->DropDownShown && m_combo->view()->isVisible());
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
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return compareNoCase(a, b) < 0; });

    QComboBox combo;
    combo.setEditable(true);
    combo.addItems(names);
    LookupCompletion completion;

    for (int round = 0; round < 2000; ++round) {
        const int current = random.bounded(3) == 0 ? -1 : random.bounded(int(names.size()));
        // Mostly the start of a listed name, its case changed at random.
        QString text = names[random.bounded(int(names.size()))];
        text.truncate(random.bounded(1, int(text.size()) + 1));
        for (QChar& c : text)
            c = random.bounded(2) ? c.toUpper() : c.toLower();
        if (random.bounded(4) == 0)
            text = randomName(random);
        combo.setCurrentIndex(current);
        const int expected = linearFindPrefix(names, current, text);
        const int found = completion.ComboFindPrefix(text, &combo);
        if (found != expected)
            QFAIL(qPrintable(
                u"\"%1\" from entry %2: found %3, the scan %4"_s.arg(text).arg(current).arg(found).arg(
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
