#ifndef PDFRENDERERBASE_H
#define PDFRENDERERBASE_H

#include "mvpdfrender_global.h"

#include "asyncreportshelper.h"
#include "pdfoutput.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class AsyncReportsBase;
class QIODevice;

// The common part of the renderers: opens the PDF file of a job, sets A4 pages, sizes the
// page scene and builds the header (title, subtitle, dated line) and the footer. Derived
// renderers decide what goes on each page, one page per emitPage() call.
class MVPDFRENDER_EXPORT PDFRendererBase
{
public:
    explicit PDFRendererBase(AsyncReportsBase *owner);
    // Deleting a renderer completes and closes its PDF file.
    virtual ~PDFRendererBase();

    // Builds the page band and opens the file; on failure lastError() says why. Before any
    // file is made: "Brak obiektu QApplication potrzebnego do utworzenia pliku PDF" when the
    // process has no QApplication (pages are composed on a graphics scene, which needs one;
    // a QCoreApplication or QGuiApplication is not enough), "Brak czcionek potrzebnych do
    // utworzenia pliku PDF: FAMILIES" when the font families of the page formats resolve to
    // no installed font (not even a substitute) with the glyphs of plain text, as on a machine
    // without fonts, where the PDF would hold no text at all; a derived renderer may refuse a
    // report it cannot lay out (see PDFRenderer). Then "Nie można zapisać pliku PDF: PATH"
    // when the file cannot be created.
    virtual bool prepare();
    // Share of the report already written, in percent.
    virtual double perc() const;
    // Writes one page; true when another page follows.
    virtual bool emitPage(bool);
    virtual void startReport();
    virtual void finish();

    AsyncReportsHelper &getHlp();
    int getPageNum() const;
    QString lastError() const;

    // The path of the PDF file (empty for a report written into a device), and whether all of
    // the document reached it (meaningful once the output is finished).
    QString outputPath() const;
    bool outputComplete() const;
    // Ends the output without completing it, for a run that is abandoned or failed: the path
    // keeps what stood there before (the document never took its name); a device keeps what
    // it was given.
    void discardOutput();

    // Before prepare(): the report is written into device instead of the file that the job's
    // outputFileName() names, which is then not asked for. The host opens the device for
    // writing, keeps it open and otherwise leaves it alone until the job's ready(); the
    // renderer neither closes nor deletes it. The pages go into it as they are made; a report
    // with an outline is staged (in memory up to 16 MiB, beyond that in a file without a name
    // in stagingFolder(), by default the system's temporary folder) and goes into the device
    // once complete, from the thread that adds the outline. After a cancel or a failure the
    // device holds what it was given by then (nothing, for a report with an outline), and the
    // host discards it. The job's lastOutputPath() is empty. Null (the default) writes to the
    // path again. Since 1.1.
    void setOutputDevice(QIODevice *device);
    QIODevice *outputDevice() const;
    // Before prepare(): the folder where the stage of a report written into a device goes when
    // it outgrows memory; a report written to a path is always staged beside it. Since 1.1.
    void setStagingFolder(const QString &folder);
    QString stagingFolder() const;

    // Before prepare(): the file is written as PDF/A-1b (by Qt's PDF writer in that mode), with
    // the title and the creator in both the document information and the XMP metadata. Such a
    // file is staged like one with an outline, and after its last page a page tree wider than
    // PDF 1.4 allows (8 191 pages) is split.
    void setPdfA1b(bool on);
    bool pdfA1b() const;

    // The library's texts of prepare()'s failures, as lastError() gives them.
    static QString cannotWriteMessage(const QString &path);
    static QString missingFontsMessage(const QStringList &families);
    static QString noApplicationMessage();
    // The text of a run that ran out of memory while finishing its file (for a report written
    // into a device, path is empty and the text names none). Since 1.1.
    static QString outOfMemoryMessage(const QString &path);

protected:
    // prepare() in two steps, for a derived renderer that checks the composed page before any
    // file is made: preparePage() composes the page (scene, header, footer) without a file,
    // openPdf() then opens the file and starts its first page. Both return false, with
    // lastError(), on failure.
    bool preparePage();
    bool openPdf();
    // Ends a prepare() that found that the report cannot be laid out: lastError() is reason,
    // and a job started by AsyncReportsBase::startRenderer() ends with Outcome::LayoutFailed.
    void refuseLayout(const QString &reason);

    // For derived renderers that offer an outline (bookmarks): whether the report gets one,
    // set before prepare(). The file of such a report is written to a temporary file first
    // and reaches its path when the job has added the outline, after the last page.
    void requestOutline(bool on);
    bool outlineRequested() const;
    // Adds an outline entry, after those added before, that opens the page being composed
    // at sceneTop (scene units from the top of the printable area).
    void addOutlineEntry(const QString &title, double sceneTop);
    // The same for an entry titled with the job's report line `line` (from 0), its runs of
    // white space collapsed: the title is made when the outline is written, so that an entry
    // costs a few bytes until then. Since 1.1.
    void addOutlineLine(int line, double sceneTop);
    // Drops the entries added for the page being composed, when it is composed again.
    void dropOutlineEntriesOfPage();

    QStringList monthNames;   // "" then the genitive month names, indexed by QDate::month()
    AsyncReportsBase *owner;  // the job; not owned, it owns this renderer
    AsyncReportsHelper hlp;
    PDFOutput output;
    QString errorText;
    int pageNum;              // the page being composed, from 1
    double percDone;          // 0 to 100

private:
    Q_DISABLE_COPY(PDFRendererBase)   // the output and the pending items are owned

    // The job drives the last step of an outlined report, which runs on a thread of its own,
    // and tells a refused layout from other failures of prepare().
    friend class AsyncReportsBase;
    struct Private;

    // After finish(), for a report with an outline: starts writing the file with it on
    // another thread; whenDone is called on that thread when that ends. False when there is
    // no such step to take.
    bool startOutlineStep(const std::function<void()> &whenDone);
    // Asks a running step to stop soon; its end then reports a failure.
    void stopOutlineStep();
    // Waits for the step to end; whether the file at its path is complete.
    bool endOutlineStep();

    bool layoutRefused() const;
    float pointsFromPageTop(double sceneTop) const;
    // The text of a failed write: with the path, or for a device without one.
    QString writeFailureMessage() const;
    void sizeScene();
    QString datedLine() const;
    QStringList missingFonts() const;

    bool pdfA1bOutput = false;
    std::unique_ptr<Private> d;
};

#endif // PDFRENDERERBASE_H
