#include "mvkeys.h"
#include "pdfprobe.h"
#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"
#include "testjob.h"
#include "testscale.h"

#include <QBuffer>
#include <QDir>
#include <QGraphicsRectItem>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <limits>

namespace {

// An entry opens the page a little above the first word of what it marks: the word's box
// starts below the top of its line.
constexpr double kMaxLeadingPt = 6.0;
const QString kCancelled = QStringLiteral("Generowanie dokumentu przerwane przez użytkownika.");
constexpr int kManyDocuments = TestScale::sized(3000, 600);
constexpr int kRewrittenDocuments = TestScale::sized(300, 100);

QHash<QString, PdfProbe::Word> wordsByText(const QString &path)
{
    QHash<QString, PdfProbe::Word> byText;
    for (const PdfProbe::Word &word : PdfProbe::words(path))
        byText.insert(word.text, word);
    return byText;
}

// Checks that an entry opens the page of word, just above it, by the same distance as every
// entry of its kind (leading < 0: not yet measured).
void expectAt(const PdfProbe::OutlineEntry &entry, const PdfProbe::Word &word, double &leading)
{
    constexpr double kSameLeadingPt = 0.05;
    const double distance = word.box.top() - entry.top;
    if (leading < 0.0)
        leading = distance;
    QCOMPARE(entry.page, word.page);
    QVERIFY2(distance >= 0.0 && distance <= kMaxLeadingPt && qAbs(distance - leading) < kSameLeadingPt,
             qPrintable(QStringLiteral("%1: entry at %2, word at %3")
                        .arg(entry.title).arg(entry.top).arg(word.box.top())));
}

// "D00012" for letter D and number 12: the words that open and close documents and receipts.
QString mark(char letter, int k)
{
    return QStringLiteral("%1%2").arg(QLatin1Char(letter)).arg(k, 5, 10, QLatin1Char('0'));
}

// Document k of the report (from 1): mark D opening it, then lines, mark E closing it; some
// documents run longer than a page. Its outline title is given, numbered or the default, in
// turn; the title expected for it is appended to titles.
DocumentGraphics receipt(int k, AsyncReportsHelper &helper, QStringList &titles)
{
    constexpr int kLongEvery = 500;   // a document longer than a page, now and then
    constexpr int kNumberBase = 50000;
    const QTextCharFormat format = helper.formats[MvKeys::PrintoutFormat];
    const int lines = k % kLongEvery == 0 ? 400 : 1 + k % 9;
    DocumentGraphics doc;
    doc.items.append(helper.createTextItemWithFormat(mark('D', k), format));
    for (int i = 1; i < lines; ++i)
        doc.items.append(helper.createTextItemWithFormat(QStringLiteral("linia %1").arg(i), format));
    doc.items.append(helper.createTextItemWithFormat(mark('E', k), format));
    // In turn: a given title, a number, an empty title (counts as none), a title not a string.
    const int kind = k % 4;
    if (kind == 1)
        doc.attributes.insert(MvKeys::NumberAttribute, kNumberBase + k);
    else
        doc.attributes.insert(MvKeys::TitleAttribute, kind == 0 ? QVariant(QStringLiteral("Paragon %1 — żółć").arg(k))
                                                    : kind == 2 ? QVariant(QString()) : QVariant(k));
    titles << (kind == 0 ? QStringLiteral("Paragon %1 — żółć").arg(k)
                   : kind == 1 ? QStringLiteral("Dokument nr %1").arg(kNumberBase + k)
                   : kind == 2 ? QStringLiteral("Dokument %1").arg(k) : QString::number(k));
    return doc;
}

} // namespace

class tst_Outline : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void documentEntries();
    void lineEntries();
    void entryAtTheFirstVisibleItem();
    void endsDuringRewrite_data();
    void endsDuringRewrite();
    void archiveProfile_data();
    void archiveProfile();
    void archiveLimits();
    void groupsOfLongOutlines_data();
    void groupsOfLongOutlines();

