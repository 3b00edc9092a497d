#include "database/stored_values.h"

#include "database/sqlite_error.h"

#include <QByteArray>
#include <cmath>
#include <limits>
#include <optional>
#include <sqlite3.h>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace StoredValue {

ColumnKind kindOfDeclaredType(const char* declaredType)
{
    if (!declaredType)
        return ColumnKind::Untyped;
    const QByteArray type = QByteArray(declaredType).toUpper();
    if (type.contains("BOOL") || type == "BIT" || type == "YESNO" || type == "LOGICAL")
        return ColumnKind::Boolean;
    if (type.contains("DATE") || type.contains("TIME"))
        return ColumnKind::DateTime;
    if (type.contains("CURRENCY") || type.contains("MONEY"))
        return ColumnKind::Currency;
    if (type.contains("SMALLINT"))
        return ColumnKind::SmallInteger;
    if (type.contains("INT"))
        return ColumnKind::Integer;
    if (type.contains("CHAR") || type.contains("CLOB") || type.contains("TEXT") || type.contains("MEMO"))
        return ColumnKind::Text;
    if (type.contains("REAL") || type.contains("FLOA") || type.contains("DOUB") || type.contains("NUMERIC") ||
        type.contains("DECIMAL"))
        return ColumnKind::Real;
    return ColumnKind::Untyped;
}

QVariant read(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(statement, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement, column)));
    }
    default:
        return QVariant();
    }
}

