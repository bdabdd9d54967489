#include "pdfprobe.h"
#include "pdfrenderer.h"
#include "testjob.h"

#include <QBuffer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <functional>
#include <memory>
#include <vector>

// The end of a run: however it ends, its outcome matches what its destination holds, a host's
// device is used only from its own thread (Qt warns otherwise), and failures come as values.
namespace {

using Outcome = AsyncReportsBase::Outcome;
using Reason = MvFailure::Reason;

const QDate kDay(2026, 11, 30);
const QDateTime kMoment(kDay, QTime(18, 0), Qt::UTC);
const QByteArray kEarlier("earlier content");
// Enough lines for a document that a device is given in more than one piece.
constexpr int kLines = 4000;
constexpr int kCancelAtBytes = 40000;
constexpr int kFailAtBytes = 2000;
constexpr int kWaitMs = 60000;

QStringList warnings;
QtMessageHandler testHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings.append(text);
    testHandler(type, context, text);
}

// What a device has been given so far; once it reaches cancelAt bytes, or takes the end of the
// document when cancelAtEnd is set, cancel is called (as a host's slot would be), and a write
// that would take it past failAt fails.
struct Tripwire
{
    qint64 cancelAt = -1;
    bool cancelAtEnd = false;
    qint64 failAt = -1;
    std::function<void()> cancel;
    qint64 given = 0;

    bool take(const char *data, qint64 length)
    {
        if (failAt >= 0 && given + length > failAt)
            return false;
        given += length;
        const bool end = cancelAtEnd && QByteArray::fromRawData(data, int(length)).endsWith("%%EOF\n");
        if (cancel && ((cancelAt >= 0 && given >= cancelAt) || end))
            std::exchange(cancel, nullptr)();
        return true;
    }
};

template <class Device>
class WiredDevice : public Device, public Tripwire
{
public:
    using Device::Device;

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        return take(data, length) ? Device::writeData(data, length) : -1;
    }
};

// A host's device of one kind, and what a reader of it got once the run has ended: a random-
// access device holds kEarlier before the run, from where the report goes. The reader of a
// process or a socket goes away after readerLeavesAfter bytes, when that is not negative.
struct Destination
{
    QIODevice *device = nullptr;
    Tripwire *wire = nullptr;
    bool randomAccess = false;
    std::function<QByteArray()> received;
    std::vector<std::shared_ptr<QObject>> parts;
};

void waitUntil(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(kWaitMs);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(1);
}

template <class Device>
std::shared_ptr<WiredDevice<Device>> wired(Destination &to)
{
    auto device = std::make_shared<WiredDevice<Device>>();
    to.device = device.get();
    to.wire = device.get();
    to.parts.push_back(device);
    return device;
}

