#include "mvkeys.h"
#include "pdfprobe.h"
#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"
#include "testjob.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

// An entry opens the page a little above the first word of what it marks: the word's box
// starts below the top of its line.
constexpr double kMaxLeadingPt = 6.0;
const QString kCancelled = QStringLiteral("Generowanie dokumentu przerwane przez użytkownika.");
// Under the sanitizers, which look for memory faults rather than at scale, reports are smaller.
#ifdef __SANITIZE_ADDRESS__
constexpr int kManyDocuments = 600;
constexpr int kRewrittenDocuments = 100;
#else
constexpr int kManyDocuments = 3000;
constexpr int kRewrittenDocuments = 300;
#endif

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

QJsonObject value(const QJsonObject &objects, const QJsonValue &reference)
{
    return objects.value(QLatin1String("obj:") + reference.toString()).toObject()
            .value(QLatin1String("value")).toObject();
}

// Document k of the report (from 1): "D0000k" opening it, then lines, "E0000k" closing it; some
// documents run longer than a page. Its outline title is given, numbered or the default, in turn.
DocumentGraphics receipt(int k, AsyncReportsHelper &helper, QString *expectedTitle)
{
    constexpr int kLongEvery = 500;   // a document longer than a page, now and then
    constexpr int kNumberBase = 50000;
    const QTextCharFormat format = helper.formats[MvKeys::PrintoutFormat];
    const int lines = k % kLongEvery == 0 ? 400 : 1 + k % 9;
    DocumentGraphics doc;
    doc.items.append(helper.createTextItemWithFormat(QStringLiteral("D%1").arg(k, 5, 10, QLatin1Char('0')), format));
    for (int i = 1; i < lines; ++i)
        doc.items.append(helper.createTextItemWithFormat(QStringLiteral("linia %1").arg(i), format));
    doc.items.append(helper.createTextItemWithFormat(QStringLiteral("E%1").arg(k, 5, 10, QLatin1Char('0')), format));
    switch (k % 4) {
    case 0:
        doc.attributes.insert(MvKeys::TitleAttribute, QStringLiteral("Paragon %1 — żółć").arg(k));
        *expectedTitle = QStringLiteral("Paragon %1 — żółć").arg(k);
        break;
    case 1:
        doc.attributes.insert(MvKeys::NumberAttribute, kNumberBase + k);
        *expectedTitle = QStringLiteral("Dokument nr %1").arg(kNumberBase + k);
        break;
    case 2:
        // An empty title counts as none.
        doc.attributes.insert(MvKeys::TitleAttribute, QString());
        *expectedTitle = QStringLiteral("Dokument %1").arg(k);
        break;
    default:
        doc.attributes.insert(MvKeys::TitleAttribute, k);
        *expectedTitle = QString::number(k);
        break;
    }
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
    void patternSetting();
    void endsDuringRewrite_data();
    void endsDuringRewrite();
    void archiveProfile_data();
    void archiveProfile();

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
    constexpr int kDocuments = kManyDocuments;
    TestJob job;
    job.fileName = dir->filePath(QStringLiteral("documents.pdf"));
    job.outline = true;
    QStringList titles;
    job.fillDocuments = [&titles](PDFRendererDocuments &renderer) {
        for (int k = 1; k <= kDocuments; ++k) {
            QString title;
            renderer.appendDoc(receipt(k, renderer.getHlp(), &title));
            titles.append(title);
        }
    };
    QCOMPARE(job.run(), QString());

    const QList<PdfProbe::OutlineEntry> entries = PdfProbe::outline(job.fileName);
    QCOMPARE(entries.size(), kDocuments);
    const QHash<QString, PdfProbe::Word> words = wordsByText(job.fileName);
    double contentTop = entries.first().top;
    for (const PdfProbe::OutlineEntry &entry : entries)
        contentTop = qMin(contentTop, entry.top);
    bool startsAtPageTop = false;
    bool splitAcrossPages = false;
    double lineLeading = -1.0;
    double headerLeading = -1.0;
    for (int k = 1; k <= kDocuments; ++k) {
        const PdfProbe::OutlineEntry &entry = entries.at(k - 1);
        QCOMPARE(entry.title, titles.at(k - 1));
        // A numbered document begins with its number header.
        const QString first = k % 4 == 1 ? QString::number(50000 + k)
                                         : QStringLiteral("D%1").arg(k, 5, 10, QLatin1Char('0'));
        const PdfProbe::Word opening = words.value(first);
        expectAt(entry, opening, k % 4 == 1 ? headerLeading : lineLeading);
        const PdfProbe::Word closing = words.value(QStringLiteral("E%1").arg(k, 5, 10, QLatin1Char('0')));
        splitAcrossPages = splitAcrossPages || closing.page > entry.page;
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
    job.fileName = dir->filePath(QStringLiteral("lines.pdf"));
    job.outlinePattern = QStringLiteral("^\\s*PARAGON\\s+FISKALNY");
    for (int r = 1; r <= kReceipts; ++r) {
        job.lines.append(QStringLiteral("  PARAGON   FISKALNY\t P%1 ").arg(r, 5, 10, QLatin1Char('0')));
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
        const QString mark = QStringLiteral("P%1").arg(r, 5, 10, QLatin1Char('0'));
        QCOMPARE(entries.at(r - 1).title, QStringLiteral("PARAGON FISKALNY ") + mark);
        expectAt(entries.at(r - 1), words.value(mark), leading);
    }
}

void tst_Outline::patternSetting()
{
    TestJob job;
    PDFRenderer renderer(&job);
    QVERIFY(renderer.setOutlinePattern(QStringLiteral("PARAGON")));
    QVERIFY(!renderer.setOutlinePattern(QStringLiteral("(unclosed")));
    QCOMPARE(renderer.outlinePattern(), QStringLiteral("PARAGON"));
    QVERIFY(renderer.setOutlinePattern(QString()));
    QCOMPARE(renderer.outlinePattern(), QString());
}

void tst_Outline::endsDuringRewrite_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("fileName");   // empty: a file in the test folder
    QTest::newRow("abort") << "abort" << QString();
    QTest::newRow("new start") << "restart" << QString();
    QTest::newRow("job destroyed") << "destroy" << QString();
    QTest::newRow("write fails") << "none" << QStringLiteral("/dev/full");
}