private:
    std::unique_ptr<QTemporaryDir> dir;
};

void tst_Outline::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void tst_Outline::documentEntries()
{
    TestJob job;
    job.fileName = dir->filePath(QStringLiteral("documents.pdf"));
    job.outline = true;
    // One level, to read each entry beside its place (grouping has its own test).
    job.configure = [](PDFRendererBase &renderer) { renderer.setOutlineGroupSize(0); };
    QStringList titles;
    job.fillDocuments = [&titles](PDFRendererDocuments &renderer) {
        for (int k = 1; k <= kManyDocuments; ++k)
            renderer.appendDoc(receipt(k, renderer.getHlp(), titles));
    };
    QCOMPARE(job.run(), QString());

    const QList<PdfProbe::OutlineEntry> entries = PdfProbe::outline(job.fileName);
    QCOMPARE(entries.size(), kManyDocuments);
    const QHash<QString, PdfProbe::Word> words = wordsByText(job.fileName);
    double contentTop = entries.first().top;
    for (const PdfProbe::OutlineEntry &entry : entries)
        contentTop = qMin(contentTop, entry.top);
    bool startsAtPageTop = false, splitAcrossPages = false;
    double lineLeading = -1.0, headerLeading = -1.0;   // not measured yet
    for (int k = 1; k <= kManyDocuments; ++k) {
        const PdfProbe::OutlineEntry &entry = entries.at(k - 1);
        QCOMPARE(entry.title, titles.at(k - 1));
        // A numbered document begins with its number header.
        const PdfProbe::Word opening = words.value(k % 4 == 1 ? QString::number(50000 + k) : mark('D', k));
        expectAt(entry, opening, k % 4 == 1 ? headerLeading : lineLeading);
        splitAcrossPages = splitAcrossPages || words.value(mark('E', k)).page > entry.page;
        startsAtPageTop = startsAtPageTop
                || (entry.page > 1 && qAbs(entry.top - contentTop) < 0.5 && opening.box.left() < 595.0 / 3);
    }
    QVERIFY(splitAcrossPages);
    QVERIFY(startsAtPageTop);
    QVERIFY(PdfProbe::structureValid(job.fileName));
}

void tst_Outline::lineEntries()
{
    // Receipts of a growing length, whitespace to be collapsed in the titles; a line over 50
    // characters makes its page start again in two columns, which must not repeat entries.
    constexpr int kReceipts = 400;
    TestJob job;
    PDFRenderer renderer(&job);
    QVERIFY(renderer.setOutlinePattern(QStringLiteral("P")) && !renderer.setOutlinePattern(QStringLiteral("(P")));
    QCOMPARE(renderer.outlinePattern(), QStringLiteral("P"));
    QVERIFY(renderer.setOutlinePattern(QString()) && renderer.outlinePattern().isEmpty());
    job.fileName = dir->filePath(QStringLiteral("lines.pdf"));
    job.outlinePattern = QStringLiteral("^\\s*PARAGON\\s+FISKALNY");
    for (int r = 1; r <= kReceipts; ++r) {
        job.lines.append(QStringLiteral("  PARAGON   FISKALNY\t %1 ").arg(mark('P', r)));
        for (int i = 0; i < r % 13; ++i)
            job.lines.append(QStringLiteral("pozycja %1").arg(i));
        if (r % 97 == 0)
            job.lines.append(QString(60, QLatin1Char('=')));
    }
    QCOMPARE(job.run(), QString());

    const QList<PdfProbe::OutlineEntry> entries = PdfProbe::outline(job.fileName);
    QCOMPARE(entries.size(), kReceipts);
    const QHash<QString, PdfProbe::Word> words = wordsByText(job.fileName);
    double leading = -1.0;
    for (int r = 1; r <= kReceipts; ++r) {
        QCOMPARE(entries.at(r - 1).title, QStringLiteral("PARAGON FISKALNY ") + mark('P', r));
        expectAt(entries.at(r - 1), words.value(mark('P', r)), leading);
    }
}

