#include "catalogue/catalogue_state.h"
#include "common/shared_state.h"
#include "custom_reports/gui/frm_rptspec.h"
#include "custom_reports/report_criteria.h"
#include "custom_reports/report_fixture.h"
#include "dates/date_entry_state.h"
#include "dates/gui/date_field.h"
#include "support/failing_file_system.h"
#include "support/file_contents.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_modals.h"
#include "support/temporary_catalogue.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace report_test;

Q_DECLARE_METATYPE(UserDialogs::Answer)

namespace {

QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

void clickEntry(QListWidget* list, const QString& text, bool twice = false)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(text));
    const QPoint centre = list->visualItemRect(found.first()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class TestFrmRptSpec : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listCommands_data();
    void listCommands();
    void listsAndButtonsStayPut();
    void leavingADetail_data();
    void leavingADetail();
    void valueTypedThenAnotherFieldClicked();
    void calendarFillsADateCriterion_data();
    void calendarFillsADateCriterion();
    void destinationShowsThePageFrames();
    void commandsStoreTheValueBeingTyped_data();
    void commandsStoreTheValueBeingTyped();
    void saveAsThenSave();
    void sortTakenBack();
    void replaceQuestion_data();
    void replaceQuestion();
    void unsavedReportIsNotLost_data();
    void unsavedReportIsNotLost();
    void damagedFieldCatalogueLeavesTheCatalogueAlone();
    void openShowsTheFile_data();
    void openShowsTheFile();

private:
    // Runs steps: "add NAME" (select in the available list, press add),
    // "double NAME", "pick NAME" (click in the chosen list), "add",
    // "remove", "up", "down" (press the button).
    void run(const QStringList& steps);
    // Types text into a control and leaves it with the Tab key.
    void typeAndLeave(QWidget* control, const QString& text);
    QString storedItem(int line, int specid) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<LocaleGuard> m_locale;
    frmRptSpec* w = nullptr;
    QPointer<frmRptSpec> m_open; // the window until it deletes itself
};

