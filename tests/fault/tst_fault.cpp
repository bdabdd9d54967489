#include "pdfprobe.h"
#include "pdfrenderer.h"
#include "testjob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>


namespace {

const QString kCancelled = QStringLiteral("Generowanie dokumentu przerwane przez użytkownika.");

} // namespace

// Every way a report can fail must end in a message, never in a file claimed complete.
class tst_Fault : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void folderChangedDuringTheRun_data();
    void folderChangedDuringTheRun();
    void cancelAtPage_data();
    void cancelAtPage();
    void restartDuringARun_data();
    void restartDuringARun();
    void twoJobsOnOnePath();

private:
    QTemporaryDir dir;
};

void tst_Fault::init()
{
    QVERIFY(dir.isValid());
}

void tst_Fault::folderChangedDuringTheRun_data()
{
    QTest::addColumn<bool>("swapped");   // moved away and a link to another folder put in its place
    QTest::newRow("removed") << false;
    QTest::newRow("swapped for a link") << true;
}

// A report lands in the folder its run began with, or the run fails: never where a name
// put in the folder's place leads.
void tst_Fault::folderChangedDuringTheRun()
{
    QFETCH(bool, swapped);
#if MVPDFRENDER_PORTABLE_FILES
    if (swapped)
        QSKIP("Work files made on Qt alone find their folder again by its path");
#endif
    const QString folder = dir.filePath(QStringLiteral("changing"));
    const QString moved = dir.filePath(QStringLiteral("moved"));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(elsewhere));
    TestJob job;
    job.fileName = folder + QStringLiteral("/out.pdf");
    job.lines = numberedLines(2000);
    connect(&job, &AsyncReportsBase::progress, &job, [&]() {
        if (!swapped)
            QDir(folder).removeRecursively();
        else if (QFileInfo(folder).isDir() && !QFileInfo(folder).isSymLink() && QDir().rename(folder, moved))
            QFile::link(elsewhere, folder);
    });
    QCOMPARE(job.run(), swapped ? QString() : QStringLiteral("Nie można zapisać pliku PDF: ") + job.fileName);
    QVERIFY(!QFileInfo::exists(elsewhere + QStringLiteral("/out.pdf")));
    QCOMPARE(PdfProbe::structureValid(moved + QStringLiteral("/out.pdf")), swapped);
}

void tst_Fault::cancelAtPage_data()
{
    QTest::addColumn<int>("abortAfterProgress");   // 0: before the first pass
    QTest::addColumn<bool>("throughLink");         // the job's path is a link to the file
    QTest::newRow("first page") << 0 << false;
    QTest::newRow("a middle page") << 3 << false;
    QTest::newRow("the last page") << -1 << false;  // during the last progress signal
    QTest::newRow("a middle page, through a link") << 3 << true;
}

void tst_Fault::cancelAtPage()
{
    QFETCH(int, abortAfterProgress);
    QFETCH(bool, throughLink);
    TestJob job;
    job.fileName = dir.filePath(QStringLiteral("cancel.pdf"));
    const QString link = dir.filePath(QStringLiteral("link.pdf"));
    QFile::remove(link);
    if (throughLink) {
        QVERIFY(QFile::link(job.fileName, link));
        job.fileName = link;
    }
    job.lines = numberedLines(2000);
    // The number of pages of this report, from an uncancelled run, whose file stays.
    QCOMPARE(job.run(), QString());
    const int pages = PdfProbe::pageCount(job.fileName);
    QVERIFY(pages > 4);
    QFile earlier(job.fileName);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    const QByteArray earlierReport = earlier.readAll();
    const int abortAt = abortAfterProgress < 0 ? pages - 1 : abortAfterProgress;

    QSignalSpy progress(&job, &AsyncReportsBase::progress);
    QSignalSpy ready(&job, &AsyncReportsBase::ready);
    connect(&job, &AsyncReportsBase::progress, &job, [&]() {
        if (progress.size() == abortAt)
            job.abortReport();
    });
    job.do_process();
    if (abortAt == 0)
        job.abortReport();
    QVERIFY(ready.wait(60000));
    deliverQueuedCalls();
    QCOMPARE(ready.size(), 1);
    QCOMPARE(ready.first().first().toString(), kCancelled);
    QCOMPARE(job.lastOutcome(), AsyncReportsBase::Outcome::Cancelled);
    QCOMPARE(job.lastOutputPath(), job.fileName);
    QCOMPARE(progress.size(), abortAt);
    // The earlier report stays as it was, where a link leads too, and the link stays; no work
    // file is left.
    QFile cancelled(dir.filePath(QStringLiteral("cancel.pdf")));
    QVERIFY(cancelled.open(QIODevice::ReadOnly));
    QVERIFY(cancelled.readAll() == earlierReport);
    QCOMPARE(QFileInfo(link).isSymLink(), throughLink);
    QVERIFY(QDir(dir.path()).entryList({QStringLiteral(".mvpdfrender*")}, QDir::Hidden | QDir::Files).isEmpty());
    QVERIFY(job.isAborted());
}

