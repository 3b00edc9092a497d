#pragma once

#include <QLocale>
#include <QString>

// Makes a locale the default for the scope and restores the previous default.
class LocaleGuard
{
public:
    explicit LocaleGuard(const QString& name) : LocaleGuard(QLocale(name)) {}
    explicit LocaleGuard(const QLocale& locale) : previous_(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(previous_); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

private:
    QLocale previous_;
};