Destination destination(const QString &kind, const QString &folder, qint64 readerLeavesAfter = -1)
{
    Destination to;
    if (kind == QLatin1String("buffer")) {
        auto buffer = wired<QBuffer>(to);
        buffer->open(QIODevice::WriteOnly);
        buffer->write(kEarlier);
        to.randomAccess = true;
        to.received = [buffer]() { return buffer->data(); };
    } else if (kind == QLatin1String("file")) {
        auto file = wired<QFile>(to);
        file->setFileName(folder + QStringLiteral("/device.pdf"));
        file->open(QIODevice::ReadWrite | QIODevice::Truncate);
        file->write(kEarlier);
        to.randomAccess = true;
        to.received = [file]() {
            file->flush();
            QFile written(file->fileName());
            return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
        };
    } else if (kind == QLatin1String("process")) {
        auto process = wired<QProcess>(to);
        auto got = std::make_shared<QByteArray>();
        QObject::connect(process.get(), &QProcess::readyReadStandardOutput, process.get(),
                         [process = process.get(), got]() { *got += process->readAllStandardOutput(); });
        if (readerLeavesAfter < 0)
            process->start(QStringLiteral("cat"), QStringList());
        else
            process->start(QStringLiteral("head"), {QStringLiteral("-c"), QString::number(readerLeavesAfter)});
        process->waitForStarted();
        to.received = [process, got]() {
            process->closeWriteChannel();
            waitUntil([&]() { return process->state() == QProcess::NotRunning; });
            return *got + process->readAllStandardOutput();
        };
    } else {
        auto server = std::make_shared<QLocalServer>();
        to.parts.push_back(server);
        server->listen(QStringLiteral("mvpdfrender-job-%1").arg(QRandomGenerator::global()->generate()));
        auto socket = wired<QLocalSocket>(to);
        socket->connectToServer(server->serverName());
        server->waitForNewConnection(kWaitMs);
        QLocalSocket *peer = server->nextPendingConnection();
        auto got = std::make_shared<QByteArray>();
        QObject::connect(peer, &QLocalSocket::readyRead, peer, [peer, got, readerLeavesAfter]() {
            *got += peer->read(readerLeavesAfter < 0 ? peer->bytesAvailable() : readerLeavesAfter - got->size());
            if (readerLeavesAfter >= 0 && got->size() >= readerLeavesAfter)
                peer->abort();
        });
        to.received = [socket, peer, got, readerLeavesAfter]() {
            socket->disconnectFromServer();
            waitUntil([&]() { return peer->state() == QLocalSocket::UnconnectedState; });
            // A reader that went away reads no more.
            return *got + (readerLeavesAfter < 0 ? peer->readAll() : QByteArray());
        };
    }
    return to;
}

// Whether bytes hold a complete PDF that qpdf finds sound.
bool completePdf(const QByteArray &bytes, const QString &folder)
{
    QFile file(folder + QStringLiteral("/check.pdf"));
    return bytes.startsWith("%PDF-") && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
            && (file.close(), PdfProbe::structureValid(file.fileName()));
}

void setReportKind(TestJob &job, const QString &kind)
{
    job.lines = numberedLines(kLines);
    if (kind == QLatin1String("timestamped")) {
        job.configure = [](PDFRendererBase &renderer) {
            renderer.setReportDate(kDay);
            renderer.setFileTimestamp(kMoment);
        };
    } else if (kind == QLatin1String("outlined")) {
        job.outlinePattern = QStringLiteral("^W\\d+00 ");
    } else if (kind == QLatin1String("archive")) {
        job.pdfA1b = true;
        job.outlinePattern = QStringLiteral("^W\\d+000 ");
        job.configure = [](PDFRendererBase &renderer) { renderer.setPageCountVisible(true); };
    }
}

Reason reasonOf(Outcome outcome)
{
    return outcome == Outcome::Completed ? Reason::None
         : outcome == Outcome::Cancelled ? Reason::Cancelled : Reason::CannotWrite;
}

} // namespace

class tst_Job : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void outcomeMatchesTheDevice_data();
    void outcomeMatchesTheDevice();
    void cancelAnywhere_data();
    void cancelAnywhere();
    void cancelWhileTheReaderStalls_data();
    void cancelWhileTheReaderStalls();
    void cancelOnceTheLastBytesAreGiven();
    void discardOutputDuringARun_data();
    void discardOutputDuringARun();
    void rendererDeletedMidRun();
    void rendererFinishedByHand();
    void timestampsAPdfDateCannotHold_data();
    void timestampsAPdfDateCannotHold();
    void longTitleStampedEverywhere();
    void failuresAsValues_data();
    void failuresAsValues();
    void jobInAWorkerThread();

private:
    std::unique_ptr<QTemporaryDir> dir;
};

void tst_Job::initTestCase()
{
    testHandler = qInstallMessageHandler(collectWarnings);
}

void tst_Job::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    warnings.clear();
}