void TestFrmRptSpec::init()
{
    m_locale = std::make_unique<LocaleGuard>(u"en_US"_s);
    m_dir = std::make_unique<QTemporaryDir>();
    catalogueState().DataDir = m_dir->path() + u'/';
    writeFieldCatalogue(catalogueRows(), catalogueState().DataDir + FieldCatalogueFileName);
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    sharedState().CatalogueKey = u"books"_s;
    w = new frmRptSpec;
    m_open = w;
    w->Form_Load();
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void TestFrmRptSpec::cleanup()
{
    if (m_open) {
        w->ReportChanged = false;
        w->close();
    }
    // The window deletes itself later; without an event loop "later" never
    // comes, so hand it its deferred delete now. A window that refused to
    // close (a detail still being refused) goes too, before the scripted
    // dialogs it would answer through.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete m_open.data();
    QCOMPARE(m_dialogs->unusedAnswers(), 0);
    QCOMPARE(m_dialogs->unusedFileNames(), 0);
    m_dialogs.reset();
    m_dir.reset();
    m_locale.reset();
}

void TestFrmRptSpec::run(const QStringList& steps)
{
    for (const QString& step : steps) {
        const QString command = step.section(u' ', 0, 0);
        const QString name = step.section(u' ', 1);
        if (command == u"double"_s)
            clickEntry(w->List1, name, true);
        else if (command == u"pick"_s)
            clickEntry(w->List2, name);
        else if (!name.isEmpty())
            clickEntry(w->List1, name);
        if (command == u"add"_s)
            QTest::mouseClick(w->cmdAdd, Qt::LeftButton);
        else if (command == u"remove"_s)
            QTest::mouseClick(w->cmdRemove, Qt::LeftButton);
        else if (command == u"up"_s)
            QTest::mouseClick(w->cmdUp, Qt::LeftButton);
        else if (command == u"down"_s)
            QTest::mouseClick(w->cmdDown, Qt::LeftButton);
    }
}

void TestFrmRptSpec::typeAndLeave(QWidget* control, const QString& text)
{
    control->setFocus(Qt::MouseFocusReason);
    auto* dateField = qobject_cast<DateField*>(control);
    (dateField ? dateField->lineEdit() : static_cast<QLineEdit*>(control))->selectAll();
    if (text.isEmpty())
        QTest::keyClick(control, Qt::Key_Delete);
    else
        QTest::keyClicks(control, text);
    QTest::keyClick(control, Qt::Key_Tab);
}

// One field's item of a line of the report file the designer would write.
QString TestFrmRptSpec::storedItem(int line, int specid) const
{
    return reportFileLines(w->currentDefinition()).at(line - 1).split(u';').value(specid - 1);
}

void TestFrmRptSpec::listCommands_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("available");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QString>("criteria"); // the criteria frame shown; empty when the details are hidden
    QTest::addColumn<QStringList>("messages");

    const auto list = [](const char* items) {
        return QString::fromUtf8(items).split(u',', Qt::SkipEmptyParts);
    };
    const QStringList all = list("Bought,Fiction,Notes,Price,Read At,Title");
    QTest::newRow("add two") << list("add Title,add Price") << list("Bought,Fiction,Notes,Read At")
                             << list("Title,Price") << u"fraSel2"_s << QStringList();
    QTest::newRow("double click adds") << list("double Fiction") << list("Bought,Notes,Price,Read At,Title")
                                       << list("Fiction") << u"fraSel4"_s << QStringList();
    QTest::newRow("remove puts it back in its place")
        << list("add Price,add Title,pick Price,remove") << list("Bought,Fiction,Notes,Price,Read At")
        << list("Title") << QString() << QStringList();
    QTest::newRow("up") << list("add Title,add Price,add Bought,up") << list("Fiction,Notes,Read At")
                        << list("Title,Bought,Price") << u"fraSel3"_s << QStringList();
    QTest::newRow("down") << list("add Title,add Price,add Read At,pick Title,down")
                          << list("Bought,Fiction,Notes") << list("Price,Title,Read At") << u"fraSel1"_s
                          << QStringList();
    QTest::newRow("up on the first, down on the last")
        << list("add Title,add Notes,down,pick Title,up") << list("Bought,Fiction,Price,Read At")
        << list("Title,Notes") << u"fraSel1"_s << QStringList();
    QTest::newRow("nothing selected")
        << list("add,remove,up,down") << all << QStringList() << QString()
        << QStringList{u"You must select a field from the list of available fields to add to the report."_s,
                       u"You must select a field to remove from the report."_s,
                       u"You must select the field to move up in the list"_s,
                       u"You must select the field to move down in the list"_s};
}

void TestFrmRptSpec::listCommands()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, criteria);
    run(steps);
    QTEST(entries(w->List1), "available");
    QTEST(entries(w->List2), "chosen");
    QCOMPARE(w->frame1->isVisible(), !criteria.isEmpty());
    QStringList shown;
    for (int kind = 1; kind <= 5; ++kind) {
        if (w->fraSel[kind]->isVisible())
            shown.append(w->fraSel[kind]->objectName());
    }
    QCOMPARE(shown, criteria.isEmpty() ? QStringList() : QStringList{criteria});
    QTEST(m_dialogs->texts(), "messages");
    QVERIFY(w->ReportChanged);
}

// Whatever kind of field the details show, or none, the lists and the
// buttons between them stay where they are, so a second click finds them.
void TestFrmRptSpec::listsAndButtonsStayPut()
{
    const auto places = [this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return QList<QRect>{w->List1->geometry(), w->cmdAdd->geometry(), w->cmdDown->geometry(),
                            w->List2->geometry()};
    };
    const QList<QRect> before = places();
    for (const char* step : {"add Fiction", "add Price", "add Read At", "add Title", "add Bought",
                             "pick Fiction", "pick Price", "remove"}) {
        run({QString::fromLatin1(step)});
        QVERIFY2(places() == before, step);
    }
}

