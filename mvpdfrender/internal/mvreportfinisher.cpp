#include "mvreportfinisher.h"

#include "mvfooterpages.h"
#include "mvpdfstamp.h"
#include "pdfoutput_p.h"

#include <QElapsedTimer>

#include <cerrno>
#include <system_error>
#include <utility>

namespace {

// The page labels are painted, and the document copied into a device, in passes of the event
// loop of at most this many milliseconds.
constexpr qint64 kLabelPassMs = 10;
constexpr qint64 kCopyPassMs = 10;
constexpr qint64 kCopyChunk = 64 * 1024;
// A sequential device holding this much that it has not passed on yet is given no more.
constexpr qint64 kBacklogBytes = 1024 * 1024;

} // namespace

MvReportFinisher::MvReportFinisher(PDFOutput &output) : output(output)
{
}

MvReportFinisher::~MvReportFinisher()
{
    requestStop();
    join();
}

void MvReportFinisher::setOptions(const Options &newOptions)
{
    options = newOptions;
}

bool MvReportFinisher::rewrites() const
{
    return options.outline || options.pdfA1b || options.timestamp.isValid() || options.pageCount;
}

void MvReportFinisher::setDrivenByJob(bool drivenByJob)
{
    driven = drivenByJob;
}

bool MvReportFinisher::drivenByJob() const
{
    return driven;
}

void MvReportFinisher::addEntry(const MvOutlineEntry &entry)
{
    entries.append(entry);
}

void MvReportFinisher::dropEntriesOfPage(int page)
{
    while (!entries.isEmpty() && entries.last().page == page)
        entries.removeLast();
}

MvReportFinisher::Phase MvReportFinisher::phase() const
{
    return current;
}

MvFailure MvReportFinisher::failure() const
{
    return failed;
}

void MvReportFinisher::start(std::unique_ptr<MvFooterPages> pageLabels, const QStringList &reportLines)
{
    PDFOutput::Private *out = PDFOutput::Private::get(output);
    // An output never opened (its renderer not prepared) has nothing to deliver, and no
    // failure of its own to tell.
    if (!out->writer && !out->stage) {
        current = Phase::Failed;
        return;
    }
    // A staged document now waits in its stage; any other is complete at its destination.
    output.finishPDF();
    if (output.hasWriteError()) {
        fail(MvFailure::Reason::CannotWrite, out->systemError);
        return;
    }
    if (!rewrites()) {
        // The destination has the whole document unless a device with a buffer of its own
        // waits for its last bytes: a cancel that came while it was written is too late.
        handedOver = out->heldTail.isEmpty();
        current = Phase::Drain;
        return;
    }
    lines = reportLines;
    labels = std::move(pageLabels);
    current = labels ? Phase::Labels : Phase::Rewrite;
}

MvReportFinisher::Step MvReportFinisher::step(const std::function<void()> &wake)
{
    if (stop.load() && cancellable())
        return rewriteStarted && !rewriteEnded.load() ? Step::Waiting : fail(MvFailure::Reason::Cancelled);
    switch (current) {
    case Phase::Labels:
        if (labels->paintSome(kLabelPassMs))
            return Step::Again;
        labelPages = labels->document();
        labels.reset();
        current = Phase::Rewrite;
        return Step::Again;
    case Phase::Rewrite:
        // A rewrite on its own thread calls wake when it ends, whenever that is.
        if (!rewriteStarted && startRewrite(wake))
            return Step::Waiting;
        return rewriteEnded.load() ? endRewrite() : Step::Waiting;
    case Phase::Copy:
        return copySome();
    case Phase::Drain:
        return drain();
    case Phase::Done:
        return Step::Completed;
    case Phase::Pages:
    case Phase::Failed:
    case Phase::Discarded:
        break;
    }
    return Step::Failed;
}

bool MvReportFinisher::finishNow(std::unique_ptr<MvFooterPages> pageLabels, const QStringList &reportLines)
{
    synchronous = true;
    start(std::move(pageLabels), reportLines);
    const std::function<void()> nothing = []() {};
    for (;;) {
        switch (step(nothing)) {
        case Step::Completed:
            return true;
        case Step::Failed:
            return false;
        case Step::Again:
        case Step::Later:
        case Step::Waiting:
            break;
        }
    }
}

bool MvReportFinisher::startRewrite(const std::function<void()> &wake)
{
    rewriteStarted = true;
    target = PDFOutput::Private::get(output)->rewriteTarget();
    auto run = [this, wake]() {
        rewrite();
        rewriteEnded = true;
        wake();
    };
    if (!synchronous) {
        try {
            rewriter = std::thread(run);
            return true;
        } catch (const std::system_error &) {
            // No thread to be had (a process or memory limit): the rewrite runs here instead.
        }
    }
    rewrite();
    rewriteEnded = true;
    return false;
}

