#ifndef ASYNCREPORTSBASE_H
#define ASYNCREPORTSBASE_H

#include "mvpdfrender_global.h"

#include <QObject>
#include <QString>
#include <QStringList>

class PDFRendererBase;

// The abstract report job. A host derives one class per kind of report and supplies its data
// through the pure virtual functions; the job then writes one page per pass of the event
// loop, sends progress after every page but the last, and ends every run with exactly one
// ready() whose text is empty on success and a message otherwise.
class MVPDFRENDER_EXPORT AsyncReportsBase : public QObject
{
    Q_OBJECT

public:
    // How a run ended, beside the text of ready(): Completed (the file is complete, holding
    // every line and item of the report), Cancelled (abortReport(), or a new start while it
    // ran), NoData (a pass found no renderer), WriteFailed (the file could not be opened or
    // written completely, or prepare() failed for want of what every report needs: a
    // QApplication, usable fonts) or LayoutFailed (prepare() found, before any file was made,
    // that this report cannot be laid out without losing lines: heading lines that leave no
    // room for a line in a column). The text of ready() says which.
    enum class Outcome { Completed, Cancelled, NoData, WriteFailed, LayoutFailed };
    Q_ENUM(Outcome)

    explicit AsyncReportsBase(QObject *parent = nullptr);
    // A job destroyed during a run deletes its renderer and drops the unfinished report: its
    // path keeps what stood there. A job destroyed after the QApplication does the same, but
    // leaves Qt's painting objects of the run unfreed, since Qt cannot end its painting
    // without the application.
    ~AsyncReportsBase() override;

    // The outcome of the last run and the path of the file it wrote or tried to write (empty
    // when it opened none, and for a report written into a device). Both are set when ready() is emitted, so that a slot of it,
    // connected directly or queued, reads them; they hold until the next run ends.
    Outcome lastOutcome() const;
    QString lastOutputPath() const;

    // The texts of ready() for a cancelled run and for a pass that found no renderer. Since 1.1.
    static QString cancelledMessage();
    static QString noDataMessage();

signals:
    void ready(QString message);
    void progress(QString message);

public slots:
    // Ends the run at the next pass (or, while the outline of a finished report is being
    // written, as soon as that stops) with the cancel message and no file.
    void abortReport();
    // Starts a run; may be called from any thread (it re-posts itself to the job's thread).
    // A run still going is ended first, with its own ready() (the cancel message) and its
    // file removed, so that every start gets exactly one ready().
    void do_process();

private slots:
    void nextPage();
    // The outline step of run generation has ended on its thread.
    void outlineStepEnded(quint64 generation);

public:
    // The job's body: make a renderer with this job as owner, give it its data and hand it to
    // startRenderer(); or do what that does by hand: prepare() it, startReport() it, store it
    // in `renderer` and invoke "nextPage" queued.
    virtual void process() = 0;
    // The lines of a line report; the list must stay valid and unchanged in size during a run.
    virtual QStringList &reportLines() = 0;
    virtual QStringList &continuationHeader() = 0;
    virtual QString reportTitle() = 0;
    virtual QString reportSubtitle() = 0;
    virtual QString reportPlace() = 0;
    virtual QString outputFileName() = 0;

protected:
    // Starts the run with renderer, which the host made with this job as owner and filled:
    // prepares it and, when that succeeds, starts its report, installs it and schedules the
    // first pass, and returns true. When prepare() fails, deletes it, ends the run with
    // ready(its lastError()) and the WriteFailed or LayoutFailed outcome, and returns false.
    // Takes ownership. A null renderer ends the run with the NoData outcome and its text.
    bool startRenderer(PDFRendererBase *renderer);

    QStringList monthNames;     // "" then the genitive month names, indexed by QDate::month()
    PDFRendererBase *renderer;  // owned; null while no run is installed
    bool aborted;

private:
    // Records how the run ended, then emits ready(message).
    void endRun(Outcome outcome, const QString &path, const QString &message);
    void finishRun();
    // Ends the run of the finished renderer: complete, or a failed write.
    void completeRun(bool complete);
    // Deletes the installed renderer and removes its file; passQueued: a pass of that run is
    // still queued and must do nothing when it arrives.
    void disposeOfRenderer(bool passQueued);

    // Counts the runs started, so that a pass can tell whether a slot it signalled started
    // a new run (or destroyed the job) and must then leave the new run alone.
    quint64 runGeneration = 0;
    // The run whose pass is executing now (its generation), or 0 between passes.
    quint64 passGeneration = 0;
    // Passes of an abandoned run that are still queued and must do nothing when they arrive.
    int stalePasses = 0;
    // Whether the installed run has had its ready() already (a cancel in progress).
    bool readySent = false;
    // Whether the installed run has written its last page and its outline is being written.
    bool outlineStep = false;
    Outcome outcome = Outcome::NoData;
    QString outputPath;
};

#endif // ASYNCREPORTSBASE_H
