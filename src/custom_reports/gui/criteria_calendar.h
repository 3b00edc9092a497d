#pragma once

#include <QDate>
#include <QString>
#include <optional>

class QWidget;

// The calendar that the designer's two date criteria open: the date picked,
// nothing when the user cancelled or no calendar can be shown.
bool criteriaCalendarAvailable();
std::optional<QDate> pickCriteriaDate(QWidget* parent, const QString& caption, const QDate& start);
