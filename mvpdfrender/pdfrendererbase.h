#ifndef PDFRENDERERBASE_H
#define PDFRENDERERBASE_H

#include "mvpdfrender_global.h"

#include "asyncreportshelper.h"
#include "mvfailure.h"
#include "pdfoutput.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

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
 *
 * After the last page the job finishes the report in passes of its event loop: the page
 * labels of setPageCountVisible(), then (on a thread of the library's own, which touches only
 * the library's files) the stamp of setFileTimestamp(), the outline and the page-tree split of
 * PDF/A, and last, on the job's thread, the copy into the host's device. A renderer driven by
 * other means than a job is finished at once by finish() or its deletion.
 */
class MVPDFRENDER_EXPORT PDFRendererBase
{
public:
    /** A renderer for the job owner (not owned; it owns this renderer and outlives it). */
    explicit PDFRendererBase(AsyncReportsBase *owner);
    /**
     * Deleting a renderer ends its report as finish() does: a report that a job runs and has
     * not finished (its last page not yet written, or its finishing under way) is dropped, and
     * its path keeps what stood there; any other is completed and closed.
     */
    virtual ~PDFRendererBase();

    /**
     * Builds the page band and opens the file; on failure returns false and lastError() says
     * why. Before any file is made: "Brak obiektu QApplication potrzebnego do utworzenia pliku
     * PDF" when the process has no QApplication (pages are composed on a graphics scene, which
     * needs one; a QCoreApplication or QGuiApplication is not enough), "Brak czcionek
     * potrzebnych do utworzenia pliku PDF: FAMILIES" when the font families of the page formats
     * resolve to no installed font (not even a substitute) with the glyphs of plain text, as on
     * a machine without fonts, where the PDF would hold no text at all;
     * timestampOutOfRangeMessage() for a file timestamp outside the years 1 to 9999;
     * headerTooTallMessage() for a header that leaves no room for a line of the report (a job
     * then ends with Outcome::LayoutFailed); a derived renderer may refuse a report it cannot
     * lay out (see PDFRenderer::prepare()). Then
     * cannotWriteMessage() when the file cannot be created, or the device (setOutputDevice())
     * is not open for writing or lives in another thread than the caller. On success
     * getPageNum() is 1 and perc() 0.0. lastFailure() holds the reason as a value.
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
    /**
     * Ends the report without deleting the renderer; harmless before the destructor, which
     * then does nothing more. A report that a job runs and has not finished is dropped (its
     * path keeps what stood there; a device, see discardOutput()), and the job's next pass ends
     * the run as cancelled. Any other, as one driven by hand (prepare(), startReport(),
     * emitPage() until it returns false), is completed here and now: page labels, stamp,
     * outline and all, into its path or device (a sequential device is given all of it
     * without waiting for it to pass it on). outputComplete() tells whether it succeeded.
     */
    virtual void finish();

    /**
     * The page composer, for a host that changes its resolution or debug outline before
     * prepare().
     */
    AsyncReportsHelper &getHlp();
    /** The number of the page being composed, from 1. */
    int getPageNum() const;
    /** Why prepare() failed, or the run of a job ended in failure; empty otherwise. */
    QString lastError() const;
    /**
     * The reason of lastError() as a value: MvFailure::Reason::None when there was no failure.
     * \since 1.2
     */
    MvFailure lastFailure() const;

    /** The path of the PDF file; empty for a report written into a device. \since 1.1 */
    QString outputPath() const;
    /**
     * Whether all of the document reached its destination: true once the report is finished
     * and delivered whole, false before that and after a failure, a discard, or a prepare()
     * that failed.
     * \since 1.1
     */
    bool outputComplete() const;
    /**
     * Ends the output without completing it, for a run that is abandoned or failed: the path
     * keeps what stood there before (the document never took its name); a random-access device
     * returns to the size it had before the run, a sequential one keeps what it was given. May
     * be called at any time on the renderer's thread, also from a slot of the job's progress()
     * during a run: the job's next pass then ends the run as cancelled. Once the whole report
     * has been handed over to its destination it does nothing.
     * \since 1.1
     */
    void discardOutput();

    /**
     * Before prepare(): the report is written into device instead of the file that the job's
     * outputFileName() names, which is then not asked for. The host opens the device for
     * writing, keeps it open and otherwise leaves it alone until the job's ready(); the
     * renderer neither closes nor deletes it. The device must live in the job's thread
     * (QObject::thread()): the library uses it only from there, so a QProcess, a QLocalSocket
     * or a QTcpSocket serves as well as a QBuffer or a QFile; prepare() refuses a device of
     * another thread.
     *
     * The pages of a plain report go into it as they are made. A report that is written again
     * after its last page (an outline, PDF/A, a file timestamp or the page count) is staged
     * (in memory up to 16 MiB, beyond that in a file without a name in stagingFolder(), by
     * default the system's temporary folder) and goes into the device once complete, in
     * passes of the job's event loop, as fast as a sequential device passes it on
     * (QIODevice::bytesToWrite()). The run is Completed only when the device has been given
     * all of the report, and one with a buffer of its own (a process, a socket) has passed all
     * of it on while it could; such a device gets the report's last bytes only once it has
     * passed on the rest (a cancel after that is too late), and one that drops what it holds,
     * loses its reader or whose process ends fails the run.
     *
     * After a cancel or a failure a random-access device (QBuffer, QFile) returns to the size
     * and position it had when the run began (bytes after that position that the report
     * overwrote stay overwritten); a sequential one holds the part it was given, without the
     * document's end (nothing, for a staged report cancelled before its copy began). The
     * job's lastOutputPath() is empty.
     * Null (the default) writes to the path again.
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
     * timestamp (the default) leaves the moment of the run. The moment is written the same
     * way whatever the machine's time zone (UTC, with "Z"), so the same moment gives the same
     * bytes everywhere. A moment outside the years 1 to 9999 (in UTC), which a PDF date cannot
     * hold, makes prepare() fail before any file is made (timestampOutOfRangeMessage(),
     * MvFailure::Reason::TimestampOutOfRange).
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
     * outline. A report driven by other means than a job gets them when finish() completes it.
     * \since 1.1
     */
    void setPageCountVisible(bool on);
    /** Whether the footers show the page count. \since 1.1 */
    bool isPageCountVisible() const;
    /** The footer label of page of pageCount: "- Strona N z M -". \since 1.1 */
    static QString pageLabel(int page, int pageCount);

    /** The entries an outline group holds by default (see setOutlineGroupSize()). \since 1.2 */
    static constexpr int DefaultOutlineGroupSize = 100;
    /**
     * Groups an outline level of more than 500 entries: parents of at most `entries`
     * consecutive entries, titled by the pages they open ("Strony 1-37", or "Strona 5" for
     * one page) and closed, take their place, and the parents are grouped the same way while
     * they are more than 500. Every entry stays in the outline and opens its page; a parent
     * opens where its first entry does. Below 2, the outline is one flat level however long.
     * Set before prepare(); DefaultOutlineGroupSize unless set.
     * \since 1.2
     */
    void setOutlineGroupSize(int entries);
    /** The entries of an outline group; 0 for a flat outline. \since 1.2 */
    int outlineGroupSize() const;

    /**
     * lastError() for a file that cannot be made or written completely: "Nie można zapisać
     * pliku PDF: PATH", or for a report written into a device (path empty) "Nie można zapisać
     * pliku PDF".
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
    /**
     * lastError() for a file timestamp a PDF date cannot hold (setFileTimestamp()): "Data pliku
     * PDF spoza zakresu lat od 1 do 9999: MOMENT", the moment in UTC as
     * YYYY-MM-DDTHH:MM:SSZ.
     * \since 1.2
     */
    static QString timestampOutOfRangeMessage(const QDateTime &timestamp);
    /**
     * lastError() for a page header (title, subtitle and dated line) so tall that it leaves no
     * room for a line of the report: "Nagłówek strony nie zostawia miejsca na treść raportu".
     * \since 1.2
     */
    static QString headerTooTallMessage();

    /**
     * \internal The renderer's private part, declared here for the library's own classes;
     * its definition is not installed.
     */
    struct Private;

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
     * lastFailure() MvFailure::Reason::LayoutImpossible, and a job started by
     * AsyncReportsBase::startRenderer() ends with Outcome::LayoutFailed.
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

    std::unique_ptr<Private> d;
};

#endif // PDFRENDERERBASE_H