void TestFrmRptSpec::leavingADetail_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("line");       // the report file line that holds the value
    QTest::addColumn<QString>("stored"); // the field's item there
    QTest::addColumn<QString>("message");

    // Each control first holds an accepted value: width 2.5, greater than 10,
    // starts with Mc, dates 3/7/2001, times 10:30 AM.
    QTest::newRow("width 0 hides") << u"Title"_s << u"txtWidth"_s << u"0"_s << 20 << u"1"_s << QString();
    QTest::newRow("width empty") << u"Title"_s << u"txtWidth"_s << QString() << 19 << u"2.5"_s
                                 << ReportCriteria::WidthRefusal;
    QTest::newRow("greater abc") << u"Price"_s << u"txtGreater"_s << u"abc"_s << 18 << u"10"_s
                                 << ReportCriteria::NumberRefusal;
    QTest::newRow("starts with a separator")
        << u"Title"_s << u"txtStarting"_s << u"A;B"_s << 14 << u"Mc"_s << ReportCriteria::SeparatorRefusal;
    QTest::newRow("starts with") << u"Title"_s << u"txtStarting"_s << u"O'Br"_s << 14 << u"O'Br"_s
                                 << QString();
    QTest::newRow("start date") << u"Bought"_s << u"dcStartDate"_s << u"3/31/2001"_s << 15 << u"36981"_s
                                << QString();
    QTest::newRow("start date 2/30") << u"Bought"_s << u"dcStartDate"_s << u"2/30/2001"_s << 15 << u"36957"_s
                                     << ReportCriteria::DateRefusal;
    QTest::newRow("start time") << u"Read At"_s << u"txtStartTime"_s << u"6:45 PM"_s << 15 << u"0.78125"_s
                                << QString();
    QTest::newRow("end time as a date")
        << u"Read At"_s << u"txtEndTime"_s << u"3/7/2001"_s << 16 << u"36957"_s << QString();
    QTest::newRow("end time 25:00") << u"Read At"_s << u"txtEndTime"_s << u"25:00"_s << 16 << u"0.4375"_s
                                    << ReportCriteria::TimeRefusal;
}

void TestFrmRptSpec::leavingADetail()
{
    QFETCH(QString, field);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(int, line);
    QFETCH(QString, message);
    run({u"add "_s + field});
    auto* edit = w->findChild<QWidget*>(control);
    QVERIFY(edit && edit->isVisible());
    const QString accepted = control == u"txtWidth"_s      ? u"2.5"_s
                             : control == u"txtGreater"_s  ? u"10"_s
                             : control == u"txtStarting"_s ? u"Mc"_s
                             : control.startsWith(u"dc"_s) ? u"3/7/2001"_s
                                                           : u"10:30 AM"_s;
    typeAndLeave(edit, accepted);
    QVERIFY(m_dialogs->texts().isEmpty());
    typeAndLeave(edit, typed);

    const int specid = w->CurrentSpecID;
    QTEST(storedItem(line, specid), "stored");
    QCOMPARE(m_dialogs->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(edit->property("text").toString(), typed); // a refused text stays as typed
    // Refused numbers, texts, dates and times keep the focus; the width lets it go.
    const bool focused = edit->hasFocus() || edit->isAncestorOf(QApplication::focusWidget());
    QCOMPARE(focused, !message.isEmpty() && control != u"txtWidth"_s);
    QCOMPARE(w->chkHide->isChecked(), storedItem(20, specid) == u"1"_s);
    QVERIFY(w->ReportChanged);
}

void TestFrmRptSpec::valueTypedThenAnotherFieldClicked()
{
    run({u"add Price"_s, u"add Title"_s, u"pick Price"_s});
    w->txtGreater->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(w->txtGreater, u"15"_s);
    clickEntry(w->List2, u"Title"_s);
    QCOMPARE(storedItem(18, 2), u"15"_s);
    QCOMPARE(storedItem(18, 1), QString());
    QVERIFY(w->fraSel[1]->isVisible());
    run({u"pick Price"_s});
    QCOMPARE(w->txtGreater->text(), u"15"_s);
}

void TestFrmRptSpec::calendarFillsADateCriterion_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("line");
    QTest::newRow("start") << u"dcStartDate"_s << u"Select Start Date"_s << 15;
    QTest::newRow("end") << u"dcEndDate"_s << u"Select End Date"_s << 16;
}

