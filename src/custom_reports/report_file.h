#pragma once

#include "custom_reports/field_catalogue.h"
#include "custom_reports/report_definition.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

class QIODevice;

// Report files ("*.rpt"): a custom report as 22 lines of text, each ended by
// CR LF, in the single-byte character set. Lists within a line are separated
// by ";"; lines 12 to 22 hold one item per field identifier 1 to MaxSpecID.

inline const QString ReportFileExtension = QStringLiteral(".rpt");

// A report file's first line may name a program key of up to this length.
inline constexpr int LongestProgramKey = 20;
// Longer lines are not of a report file (the longest real line, twenty
// thousand starts-with texts, is far shorter).
inline constexpr qint64 LongestReportFileLine = 1024 * 1024;

QStringList reportFileLines(const ReportDefinition& report);
QByteArray reportFileBytes(const ReportDefinition& report);

// Saves the report at path (common/safe_file_writer.h): a failure leaves
// an old file there as it was. Throws DbError (3026 when the disk is full).
void WriteReportFile(const ReportDefinition& report, const QString& path);

// Where reading finds the fields of a program key.
class ReportFieldSource
{
public:
    virtual ~ReportFieldSource() = default;
    virtual bool isKnownProgramKey(const QString& key) = 0;
    virtual ReportFields fieldsOf(const QString& key) = 0;
};

// The field catalogue as a source; calls throw DbError.
class CatalogueFieldSource final : public ReportFieldSource
{
public:
    explicit CatalogueFieldSource(Database& fieldCatalogue) : m_db(fieldCatalogue) {}
    bool isKnownProgramKey(const QString& key) override;
    ReportFields fieldsOf(const QString& key) override;

private:
    Database& m_db;
};

struct ReportFileReading
{
    bool valid = false;
    // Set once the file's key was accepted: the new report over that key's
    // fields, with every line read before the file proved invalid (all of
    // them when valid).
    std::optional<ReportDefinition> definition;
    ReportFields fields;
};

// Reads a report file for a designer working on currentKey in widthUnit. A
// file that ends early, has an over-long line, holds bytes that are not text
// or a value out of its range is not valid. Line 22, the currency flags, is
// not read: they always follow the catalogue. A field the catalogue no longer
// has is left out, and a sort position beyond the sort list reads as no sort.
ReportFileReading readReportFile(QIODevice& file, const QString& currentKey, int widthUnit,
                                 ReportFieldSource& source);

// A name typed without an extension gets ".rpt".
QString withReportExtension(const QString& path);