// On the rewrite's thread: the staged document into target, as it is to be.
void MvReportFinisher::rewrite()
{
    PDFOutput::Private *out = PDFOutput::Private::get(output);
    rewriteResult = MvOutlineWriter::Result::Failed;
    if (!target || (options.pageCount && labelPages.isEmpty()))
        return;
    QString reason;
    MvPdfStamp stamp;
    if (options.timestamp.isValid() && !stamp.plan(*out->stage, options.timestamp, &reason))
        return;
    int next = 0;
    MvOutlineWriter::Additions additions;
    if (options.outline) {
        additions.entries = [this, &next](MvOutlineEntry *entry) {
            if (next >= entries.size())
                return false;
            *entry = entries.at(next++);
            if (entry->line >= 0)
                entry->title = lines.value(entry->line).simplified();
            return true;
        };
    }
    additions.entryCount = entries.size();
    additions.groupSize = options.outlineGroupSize;
    additions.balancePages = options.pdfA1b;
    additions.overlay = labelPages;
    additions.stamp = options.timestamp.isValid() ? &stamp : nullptr;
    rewriteResult = MvOutlineWriter::write(*out->stage, *target, additions, stop, reason, &rewriteError);
    auto *file = qobject_cast<QFileDevice *>(target);
    errno = 0;
    if (rewriteResult == MvOutlineWriter::Result::Written && file && !file->flush()) {
        rewriteResult = MvOutlineWriter::Result::Failed;
        rewriteError = errno;
    }
}

MvReportFinisher::Step MvReportFinisher::endRewrite()
{
    join();
    PDFOutput::Private *out = PDFOutput::Private::get(output);
    switch (rewriteResult) {
    case MvOutlineWriter::Result::Written:
        if (out->copyTarget()) {
            current = Phase::Copy;
            return Step::Again;
        }
        return complete();
    case MvOutlineWriter::Result::Stopped:
        return fail(MvFailure::Reason::Cancelled);
    case MvOutlineWriter::Result::OutOfMemory:
        return fail(MvFailure::Reason::OutOfMemory);
    case MvOutlineWriter::Result::Failed:
        break;
    }
    return fail(MvFailure::Reason::CannotWrite, out->rewritten && out->rewritten->failed()
                ? out->rewritten->systemError() : rewriteError);
}

// On the job's thread, the device's own: a share of the rewritten document into the device.
MvReportFinisher::Step MvReportFinisher::copySome()
{
    PDFOutput::Private *out = PDFOutput::Private::get(output);
    QIODevice *into = out->copyTarget();
    MvStage &from = *out->rewritten;
    // A device with a buffer of its own gets the last bytes once it has passed on the rest.
    const qint64 size = from.size();
    const qint64 end = into == out->delivery.target() && out->delivery.buffered()
            ? qMax(qint64(0), size - PDFOutput::Private::kHeldTailBytes) : size;
    QElapsedTimer timer;
    timer.start();
    while (copied < end) {
        if (stop.load())
            return fail(MvFailure::Reason::Cancelled);
        if (!synchronous && into->isSequential() && into->bytesToWrite() >= kBacklogBytes)
            return Step::Later;
        if (!synchronous && timer.elapsed() >= kCopyPassMs)
            return Step::Again;
        if (!from.seek(copied))
            return fail(MvFailure::Reason::CannotWrite);
        const QByteArray chunk = from.read(qMin(kCopyChunk, end - copied));
        if (chunk.isEmpty())
            return fail(MvFailure::Reason::CannotWrite);
        errno = 0;
        if (into->write(chunk) != chunk.size())
            return fail(MvFailure::Reason::CannotWrite, qobject_cast<QFileDevice *>(into) ? errno : 0);
        out->delivery.given(chunk.size());
        copied += chunk.size();
    }
    if (!from.seek(end))
        return fail(MvFailure::Reason::CannotWrite);
    out->heldTail = from.read(size - end);
    return complete();
}

// Hands the document over: flushed, and at a path, published.
MvReportFinisher::Step MvReportFinisher::complete()
{
    PDFOutput::Private *out = PDFOutput::Private::get(output);
    out->stagedWritten = true;
    output.finishPDF();
    if (output.hasWriteError())
        return fail(MvFailure::Reason::CannotWrite, out->systemError);
    current = Phase::Drain;
    return drain();
}

// A device with a buffer of its own has taken the document when it has passed all of it on:
// its last bytes, held back until it has passed on the rest, then those. Once they are given
// the report is handed over whole: a cancel is too late, and the device decides the outcome.
MvReportFinisher::Step MvReportFinisher::drain()
{
    PDFOutput::Private *out = PDFOutput::Private::get(output);
    MvDelivery &delivery = out->delivery;
    if (delivery.broken())
        return fail(MvFailure::Reason::CannotWrite);
    if (!synchronous && delivery.pending())
        return Step::Later;
    if (!out->heldTail.isEmpty()) {
        const QByteArray tail = std::exchange(out->heldTail, QByteArray());
        QIODevice *into = delivery.target();
        if (!into || into->write(tail) != tail.size())
            return fail(MvFailure::Reason::CannotWrite);
        delivery.given(tail.size());
        handedOver = true;
        return drain();
    }
    current = Phase::Done;
    return Step::Completed;
}

MvReportFinisher::Step MvReportFinisher::fail(MvFailure::Reason reason, int systemError)
{
    join();
    failed = MvFailure(reason);
    failed.setPath(output.filePath());
    failed.setSystemError(systemError);
    output.discard();
    current = Phase::Failed;
    return Step::Failed;
}

void MvReportFinisher::requestStop()
{
    stop = true;
}

bool MvReportFinisher::cancellable() const
{
    return current != Phase::Done && current != Phase::Failed && current != Phase::Discarded && !handedOver;
}

void MvReportFinisher::discard()
{
    if (!cancellable())
        return;
    requestStop();
    join();
    output.discard();
    current = Phase::Discarded;
}

void MvReportFinisher::join()
{
    if (rewriter.joinable())
        rewriter.join();
}