void tst_Outline::endsDuringRewrite()
{
    QFETCH(QString, action);
    QFETCH(QString, fileName);
    QPointer<TestJob> job(new TestJob);
    job->fileName = fileName.isEmpty() ? dir->filePath(QStringLiteral("report.pdf")) : fileName;
    job->outline = true;
    job->fillDocuments = [](PDFRendererDocuments &renderer) {
        QString title;
        for (int k = 1; k <= kRewrittenDocuments; ++k)
            renderer.appendDoc(receipt(k, renderer.getHlp(), &title));
    };
    // The action is queued as the last page ends, so it arrives while the outline is written.
    bool acted = false;
    job->afterLastPage = [&]() {
        if (acted)
            return;
        acted = true;
        TestJob *target = job;
        QMetaObject::invokeMethod(target, [target, action]() {
            if (action == QLatin1String("abort"))
                target->abortReport();
            else if (action == QLatin1String("restart"))
                target->do_process();
            else if (action == QLatin1String("destroy"))
                delete target;
        }, Qt::QueuedConnection);
    };
    QStringList readyTexts;
    connect(job, &AsyncReportsBase::ready, [&readyTexts](const QString &text) { readyTexts.append(text); });
    job->do_process();
    const int expectedReadies = action == QLatin1String("restart") ? 2 : action == QLatin1String("destroy") ? 0 : 1;
    QTRY_VERIFY_WITH_TIMEOUT(readyTexts.size() >= expectedReadies && (job || action == QLatin1String("destroy")), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(action != QLatin1String("destroy") || !job, 60000);
    deliverQueuedCalls();
    QCOMPARE(readyTexts.size(), expectedReadies);

    if (action == QLatin1String("restart")) {
        QCOMPARE(readyTexts, QStringList({kCancelled, QString()}));
        QCOMPARE(PdfProbe::outline(job->fileName).size(), kRewrittenDocuments);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("report.pdf")});
    } else if (action == QLatin1String("none")) {
        QCOMPARE(readyTexts.first(), QStringLiteral("Nie można zapisać pliku PDF: /dev/full"));
        QCOMPARE(job->lastOutcome(), AsyncReportsBase::Outcome::WriteFailed);
        struct stat device {};
        QVERIFY(::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode));
    } else {
        if (action == QLatin1String("abort")) {
            QCOMPARE(readyTexts.first(), kCancelled);
            QCOMPARE(job->lastOutcome(), AsyncReportsBase::Outcome::Cancelled);
        }
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
    delete job;
}

