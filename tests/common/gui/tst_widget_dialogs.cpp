#include "common/file_filters.h"
#include "common/gui/widget_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The boxes the user sees: their title, icon and buttons, and the answer a
// button gives back.
class TestWidgetDialogs : public QObject
{
    Q_OBJECT
private slots:
    void showsBox_data();
    void showsBox();
    void saveDialogListsTheFilesOfItsType();
};

void TestWidgetDialogs::showsBox_data()
{
    QTest::addColumn<bool>("question");
    QTest::addColumn<QString>("title"); // empty: the program's title
    QTest::addColumn<int>("press");     // QMessageBox::NoButton presses Escape
    QTest::addColumn<UserDialogs::Answer>("answer");

    using enum UserDialogs::Answer;
    QTest::newRow("message, program title") << false << QString() << int(QMessageBox::Ok) << No;
    QTest::newRow("message, own title") << false << u"Invalid Price"_s << int(QMessageBox::Ok) << No;
    QTest::newRow("question, Yes") << true << QString() << int(QMessageBox::Yes) << Yes;
    QTest::newRow("question, No") << true << u"Report"_s << int(QMessageBox::No) << No;
    QTest::newRow("question, Escape is No") << true << QString() << int(QMessageBox::NoButton) << No;
}

void TestWidgetDialogs::showsBox()
{
    QFETCH(bool, question);
    QFETCH(QString, title);
    QFETCH(int, press);
    const QString text = u"You must enter a number for the price"_s;

    // Inspect the box once it shows modally, then press the button.
    QString shownTitle, shownText;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons;
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        shownTitle = box->windowTitle();
        shownText = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        if (press == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(QMessageBox::StandardButton(press))->click();
    });
    poll->start(10);

    if (question)
        QTEST(WidgetDialogs().question(text, title), "answer");
    else
        WidgetDialogs().message(text, title);
    QCOMPARE(shownTitle, title.isEmpty() ? u"Quillary"_s : title);
    QCOMPARE(shownText, text);
    QCOMPARE(icon, question ? QMessageBox::Question : QMessageBox::NoIcon);
    QCOMPARE(buttons,
             question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::StandardButtons(QMessageBox::Ok));
}

// The text reports' file types, written as description and pattern pairs, as
// the save dialog offers them: it lists the folder's text files.
void TestWidgetDialogs::saveDialogListsTheFilesOfItsType()
{
    QTemporaryDir folder;
    for (const QString& name : {u"a.txt"_s, u"a.htm"_s, u"README"_s})
        QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));
    QStringList choices, listed;
    QTimer poll;
    int looks = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* view = dialog ? dialog->findChild<QListView*>(u"listView"_s) : nullptr;
        if (!view)
            return;
        choices = dialog->nameFilters();
        listed.clear();
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        if (listed.isEmpty() && ++looks < 500)
            return; // the folder is read in the background
        poll.stop();
        dialog->reject();
    });
    poll.start(10);
    QCOMPARE(WidgetDialogs().saveFileName(u"Save As"_s, folder.filePath(u"New"_s), FileFilters::TextFiles),
             QString());
    QCOMPARE(choices, (QStringList{u"Text Files (*.txt)"_s, u"All Files (*)"_s}));
    QCOMPARE(listed, QStringList{u"a.txt"_s});
}

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widget_dialogs.moc"
