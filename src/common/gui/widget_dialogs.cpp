#include "common/gui/widget_dialogs.h"

#include "common/file_filters.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QString titleOrProgramTitle(const QString& title)
{
    return title.isEmpty() ? ProgramTitle : title;
}

} // namespace

void WidgetDialogs::message(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, titleOrProgramTitle(title), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

UserDialogs::Answer WidgetDialogs::question(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, titleOrProgramTitle(title), text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    // Yes is the default button, as in the classic Yes/No box; closing the box
    // or pressing Escape answers No.
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString WidgetDialogs::openFileName(const QString& caption, const QString& directory, const QString& filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, directory,
                                        dialogFilterList(filter));
}

QString WidgetDialogs::saveFileName(const QString& caption, const QString& suggestedPath,
                                    const QString& filter)
{
    // The program asks its own replace question, with its own words.
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, suggestedPath,
                                        dialogFilterList(filter), nullptr, QFileDialog::DontConfirmOverwrite);
}

QString WidgetDialogs::directory(const QString& caption, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, startFolder);
}

void WidgetDialogs::beep()
{
    QApplication::beep();
}
