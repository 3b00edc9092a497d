#pragma once

#include "database/db_error.h"
#include "maintenance/file_operations.h"

#include <QFileInfo>
#include <QList>
#include <QString>
#include <functional>

// Thrown in place of a file operation to stand for the program being killed
// there: nothing after it runs, nothing is cleaned up.
struct SimulatedCrash
{
};

// The real file operations, recorded, with chosen ones failing or crashing.
// A call is named by its operation and the file name it works on: the path
// for remove and flush, the old name for rename, the new file for compact and
// copyDatabase.
class FailingFileOperations : public FileOperations
{
public:
    enum class Operation { Remove, Rename, Flush, Compact, CopyDatabase };
    struct Call
    {
        Operation operation;
        QString fileName;
    };

    inline static const QString InjectedFailure = QStringLiteral("injected failure");

    // Every later call of operation on fileName fails with InjectedFailure.
    void failAt(Operation operation, const QString& fileName) { m_failing.append({operation, fileName}); }
    // The call with this index (from 0) throws SimulatedCrash instead.
    void crashAt(int callIndex) { m_crashAt = callIndex; }
    // Writes the compacted copy in place of SQLite (a copy that is not sound),
    // or throws as SQLite would.
    std::function<void(const QString& source, const QString& destination)> compactWith;

    const QList<Call>& calls() const { return m_calls; }

    QString remove(const QString& path) override
    {
        return call({Operation::Remove, path}, [&] { return FileOperations::remove(path); });
    }
    QString rename(const QString& from, const QString& to) override
    {
        return call({Operation::Rename, from}, [&] { return FileOperations::rename(from, to); });
    }
    QString flush(const QString& path) override
    {
        return call({Operation::Flush, path}, [&] { return FileOperations::flush(path); });
    }
    void writeCompactedCopy(const QString& source, const QString& destination) override
    {
        const QString failure = call({Operation::Compact, destination}, [&] {
            if (compactWith)
                compactWith(source, destination);
            else
                FileOperations::writeCompactedCopy(source, destination);
            return QString();
        });
        if (!failure.isEmpty())
            throw DbError(DbErrorNumber::General, failure);
    }
    QString copyDatabase(const QString& source, const QString& destination) override
    {
        return call({Operation::CopyDatabase, destination},
                    [&] { return FileOperations::copyDatabase(source, destination); });
    }

private:
    QString call(Call made, const std::function<QString()>& real)
    {
        made.fileName = QFileInfo(made.fileName).fileName();
        if (m_calls.size() == m_crashAt)
            throw SimulatedCrash{};
        m_calls.append(made);
        for (const Call& failing : m_failing) {
            if (failing.operation == made.operation && failing.fileName == made.fileName)
                return InjectedFailure;
        }
        return real();
    }

    QList<Call> m_failing;
    QList<Call> m_calls;
    qsizetype m_crashAt = -1;
};
