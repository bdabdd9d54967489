#include "pdfprobe.h"
#include "pdfrenderer.h"
#include "testjob.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cmath>

namespace {

const QString kHeading = QStringLiteral("NAGLOWEK");
const QString kCancelled = QStringLiteral("Generowanie dokumentu przerwane przez użytkownika.");
const QString kNoData = QStringLiteral("Błąd renderowania PDF. Brak danych?");

using Outcome = AsyncReportsBase::Outcome;

struct Run
{
    QString ready;
    QStringList progress;
    int readyCount = 0;
    // Read by a slot connected queued to ready(), which runs after ready() has returned.
    Outcome outcome = Outcome::Completed;
    QString outputPath;
};

Run runJob(TestJob &job)
{
    QSignalSpy progressSpy(&job, &AsyncReportsBase::progress);
    QSignalSpy readySpy(&job, &AsyncReportsBase::ready);
    Run run;
    QObject::connect(&job, &AsyncReportsBase::ready, &job, [&]() {
        run.outcome = job.lastOutcome();
        run.outputPath = job.lastOutputPath();
    }, Qt::QueuedConnection);
    run.ready = job.run();
    deliverQueuedCalls();   // a stray pass after ready would show up here
    for (const QList<QVariant> &args : qAsConst(progressSpy))
        run.progress.append(args.first().toString());
    run.readyCount = readySpy.size();
    return run;
}

// How many times the heading stands on each page: one per column but the first of page 1.
QList<int> headingsPerPage(const QString &path)
{
    QList<int> counts;
    for (const PdfProbe::Word &word : PdfProbe::words(path)) {
        while (counts.size() < word.page)
            counts.append(0);
        if (word.text == kHeading)
            ++counts[word.page - 1];
    }
    return counts;
}

// The pages on which the numbered lines stand, by line number.
QMap<int, int> pageOfLine(const QString &path)
{
    QMap<int, int> pages;
    const QRegularExpression token(QStringLiteral("^W(\\d{5})$"));
    for (const PdfProbe::Word &word : PdfProbe::words(path)) {
        const QRegularExpressionMatch match = token.match(word.text);
        if (match.hasMatch())
            pages.insert(match.captured(1).toInt(), word.page);
    }
    return pages;
}

} // namespace

class tst_LineReport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void prepareSizesTheScene_data();
    void prepareSizesTheScene();
    void prepareFailureNamesThePath();
    void onePageReport();
    void progressTextsAndPercentages();
    void columnLayout_data();
    void columnLayout();
    void datedHeaderLine_data();
    void datedHeaderLine();
    void emptyReportIsHeaderAndFooter();
    void sharedListRewrittenMidRun();
    void writeFailureIsReported();
    void readySlotDeletesTheJob_data();
    void readySlotDeletesTheJob();
    void readySlotRestartsTheJob_data();
    void readySlotRestartsTheJob();
    void jobDestroyedMidRun();
    void doProcessFromAnotherThread();
    void passWithoutRendererReportsNoData_data();
    void passWithoutRendererReportsNoData();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void tst_LineReport::init()
{
    QVERIFY(dir.isValid());
}

void tst_LineReport::prepareSizesTheScene_data()
{
    QTest::addColumn<int>("ppi");
    QTest::newRow("default 120") << 0;
    QTest::newRow("points") << 72;
}

void tst_LineReport::prepareSizesTheScene()
{
    QFETCH(int, ppi);
    TestJob job;
    job.fileName = path(QStringLiteral("scene.pdf"));
    PDFRenderer renderer(&job);
    if (ppi)
        renderer.getHlp().setPpi(ppi);
    QVERIFY(renderer.prepare());
    QCOMPARE(renderer.getPageNum(), 1);
    QCOMPARE(renderer.perc(), 0.0);
    QVERIFY(renderer.lastError().isEmpty());

    // The writer's paint rectangle at 1200 dpi, divided by the horizontal resolution.
    const int k = ppi ? ppi : 120;
    const QSize expected(qRound(qRound(8483.0 * k) / 1200.0), qRound(qRound(12599.0 * k) / 1200.0));
    QCOMPARE(renderer.getHlp().sceneRect, QRect(QPoint(0, 0), expected));
    QVERIFY(renderer.getHlp().contentTop > 0.0);
    QVERIFY(renderer.getHlp().contentBottom < expected.height());
    renderer.finish();
    renderer.finish();
}

