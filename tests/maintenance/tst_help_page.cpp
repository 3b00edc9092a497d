#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextDocumentFragment>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

const QString SourcePage = QStringLiteral(QUILLARY_SOURCE_DIR "/doc/quillary.htm");

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The page as a reader sees it: tags gone, entities decoded, blanks folded.
QString readableText()
{
    return QTextDocumentFragment::fromHtml(readText(SourcePage)).toPlainText().simplified();
}

QStringList attributeValues(const QString& attribute)
{
    QStringList values;
    const QRegularExpression pattern(attribute + u"=\"([^\"]*)\""_s);
    for (const QRegularExpressionMatch& match : pattern.globalMatch(readText(SourcePage)))
        values << match.captured(1);
    return values;
}

// The captions of the main window's menu commands, as the user reads them.
QStringList menuCaptions()
{
    QFile form(QStringLiteral(QUILLARY_SOURCE_DIR "/src/editor/gui/frm_main.ui"));
    if (!form.open(QIODevice::ReadOnly))
        return {};
    QStringList captions;
    QXmlStreamReader xml(&form);
    bool inAction = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"action"_s)
            inAction = true;
        else if (xml.isEndElement() && xml.name() == u"action"_s)
            inAction = false;
        else if (inAction && xml.isStartElement() && xml.name() == u"string"_s)
            captions << xml.readElementText().replace(u"&&"_s, u"\x01"_s).remove(u'&').replace(u'\x01', u'&');
    }
    return captions;
}

} // namespace

class TestHelpPage : public QObject
{
    Q_OBJECT

private slots:
    void explainsEveryCommand_data();
    void explainsEveryCommand();
    void linksAndPicturesLead_data();
    void linksAndPicturesLead();
    void isValidHtml();
};

void TestHelpPage::explainsEveryCommand_data()
{
    QTest::addColumn<QString>("caption");
    const QStringList captions = menuCaptions();
    QVERIFY(captions.size() > 20);
    for (const QString& caption : captions)
        QTest::newRow(caption.toUtf8().constData()) << QString(caption).remove(u"..."_s);
    for (const QString& window :
         {u"Backup the Quillary Database"_s, u"Find a Book"_s, u"Report Output"_s, u"Custom Report"_s,
          u"Select Date"_s, u"About Quillary"_s, u"Book List"_s, u"Export Shown Books"_s})
        QTest::newRow(window.toUtf8().constData()) << window;
}

void TestHelpPage::explainsEveryCommand()
{
    QFETCH(QString, caption);
    static const QString text = readableText();
    QVERIFY2(text.contains(caption, Qt::CaseInsensitive), qPrintable(caption));
}

void TestHelpPage::linksAndPicturesLead_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("isPicture");
    for (const QString& link : attributeValues(u"href"_s))
        QTest::newRow(link.toUtf8().constData()) << link << false;
    for (const QString& picture : attributeValues(u"src"_s))
        QTest::newRow(picture.toUtf8().constData()) << picture << true;
}

// Pictures lie beside the page (they are installed with it); links within
// the page lead to a heading that exists.
void TestHelpPage::linksAndPicturesLead()
{
    QFETCH(QString, target);
    QFETCH(bool, isPicture);
    if (isPicture) {
        QVERIFY2(QFileInfo(QFileInfo(SourcePage).absoluteDir().filePath(target)).isFile(),
                 qPrintable(target));
    } else {
        QVERIFY2(target.startsWith(u'#'), "links stay within the page: it is read without a network");
        QVERIFY2(attributeValues(u"id"_s).contains(target.mid(1)), qPrintable(target));
    }
}

void TestHelpPage::isValidHtml()
{
    const QString tidy = QStandardPaths::findExecutable(u"tidy"_s);
    if (tidy.isEmpty())
        QSKIP("tidy is not installed");
    QProcess check;
    check.start(tidy, {u"-errors"_s, u"-quiet"_s, SourcePage});
    QVERIFY(check.waitForFinished(60000));
    QVERIFY2(check.exitCode() == 0, check.readAllStandardError().constData());
}

QTEST_MAIN(TestHelpPage)
#include "tst_help_page.moc"
