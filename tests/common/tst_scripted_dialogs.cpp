#include "support/scripted_dialogs.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The test double other tests lean on: it must answer in queue order, record
// what a user would have seen and never let a forgotten answer pass.
class TestScriptedDialogs : public QObject
{
    Q_OBJECT
private slots:
    void answersInQueueOrderAndRecordsInShowingOrder();
    void unansweredQuestionFailsTheTest();
    void fileDialogsAnswerQueuedNamesThenCancel();
    void installsForTheScopeOnly();
};

void TestScriptedDialogs::answersInQueueOrderAndRecordsInShowingOrder()
{
    ScopedScriptedDialogs dialogs;
    dialogs.setNextAnswers({UserDialogs::Answer::No, UserDialogs::Answer::Yes});

    userDialogs().message(u"Saved"_s);
    QCOMPARE(userDialogs().question(u"Replace?"_s, u"Report"_s), UserDialogs::Answer::No);
    userDialogs().beep();
    QCOMPARE(userDialogs().question(u"Again?"_s), UserDialogs::Answer::Yes);
    userDialogs().beep();

    QCOMPARE(dialogs.texts(), QStringList({u"Saved"_s, u"Replace?"_s, u"Again?"_s}));
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages().at(0).title, u"Quillary"_s);
    QCOMPARE(dialogs.questions().size(), 2);
    QCOMPARE(dialogs.questions().at(0).title, u"Report"_s);
    QCOMPARE(dialogs.questions().at(1).title, u"Quillary"_s);
    QCOMPARE(dialogs.beepCount(), 2);
    QCOMPARE(dialogs.unusedAnswers(), 0);
}

void TestScriptedDialogs::unansweredQuestionFailsTheTest()
{
    ScopedScriptedDialogs dialogs;
    QEXPECT_FAIL("", "a question without a queued answer must fail the test", Continue);
    const UserDialogs::Answer answer = userDialogs().question(u"Delete this book?"_s);
    QCOMPARE(answer, UserDialogs::Answer::No);
    QCOMPARE(dialogs.questions().size(), 1);
}

void TestScriptedDialogs::fileDialogsAnswerQueuedNamesThenCancel()
{
    ScopedScriptedDialogs dialogs;
    dialogs.setNextFileName(u"/tmp/books.rpt"_s);
    QCOMPARE(userDialogs().openFileName(u"Open Report"_s, u"/tmp"_s, u"*.rpt"_s), u"/tmp/books.rpt"_s);
    QCOMPARE(userDialogs().saveFileName(u"Save Report"_s, u"/tmp/BookRpt.txt"_s, u"*.txt"_s), QString());
    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.shown().at(0).kind, ScriptedDialogs::Kind::OpenFile);
    QCOMPARE(dialogs.shown().at(1).kind, ScriptedDialogs::Kind::SaveFile);
    QCOMPARE(dialogs.shown().at(1).text, u"/tmp/BookRpt.txt"_s);
}

void TestScriptedDialogs::installsForTheScopeOnly()
{
    ScriptedDialogs outer;
    DialogsInstaller outerInstaller(outer);
    {
        ScopedScriptedDialogs inner;
        userDialogs().message(u"inner"_s);
        QCOMPARE(inner.texts(), QStringList{u"inner"_s});
    }
    userDialogs().message(u"outer"_s);
    QCOMPARE(outer.texts(), QStringList{u"outer"_s});
}

QTEST_GUILESS_MAIN(TestScriptedDialogs)
#include "tst_scripted_dialogs.moc"