void tst_Job::cleanup()
{
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

void tst_Job::outcomeMatchesTheDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("ending");
    const QStringList endings{QStringLiteral("complete"), QStringLiteral("cancel before the copy"),
                              QStringLiteral("cancel during the copy"), QStringLiteral("cancel on the last byte"),
                              QStringLiteral("failing device"), QStringLiteral("reader goes away")};
    for (const QString device : {"buffer", "file", "process", "local socket"}) {
        const bool sequential = device == QLatin1String("process") || device == QLatin1String("local socket");
        for (const QString report : {"plain", "timestamped", "outlined"}) {
            // Only a process or a socket has a reader that can go away.
            for (const QString &ending : endings.mid(0, sequential ? endings.size() : endings.size() - 1)) {
                QTest::addRow("%s, %s, %s", qPrintable(device), qPrintable(report), qPrintable(ending))
                        << device << report << ending;
            }
        }
    }
}

// Completed exactly when the whole report reached the device; otherwise a random-access device
// holds what it held before the run, and a sequential one no complete document (nothing at all
// for a staged report cancelled before its copy).
void tst_Job::outcomeMatchesTheDevice()
{
    QFETCH(QString, device);
    QFETCH(QString, report);
    QFETCH(QString, ending);
    TestJob job;
    setReportKind(job, report);
    const bool readerLeaves = ending == QLatin1String("reader goes away");
    Destination to = destination(device, dir->path(), readerLeaves ? kFailAtBytes : -1);
    job.device = to.device;
    if (ending == QLatin1String("cancel before the copy"))
        job.lastPageComposed = [&job]() { job.abortReport(); };
    to.wire->cancelAt = ending == QLatin1String("cancel during the copy") ? kCancelAtBytes : -1;
    to.wire->cancelAtEnd = ending == QLatin1String("cancel on the last byte");
    to.wire->cancel = [&job]() { job.abortReport(); };
    to.wire->failAt = ending == QLatin1String("failing device") ? kFailAtBytes : -1;

    const QString message = job.run();
    // A device that has taken the whole report has it: a cancel then is too late.
    const bool whole = ending == QLatin1String("complete") || ending == QLatin1String("cancel on the last byte");
    const Outcome expected = whole ? Outcome::Completed
                           : ending.startsWith(QLatin1String("cancel")) ? Outcome::Cancelled : Outcome::WriteFailed;
    QCOMPARE(job.lastOutcome(), expected);
    QCOMPARE(job.lastFailure().reason(), reasonOf(expected));
    QCOMPARE(message, expected == Outcome::Completed ? QString()
                    : expected == Outcome::Cancelled ? AsyncReportsBase::cancelledMessage()
                                                     : PDFRendererBase::cannotWriteMessage(QString()));
    const QByteArray received = to.received();
    const QByteArray document = to.randomAccess ? received.mid(kEarlier.size()) : received;
    QVERIFY(!to.randomAccess || received.startsWith(kEarlier));
    // Qt itself warns when the reader of a pipe goes away while it writes.
    if (readerLeaves)
        warnings = warnings.filter(QRegularExpression(QStringLiteral("^(?!QSocketNotifier: Invalid socket)")));
    if (expected == Outcome::Completed) {
        QVERIFY(completePdf(document, dir->path()));
    } else if (to.randomAccess) {
        QCOMPARE(received, kEarlier);
    } else {
        QVERIFY(!document.endsWith("%%EOF\n"));
        QVERIFY(document.isEmpty() || document.startsWith("%PDF"));
        if (report != QLatin1String("plain") && ending == QLatin1String("cancel before the copy"))
            QVERIFY(document.isEmpty());
    }
}

void tst_Job::cancelAnywhere_data()
{
    QTest::addColumn<quint32>("seed");
    constexpr int kRuns = 12;
    for (int run = 0; run < kRuns; ++run) {
        const quint32 seed = QRandomGenerator::global()->generate();
        QTest::addRow("seed %u", seed) << seed;
    }
}

