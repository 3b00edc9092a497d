#include "common/file_filters.h"
#include "common/gui/widget_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Calls inspect with the program's modal window of type Window once it shows
// and keeps calling it (while the window fills itself) until it returns true.
template <typename Window> void whenShown(const std::function<bool(Window&)>& inspect)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [inspect, poll] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (window && inspect(*window)) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

// The names the file dialog lists in its folder, sorted.
QStringList listedFiles(QFileDialog& dialog)
{
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    auto* files = view ? qobject_cast<QFileSystemModel*>(view->model()) : nullptr;
    QStringList names;
    if (!files)
        return names;
    for (int row = 0; row < files->rowCount(view->rootIndex()); ++row)
        names << files->fileName(files->index(row, 0, view->rootIndex()));
    names.sort();
    return names;
}

} // namespace

// The boxes the user sees: their title, icon and buttons, and the answer a
// button gives back; the file dialogs with the file types offered and the
// files they list.
class TestWidgetDialogs : public QObject
{
    Q_OBJECT
private slots:
    void showsBox_data();
    void showsBox();
    void fileDialogListsTheFilesOfItsTypes_data();
    void fileDialogListsTheFilesOfItsTypes();
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
    whenShown<QMessageBox>([&](QMessageBox& box) {
        shownTitle = box.windowTitle();
        shownText = box.text();
        icon = box.icon();
        buttons = box.standardButtons();
        if (press == QMessageBox::NoButton)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            box.button(QMessageBox::StandardButton(press))->click();
        return true;
    });

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

// The program's file types, written as description and pattern pairs, as the
// dialog offers them, and what it lists first in a folder of such files.
void TestWidgetDialogs::fileDialogListsTheFilesOfItsTypes_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<QStringList>("listed");

    const QString all = u"All Files (*)"_s;
    QTest::newRow("text report") << FileFilters::TextFiles << true
                                 << QStringList{u"Text Files (*.txt)"_s, all}
                                 << QStringList{u"BookRpt.txt"_s, u"books.txt"_s};
    QTest::newRow("html report") << FileFilters::HtmlFiles << true
                                 << QStringList{u"Html Files (*.htm)"_s, all} << QStringList{u"books.htm"_s};
    QTest::newRow("open a report file")
        << FileFilters::ReportFiles << false << QStringList{u"Report Files (*.rpt)"_s}
        << QStringList{u"Loans.rpt"_s};
    QTest::newRow("save a report file")
        << FileFilters::ReportFiles << true << QStringList{u"Report Files (*.rpt)"_s}
        << QStringList{u"Loans.rpt"_s};
    QTest::newRow("pdf") << FileFilters::PdfFiles << true << QStringList{u"PDF Files (*.pdf)"_s, all}
                         << QStringList{u"Books.pdf"_s};
    QTest::newRow("every file, extension or not")
        << u"All Files (*.*)|*.*"_s << false << QStringList{all}
        << QStringList{u"BookRpt.txt"_s, u"Books.pdf"_s, u"Loans.rpt"_s,
                       u"README"_s,      u"books.htm"_s, u"books.txt"_s};
    QTest::newRow("several patterns")
        << u"Web Pages|*.htm;*.html|Text Files (*.txt)|*.txt"_s << false
        << QStringList{u"Web Pages (*.htm *.html)"_s, u"Text Files (*.txt)"_s} << QStringList{u"books.htm"_s};
    QTest::newRow("already a dialog's list")
        << u"PDF Files (*.pdf);;All Files (*)"_s << false << QStringList{u"PDF Files (*.pdf)"_s, all}
        << QStringList{u"Books.pdf"_s};
}

void TestWidgetDialogs::fileDialogListsTheFilesOfItsTypes()
{
    QFETCH(QString, filter);
    QFETCH(bool, save);
    QFETCH(QStringList, listed);
    QTemporaryDir folder;
    for (const QString& name :
         {u"BookRpt.txt"_s, u"books.txt"_s, u"books.htm"_s, u"Loans.rpt"_s, u"Books.pdf"_s, u"README"_s}) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    QStringList choices, seen;
    int looks = 0;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        choices = dialog.nameFilters();
        seen = listedFiles(dialog);
        // The folder is read in the background: look again until it is listed.
        if (seen != listed && ++looks < 500)
            return false;
        dialog.reject();
        return true;
    });
    const QString chosen = save
                               ? WidgetDialogs().saveFileName(u"Save As"_s, folder.filePath(u"New"_s), filter)
                               : WidgetDialogs().openFileName(u"Open"_s, folder.path(), filter);
    QCOMPARE(chosen, QString());
    QTEST(choices, "choices");
    QCOMPARE(seen, listed);
}

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widget_dialogs.moc"
