#include "common/user_dialogs.h"

#include "common/installed_seam.h"

namespace {

// What runs when no window system has installed its dialogs (tools, tests that
// do not care): shows nothing and takes the cautious answer everywhere.
class SilentDialogs final : public UserDialogs
{
public:
    void message(const QString&, const QString&) override {}
    Answer question(const QString&, const QString&) override { return Answer::No; }
    QString openFileName(const QString&, const QString&, const QString&) override { return QString(); }
    QString saveFileName(const QString&, const QString&, const QString&) override { return QString(); }
    void beep() override {}
};

constinit InstalledSeam<UserDialogs, SilentDialogs> installed;

} // namespace

QString UserDialogs::directory(const QString&, const QString&)
{
    return QString();
}

UserDialogs& userDialogs()
{
    return installed.get();
}

void setUserDialogs(UserDialogs* dialogs)
{
    installed.install(dialogs);
}
