// Storing the selected field's details when the user leaves a control.
#include "custom_reports/gui/frm_rptspec.h"

#include "common/user_dialogs.h"
#include "custom_reports/report_criteria.h"
#include "dates/gui/date_field.h"

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

QString detailText(QWidget* control)
{
    if (auto* dateField = qobject_cast<DateField*>(control))
        return dateField->text();
    return static_cast<QLineEdit*>(control)->text();
}

// The details control that has the focus: a date field's own text box
// stands for the field.
QWidget* detailControl(QWidget* focused)
{
    if (focused && qobject_cast<DateField*>(focused->parentWidget()))
        return focused->parentWidget();
    return focused;
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
    const auto time = [](QLineEdit* edit, Bound value) {
        return [edit, value](const QString& text, FieldSetting& setting) {
            const std::optional<QDateTime> bound = ReportCriteria::timeBound(text);
            if (!bound)
                return refuse(ReportCriteria::TimeRefusal, edit);
            setting.*value = *bound;
            return true;
        };
    };
    watchDetail(txtStartTime, time(txtStartTime, &FieldSetting::StartValue));
    watchDetail(txtEndTime, time(txtEndTime, &FieldSetting::EndValue));

    // A date field refuses a text that is no date itself, and opens the
    // calendar with its right edge under the field's, two field heights down.
    // A day from the calendar is stored as that date typed and left: the
    // focus comes back from the calendar without telling the field.
    const auto date = [this](DateField* field, Bound value, const QString& caption) {
        field->setRefusalMessage(ReportCriteria::DateRefusal);
        field->setCalendarOptions({caption, CalendarPlacement::Edge::Right, 2, false});
        watchDetail(field, [value](const QString& text, FieldSetting& setting) {
            const std::optional<QDateTime> bound = ReportCriteria::dateBound(text);
            if (bound)
                setting.*value = *bound;
            return bound.has_value();
        });
        connect(field, &DateField::calendarClosed, this, [this, field] {
            if (field->acceptText())
                leaveDetail(field);
        });
    };
    date(dcStartDate, &FieldSetting::StartValue, u"Select Start Date"_s);
    date(dcEndDate, &FieldSetting::EndValue, u"Select End Date"_s);
}

void frmRptSpec::watchDetail(QWidget* control, DetailStore store)
{
    m_detailStores.insert(control, std::move(store));
    control->installEventFilter(this);
}

bool frmRptSpec::leaveDetail(QWidget* control)
{
    const auto store = m_detailStores.constFind(control);
    if (store == m_detailStores.constEnd() || !fieldSettings().contains(CurrentSpecID))
        return true;
    // A refusal leaves the stored setting as it was.
    FieldSetting changed = fieldSettings()[CurrentSpecID];
    if (!store.value()(detailText(control), changed))
        return false;
    // A date picked in the calendar is a change too.
    if (!(changed == fieldSettings()[CurrentSpecID]))
        ReportChanged = true;
    fieldSettings()[CurrentSpecID] = changed;
    return true;
}

bool frmRptSpec::commitFocusedDetail()
{
    QWidget* control = detailControl(focusWidget());
    if (!control || !m_detailStores.contains(control))
        return true;
    if (auto* dateField = qobject_cast<DateField*>(control); dateField && !dateField->acceptText())
        return false;
    return leaveDetail(control);
}

bool frmRptSpec::eventFilter(QObject* watched, QEvent* event)
{
    auto* control = qobject_cast<QWidget*>(watched);
    if (event->type() != QEvent::FocusOut || !control || !m_detailStores.contains(control))
        return QMainWindow::eventFilter(watched, event);
    // The menu or another program taking over is no leaving of the field: a
    // command chosen from the menu stores the field itself first.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    // The control finishes losing the focus first (a date field refuses a
    // text that is no date there), so that putting it back is a fresh focus
    // change.
    static_cast<QObject*>(control)->event(event);
    leaveDetail(control);
    return true;
}
