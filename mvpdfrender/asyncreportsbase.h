#ifndef ASYNCREPORTSBASE_H
#define ASYNCREPORTSBASE_H

#include "mvpdfrender_global.h"

#include "mvfailure.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class PDFRendererBase;

/**
 * \brief The abstract report job.
 *
 * A host derives one class per kind of report and supplies its data through the pure virtual
 * functions. The job then writes one page per pass of the event loop of its thread, sends
 * progress() after every page but the last, and ends every run with exactly one ready(),
 * whose text is empty on success and a Polish message otherwise. Every page is a queued call,
 * so a job living in the GUI thread never freezes the user interface.
 *
 * A job lives in one thread (its QObject thread affinity), the GUI thread or a worker thread
 * with an event loop of its own (QThread::exec(); the process still needs its QApplication):
 * its passes, its renderer and the host's output device are used only there. do_process() and
 * abortReport() may be called from any thread, the other functions from the job's own.
 *
 * After the last page a run finishes its report before ready(): page labels, the file's
 * stamp, the outline, and the copy into a host's device (PDFRendererBase), each in passes of
 * the event loop or on a thread of the library's own, and each ended by a cancel.
 *
 * \code
 * class InvoiceReport : public AsyncReportsBase
 * {
 *     void process() override
 *     {
 *         auto *renderer = new PDFRenderer(this);
 *         startRenderer(renderer);
 *     }
 *     QStringList &reportLines() override { return lines; }
 *     // ... the other data functions
 * };
 * \endcode
 */
class MVPDFRENDER_EXPORT AsyncReportsBase : public QObject
{
    Q_OBJECT

public:
    /**
     * How a run ended, beside the text of ready(), which says which.
     * \since 1.1
     */
    enum class Outcome {
        Completed,   ///< The file is complete, holding every line and item of the report.
        Cancelled,   ///< abortReport(), or a new start while the run went on.
        NoData,      ///< A pass found no renderer (startRenderer() with null, say).
        WriteFailed, ///< The file could not be opened or written completely, or prepare()
                     ///< failed for want of what every report needs: a QApplication, fonts.
        LayoutFailed, ///< prepare() found, before any file was made, that the report cannot be
                      ///< laid out without losing lines (a page header or heading lines that
                      ///< leave no room for a line in a column), or the outline pattern failed
                      ///< on a line.
        TimestampOutOfRange ///< prepare() found, before any file was made, a file timestamp
                            ///< a PDF date cannot hold (PDFRendererBase::setFileTimestamp()).
                            ///< \since 1.2
    };
    Q_ENUM(Outcome)

    /** Fills monthNames; no run is installed. */
    explicit AsyncReportsBase(QObject *parent = nullptr);
    /**
     * A job destroyed during a run (its pages or its finishing) deletes its renderer and drops
     * the unfinished report: its path keeps what stood there, a device is left as a cancel
     * leaves it; no ready() is sent. A job destroyed after the QApplication does the same, but
     * leaves Qt's painting objects of the run unfreed, since Qt cannot end its painting without
     * the application.
     */
    ~AsyncReportsBase() override;

    /**
     * The outcome of the last run. Set when ready() is emitted, so that a slot of it, connected
     * directly or queued, reads it; it holds until the next run ends.
     * \since 1.1
     */
    Outcome lastOutcome() const;
    /**
     * The path of the file the last run wrote or tried to write (also when it could not be
     * opened): empty when the run ended before any file was asked for (no renderer, no
     * QApplication, no fonts, a timestamp out of range, a layout prepare() refused), and for a report
     * written into a device (PDFRendererBase::setOutputDevice()). Set and kept as
     * lastOutcome() is.
     * \since 1.1
     */
    QString lastOutputPath() const;
    /**
     * Why the last run failed, as a value: MvFailure::Reason::None after a complete report,
     * otherwise the reason of the text of its ready(), with the path, line and system error
     * that apply. Set and kept as lastOutcome() is.
     * \since 1.2
     */
    MvFailure lastFailure() const;

