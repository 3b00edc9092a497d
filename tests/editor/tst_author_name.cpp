#include "editor/author_name.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestAuthorName : public QObject
{
    Q_OBJECT

private slots:
    void rewrite_data();
    void rewrite();
};

void TestAuthorName::rewrite_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first and last") << u"John Smith"_s << u"Smith, John"_s;
    QTest::newRow("already last, first") << u"Smith, John"_s << u"Smith, John"_s;
    QTest::newRow("single word") << u"Smith"_s << u"Smith"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("double blank") << u"John  Smith"_s << u"Smith, John"_s;
    QTest::newRow("double blank inside first names") << u"John  Ronald Smith"_s << u"Smith, John  Ronald"_s;
    QTest::newRow("trailing blank") << u"John Smith "_s << u"Smith, John"_s;
    QTest::newRow("single word with blanks around") << u" Smith "_s << u" Smith "_s;
    // Only blanks separate words.
    QTest::newRow("tab is no separator") << u"John\tSmith"_s << u"John\tSmith"_s;
}

void TestAuthorName::rewrite()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QCOMPARE(RewriteAuthorName(typed), expected);
}

QTEST_GUILESS_MAIN(TestAuthorName)
#include "tst_author_name.moc"