void tst_Outline::archiveProfile_data()
{
    QTest::addColumn<bool>("documents");
    QTest::addColumn<bool>("outline");
    QTest::addColumn<bool>("pdfA1b");
    QTest::newRow("lines, plain") << false << false << false;
    QTest::newRow("lines, PDF/A-1b") << false << false << true;
    QTest::newRow("lines, outline, PDF/A-1b") << false << true << true;
    QTest::newRow("documents, outline, PDF/A-1b") << true << true << true;
    QTest::newRow("documents, outline") << true << true << false;
}

void tst_Outline::archiveProfile()
{
    QFETCH(bool, documents);
    QFETCH(bool, outline);
    QFETCH(bool, pdfA1b);
    TestJob job;
    job.fileName = dir->filePath(QStringLiteral("archive.pdf"));
    job.title = QStringLiteral("Zestawienie łódzkie & <kasa>");
    job.pdfA1b = pdfA1b;
    if (documents) {
        job.outline = outline;
        job.fillDocuments = [](PDFRendererDocuments &renderer) {
            QString title;
            for (int k = 1; k <= 40; ++k)
                renderer.appendDoc(receipt(k, renderer.getHlp(), &title));
        };
    } else {
        job.lines = numberedLines(500);
        job.outlinePattern = outline ? QStringLiteral("^W\\d+0 ") : QString();
    }
    QCOMPARE(job.run(), QString());

    QVERIFY(PdfProbe::structureValid(job.fileName));
    QCOMPARE(PdfProbe::info(job.fileName, QStringLiteral("Title")), job.title);
    QCOMPARE(PdfProbe::info(job.fileName, QStringLiteral("Encrypted")), QStringLiteral("no"));
    const QJsonObject objects = PdfProbe::objects(job.fileName);
    const QJsonObject trailer = objects.value(QLatin1String("trailer")).toObject()
            .value(QLatin1String("value")).toObject();
    QVERIFY(!trailer.contains(QLatin1String("/Encrypt")));
    const QJsonObject root = value(objects, trailer.value(QLatin1String("/Root")));
    QCOMPARE(root.contains(QLatin1String("/Outlines")), outline);
    QCOMPARE(PdfProbe::outline(job.fileName).isEmpty(), !outline);
    QCOMPARE(root.contains(QLatin1String("/Metadata")), pdfA1b);
    QCOMPARE(root.contains(QLatin1String("/OutputIntents")), pdfA1b);
    if (!pdfA1b)
        return;

    // PDF/A-1: version 1.4, no object streams, every font embedded, XMP naming the profile.
    QCOMPARE(PdfProbe::info(job.fileName, QStringLiteral("PDF version")), QStringLiteral("1.4"));
    for (const QJsonValue &object : objects) {
        const QJsonObject stream = object.toObject().value(QLatin1String("stream")).toObject();
        QVERIFY(stream.value(QLatin1String("dict")).toObject().value(QLatin1String("/Type")).toString()
                != QLatin1String("/ObjStm"));
    }
    QProcess fonts;
    fonts.start(QStringLiteral(PDFFONTS_EXECUTABLE), {job.fileName});
    QVERIFY(fonts.waitForFinished());
    const QStringList fontRows = QString::fromUtf8(fonts.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    QVERIFY(!fontRows.isEmpty());
    for (const QString &row : fontRows)
        QVERIFY2(row.contains(QRegularExpression(QStringLiteral("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$"))), qPrintable(row));
    QCOMPARE(value(objects, root.value(QLatin1String("/OutputIntents")).toArray().first())
             .value(QLatin1String("/S")).toString(), QStringLiteral("/GTS_PDFA1"));
    const QJsonObject metadata = objects.value(QLatin1String("obj:") + root.value(QLatin1String("/Metadata")).toString())
            .toObject().value(QLatin1String("stream")).toObject();
    const QString xmp = QString::fromUtf8(QByteArray::fromBase64(metadata.value(QLatin1String("data")).toString().toLatin1()));
    QVERIFY2(xmp.contains(QLatin1String("pdfaid:part=\"1\"")) && xmp.contains(QLatin1String("pdfaid:conformance=\"B\"")), qPrintable(xmp));
    QVERIFY2(xmp.contains(QStringLiteral("Zestawienie łódzkie &amp; &lt;kasa&gt;")), qPrintable(xmp));
    QVERIFY2(xmp.contains(QLatin1String("VORANT Mevolin 3")), qPrintable(xmp));
}

QTEST_MAIN(tst_Outline)
#include "tst_outline.moc"