// Reports of generated kinds, into a path, a buffer or a process, cancelled at a generated
// point (a page, a byte given to the device, the last page) or not at all: exactly one ready(),
// and the outcome says what the destination holds. A complete report holds every line once;
// any other leaves the path or buffer as it was.
void tst_Job::cancelAnywhere()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    const QStringList reports{QStringLiteral("plain"), QStringLiteral("timestamped"),
                              QStringLiteral("outlined"), QStringLiteral("archive")};
    const QStringList targets{QStringLiteral("path"), QStringLiteral("buffer"), QStringLiteral("process")};
    const QString report = reports.at(random.bounded(reports.size()));
    const QString target = targets.at(random.bounded(targets.size()));
    const int trigger = random.bounded(4);   // 0 never, 1 a page, 2 a byte, 3 the last page
    TestJob job;
    setReportKind(job, report);
    job.lines = numberedLines(random.bounded(1, kLines));
    job.fileName = dir->filePath(QStringLiteral("report.pdf"));
    QFile earlier(job.fileName);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(kEarlier) == kEarlier.size());
    earlier.close();
    Destination to;
    if (target != QLatin1String("path")) {
        to = destination(target, dir->path());
        job.device = to.device;
        to.wire->cancelAt = trigger == 2 ? random.bounded(1, 2 * kCancelAtBytes) : -1;
        to.wire->cancel = [&job]() { job.abortReport(); };
    }
    const int cancelPage = random.bounded(1, 8);
    connect(&job, &AsyncReportsBase::progress, &job, [&, page = 0]() mutable {
        if (trigger == 1 && ++page == cancelPage)
            job.abortReport();
    });
    if (trigger == 3)
        job.lastPageComposed = [&job]() { job.abortReport(); };
    QSignalSpy ready(&job, &AsyncReportsBase::ready);
    job.do_process();
    QVERIFY(ready.wait(kWaitMs));
    deliverQueuedCalls();
    QCOMPARE(ready.size(), 1);
    const QString context = QStringLiteral("%1 into %2, trigger %3").arg(report, target).arg(trigger);

    QByteArray written;
    if (target == QLatin1String("path")) {
        QFile file(job.fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        written = file.readAll();
    } else {
        written = to.received();
        if (to.randomAccess) {
            QVERIFY2(written.startsWith(kEarlier), qPrintable(context));
            written = written.mid(kEarlier.size());
        }
    }
    const bool completed = job.lastOutcome() == Outcome::Completed;
    QVERIFY2(completed || job.lastOutcome() == Outcome::Cancelled, qPrintable(context));
    QVERIFY2(trigger != 0 || completed, qPrintable(context));
    if (completed) {
        QVERIFY2(completePdf(written, dir->path()), qPrintable(context));
        const QString text = PdfProbe::pageTexts(dir->filePath(QStringLiteral("check.pdf"))).join(QString());
        QCOMPARE(text.count(QStringLiteral("W0")), job.lines.size());
    } else if (target == QLatin1String("path")) {
        QCOMPARE(written, kEarlier);
    } else {
        QVERIFY2(to.randomAccess ? written.isEmpty() : !written.endsWith("%%EOF\n"), qPrintable(context));
    }
}

void tst_Job::cancelWhileTheReaderStalls_data()
{
    QTest::addColumn<QString>("report");
    QTest::newRow("plain") << "plain";
    QTest::newRow("timestamped") << "timestamped";
}

// A process that reads nothing until the run has ended holds the report in its buffer: a
// cancel then ends the run, and what the process reads afterwards is no complete document.
void tst_Job::cancelWhileTheReaderStalls()
{
    QFETCH(QString, report);
    QProcess reader;
    reader.setWorkingDirectory(dir->path());
    reader.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                 QStringLiteral("while [ ! -e go ]; do sleep 0.02; done; exec cat > received.pdf")});
    QVERIFY(reader.waitForStarted());
    TestJob job;
    setReportKind(job, report);
    job.lines = numberedLines(2 * kLines);   // more than a pipe holds
    job.device = &reader;
    job.lastPageComposed = [&job]() {
        QTimer::singleShot(200, &job, [&job]() { job.abortReport(); });
    };
    QCOMPARE(job.run(), AsyncReportsBase::cancelledMessage());
    QFile go(dir->filePath(QStringLiteral("go")));
    QVERIFY(go.open(QIODevice::WriteOnly));
    reader.closeWriteChannel();
    QVERIFY(reader.waitForFinished(kWaitMs));
    QFile received(dir->filePath(QStringLiteral("received.pdf")));
    QVERIFY(received.open(QIODevice::ReadOnly));
    const QByteArray document = received.readAll();
    QVERIFY(document.startsWith("%PDF-") && !document.endsWith("%%EOF\n"));
}

