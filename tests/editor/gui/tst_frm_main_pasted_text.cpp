// Text pasted into the main window's fields: control characters are removed
// when the field is left, and the user is told which.

#include "editor/gui/main_window_fixture.h"

#include <QPlainTextEdit>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainPastedText : public QObject
{
    Q_OBJECT

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }
    void controlCharactersRemovedOnLeaving_data();
    void controlCharactersRemovedOnLeaving();

private:
    MainWindowFixture f;
};

void TestFrmMainPastedText::controlCharactersRemovedOnLeaving_data()
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

void TestFrmMainPastedText::controlCharactersRemovedOnLeaving()
{
    QFETCH(QString, field);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    QFETCH(QString, told);
    f.folder().addCollection();
    QVERIFY(f.openWindow());
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

    const QString now = qobject_cast<QComboBox*>(widget) ? qobject_cast<QComboBox*>(widget)->currentText()
                        : qobject_cast<QPlainTextEdit*>(widget)
                            ? qobject_cast<QPlainTextEdit*>(widget)->toPlainText()
                            : qobject_cast<QLineEdit*>(widget)->text();
    QCOMPARE(now, kept);
    const QStringList said = f.takeMessages();
    QCOMPARE(said.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY2(said.first().contains(told), qPrintable(said.first()));
}

QTEST_MAIN(TestFrmMainPastedText)
#include "tst_frm_main_pasted_text.moc"
