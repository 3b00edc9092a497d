#include "import/jet_source.h"

int JetTable::columnIndex(const QString& columnName) const
{
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(columnName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

ConversionError::ConversionError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8())
{
}