// Once a process has been given the report's last bytes a cancel is too late: it has them,
// and the run completes.
void tst_Job::cancelOnceTheLastBytesAreGiven()
{
    TestJob job;
    setReportKind(job, QStringLiteral("timestamped"));
    Destination to = destination(QStringLiteral("process"), dir->path());
    job.device = to.device;
    const qint64 lastBytes = 16;   // what a device gets only once it has passed on the rest
    connect(to.device, &QIODevice::bytesWritten, &job, [&job](qint64 bytes) {
        if (bytes <= lastBytes)
            job.abortReport();
    });
    QCOMPARE(job.run(), QString());
    QVERIFY(completePdf(to.received(), dir->path()));
}

void tst_Job::discardOutputDuringARun_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<bool>("whileFinishing");   // after the last page, else from a progress slot
    QTest::newRow("plain, at a page") << "plain" << false;
    QTest::newRow("outlined, at a page") << "outlined" << false;
    QTest::newRow("outlined, while finishing") << "outlined" << true;
    QTest::newRow("archive, while the labels are painted") << "archive" << true;
}

// A host that drops the output during a run ends the run as a cancel: no crash, and the path
// keeps what stood there.
void tst_Job::discardOutputDuringARun()
{
    QFETCH(QString, report);
    QFETCH(bool, whileFinishing);
    struct DiscardingJob : TestJob
    {
        void discardNow() { renderer->discardOutput(); }
    } job;
    setReportKind(job, report);
    job.fileName = dir->filePath(QStringLiteral("discarded.pdf"));
    QFile earlier(job.fileName);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(kEarlier) == kEarlier.size());
    earlier.close();
    if (whileFinishing) {
        job.lastPageComposed = [&job]() {
            QMetaObject::invokeMethod(&job, [&job]() { job.discardNow(); }, Qt::QueuedConnection);
        };
    } else {
        connect(&job, &AsyncReportsBase::progress, &job, [&job]() { job.discardNow(); });
    }
    QCOMPARE(job.run(), AsyncReportsBase::cancelledMessage());
    QCOMPARE(job.lastOutcome(), Outcome::Cancelled);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), kEarlier);
}

// A host that deletes the renderer of a running job leaves the path as it was.
void tst_Job::rendererDeletedMidRun()
{
    struct DeletingJob : TestJob
    {
        void deleteRenderer()
        {
            delete renderer;
            renderer = nullptr;
        }
    } job;
    job.lines = numberedLines(kLines);
    job.fileName = dir->filePath(QStringLiteral("deleted.pdf"));
    QFile earlier(job.fileName);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(kEarlier) == kEarlier.size());
    earlier.close();
    connect(&job, &AsyncReportsBase::progress, &job, [&job]() { job.deleteRenderer(); });
    QCOMPARE(job.run(), AsyncReportsBase::noDataMessage());
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), kEarlier);
    QVERIFY(QDir(dir->path()).entryList({QStringLiteral(".mvpdfrender*")}, QDir::Hidden | QDir::Files).isEmpty());
}

// A renderer driven by hand, without a job, is finished by its deletion: its outline, page
// labels and stamp are there as a job would give them.
void tst_Job::rendererFinishedByHand()
{
    TestJob job;
    job.lines = numberedLines(kLines);
    job.fileName = dir->filePath(QStringLiteral("by-hand.pdf"));
    {
        PDFRenderer renderer(&job);
        renderer.setOutlinePattern(QStringLiteral("^W\\d+000 "));
        renderer.setPageCountVisible(true);
        renderer.setFileTimestamp(kMoment);
        QVERIFY(renderer.prepare());
        renderer.startReport();
        while (renderer.emitPage(false)) {
        }
    }
    const int pages = PdfProbe::pageCount(job.fileName);
    QVERIFY(pages > 1);
    PDFRenderer unprepared(&job);
    unprepared.setFileTimestamp(QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC));
    QVERIFY(!unprepared.prepare());
    unprepared.finish();
    QVERIFY(!unprepared.outputComplete());
    QVERIFY(PdfProbe::pageTexts(job.fileName).last().contains(PDFRendererBase::pageLabel(pages, pages)));
    QCOMPARE(PdfProbe::outline(job.fileName).size(), kLines / 1000);
    QFile file(job.fileName);
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll().contains("/CreationDate (D:20261130180000Z)"));
}