// A document that begins with an invisible item at the foot of a page and shows its first
// words on the next: its entry opens the next page, where the reader sees it begin.
void tst_Outline::entryAtTheFirstVisibleItem()
{
    TestJob job;
    job.fileName = dir->filePath(QStringLiteral("invisible.pdf"));
    job.outline = true;
    job.fillDocuments = [](PDFRendererDocuments &) {};
    job.afterPrepare = [](PDFRendererBase &base) {
        auto &renderer = static_cast<PDFRendererDocuments &>(base);
        const double height = renderer.getHlp().contentHeight();
        const double gap = renderer.getHlp().MMTOPT(1.0);
        // Three columns filled, the last one to a gap's height from its foot.
        for (const double filled : {height, height, height - 3 * gap}) {
            DocumentGraphics column;
            column.items = {new QGraphicsRectItem(0, 0, 40, filled)};
            static_cast<QGraphicsRectItem *>(column.items.first())->setPen(Qt::NoPen);
            renderer.appendDoc(column);
        }
        auto *hidden = new QGraphicsRectItem(0, 0, 40, 0);
        hidden->setVisible(false);
        DocumentGraphics doc;
        doc.items = {hidden, renderer.getHlp().createTextItemWithFormat(QStringLiteral("POCZATEK"),
                                                                      renderer.getHlp().formats[MvKeys::PrintoutFormat])};
        renderer.appendDoc(doc);
    };
    QCOMPARE(job.run(), QString());
    const QList<PdfProbe::OutlineEntry> entries = PdfProbe::outline(job.fileName);
    QCOMPARE(entries.size(), 4);
    double leading = -1.0;
    expectAt(entries.last(), wordsByText(job.fileName).value(QStringLiteral("POCZATEK")), leading);
    QCOMPARE(entries.last().page, 2);
}

void tst_Outline::endsDuringRewrite_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("readies");
    QTest::addColumn<bool>("replaced");     // the earlier report at the path gives way to the new
    QTest::newRow("abort") << "abort" << QStringList{kCancelled} << false;
    QTest::newRow("new start") << "restart" << QStringList{kCancelled, QString()} << true;
    QTest::newRow("job destroyed") << "destroy" << QStringList() << false;
    QTest::newRow("write fails") << "/dev/full" << QStringList{QStringLiteral("Nie można zapisać pliku PDF: /dev/full")}
                                 << false;
}

// However a run with an outline ends before its file is complete, the path keeps the report
// that stood there, whole, and no work file is left beside it.
void tst_Outline::endsDuringRewrite()
{
    QFETCH(QString, action);
    QFETCH(QStringList, readies);
    QFETCH(bool, replaced);
    const QString earlierPath = dir->filePath(QStringLiteral("report.pdf"));
    QFile earlier(earlierPath);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier report") > 0);
    earlier.close();
    QPointer<TestJob> job(new TestJob);
    job->fileName = action.startsWith(QLatin1Char('/')) ? action : earlierPath;
    job->outline = true;
    job->fillDocuments = [](PDFRendererDocuments &renderer) {
        QStringList titles;
        for (int k = 1; k <= kRewrittenDocuments; ++k)
            renderer.appendDoc(receipt(k, renderer.getHlp(), titles));
    };
    // The action is queued as the last page is written, so it arrives while the report is
    // finished.
    bool acted = false;
    job->lastPageComposed = [&]() {
        TestJob *target = job;
        QMetaObject::invokeMethod(target, [target, action, first = !std::exchange(acted, true)]() {
            if (first && action == QLatin1String("abort"))
                target->abortReport();
            else if (first && action == QLatin1String("restart"))
                target->do_process();
            else if (first && action == QLatin1String("destroy"))
                delete target;
        }, Qt::QueuedConnection);
    };
    QStringList readyTexts;
    connect(job, &AsyncReportsBase::ready, [&readyTexts](const QString &text) { readyTexts.append(text); });
    job->do_process();
    QTRY_VERIFY_WITH_TIMEOUT(readyTexts.size() >= readies.size() && (job || action == QLatin1String("destroy")), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(action != QLatin1String("destroy") || !job, 60000);
    deliverQueuedCalls();
    QCOMPARE(readyTexts, readies);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("report.pdf")});
    if (replaced) {
        QCOMPARE(PdfProbe::outline(earlierPath).size(), kRewrittenDocuments);
    } else {
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier report"));
    }
    delete job;
}

