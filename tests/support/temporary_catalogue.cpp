#include "support/temporary_catalogue.h"

#include "catalogue/catalogue_state.h"
#include "catalogue/sample_catalogue.h"
#include "catalogue/schema.h"
#include "database/native_sql.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

TemporaryCatalogue::TemporaryCatalogue(Layout layout)
{
    switch (layout) {
    case Layout::Current:
        createCatalogue(path());
        break;
    case Layout::Earlier: {
        auto db = Database::create(path());
        db->transaction([&] { createEarlierLayoutTables(*db); });
        break;
    }
    case Layout::EarlierWithBooks: {
        // Made once from a file of the earlier version, so that the upgrade
        // is tested on input the program did not make in the same run.
        QFile fixture(QStringLiteral(QUILLARY_SOURCE_DIR "/tests/fixtures/earlier_layout.sql"));
        if (!fixture.open(QIODevice::ReadOnly))
            qFatal("Cannot read %s", qPrintable(fixture.fileName()));
        ::executeNative(*Database::create(path()), fixture.readAll());
        break;
    }
    case Layout::NoFile:
        break;
    }
}

TemporaryCatalogue::TemporaryCatalogue(const SampleOptions& sample)
{
    generateSampleCatalogue(path(), sample);
}

TemporaryCatalogue::~TemporaryCatalogue()
{
    CatalogueState& state = catalogueState();
    if (state.CataloguePath == path()) {
        uninstall();
        state.DataDir.clear();
        state.CataloguePath.clear();
    }
}

QString TemporaryCatalogue::folder() const
{
    return m_dir.path() + QDir::separator();
}

QString TemporaryCatalogue::path() const
{
    return folder() + CatalogueFileName;
}

std::unique_ptr<Database> TemporaryCatalogue::open() const
{
    return Database::open(path(), Database::OpenMode::Exclusive);
}

void TemporaryCatalogue::executeNative(const QByteArray& sql) const
{
    ::executeNative(*open(), sql);
}

void TemporaryCatalogue::install() const
{
    CatalogueState& state = catalogueState();
    state.dbCatalogue.reset();
    state.DataDir = folder();
    state.CataloguePath = path();
    state.LockRetries = 0;
    state.LockPending = false;
    state.dbCatalogue = open();
}

void TemporaryCatalogue::uninstall()
{
    catalogueState().dbCatalogue.reset();
}

QStringList nativeRows(Database& db, const QByteArray& sql)
{
    QStringList rows;
    NativeStatement query(db, sql);
    while (query.step()) {
        QStringList values;
        for (int i = 0; i < query.columnCount(); ++i) {
            const QVariant value = query.column(i);
            values.append(value.isNull() ? u"<null>"_s : value.toString());
        }
        rows.append(values.join(u'|'));
    }
    return rows;
}

QStringList catalogueContents(Database& db)
{
    QStringList contents =
        nativeRows(db, "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name");
    const QStringList tables =
        nativeRows(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
    for (const QString& table : tables) {
        contents.append(u"-- "_s + table);
        contents += nativeRows(db, "SELECT * FROM \"" + table.toUtf8() + "\" ORDER BY rowid");
    }
    return contents;
}
