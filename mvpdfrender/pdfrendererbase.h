#ifndef PDFRENDERERBASE_H
#define PDFRENDERERBASE_H

#include "mvpdfrender_global.h"

#include "asyncreportshelper.h"
#include "pdfoutput.h"

#include <QString>
#include <QStringList>

class AsyncReportsBase;

// The common part of the renderers: opens the PDF file of a job, sets A4 pages, sizes the
// page scene and builds the header (title, subtitle, dated line) and the footer. Derived
// renderers decide what goes on each page, one page per emitPage() call.
class MVPDFRENDER_EXPORT PDFRendererBase
{
public:
    explicit PDFRendererBase(AsyncReportsBase *owner);
    // Deleting a renderer completes and closes its PDF file.
    virtual ~PDFRendererBase();

    // Opens the file and builds the page band; on failure lastError() says why: "Nie można
    // zapisać pliku PDF: PATH" when the file cannot be created, or, before any file is made,
    // "Brak czcionek potrzebnych do utworzenia pliku PDF: FAMILIES" when the font families of
    // the page formats resolve to no installed font (not even a substitute) with the glyphs
    // of plain text, as on a machine without fonts, where the PDF would hold no text at all.
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

    // The path of the PDF file, and whether all of it reached the disk (meaningful once the
    // output is finished).
    QString outputPath() const;
    bool outputComplete() const;
    // Closes the PDF file and removes it while it is still the regular file that prepare()
    // opened (see PDFOutput::removeWrittenFile()); for a run that is abandoned or failed.
    void discardOutput();

    static QString cannotWriteMessage(const QString &path);
    static QString missingFontsMessage(const QStringList &families);

protected:
    QStringList monthNames;   // "" then the genitive month names, indexed by QDate::month()
    AsyncReportsBase *owner;  // the job; not owned, it owns this renderer
    AsyncReportsHelper hlp;
    PDFOutput output;
    QString errorText;
    int pageNum;              // the page being composed, from 1
    double percDone;          // 0 to 100

private:
    Q_DISABLE_COPY(PDFRendererBase)   // the output and the pending items are owned

    void sizeScene();
    QString datedLine() const;
    QStringList missingFonts() const;
};

#endif // PDFRENDERERBASE_H
