#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// What a conversion wrote, for the message at its end and the command line.
struct ConvertedTable
{
    QString name;
    qint64 rows = 0;
    friend bool operator==(const ConvertedTable&, const ConvertedTable&) = default;
};

struct ConversionReport
{
    std::vector<ConvertedTable> tables;
    QStringList notes; // what the user should know beyond the counts

    // One line per table ("Books: 1,234 rows"), then the notes.
    QString text() const;

    // For handing a report from the process that did the work to the one
    // that waits for it.
    QByteArray serialized() const;
    static ConversionReport deserialized(const QByteArray& bytes);
};

// Called now and then while a long conversion makes progress.
using Heartbeat = std::function<void()>;