void tst_Job::timestampsAPdfDateCannotHold_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("inUtc");
    QTest::newRow("year 10000") << QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC) << "10000-01-01T00:00:00Z";
    QTest::newRow("year 9999 at UTC-2, 10000 in UTC")
            << QDateTime(QDate(9999, 12, 31), QTime(23, 30), Qt::OffsetFromUTC, -2 * 3600) << "10000-01-01T01:30:00Z";
    QTest::newRow("year 1 at UTC+1, before year 1 in UTC")
            << QDateTime(QDate(1, 1, 1), QTime(0, 30), Qt::OffsetFromUTC, 3600) << "-0001-12-31T23:30:00Z";
}

// A moment a PDF date cannot hold fails the run before any page, never a file that only looks
// stamped.
void tst_Job::timestampsAPdfDateCannotHold()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, inUtc);
    TestJob job;
    job.lines = numberedLines(10);
    job.fileName = dir->filePath(QStringLiteral("stamped.pdf"));
    job.configure = [&moment](PDFRendererBase &renderer) { renderer.setFileTimestamp(moment); };
    QCOMPARE(job.run(), PDFRendererBase::timestampOutOfRangeMessage(moment));
    QCOMPARE(job.lastOutcome(), Outcome::TimestampOutOfRange);
    QCOMPARE(job.lastFailure().reason(), Reason::TimestampOutOfRange);
    QCOMPARE(job.lastFailure().detail(), inUtc);
    QCOMPARE(PDFRendererBase::timestampOutOfRangeMessage(moment),
             QStringLiteral("Data pliku PDF spoza zakresu lat od 1 do 9999: ") + inUtc);
    QVERIFY(!QFile::exists(job.fileName));
}

// A title of 100 KiB puts the XMP dates far from the start of the file: they are stamped too,
// as the document information's.
void tst_Job::longTitleStampedEverywhere()
{
    TestJob job;
    job.lines = numberedLines(10);
    job.fileName = dir->filePath(QStringLiteral("long-title.pdf"));
    job.title = QStringLiteral("Zestawienie <&> ").repeated(100 * 1024 / 16);
    job.pdfA1b = true;
    job.configure = [](PDFRendererBase &renderer) { renderer.setFileTimestamp(kMoment); };
    QCOMPARE(job.run(), QString());
    QFile file(job.fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.contains("/CreationDate (D:20261130180000Z)"));
    QVERIFY(pdf.contains("<xmp:CreateDate>2026-11-30T18:00:00Z</xmp:CreateDate>"));
    QVERIFY(pdf.contains("<xmp:ModifyDate>2026-11-30T18:00:00Z</xmp:ModifyDate>"));
    QVERIFY(PdfProbe::structureValid(job.fileName));
}

void tst_Job::failuresAsValues_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral("/nonexistent-folder/report.pdf");
    QTest::newRow("a path in no folder") << "path" << int(Outcome::WriteFailed) << int(Reason::CannotWrite) << 0
                                         << PDFRendererBase::cannotWriteMessage(missing);
    QTest::newRow("a closed device") << "closed device" << int(Outcome::WriteFailed) << int(Reason::CannotWrite)
                                     << 0 << QStringLiteral("Nie można zapisać pliku PDF");
    QTest::newRow("a device of another thread") << "foreign device" << int(Outcome::WriteFailed)
                                                << int(Reason::CannotWrite) << 0 << QStringLiteral("Nie można zapisać pliku PDF");
    QTest::newRow("headings that leave no room") << "headings" << int(Outcome::LayoutFailed)
                                                 << int(Reason::LayoutImpossible) << 100 << PDFRenderer::headingsTooTallMessage(100);
    QTest::newRow("an outline pattern that gives up") << "pattern" << int(Outcome::LayoutFailed)
                                                      << int(Reason::OutlinePatternFailed) << 3
                                                      << PDFRenderer::outlinePatternFailedMessage(3, QStringLiteral("^(a+)+c|!c"));
}