void tst_LineReport::prepareFailureNamesThePath()
{
    TestJob job;
    job.fileName = path(QStringLiteral("missing/report.pdf"));
    job.lines = numberedLines(5);
    const Run run = runJob(job);
    QCOMPARE(run.ready, QStringLiteral("Nie można zapisać pliku PDF: ") + job.fileName);
    QCOMPARE(run.readyCount, 1);
    QCOMPARE(run.outcome, Outcome::WriteFailed);
    QCOMPARE(run.outputPath, job.fileName);
    QVERIFY(!QFileInfo::exists(job.fileName));
}

void tst_LineReport::onePageReport()
{
    TestJob job;
    job.fileName = path(QStringLiteral("one.pdf"));
    job.lines = numberedLines(30);
    job.headings = QStringList{kHeading};
    // The file is complete on disk by the time ready() says so.
    bool completeOnReady = false;
    connect(&job, &AsyncReportsBase::ready, &job,
            [&]() { completeOnReady = PdfProbe::structureValid(job.fileName); });
    const Run run = runJob(job);
    QCOMPARE(run.ready, QString());
    QCOMPARE(run.readyCount, 1);
    QCOMPARE(run.outcome, Outcome::Completed);
    QCOMPARE(run.outputPath, job.fileName);
    QVERIFY(completeOnReady);
    QVERIFY(run.progress.isEmpty());
    QVERIFY(PdfProbe::structureValid(job.fileName));
    QCOMPARE(PdfProbe::pageCount(job.fileName), 1);
    QCOMPARE(PdfProbe::info(job.fileName, QStringLiteral("Title")), job.title);
    QCOMPARE(headingsPerPage(job.fileName), QList<int>{0});
    QCOMPARE(pageOfLine(job.fileName).size(), 30);
    const QString text = PdfProbe::pageTexts(job.fileName).value(0);
    QVERIFY(text.contains(QStringLiteral("- Strona 1 -")));
    QVERIFY(text.contains(job.subtitle));
}

void tst_LineReport::progressTextsAndPercentages()
{
    const int total = 1500;
    TestJob job;
    job.fileName = path(QStringLiteral("long.pdf"));
    job.lines = numberedLines(total);
    job.headings = QStringList{kHeading, QStringLiteral("---")};
    const Run run = runJob(job);
    QCOMPARE(run.ready, QString());
    QCOMPARE(run.readyCount, 1);

    const int pages = PdfProbe::pageCount(job.fileName);
    QVERIFY(pages >= 3);
    QVERIFY(PdfProbe::structureValid(job.fileName));
    QCOMPARE(run.progress.size(), pages - 1);

    const QMap<int, int> pageOf = pageOfLine(job.fileName);
    QCOMPARE(pageOf.size(), total);
    int linesBefore = 0;
    for (int page = 2; page <= pages; ++page) {
        linesBefore += int(std::count(pageOf.cbegin(), pageOf.cend(), page - 1));
        // The held line that opens the next page counts as taken.
        const double percent = qMax((linesBefore + 1) * 100.0 / total - 0.1, 0.0);
        const QString expected = QStringLiteral("Tworzenie strony: %1 (%2 %)")
                .arg(page).arg(percent, 0, 'f', 1);
        QCOMPARE(run.progress.at(page - 2), expected);
    }
    // Lines stay in order across pages, and no page is empty.
    int previousPage = 1;
    for (auto it = pageOf.cbegin(); it != pageOf.cend(); ++it) {
        QVERIFY(it.value() >= previousPage);
        previousPage = it.value();
    }
    QCOMPARE(previousPage, pages);
}

