#include "maintenance/backup_destinations.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<MountedVolume>)

class TestBackupDestinations : public QObject
{
    Q_OBJECT

private slots:
    void mediaFirstThenHomeThenOther_data();
    void mediaFirstThenHomeThenOther();
};

void TestBackupDestinations::mediaFirstThenHomeThenOther_data()
{
    QTest::addColumn<QList<MountedVolume>>("volumes");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("folders");

    const QList<MountedVolume> system{{u"/"_s, QString(), true},
                                      {u"/boot"_s, u"boot"_s, true},
                                      {u"/home"_s, QString(), true},
                                      {u"/run/user/1000"_s, QString(), true}};
    const QString home = u"Home folder (/home/jane)"_s;
    const QString other = OtherFolderLabel;
    QTest::newRow("no medium") << system << QStringList{home, other}
                               << QStringList{u"/home/jane"_s, QString()};
    QTest::newRow("a stick and a card, by where they are mounted")
        << system + QList<MountedVolume>{{u"/media/jane/STICK"_s, u"STICK"_s, true},
                                         {u"/media/jane/CARD"_s, u"CARD"_s, true}}
        << QStringList{u"CARD (/media/jane/CARD)"_s, u"STICK (/media/jane/STICK)"_s, home, other}
        << QStringList{u"/media/jane/CARD"_s, u"/media/jane/STICK"_s, u"/home/jane"_s, QString()};
    QTest::newRow("mounted under /run/media, and straight under /media without a label")
        << QList<MountedVolume>{{u"/run/media/jane/USB"_s, u"USB"_s, true},
                                {u"/media/usb0"_s, QString(), true}}
        << QStringList{u"/media/usb0"_s, u"USB (/run/media/jane/USB)"_s, home, other}
        << QStringList{u"/media/usb0"_s, u"/run/media/jane/USB"_s, u"/home/jane"_s, QString()};
    QTest::newRow("read-only discs, other users' media and deeper folders are left out")
        << QList<MountedVolume>{{u"/media/jane/DVD"_s, u"DVD"_s, false},
                                {u"/media/joe/STICK"_s, u"STICK"_s, true},
                                {u"/run/media/joe/USB"_s, u"USB"_s, true},
                                {u"/media/jane/STICK/inner"_s, u"inner"_s, true},
                                {u"/media/janet"_s, QString(), true}}
        << QStringList{u"/media/janet"_s, home, other}
        << QStringList{u"/media/janet"_s, u"/home/jane"_s, QString()};
}

void TestBackupDestinations::mediaFirstThenHomeThenOther()
{
    QFETCH(QList<MountedVolume>, volumes);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, folders);

    QStringList gotLabels;
    QStringList gotFolders;
    for (const BackupDestination& destination :
         backupDestinations(volumes, removableMediaFolders(u"jane"_s), u"/home/jane"_s)) {
        gotLabels << destination.label;
        gotFolders << destination.folder;
    }
    QCOMPARE(gotLabels, labels);
    QCOMPARE(gotFolders, folders);
}

QTEST_GUILESS_MAIN(TestBackupDestinations)
#include "tst_backup_destinations.moc"
