// Times the program's hot paths on generated catalogues, each beside what
// SQLite alone needs for the same result:
//   quillary-bench [--books N] [--only TEXT]
// Without --books it measures 10,000 and then 100,000 books.
#include "bench_registry.h"
#include "program_memory.h"

#include "catalogue/sample_catalogue.h"
#include "database/database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <exception>
#include <map>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

double milliseconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The median of several timed runs after one untimed run that warms the
// file cache and SQLite's statement and page caches.
double medianOf(int runs, const std::function<void()>& work)
{
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(milliseconds(work));
    return median(times);
}

struct Measurement
{
    double program = 0;
    std::optional<double> sqlite;
};

// A memory figure of a process of its own: one run each.
double megabytesOf(const std::function<void(BenchCatalogue&)>& work, BenchCatalogue& catalogue)
{
    catalogue.megabytes = 0;
    work(catalogue);
    return catalogue.megabytes;
}

Measurement measure(BenchOperation& operation, BenchCatalogue& catalogue, int runs)
{
    if (operation.opensCatalogue)
        catalogue.db.reset();
    Measurement result;
    if (operation.memory) {
        result.program = megabytesOf(operation.run, catalogue);
        if (operation.baseline)
            result.sqlite = megabytesOf(operation.baseline, catalogue);
        return result;
    }
    result.program = medianOf(runs, [&] { operation.run(catalogue); });
    if (operation.baseline)
        result.sqlite = medianOf(runs, [&] { operation.baseline(catalogue); });
    if (!catalogue.db)
        catalogue.db = Database::open(catalogue.path, Database::OpenMode::Exclusive);
    return result;
}

QString column(double value, int width)
{
    return QString::number(value, 'f', 2).rightJustified(width);
}

// The program's time of each operation at the smallest size measured, for
// the aims that are about growth.
std::map<QString, double>& smallestSizeTimes()
{
    static std::map<QString, double> times;
    return times;
}

void printLine(QTextStream& out, const BenchOperation& operation, const Measurement& m)
{
    out << operation.name.leftJustified(40) << column(m.program, 12);
    if (m.sqlite)
        out << column(*m.sqlite, 12) << column(m.program / std::max(*m.sqlite, 1e-6), 8);
    else
        out << u"-"_s.rightJustified(12) << u"-"_s.rightJustified(8);
    QString aim = operation.aim;
    if (operation.growthAim) {
        const auto [smallest, first] = smallestSizeTimes().try_emplace(operation.name, m.program);
        if (!first)
            aim += u" (%1x)"_s.arg(m.program / std::max(smallest->second, 1e-6), 0, 'f', 2);
    }
    out << u"  "_s << aim.leftJustified(24) << u"  "_s << operation.against << Qt::endl;
}

bool benchmark(int books, const QStringList& only, QTextStream& out)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        out << "Cannot create a temporary folder" << Qt::endl;
        return false;
    }
    BenchCatalogue catalogue;
    catalogue.books = books;
    catalogue.authors = std::max(12, books / 5);
    catalogue.path = QDir(folder.path()).filePath(u"Quillary.mdb"_s);
    catalogue.barePath = QDir(folder.path()).filePath(u"Bare.mdb"_s);
    const double generated = milliseconds([&] {
        generateSampleCatalogue(catalogue.path, SampleOptions{books, catalogue.authors, 1, false});
    });
    if (!QFile::copy(catalogue.path, catalogue.barePath)) {
        out << "Cannot copy the catalogue for SQLite's own connection" << Qt::endl;
        return false;
    }
    catalogue.probeBookId = (books + 1) / 2;
    resetPeakMemory();
    catalogue.db = Database::open(catalogue.path, Database::OpenMode::Exclusive);

    out << Qt::endl
        << books << " books, " << catalogue.authors << " authors (generated in " << qRound(generated)
        << " ms)" << Qt::endl
        << u"operation"_s.leftJustified(40) << u"median ms"_s.rightJustified(12)
        << u"SQLite ms"_s.rightJustified(12) << u"ratio"_s.rightJustified(8) << u"  "_s
        << u"aim"_s.leftJustified(24) << u"  SQLite measured on"_s << Qt::endl;
    const int runs = books > 20000 ? 5 : 9;
    for (BenchOperation& operation : benchOperations())
        if (only.isEmpty() || std::any_of(only.begin(), only.end(), [&](const QString& part) {
                return operation.name.contains(part, Qt::CaseInsensitive);
            }))
            printLine(out, operation, measure(operation, catalogue, runs));
    out << u"peak memory (MB, since generating)"_s.leftJustified(40) << column(peakMemoryMb(), 12)
        << Qt::endl;
    return true;
}

} // namespace

// The offscreen platform warns about window hints on every window shown;
// those lines would drown the figures.
QtMessageHandler standardMessageHandler = nullptr;

void quietPlatformMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(u"propagateSizeHints"_s))
        return;
    standardMessageHandler(type, context, message);
}

int main(int argc, char* argv[])
{
    // Operations on windows need the widget application; without a display
    // they run on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const std::optional<int> exitCode = runMemoryCommand(arguments, argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    standardMessageHandler = qInstallMessageHandler(quietPlatformMessages);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Times Quillary's hot paths on generated catalogues."_s);
    parser.addHelpOption();
    parser.addOption({u"books"_s, u"Measure one catalogue of N books only."_s, u"N"_s});
    parser.addOption({u"only"_s,
                      u"Measure only the operations whose names contain TEXT (alternatives split by |)."_s,
                      u"TEXT"_s});
    parser.process(app);

    QTextStream out(stdout);
    QList<int> sizes{10000, 100000};
    if (parser.isSet(u"books"_s)) {
        bool ok = false;
        const int books = parser.value(u"books"_s).toInt(&ok);
        if (!ok || books < 1) {
            QTextStream(stderr) << "--books takes a number above 0\n";
            return 2;
        }
        sizes = {books};
    }
    try {
        for (int books : sizes) {
            if (!benchmark(books, parser.value(u"only"_s).split(u'|', Qt::SkipEmptyParts), out))
                return 1;
        }
    } catch (const std::exception& error) {
        QTextStream(stderr) << "Benchmark failed: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
