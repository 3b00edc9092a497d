#pragma once

// Tables held in memory, served as a file of the classic engine would serve
// them, for tests of what a conversion makes of them.

#include "import/jet_source.h"

#include <QStringList>
#include <utility>

class FakeJetSource : public JetSource
{
public:
    struct Table
    {
        JetTable definition;
        std::vector<std::vector<QVariant>> rows;
    };

    // Columns are given as "Name:Type", the types as the engine names them
    // ("Counter" is a Long AutoNumber that is also the primary key).
    Table& addTable(const QString& name, const QStringList& columns)
    {
        Table table;
        table.definition.name = name;
        for (const QString& column : columns) {
            const QString type = column.section(u':', 1);
            JetColumn described;
            described.name = column.section(u':', 0, 0);
            described.type = typeNamed(type);
            described.size = described.type == JetType::Text ? 50 : 0;
            if (type == QStringLiteral("Counter")) {
                described.autoNumber = true;
                table.definition.indexes.push_back({QStringLiteral("PrimaryKey"),
                                                    {int(table.definition.columns.size())},
                                                    {false},
                                                    true,
                                                    true});
            }
            table.definition.columns.push_back(described);
        }
        m_data.push_back(std::move(table));
        m_tables.clear();
        return m_data.back();
    }

    void addRow(const QString& table, std::vector<QVariant> values)
    {
        for (Table& candidate : m_data) {
            if (candidate.definition.name == table) {
                candidate.rows.push_back(std::move(values));
                candidate.definition.rowCount = qint64(candidate.rows.size());
            }
        }
        m_tables.clear();
    }

    const std::vector<JetTable>& tables() const override
    {
        if (m_tables.empty()) {
            for (const Table& table : m_data)
                m_tables.push_back(table.definition);
        }
        return m_tables;
    }

    std::unique_ptr<JetRows> rows(const JetTable& table) override
    {
        for (const Table& candidate : m_data) {
            if (candidate.definition.name == table.name)
                return std::make_unique<Rows>(candidate.rows);
        }
        return nullptr;
    }

private:
    class Rows : public JetRows
    {
    public:
        explicit Rows(const std::vector<std::vector<QVariant>>& rows) : m_rows(rows) {}
        bool next(std::vector<QVariant>& values) override
        {
            if (m_next >= m_rows.size())
                return false;
            values = m_rows[m_next++];
            return true;
        }

    private:
        const std::vector<std::vector<QVariant>>& m_rows;
        size_t m_next = 0;
    };

    static JetType typeNamed(const QString& name)
    {
        static const std::pair<const char*, JetType> types[] = {
            {"Counter", JetType::Long},  {"Long", JetType::Long},         {"Integer", JetType::Integer},
            {"YesNo", JetType::Boolean}, {"Currency", JetType::Currency}, {"DateTime", JetType::DateTime},
            {"Text", JetType::Text},     {"Memo", JetType::Memo},         {"Double", JetType::Double},
            {"OLE", JetType::Ole},
        };
        for (const auto& [typeName, type] : types) {
            if (name == QLatin1StringView(typeName))
                return type;
        }
        return JetType::Other;
    }

    std::vector<Table> m_data;
    mutable std::vector<JetTable> m_tables;
};