void bind(sqlite3_stmt* statement, int parameter, const QVariant& stored)
{
    if (stored.isNull()) {
        sqlite3_bind_null(statement, parameter);
        return;
    }
    switch (stored.typeId()) {
    case QMetaType::LongLong:
        sqlite3_bind_int64(statement, parameter, stored.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(statement, parameter, stored.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = stored.toByteArray();
        sqlite3_bind_blob64(statement, parameter, bytes.constData(), sqlite3_uint64(bytes.size()),
                            SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray text = stored.toString().toUtf8();
        sqlite3_bind_text64(statement, parameter, text.constData(), sqlite3_uint64(text.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    }
}

QString dateTimeText(const QDate& date, const QTime& time)
{
    const QString day = date.toString(u"yyyy-MM-dd"_s);
    if (!time.isValid() || time == QTime(0, 0))
        return day;
    return day + u' ' + time.toString(u"HH:mm:ss"_s);
}

QString dateTimeText(const QDateTime& dateTime)
{
    return dateTimeText(dateTime.date(), dateTime.time());
}

namespace {

// The value of the two to four digits at text[at, at + count), or -1.
int digitsAt(const QString& text, qsizetype at, int count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// A date and time of the local zone. Working out a local time's offset asks
// the system's zone rules each time, dearer by far than reading the text, so
// the values made are kept: a catalogue repeats its dates a great deal.
QDateTime localDateTime(const QDate& date, const QTime& time)
{
    constexpr qsizetype MostKept = 1 << 16;
    thread_local std::unordered_map<qint64, QDateTime> made;
    const qint64 key = date.toJulianDay() * 86400 + time.msecsSinceStartOfDay() / 1000;
    if (const auto found = made.find(key); found != made.end())
        return found->second;
    if (qsizetype(made.size()) >= MostKept)
        made.clear();
    return made.emplace(key, QDateTime(date, time)).first->second;
}

// The form the program itself writes ("YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"),
// read without the general parser; nullopt for any other text.
std::optional<QDateTime> parseOwnDateTimeText(const QString& text)
{
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    if (text.at(4) != u'-' || text.at(7) != u'-')
        return std::nullopt;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    if (text.size() == 10)
        return localDateTime(date, QTime(0, 0));
    if (text.at(10) != u' ' || text.at(13) != u':' || text.at(16) != u':')
        return std::nullopt;
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if (hour < 0 || minute < 0 || second < 0 || !QTime::isValid(hour, minute, second))
        return std::nullopt;
    return localDateTime(date, QTime(hour, minute, second));
}

} // namespace

QDateTime parseDateTimeText(const QString& text)
{
    if (const std::optional<QDateTime> own = parseOwnDateTimeText(text))
        return *own;
    const QString trimmed = text.trimmed();
    if (trimmed.size() < 10 || trimmed.at(4) != u'-' || trimmed.at(7) != u'-')
        return {};
    const QDate date = QDate::fromString(trimmed.left(10), u"yyyy-MM-dd"_s);
    if (!date.isValid())
        return {};
    if (trimmed.size() == 10)
        return QDateTime(date, QTime(0, 0));
    const QChar separator = trimmed.at(10);
    if (separator != u' ' && separator != u'T')
        return {};
    QString clock = trimmed.mid(11);
    const qsizetype fraction = clock.indexOf(u'.');
    if (fraction >= 0)
        clock.truncate(fraction);
    QTime time = QTime::fromString(clock, u"HH:mm:ss"_s);
    if (!time.isValid())
        time = QTime::fromString(clock, u"HH:mm"_s);
    if (!time.isValid())
        return {};
    return QDateTime(date, time);
}

namespace {

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool isWhole(const QVariant& value)
{
    return isNumber(value) && value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float;
}

// A number given as a number or as text in the program's plain form.
std::optional<double> asDouble(const QVariant& value)
{
    if (isNumber(value))
        return value.toDouble();
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        if (ok && std::isfinite(number))
            return number;
    }
    return std::nullopt;
}

std::optional<qlonglong> asWholeNumber(const QVariant& value)
{
    if (isWhole(value))
        return value.toLongLong();
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const qlonglong number = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return number;
    }
    const std::optional<double> number = asDouble(value);
    if (number && std::fabs(*number) < 9.2e18)
        return qlonglong(std::nearbyint(*number)); // rounds half to even, like the classic engine
    return std::nullopt;
}

std::optional<QString> asDateTimeText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().isValid() ? std::optional(dateTimeText(value.toDate(), QTime())) : std::nullopt;
    case QMetaType::QDateTime:
        return value.toDateTime().isValid() ? std::optional(dateTimeText(value.toDateTime())) : std::nullopt;
    case QMetaType::QTime:
        return value.toTime().isValid() ? std::optional(dateTimeText(TimeOnlyDate, value.toTime()))
                                        : std::nullopt;
    case QMetaType::QString: {
        const QDateTime parsed = parseDateTimeText(value.toString());
        return parsed.isValid() ? std::optional(dateTimeText(parsed)) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> asBool(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isNumber(value))
        return value.toDouble() != 0;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(u"true"_s, Qt::CaseInsensitive) == 0 ||
            text.compare(u"yes"_s, Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"false"_s, Qt::CaseInsensitive) == 0 ||
            text.compare(u"no"_s, Qt::CaseInsensitive) == 0)
            return false;
        if (const std::optional<double> number = asDouble(value))
            return *number != 0;
    }
    return std::nullopt;
}

QString describe(const QVariant& value)
{
    return value.toString().isEmpty() ? QString::fromLatin1(value.metaType().name()) : value.toString();
}

} // namespace

QVariant forStorage(const QVariant& value, ColumnKind kind, const QString& columnName)
{
    if (value.isNull() || !value.isValid())
        return QVariant();
    auto refuse = [&]() -> DbError { return DbErrors::conversion(columnName, describe(value)); };
    switch (kind) {
    case ColumnKind::Boolean:
        if (const std::optional<bool> flag = asBool(value))
            return QVariant(qlonglong(*flag ? 1 : 0));
        throw refuse();
    case ColumnKind::DateTime:
        if (const std::optional<QString> text = asDateTimeText(value))
            return QVariant(*text);
        throw refuse();
    case ColumnKind::Currency:
        if (const std::optional<double> amount = asDouble(value))
            return QVariant(std::round(*amount * 10000.0) / 10000.0);
        throw refuse();
    case ColumnKind::Integer:
    case ColumnKind::SmallInteger:
        if (const std::optional<qlonglong> number = asWholeNumber(value)) {
            if (kind == ColumnKind::SmallInteger && (*number < std::numeric_limits<qint16>::min() ||
                                                     *number > std::numeric_limits<qint16>::max()))
                throw refuse();
            return QVariant(*number);
        }
        throw refuse();
    case ColumnKind::Real:
        if (const std::optional<double> number = asDouble(value))
            return QVariant(*number);
        throw refuse();
    case ColumnKind::Text:
        if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime)
            return QVariant(*asDateTimeText(value));
        return QVariant(value.toString());
    case ColumnKind::Untyped:
        break;
    }
    if (value.typeId() == QMetaType::Bool)
        return QVariant(qlonglong(value.toBool() ? 1 : 0));
    if (isWhole(value))
        return QVariant(value.toLongLong());
    if (isNumber(value))
        return QVariant(value.toDouble());
    if (value.typeId() == QMetaType::QByteArray)
        return value;
    if (const std::optional<QString> text = asDateTimeText(value);
        text && value.typeId() != QMetaType::QString)
        return QVariant(*text);
    return QVariant(value.toString());
}

QVariant forProgram(const QVariant& stored, ColumnKind kind)
{
    if (stored.isNull())
        return QVariant();
    const bool textual = stored.typeId() == QMetaType::QString;
    switch (kind) {
    case ColumnKind::Boolean:
        if (const std::optional<bool> flag = asBool(stored))
            return QVariant(*flag);
        return stored;
    case ColumnKind::DateTime:
        if (textual) {
            const QDateTime parsed = parseDateTimeText(stored.toString());
            return parsed.isValid() ? QVariant(parsed) : stored;
        }
        return stored;
    case ColumnKind::Currency:
    case ColumnKind::Real:
        if (!textual && stored.typeId() != QMetaType::QByteArray)
            return QVariant(stored.toDouble());
        return stored;
    case ColumnKind::Integer:
    case ColumnKind::SmallInteger:
        if (stored.typeId() == QMetaType::Double) {
            const double number = stored.toDouble();
            if (number == std::trunc(number) && std::fabs(number) < 9.2e18)
                return QVariant(qlonglong(number));
        }
        return stored;
    case ColumnKind::Text:
        if (stored.typeId() != QMetaType::QByteArray)
            return QVariant(stored.toString());
        return stored;
    case ColumnKind::Untyped:
        break;
    }
    return stored;
}

} // namespace StoredValue
