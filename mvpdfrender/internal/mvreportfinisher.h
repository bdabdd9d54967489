#ifndef MVREPORTFINISHER_H
#define MVREPORTFINISHER_H

#include "mvfailure.h"
#include "mvoutlinewriter.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class MvFooterPages;
class PDFOutput;
class QIODevice;

// Everything that happens to a report after its last page, in phases that a job drives one
// pass of its event loop at a time:
// - Labels: the page labels of a report that shows its page count, painted a batch a pass;
// - Rewrite: on a thread of its own, the staged document copied (stamped with the file's
//   moment) into the work file beside the path, or into a second stage for a device, with the
//   update that adds the outline, lays the labels over the pages and splits a wide page tree;
// - Copy: the rewritten document copied into the host's device on the job's thread (the
//   device's own), a bounded share a pass, waiting while a sequential device has not passed on
//   what it was given;
// - Drain: a device with a buffer of its own (a process, a socket) passes on the rest before the
//   report counts as delivered, and fails it when it drops what it holds;
// - then the document is handed over (a file at a path takes its name): Done, or Failed.
// Every phase can be cancelled (requestStop(), discard()) and ends with a failure value.
// Only the rewrite runs on another thread, and it touches nothing but the stage and the
// library's own files.
class MvReportFinisher
{
public:
    enum class Phase { Pages, Labels, Rewrite, Copy, Drain, Done, Failed, Discarded };
    // What the job does after a step.
    enum class Step {
        Again,     // another pass at once
        Later,     // another pass in a moment: the device has not passed on what it has
        Waiting,   // nothing: the rewrite calls the step's wake when it ends
        Completed, // the whole report reached its destination
        Failed     // it did not: failure() says why
    };

    // What the report asks of its finishing, as the renderer was set up.
    struct Options
    {
        bool pdfA1b = false;
        QDateTime timestamp;    // invalid: the moment of the run
        bool outline = false;
        bool pageCount = false;
        int outlineGroupSize = 0;   // see MvOutlineWriter::Additions::groupSize
    };

    explicit MvReportFinisher(PDFOutput &output);
    // Stops a rewrite and waits for it: it uses the output.
    ~MvReportFinisher();

    void setOptions(const Options &options);
    // Whether the document is written again after its last page, and staged until then.
    bool rewrites() const;
    // A job drives the report: from its start until it is finished, ending the renderer
    // drops the report rather than completing it.
    void setDrivenByJob(bool driven);
    bool drivenByJob() const;

    void addEntry(const MvOutlineEntry &entry);
    // Drops the entries of page, when it is composed again.
    void dropEntriesOfPage(int page);

    // After the last page: ends the painting and starts finishing. labels: the page labels to
    // paint (null when the report does not show its page count); lines: the report's lines,
    // for the titles of line entries.
    void start(std::unique_ptr<MvFooterPages> labels, const QStringList &lines);
    Phase phase() const;
    // One pass of finishing; wake is called, on the rewrite's thread, when a Waiting step may
    // go on.
    Step step(const std::function<void()> &wake);
    // Finishes at once, on this thread (the rewrite included, a sequential device not waited
    // for): for a renderer finished outside a job. Whether the report is complete.
    bool finishNow(std::unique_ptr<MvFooterPages> labels, const QStringList &lines);
    // Asks a rewrite or a copy under way to stop soon.
    void requestStop();
    // Whether finishing is still under way, and a cancel ends it: not once the device has been
    // given all of the report, nor once finishing has ended.
    bool cancellable() const;
    // Stops, waits for the rewrite and drops the unfinished report; nothing once finishing has
    // ended. (A device with a buffer of its own may still pass on what it holds.)
    void discard();
    MvFailure failure() const;

private:
    Q_DISABLE_COPY(MvReportFinisher)

    // Whether the rewrite runs on a thread of its own, which calls wake when it ends; else it
    // has run here.
    bool startRewrite(const std::function<void()> &wake);
    void rewrite();
    Step endRewrite();
    Step copySome();
    Step drain();
    Step complete();
    Step fail(MvFailure::Reason reason, int systemError = 0);
    void join();

    PDFOutput &output;
    Options options;
    bool driven = false;
    Phase current = Phase::Pages;
    QVector<MvOutlineEntry> entries;
    QStringList lines;
    std::unique_ptr<MvFooterPages> labels;
    QByteArray labelPages;            // the painted labels, a PDF of as many pages as the report
    QIODevice *target = nullptr;      // what the rewrite writes into
    qint64 copied = 0;
    bool synchronous = false;         // finishNow(): no passes, no waiting for a device
    bool rewriteStarted = false;
    bool handedOver = false;          // the device has all of the report: too late to cancel
    std::thread rewriter;
    std::atomic_bool stop{false};
    std::atomic_bool rewriteEnded{false};
    // Set by the rewrite, read once it has ended.
    MvOutlineWriter::Result rewriteResult = MvOutlineWriter::Result::Failed;
    int rewriteError = 0;
    MvFailure failed;
};

#endif // MVREPORTFINISHER_H