void tst_Outline::archiveProfile_data()
{
    QTest::addColumn<bool>("documents");
    QTest::addColumn<bool>("outline");
    QTest::addColumn<bool>("pdfA1b");
    QTest::addColumn<bool>("intoBuffer");   // written into the host's QBuffer, not to a path
    QTest::newRow("lines, plain") << false << false << false << false;
    QTest::newRow("lines, PDF/A-1b") << false << false << true << false;
    QTest::newRow("lines, outline, PDF/A-1b") << false << true << true << false;
    QTest::newRow("documents, outline, PDF/A-1b") << true << true << true << false;
    QTest::newRow("documents, outline") << true << true << false << false;
    QTest::newRow("lines into a buffer") << false << false << false << true;
    QTest::newRow("lines, outline, into a buffer") << false << true << false << true;
    QTest::newRow("documents, outline, PDF/A-1b, into a buffer") << true << true << true << true;
}

void tst_Outline::archiveProfile()
{
    QFETCH(bool, documents);
    QFETCH(bool, outline);
    QFETCH(bool, pdfA1b);
    QFETCH(bool, intoBuffer);
    TestJob job;
    job.fileName = dir->filePath(QStringLiteral("archive.pdf"));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (intoBuffer)
        job.device = &buffer;
    // Characters XML forbids are left out of the metadata.
    const QString title = QStringLiteral("Zestawienie łódzkie & <kasa>");
    job.title = title + QChar(1) + QChar(0xFFFE);
    job.pdfA1b = pdfA1b;
    if (documents) {
        job.outline = outline;
        job.fillDocuments = [](PDFRendererDocuments &renderer) {
            QStringList titles;
            for (int k = 1; k <= 40; ++k)
                renderer.appendDoc(receipt(k, renderer.getHlp(), titles));
        };
    } else {
        job.lines = numberedLines(500);
        job.outlinePattern = outline ? QStringLiteral("^W\\d+0 ") : QString();
    }
    QCOMPARE(job.run(), QString());
    // A buffer gets the whole document, and the path nothing; the document is checked in a file.
    QCOMPARE(QFile::exists(job.fileName), !intoBuffer);
    QCOMPARE(job.lastOutputPath().isEmpty(), intoBuffer);
    QFile saved(job.fileName);
    QVERIFY(!intoBuffer || (saved.open(QIODevice::WriteOnly) && saved.write(buffer.data()) == buffer.size()));
    saved.close();

    QVERIFY(PdfProbe::structureValid(job.fileName));
    QCOMPARE(PdfProbe::info(job.fileName, QStringLiteral("Title")), title);
    // Without object streams every dictionary stands in the file as text.
    QFile file(job.fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(!pdf.contains("/Encrypt") && !pdf.contains("/ObjStm"));
    QCOMPARE(pdf.contains("/Outlines"), outline);
    QCOMPARE(pdf.contains("/OutputIntents") && pdf.contains("/GTS_PDFA1"), pdfA1b);
    // Modified when made.
    const QString created = PdfProbe::info(job.fileName, QStringLiteral("CreationDate"));
    QVERIFY(!created.isEmpty());
    QCOMPARE(PdfProbe::info(job.fileName, QStringLiteral("ModDate")), created);
    if (!pdfA1b)
        return;

    // PDF/A-1: version 1.4, every font embedded, XMP naming the profile, title and creator.
    QCOMPARE(PdfProbe::info(job.fileName, QStringLiteral("PDF version")), QStringLiteral("1.4"));
    QProcess tool;
    tool.start(QStringLiteral(PDFFONTS_EXECUTABLE), {job.fileName});
    QVERIFY(tool.waitForFinished());
    const QStringList fontRows = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    QVERIFY(!fontRows.isEmpty());
    for (const QString &row : fontRows)
        QVERIFY2(row.contains(QRegularExpression(QStringLiteral("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$"))), qPrintable(row));
    tool.start(QStringLiteral(PDFINFO_EXECUTABLE), {QStringLiteral("-meta"), job.fileName});
    QVERIFY(tool.waitForFinished());
    const QString xmp = QString::fromUtf8(tool.readAllStandardOutput());
    // Every property an element of its own, the dates the document information's moment.
    QXmlStreamReader xml(xmp);
    QHash<QString, QString> properties;
    const QStringList schemas{QStringLiteral("dc"), QStringLiteral("xmp"), QStringLiteral("pdf"), QStringLiteral("pdfaid")};
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && schemas.contains(xml.prefix().toString()))
            properties.insert(xml.qualifiedName().toString(), xml.readElementText(QXmlStreamReader::IncludeChildElements));
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(properties.value(QStringLiteral("pdfaid:part")), QStringLiteral("1"));
    QCOMPARE(properties.value(QStringLiteral("pdfaid:conformance")), QStringLiteral("B"));
    QCOMPARE(properties.value(QStringLiteral("dc:title")), title);
    QCOMPARE(properties.value(QStringLiteral("xmp:CreatorTool")), QStringLiteral("VORANT Mevolin 3"));
    QCOMPARE(properties.value(QStringLiteral("pdf:Producer")), PdfProbe::info(job.fileName, QStringLiteral("Producer")));
    const QDateTime moment = QDateTime::fromString(properties.value(QStringLiteral("xmp:CreateDate")), Qt::ISODate);
    QVERIFY(moment.isValid());
    QVERIFY(pdf.contains("/CreationDate (D:" + moment.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)"));
    QCOMPARE(properties.value(QStringLiteral("xmp:ModifyDate")), properties.value(QStringLiteral("xmp:CreateDate")));
}

// PDF 1.4's limits, binding for PDF/A-1: a report of more pages than an array may hold gets a
// page tree of arrays within the limit, and a title longer than a string may hold is cut.
void tst_Outline::archiveLimits()
{
    if (qEnvironmentVariableIsSet("MVPDFRENDER_QUICK"))
        QSKIP("a stress case of 8 200 pages, left to the full run");
    // Minutes under the sanitizers on a busy machine; the normal run has the full case.
    if (TestScale::kSanitized)
        QSKIP("a stress case of 8 200 pages, left to the run without sanitizers");
    TestJob job;
    job.fileName = dir->filePath(QStringLiteral("limits.pdf"));
    job.pdfA1b = true;
    job.title = QStringLiteral("Zestawienie ").repeated(4000);
    job.fillDocuments = [](PDFRendererDocuments &) {};
    job.afterPrepare = [](PDFRendererBase &base) {
        auto &renderer = static_cast<PDFRendererDocuments &>(base);
        // Three columns a page, each a document of one block as tall as the column.
        for (int k = 0; k < 3 * 8200; ++k) {
            DocumentGraphics column;
            column.items = {new QGraphicsRectItem(0, 0, 40, renderer.getHlp().contentHeight())};
            renderer.appendDoc(column);
        }
    };
    QCOMPARE(job.run(), QString());
    QCOMPARE(PdfProbe::pageCount(job.fileName), 8200);
    QVERIFY(PdfProbe::structureValid(job.fileName));
    const QString title = PdfProbe::info(job.fileName, QStringLiteral("Title"));
    QVERIFY(title.size() <= 32767 && title.endsWith(QChar(0x2026)) && job.title.startsWith(title.chopped(1)));
    // The document as it now stands, one array element a line.
    const QString rewritten = dir->filePath(QStringLiteral("limits.qdf"));
    QCOMPARE(QProcess::execute(QStringLiteral(QPDF_EXECUTABLE), {QStringLiteral("--qdf"), job.fileName, rewritten}), 0);
    QFile qdf(rewritten);
    QVERIFY(qdf.open(QIODevice::ReadOnly));
    int longest = 0;
    for (const QByteArray &kids : qdf.readAll().split('[').mid(1))
        longest = qMax(longest, int(kids.left(kids.indexOf(']')).count(" 0 R")));
    QVERIFY2(longest > 0 && longest <= 8191, qPrintable(QString::number(longest)));
}

void tst_Outline::groupsOfLongOutlines_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("groupSize");
    QTest::addColumn<QVector<int>>("levels");   // items a level holds, from the top

    QTest::newRow("500 stay flat") << 500 << 100 << QVector<int>{500};
    QTest::newRow("501 grouped by 100") << 501 << 100 << QVector<int>{6, 501};
    QTest::newRow("grouping off") << 501 << 0 << QVector<int>{501};
    QTest::newRow("size 1 is off") << 501 << 1 << QVector<int>{501};
    QTest::newRow("groups of 250") << 600 << 250 << QVector<int>{3, 600};
    QTest::newRow("groups grouped again") << 1001 << 2 << QVector<int>{251, 501, 1001};
    QTest::newRow("one group as large as can be") << 501 << std::numeric_limits<int>::max() << QVector<int>{1, 501};
}

