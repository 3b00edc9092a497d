#include "common/safe_file_writer.h"
#include "support/failing_file_system.h"
#include "support/file_contents.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Call = FailingFileSystem::Call;
Q_DECLARE_METATYPE(Call)

class TestSafeFileWriter : public QObject
{
    Q_OBJECT
private slots:
    void failureLeavesTheOldFile_data();
    void failureLeavesTheOldFile();
};

void TestSafeFileWriter::failureLeavesTheOldFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Call>("call"); // a failing write fails at every byte offset in turn
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message"); // %1: the file; empty: saved

    const QByteArray small = QByteArray("Line\tof a report\r\n").repeated(5);
    const QByteArray large = small.repeated(200);
    const QString full = u"Not enough space on disk to write to '%1'."_s;
    const QString lost = u"Could not write '%1': only 17999 of its 18000 bytes reached the disk."_s;
    QTest::newRow("small, full disk") << small << Call::Write << ENOSPC << full;
    QTest::newRow("large, full disk") << large << Call::Write << ENOSPC << full;
    QTest::newRow("large, I/O error")
        << large << Call::Write << EIO << u"Could not write '%1': Input/output error."_s;
    QTest::newRow("bytes lost") << large << Call::Size << 0 << lost;
    QTest::newRow("sync finds the disk full") << small << Call::Fsync << ENOSPC << full;
    QTest::newRow("close reports the quota") << small << Call::Close << EDQUOT << full;
    QTest::newRow("rename refused") << small << Call::Rename << EACCES
                                    << u"Could not write '%1': Permission denied."_s;
    QTest::newRow("small, the kernel's full device") << small << Call::FullDevice << 0 << full;
    QTest::newRow("saved") << large << Call::None << 0 << QString();
}

// Whatever fails, the old file stays byte for byte, nothing else is left in
// its folder, and the message gives the true cause.
void TestSafeFileWriter::failureLeavesTheOldFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Call, call);
    QFETCH(int, error);
    QFETCH(QString, message);
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"report.txt"_s);
    writeFile(path, "old");
    // In small pieces: a small output reaches the system at commit, a large one before.
    for (qint64 offset = 0; offset < (call == Call::Write ? bytes.size() : 1); ++offset) {
        FailingFileSystem calls(call, error, offset);
        QString failure;
        try {
            SafeFileWriter writer(path, calls, 1024);
            writer.openOrThrow();
            for (qsizetype at = 0; at < bytes.size(); at += 100)
                writer.write(bytes.mid(at, 100));
            writer.commit();
        } catch (const FileSaveError& saveError) {
            failure = saveError.text();
        }
        const QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        if (failure != message.arg(path) || fileBytes(path) != (message.isEmpty() ? bytes : "old") ||
            names != QStringList{u"report.txt"_s})
            QFAIL(qPrintable(u"failing at byte %1: %2; %3"_s.arg(offset).arg(failure, names.join(u' '))));
    }
}

QTEST_GUILESS_MAIN(TestSafeFileWriter)
#include "tst_safe_file_writer.moc"
