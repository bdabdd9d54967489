#include "documentgraphics.h"
#include "mvkeys.h"
#include "pagerecorder.h"
#include "pdfprobe.h"
#include "pdfrendererdocuments.h"
#include "testjob.h"
#include "testscale.h"

#include <QGraphicsScene>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <ctime>

// Reports for an archive: dated by the day they record, the same bytes for the same moment,
// "Strona N z M" footers, documents kept together.
namespace {

const QDate kReportDay(2026, 11, 30);
const QDateTime kMoment(kReportDay, QTime(18, 0), Qt::UTC);

QList<int> repeated(int count, int value)
{
    QList<int> values;
    for (int i = 0; i < count; ++i)
        values.append(value);
    return values;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file identifier of a PDF, or empty.
QByteArray identifier(const QByteArray &pdf)
{
    const QRegularExpression id(QStringLiteral("/ID ?\\[ ?<([0-9a-f]{32})>"));
    return id.match(QString::fromLatin1(pdf.constData(), pdf.size())).captured(1).toLatin1();
}

// Documents of printout lines "D<doc> L<line>", a label between each such text and the next.
void appendDocuments(PDFRendererDocuments &renderer, const QList<int> &lengths, bool numbered)
{
    AsyncReportsHelper &helper = renderer.getHlp();
    for (int doc = 0; doc < lengths.size(); ++doc) {
        DocumentGraphics document;
        if (numbered && doc % 3 != 2)
            document.attributes.insert(MvKeys::NumberAttribute, doc + 1);
        // Some titles are too long for a column: their continuation labels are shortened.
        if (doc % 7 == 6)
            document.attributes.insert(MvKeys::TitleAttribute, QStringLiteral("Faktura %1").arg(doc + 1)
                                       + QStringLiteral(" za usługi archiwizacji dokumentów").repeated(doc % 3));
        for (int line = 0; line < lengths.at(doc); ++line)
            document.items.append(helper.createTextItemWithFormat(
                    QStringLiteral("D%1 L%2").arg(doc, 4, 10, QLatin1Char('0')).arg(line, 3, 10, QLatin1Char('0')),
                    helper.formats[MvKeys::PrintoutFormat]));
        renderer.appendDoc(document);
    }
}

// One placed item of a document report: a line of document `doc`, or a label.
struct Entry
{
    int page;
    int column;
    int doc = -1;         // -1 for a label
    int line = -1;
    bool continuation = false;
};

} // namespace

class tst_Archive : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sameBytesForTheSameMoment_data();
    void sameBytesForTheSameMoment();
    void pageCountOnEveryPage_data();
    void pageCountOnEveryPage();
    void cancelWhileTheLabelsArePainted();
    void documentsKeptTogether_data();
    void documentsKeptTogether();
    void lastPageHoldsMoreThanOneLine_data();
    void lastPageHoldsMoreThanOneLine();

private:
    QString runDocuments(const QList<int> &lengths, bool keepTogether, bool numbered);
    QList<Entry> entries() const;

    QTemporaryDir dir;
    TestJob *job = nullptr;
    QList<PlacedItem> placed;
    double sceneWidth = 0.0;
};

void tst_Archive::init()
{
    placed.clear();
    delete job;
    job = new TestJob(this);
    job->fileName = dir.filePath(QStringLiteral("archive.pdf"));
    QFile::remove(job->fileName);
}

void tst_Archive::sameBytesForTheSameMoment_data()
{
    QTest::addColumn<bool>("documents");
    QTest::addColumn<bool>("pdfA1b");
    QTest::addColumn<bool>("outline");
    QTest::addColumn<bool>("pageCount");
    QTest::newRow("lines") << false << false << false << false;
    QTest::newRow("lines, outline, page count") << false << false << true << true;
    QTest::newRow("lines, PDF/A") << false << true << false << false;
    QTest::newRow("documents, PDF/A, outline, page count") << true << true << true << true;
}