// Each failure reaches the host as a value that matches the text of ready(), which is one of
// the message functions' texts.
void tst_Job::failuresAsValues()
{
    QFETCH(QString, setUp);
    QFETCH(int, outcome);
    QFETCH(int, reason);
    QFETCH(int, line);
    QFETCH(QString, message);
    TestJob job;
    job.lines = numberedLines(10);
    job.fileName = dir->filePath(QStringLiteral("failing.pdf"));
    QBuffer closed;
    QThread elsewhere;
    QBuffer foreign;
    if (setUp == QLatin1String("path")) {
        job.fileName = QStringLiteral("/nonexistent-folder/report.pdf");
    } else if (setUp == QLatin1String("closed device")) {
        job.device = &closed;
    } else if (setUp == QLatin1String("foreign device")) {
        foreign.open(QIODevice::WriteOnly);
        foreign.moveToThread(&elsewhere);
        job.device = &foreign;
    } else if (setUp == QLatin1String("headings")) {
        job.headings = numberedLines(100);
    } else {
        job.lines.insert(2, QString(40, QLatin1Char('a')) + QStringLiteral("!c"));
        job.outlinePattern = QStringLiteral("^(a+)+c|!c");
    }
    QCOMPARE(job.run(), message);
    QCOMPARE(int(job.lastOutcome()), outcome);
    const MvFailure failure = job.lastFailure();
    QCOMPARE(int(failure.reason()), reason);
    QCOMPARE(failure.line(), line);
    QCOMPARE(failure.path(), setUp == QLatin1String("path") ? job.fileName : QString());
    QCOMPARE(failure.systemError(), setUp == QLatin1String("path") ? ENOENT : 0);
    QCOMPARE(failure.detail(), setUp == QLatin1String("pattern") ? job.outlinePattern : QString());
    QVERIFY(!QFile::exists(dir->filePath(QStringLiteral("failing.pdf"))));
}

// A job in a worker thread with an event loop of its own runs there; a cancel from another
// thread ends its run.
void tst_Job::jobInAWorkerThread()
{
    QThread worker;
    worker.start();
    const auto stop = qScopeGuard([&worker]() {
        worker.quit();
        worker.wait();
    });
    auto *job = new TestJob;
    job->lines = numberedLines(kLines);
    job->outlinePattern = QStringLiteral("^W\\d+00 ");
    job->fileName = dir->filePath(QStringLiteral("worker.pdf"));
    job->moveToThread(&worker);
    connect(&worker, &QThread::finished, job, &QObject::deleteLater);
    QStringList readies;
    int pages = 0;
    connect(job, &AsyncReportsBase::ready, this, [&readies](const QString &text) { readies << text; });
    connect(job, &AsyncReportsBase::progress, this, [&pages]() { ++pages; });
    job->do_process();
    QTRY_COMPARE_WITH_TIMEOUT(readies.size(), 1, kWaitMs);
    QCOMPARE(readies.first(), QString());
    QVERIFY(PdfProbe::structureValid(job->fileName));
    pages = 0;
    job->do_process();
    QTRY_VERIFY_WITH_TIMEOUT(pages > 0, kWaitMs);
    job->abortReport();
    QTRY_COMPARE_WITH_TIMEOUT(readies.size(), 2, kWaitMs);
    QCOMPARE(readies.last(), AsyncReportsBase::cancelledMessage());
}

QTEST_MAIN(tst_Job)
#include "tst_job.moc"