// The calendar opens on the field's date with its right edge under the
// field's, two field heights below its top; the day picked is stored at once.
void TestFrmRptSpec::calendarFillsADateCriterion()
{
    QFETCH(QString, field);
    QFETCH(int, line);
    run({u"add Bought"_s});
    auto* date = w->findChild<DateField*>(field);
    typeAndLeave(date, u"3/7/2001"_s);
    w->ReportChanged = false;
    QString seenCaption;
    QRect seen;
    QDate openedOn;
    ScopedScriptedModals modals;
    QWidget elsewhere; // takes the activation: no focus events on the way back
    modals.enqueue([&](QDialog& calendar) {
        seenCaption = calendar.windowTitle();
        // Where the program placed it: the frame's corner and the window's own size.
        seen = QRect(calendar.pos(), calendar.size());
        openedOn = dateEntry().PickerDate;
        dateEntry().PickerDate = QDate(2001, 3, 31);
        elsewhere.show();
        elsewhere.activateWindow();
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == &elsewhere; }) ? 1 : 0;
    });
    date->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(date, Qt::Key_F4);
    QCOMPARE(modals.unusedHandlers(), 0);

    QTEST(seenCaption, "caption");
    QCOMPARE(openedOn, QDate(2001, 3, 7));
    const QPoint fieldAt = w->frameGeometry().topLeft() + date->mapTo(w, QPoint());
    QCOMPARE(seen.topRight(), QPoint(fieldAt.x() + date->width() - 1, fieldAt.y() + 2 * date->height()));
    QCOMPARE(date->text(), u"3/31/2001"_s);
    QCOMPARE(storedItem(line, 3), u"36981"_s);
    QVERIFY(w->ReportChanged && w->focusWidget() != date);
}

void TestFrmRptSpec::destinationShowsThePageFrames()
{
    w->Tab1->setCurrentIndex(1);
    for (const int destination : {2, 1, 3, 1}) {
        // On the button's mark: a wide option button takes clicks on its mark and caption only.
        QTest::mouseClick(w->optReportTo[destination], Qt::LeftButton, {},
                          QPoint(4, w->optReportTo[destination]->height() / 2));
        QCOMPARE(w->fraOrient->isVisible(), destination == 1);
        QCOMPARE(w->fraFormat->isVisible(), destination == 1);
    }
    QVERIFY(w->ReportChanged);
}

// Buttons and menu commands keep the focus where it is and store the value
// being typed themselves: a refused value stops the command, with one message.
void TestFrmRptSpec::commandsStoreTheValueBeingTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("ran");
    QTest::newRow("generate") << u"12"_s << u"generate"_s << true;
    QTest::newRow("generate, refused") << u"abc"_s << u"generate"_s << false;
    QTest::newRow("exit, refused") << u"abc"_s << u"exit"_s << false;
    QTest::newRow("up") << u"12"_s << u"up"_s << true;
}

void TestFrmRptSpec::commandsStoreTheValueBeingTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, command);
    QFETCH(bool, ran);
    run({u"add Title"_s, u"add Price"_s});
    QSignalSpy generated(w, &frmRptSpec::generateRequested);
    w->txtGreater->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(w->txtGreater, typed);
    QPushButton* button = command == u"generate"_s ? w->cmdGenerate : w->cmdCancel;
    if (command == u"up"_s)
        QTest::mouseClick(w->cmdUp, Qt::LeftButton);
    else
        QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_dialogs->texts(), ran ? QStringList() : QStringList{ReportCriteria::NumberRefusal});
    QCOMPARE(storedItem(18, 2), ran ? typed : QString());
    QCOMPARE(QApplication::focusWidget(), w->txtGreater);
    QCOMPARE(generated.size(), command == u"generate"_s && ran ? 1 : 0);
    QCOMPARE(entries(w->List2).first(), command == u"up"_s && ran ? u"Price"_s : u"Title"_s);
    QVERIFY(w->isVisible());
}

