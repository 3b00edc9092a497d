#include "catalogue/sample_catalogue.h"

#include "catalogue/book_columns.h"

#include "catalogue/schema.h"
#include "catalogue/sort_title.h"
#include "database/database.h"
#include "database/native_sql.h"

#include <QDate>
#include <QFile>
#include <QList>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// mt19937 is specified to the bit, and the helpers below use only its raw
// output, so a seed gives the same catalogue with every compiler and library.
class SampleRandom
{
public:
    explicit SampleRandom(quint32 seed) : m_engine(seed) {}

    int below(int n) { return n <= 1 ? 0 : int(m_engine() % quint32(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int chance) { return below(100) < chance; }
    template <typename List> const auto& pick(const List& list) { return list.at(below(int(list.size()))); }
    // Small indexes far more often than large ones: a few authors and
    // publishers account for many books, as on real shelves.
    int skewed(int n) { return int(qint64(below(n)) * below(n) / std::max(n, 1)); }
    // Fisher-Yates on the raw output (std::shuffle differs between libraries).
    template <typename List> void shuffle(List& list)
    {
        for (qsizetype i = list.size() - 1; i > 0; --i)
            list.swapItemsAt(i, below(int(i) + 1));
    }

private:
    std::mt19937 m_engine;
};

const QStringList LastNames{
    u"O'Brien"_s,     u"Brontë"_s,   u"García Márquez"_s, u"Ørsted"_s,     u"O'Connor"_s, u"D'Arcy"_s,
    u"Müller"_s,      u"Čapek"_s,    u"Dvořák"_s,         u"Lefèvre"_s,    u"Núñez"_s,    u"Åkesson"_s,
    u"Smith"_s,       u"Adams"_s,    u"Baker"_s,          u"Carter"_s,     u"Doyle"_s,    u"Evans"_s,
    u"Fischer"_s,     u"Grant"_s,    u"Hughes"_s,         u"Ibsen"_s,      u"Jansen"_s,   u"Keller"_s,
    u"Lindqvist"_s,   u"Morgan"_s,   u"Nakamura"_s,       u"Okafor"_s,     u"Petrov"_s,   u"Quinn"_s,
    u"Rossi"_s,       u"Schulz"_s,   u"Tanaka"_s,         u"Underwood"_s,  u"Valdés"_s,   u"Walsh"_s,
    u"Xu"_s,          u"Young"_s,    u"Zieliński"_s,      u"McAllister"_s, u"MacLeod"_s,  u"van der Berg"_s,
    u"de la Cruz"_s,  u"St. John"_s, u"Ó Súilleabháin"_s, u"Kowalski"_s,   u"Novák"_s,    u"Søndergaard"_s,
    u"Çelik"_s,       u"Weiß"_s,     u"Abbott"_s,         u"Byrne"_s,      u"Chandler"_s, u"Ellison"_s,
    u"Fairweather"_s, u"Holloway"_s, u"Ishikawa"_s,       u"Lacroix"_s,    u"Mwangi"_s,   u"Popescu"_s};

const QStringList FirstNames{u"Anne"_s,     u"John"_s,    u"María"_s,   u"Søren"_s,  u"Zoë"_s,   u"José"_s,
                             u"François"_s, u"Jürgen"_s,  u"Siobhán"_s, u"Łukasz"_s, u"Chloé"_s, u"Björn"_s,
                             u"Ana"_s,      u"Mary"_s,    u"Peter"_s,   u"Ingrid"_s, u"Kenji"_s, u"Amara"_s,
                             u"Olga"_s,     u"Raúl"_s,    u"Hélène"_s,  u"Tomás"_s,  u"Niamh"_s, u"Emily"_s,
                             u"George"_s,   u"Harriet"_s, u"Isaac"_s,   u"Jane"_s,   u"Karl"_s,  u"Lena"_s,
                             u"Mei"_s,      u"Nikolai"_s, u"Oscar"_s,   u"Priya"_s,  u"Rosa"_s,  u"Samuel"_s,
                             u"Thea"_s,     u"Umberto"_s, u"Vera"_s,    u"William"_s};

struct Author
{
    QString lastName;
    QString firstName;
};

// Always present, so that every generated catalogue holds the awkward cases:
// apostrophes, accents, a name of two words and an author without first names.
const QList<Author> NotableAuthors{{u"Homer"_s, QString()},
                                   {u"O'Brien"_s, u"Flann"_s},
                                   {u"Brontë"_s, u"Charlotte"_s},
                                   {u"García Márquez"_s, u"Gabriel"_s},
                                   {u"Ørsted"_s, u"Hans Christian"_s}};

const QStringList Publishers{u"Harbour & Finch"_s,
                             u"Old Mill Press"_s,
                             u"Éditions du Lac"_s,
                             u"Kestrel House"_s,
                             u"Quayside Books"_s,
                             u"O'Hara & Sons"_s,
                             u"Northlight"_s,
                             u"Bluebell Press"_s,
                             u"Fjord Forlag"_s,
                             u"Verlag am Markt"_s,
                             u"Lantern Books"_s,
                             u"Red Kite Press"_s,
                             u"Saltmarsh Editions"_s,
                             u"Thornbury University Press"_s,
                             u"Marigold Children's Books"_s,
                             u"Ashgrove"_s,
                             u"Cobalt Science Press"_s,
                             u"Meridian Guides"_s,
                             u"Copperplate"_s,
                             u"Windrose Poetry"_s,
                             u"Stonebridge"_s,
                             u"Paper Moon"_s,
                             u"Tidewater"_s,
                             u"Greystone Academic"_s};

const QStringList FictionCategories{u"Fiction"_s, u"Mystery"_s, u"Science Fiction"_s, u"Fantasy"_s,
                                    u"Crime"_s,   u"Romance"_s, u"Children's"_s,      u"Drama"_s};
const QStringList NonfictionCategories{u"History"_s,   u"Biography"_s, u"Poetry"_s,     u"Travel"_s,
                                       u"Cookery"_s,   u"Science"_s,   u"Philosophy"_s, u"Art"_s,
                                       u"Reference"_s, u"Essays"_s,    u"Music"_s,      u"Nature"_s};

const QStringList Owners{u"Me"_s, u"Anna"_s, u"Jörg"_s, u"Siobhán"_s, u"The Family"_s};
const QStringList Locations{u"Living Room"_s,  u"Study"_s,         u"Study, shelf 2"_s, u"Bedroom"_s,
                            u"Attic, box 3"_s, u"Hall Bookcase"_s, u"Cottage"_s,        u"Office"_s};

// Keys 1 to 5 in this order, as the upgrade seeds them.
const QStringList Formats{u"Paperback"_s, u"Hardcover"_s, u"Tape"_s, u"CD"_s, u"MP3"_s};
constexpr int PaperbackFormat = 1;

struct Series
{
    QString name;
    bool magazine; // magazines number their issues
};
const QList<Series> SeriesList{{u"Harbour Chronicles"_s, false},    {u"Collected Works"_s, false},
                               {u"Penny Classics"_s, false},        {u"Quarterly Review"_s, true},
                               {u"The Kestrel Mysteries"_s, false}, {u"Annals of the North"_s, false},
                               {u"Starfall Station"_s, false},      {u"Garden Monthly"_s, true},
                               {u"Journal of Small Boats"_s, true}, {u"Great Journeys"_s, false},
                               {u"Letters & Diaries"_s, false},     {u"Young Readers' Library"_s, false}};

const QStringList Nouns{u"Garden"_s,   u"River"_s,      u"Winter"_s,  u"Harbour"_s,   u"Lantern"_s,
                        u"Mountain"_s, u"Clock"_s,      u"Kingdom"_s, u"Orchard"_s,   u"Island"_s,
                        u"Letter"_s,   u"Mirror"_s,     u"Shadow"_s,  u"Voyage"_s,    u"Widow"_s,
                        u"Stranger"_s, u"Bridge"_s,     u"Forest"_s,  u"Cathedral"_s, u"Station"_s,
                        u"Storm"_s,    u"Daughter"_s,   u"Map"_s,     u"Fire"_s,      u"Silence"_s,
                        u"Compass"_s,  u"Lighthouse"_s, u"Café"_s,    u"Fjord"_s,     u"Piano"_s};
const QStringList VowelNouns{u"Island"_s, u"Orchard"_s, u"Empire"_s, u"Elegy"_s, u"Atlas"_s, u"Echo"_s};
const QStringList Adjectives{u"Silent"_s,  u"Last"_s,    u"Hidden"_s,  u"Golden"_s,    u"Broken"_s,
                             u"Distant"_s, u"Quiet"_s,   u"Crimson"_s, u"Forgotten"_s, u"Northern"_s,
                             u"Little"_s,  u"Long"_s,    u"Secret"_s,  u"Bitter"_s,    u"Wandering"_s,
                             u"Frozen"_s,  u"Painted"_s, u"Naïve"_s,   u"Midnight"_s};

const QStringList Notes{u"Signed by the author."_s,
                        u"First edition; dust jacket torn."_s,
                        u"Gift from Anna: \"a must read\"."_s,
                        u"Bought at the O'Connell Street book fair."_s,
                        u"Two copies.\r\nThe second one is in the attic."_s,
                        u"Margins full of pencil notes."_s,
                        u"Water damage on the last pages."_s,
                        u"Book club choice, March."_s};
const QStringList Borrowers{u"Anna"_s, u"Mrs. O'Leary"_s, u"Björn"_s, u"Dr. Núñez"_s, u"the library"_s};

QString titleFor(SampleRandom& random)
{
    const QString noun = random.pick(Nouns);
    const QString other = random.pick(Nouns);
    const QString adjective = random.pick(Adjectives);
    switch (random.below(10)) {
    case 0:
    case 1:
        return u"The "_s + adjective + u' ' + noun;
    case 2:
        return u"A "_s + noun + u" in "_s + other;
    case 3:
        return u"An "_s + random.pick(VowelNouns) + u" for the "_s + other;
    case 4:
        return u"Of "_s + noun + u"s and "_s + other + u's';
    case 5:
        return noun + u" of the "_s + adjective + u' ' + other;
    case 6:
        return u"The "_s + noun + u"'s "_s + other;
    case 7:
        return adjective + u' ' + noun + u's';
    case 8:
        return u"Theory of the "_s + noun;
    default:
        return u"Letters to "_s + random.pick(FirstNames);
    }
}

// An ISBN-13 with a correct check digit, hyphenated as printed on books.
QString isbnFor(SampleRandom& random)
{
    QString digits = u"978"_s;
    for (int i = 0; i < 9; ++i)
        digits += QChar(u'0' + random.below(10));
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (digits.at(i).unicode() - u'0') * (i % 2 == 0 ? 1 : 3);
    digits += QChar(u'0' + (10 - sum % 10) % 10);
    return digits.left(3) + u'-' + digits.mid(3, 1) + u'-' + digits.mid(4, 4) + u'-' + digits.mid(8, 4) +
           u'-' + digits.right(1);
}

QDate dateBetween(SampleRandom& random, const QDate& first, const QDate& last)
{
    return first.addDays(random.below(int(first.daysTo(last)) + 1));
}

// Currency is stored with four decimals; prices end in .00, .50, .95 or .99.
double price(SampleRandom& random, int lowest, int highest)
{
    static const double cents[] = {0.0, 0.5, 0.95, 0.99};
    const double amount = random.between(lowest, highest) + cents[random.below(4)];
    return std::round(amount * 10000) / 10000;
}

QList<Author> authorsFor(int count, SampleRandom& random)
{
    QList<Author> authors = NotableAuthors;
    QSet<QString> taken;
    for (const Author& author : authors)
        taken.insert(author.lastName + u'|' + author.firstName);
    // Enumerating the combinations keeps every author distinct; middle initials
    // stretch them to any number of authors.
    QList<Author> generated;
    const qsizetype names = LastNames.size() * FirstNames.size();
    for (qsizetype k = 0; authors.size() + generated.size() < count; ++k) {
        Author author{LastNames.at(k % LastNames.size()),
                      FirstNames.at((k / LastNames.size()) % FirstNames.size())};
        for (qsizetype initials = k / names; initials > 0; initials = (initials - 1) / 26)
            author.firstName += u" "_s + QChar(u'A' + int((initials - 1) % 26)) + u'.';
        if (!taken.contains(author.lastName + u'|' + author.firstName))
            generated.append(author);
    }
    random.shuffle(generated);
    authors.append(generated);
    authors.resize(std::min<qsizetype>(authors.size(), std::max(count, 0)));
    return authors;
}

class SampleWriter
{
public:
    SampleWriter(Database& db, const SampleOptions& options)
        : m_db(db), m_options(options), m_random(options.seed)
    {
    }

    void write()
    {
        const int authorCount = m_options.authors > 0 ? m_options.authors : std::max(12, m_options.books / 5);
        m_authors = authorsFor(authorCount, m_random);
        writeAuthors();
        writeNames("INSERT INTO Publishers (PubID, PubName) VALUES (?, ?)", Publishers);
        writeNames("INSERT INTO Categories (CatID, CatName) VALUES (?, ?)",
                   FictionCategories + NonfictionCategories);
        writeNames("INSERT INTO Owners (OwnID, OwnName) VALUES (?, ?)", Owners);
        writeNames("INSERT INTO Locations (LocID, LocName) VALUES (?, ?)", Locations);
        if (!m_options.earlierLayout) {
            writeNames("INSERT INTO Formats (ForID, ForDesc) VALUES (?, ?)", Formats);
            QStringList series;
            for (const Series& s : SeriesList)
                series.append(s.name);
            writeNames("INSERT INTO Series (SerID, SerDesc) VALUES (?, ?)", series);
        }
        writeBooks();
    }

private:
    void writeAuthors()
    {
        NativeStatement insert(m_db, "INSERT INTO Authors (AuthID, LastName, FirstName) VALUES (?, ?, ?)");
        for (qsizetype i = 0; i < m_authors.size(); ++i) {
            insert.bindInt(1, i + 1);
            insert.bindText(2, m_authors.at(i).lastName);
            insert.bindText(3, m_authors.at(i).firstName);
            insert.run();
        }
    }

    void writeNames(const char* sql, const QStringList& names)
    {
        NativeStatement insert(m_db, sql);
        for (qsizetype i = 0; i < names.size(); ++i) {
            insert.bindInt(1, i + 1);
            insert.bindText(2, names.at(i));
            insert.run();
        }
    }

    // A key from 1 to count, or -1 (none) for about one book in missingPercent.
    int lookupKey(qsizetype count, int missingPercent, bool skewed = false)
    {
        if (m_random.percent(missingPercent))
            return -1;
        return 1 + (skewed ? m_random.skewed(int(count)) : m_random.below(int(count)));
    }

    QVariant maybeDate(int presentPercent, const QDate& first, const QDate& last)
    {
        if (!m_random.percent(presentPercent))
            return QVariant();
        return dateBetween(m_random, first, last).toString(Qt::ISODate);
    }

    void writeBooks()
    {
        const bool current = !m_options.earlierLayout;
        QStringList names{u"SortTitle"_s};
        for (const BookColumn& column : bookColumns())
            if (current || column.inEarlierLayout)
                names << column.name;
        const QByteArray sql = "INSERT INTO Books (" + names.join(u", "_s).toUtf8() + ") VALUES (" +
                               QByteArray("?,").repeated(names.size() - 1) + "?)";
        NativeStatement insert(m_db, sql);
        for (int i = 0; i < m_options.books; ++i) {
            const QVariantHash book = drawBook();
            int parameter = 1;
            for (const QString& name : std::as_const(names))
                insert.bind(parameter++, book.value(name));
            insert.run();
        }
    }

    // One book's values by column name, drawn in a fixed order so that a
    // seed always gives the same catalogue.
    QVariantHash drawBook()
    {
        const QDate firstPurchase(1985, 1, 1);
        const QDate lastPurchase(2024, 12, 31);
        const qsizetype categoryCount = FictionCategories.size() + NonfictionCategories.size();
        const QString title = titleFor(m_random);
        const int category = lookupKey(categoryCount, 5);
        const bool fiction = category == -1 ? m_random.percent(50) : category <= FictionCategories.size();
        const int format = lookupKey(Formats.size(), 3);
        const bool paperback = format == -1 ? m_random.percent(50) : format == PaperbackFormat;
        const bool bookIsNew = m_random.percent(60);
        const bool read = m_random.percent(55);
        const bool onLoan = m_random.percent(5);
        const QVariant buyDate = maybeDate(80, firstPurchase, lastPurchase);
        const QDate readFrom =
            buyDate.isNull() ? firstPurchase : QDate::fromString(buyDate.toString(), Qt::ISODate);
        const QVariant coverPrice = m_random.percent(85) ? QVariant(price(m_random, 4, 59)) : QVariant();
        QVariant buyPrice;
        if (m_random.percent(80)) {
            buyPrice = bookIsNew && !coverPrice.isNull() ? coverPrice : QVariant(price(m_random, 0, 12));
        }

        QVariantHash book{{u"Title"_s, title},           {u"SortTitle"_s, MakeSortTitle(title)},
                          {u"CatID"_s, category},        {u"Fiction"_s, int(fiction)},
                          {u"New"_s, int(bookIsNew)},    {u"paperback"_s, int(paperback)},
                          {u"Read"_s, int(read)},        {u"BuyDate"_s, buyDate},
                          {u"CoverPrice"_s, coverPrice}, {u"BuyPrice"_s, buyPrice},
                          {u"OnLoan"_s, int(onLoan)},    {u"ForID"_s, format}};
        book.insert(u"AuthID"_s, lookupKey(m_authors.size(), 3, true));
        book.insert(u"PubID"_s, lookupKey(Publishers.size(), 10, true));
        book.insert(u"OwnerID"_s, lookupKey(Owners.size(), 10));
        book.insert(u"LocID"_s, lookupKey(Locations.size(), 8));
        book.insert(u"Year"_s, m_random.percent(92) ? QVariant(m_random.between(1850, 2024)) : QVariant());
        book.insert(u"ISBN"_s, m_random.percent(80) ? isbnFor(m_random) : QString());
        book.insert(u"ReadDate"_s, read ? maybeDate(70, readFrom, lastPurchase) : QVariant());
        book.insert(u"Notes"_s, m_random.percent(30) ? m_random.pick(Notes) : QString());
        book.insert(u"LoanedTo"_s, onLoan ? m_random.pick(Borrowers) : QString());
        book.insert(u"LoanDate"_s, onLoan ? maybeDate(85, readFrom, lastPurchase) : QVariant());
        if (!m_options.earlierLayout)
            drawSeries(book);
        return book;
    }

    void drawSeries(QVariantHash& book)
    {
        if (!m_random.percent(15)) {
            book.insert(u"SerID"_s, -1);
            return;
        }
        const int series = m_random.below(int(SeriesList.size()));
        book.insert(u"SerID"_s, series + 1);
        book.insert(u"vol"_s, m_random.percent(90) ? QVariant(m_random.between(1, 30)) : QVariant());
        book.insert(u"issue"_s,
                    SeriesList.at(series).magazine ? QVariant(m_random.between(1, 12)) : QVariant());
    }

    Database& m_db;
    const SampleOptions& m_options;
    SampleRandom m_random;
    QList<Author> m_authors;
};

} // namespace

void generateSampleCatalogue(const QString& path, const SampleOptions& options)
{
    auto db = Database::create(path);
    try {
        // Keeps the whole new file in memory until the commit instead of
        // spilling pages to disk half-way (a 100,000-book file is about 30 MB).
        executeNative(*db, "PRAGMA cache_size = -65536");
        db->transaction([&] {
            if (options.earlierLayout)
                createEarlierLayoutTables(*db);
            else
                createCatalogueTables(*db);
            SampleWriter(*db, options).write();
        });
        db->close();
    } catch (...) {
        db.reset();
        QFile::remove(path);
        throw;
    }
}
