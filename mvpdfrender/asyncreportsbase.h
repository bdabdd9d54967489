#ifndef ASYNCREPORTSBASE_H
#define ASYNCREPORTSBASE_H

#include "mvpdfrender_global.h"

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
 * A job lives in one thread (its QObject thread affinity): do_process() may be called from any
 * thread, the other functions from the job's own.
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
        LayoutFailed ///< prepare() found, before any file was made, that the report cannot be
                     ///< laid out without losing lines (heading lines that leave no room for a
                     ///< line in a column), or the outline pattern failed on a line.
    };
    Q_ENUM(Outcome)

    /** Fills monthNames; no run is installed. */
    explicit AsyncReportsBase(QObject *parent = nullptr);
    /**
     * A job destroyed during a run deletes its renderer and drops the unfinished report: its
     * path keeps what stood there. A job destroyed after the QApplication does the same, but
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
     * The path of the file the last run wrote or tried to write: empty when it opened none,
     * and for a report written into a device (PDFRendererBase::setOutputDevice()). Set and
     * kept as lastOutcome() is.
     * \since 1.1
     */
    QString lastOutputPath() const;

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
     * The end of a run, exactly once per do_process(). An empty message means the PDF is
     * complete and closed at its path (or written into the host's device); otherwise it is the
     * failure or cancel text, and lastOutcome() tells which.
     */
    void ready(QString message);
    /**
     * Sent after every page that is not the last: "Tworzenie strony: N (P %)", N being the page
     * now composed and P the renderer's perc() less 0.1 (not below 0.0), with one decimal.
     */
    void progress(QString message);

public slots:
    /**
     * Ends the run at its next pass (or, while the outline of a finished report is being
     * written, as soon as that stops) with cancelledMessage(). The report's path keeps what
     * stood there before the run. Only sets a flag: safe to call between passes.
     */
    void abortReport();
    /**
     * Starts a run: clears aborted and calls process(). May be called from any thread: it then
     * re-posts itself to the job's thread and returns at once. A run still going is ended first,
     * with its own ready() (cancelledMessage()) and its unfinished report dropped, so that every
     * start gets exactly one ready().
     */
    void do_process();

private slots:
    Q_DECL_HIDDEN void nextPage();
    // The outline step of run generation has ended on its thread.
    Q_DECL_HIDDEN void outlineStepEnded(quint64 generation);

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
     * ready(its lastError()) and the WriteFailed or LayoutFailed outcome, and returns false.
     * Takes ownership. A null renderer ends the run with the NoData outcome and its text.
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
    // Records how the run ended, then emits ready(message).
    Q_DECL_HIDDEN void endRun(Outcome outcome, const QString &path, const QString &message);
    Q_DECL_HIDDEN void finishRun();
    // Ends the run of the finished renderer: complete, or a failed write.
    Q_DECL_HIDDEN void completeRun(bool complete);
    // Deletes the installed renderer, dropping its unfinished report; passQueued: a pass of
    // that run is still queued and must do nothing when it arrives.
    Q_DECL_HIDDEN void disposeOfRenderer(bool passQueued);

    struct Private;
    std::unique_ptr<Private> d;
};

#endif // ASYNCREPORTSBASE_H
