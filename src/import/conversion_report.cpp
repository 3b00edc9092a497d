#include "import/conversion_report.h"

#include <QDataStream>
#include <QIODevice>
#include <QLocale>

using namespace Qt::StringLiterals;

QString ConversionReport::text() const
{
    QStringList lines;
    for (const ConvertedTable& table : tables) {
        const QString count = QLocale().toString(table.rows);
        lines << (table.rows == 1 ? u"%1: 1 row"_s.arg(table.name) : u"%1: %2 rows"_s.arg(table.name, count));
    }
    lines += notes;
    return lines.join(u'\n');
}

QByteArray ConversionReport::serialized() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint32(tables.size());
    for (const ConvertedTable& table : tables)
        out << table.name << table.rows;
    out << notes;
    return bytes;
}

ConversionReport ConversionReport::deserialized(const QByteArray& bytes)
{
    ConversionReport report;
    QDataStream in(bytes);
    qint32 count = 0;
    in >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        ConvertedTable table;
        in >> table.name >> table.rows;
        report.tables.push_back(table);
    }
    in >> report.notes;
    return report;
}
