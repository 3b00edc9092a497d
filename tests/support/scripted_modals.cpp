#include "support/scripted_modals.h"

#include <QDialog>
#include <QTest>

ScriptedModals::Handler ScriptedModals::accept()
{
    return [](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    };
}

ScriptedModals::Handler ScriptedModals::reject()
{
    return [](QDialog& dialog) {
        dialog.reject();
        return dialog.result();
    };
}

int ScriptedModals::exec(QDialog& dialog)
{
    shown_.append({dialog.objectName(), dialog.windowTitle()});
    if (handlers_.isEmpty()) {
        const QByteArray failure =
            "Modal window shown with no handler queued: \"" + dialog.windowTitle().toUtf8() + '"';
        QTest::qFail(failure.constData(), __FILE__, __LINE__);
        return QDialog::Rejected;
    }
    const Handler handler = handlers_.dequeue();
    // Shown as the user would see it, so that clicks and keys reach it.
    dialog.show();
    const int result = handler(dialog);
    dialog.hide();
    return result;
}
