#include "import/csv_text.h"

using namespace Qt::StringLiterals;

namespace {

bool needsQuotes(const QString& field)
{
    if (field.isEmpty())
        return false;
    if (field.front() == u' ' || field.back() == u' ' || field.front() == u'"')
        return true;
    for (const QChar c : field) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

} // namespace

QByteArray csvLine(const QStringList& fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        const QString& field = fields[i];
        if (needsQuotes(field))
            line += u'"' + QString(field).replace(u"\""_s, u"\"\""_s) + u'"';
        else
            line += field;
    }
    line += u"\r\n"_s;
    return line.toUtf8();
}