// Runs with the same report date and file moment give the same bytes, whatever the machine's
// time zone; the moment stands in UTC in the document information and (PDF/A) the XMP
// metadata, and the PDF/A identifier changes with the content.
void tst_Archive::sameBytesForTheSameMoment()
{
    QFETCH(bool, documents);
    QFETCH(bool, pdfA1b);
    QFETCH(bool, outline);
    QFETCH(bool, pageCount);
    const QByteArray oldZone = qgetenv("TZ");
    auto restoreZone = qScopeGuard([&oldZone]() {
        qputenv("TZ", oldZone);
        tzset();
    });

    job->pdfA1b = pdfA1b;
    job->configure = [&](PDFRendererBase &renderer) {
        renderer.setReportDate(kReportDay);
        renderer.setFileTimestamp(kMoment);
        renderer.setPageCountVisible(pageCount);
    };
    if (documents) {
        job->outline = outline;
        job->fillDocuments = [](PDFRendererDocuments &renderer) { appendDocuments(renderer, {30, 200, 5}, true); };
    } else {
        job->lines = numberedLines(900);
        job->outlinePattern = outline ? QStringLiteral("W000") : QString();
    }
    // Qt writes the moment with the offset of the machine's zone.
    const QByteArray zones[] = {"UTC", "Europe/Warsaw", "America/New_York", "Asia/Kolkata"};
    QByteArray runs[4];
    for (int run = 0; run < 4; ++run) {
        qputenv("TZ", zones[run]);
        tzset();
        if (run == 3)
            job->lines.append(QStringLiteral("JESZCZE JEDNA"));   // the last run differs
        QCOMPARE(job->run(), QString());
        runs[run] = contents(job->fileName);
    }
    QVERIFY(runs[1] == runs[0] && runs[2] == runs[0]);
    QVERIFY(runs[0].contains("/CreationDate (D:20261130180000Z)") && runs[0].contains("/ModDate (D:20261130180000Z)"));
    QVERIFY(PdfProbe::structureValid(job->fileName));
    QVERIFY(PdfProbe::pageTexts(job->fileName).value(0).contains(QStringLiteral("dnia 30 listopada 2026 roku")));
    if (pdfA1b) {
        QVERIFY(runs[0].contains("<xmp:CreateDate>2026-11-30T18:00:00Z</xmp:CreateDate>"));
        QVERIFY(runs[0].contains("<xmp:ModifyDate>2026-11-30T18:00:00Z</xmp:ModifyDate>"));
        QVERIFY(!identifier(runs[0]).isEmpty());
        if (!documents)
            QVERIFY(identifier(runs[3]) != identifier(runs[0]));
    }
    if (outline)
        QVERIFY(!PdfProbe::outline(job->fileName).isEmpty());
}

void tst_Archive::pageCountOnEveryPage_data()
{
    QTest::addColumn<bool>("documents");
    QTest::addColumn<bool>("pdfA1b");
    QTest::addColumn<bool>("outline");
    QTest::newRow("lines") << false << false << false;
    QTest::newRow("lines, PDF/A, outline") << false << true << true;
    QTest::newRow("documents") << true << false << false;
    QTest::newRow("documents, outline") << true << false << true;
}

// Every page's footer reads "- Strona N z M -", M the pages of the file, and nothing else;
// the outline still leads to its pages.
void tst_Archive::pageCountOnEveryPage()
{
    QFETCH(bool, documents);
    QFETCH(bool, pdfA1b);
    QFETCH(bool, outline);
    job->pdfA1b = pdfA1b;
    job->configure = [](PDFRendererBase &renderer) { renderer.setPageCountVisible(true); };
    if (documents) {
        job->outline = outline;
        job->fillDocuments = [](PDFRendererDocuments &renderer) {
            appendDocuments(renderer, repeated(120, 25), true);
        };
    } else {
        job->lines = numberedLines(TestScale::sized(4000, 1500));
        job->outlinePattern = outline ? QStringLiteral("W\\d\\d\\d00") : QString();
    }
    QCOMPARE(job->run(), QString());
    QCOMPARE(job->lastOutcome(), AsyncReportsBase::Outcome::Completed);
    const int pages = PdfProbe::pageCount(job->fileName);
    QVERIFY2(pages > 3, qPrintable(QString::number(pages)));
    const QStringList texts = PdfProbe::pageTexts(job->fileName);
    QCOMPARE(texts.size(), pages);
    const QRegularExpression label(QStringLiteral("- Strona \\d+( z \\d+)? -"));
    for (int page = 1; page <= pages; ++page) {
        QRegularExpressionMatchIterator labels = label.globalMatch(texts.at(page - 1));
        QVERIFY(labels.hasNext());
        QCOMPARE(labels.next().captured(0), PDFRendererBase::pageLabel(page, pages));
        QVERIFY2(!labels.hasNext(), qPrintable(QStringLiteral("page %1").arg(page)));
    }
    QVERIFY(PdfProbe::structureValid(job->fileName));
    if (outline) {
        const QList<PdfProbe::OutlineEntry> entries = PdfProbe::outline(job->fileName);
        QVERIFY(!entries.isEmpty());
        for (const PdfProbe::OutlineEntry &entry : entries)
            QVERIFY(documents || texts.value(entry.page - 1).contains(entry.title));
    }
}

