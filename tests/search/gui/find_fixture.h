#pragma once

// A catalogue for finding books, installed as the program's catalogue with the
// shipped field catalogue beside it (plus a time field, a field naming no
// column and a field shared with another program).

#include "catalogue/catalogue_state.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/field_catalogue_source.h"
#include "support/temporary_catalogue.h"

#include <QListWidget>
#include <QTest>

namespace findtest {

using namespace Qt::StringLiterals;

// Title order: 100% Cotton, 1000 Cotton, He said "Hi", Odd ] Bracket,
// The Ring, Ringworld, Rock 'n' Roll, snake_case, snakeXcase, String Theory.
//   The Ring: Tolkien, volume 0, 1954, fiction, bought 2001-03-04, 12.50
//   Ringworld: Niven, volume 2, 1970, fiction, bought 2001-04-03
//   Rock 'n' Roll: O'Brien, 1970, fiction stored as -1 (another tool)
//   snake_case: fiction Null; String Theory: owner Me
// Every other flag is 0, every other number and date Null.
inline const char* const Books = R"sql(
INSERT INTO Authors (AuthID, LastName, FirstName) VALUES (1, 'Tolkien', 'J. R. R.'), (2, 'Niven', 'Larry'),
    (3, 'O''Brien', 'Flann');
INSERT INTO Owners (OwnID, OwnName) VALUES (1, 'Me'), (2, 'Anna');
INSERT INTO Publishers (PubID, PubName) VALUES (1, 'Ace');
INSERT INTO Categories (CatID, CatName) VALUES (1, 'Fantasy');
INSERT INTO Locations (LocID, LocName) VALUES (1, 'Attic');
INSERT INTO Series (SerID, SerDesc) VALUES (1, 'Middle-earth');
INSERT INTO Formats (ForID, ForDesc) VALUES (1, 'Paperback');
INSERT INTO Books (Title, SortTitle) VALUES ('100% Cotton', '100% COTTON'), ('1000 Cotton', '1000 COTTON'),
    ('He said "Hi"', 'HE SAID "HI"'), ('Odd ] Bracket', 'ODD ] BRACKET'), ('snakeXcase', 'SNAKEXCASE');
INSERT INTO Books (Title, SortTitle, AuthID, Vol, Year, Fiction, BuyDate, CoverPrice)
    VALUES ('The Ring', 'RING', 1, 0, 1954, 1, '2001-03-04', 12.5);
INSERT INTO Books (Title, SortTitle, AuthID, Vol, Year, Fiction, BuyDate)
    VALUES ('Ringworld', 'RINGWORLD', 2, 2, 1970, 1, '2001-04-03');
INSERT INTO Books (Title, SortTitle, AuthID, Year, Fiction) VALUES ('Rock ''n'' Roll', 'ROCK ''N'' ROLL', 3, 1970, -1);
INSERT INTO Books (Title, SortTitle, Fiction) VALUES ('snake_case', 'SNAKE_CASE', NULL);
INSERT INTO Books (Title, SortTitle, OwnerID) VALUES ('String Theory', 'STRING THEORY', 1);
)sql";

inline QList<FieldSpecRow> searchFields()
{
    QList<FieldSpecRow> rows =
        readFieldCatalogueSource(QStringLiteral(QUILLARY_SOURCE_DIR "/data/rptspec.csv")).rows;
    rows.append({90, u"books"_s, u"Time Bought"_s, u"BuyDate"_s, 5, u"books"_s, {}, false, 1, false});
    rows.append({91, u"books"_s, u"Broken Field"_s, u"NoSuchColumn"_s, 1, u"books"_s, {}, false, 1, false});
    rows.append({92, u"books;other"_s, u"Shared Field"_s, u"Title"_s, 1, u"books"_s, {}, false, 1, false});
    return rows;
}

class SearchCatalogue
{
public:
    SearchCatalogue()
    {
        m_catalogue.executeNative(Books);
        writeFieldCatalogue(searchFields(), m_catalogue.folder() + FieldCatalogueFileName);
        m_catalogue.install();
    }

private:
    TemporaryCatalogue m_catalogue;
};

// Clicks the entry with this text, as the user does with the mouse.
inline bool clickEntry(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (items.isEmpty())
        return false;
    list->scrollToItem(items.constFirst());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.constFirst()).center());
    return list->currentItem() == items.constFirst();
}

inline QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

} // namespace findtest