void tst_Fault::restartDuringARun_data()
{
    QTest::addColumn<bool>("fromProgressSlot");
    QTest::newRow("from a progress slot") << true;
    QTest::newRow("between two passes") << false;
}

// A start while a run is going ends that run with its own ready() first: every start gets
// exactly one, and the run that finishes is the new one.
void tst_Fault::restartDuringARun()
{
    QFETCH(bool, fromProgressSlot);
    TestJob job;
    job.fileName = dir.filePath(QStringLiteral("restart.pdf"));
    job.lines = numberedLines(2000);
    QStringList messages;
    QList<AsyncReportsBase::Outcome> outcomes;
    connect(&job, &AsyncReportsBase::ready, &job, [&](const QString &text) {
        messages.append(text);
        outcomes.append(job.lastOutcome());
    });
    bool restarted = false;
    connect(&job, &AsyncReportsBase::progress, &job, [&]() {
        if (restarted)
            return;
        restarted = true;
        if (fromProgressSlot)
            job.do_process();
        else
            QMetaObject::invokeMethod(&job, "do_process", Qt::QueuedConnection);
    });
    job.do_process();
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 2, 60000);
    // Whatever is still queued (a pass of the abandoned run) is delivered now, and must not
    // add a ready() or a second chain of passes.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(messages, QStringList({kCancelled, QString()}));
    QCOMPARE(outcomes, QList<AsyncReportsBase::Outcome>({AsyncReportsBase::Outcome::Cancelled,
                                                         AsyncReportsBase::Outcome::Completed}));
    QCOMPARE(job.processCalls, 2);
    QVERIFY(PdfProbe::structureValid(job.fileName));
    QCOMPARE(PdfProbe::pageTexts(job.fileName).join(QString()).count(QStringLiteral("W0")), 2000);
}

// Two jobs write one path at once, page by page in turn, the second with an outline and with
// no usable temporary folder: each completes, and the file is the whole report of the one that
// finished last, never a mixture; its stage stood beside it.
void tst_Fault::twoJobsOnOnePath()
{
    const QByteArray temporary = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.filePath(QStringLiteral("missing")).toLocal8Bit());
    const auto restore = qScopeGuard([&]() { qputenv("TMPDIR", temporary); });
    TestJob shorter, longer;
    shorter.fileName = longer.fileName = dir.filePath(QStringLiteral("shared.pdf"));
    shorter.lines = numberedLines(1500);
    longer.lines = numberedLines(3000);
    longer.outlinePattern = QStringLiteral("^W\\d+00 ");
    QSignalSpy shorterReady(&shorter, &AsyncReportsBase::ready);
    QSignalSpy longerReady(&longer, &AsyncReportsBase::ready);
    longer.do_process();
    shorter.do_process();
    QTRY_VERIFY_WITH_TIMEOUT(shorterReady.size() == 1 && longerReady.size() == 1, 60000);
    QCOMPARE(shorterReady.first().first().toString() + longerReady.first().first().toString(), QString());
    QVERIFY(PdfProbe::structureValid(longer.fileName));
    QCOMPARE(PdfProbe::pageTexts(longer.fileName).join(QString()).count(QStringLiteral("W0")), 3000);
    QCOMPARE(PdfProbe::outline(longer.fileName).size(), 30);
}

QTEST_MAIN(tst_Fault)
#include "tst_fault.moc"