// A cancel after the last page, while the labels are painted, ends the run as any cancel:
// the path keeps what stood there.
void tst_Archive::cancelWhileTheLabelsArePainted()
{
    QFile earlier(job->fileName);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier report");
    earlier.close();
    job->lines = numberedLines(TestScale::sized(3000, 1000));
    job->configure = [](PDFRendererBase &renderer) { renderer.setPageCountVisible(true); };
    job->lastPageComposed = [this]() { job->abortReport(); };
    QCOMPARE(job->run(), AsyncReportsBase::cancelledMessage());
    QCOMPARE(job->lastOutcome(), AsyncReportsBase::Outcome::Cancelled);
    QCOMPARE(contents(job->fileName), QByteArray("earlier report"));
}

// Renders documents of the given lengths through a page recorder; returns the ready text.
QString tst_Archive::runDocuments(const QList<int> &lengths, bool keepTogether, bool numbered)
{
    job->fillDocuments = [&](PDFRendererDocuments &renderer) {
        renderer.setKeepTogether(keepTogether);
        appendDocuments(renderer, lengths, numbered);
    };
    job->afterPrepare = [this](PDFRendererBase &renderer) {
        renderer.getHlp().scene->addItem(new PageRecorder(renderer.getHlp(), &placed));
        sceneWidth = renderer.getHlp().width();
    };
    return job->run();
}

// The placed items in order, with their columns: lines by document and number, and labels.
QList<Entry> tst_Archive::entries() const
{
    const QRegularExpression line(QStringLiteral("^D(\\d+) L(\\d+)$"));
    QList<Entry> result;
    for (const PlacedItem &item : placed) {
        Entry entry{item.page, int(std::floor(item.box.center().x() * item.columns / sceneWidth))};
        const QRegularExpressionMatch match = line.match(item.text);
        if (match.hasMatch()) {
            entry.doc = match.captured(1).toInt();
            entry.line = match.captured(2).toInt();
        } else {
            entry.continuation = item.text.endsWith(QLatin1String("(cd.)"));
        }
        result.append(entry);
    }
    return result;
}

void tst_Archive::documentsKeptTogether_data()
{
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<int>("documents");
    QTest::newRow("numbered and titled") << true << TestScale::sized(2000, 400);
    QTest::newRow("plain") << false << TestScale::sized(600, 200);
}

