#pragma once

#include "import/jet_source.h"

#include <QString>
#include <memory>
#include <vector>

// A database file of the classic desktop engine (Jet 3 or Jet 4, or a later
// Access file that is not encrypted), read with mdbtools' library. The file is
// only ever opened for reading.
//
// Opening throws ConversionError with a text for the user when the file is
// not such a database, is incomplete, is protected by a database password or
// cannot be read; reading rows throws when a table turns out to be damaged
// (a row that cannot be taken apart, or fewer or more rows than the table
// records).
class MdbFileSource : public JetSource
{
public:
    explicit MdbFileSource(const QString& path);
    ~MdbFileSource() override;
    MdbFileSource(const MdbFileSource&) = delete;
    MdbFileSource& operator=(const MdbFileSource&) = delete;

    const std::vector<JetTable>& tables() const override;
    std::unique_ptr<JetRows> rows(const JetTable& table) override;

    struct Handle; // the library's state, kept out of this header

private:
    void readTables();
    [[noreturn]] void damaged(const QString& detail) const;

    QString m_path;
    std::unique_ptr<Handle> m_handle;
    std::vector<JetTable> m_tables;
};

// What the first page of a file tells, before the library reads anything.
struct JetFileHeader
{
    bool isJet = false; // the classic engine's signature is there
    int version = 0;    // 0 for Jet 3, 1 for Jet 4, 2 and above for later Access files
    int pageSize = 0;   // 2048 for Jet 3, 4096 from Jet 4 on
};
JetFileHeader readJetFileHeader(const QString& path);
