// The program's order of text: the previous rules' order but for the letters
// now filed with their base letters, the same in SQLite and in the program's
// own comparisons of UTF-8 and of UTF-16 text; files declared and indexed
// under other rules brought to the current rules once, at open, with every
// row kept; and every file the program makes or brings up to date sound to
// the stock sqlite3 shell with the shipped extension loaded, while the shell
// without it refuses to guess.

#include "catalogue/book_session.h"
#include "catalogue/sample_catalogue.h"
#include "database/collation_version.h"
#include "database/sqlite_extensions.h"
#include "import/jet_conversion.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QTest>
#include <algorithm>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// ---- the oracle: the comparison as the previous rules had it, when the
// letters without a decomposition sorted after Z; verbatim but for its table
// of quick base letters, a shortcut to the same first level as baseLetters.
unsigned char asciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

QString baseLetters(const QString& text)
{
    QString folded = text.toCaseFolded().normalized(QString::NormalizationForm_D);
    folded.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return folded;
}

QString filedBaseLetters(const QString& text)
{
    QString letters = baseLetters(text);
    const std::pair<char16_t, const char16_t*> filed[] = {
        {u'ø', u"o"}, {u'æ', u"ae"}, {u'œ', u"oe"}, {u'ł', u"l"}, {u'đ', u"d"}, {u'þ', u"th"}, {u'ß', u"ss"}};
    for (const auto& [letter, spelled] : filed)
        letters.replace(QChar(letter), QString::fromUtf16(spelled));
    return letters;
}

int compareFolded(const QString& left, const QString& right, QString (*letters)(const QString&) = baseLetters)
{
    if (const int order = sign(letters(left).compare(letters(right))))
        return order;
    return sign(left.toCaseFolded()
                    .normalized(QString::NormalizationForm_D)
                    .compare(right.toCaseFolded().normalized(QString::NormalizationForm_D)));
}

int previousCompare(const char* left, int leftLength, const char* right, int rightLength)
{
    const auto* a = reinterpret_cast<const unsigned char*>(left);
    const auto* b = reinterpret_cast<const unsigned char*>(right);
    const int common = std::min(leftLength, rightLength);
    int i = 0;
    for (; i < common; ++i) {
        if (a[i] >= 0x80 || b[i] >= 0x80)
            break;
        const unsigned char x = asciiLower(a[i]);
        const unsigned char y = asciiLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i == common) {
        const bool restIsAscii =
            std::all_of(a + i, a + leftLength, [](unsigned char c) { return c < 0x80; }) &&
            std::all_of(b + i, b + rightLength, [](unsigned char c) { return c < 0x80; });
        if (restIsAscii)
            return leftLength == rightLength ? 0 : (leftLength < rightLength ? -1 : 1);
    }
    return compareFolded(QString::fromUtf8(left + i, leftLength - i),
                         QString::fromUtf8(right + i, rightLength - i));
}

// The previous order with those letters filed as now, and whether that
// changes a text at all.
int previousTextOrderWithLettersFiled(const QByteArray& left, const QByteArray& right)
{
    return compareFolded(QString::fromUtf8(left), QString::fromUtf8(right), filedBaseLetters);
}

bool holdsFiledLetters(const QByteArray& text)
{
    return filedBaseLetters(QString::fromUtf8(text)) != baseLetters(QString::fromUtf8(text));
}

// The previous order as NOCASE on a bare connection, as the program had it.
void registerPreviousNoCase(sqlite3* db)
{
    sqlite3_create_collation(
        db, "NOCASE", SQLITE_UTF8, nullptr, [](void*, int n, const void* a, int m, const void* b) {
            return previousCompare(static_cast<const char*>(a), n, static_cast<const char*>(b), m);
        });
}

// ---- the current order and the texts it is tried on

int compareUtf8(const QByteArray& a, const QByteArray& b)
{
    return sign(compareNoCase(a.constData(), int(a.size()), b.constData(), int(b.size())));
}

// Names and titles as catalogues hold them, and what is rarer: ligatures,
// letters without a decomposition, marks out of canonical order, other
// scripts, the supplementary planes, digits, blanks and nothing at all.
const QStringList Pieces =
    u"Ørsted|Orsted|Orwell|Æsop|Aesop|Aether|Œuvre|Oeuvre|Łódź|Lodz|Þór|Thor|Đorđe|Dorde|Weiß|Weiss|ẞ|ǿ|ǽ|"
    u"Éclair|ECLAIR|Ecole|Noël|Noelle|Ñandú|Brontë|ﬁre|Ǆemal|Ĳssel|Ångström|Ωμέγα|Москва|東京|서울|각|"
    u"\u1100\u1161\u11A8|a\u0301\u0323|a\u0323\u0301|e\u0301|1984|10|9|| |_|O'Brien|de la Cruz|Zoë|ZOE|"
    u"𝔘nicode|𐐀𐐨|\uFF21|\uE000|İstanbul|ı|ǅ|ᾂ|\u0F73|\U0001D165\u0301"_s.split(u'|');

