#include "catalogue/sample_catalogue.h"
#include "maintenance/gui/frm_backup.h"
#include "maintenance/maintenance_files.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

enum class Place { None, Medium, Home, Chosen };
enum class Button { Ok, Cancel };

// A medium, the home folder and a folder the user may choose, each empty.
struct Fixture
{
    TemporaryCatalogue catalogue{SampleOptions{20, 5, 2, false}};
    QTemporaryDir medium;
    QTemporaryDir home;
    QTemporaryDir chosen;

    QList<BackupDestination> destinations() const
    {
        return {{u"STICK (%1)"_s.arg(medium.path()), medium.path()},
                {u"Home folder (%1)"_s.arg(home.path()), home.path()},
                {OtherFolderLabel, QString()}};
    }
    QString folder(Place place) const
    {
        switch (place) {
        case Place::Medium:
            return medium.path();
        case Place::Home:
            return home.path();
        case Place::Chosen:
            return chosen.path();
        case Place::None:
            break;
        }
        return {};
    }
    // Where backups lie now.
    QList<Place> backups() const
    {
        QList<Place> found;
        for (Place place : {Place::Medium, Place::Home, Place::Chosen}) {
            if (QFileInfo::exists(QDir(folder(place)).filePath(BackupFileName)))
                found << place;
        }
        return found;
    }
};

} // namespace

Q_DECLARE_METATYPE(Place)
Q_DECLARE_METATYPE(Button)

class TestFrmBackup : public QObject
{
    Q_OBJECT

private slots:
    void copiesToTheEntryChosen_data();
    void copiesToTheEntryChosen();
};

void TestFrmBackup::copiesToTheEntryChosen_data()
{
    QTest::addColumn<int>("downKeys");          // pressed in the drive list
    QTest::addColumn<QString>("chooserAnswer"); // "chosen", "" (cancelled) or none asked
    QTest::addColumn<bool>("mediumPulled");
    QTest::addColumn<Button>("button");
    QTest::addColumn<Place>("backupIn");
    QTest::addColumn<QString>("listShows");
    QTest::addColumn<QStringList>("messages");

    const QString failure = frmBackup::FailureMessage;
    QTest::newRow("the medium offered first")
        << 0 << QString() << false << Button::Ok << Place::Medium << u"STICK"_s << QStringList{};
    QTest::newRow("the home folder") << 1 << QString() << false << Button::Ok << Place::Home
                                     << u"Home folder"_s << QStringList{};
    QTest::newRow("a folder of the user's choosing")
        << 2 << u"chosen"_s << false << Button::Ok << Place::Chosen << u"<chosen>"_s << QStringList{};
    QTest::newRow("the chooser cancelled: back on the home folder")
        << 2 << QString() << false << Button::Ok << Place::Home << u"Home folder"_s << QStringList{};
    QTest::newRow("a medium pulled out")
        << 0 << QString() << true << Button::Ok << Place::None << u"STICK"_s << QStringList{failure};
    QTest::newRow("cancelled") << 1 << QString() << false << Button::Cancel << Place::None << u"Home folder"_s
                               << QStringList{};
}

void TestFrmBackup::copiesToTheEntryChosen()
{
    QFETCH(int, downKeys);
    QFETCH(QString, chooserAnswer);
    QFETCH(bool, mediumPulled);
    QFETCH(Button, button);
    QFETCH(Place, backupIn);
    QFETCH(QString, listShows);

    Fixture f;
    ScopedScriptedDialogs dialogs;
    if (downKeys == 2)
        dialogs.setNextFileName(chooserAnswer == u"chosen"_s ? f.chosen.path() : QString());
    frmBackup window(f.catalogue.path(), f.destinations());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (int i = 0; i < downKeys; ++i)
        QTest::keyClick(window.Drive1, Qt::Key_Down);
    if (mediumPulled)
        QVERIFY(f.medium.remove());
    QTest::mouseClick(button == Button::Ok ? window.cmdOk : window.cmdCancel, Qt::LeftButton);

    QCOMPARE(f.backups(), backupIn == Place::None ? QList<Place>{} : QList<Place>{backupIn});
    QStringList advice = dialogs.texts(); // each followed by the cause
    for (QString& text : advice)
        text = text.section(u"\n\n"_s, 0, 0);
    QTEST(advice, "messages");
    QCOMPARE(dialogs.texts().join(QString()).contains(u"does not exist"_s), mediumPulled);
    for (const auto& shown : dialogs.messages())
        QCOMPARE(shown.title, ProgramTitle);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), button == Button::Ok ? QDialog::Accepted : QDialog::Rejected);
    const QString expectedText =
        listShows == u"<chosen>"_s ? QDir::toNativeSeparators(f.chosen.path()) : listShows;
    QVERIFY2(window.Drive1->currentText().startsWith(expectedText), qPrintable(window.Drive1->currentText()));
    QCOMPARE(dialogs.unusedFileNames(), 0);
}

QTEST_MAIN(TestFrmBackup)
#include "tst_frm_backup.moc"
