#pragma once

// Catalogue folders and helpers shared by the main window tests.

#include "catalogue/catalogue_state.h"
#include "catalogue/database.h"
#include "catalogue/schema.h"
#include "editor/gui/frm_main.h"
#include "support/scripted_dialogs.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

namespace mainwin_test {

using namespace Qt::StringLiterals;

// A value as a literal of the catalogue's SQL dialect.
inline QString sqlLiteral(const QVariant& value)
{
    if (value.isNull())
        return u"Null"_s;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? u"true"_s : u"false"_s;
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'f', 4);
    case QMetaType::QDate:
        return u"#"_s + value.toDate().toString(u"M/d/yyyy"_s) + u"#"_s;
    default:
        return u"'"_s + value.toString().replace(u"'"_s, u"''"_s) + u"'"_s;
    }
}

// A temporary folder for one test, with or without a catalogue in it. Rows are
// written with the catalogue closed again afterwards, so that the window can
// open it exclusively.
class CatalogueFolder
{
public:
    QString path() const { return m_dir.path(); }
    QString cataloguePath() const { return QDir(m_dir.path()).filePath(u"Quillary.mdb"_s); }

    void create() { createCatalogue(cataloguePath()); }

    void execute(const QStringList& statements) const
    {
        auto db = Database::open(cataloguePath(), Database::OpenMode::Exclusive);
        for (const QString& sql : statements)
            db->execute(sql);
        db->close();
    }

    void addAuthor(qlonglong id, const QString& lastName, const QVariant& firstName) const
    {
        execute({u"insert into Authors (AuthID, LastName, FirstName) values (%1, %2, %3)"_s.arg(id).arg(
            sqlLiteral(lastName), sqlLiteral(firstName))});
    }

    void addLookup(const QString& table, const QString& keyColumn, const QString& nameColumn, qlonglong id,
                   const QString& name) const
    {
        execute({u"insert into %1 (%2, %3) values (%4, %5)"_s.arg(table, keyColumn, nameColumn)
                     .arg(id)
                     .arg(sqlLiteral(name))});
    }

    // A book with the given title; every lookup -1, every flag false, every
    // other column Null, unless columns says otherwise. SortTitle defaults to
    // the title in upper case.
    void addBook(const QString& title, const QVariantMap& columns = {}) const
    {
        QVariantMap row{{u"Title"_s, title}, {u"SortTitle"_s, title.toUpper()},
                        {u"AuthID"_s, -1},   {u"PubID"_s, -1},
                        {u"CatID"_s, -1},    {u"OwnerID"_s, -1},
                        {u"LocID"_s, -1},    {u"ForID"_s, -1},
                        {u"SerID"_s, -1},    {u"Fiction"_s, false},
                        {u"New"_s, false},   {u"Paperback"_s, false},
                        {u"Read"_s, false},  {u"OnLoan"_s, false}};
        for (auto it = columns.cbegin(); it != columns.cend(); ++it)
            row.insert(it.key(), it.value());
        QStringList names;
        QStringList values;
        for (auto it = row.cbegin(); it != row.cend(); ++it) {
            names << it.key();
            values << sqlLiteral(it.value());
        }
        execute({u"insert into Books (%1) values (%2)"_s.arg(names.join(u", "_s), values.join(u", "_s))});
    }

private:
    QTemporaryDir m_dir;
};

// The window on a folder, after its start-up.
inline std::unique_ptr<frmMain> loadWindow(const QString& folder)
{
    auto window = std::make_unique<frmMain>(folder);
    window->Form_Load();
    return window;
}

inline QStringList entries(const QComboBox* combo)
{
    QStringList texts;
    for (int row = 0; row < combo->count(); ++row)
        texts << combo->itemText(row);
    return texts;
}

inline QList<qlonglong> entryKeys(const QComboBox* combo)
{
    QList<qlonglong> keys;
    for (int row = 0; row < combo->count(); ++row)
        keys << combo->itemData(row, Qt::UserRole).toLongLong();
    return keys;
}

inline bool shown(const QWidget* widget)
{
    return !widget->isHidden();
}

// Browse state: the browse set and Add shown, Cancel and Update hidden.
inline bool browseButtonsShown(const frmMain& w)
{
    for (const QPushButton* button :
         {w.cmdFirst, w.cmdPrevious, w.cmdNext, w.cmdLast, w.cmdFind, w.cmdDelete, w.cmdHelp, w.cmdAdd})
        if (!shown(button))
            return false;
    return !shown(w.cmdCancel) && !shown(w.cmdUpdate);
}

// Edit state: Cancel and Update shown, the browse set and Add hidden.
inline bool editButtonsShown(const frmMain& w)
{
    for (const QPushButton* button :
         {w.cmdFirst, w.cmdPrevious, w.cmdNext, w.cmdLast, w.cmdFind, w.cmdDelete, w.cmdHelp, w.cmdAdd})
        if (shown(button))
            return false;
    return shown(w.cmdCancel) && shown(w.cmdUpdate);
}

// The titles in the window's current order, paged with First and Next until
// Next beeps at the end.
inline QStringList titlesInOrder(frmMain& w, const ScriptedDialogs& dialogs)
{
    QStringList titles;
    w.cmdFirst->click();
    const int beepsBefore = dialogs.beepCount();
    for (int guard = 0; guard < 1000 && dialogs.beepCount() == beepsBefore; ++guard) {
        titles << w.txtTitle->text();
        w.cmdNext->click();
    }
    return titles;
}

} // namespace mainwin_test