// Code points from where they are most likely to differ: Latin, combining
// marks, Greek, Cyrillic, Hangul, plane 1 letters that fold, private use.
char32_t randomCodePoint(QRandomGenerator& random)
{
    static const std::pair<char32_t, char32_t> ranges[] = {
        {0x20, 0x7E},     {0xA0, 0x24F},      {0x300, 0x36F},     {0x370, 0x3FF},
        {0x400, 0x4FF},   {0x1E00, 0x1FFF},   {0x1100, 0x11FF},   {0xAC00, 0xD7A3},
        {0xE000, 0xE0FF}, {0x10400, 0x1044F}, {0x1D400, 0x1D4FF}, {0xFB00, 0xFB4F}};
    const auto& [first, last] = ranges[random.bounded(int(std::size(ranges)))];
    return first + char32_t(random.bounded(int(last - first + 1)));
}

// Pieces in any case, code points and single bytes (which may start no
// UTF-8 at all, but are never NUL), run together.
QByteArray randomText(QRandomGenerator& random)
{
    QByteArray text;
    for (int n = random.bounded(1, 5); n > 0; --n) {
        const int kind = random.bounded(6);
        const QString& piece = Pieces.at(random.bounded(int(Pieces.size())));
        const char32_t c = randomCodePoint(random);
        if (kind == 0)
            text += char(random.bounded(1, 256));
        else if (kind == 1)
            text += QString::fromUcs4(&c, 1).toUtf8();
        else
            text += (kind == 2 ? piece.toUpper() : (kind == 3 ? piece.toLower() : piece)).toUtf8();
    }
    return text;
}

// ---- files

enum class Fixture {
    PreviousLayout, // the previous version's sample catalogue, indexed in its order
    LaterRules,     // a current file whose indexes another version of the rules built
    Sample,         // a catalogue the sample writer makes now
    ConvertedJet,   // a Jet file converted table by table
    FieldCatalogue, // the shipped rptspec.mdb
};

// SQL on a bare connection, with the previous rules as NOCASE when the file is
// to be indexed as the previous version indexed it.
void runBare(const QString& path, const QByteArray& sql, bool previousRules = false)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    if (previousRules)
        registerPreviousNoCase(db);
    QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// The file of the fixture in the folder, or where it lies; empty when missing.
QString makeFixture(Fixture fixture, const TemporaryCatalogue& folder)
{
    QFile dump(QStringLiteral(QUILLARY_SOURCE_DIR "/tests/fixtures/previous_layout.sql"));
    const QString jet = QStringLiteral(QUILLARY_SHARED_TESTDATA "/jet/nwind.mdb");
    switch (fixture) {
    case Fixture::PreviousLayout:
        dump.open(QIODevice::ReadOnly);
        runBare(folder.path(), dump.readAll() + "PRAGMA user_version = 1", true);
        break;
    case Fixture::LaterRules:
    case Fixture::Sample:
        generateSampleCatalogue(folder.path(), SampleOptions{60, 12, 3, false});
        if (fixture == Fixture::LaterRules)
            runBare(folder.path(), "PRAGMA user_version = 3");
        break;
    case Fixture::ConvertedJet:
        if (!QFile::exists(jet))
            return {};
        convertJetFile(jet, folder.path(), ConversionTarget::AllTables);
        break;
    case Fixture::FieldCatalogue:
        return QStringLiteral(QUILLARY_BINARY_DIR "/rptspec.mdb");
    }
    return folder.path();
}

// Every row of every table, sqlite_sequence included, without the schema.
QStringList rowsOf(Database& db)
{
    const QStringList contents = catalogueContents(db);
    return contents.mid(contents.indexOf(QRegularExpression(u"-- .*"_s)));
}

// The stock shell's answer, or an empty text when there is no shell.
QString shell(const QString& path, bool withExtension, const QString& sql)
{
    const QString sqlite3 = QStandardPaths::findExecutable(u"sqlite3"_s);
    QStringList arguments{path, sql};
    if (withExtension)
        arguments =
            QStringList{u"-cmd"_s, u".load "_s + QStringLiteral(QUILLARY_COLLATION_EXTENSION)} + arguments;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(sqlite3, arguments);
    process.waitForFinished(60000);
    return sqlite3.isEmpty() ? QString() : QString::fromUtf8(process.readAll()).trimmed();
}

} // namespace

