#include "maintenance/gui/frm_about.h"

#include "common/desktop_opener.h"
#include "common/program_identity.h"
#include "common/user_dialogs.h"
#include "maintenance/help_page.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>

using namespace Qt::StringLiterals;

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    setWindowTitle(u"About "_s + ProgramTitle);
    Picture1->setPixmap(
        QPixmap(u":/icons/quillary.png"_s).scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    Label1->setText(ProgramTitle);
    Label2->setText(u"Version "_s + QStringLiteral(QUILLARY_VERSION));
    QFont title = Label1->font();
    title.setPointSizeF(title.pointSizeF() * 1.8);
    title.setBold(true);
    Label1->setFont(title);
    // Shown like a link; the click is the window's own, so the address opens
    // through the same desktop service as the help page.
    Label8->setText(ProgramWebAddress);
    Label8->setStyleSheet(u"color: palette(link); text-decoration: underline;"_s);
    Label8->installEventFilter(this);
    connect(cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label8) {
        const bool clicked = event->type() == QEvent::MouseButtonRelease &&
                             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        const bool pressed =
            event->type() == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space ||
                                                  static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return);
        if (clicked || pressed) {
            Label8_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// A missing browser is the desktop's to report.
void frmAbout::Label8_Click()
{
    desktopOpener().open(QUrl(Label8->text()));
}

void frmAbout::cmdOk_Click()
{
    accept();
}