void tst_LineReport::columnLayout_data()
{
    QTest::addColumn<int>("longLine");   // its index
    QTest::addColumn<int>("longLineLength");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QList<int>>("headings");

    // Page 1 shows a heading on every column but its first.
    QTest::newRow("50 characters keep 3 columns") << 150 << 50 << false << QList<int>{2, 3, 3};
    QTest::newRow("51 characters: page 1 in 2 columns") << 150 << 51 << false << QList<int>{1, 3, 3};
    QTest::newRow("wide: every page in 2 columns") << 150 << 20 << true << QList<int>{1, 2, 2};
    // Page 2 is laid out again from its first line, in 2 columns, headings on both.
    QTest::newRow("51 characters on page 2") << 400 << 51 << false << QList<int>{2, 2, 3};
}

void tst_LineReport::columnLayout()
{
    QFETCH(int, longLine);
    QFETCH(int, longLineLength);
    QFETCH(bool, wide);
    QFETCH(QList<int>, headings);

    TestJob job;
    job.fileName = path(QStringLiteral("columns.pdf"));
    job.headings = QStringList{kHeading};
    job.wide = wide;
    // Enough short lines for three pages (about 270 a page), with one long line.
    job.lines = numberedLines(1100);
    job.lines[longLine] = job.lines[longLine].leftJustified(longLineLength, QLatin1Char('y'));
    const Run run = runJob(job);
    QCOMPARE(run.ready, QString());
    QList<int> counts = headingsPerPage(job.fileName);
    QVERIFY(counts.size() >= 3);
    QCOMPARE(counts.mid(0, 3), headings);
    QCOMPARE(pageOfLine(job.fileName).size(), 1100);
}

void tst_LineReport::datedHeaderLine_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("opening");
    QTest::newRow("a place") << QStringLiteral("Kraków") << QStringLiteral("Kraków, dnia");
    QTest::newRow("no place: no comma") << QString() << QStringLiteral("dnia");
}

void tst_LineReport::datedHeaderLine()
{
    QFETCH(QString, place);
    QFETCH(QString, opening);
    static const char *const months[] = {"stycznia", "lutego", "marca", "kwietnia", "maja", "czerwca",
                                         "lipca", "sierpnia", "września", "października", "listopada",
                                         "grudnia"};
    const auto dated = [&](const QDate &day) {
        return QStringLiteral("%1 %2 %3 %4 roku").arg(opening).arg(day.day())
                .arg(QString::fromUtf8(months[day.month() - 1])).arg(day.year());
    };
    TestJob job;
    job.fileName = path(QStringLiteral("dated.pdf"));
    job.lines = numberedLines(3);
    job.place = place;
    const QDate before = QDate::currentDate();
    QCOMPARE(runJob(job).ready, QString());
    const QDate after = QDate::currentDate();
    // Midnight may pass during the run: the line is of one of the two days. No comma opens it.
    const QString text = PdfProbe::pageTexts(job.fileName).value(0).simplified();
    QVERIFY2((text.contains(dated(before)) || text.contains(dated(after)))
             && text.contains(QStringLiteral(", dnia")) == !place.isEmpty(), qPrintable(text));
}

void tst_LineReport::emptyReportIsHeaderAndFooter()
{
    TestJob job;
    job.fileName = path(QStringLiteral("empty.pdf"));
    job.headings = QStringList{kHeading};
    const Run run = runJob(job);
    QCOMPARE(run.ready, QString());
    QVERIFY(run.progress.isEmpty());
    QVERIFY(PdfProbe::structureValid(job.fileName));
    QCOMPARE(PdfProbe::pageCount(job.fileName), 1);
    const QString text = PdfProbe::pageTexts(job.fileName).value(0);
    QVERIFY(text.contains(job.title));
    QVERIFY(text.contains(QStringLiteral("- Strona 1 -")));
    QVERIFY(!text.contains(kHeading));
}