class TestTextOrder : public QObject
{
    Q_OBJECT

private slots:
    void textsCompare_data();
    void textsCompare();
    void followsThePreviousRules();
    void bringsFilesUpToDateAtOpen_data();
    void bringsFilesUpToDateAtOpen();
    void rewritesDefinitions_data();
    void rewritesDefinitions();
    void otherToolsCheckWithTheExtension_data();
    void otherToolsCheckWithTheExtension();
};

void TestTextOrder::textsCompare_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("order");

    QTest::newRow("case ignored") << u"apple"_s << u"APPLE"_s << 0;
    QTest::newRow("ASCII as SQLite: _ before letters") << u"Apple_"_s << u"applea"_s << -1;
    QTest::newRow("accent alone decides last") << u"Eclair"_s << u"éclair"_s << -1;
    QTest::newRow("decomposed equals composed") << u"E\u0301clair"_s << u"éclair"_s << 0;
    QTest::newRow("marks in either order") << u"a\u0301\u0323"_s << u"\u1EA1\u0301"_s << 0;
    QTest::newRow("accented start in common")
        << u"García Márquez, Anne"_s << u"garcía márquez, Gabriel"_s << -1;
    QTest::newRow("a mark moved before a shared one") << u"a\u0360"_s << u"a\u0360\u0301"_s << 1;
    QTest::newRow("Hangul syllable as its jamo") << u"각"_s << u"\u1100\u1161\u11A8"_s << 0;
    QTest::newRow("Ø among the Os") << u"Ørsted"_s << u"Orwell"_s << -1;
    QTest::newRow("Ø after plain O") << u"Orsted"_s << u"ørsted"_s << -1;
    QTest::newRow("Æ as AE") << u"Æsop"_s << u"Aether"_s << -1;
    QTest::newRow("ß as SS") << u"Weiß"_s << u"Weist"_s << -1;
    QTest::newRow("Þ as TH") << u"Þór"_s << u"Tiber"_s << -1;
}

void TestTextOrder::textsCompare()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, order);
    QCOMPARE(compareUtf8(left.toUtf8(), right.toUtf8()), order);
    QCOMPARE(compareUtf8(right.toUtf8(), left.toUtf8()), -order);
    QCOMPARE(sign(compareNoCase(left, right)), order);
    QCOMPARE(previousTextOrderWithLettersFiled(left.toUtf8(), right.toUtf8()), order);
}

// Every pair of a large generated set against the previous implementation:
// the same order except where the newly filed letters take part, and there
// the order they now make. The UTF-16 comparisons agree with the UTF-8 one,
// and the first level never contradicts the whole order.
void TestTextOrder::followsThePreviousRules()
{
    QRandomGenerator random(2024);
    std::vector<QByteArray> texts;
    std::vector<bool> filed;
    while (texts.size() < 600) {
        const QByteArray text = randomText(random);
        if (text.contains("\xEF\xBB\xBF")) // a byte order mark, which the previous reading dropped
            continue;
        texts.push_back(text);
        filed.push_back(holdsFiledLetters(text));
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        const QByteArray& a = texts[i];
        const QString left = QString::fromUtf8(a);
        for (size_t j = 0; j < texts.size(); ++j) {
            const QByteArray& b = texts[j];
            const QString right = QString::fromUtf8(b);
            const int order = compareUtf8(a, b);
            const int unfiled = filed[i] || filed[j] ? order
                                                     : previousCompare(a.constData(), int(a.size()),
                                                                       b.constData(), int(b.size()));
            const int utf16 =
                left.toUtf8() == a && right.toUtf8() == b ? sign(compareNoCase(left, right)) : order;
            const int letters = sign(compareNoCasePrimary(left, right));
            if (order != previousTextOrderWithLettersFiled(a, b) || order != unfiled || order != utf16 ||
                (letters != 0 && letters != order))
                QFAIL(QByteArray(a.toPercentEncoding() + " vs " + b.toPercentEncoding()).constData());
        }
    }
}

void TestTextOrder::bringsFilesUpToDateAtOpen_data()
{
    QTest::addColumn<Fixture>("fixture");
    QTest::addColumn<bool>("namedNoCase");
    QTest::newRow("previous layout") << Fixture::PreviousLayout << true;
    QTest::newRow("rules of a later version") << Fixture::LaterRules << false;
}

