// A lookup field's list: entries kept in the catalogue's order as values are
// added, and the row shown for each key.

#include "editor/lookup_list_model.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// "text=key" pairs.
std::vector<LookupListModel::Entry> parseEntries(const QStringList& pairs)
{
    std::vector<LookupListModel::Entry> entries;
    for (const QString& pair : pairs)
        entries.push_back({pair.section(u'=', 0, -2), pair.section(u'=', -1).toLongLong()});
    return entries;
}

QStringList shownEntries(const LookupListModel& model)
{
    QStringList pairs;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        pairs << index.data().toString() + u'=' + index.data(Qt::UserRole).toString();
    }
    return pairs;
}

} // namespace

class TestLookupListModel : public QObject
{
    Q_OBJECT

private slots:
    void entriesJoinAtTheirSortedPlace_data();
    void entriesJoinAtTheirSortedPlace();
};

void TestLookupListModel::entriesJoinAtTheirSortedPlace_data()
{
    QTest::addColumn<QStringList>("filled");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QList<int>>("addedRows");
    QTest::addColumn<QStringList>("entriesAfter");
    QTest::addColumn<QList<int>>("rowOfKeys1To5"); // -1: no entry carries the key

    QTest::newRow("empty list") << QStringList{} << QStringList{u"Smith=1"_s} << QList<int>{0}
                                << QStringList{u"Smith=1"_s} << QList<int>{0, -1, -1, -1, -1};
    QTest::newRow("case and accents beside their letters, after equal ones")
        << QStringList{u"alpha=1"_s, u"Éditions du Lac=2"_s, u"Zebra Press=3"_s}
        << QStringList{u"Ébène=4"_s, u"ÉDITIONS DU LAC=5"_s} << QList<int>{1, 3}
        << QStringList{u"alpha=1"_s, u"Ébène=4"_s, u"Éditions du Lac=2"_s, u"ÉDITIONS DU LAC=5"_s,
                       u"Zebra Press=3"_s}
        << QList<int>{0, 2, 4, 1, 3};
    QTest::newRow("a key shown by its first entry, also one added before it")
        << QStringList{u"Brown=2"_s, u"Smith=1"_s, u"Smyth=1"_s} << QStringList{u"Adams=1"_s, u"Zed=2"_s}
        << QList<int>{0, 4} << QStringList{u"Adams=1"_s, u"Brown=2"_s, u"Smith=1"_s, u"Smyth=1"_s, u"Zed=2"_s}
        << QList<int>{0, 1, -1, -1, -1};
    QTest::newRow("at either end") << QStringList{u"m=1"_s} << QStringList{u"z=2"_s, u"a=3"_s, u"M=4"_s}
                                   << QList<int>{1, 0, 2}
                                   << QStringList{u"a=3"_s, u"m=1"_s, u"M=4"_s, u"z=2"_s}
                                   << QList<int>{1, 3, 0, 2, -1};
}

void TestLookupListModel::entriesJoinAtTheirSortedPlace()
{
    QFETCH(QStringList, filled);
    QFETCH(QStringList, added);
    QFETCH(QList<int>, rowOfKeys1To5);
    LookupListModel model;
    model.assign(parseEntries(filled));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    QList<int> rows;
    for (const LookupListModel::Entry& entry : parseEntries(added))
        rows << model.insertSorted(entry.key, entry.text);

    QTEST(rows, "addedRows");
    QTEST(shownEntries(model), "entriesAfter");
    QCOMPARE(inserted.size(), added.size()); // a view showing the list learns of each entry
    for (int key = 1; key <= 5; ++key)
        QCOMPARE(model.rowOfKey(key), rowOfKeys1To5[key - 1]);
}

QTEST_GUILESS_MAIN(TestLookupListModel)
#include "tst_lookup_list_model.moc"