void TestFrmRptSpec::saveAsThenSave()
{
    run({u"add Price"_s});
    const QString typedName = m_dir->filePath(u"loans"_s);
    const QString path = typedName + u".rpt"_s;
    m_dialogs->setNextFileName(typedName);
    w->mnuSave->trigger();
    QCOMPARE(fileBytes(path), reportFileBytes(w->currentDefinition()));
    QCOMPARE(w->windowTitle(), u"Custom Report - "_s + typedName);
    QCOMPARE(w->ReportFileName, path);
    QVERIFY(!w->ReportChanged);

    // A value still being typed is saved too.
    w->txtLess->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(w->txtLess, u"30"_s);
    w->mnuSave->trigger();
    QCOMPARE(m_dialogs->shown().size(), 1); // no second file dialog
    QCOMPARE(linesOf(fileBytes(path)).at(16), u";30;;;;"_s);
}

// Delete takes a chosen sort back, the other one staying: the report file
// then holds no sort there and reads back so.
void TestFrmRptSpec::sortTakenBack()
{
    QTest::keyClicks(w->cmbSort1, u"f"_s); // Fiction, position 1
    QTest::keyClicks(w->cmbSort2, u"f"_s);
    w->ReportChanged = false;
    QTest::keyClick(w->cmbSort1, Qt::Key_Delete);
    QVERIFY(w->ReportChanged);
    const QString path = m_dir->filePath(u"sorted.rpt"_s);
    m_dialogs->setNextFileName(path);
    w->mnuSaveAs->trigger();
    QCOMPARE(linesOf(fileBytes(path)).mid(7, 2), (QStringList{u"-1 "_s, u" 1 "_s}));
    w->mnuNew->trigger();
    m_dialogs->setNextFileName(path);
    w->mnuOpen->trigger();
    QCOMPARE(w->cmbSort1->currentIndex(), -1);
    QCOMPARE(w->cmbSort2->currentText(), u"Fiction"_s);
}

void TestFrmRptSpec::replaceQuestion_data()
{
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("Yes replaces") << true << false;
    QTest::newRow("No keeps the file") << false << false;
    QTest::newRow("Yes on a full disk keeps the file, unsaved") << false << true;
}

void TestFrmRptSpec::replaceQuestion()
{
    QFETCH(bool, replace);
    QFETCH(bool, diskFull);
    const QString path = m_dir->filePath(u"old.rpt"_s);
    QVERIFY(writeFile(path, "old"));
    run({u"add Title"_s});
    m_dialogs->setNextFileName(path);
    m_dialogs->setNextAnswer(replace || diskFull ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    const FailingFileSystem disk(diskFull ? FailingFileSystem::Call::Write : FailingFileSystem::Call::None,
                                 ENOSPC, 0, true);
    w->mnuSaveAs->trigger();
    if (diskFull)
        QCOMPARE(m_dialogs->texts().last(), u"3026  Not enough space on disk to write to '%1'."_s.arg(path));
    QCOMPARE(m_dialogs->questions().first().text,
             u"The report file '"_s + path + u"' already exists.  Do you wish to replace it?"_s);
    QCOMPARE(m_dialogs->questions().first().title, u"File Exists"_s);
    QCOMPARE(fileBytes(path) == "old", !replace);
    QCOMPARE(sharedState().ReplaceRefused, !replace && !diskFull);
    QCOMPARE(w->ReportChanged, !replace);
    QCOMPARE(w->ReportFileName == path, replace);
}

// The save question before New and closing (Open asks the same way): a save
// the user asked for that did not happen (file dialog cancelled) stops the
// command.
void TestFrmRptSpec::unsavedReportIsNotLost_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<UserDialogs::Answer>("answer");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("New, No") << u"new"_s << UserDialogs::Answer::No << true;
    QTest::newRow("New, Yes, cancelled") << u"new"_s << UserDialogs::Answer::Yes << false;
    QTest::newRow("close, Yes, cancelled") << u"close"_s << UserDialogs::Answer::Yes << false;
    QTest::newRow("Escape, Yes, cancelled") << u"escape"_s << UserDialogs::Answer::Yes << false;
}

