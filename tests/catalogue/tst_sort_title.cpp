#include "catalogue/sort_title.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSortTitle : public QObject
{
    Q_OBJECT
private slots:
    void makesSortTitle_data();
    void makesSortTitle();
};

void TestSortTitle::makesSortTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sortTitle");

    QTest::newRow("leading The") << u"The Hobbit"_s << u"HOBBIT"_s;
    QTest::newRow("leading A") << u"A Tale of Two Cities"_s << u"TALE OF TWO CITIES"_s;
    QTest::newRow("leading Of") << u"Of Mice and Men"_s << u"MICE AND MEN"_s;
    QTest::newRow("The then A") << u"The A Team"_s << u"TEAM"_s;
    QTest::newRow("An then Of") << u"An Of Book"_s << u"BOOK"_s;
    QTest::newRow("The, A, An, Of in turn") << u"The A An Of End"_s << u"END"_s;
    QTest::newRow("each article once") << u"The The Wall"_s << u"THE WALL"_s;
    QTest::newRow("out of order is kept") << u"A The Thing"_s << u"THE THING"_s;
    QTest::newRow("no blank after THE") << u"Theory"_s << u"THEORY"_s;
    QTest::newRow("single letter A") << u"A"_s << u"A"_s;
    QTest::newRow("article alone with blank") << u"The "_s << u""_s;
    QTest::newRow("leading blank stops the rule") << u" The Hobbit"_s << u" THE HOBBIT"_s;
    QTest::newRow("nothing is trimmed") << u"The  Hobbit "_s << u" HOBBIT "_s;
}

void TestSortTitle::makesSortTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, sortTitle);
    QCOMPARE(MakeSortTitle(title), sortTitle);
}

QTEST_GUILESS_MAIN(TestSortTitle)
#include "tst_sort_title.moc"
