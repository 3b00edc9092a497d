#include "common/gui/widget_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Qt::StringLiterals;

// The boxes the user sees: their title, icon and buttons, and the answer a
// button gives back.
class TestWidgetDialogs : public QObject
{
    Q_OBJECT
private slots:
    void messageHasNoIconAndTheProgramTitle();
    void messageKeepsItsOwnTitle();
    void questionAsksYesOrNo_data();
    void questionAsksYesOrNo();
};

namespace {

// Runs inspect on the message box once it is shown modally, then presses the
// button given (QMessageBox::NoButton presses Escape).
void whenBoxShows(std::function<void(QMessageBox*)> inspect, QMessageBox::StandardButton press)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, inspect, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        inspect(box);
        if (press == QMessageBox::NoButton) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            box->button(press)->click();
        }
    });
    poll->start(10);
}

} // namespace

void TestWidgetDialogs::messageHasNoIconAndTheProgramTitle()
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons;
    whenBoxShows(
        [&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
        },
        QMessageBox::Ok);
    WidgetDialogs().message(u"You must enter a number for the price"_s);
    QCOMPARE(title, u"Quillary"_s);
    QCOMPARE(text, u"You must enter a number for the price"_s);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestWidgetDialogs::messageKeepsItsOwnTitle()
{
    QString title;
    whenBoxShows([&](QMessageBox* box) { title = box->windowTitle(); }, QMessageBox::Ok);
    WidgetDialogs().message(u"text"_s, u"Invalid Price"_s);
    QCOMPARE(title, u"Invalid Price"_s);
}

void TestWidgetDialogs::questionAsksYesOrNo_data()
{
    QTest::addColumn<int>("press");
    QTest::addColumn<UserDialogs::Answer>("answer");

    QTest::newRow("Yes") << int(QMessageBox::Yes) << UserDialogs::Answer::Yes;
    QTest::newRow("No") << int(QMessageBox::No) << UserDialogs::Answer::No;
    QTest::newRow("Escape is No") << int(QMessageBox::NoButton) << UserDialogs::Answer::No;
}

void TestWidgetDialogs::questionAsksYesOrNo()
{
    QFETCH(int, press);
    QFETCH(UserDialogs::Answer, answer);
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    whenBoxShows(
        [&](QMessageBox* box) {
            title = box->windowTitle();
            icon = box->icon();
            buttons = box->standardButtons();
        },
        QMessageBox::StandardButton(press));
    QCOMPARE(WidgetDialogs().question(u"Could not update locked record.  Do you wish to try again?"_s),
             answer);
    QCOMPARE(title, u"Quillary"_s);
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
}

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widget_dialogs.moc"