void TestFrmRptSpec::unsavedReportIsNotLost()
{
    QFETCH(QString, command);
    QFETCH(UserDialogs::Answer, answer);
    QFETCH(bool, cleared);
    run({u"add Bought"_s});
    m_dialogs->setNextAnswer(answer);
    if (answer == UserDialogs::Answer::Yes)
        m_dialogs->setNextFileName(QString());
    if (command == u"escape"_s)
        QTest::keyClick(w->List2, Qt::Key_Escape);
    else
        (command == u"new"_s ? w->mnuNew : w->mnuExit)->trigger();
    QCOMPARE(m_dialogs->questions().first().text, u"Do you wish to save the current report?"_s);
    QCOMPARE(m_dialogs->questions().first().title, u"Save Current Report"_s);
    if (command != u"new"_s) {
        QCOMPARE(w->isVisible(), !cleared);
        return;
    }
    QCOMPARE(entries(w->List2).isEmpty(), cleared);
    QCOMPARE(w->ReportChanged, !cleared);
}

void TestFrmRptSpec::openShowsTheFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<bool>("valid");

    ReportDefinition report = clearedReport(fieldsOf(u"books"_s), 0);
    report.chosenFields = {2, 1};
    report.title = u"Prices"_s;
    report.destination = CustomDestination::TextFile;
    report.settings[2].GreaterThan = u"5"_s;
    const QByteArray bytes = reportFileBytes(report);
    QTest::newRow("valid") << bytes << QStringList{u"Price"_s, u"Title"_s} << true;
    QTest::newRow("a 2 among the hide flags")
        << withLine(bytes, 20, "0;2;0;0;0;0") << QStringList{u"Price"_s, u"Title"_s} << false;
}

void TestFrmRptSpec::openShowsTheFile()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, valid);
    const QString path = m_dir->filePath(u"prices.rpt"_s);
    QVERIFY(writeFile(path, file));
    m_dialogs->setNextFileName(path);
    w->mnuOpen->trigger();

    QTEST(entries(w->List2), "chosen");
    QCOMPARE(w->txtTitle->text(), u"Prices"_s);
    QVERIFY(w->optReportTo[2]->isChecked() && !w->fraOrient->isVisibleTo(w));
    QCOMPARE(w->windowTitle(), u"Custom Report"_s);
    QCOMPARE(w->ReportFileName, valid ? path : QString());
    QCOMPARE(w->ReportChanged, !valid);
    if (valid) {
        QCOMPARE(m_dialogs->messages().size(), 0);
        QVERIFY(w->fraSel[2]->isVisible());
        QCOMPARE(w->txtGreater->text(), u"5"_s);
    } else {
        QCOMPARE(m_dialogs->messages().size(), 1);
        QCOMPARE(m_dialogs->messages().first().text,
                 u"This does not appear to be a valid report file for this program."_s);
        QCOMPARE(m_dialogs->messages().first().title, u"Invalid Report File"_s);
    }
}

// A field catalogue that is no database is reported; it is not taken for a
// damaged catalogue, which would be closed and repaired under the main window.
void TestFrmRptSpec::damagedFieldCatalogueLeavesTheCatalogueAlone()
{
    TemporaryCatalogue catalogue;
    catalogue.install();
    const Database* open = catalogueState().dbCatalogue.get();
    QVERIFY(writeFile(catalogue.folder() + FieldCatalogueFileName, QByteArray(4096, 'x')));
    const QByteArray catalogueBytes = fileBytes(catalogue.path());

    auto* designer = new frmRptSpec;
    designer->Form_Load();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(designer->List1->count(), 0);
    QCOMPARE(catalogueState().dbCatalogue.get(), open);
    QVERIFY(open->isOpen());
    QCOMPARE(fileBytes(catalogue.path()), catalogueBytes);
    designer->close();
    TemporaryCatalogue::uninstall();
}

QTEST_MAIN(TestFrmRptSpec)
#include "tst_frm_rptspec.moc"
