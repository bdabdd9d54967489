#ifndef PDFOUTPUT_H
#define PDFOUTPUT_H

#include "mvpdfrender_global.h"

#include <QRect>
#include <QString>

class QFile;
class QPageLayout;
class QPainter;
class QPdfWriter;

// One PDF file of a report: the file, the PDF writer on it and the painter on the writer.
// Every operation but startPDF() and finishPDF() is harmless on an output that is not open.
class MVPDFRENDER_EXPORT PDFOutput
{
public:
    PDFOutput();
    ~PDFOutput();

    bool startPDF(const QString &title, const QString &fileName);
    bool isValid() const;
    void setupPage(const QPageLayout &layout);
    void newPage();
    // The paintable area inside the margins, in device pixels; 1 by 1 when not valid.
    QRect pageRect() const;
    QPainter *painter() const;
    // Only to be called on a valid output.
    QPdfWriter &writer();
    int ppiX() const;
    int ppiY() const;
    // Ends painting and releases writer and file; a second call does nothing.
    void finishPDF();

    // True when the document did not reach fileName whole: a write failed, or (checked by
    // finishPDF(), when the last buffered data reaches the file) the file no longer stands at
    // its path, as when its folder was removed during the run.
    bool hasWriteError() const;
    QString filePath() const;
    QString documentTitle() const;

    // Removes the file this output wrote, once it is finished: the regular file opened by
    // startPDF(), found at fileName or, when fileName is a symbolic link, where the link
    // leads, and only while it is still that same file (same device and inode). A device, a
    // directory or a file put in its place is never touched. Returns whether it was removed.
    bool removeWrittenFile();

private:
    Q_DISABLE_COPY(PDFOutput)   // owns writer, file and painter: a copy would release them twice

    bool stillAtPath() const;

    QPdfWriter *pdfWriter;
    QFile *file;
    QPainter *pdfPainter;
    QString title;
    QString fileName;
    bool writeError;
    // Device and inode of the file opened, to tell that it still stands at fileName; set only
    // when what was opened is a regular file.
    bool regularFileOpened = false;
    quint64 fileDevice = 0;
    quint64 fileInode = 0;
};

#endif // PDFOUTPUT_H
