#ifndef PDFRENDERERBASE_H
#define PDFRENDERERBASE_H

#include "mvpdfrender_global.h"

#include "asyncreportshelper.h"
#include "pdfoutput.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class AsyncReportsBase;
class QIODevice;

/**
 * \brief The common part of the renderers.
 *
 * Opens the PDF file of a job, sets A4 pages with 15 mm margins, sizes the page scene and
 * builds the header (title, subtitle, dated line) and the footer (page number). Derived
 * renderers decide what goes on each page, one page per emitPage() call. A renderer renders
 * one report; the job (AsyncReportsBase) owns it during a run and calls it from its thread.
 */
class MVPDFRENDER_EXPORT PDFRendererBase
{
public:
    /** A renderer for the job owner (not owned; it owns this renderer and outlives it). */
    explicit PDFRendererBase(AsyncReportsBase *owner);
    /** Deleting a renderer completes and closes its PDF file. */
    virtual ~PDFRendererBase();

    /**
     * Builds the page band and opens the file; on failure returns false and lastError() says
     * why. Before any file is made: "Brak obiektu QApplication potrzebnego do utworzenia pliku
     * PDF" when the process has no QApplication (pages are composed on a graphics scene, which
     * needs one; a QCoreApplication or QGuiApplication is not enough), "Brak czcionek
     * potrzebnych do utworzenia pliku PDF: FAMILIES" when the font families of the page formats
     * resolve to no installed font (not even a substitute) with the glyphs of plain text, as on
     * a machine without fonts, where the PDF would hold no text at all; a derived renderer may
     * refuse a report it cannot lay out (see PDFRenderer::prepare()). Then "Nie można zapisać
     * pliku PDF: PATH" when the file cannot be created. On success getPageNum() is 1 and
     * perc() 0.0.
     */
    virtual bool prepare();
    /** The share of the report already written, in percent (0 to 100). */
    virtual double perc() const;
    /**
     * Writes one page; true when another page follows (the page number is then raised), false
     * after the last page. Called only after prepare() succeeded and startReport() ran, by the
     * job, once per pass of the event loop. The argument is not read.
     */
    virtual bool emitPage(bool);
    /** Resets the per-report counters before the first page. */
    virtual void startReport();
    /** Closes the file without deleting the renderer; harmless before the destructor. */
    virtual void finish();

    /**
     * The page composer, for a host that changes its resolution or debug outline before
     * prepare().
     */
    AsyncReportsHelper &getHlp();
    /** The number of the page being composed, from 1. */
    int getPageNum() const;
    /** Why prepare() failed; empty otherwise. */
    QString lastError() const;

    /** The path of the PDF file; empty for a report written into a device. \since 1.1 */
    QString outputPath() const;
    /**
     * Whether all of the document reached its destination, once the output is finished.
     * \since 1.1
     */
    bool outputComplete() const;
    /**
     * Ends the output without completing it, for a run that is abandoned or failed: the path
     * keeps what stood there before (the document never took its name); a device keeps what
     * it was given.
     * \since 1.1
     */
    void discardOutput();

    /**
     * Before prepare(): the report is written into device instead of the file that the job's
     * outputFileName() names, which is then not asked for. The host opens the device for
     * writing, keeps it open and otherwise leaves it alone until the job's ready(); the
     * renderer neither closes nor deletes it. The pages go into it as they are made; a report
     * with an outline is staged (in memory up to 16 MiB, beyond that in a file without a name
     * in stagingFolder(), by default the system's temporary folder) and goes into the device
     * once complete, from the thread that adds the outline. After a cancel or a failure the
     * device holds what it was given by then (nothing, for a report with an outline), and the
     * host discards it. The job's lastOutputPath() is empty. Null (the default) writes to the
     * path again.
     * \since 1.1
     */
    void setOutputDevice(QIODevice *device);
    /** The device set with setOutputDevice(); null for a report written to a path. \since 1.1 */
    QIODevice *outputDevice() const;
    /**
     * Before prepare(): the folder where the stage of a report written into a device goes when
     * it outgrows memory; a report written to a path is always staged beside it.
     * \since 1.1
     */
    void setStagingFolder(const QString &folder);
    /**
     * The folder set with setStagingFolder(); empty for the system's temporary folder.
     * \since 1.1
     */
    QString stagingFolder() const;

    /**
     * Before prepare(): the file is written as PDF/A-1b (by Qt's PDF writer in that mode), with
     * the title and the creator in both the document information and the XMP metadata. Such a
     * file is staged like one with an outline, and after its last page a page tree wider than
     * PDF 1.4 allows (8 191 pages) is split.
     * \since 1.1
     */
    void setPdfA1b(bool on);
    /** Whether the file is written as PDF/A-1b. \since 1.1 */
    bool pdfA1b() const;

    /**
     * Before prepare(): the day the report records, for the dated line of its header ("dnia 30
     * listopada 2026 roku"). An invalid date (the default) stands for the day of the run.
     * \since 1.1
     */
    void setReportDate(const QDate &date);
    /** The date set with setReportDate(); invalid for the day of the run. \since 1.1 */
    QDate reportDate() const;

    /**
     * Before prepare(): the moment the file says it was made, for a file that comes out the
     * same, byte for byte, every time the same report is made. The creation date of the
     * document information and the dates of the XMP metadata (PDF/A) become timestamp,
     * written in UTC, and the file identifier (PDF/A) is derived from the file's content
     * instead of being random. Such a file is staged like one with an outline. An invalid
     * timestamp (the default) leaves the moment of the run.
     *
     * Qt orders the fonts of a file by its hash seed, which differs from process to process:
     * identical files also need a fixed seed, set before the QApplication (QT_HASH_SEED=0 in
     * the environment, or qSetGlobalQHashSeed(0) under Qt 5,
     * QHashSeed::setDeterministicGlobalSeed() under Qt 6), and a fixed report date
     * (setReportDate()).
     * \since 1.1
     */
    void setFileTimestamp(const QDateTime &timestamp);
    /** The moment set with setFileTimestamp(); invalid for the moment of the run. \since 1.1 */
    QDateTime fileTimestamp() const;

