#include "maintenance/compacted_copy_check.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/select_shape.h"

#include <QFileInfo>
#include <QMap>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

using RowCounts = QMap<QString, qint64>; // table name (lower case) -> rows

RowCounts rowCounts(Database& db)
{
    QStringList tables;
    NativeStatement names(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
    while (names.step())
        tables << names.columnText(0);
    RowCounts counts;
    for (const QString& table : tables) {
        NativeStatement count(db, (u"SELECT count(*) FROM "_s + quoteSqlName(table)).toUtf8());
        count.step();
        counts.insert(table.toLower(), count.columnInt(0));
    }
    return counts;
}

// SQLite's own check of the copy: every page of every table and index is
// read and its structure checked. The copy's indexes were just built from its
// rows, so the full check's comparison of every index entry with its row
// (ten times as slow) is left out.
QString integrityProblem(Database& db)
{
    NativeStatement check(db, "PRAGMA quick_check(1)");
    const QString verdict = check.step() ? check.columnText(0) : u"no verdict"_s;
    return verdict == u"ok"_s ? QString() : verdict;
}

QString countProblem(const RowCounts& original, const RowCounts& copy)
{
    if (original.keys() != copy.keys())
        return u"the copy does not hold the same tables"_s;
    for (auto it = original.cbegin(); it != original.cend(); ++it) {
        if (copy.value(it.key()) != it.value())
            return u"the copy's table %1 holds %2 rows instead of %3"_s.arg(it.key())
                .arg(copy.value(it.key()))
                .arg(it.value());
    }
    return {};
}

} // namespace

QString checkCompactedCopy(const QString& original, const QString& copy)
{
    // Every page SQLite wrote is in the file, as many as its header counts.
    const qint64 declared = declaredSqliteFileSize(copy);
    const qint64 size = QFileInfo(copy).size();
    if (declared >= 0 && size != declared)
        return u"the copy holds %1 bytes instead of %2"_s.arg(size).arg(declared);
    try {
        const std::unique_ptr<Database> copied = Database::open(copy, Database::OpenMode::Shared);
        if (const QString problem = integrityProblem(*copied); !problem.isEmpty())
            return u"the copy fails the integrity check (%1)"_s.arg(problem);
        const RowCounts copyCounts = rowCounts(*copied);
        const std::unique_ptr<Database> source = Database::open(original, Database::OpenMode::Shared);
        return countProblem(rowCounts(*source), copyCounts);
    } catch (const DbError& error) {
        return error.text();
    }
}
