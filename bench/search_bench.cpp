// Finding books as the search window does: Find First and Find Next on
// rsBooks in each sort order, for a title that contains a word, a year and an
// author picked from the lookup list. Beside each, SQLite's own time for the
// same scan: the keys of every book that meets the criterion.
#include "bare_connection.h"
#include "sqlite_reads.h"

#include "catalogue/book_order.h"
#include "database/database.h"
#include "database/jet_sql.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "search/search_criterion.h"

#include <map>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// rsBooks in one order, opened once per catalogue and kept for every run.
Recordset& booksInOrder(BenchCatalogue& catalogue, int order)
{
    static std::map<std::pair<Database*, int>, std::unique_ptr<Recordset>> opened;
    auto& books = opened[{catalogue.db.get(), order}];
    if (!books)
        books = BookOrder::openBooks(*catalogue.db, order);
    return *books;
}

QString titleCriterion(BenchCatalogue&)
{
    return SearchCriterion::text(u"Title"_s, SearchCriterion::Contains, u"lighthouse"_s);
}

QString yearCriterion(BenchCatalogue&)
{
    return *SearchCriterion::number(u"Year"_s, SearchCriterion::Equal, u"1990"_s);
}

// The author with the most books, as picked from the value list; looked up
// once per catalogue, outside the timed work.
QString authorCriterion(BenchCatalogue& catalogue)
{
    static std::map<QString, QString> byCatalogue;
    QString& criterion = byCatalogue[catalogue.path];
    if (criterion.isEmpty()) {
        NativeStatement busiest(*catalogue.db, "SELECT AuthID FROM Books WHERE AuthID > 0 GROUP BY AuthID "
                                               "ORDER BY count(*) DESC, AuthID LIMIT 1");
        if (!busiest.step())
            throw std::runtime_error("no author to find");
        criterion = SearchCriterion::lookup(u"AuthID"_s, busiest.columnInt(0));
    }
    return criterion;
}

using CriterionFor = QString (*)(BenchCatalogue&);

// The recordset keeps the matches of its last criterion for Find Next. A
// Find First is timed with a criterion it has not just seen: every other run
// spells the field name in lower case, which means the same to the engine.
QString freshSpelling(const QString& criterion)
{
    static bool lower = false;
    lower = !lower;
    const qsizetype nameEnd = criterion.indexOf(u' ');
    return lower ? criterion.left(nameEnd).toLower() + criterion.mid(nameEnd) : criterion;
}

std::function<void(BenchCatalogue&)> findFirst(int order, CriterionFor criterion)
{
    return [=](BenchCatalogue& catalogue) {
        Recordset& books = booksInOrder(catalogue, order);
        books.findFirst(freshSpelling(criterion(catalogue)));
        if (books.noMatch())
            throw std::runtime_error("Find First found nothing");
    };
}

// Each run moves on to the following match with the criterion of the Find
// First before it; past the last one the search starts again from the first
// book, as the window does after typing.
std::function<void(BenchCatalogue&)> findNext(int order, CriterionFor criterion)
{
    return [=](BenchCatalogue& catalogue) {
        Recordset& books = booksInOrder(catalogue, order);
        books.findNext(criterion(catalogue));
        if (books.noMatch())
            books.moveFirst();
    };
}

std::function<void(BenchCatalogue&)> sqliteScan(CriterionFor criterion)
{
    return [=](BenchCatalogue& catalogue) {
        const QString condition = translateJetSql(criterion(catalogue));
        if (readAll(bareConnectionWithLike(catalogue),
                    "SELECT rowid FROM Books WHERE " + condition.toUtf8()) == 0)
            throw std::runtime_error("SQLite found nothing");
    };
}

enum class Direction { First, Next };

BenchOperation find(const char* criterionName, CriterionFor criterion, int order, Direction direction)
{
    static const char* const orderNames[] = {"", "title", "author", "category"};
    const bool first = direction == Direction::First;
    return {u"find %1, by %2: %3"_s.arg(QLatin1String(criterionName), QLatin1String(orderNames[order]),
                                        first ? u"First"_s : u"Next"_s),
            first ? findFirst(order, criterion) : findNext(order, criterion), sqliteScan(criterion), false};
}

using enum Direction;
using namespace BookOrder;

const BenchRegistration registration{
    find("title contains", titleCriterion, ByTitle, First),
    find("title contains", titleCriterion, ByTitle, Next),
    find("title contains", titleCriterion, ByAuthor, First),
    find("title contains", titleCriterion, ByAuthor, Next),
    find("title contains", titleCriterion, ByCategory, First),
    find("title contains", titleCriterion, ByCategory, Next),
    find("year =", yearCriterion, ByTitle, First),
    find("year =", yearCriterion, ByTitle, Next),
    find("year =", yearCriterion, ByAuthor, First),
    find("year =", yearCriterion, ByAuthor, Next),
    find("year =", yearCriterion, ByCategory, First),
    find("year =", yearCriterion, ByCategory, Next),
    find("author =", authorCriterion, ByTitle, First),
    find("author =", authorCriterion, ByTitle, Next),
    find("author =", authorCriterion, ByAuthor, First),
    find("author =", authorCriterion, ByAuthor, Next),
    find("author =", authorCriterion, ByCategory, First),
    find("author =", authorCriterion, ByCategory, Next),
};

} // namespace