    /**
     * Before prepare(): every footer reads "- Strona N z M -" (pageLabel()), M being the
     * number of pages of the report, instead of "- Strona N -". The labels are painted once
     * the last page is known, a batch per pass of the event loop, and laid over the pages when
     * the file is finished, after the last page: such a file is staged like one with an
     * outline. Only a job (AsyncReportsBase) running the renderer does that; a report driven
     * by other means gets no labels.
     * \since 1.1
     */
    void setPageCountVisible(bool on);
    /** Whether the footers show the page count. \since 1.1 */
    bool isPageCountVisible() const;
    /** The footer label of page of pageCount: "- Strona N z M -". \since 1.1 */
    static QString pageLabel(int page, int pageCount);

    /**
     * lastError() for a file that cannot be made: "Nie można zapisać pliku PDF: PATH".
     * \since 1.1
     */
    static QString cannotWriteMessage(const QString &path);
    /**
     * lastError() for missing fonts: "Brak czcionek potrzebnych do utworzenia pliku PDF:
     * FAMILIES", the families joined by ", ".
     * \since 1.1
     */
    static QString missingFontsMessage(const QStringList &families);
    /** lastError() without a QApplication. \since 1.1 */
    static QString noApplicationMessage();
    /**
     * The text of a run that ran out of memory while finishing its file: "Brak pamięci do
     * zapisania pliku PDF: PATH" (for a report written into a device, path is empty and the
     * text names none).
     * \since 1.1
     */
    static QString outOfMemoryMessage(const QString &path);

protected:
    /**
     * The first step of prepare(), for a derived renderer that checks the composed page before
     * any file is made: composes the page (scene, header, footer) without a file. False, with
     * lastError(), on failure.
     * \since 1.1
     */
    bool preparePage();
    /**
     * The second step of prepare(): opens the file and starts its first page. False, with
     * lastError(), on failure.
     * \since 1.1
     */
    bool openPdf();
    /**
     * Ends a prepare() that found that the report cannot be laid out: lastError() is reason,
     * and a job started by AsyncReportsBase::startRenderer() ends with Outcome::LayoutFailed.
     * \since 1.1
     */
    void refuseLayout(const QString &reason);

    /**
     * For derived renderers that offer an outline (bookmarks): whether the report gets one,
     * set before prepare(). The file of such a report is written to a temporary file first
     * and reaches its path when the job has added the outline, after the last page.
     * \since 1.1
     */
    void requestOutline(bool on);
    /** Whether the report gets an outline. \since 1.1 */
    bool outlineRequested() const;
    /**
     * Adds an outline entry, after those added before, that opens the page being composed at
     * sceneTop (scene units from the top of the printable area).
     * \since 1.1
     */
    void addOutlineEntry(const QString &title, double sceneTop);
    /**
     * The same for an entry titled with the job's report line `line` (from 0), its runs of
     * white space collapsed: the title is made when the outline is written, so that an entry
     * costs a few bytes until then.
     * \since 1.1
     */
    void addOutlineLine(int line, double sceneTop);
    /**
     * Drops the entries added for the page being composed, when it is composed again.
     * \since 1.1
     */
    void dropOutlineEntriesOfPage();

    /** "" then the Polish genitive month names ("stycznia" ...), indexed by QDate::month(). */
    QStringList monthNames;
    /** The job; not owned, it owns this renderer. */
    AsyncReportsBase *owner;
    /** The page composer. */
    AsyncReportsHelper hlp;
    /** The PDF document. */
    PDFOutput output;
    /** Why prepare() failed; empty otherwise. */
    QString errorText;
    /** The page being composed, from 1; set by prepare(), raised by the derived renderers. */
    int pageNum;
    /** The share written, 0 to 100; set to 0 by prepare(), advanced by the derived renderers. */
    double percDone;

private:
    Q_DISABLE_COPY(PDFRendererBase)   // the output and the pending items are owned

    // The job drives the last step of an outlined report, which runs on a thread of its own,
    // and tells a refused layout from other failures of prepare().
    friend class AsyncReportsBase;
    struct Private;

    // After finish(), for a report with an outline: starts writing the file with it on
    // another thread; whenDone is called on that thread when that ends. False when there is
    // no such step to take.
    Q_DECL_HIDDEN bool startOutlineStep(const std::function<void()> &whenDone);
    // Asks a running step to stop soon; its end then reports a failure.
    Q_DECL_HIDDEN void stopOutlineStep();
    // Waits for the step to end; whether the file at its path is complete.
    Q_DECL_HIDDEN bool endOutlineStep();

    // After the last page of a report that shows its page count: starts painting its labels;
    // false when it shows none. Then paints a batch of them; false once all are painted.
    Q_DECL_HIDDEN bool startPageLabels();
    Q_DECL_HIDDEN bool paintPageLabels();
    Q_DECL_HIDDEN bool layoutRefused() const;
    Q_DECL_HIDDEN float pointsFromPageTop(double sceneTop) const;
    // The text of a failed write: with the path, or for a device without one.
    Q_DECL_HIDDEN QString writeFailureMessage() const;
    Q_DECL_HIDDEN void sizeScene();
    Q_DECL_HIDDEN QString datedLine() const;
    Q_DECL_HIDDEN QStringList missingFonts() const;

    std::unique_ptr<Private> d;
};

#endif // PDFRENDERERBASE_H
