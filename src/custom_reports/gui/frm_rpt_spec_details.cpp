// Storing the selected field's details when the user leaves a control.
#include "custom_reports/gui/frm_rpt_spec.h"

#include "common/clock.h"
#include "common/locale_formats.h"
#include "common/user_dialogs.h"
#include "custom_reports/gui/criteria_calendar.h"
#include "custom_reports/report_criteria.h"

#include <QFocusEvent>

using namespace Qt::StringLiterals;

namespace {

using Bound = QDateTime FieldSetting::*;

// A refusal says why and, unless the field is the width, puts the focus back.
bool refuse(const QString& message, QLineEdit* edit, bool focusBack = true)
{
    userDialogs().message(message);
    if (focusBack)
        edit->setFocus(Qt::OtherFocusReason);
    return false;
}

} // namespace

void frmRptSpec::watchDetails()
{
    watchDetail(txtWidth, [this](const QString& text, FieldSetting& setting) {
        const std::optional<float> width = ReportCriteria::columnWidth(text);
        if (!width)
            return refuse(ReportCriteria::WidthRefusal, txtWidth, false);
        setting.ColWidth = *width;
        if (*width == 0) {
            setting.HideField = true;
            chkHide->setChecked(true);
        }
        return true;
    });
    watchDetail(txtStarting, [this](const QString& text, FieldSetting& setting) {
        if (!ReportCriteria::isStartsWithText(text))
            return refuse(ReportCriteria::SeparatorRefusal, txtStarting);
        setting.StartsWith = text;
        return true;
    });
    const auto number = [](QLineEdit* edit, QString FieldSetting::*value) {
        return [edit, value](const QString& text, FieldSetting& setting) {
            if (!ReportCriteria::isNumberOrEmpty(text))
                return refuse(ReportCriteria::NumberRefusal, edit);
            setting.*value = text;
            return true;
        };
    };
    watchDetail(txtGreater, number(txtGreater, &FieldSetting::GreaterThan));
    watchDetail(txtLess, number(txtLess, &FieldSetting::LessThan));
    const auto bound = [](QLineEdit* edit, Bound value, auto convert, const QString& refusal) {
        return [=](const QString& text, FieldSetting& setting) {
            const std::optional<QDateTime> converted = convert(text);
            if (!converted)
                return refuse(refusal, edit);
            setting.*value = *converted;
            return true;
        };
    };
    watchDetail(dcStartDate,
                bound(dcStartDate, &FieldSetting::StartValue, ReportCriteria::dateBound, ReportCriteria::DateRefusal));
    watchDetail(dcEndDate,
                bound(dcEndDate, &FieldSetting::EndValue, ReportCriteria::dateBound, ReportCriteria::DateRefusal));
    watchDetail(txtStartTime,
                bound(txtStartTime, &FieldSetting::StartValue, ReportCriteria::timeBound, ReportCriteria::TimeRefusal));
    watchDetail(txtEndTime,
                bound(txtEndTime, &FieldSetting::EndValue, ReportCriteria::timeBound, ReportCriteria::TimeRefusal));

    const bool calendar = criteriaCalendarAvailable();
    dcStartDateDrop->setVisible(calendar);
    dcEndDateDrop->setVisible(calendar);
    connect(dcStartDateDrop, &QToolButton::clicked, this, [this] { openCalendar(dcStartDate, u"Select Start Date"_s); });
    connect(dcEndDateDrop, &QToolButton::clicked, this, [this] { openCalendar(dcEndDate, u"Select End Date"_s); });
}

void frmRptSpec::watchDetail(QLineEdit* edit, DetailStore store)
{
    m_detailStores.insert(edit, std::move(store));
    edit->installEventFilter(this);
}

bool frmRptSpec::leaveDetail(QLineEdit* edit)
{
    const auto store = m_detailStores.constFind(edit);
    if (store == m_detailStores.constEnd() || !fieldSettings().contains(CurrentSpecID))
        return true;
    // A refusal leaves the stored setting as it was.
    FieldSetting changed = fieldSettings()[CurrentSpecID];
    if (!store.value()(edit->text(), changed))
        return false;
    fieldSettings()[CurrentSpecID] = changed;
    return true;
}

bool frmRptSpec::commitFocusedDetail()
{
    auto* edit = qobject_cast<QLineEdit*>(focusWidget());
    return !edit || !m_detailStores.contains(edit) || leaveDetail(edit);
}

bool frmRptSpec::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (event->type() != QEvent::FocusOut || !edit || !m_detailStores.contains(edit))
        return QMainWindow::eventFilter(watched, event);
    // The menu or another program taking over is no leaving of the field: a
    // command chosen from the menu stores the field itself first.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    // The field finishes losing the focus first, so that putting it back is
    // a fresh focus change.
    static_cast<QObject*>(edit)->event(event);
    leaveDetail(edit);
    return true;
}

void frmRptSpec::openCalendar(QLineEdit* dateField, const QString& caption)
{
    const std::optional<QDate> typed = LocaleFormats::toDate(dateField->text());
    const std::optional<QDate> picked = pickCriteriaDate(this, caption, typed.value_or(Clock::today()));
    if (!picked)
        return;
    dateField->setText(LocaleFormats::shortDate(*picked));
    ReportChanged = true;
    // On as the Tab key goes, storing the date as leaving the field does.
    dateField->setFocus(Qt::OtherFocusReason);
    leaveDetail(dateField);
    focusNextChild();
}