// Every entry stays in the outline, in order, opening its page; a parent of more than the
// flat limit is grouped, each group closed, titled by the pages of its entries and opening
// where its first entry does. The update's cross-reference section starts at object 0.
void tst_Outline::groupsOfLongOutlines()
{
    QFETCH(int, entries);
    QFETCH(int, groupSize);
    QFETCH(QVector<int>, levels);
    TestJob job;
    job.fileName = dir->filePath(QStringLiteral("grouped.pdf"));
    job.outlinePattern = QStringLiteral("^P");
    for (int k = 0; k < entries; ++k)
        job.lines.append(mark('P', k));
    job.configure = [groupSize](PDFRendererBase &renderer) { renderer.setOutlineGroupSize(groupSize); };
    QCOMPARE(job.run(), QString());

    QVector<int> found;
    QList<PdfProbe::OutlineEntry> level = PdfProbe::outline(job.fileName);
    while (!level.isEmpty()) {
        found.append(level.size());
        QList<PdfProbe::OutlineEntry> below;
        for (const PdfProbe::OutlineEntry &entry : qAsConst(level)) {
            if (entry.kids.empty())
                continue;
            QVERIFY(!entry.open && int(entry.kids.size()) <= qMax(groupSize, 2));
            const int first = entry.kids.front().page;
            const PdfProbe::OutlineEntry *lastEntry = &entry;
            while (!lastEntry->kids.empty())
                lastEntry = &lastEntry->kids.back();
            const int last = lastEntry->page;
            QCOMPARE(entry.title, first == last ? QStringLiteral("Strona %1").arg(first)
                                                : QStringLiteral("Strony %1-%2").arg(first).arg(last));
            QCOMPARE(entry.page, first);
            QCOMPARE(entry.top, entry.kids.front().top);
            below.append(QList<PdfProbe::OutlineEntry>(entry.kids.cbegin(), entry.kids.cend()));
        }
        if (below.isEmpty()) {
            for (int k = 0; k < entries; ++k)
                QCOMPARE(level.at(k).title, mark('P', k));
        }
        level = below;
    }
    QCOMPARE(found, levels);
    QFile file(job.fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.mid(pdf.lastIndexOf("\nxref\n")).startsWith("\nxref\n0 1\n0000000000 65535 f \n"));
    QVERIFY(PdfProbe::structureValid(job.fileName));
}

QTEST_MAIN(tst_Outline)
#include "tst_outline.moc"
