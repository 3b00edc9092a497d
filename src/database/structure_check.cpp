#include "database/structure_check.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/sqlite_pages.h"

#include <QHash>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Tree
{
    QString type;
    QString name;
    QString table;
    qint64 root = 0;
    bool comparable = true; // entries that must match the table's rows one for one
};

// Tables first, so that every index finds its table's count.
std::vector<Tree> treesOf(Database& db)
{
    std::vector<Tree> trees;
    {
        NativeStatement schema(db, "SELECT type, name, tbl_name, rootpage FROM sqlite_master "
                                   "WHERE rootpage > 0 ORDER BY type = 'index', rootpage");
        while (schema.step())
            trees.push_back(
                {schema.columnText(0), schema.columnText(1), schema.columnText(2), schema.columnInt(3)});
    }
    // A partial index holds only some rows by design.
    NativeStatement partial(db, "SELECT 1 FROM pragma_index_list(?1) WHERE name = ?2 AND partial");
    for (Tree& tree : trees) {
        if (tree.type != u"index")
            continue;
        partial.bindText(1, tree.table);
        partial.bindText(2, tree.name);
        tree.comparable = !partial.step();
        partial.reset();
    }
    return trees;
}

// What every b-tree page of the file says of itself, from one sequential read.
class PageCensus
{
public:
    PageCensus(const PageFile& file, const std::function<void(qint64, qint64)>& advance)
        : m_pages(size_t(file.pageCount() + 1))
    {
        file.forEachBtreePage(
            [&](const BtreePage& page) {
                Page& summary = m_pages[size_t(page.number)];
                summary.kind = quint8(page.kind);
                summary.damaged = page.cellsPointingOutside > 0;
                // Table rows live on leaves only; an index keeps entries on every page.
                if (page.isLeaf() || !page.isTable())
                    summary.entries = quint32(page.cells.size());
                if (page.isLeaf())
                    return;
                summary.firstChild = quint32(m_children.size());
                for (const int offset : page.cells) {
                    quint32 child = 0;
                    if (file.interiorCell(page, offset, child))
                        m_children.push_back(child);
                    else
                        summary.damaged = true;
                }
                m_children.push_back(page.rightChild);
                summary.children = quint32(m_children.size()) - summary.firstChild;
            },
            [&](qint64 pagesRead) {
                if (advance)
                    advance(pagesRead, file.pageCount());
            });
    }

    struct Count
    {
        qint64 entries = 0;
        qint64 damagedPages = 0;
    };

    // The entries of the tree at root; `seen` is shared by every tree of the
    // file, so that a page two trees reach counts as damaged in the second.
    Count count(qint64 root, std::vector<bool>& seen) const
    {
        Count count;
        seen.resize(m_pages.size(), false);
        std::vector<qint64> pending{root};
        std::optional<bool> tableTree;
        while (!pending.empty()) {
            const qint64 number = pending.back();
            pending.pop_back();
            if (number < 1 || number >= qint64(m_pages.size()) || seen[size_t(number)]) {
                ++count.damagedPages;
                continue;
            }
            seen[size_t(number)] = true;
            const Page& page = m_pages[size_t(number)];
            const bool table =
                page.kind == quint8(PageKind::TableLeaf) || page.kind == quint8(PageKind::TableInterior);
            if (page.kind == 0 || page.damaged || (tableTree && *tableTree != table)) {
                ++count.damagedPages;
                continue;
            }
            tableTree = table;
            count.entries += page.entries;
            for (quint32 child = 0; child < page.children; ++child)
                pending.push_back(m_children[page.firstChild + child]);
        }
        return count;
    }

private:
    struct Page
    {
        quint8 kind = 0; // 0: not a b-tree page
        bool damaged = false;
        quint32 entries = 0;
        quint32 firstChild = 0;
        quint32 children = 0;
    };
    std::vector<Page> m_pages;
    std::vector<quint32> m_children;
};

} // namespace

StructureCheck checkStructure(Database& db, const std::function<void(qint64, qint64)>& advance)
{
    StructureCheck result;
    const std::vector<Tree> trees = treesOf(db);
    const ConnectionFileSource source(db.handle());
    const PageFile file(source);
    const PageCensus census(file, advance);
    std::vector<bool> seen;
    QHash<QString, qint64> rowsOfTable; // by lower-case table name
    for (const Tree& tree : trees) {
        const PageCensus::Count count = census.count(tree.root, seen);
        if (count.damagedPages > 0)
            result.damage << u"%1 %2: %3 damaged pages"_s.arg(tree.type, tree.name).arg(count.damagedPages);
        else if (tree.type == u"table")
            rowsOfTable.insert(tree.name.toLower(), count.entries);
        else if (tree.comparable && rowsOfTable.contains(tree.table.toLower())) {
            const qint64 rows = rowsOfTable.value(tree.table.toLower());
            if (count.entries < rows)
                result.indexesMissingEntries << tree.name;
            else if (count.entries > rows)
                result.damage << u"table %1: %2 rows, but its index %3 lists %4"_s.arg(tree.table)
                                     .arg(rows)
                                     .arg(tree.name)
                                     .arg(count.entries);
        }
    }
    return result;
}