// The job's list shared with another at the start, one of its lines rewritten during the run
// and the other list let go: the report prints the job's list as it is, and reads no freed
// memory (which the sanitizer run would catch).
void tst_LineReport::sharedListRewrittenMidRun()
{
    TestJob job;
    job.fileName = path(QStringLiteral("shared.pdf"));
    QStringList shared = numberedLines(1500);
    job.lines = shared;
    connect(&job, &AsyncReportsBase::progress, &job, [&]() {
        if (shared.isEmpty())
            return;
        job.lines[1400] = QStringLiteral("PRZEPISANY");
        shared = QStringList();
    });
    QCOMPARE(runJob(job).ready, QString());
    const QString text = PdfProbe::pageTexts(job.fileName).join(QString());
    QVERIFY(text.contains(QStringLiteral("PRZEPISANY")));
    QVERIFY(!text.contains(QStringLiteral("W01400")));
    QCOMPARE(pageOfLine(job.fileName).size(), 1499);
}

// A full disk (a file-size limit: see the tool's tests).
void tst_LineReport::writeFailureIsReported()
{
    const QString target = QStringLiteral("/dev/full");
    if (!QFileInfo::exists(target))
        QSKIP("the device is missing on this system");
    TestJob job;
    job.fileName = target;
    job.lines = numberedLines(2000);
    const Run run = runJob(job);
    QCOMPARE(run.ready, QStringLiteral("Nie można zapisać pliku PDF: ") + job.fileName);
    QCOMPARE(run.readyCount, 1);
    QCOMPARE(run.outcome, Outcome::WriteFailed);
    QVERIFY(QFileInfo::exists(job.fileName));   // a device is never removed
}

void tst_LineReport::readySlotDeletesTheJob_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("success") << false;
    QTest::newRow("cancel") << true;
}

void tst_LineReport::readySlotDeletesTheJob()
{
    QFETCH(bool, cancel);
    auto *job = new TestJob;
    const QString file = path(QStringLiteral("deleted-in-slot-%1.pdf").arg(cancel));
    job->fileName = file;
    job->lines = numberedLines(1200);
    if (cancel)
        connect(job, &AsyncReportsBase::progress, job, &AsyncReportsBase::abortReport);
    QPointer<TestJob> guard(job);
    QString message = QStringLiteral("<none>");
    bool fileSeenInSlot = false;
    connect(job, &AsyncReportsBase::ready, job, [&](const QString &text) {
        message = text;
        fileSeenInSlot = QFileInfo::exists(file);
        delete job;
    }, Qt::DirectConnection);
    job->do_process();
    QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 60000);
    deliverQueuedCalls();
    QCOMPARE(message, cancel ? kCancelled : QString());
    // A cancelled report never takes the file's name; a complete one has it by ready().
    QCOMPARE(fileSeenInSlot, !cancel);
    QCOMPARE(QFileInfo::exists(file), !cancel);
    if (!cancel)
        QVERIFY(PdfProbe::structureValid(file));
}

void tst_LineReport::readySlotRestartsTheJob_data()
{
    QTest::addColumn<bool>("cancelFirst");
    QTest::newRow("after success") << false;
    QTest::newRow("after cancel") << true;
}

