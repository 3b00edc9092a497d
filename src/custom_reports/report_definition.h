#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

struct ReportFields;

// The settings a custom report keeps for one field of its program key, chosen
// or not.
struct FieldSetting
{
    bool SelTrue = false;        // a yes/no field must be true
    bool SelFalse = false;       // a yes/no field must be false
    QString StartsWith;          // a text field must start with this
    QDateTime StartValue;        // lower bound of a date or time field; invalid for none
    QDateTime EndValue;          // upper bound; invalid for none
    QString LessThan;            // a number field must be below this number, as typed
    QString GreaterThan;         // a number field must be above this number, as typed
    float ColWidth = 1.0F;       // column width in the report's width unit
    bool HideField = false;      // selects and sorts but has no column
    bool ShowTotal = false;      // a number column ends with its total
    bool IsCurrencyFlag = false; // the number is an amount of money

    bool operator==(const FieldSetting&) const = default;
};

// One FieldSetting per field identifier, 1 to the key's highest identifier.
class FieldSettings
{
public:
    explicit FieldSettings(qint16 maxSpecId = 0) : m_settings(qMax<qint16>(maxSpecId, 0)) {}

    qint16 count() const { return qint16(m_settings.size()); }
    bool contains(int specid) const { return specid >= 1 && specid <= m_settings.size(); }
    FieldSetting& operator[](int specid) { return m_settings[specid - 1]; }
    const FieldSetting& operator[](int specid) const { return m_settings[specid - 1]; }

    bool operator==(const FieldSettings&) const = default;

private:
    QList<FieldSetting> m_settings;
};

namespace CustomDestination {
inline constexpr int ScreenPrinter = 1;
inline constexpr int TextFile = 2;
inline constexpr int WebTable = 3;
} // namespace CustomDestination

namespace PageNumbers {
inline constexpr int InHeader = 0;
inline constexpr int AtBottom = 1;
inline constexpr int None = 2;
} // namespace PageNumbers

inline const QString DefaultReportTitle = QStringLiteral("Quillary Program Report");

// A custom report: what the designer holds, report files store and report
// generation reads.
struct ReportDefinition
{
    QString ProgramKey = QStringLiteral("books");
    QString title = DefaultReportTitle;
    int destination = CustomDestination::ScreenPrinter;
    int orientation = 0;  // 0 portrait, 1 landscape
    bool showDate = true; // today's date in the page header
    int pageNumbers = PageNumbers::InHeader;
    int widthUnit = 0;    // 0 inches, 1 centimetres
    int primarySort = -1; // position in the sort list (fields that are not long text, by name); -1 none
    int secondarySort = -1;
    QList<qint16> chosenFields; // specids in report order
    qint16 MaxSpecID = 0;
    FieldSettings settings;

    bool operator==(const ReportDefinition&) const = default;
};

// The definition of a new report over these fields: nothing chosen, every
// setting at its default (the catalogue's width, 1 when it has none, and its
// currency flag), in the width unit given (a new report keeps the unit).
ReportDefinition clearedReport(const ReportFields& fields, int widthUnit);
