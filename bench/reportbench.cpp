// Measures report throughput against a raw-Qt floor on the same generated receipt lines.
//
//   reportbench [--runs N] [--smoke] [--long] [--outline] [--long-line] [--archive] [--long-title] [--tool]
//
// --tool runs the command-line tool end to end beside the library on the same input: the time
// from the tool's start to its first page at 10 000, 100 000 and 1 000 000 lines (the
// library's from do_process(), in runs cancelled after that page), its report of the 20 000
// receipts as a JSON documents file against the floor of that file's documents (with its
// peak memory), and its reading of 800 000 lines of text in UTF-8, cp1250 and UTF-16.
//
// --long adds 300 000 lines as one line report and as one single document, to compare what a
// long document costs with the same lines in a line report. --outline adds a report of 20 000
// documents without and with an outline, and one of a million lines without an outline and
// with an entry for every line, to show what writing the outline costs (its memory per entry
// follows the table). --long-line
// adds a line report of a single line of 5 MB, which the renderer cuts into pieces a page at a
// time (its rate in MB/s follows the table). --archive adds the line report of 100 000 lines
// and the document report with "Strona N z M" footers, and the document report without
// keeping documents together (what both cost follows the table). --long-title adds one document
// of 20 000 lines titled with 4 MB of text, whose every column begins with a continuation label
// naming it, beside the same document titled as usual (the longest page passes of both follow
// the table).
//
// Every run of a case is a child process of its own (reportbench --case NAME), so that its
// peak resident memory is its own. The table gives pages, the median wall time of N runs,
// pages per second, peak memory, the median and longest event-loop pass after the first, the
// longest time the event loop did not turn (a 10 ms timer's longest gap, less 10 ms), and the
// throughput as a share of the floor's (the floor row just above it).
#include "asyncreportshelper.h"
#include "clijob.h"
#include "reportfloor.h"
#include "documentfeeder.h"
#include "imageloader.h"
#include "inputreader.h"
#include "mvkeys.h"
#include "mvlayout.h"
#include "mvstringformatter.h"
#include "samplereceipts.h"
#include "textinput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGraphicsItem>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iconv.h>
#include <malloc.h>
#include <sys/resource.h>