// After a cancel the job's cancel flag is still set: the new start clears it, as any start
// clears a cancel asked for before it.
void tst_LineReport::readySlotRestartsTheJob()
{
    QFETCH(bool, cancelFirst);
    TestJob job;
    job.fileName = path(QStringLiteral("restarted.pdf"));
    job.lines = numberedLines(1200);
    QStringList messages;
    bool firstProgress = true;
    connect(&job, &AsyncReportsBase::progress, &job, [&]() {
        if (cancelFirst && firstProgress)
            job.abortReport();
        firstProgress = false;
    });
    connect(&job, &AsyncReportsBase::ready, &job, [&](const QString &text) {
        messages.append(text);
        if (messages.size() == 1)
            job.do_process();
    }, Qt::DirectConnection);
    job.do_process();
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 2, 60000);
    deliverQueuedCalls();
    QCOMPARE(messages, QStringList({cancelFirst ? kCancelled : QString(), QString()}));
    QCOMPARE(job.processCalls, 2);
    QVERIFY(PdfProbe::structureValid(job.fileName));
    QCOMPARE(pageOfLine(job.fileName).size(), 1200);
}

// A job destroyed during a run leaves its path as it was: the earlier report stands there,
// whole, while the run goes on and after it, and no work file is left in the folder.
void tst_LineReport::jobDestroyedMidRun()
{
    const QString file = path(QStringLiteral("destroyed.pdf"));
    const auto content = [&file]() {
        QFile earlier(file);
        return earlier.open(QIODevice::ReadOnly) ? earlier.readAll() : QByteArray();
    };
    QFile earlier(file);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier report") > 0);
    earlier.close();
    {
        TestJob job;
        job.fileName = file;
        job.lines = numberedLines(3000);
        QSignalSpy progressSpy(&job, &AsyncReportsBase::progress);
        job.do_process();
        QVERIFY(progressSpy.wait(30000));
        QCOMPARE(content(), QByteArray("earlier report"));
    }
    deliverQueuedCalls();   // the queued pass must not reach the dead job
    QCOMPARE(content(), QByteArray("earlier report"));
    QVERIFY(QDir(dir.path()).entryList({QStringLiteral(".mvpdfrender*")}, QDir::Hidden | QDir::Files).isEmpty());
}

void tst_LineReport::doProcessFromAnotherThread()
{
    TestJob job;
    job.fileName = path(QStringLiteral("thread.pdf"));
    job.lines = numberedLines(10);
    QThread *processThread = nullptr;
    QSignalSpy readySpy(&job, &AsyncReportsBase::ready);
    connect(&job, &AsyncReportsBase::ready, &job, [&]() { processThread = QThread::currentThread(); },
            Qt::DirectConnection);
    QThread *worker = QThread::create([&job]() { job.do_process(); });
    worker->start();
    QVERIFY(worker->wait(10000));
    delete worker;
    QVERIFY(readySpy.wait(30000));
    QCOMPARE(readySpy.first().first().toString(), QString());
    QCOMPARE(processThread, QThread::currentThread());
    QCOMPARE(job.processCalls, 1);
}

// A pass with no renderer installed, and a start with no renderer at all.
void tst_LineReport::passWithoutRendererReportsNoData_data()
{
    QTest::addColumn<bool>("nullRenderer");
    QTest::newRow("a pass, nothing installed") << false;
    QTest::newRow("startRenderer(nullptr)") << true;
}

void tst_LineReport::passWithoutRendererReportsNoData()
{
    QFETCH(bool, nullRenderer);
    struct NullJob : TestJob
    {
        void process() override { startRenderer(nullptr); }
    } job;
    QSignalSpy readySpy(&job, &AsyncReportsBase::ready);
    if (nullRenderer)
        job.do_process();
    else
        QVERIFY(QMetaObject::invokeMethod(&job, "nextPage", Qt::QueuedConnection));
    QVERIFY(!readySpy.isEmpty() || readySpy.wait(5000));
    QCOMPARE(readySpy.first().first().toString(), kNoData);
    QCOMPARE(job.lastOutcome(), AsyncReportsBase::Outcome::NoData);
    QVERIFY(job.lastOutputPath().isEmpty());
}

QTEST_MAIN(tst_LineReport)
#include "tst_linereport.moc"