    /**
     * The text of ready() for a cancelled run:
     * "Generowanie dokumentu przerwane przez użytkownika."
     * \since 1.1
     */
    static QString cancelledMessage();
    /**
     * The text of ready() for a pass that found no renderer:
     * "Błąd renderowania PDF. Brak danych?"
     * \since 1.1
     */
    static QString noDataMessage();

signals:
    /**
     * The end of a run, exactly once per do_process() whose process() starts a renderer
     * (startRenderer(), or a renderer installed and "nextPage" invoked by hand; a process()
     * that does neither, as one that waits for its data, gets no ready() until it does). An
     * empty message means the PDF is complete and closed at its path (or all of it given to
     * the host's device); otherwise it is the failure or cancel text, and lastOutcome() and
     * lastFailure() tell which.
     */
    void ready(QString message);
    /**
     * Sent after every page that is not the last: "Tworzenie strony: N (P %)", N being the page
     * now composed and P the renderer's perc() less 0.1 (not below 0.0), with one decimal.
     */
    void progress(QString message);

public slots:
    /**
     * Ends the run at its next pass (or, while the finished report is being written again, as
     * soon as that stops) with cancelledMessage(). The report's path keeps what stood there
     * before the run; a device is left as PDFRendererBase::setOutputDevice() says. A cancel
     * that comes once all of the report has been given to its destination is too late: the
     * destination decides the outcome. Only sets a flag: safe to call between passes, and from
     * any thread (it then re-posts itself to the job's thread).
     */
    void abortReport();
    /**
     * Starts a run: clears aborted and calls process(). May be called from any thread: it then
     * re-posts itself to the job's thread and returns at once. A run still going is ended first,
     * with its own ready() (cancelledMessage()) and its unfinished report dropped, so that every
     * start gets exactly one ready().
     */
    void do_process();

private:
    // A page pass of a run installed by hand, invoked by name ("nextPage"); carried out by the
    // private part.
    Q_PRIVATE_SLOT(d, void nextPage())

public:
    /**
     * The job's body, called by do_process() in the job's thread: make a renderer with this job
     * as owner, give it its data and hand it to startRenderer(). Or do by hand what that does:
     * prepare() the renderer, startReport() it, store it in renderer and invoke "nextPage"
     * queued.
     */
    virtual void process() = 0;
    /**
     * The lines of a line report, read by PDFRenderer. The list must stay valid and unchanged
     * in size during a run: the renderer holds iterators into it.
     */
    virtual QStringList &reportLines() = 0;
    /** Heading lines at the top of every column but the first column of page 1. */
    virtual QStringList &continuationHeader() = 0;
    /** The document title and the first text of the page header; the same throughout a run. */
    virtual QString reportTitle() = 0;
    /** The second text of the page header; the same throughout a run. */
    virtual QString reportSubtitle() = 0;
    /**
     * The text that opens the dated line of the header ("PLACE, dnia 4 grudnia 2026 roku");
     * empty for a line without a place. The same throughout a run.
     */
    virtual QString reportPlace() = 0;
    /**
     * The path of the PDF file; not asked for when the renderer writes into a device. The
     * same throughout a run.
     */
    virtual QString outputFileName() = 0;

protected:
    /**
     * Starts the run with renderer, which the host made with this job as owner and filled.
     * Prepares it and, when that succeeds, starts its report, installs it, schedules the
     * first pass and returns true. When prepare() fails, deletes it, ends the run with
     * ready(its lastError()) and the outcome of its lastFailure() (WriteFailed, LayoutFailed
     * or TimestampOutOfRange), and returns false. Takes ownership. A null renderer ends the
     * run with the NoData outcome and its text.
     * \since 1.1
     */
    bool startRenderer(PDFRendererBase *renderer);

    /** "" then the Polish genitive month names ("stycznia" ...), indexed by QDate::month(). */
    QStringList monthNames;
    /** The renderer of the running job; owned, deleted when the run ends; null when idle. */
    PDFRendererBase *renderer;
    /** Set by abortReport(), cleared by do_process(). */
    bool aborted;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#endif // ASYNCREPORTSBASE_H