namespace {

struct Sample
{
    int pages = 0;
    double seconds = 0;
    double firstPageMs = 0;   // from do_process() (the tool's start) to the first page
    double medianPassMs = 0;
    double longestPassMs = 0;
    double longestStallMs = 0;
    qint64 bytes = 0;         // the input read, for a reading case
    double splitSeconds = 0;  // ... of which splitting it into lines took
    long peakKiB = 0;         // the tool's own, for a case that runs it
};

// The interval of the timer that watches the event loop turn.
constexpr int kTickMs = 10;

double fastest(const QVector<double> &values)
{
    return values.isEmpty() ? 0 : *std::min_element(values.cbegin(), values.cend());
}

double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

CliJob::Settings benchSettings(const QString &file)
{
    CliJob::Settings settings;
    settings.output = file;
    settings.title = QStringLiteral("Benchmark");
    settings.subtitle = QStringLiteral("Paragony");
    settings.place = QStringLiteral("Kraków");
    settings.headings = QStringList{QStringLiteral("PARAGONY (cd.)")};
    return settings;
}

// Runs job on the event loop to its end, or with firstPageOnly, cancels it after its first
// page.
Sample runJob(CliJob &job, bool firstPageOnly = false)
{
    QElapsedTimer total, pass, tick;
    QVector<double> passes;
    double longestGap = 0;
    QTimer ticker;
    ticker.setInterval(kTickMs);
    QObject::connect(&ticker, &QTimer::timeout, [&]() {
        longestGap = qMax(longestGap, tick.nsecsElapsed() / 1e6);
        tick.restart();
    });
    QObject::connect(&job, &AsyncReportsBase::progress, &job, [&]() {
        passes.append(pass.nsecsElapsed() / 1e6);
        pass.restart();
        // Stalls count from the end of the first pass, like passes: the clock starts again.
        if (passes.size() == 1) {
            longestGap = 0;
            tick.restart();
            if (firstPageOnly)
                job.abortReport();
        }
    });
    QEventLoop loop;
    QString result;
    QObject::connect(&job, &AsyncReportsBase::ready, &loop, [&](const QString &message) {
        result = message;
        loop.quit();
    }, Qt::QueuedConnection);
    total.start();
    pass.start();
    tick.start();
    ticker.start();
    job.do_process();
    loop.exec();
    ticker.stop();
    Sample sample;
    sample.longestStallMs = qMax(0.0, longestGap - kTickMs);
    sample.seconds = total.nsecsElapsed() / 1e9;
    sample.pages = passes.size() + 1;
    if (!result.isEmpty() && !firstPageOnly)
        std::fprintf(stderr, "reportbench: %s\n", qUtf8Printable(result));
    // The first pass also covers the job's start: the time to the first page.
    sample.firstPageMs = passes.isEmpty() ? sample.seconds * 1e3 : passes.takeFirst();
    sample.medianPassMs = median(passes);
    sample.longestPassMs = passes.isEmpty() ? 0 : *std::max_element(passes.cbegin(), passes.cend());
    return sample;
}

// The floor: the same lines painted straight into one QPdfWriter with drawText, in three
// columns at the line report's pitch, no scene and no items.
Sample runFloor(const QStringList &lines, const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    AsyncReportsHelper helper;   // only for the formats and the millimetre arithmetic
    QPdfWriter writer(file);
    writer.setPageLayout(ReportFloor::pageLayout());
    QPainter painter(&writer);
    const double scale = double(writer.logicalDpiX()) / helper.ppi;
    painter.scale(scale, scale);
    const double width = writer.width() / scale;
    const double height = writer.height() / scale;
    painter.setFont(helper.formats[MvKeys::PrintoutFormat].font());
    std::unique_ptr<QGraphicsItem> probe(helper.createTextItemWithFormat(QStringLiteral("x"), helper.formats[MvKeys::PrintoutFormat]));
    const double pitch = MvLayout::LinePitch * probe->boundingRect().height();
    const double top = 30, bottom = height - 20;
    int pages = 1;
    int column = 0;
    double y = top;
    for (const QString &line : lines) {
        if (y + pitch > bottom) {
            y = top;
            if (++column == 3) {
                column = 0;
                writer.newPage();
                ++pages;
            }
        }
        painter.drawText(QPointF(column * width / 3 + 4, y + pitch), line);
        y += pitch;
    }
    painter.end();
    Sample sample;
    sample.seconds = timer.nsecsElapsed() / 1e9;
    sample.pages = pages;
    return sample;
}

// A single printout line of `size` characters: receipt lines run together.
QString longLine(int size)
{
    QString line;
    line.reserve(size);
    const QStringList receipt = SampleReceipts::lines(100);
    for (int i = 0; line.size() < size; ++i)
        line += receipt.at(i % receipt.size());
    line.truncate(size);
    return line;
}

long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// The title of the long-title case: 4 MB of text.
constexpr int kLongTitleSize = 4 * 1024 * 1024;

// Numbered receipts as documents of text lines.
QList<DocumentInput> receipts(int count)
{
    QList<DocumentInput> documents;
    for (const MvStringFormatter &receipt : SampleReceipts::compose(count))
        documents.append(DocumentReader::fromLines(receipt.lines(), QStringLiteral("receipt")));
    return documents;
}

#ifdef MVPDFRENDER_TOOL
// The tool, run to its end on arguments (or, with firstPageOnly, stopped by SIGTERM once it
// said its first page was written: a shell that starts this in the background has it ignore
// SIGINT, and so would the tool): its time from its start, to that first page, and its
// peak resident memory (the only child this process waits for, so the children's peak is its).
Sample runTool(const QStringList &arguments, bool firstPageOnly)
{
    Sample sample;
    QElapsedTimer timer;
    QProcess tool;
    // What generating the input left is given back first: forking a large process takes long.
    ::malloc_trim(0);
    timer.start();
    tool.setReadChannel(QProcess::StandardError);
    tool.start(QStringLiteral(MVPDFRENDER_TOOL), arguments);
    QByteArray said;
    while (!said.contains("page 1 ") && tool.waitForReadyRead(-1))
        said += tool.readAllStandardError();
    sample.firstPageMs = timer.nsecsElapsed() / 1e6;
    // (A report of one page says no page before its end, and then the tool is gone.)
    if (firstPageOnly && tool.state() == QProcess::Running && tool.processId() > 0)
        ::kill(pid_t(tool.processId()), SIGTERM);
    tool.waitForFinished(-1);
    sample.seconds = timer.nsecsElapsed() / 1e9;
    said += tool.readAllStandardError();
    const bool expected = firstPageOnly || (tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0);
    if (!expected)
        std::fprintf(stderr, "reportbench: the tool failed: %s\n", said.right(300).constData());
    sample.pages = said.mid(said.lastIndexOf("wrote")).split('(').value(1).split(' ').value(0).toInt();
    struct rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    sample.peakKiB = usage.ru_maxrss;
    return sample;
}
#endif

// The receipts of the documents cases as the tool's JSON documents file.
QByteArray receiptsJson(int count)
{
    QByteArray json = "{\"documents\": [\n";
    int number = 0;
    for (const MvStringFormatter &receipt : SampleReceipts::compose(count)) {
        json += number > 0 ? ",\n" : "";
        json += "{\"number\": " + QByteArray::number(++number) + ", \"items\": [";
        QStringList items;
        for (const QString &line : receipt.lines())
            items += DocumentReader::jsonString(line);
        json += items.join(QStringLiteral(", ")).toUtf8() + "]}";
    }
    return json + "\n]}\n";
}

// text in encoding, by iconv.
QByteArray encoded(const QByteArray &utf8, const char *encoding)
{
    const iconv_t converter = ::iconv_open(encoding, "UTF-8");
    QByteArray out(utf8.size() * 4 + 16, '\0');
    char *in = const_cast<char *>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char *to = out.data();
    size_t outLeft = size_t(out.size());
    ::iconv(converter, &in, &inLeft, &to, &outLeft);
    ::iconv_close(converter);
    out.truncate(int(to - out.constData()));
    return out;
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        std::fprintf(stderr, "reportbench: cannot write %s\n", qUtf8Printable(path));
}

// The tool's reading of a text file in encoding (its bytes read and split into lines), timed.
Sample runReading(const QString &file, const QString &encoding, int lineCount)
{
    const QByteArray utf8 = SampleReceipts::lines(lineCount).join(QLatin1Char('\n')).toUtf8() + '\n';
    writeFile(file, encoding == QLatin1String("utf-8") ? utf8 : encoded(utf8, qPrintable(encoding)));
    // The tool reads in a fresh process: the million small blocks the generated lines left are
    // merged now, not by the first large allocation of the reading.
    ::malloc_trim(0);
    QElapsedTimer timer;
    timer.start();
    InputReader reader;
    QByteArray data;
    QString error;
    QStringList lines;
    const bool read = reader.read(file, &data, &error) == InputReader::Result::Ok;
    const qint64 readNs = timer.nsecsElapsed();
    if (!read || !TextInput::decodeLines(data, file, encoding, &lines, &error))
        std::fprintf(stderr, "reportbench: %s\n", qUtf8Printable(error));
    Sample sample;
    sample.seconds = timer.nsecsElapsed() / 1e9;
    sample.splitSeconds = (timer.nsecsElapsed() - readNs) / 1e9;
    sample.bytes = data.size();
    sample.pages = lines.size() == lineCount ? 0 : -1;
    return sample;
}

// Runs one case in this process and prints "pages seconds firstPage medianPass longestPass
// longestStall peakKiB".
int runCase(const QString &name, int runs)
{
    const QStringList parts = name.split(QLatin1Char(':'));
    const int size = parts.value(1).toInt();
    const QString kind = parts.first();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.pdf"));
    QVector<double> seconds;
    Sample sample;
    for (int run = 0; run < runs; ++run) {
        if (parts.first() == QLatin1String("floor")) {
            sample = runFloor(SampleReceipts::lines(size), file);
        } else if (parts.first() == QLatin1String("docfloor")) {
            InputReader reader;
            ImageLoader images(reader);
            const ReportFloor::Recording recording = ReportFloor::recordDocuments(
                    file, std::make_unique<DocumentFeeder>(receipts(size), 1, images, [](const QString &) {}));
            sample = Sample();
            sample.pages = recording.pages.size();
            sample.seconds = ReportFloor::paint(recording, file);
        } else if (parts.first() == QLatin1String("documents") || parts.first() == QLatin1String("document")
                   || parts.first() == QLatin1String("outlined") || parts.first() == QLatin1String("counteddocuments")
                   || parts.first() == QLatin1String("loosedocuments") || parts.first() == QLatin1String("longtitle")) {
            QList<DocumentInput> documents = receipts(size);
            if (parts.first() == QLatin1String("document"))
                documents = {DocumentReader::fromLines(SampleReceipts::lines(size), name)};
            if (parts.first() == QLatin1String("longtitle")) {
                documents = {DocumentReader::fromLines(SampleReceipts::lines(size), name)};
                documents.first().title = QString(kLongTitleSize, QLatin1Char('T'));
            }
            InputReader reader;
            ImageLoader images(reader);
            CliJob::Settings settings = benchSettings(file);
            settings.outline = parts.first() == QLatin1String("outlined");
            settings.pageCount = parts.first() == QLatin1String("counteddocuments");
            settings.keepTogether = parts.first() != QLatin1String("loosedocuments");
            CliJob job(settings, std::make_unique<DocumentFeeder>(
                               documents, 1, images, [](const QString &) {}));
            sample = runJob(job);
        } else if (parts.first() == QLatin1String("outlinedlines")) {
            CliJob::Settings settings = benchSettings(file);
            settings.outlinePattern = QStringLiteral(".");
            CliJob job(settings, SampleReceipts::lines(size));
            sample = runJob(job);
        } else if (parts.first() == QLatin1String("countedlines")) {
            CliJob::Settings settings = benchSettings(file);
            settings.pageCount = true;
            CliJob job(settings, SampleReceipts::lines(size));
            sample = runJob(job);
        } else if (parts.first() == QLatin1String("firstpage")) {
            CliJob job(benchSettings(file), SampleReceipts::lines(size));
            sample = runJob(job, true);
        } else if (kind == QLatin1String("reading")) {
            sample = runReading(dir.filePath(QStringLiteral("lines.txt")), parts.value(2), size);
        } else if (kind == QLatin1String("tooldocfloor")) {
            // The floor of the tool's documents: the same file read as the tool reads it.
            const QString input = dir.filePath(QStringLiteral("documents.json"));
            writeFile(input, receiptsJson(size));
            InputReader reader;
            ImageLoader images(reader);
            QByteArray json;
            QString error;
            QList<DocumentInput> documents;
            reader.read(input, &json, &error);
            DocumentReader::fromJson(json, input, dir.path(), images, &documents, &error);
            const ReportFloor::Recording recording = ReportFloor::recordDocuments(
                    file, std::make_unique<DocumentFeeder>(documents, std::nullopt, images, [](const QString &) {}));
            sample = Sample();
            sample.pages = recording.pages.size();
            sample.seconds = ReportFloor::paint(recording, file);
#ifdef MVPDFRENDER_TOOL
        } else if (kind == QLatin1String("toolfirstpage")) {
            const QString input = dir.filePath(QStringLiteral("lines.txt"));
            writeFile(input, SampleReceipts::lines(size).join(QLatin1Char('\n')).toUtf8() + '\n');
            sample = runTool({QStringLiteral("lines"), input, QStringLiteral("-o"), file, QStringLiteral("--progress")}, true);
        } else if (kind == QLatin1String("tooldocuments")) {
            const QString input = dir.filePath(QStringLiteral("documents.json"));
            writeFile(input, receiptsJson(size));
            // The report the floor records: its header, and no outline.
            sample = runTool({QStringLiteral("documents"), input, QStringLiteral("-o"), file,
                              QStringLiteral("--title"), QStringLiteral("Benchmark"),
                              QStringLiteral("--subtitle"), QStringLiteral("Paragony"),
                              QStringLiteral("--place"), QStringLiteral("Kraków"),
                              QStringLiteral("--no-outline"), QStringLiteral("--progress")}, false);
#endif
        } else if (parts.first() == QLatin1String("longline")) {
            CliJob job(benchSettings(file), QStringList{longLine(size)});
            sample = runJob(job);
        } else {
            CliJob job(benchSettings(file), SampleReceipts::lines(size));
            sample = runJob(job);
        }
        seconds.append(sample.seconds);
    }
    std::printf("%d %.4f %.2f %.2f %.2f %.2f %ld %lld %.4f\n", sample.pages, median(seconds), sample.firstPageMs,
                sample.medianPassMs, sample.longestPassMs, sample.longestStallMs,
                sample.peakKiB > 0 ? sample.peakKiB : peakResidentKiB(), qint64(sample.bytes), sample.splitSeconds);
    return 0;
}

struct CaseResult
{
    int pages = 0;
    QVector<double> seconds;
    QVector<double> firstPages;
    QVector<double> medianPasses;
    double longestPass = 0;
    double longestStall = 0;
    long peakKiB = 0;
    qint64 bytes = 0;
    QVector<double> splitSeconds;
};

// Runs one case in a child process; false when the child failed.
bool runChild(const QString &name, CaseResult *result)
{
    QProcess child;
    child.start(QApplication::applicationFilePath(),
                {QStringLiteral("--case"), name, QStringLiteral("--runs"), QStringLiteral("1")});
    child.waitForFinished(-1);
    const QStringList fields = QString::fromLatin1(child.readAllStandardOutput()).simplified()
            .split(QLatin1Char(' '));
    if (child.exitCode() != 0 || fields.size() != 9)
        return false;
    result->pages = fields.at(0).toInt();
    result->seconds.append(fields.at(1).toDouble());
    result->firstPages.append(fields.at(2).toDouble());
    result->medianPasses.append(fields.at(3).toDouble());
    result->longestPass = qMax(result->longestPass, fields.at(4).toDouble());
    result->longestStall = qMax(result->longestStall, fields.at(5).toDouble());
    result->peakKiB = qMax(result->peakKiB, fields.at(6).toLong());
    result->bytes = fields.at(7).toLongLong();
    result->splitSeconds.append(fields.at(8).toDouble());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const bool smoke = args.contains(QStringLiteral("--smoke"));
    const int runsAt = args.indexOf(QStringLiteral("--runs"));
    const int runs = runsAt > 0 ? args.value(runsAt + 1).toInt() : (smoke ? 1 : 5);
    const int caseAt = args.indexOf(QStringLiteral("--case"));
    if (caseAt > 0)
        return runCase(args.value(caseAt + 1), runs);

    const int small = smoke ? 300 : 10000;
    const int large = smoke ? 1000 : 100000;
    const int documents = smoke ? 30 : 20000;
    const int huge = smoke ? 3000 : 1000000;
    // Each report is compared with the floor just above it: line reports with the line floor
    // of the same lines, documents with the document floor of the same documents. The first
    // page of a million lines is measured by a run cancelled after it.
    QStringList cases{QStringLiteral("floor:%1").arg(small), QStringLiteral("lines:%1").arg(small),
                      QStringLiteral("floor:%1").arg(large), QStringLiteral("lines:%1").arg(large),
                      QStringLiteral("docfloor:%1").arg(documents), QStringLiteral("documents:%1").arg(documents),
                      QStringLiteral("firstpage:%1").arg(huge)};
    // The tool end to end beside the library on the same input: its first page from its start
    // (the library's from do_process(), its lines already in memory), its document report
    // against the floor of the same file's documents, and its reading of text per encoding.
    QStringList readingCases;
    if (args.contains(QStringLiteral("--tool")) || smoke) {
#ifdef MVPDFRENDER_TOOL
        for (const int lines : {small, large, huge}) {
            if (!cases.contains(QStringLiteral("firstpage:%1").arg(lines)))
                cases += QStringLiteral("firstpage:%1").arg(lines);
            cases += QStringLiteral("toolfirstpage:%1").arg(lines);
        }
        cases += QStringList{QStringLiteral("tooldocfloor:%1").arg(documents), QStringLiteral("tooldocuments:%1").arg(documents)};
#endif
        // (In UTF-16 a million lines would pass the tool's limit on an input.)
        const int readLines = smoke ? huge : 800000;
        for (const char *encoding : {"utf-8", "cp1250", "utf-16"})
            readingCases += QStringLiteral("reading:%1:%2").arg(readLines).arg(QLatin1String(encoding));
        cases += readingCases;
    }
    if (args.contains(QStringLiteral("--long"))) {
        const int longReport = smoke ? 2000 : 300000;
        cases += QStringList{QStringLiteral("floor:%1").arg(longReport),
                             QStringLiteral("lines:%1").arg(longReport),
                             QStringLiteral("document:%1").arg(longReport)};
    }
    const int longLineSize = smoke ? 50000 : 5 * 1024 * 1024;
    const QString longLineCase = QStringLiteral("longline:%1").arg(longLineSize);
    if (args.contains(QStringLiteral("--long-line")) || smoke)
        cases += longLineCase;
    const int outlinedLines = smoke ? 2000 : 1000000;
    const QString plainLinesCase = QStringLiteral("lines:%1").arg(outlinedLines);
    const QString outlinedLinesCase = QStringLiteral("outlinedlines:%1").arg(outlinedLines);
    if (args.contains(QStringLiteral("--outline")) || smoke) {
        const int many = smoke ? 60 : 20000;
        for (const QString &name : {QStringLiteral("documents:%1").arg(many), QStringLiteral("outlined:%1").arg(many),
                                    plainLinesCase, outlinedLinesCase}) {
            if (!cases.contains(name))
                cases += name;
        }
    }
    const QString linesCase = QStringLiteral("lines:%1").arg(large);
    const QString countedLinesCase = QStringLiteral("countedlines:%1").arg(large);
    const QString documentsCase = QStringLiteral("documents:%1").arg(documents);
    const QString countedDocumentsCase = QStringLiteral("counteddocuments:%1").arg(documents);
    const QString looseDocumentsCase = QStringLiteral("loosedocuments:%1").arg(documents);
    if (args.contains(QStringLiteral("--archive")) || smoke)
        cases += QStringList{countedLinesCase, countedDocumentsCase, looseDocumentsCase};
    const int titledLines = smoke ? 2000 : 20000;
    const QString shortTitleCase = QStringLiteral("document:%1").arg(titledLines);
    const QString longTitleCase = QStringLiteral("longtitle:%1").arg(titledLines);
    if (args.contains(QStringLiteral("--long-title")) || smoke) {
        if (!cases.contains(shortTitleCase))
            cases += shortTitleCase;
        cases += longTitleCase;
    }
    // Rounds interleave the cases, each run in a fresh process, so that a slow spell of the
    // machine hits the floor and the reports alike; the table shows each case's fastest run.
    QMap<QString, CaseResult> results;
    for (int round = 0; round < runs; ++round) {
        for (const QString &name : cases) {
            if (!runChild(name, &results[name])) {
                std::fprintf(stderr, "reportbench: case %s failed\n", qUtf8Printable(name));
                return 1;
            }
        }
    }

    std::printf("%-22s %6s %9s %9s %9s %11s %11s %12s %13s %6s\n", "case", "pages", "seconds", "pages/s",
                "peak MiB", "first page", "median pass", "longest pass", "longest stall", "ratio");
    const auto rateOf = [&results](const QString &name) {
        const double seconds = fastest(results.value(name).seconds);
        return seconds > 0 ? results.value(name).pages / seconds : 0.0;
    };
    for (const QString &name : cases) {
        if (readingCases.contains(name))
            continue;
        const CaseResult &result = results[name];
        const double seconds = fastest(result.seconds);
        const double rate = rateOf(name);
        // A line report is compared with the line floor of as many lines, a document report
        // with the document floor of as many documents; other cases with nothing.
        const QString size = name.section(QLatin1Char(':'), 1);
        QString floor;
        if (name.startsWith(QLatin1String("lines:")) || name.startsWith(QLatin1String("floor:")))
            floor = QStringLiteral("floor:") + size;
        else if (name.startsWith(QLatin1String("documents:")) || name.startsWith(QLatin1String("docfloor:")))
            floor = QStringLiteral("docfloor:") + size;
        else if (name.startsWith(QLatin1String("tooldoc")))
            floor = QStringLiteral("tooldocfloor:") + size;
        const double ratio = results.contains(floor) && rateOf(floor) > 0 ? rate / rateOf(floor) : 0.0;
        std::printf("%-22s %6d %9.3f %9.1f %9.1f %8.2f ms %8.2f ms %9.2f ms %10.2f ms %6.2f\n",
                    qUtf8Printable(name), result.pages, seconds, rate, result.peakKiB / 1024.0,
                    fastest(result.firstPages), median(result.medianPasses), result.longestPass,
                    result.longestStall, ratio);
    }
    for (const QString &name : qAsConst(readingCases)) {
        const double seconds = fastest(results[name].seconds);
        const double split = fastest(results[name].splitSeconds);
        const double megabytes = results[name].bytes / 1e6;
        std::printf("%s: %.1f MB read and split into lines in %.3f s, %.0f MB/s (the split alone %.0f MB/s)\n",
                    qUtf8Printable(name), megabytes, seconds, seconds > 0 ? megabytes / seconds : 0.0,
                    split > 0 ? megabytes / split : 0.0);
    }
    if (results.contains(countedLinesCase)) {
        for (const auto &pair : {std::make_pair(linesCase, countedLinesCase),
                                 std::make_pair(documentsCase, countedDocumentsCase)}) {
            const double plain = median(results[pair.first].seconds);
            const double counted = median(results[pair.second].seconds);
            std::printf("%s: \"Strona N z M\" footers cost %.0f %% of the report's time\n",
                        qUtf8Printable(pair.second), plain > 0 ? 100.0 * (counted - plain) / plain : 0.0);
        }
        const double loose = median(results[looseDocumentsCase].seconds);
        std::printf("%s: keeping documents together costs %.0f %% of the time without (%d pages "
                    "against %d)\n", qUtf8Printable(documentsCase),
                    loose > 0 ? 100.0 * (median(results[documentsCase].seconds) - loose) / loose : 0.0,
                    results[documentsCase].pages, results[looseDocumentsCase].pages);
    }
    if (results.contains(outlinedLinesCase)) {
        const double perEntry = (results[outlinedLinesCase].peakKiB - results[plainLinesCase].peakKiB)
                * 1024.0 / outlinedLines;
        std::printf("\n%s: an outline entry for every line costs %.1f bytes of peak memory an entry\n",
                    qUtf8Printable(outlinedLinesCase), perEntry);
    }
    if (results.contains(longTitleCase)) {
        std::printf("\n%s: with a title of %d MB the longest page pass takes %.2f ms (%.2f ms with a short one)\n",
                    qUtf8Printable(longTitleCase), kLongTitleSize / (1024 * 1024), results[longTitleCase].longestPass,
                    results[shortTitleCase].longestPass);
    }
    if (results.contains(longLineCase)) {
        const double seconds = median(results[longLineCase].seconds);
        const double megabytes = longLine(longLineSize).toUtf8().size() / 1e6;
        std::printf("\n%s: one line of %.2f MB (UTF-8) in %.3f s, %.2f MB/s\n",
                    qUtf8Printable(longLineCase), megabytes, seconds, seconds > 0 ? megabytes / seconds : 0.0);
    }
    return 0;
}
