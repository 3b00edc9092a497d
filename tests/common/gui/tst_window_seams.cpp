// The seams for the program's own modal windows and for the desktop, through
// their test doubles: a modal window is worked as a user would work it and
// gives its result back without a modal loop.

#include "common/desktop_opener.h"
#include "common/gui/modal_runner.h"
#include "support/recording_desktop_opener.h"
#include "support/scripted_modals.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A choice window like the report choices: a list and OK / Cancel.
class ChoiceDialog : public QDialog
{
public:
    ChoiceDialog()
    {
        setObjectName(u"frmChoice"_s);
        setWindowTitle(u"Choose an Author"_s);
        list->addItems({u"Adams, Ann"_s, u"Brown, Bob"_s, u"Smith, John"_s});
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(list);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    }

    QListWidget* list = new QListWidget(this);
    QDialogButtonBox* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
};

using Handler = ScriptedModals::Handler;

Handler clickButton(int row, QDialogButtonBox::StandardButton button)
{
    return [row, button](QDialog& dialog) {
        auto& choice = static_cast<ChoiceDialog&>(dialog);
        choice.list->setCurrentRow(row);
        QTest::mouseClick(choice.buttons->button(button), Qt::LeftButton);
        return dialog.result();
    };
}

} // namespace

Q_DECLARE_METATYPE(Handler)

class TestWindowSeams : public QObject
{
    Q_OBJECT

private slots:
    void modalWindowWorkedLikeAUser_data();
    void modalWindowWorkedLikeAUser();
    void runnerAndOpenerComeBackAfterTheDoubles();
};

void TestWindowSeams::modalWindowWorkedLikeAUser_data()
{
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("row selected, OK")
        << clickButton(2, QDialogButtonBox::Ok) << int(QDialog::Accepted) << u"Smith, John"_s;
    QTest::newRow("row selected, Cancel")
        << clickButton(1, QDialogButtonBox::Cancel) << int(QDialog::Rejected) << u"Brown, Bob"_s;
    QTest::newRow("row double-clicked") << Handler([](QDialog& dialog) {
        auto& choice = static_cast<ChoiceDialog&>(dialog);
        QListWidgetItem* item = choice.list->item(1);
        choice.list->setCurrentItem(item);
        emit choice.list->itemDoubleClicked(item);
        return dialog.result();
    }) << int(QDialog::Accepted) << u"Brown, Bob"_s;
    QTest::newRow("Escape") << Handler([](QDialog& dialog) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        return dialog.result();
    }) << int(QDialog::Rejected)
                            << QString();
    QTest::newRow("closed as it came") << ScriptedModals::accept() << int(QDialog::Accepted) << QString();
}

void TestWindowSeams::modalWindowWorkedLikeAUser()
{
    QFETCH(Handler, handler);
    ScopedScriptedModals modals;
    modals.enqueue(handler);
    ChoiceDialog dialog;

    QTEST(modalRunner().exec(dialog), "result");
    QTEST(dialog.list->currentItem() ? dialog.list->currentItem()->text() : QString(), "chosen");
    QVERIFY(dialog.isHidden());
    QCOMPARE(modals.shown().size(), 1);
    QCOMPARE(modals.shown().first().objectName, u"frmChoice"_s);
    QCOMPARE(modals.shown().first().title, u"Choose an Author"_s);
    QCOMPARE(modals.unusedHandlers(), 0);
}

void TestWindowSeams::runnerAndOpenerComeBackAfterTheDoubles()
{
    ModalRunner* const programRunner = &modalRunner();
    DesktopOpener* const programOpener = &desktopOpener();
    {
        ScopedScriptedModals modals;
        RecordingDesktopOpener opener;
        QCOMPARE(&modalRunner(), &modals);
        const QUrl help = QUrl::fromLocalFile(u"/opt/quillary/help/index.html"_s);
        QVERIFY(desktopOpener().open(help));
        opener.succeeds = false;
        QVERIFY(!desktopOpener().open(QUrl(u"https://example.org/"_s)));
        QCOMPARE(opener.opened, (QList<QUrl>{help, QUrl(u"https://example.org/"_s)}));
    }
    QCOMPARE(&modalRunner(), programRunner);
    QCOMPARE(&desktopOpener(), programOpener);
    // Without a desktop nothing opens, and the caller is told.
    QVERIFY(!desktopOpener().open(QUrl(u"https://example.org/"_s)));
}

QTEST_MAIN(TestWindowSeams)
#include "tst_window_seams.moc"
