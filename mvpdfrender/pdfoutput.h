#ifndef PDFOUTPUT_H
#define PDFOUTPUT_H

#include "mvpdfrender_global.h"

#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QByteArray;
class QIODevice;
class QPageLayout;
class QPainter;
class QPdfWriter;

/**
 * \brief One PDF document of a report: the PDF writer and the painter on it.
 *
 * The document goes into a file at a path or into a device the host gives. Every operation
 * but startPDF() and finishPDF() is harmless on an output that is not open: it does nothing
 * or returns a neutral value.
 *
 * A file at a path takes its name only when it is complete: the document is written into a
 * work file beside it (without a name where the file system allows that), and finishPDF()
 * gives the work file the path's name, so that the path holds what stood there before until
 * then, and an output that is discarded leaves it as it was. A device, a FIFO or any other
 * file at the path that is not a regular file is written directly.
 *
 * Every renderer holds one output; its calls come from the job's thread, in this order:
 * startPDF(), setupPage(), pages separated by newPage(), finishPDF() (or destruction).
 */
class MVPDFRENDER_EXPORT PDFOutput
{
public:
    /** An output that is not open. */
    PDFOutput();
    /** finishPDF(). */
    ~PDFOutput();

    /** Before startPDF(): PDF/A-1b output (Qt's own mode of the PDF writer). \since 1.1 */
    void setPdfA1b(bool on);
    /**
     * Before startPDF(): a staged output writes its document into a stage first, and the
     * destination receives the document only through writeStaged(), once finishPDF() has ended
     * the painting: for a document that is written again after its last page. The stage of a
     * file at a path is a file without a name beside it.
     * \since 1.1
     */
    void setStaged(bool on);
    /**
     * Before startPDF(): the folder where the stage of a document written into a device moves
     * once it outgrows memory (16 MiB), as a file without a name. Default: the system's
     * temporary folder.
     * \since 1.1
     */
    void setStagingFolder(const QString &folder);

    /**
     * Opens the destination at fileName for a document titled title (in the document
     * information, and for PDF/A in the XMP metadata too, without the characters XML forbids
     * and within the 65 535 bytes of a PDF string). False when the work file beside the path
     * (or the file itself, when it is not a regular file) cannot be opened for writing.
     */
    bool startPDF(const QString &title, const QString &fileName);
    /**
     * The same for a document written into device, which the caller has opened for writing
     * and keeps open, and otherwise leaves alone, until the output is finished; it is not
     * taken over. The output writes into it only from the thread it lives in
     * (QObject::thread()). False when device is null, not writable, or lives in another thread
     * than the caller.
     * \since 1.1
     */
    bool startPDF(const QString &title, QIODevice *device);
    /** Whether the output is open: started and not finished. */
    bool isValid() const;
    /** On an open output: applies layout to the writer and starts painting. Once. */
    void setupPage(const QPageLayout &layout);
    /** On an open output: starts the next page. */
    void newPage();
    /** The paintable area inside the margins, in device pixels; 1 by 1 when not valid. */
    QRect pageRect() const;
    /** The painter on the writer; null before setupPage() and after finishPDF(). */
    QPainter *painter() const;
    /** The PDF writer. Only to be called on a valid output. */
    QPdfWriter &writer();
    /** The writer's horizontal resolution; 1 when not valid. */
    int ppiX() const;
    /** The writer's vertical resolution; 1 when not valid. */
    int ppiY() const;
    /**
     * Ends painting and completes the document: a file at a path takes the path's name now
     * (synced to disk, with the permission bits of the file it replaces), unless a write
     * failed, which is then a write error (hasWriteError()). A staged output keeps its stage
     * for writeStaged(); a second call completes what that wrote. Further calls do nothing.
     */
    void finishPDF();
    /**
     * For a staged output after one finishPDF(): calls write with the stage, at its start,
     * and the destination (the work file beside the path, or the device); false when write or
     * the flush after it fails. Touches nothing but the stage and the destination, so it may
     * run on another thread while this output is left alone; a second finishPDF() on the
     * output's own thread then completes the document. A host's device is then written from
     * the calling thread: call it from the device's thread (the library's own finishing copies
     * into a device on the device's thread).
     * \since 1.1
     */
    bool writeStaged(const std::function<bool(QIODevice &stage, QIODevice &target)> &write);
    /**
     * Ends the output without completing it: the path keeps what stood there (the work file
     * and the stage are dropped). A random-access device (a QBuffer, a QFile) returns to the
     * size and position it had when startPDF() was called; a sequential one keeps what it was
     * given.
     * \since 1.1
     */
    void discard();

    /**
     * True when the document did not reach its destination whole: a write failed, or the work
     * file could not take the path's name (as when its folder was removed during the run).
     * \since 1.1
     */
    bool hasWriteError() const;
    /** The path given to startPDF(); empty for a device. \since 1.1 */
    QString filePath() const;
    /** The title given to startPDF(). \since 1.1 */
    QString documentTitle() const;

    /**
     * After finishPDF(): removes the file this output put at its path, while it is still that
     * same file (same device and inode); a device, a file put in its place or a link is never
     * touched. Returns whether it was removed.
     * \since 1.1
     */
    bool removeWrittenFile();

    /**
     * Removes the work file of an output of this process that has a name while it is written
     * (where the file system gives no file without a name), so that a process ending on a
     * fatal signal leaves nothing beside the path it was writing. Async-signal-safe: for a
     * host's handler of SIGSEGV and the like, which ends the process right after. A work file
     * without a name needs nothing; neither does a device. Where the library makes its files
     * on Qt alone, this does nothing: a crash there leaves the work file.
     * \since 1.2
     */
    static void emergencyCleanup();

    /**
     * \internal The output's private part, declared here for the library's own classes; its
     * definition is not installed.
     */
    struct Private;

private:
    // Owns its writer, painter and files: a copy would release them twice.
    Q_DISABLE_COPY(PDFOutput)

    std::unique_ptr<Private> d;
};

#endif // PDFOUTPUT_H