// Documents of 1 to 40 lines: every line is placed, in order; no column ends with a
// label; a document continued in a column starts there with its continuation label; a
// document that begins below others keeps two lines there (or its only one); the last line
// of a document stands alone in a column only where the column before had no line to give;
// the last page holds more than one line; every item stands inside its column.
void tst_Archive::documentsKeptTogether()
{
    QFETCH(bool, numbered);
    QFETCH(int, documents);
    QRandomGenerator random(20261130);
    QList<int> lengths;
    for (int doc = 0; doc < documents; ++doc)
        lengths.append(1 + int(random.bounded(40)));
    QCOMPARE(runDocuments(lengths, true, numbered), QString());

    for (const PlacedItem &item : qAsConst(placed)) {
        const double width = sceneWidth / item.columns;
        const double left = std::floor(item.box.center().x() / width) * width;
        QVERIFY2(item.box.left() >= left && item.box.right() <= left + width, qPrintable(item.text));
    }
    const QList<Entry> all = entries();
    QList<QList<Entry>> columns;
    for (const Entry &entry : all) {
        if (columns.isEmpty() || columns.last().first().page != entry.page
            || columns.last().first().column != entry.column)
            columns.append(QList<Entry>());
        columns.last().append(entry);
    }
    int expectedDoc = 0;
    int expectedLine = 0;
    QHash<int, int> linesInPreviousPart;   // document -> its lines in the column before
    for (const QList<Entry> &column : qAsConst(columns)) {
        const QString where = QStringLiteral("page %1, column %2").arg(column.first().page).arg(column.first().column);
        QVERIFY2(column.last().doc >= 0, qPrintable(where + QStringLiteral(": ends with a label")));
        QHash<int, int> linesHere;
        QHash<int, int> lastLines;   // document -> its last line here
        for (int i = 0; i < column.size(); ++i) {
            const Entry &entry = column.at(i);
            if (entry.doc < 0)
                continue;
            if (expectedLine == lengths.at(expectedDoc)) {
                ++expectedDoc;
                expectedLine = 0;
            }
            QCOMPARE(entry.doc, expectedDoc);
            QCOMPARE(entry.line, expectedLine++);
            const bool firstHere = !linesHere.contains(entry.doc);
            ++linesHere[entry.doc];
            lastLines[entry.doc] = entry.line;
            if (firstHere && entry.line > 0)
                QVERIFY2(i > 0 && column.at(i - 1).continuation, qPrintable(where + QStringLiteral(": no (cd.)")));
            if (firstHere && entry.line == 0 && i > 0 && column.at(i - 1).doc >= 0) {
                const int kept = std::min(2, lengths.at(entry.doc));
                int lines = 0;
                for (int j = i; j < column.size() && column.at(j).doc == entry.doc; ++j)
                    ++lines;
                QVERIFY2(lines >= kept, qPrintable(where + QStringLiteral(": a first line alone")));
            }
        }
        // A document continued here with nothing but its last line.
        for (auto it = linesHere.cbegin(); it != linesHere.cend(); ++it) {
            if (it.value() == 1 && linesInPreviousPart.contains(it.key())
                && lastLines.value(it.key()) == lengths.at(it.key()) - 1)
                QVERIFY2(linesInPreviousPart.value(it.key()) < 2,
                         qPrintable(where + QStringLiteral(": a last line alone")));
        }
        linesInPreviousPart = linesHere;
    }
    QCOMPARE(expectedDoc, lengths.size() - 1);
    QCOMPARE(expectedLine, lengths.last());
    int linesOnLastPage = 0;
    for (const Entry &entry : all)
        linesOnLastPage += entry.page == all.last().page && entry.doc >= 0 ? 1 : 0;
    QVERIFY(linesOnLastPage > 1);
}

void tst_Archive::lastPageHoldsMoreThanOneLine_data()
{
    QTest::addColumn<int>("extraDocuments");
    QTest::newRow("the last line of a document") << 0;
    QTest::newRow("a one-line document after a full page") << 1;
}

// A report whose last page would hold one line (the lines that fill the first page, found
// by placing a longer document, and one more: of the same document, or of a document of its
// own) gets a second line there, with the label of the continued document.
void tst_Archive::lastPageHoldsMoreThanOneLine()
{
    QFETCH(int, extraDocuments);
    QCOMPARE(runDocuments({3000}, true, false), QString());
    int pageOne = 0;
    for (const PlacedItem &item : qAsConst(placed))
        pageOne += item.page == 1 && item.text.startsWith(QLatin1String("D0")) ? 1 : 0;

    init();
    const QList<int> lengths = extraDocuments == 0 ? QList<int>{pageOne + 1} : QList<int>{pageOne, 1};
    QCOMPARE(runDocuments(lengths, true, false), QString());
    QStringList lastPage;
    for (const PlacedItem &item : qAsConst(placed)) {
        if (item.page == 2)
            lastPage.append(item.text);
    }
    const QString line = QStringLiteral("D0000 L%1");
    QStringList expected{QStringLiteral("Dokument 1 (cd.)"), line.arg(pageOne - 1, 3, 10, QLatin1Char('0'))};
    expected.append(extraDocuments == 0 ? line.arg(pageOne, 3, 10, QLatin1Char('0')) : QStringLiteral("D0001 L000"));
    QCOMPARE(lastPage.join(QLatin1Char('|')), expected.join(QLatin1Char('|')));
}

QTEST_MAIN(tst_Archive)
#include "tst_archive.moc"