// Opened as after a crash of the previous version: the indexes, in another
// order than the program's, are rebuilt rather than taken for damage.
void TestTextOrder::bringsFilesUpToDateAtOpen()
{
    QFETCH(Fixture, fixture);
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    makeFixture(fixture, catalogue);
    const QByteArray namingNoCase =
        "SELECT count(*) > 0 FROM sqlite_master WHERE sql LIKE '%collate nocase%'";
    const QStringList rowsBefore = rowsOf(*catalogue.open());
    QTEST(nativeRows(*catalogue.open(), namingNoCase) == QStringList{u"1"_s}, "namedNoCase");
    QFile marker(catalogue.path() + u"-open"_s);
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    ScopedScriptedDialogs dialogs;
    BookSession session;

    QVERIFY(session.open(catalogue.folder()));
    QVERIFY(dialogs.messages().isEmpty());
    Database& db = session.database();
    QVERIFY(!textOrderOutOfDate(db));
    QCOMPARE(rowsOf(db), rowsBefore);
    QCOMPARE(nativeRows(db, namingNoCase), QStringList{u"0"_s});
    QCOMPARE(nativeRows(db, "PRAGMA integrity_check"), QStringList{u"ok"_s});
    const QStringList titles =
        nativeRows(db, "SELECT SortTitle FROM Books INDEXED BY Books_SortTitle ORDER BY 1");
    for (qsizetype i = 1; i < titles.size(); ++i)
        QVERIFY2(compareNoCase(titles[i - 1], titles[i]) <= 0, qPrintable(titles[i]));
}

void TestTextOrder::rewritesDefinitions_data()
{
    QTest::addColumn<QByteArray>("definitions");
    QTest::addColumn<QStringList>(
        "after"); // empty: the file cannot be brought up to date, and stays as it was
    QTest::newRow("the collation's name alone")
        << QByteArray(
               "CREATE TABLE t (a TEXT collate \"NoCase\" DEFAULT 'COLLATE NOCASE', b TEXT /* COLLATE "
               "NOCASE */ COLLATE [nocase], c TEXT COLLATE RTRIM); CREATE INDEX t_a ON t (a COLLATE NOCASE)")
        << QStringList{u"CREATE TABLE t (a TEXT collate QUILLARY DEFAULT 'COLLATE NOCASE', b TEXT /* COLLATE "
                       u"NOCASE */ COLLATE QUILLARY, c TEXT COLLATE RTRIM)"_s,
                       u"CREATE INDEX t_a ON t (a COLLATE QUILLARY)"_s};
    // Two owners SQLite's NOCASE tells apart, and the program's order not.
    QTest::newRow("a unique index the order cannot keep")
        << QByteArray("CREATE TABLE Owners (OwnName TEXT COLLATE NOCASE UNIQUE); INSERT INTO Owners VALUES "
                      "('Élise'), ('élise')")
        << QStringList();
}

void TestTextOrder::rewritesDefinitions()
{
    QFETCH(QByteArray, definitions);
    QFETCH(QStringList, after);
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    runBare(catalogue.path(), definitions);
    auto db = catalogue.open();
    const QStringList before = catalogueContents(*db);
    if (after.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(DbError, bringTextOrderUpToDate(*db));
        QCOMPARE(catalogueContents(*db), before);
        QVERIFY(textOrderOutOfDate(*db));
    } else {
        bringTextOrderUpToDate(*db);
        QCOMPARE(nativeRows(*db, "SELECT sql FROM sqlite_master ORDER BY name"), after);
    }
}

void TestTextOrder::otherToolsCheckWithTheExtension_data()
{
    QTest::addColumn<Fixture>("fixture");
    QTest::newRow("sample catalogue") << Fixture::Sample;
    QTest::newRow("previous layout, brought up to date") << Fixture::PreviousLayout;
    QTest::newRow("converted Jet file") << Fixture::ConvertedJet;
    QTest::newRow("field catalogue") << Fixture::FieldCatalogue;
}

void TestTextOrder::otherToolsCheckWithTheExtension()
{
    QFETCH(Fixture, fixture);
    TemporaryCatalogue folder(TemporaryCatalogue::Layout::NoFile);
    const QString path = makeFixture(fixture, folder);
    if (path.isEmpty())
        QSKIP("the Jet sample file is not there");
    if (fixture == Fixture::PreviousLayout)
        bringTextOrderUpToDate(*folder.open());
    if (shell(path, false, u"SELECT 1"_s).isEmpty())
        QSKIP("the sqlite3 shell is not installed (package sqlite3)");

    QCOMPARE(shell(path, true, u"PRAGMA integrity_check"_s), u"ok"_s);
    QVERIFY(
        shell(path, false, u"PRAGMA integrity_check"_s).contains(u"no such collation sequence: QUILLARY"_s));
}

QTEST_GUILESS_MAIN(TestTextOrder)
#include "tst_text_order.moc"
