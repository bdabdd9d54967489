#ifndef PDFOUTPUT_H
#define PDFOUTPUT_H

#include "mvpdfrender_global.h"

#include <QRect>
#include <QString>

#include <functional>

class QFile;
class QFileDevice;
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

    // Both before startPDF(). PDF/A-1b output (Qt's own mode of the PDF writer). A staged
    // output opens fileName in startPDF() all the same, but the writer writes into a
    // temporary file without a name (or with one in the system's temporary folder where the
    // folder of fileName allows none), and fileName receives the document only through
    // writeStaged(), once finishPDF() has ended the painting: for a document that is written
    // again after its last page.
    void setPdfA1b(bool on);
    void setStaged(bool on);

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
    // Ends painting and releases writer and file; a second call does nothing. A staged
    // output keeps both files open for writeStaged(); a second call closes them (fileName
    // holds the document only when writeStaged() succeeded, else that is a write error).
    void finishPDF();
    // For a staged output after one finishPDF(): calls write with the temporary file, at its
    // start, and the file at fileName, open for writing; false when write or the flush after
    // it fails. Touches nothing but the two files, so it may run on another thread while
    // this output is left alone; a second finishPDF() on the output's own thread then closes
    // them and checks that the document reached fileName whole.
    bool writeStaged(const std::function<bool(QFileDevice &stage, QFileDevice &target)> &write);

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
    bool openStage();
    // Flushes and closes the file at fileName (documentWritten: the document went into it,
    // so its failures are write errors) and deletes it.
    void closeFile(bool documentWritten);

    QPdfWriter *pdfWriter;
    QFile *file;
    QFile *stage = nullptr;   // staged output only
    QPainter *pdfPainter;
    QString title;
    QString fileName;
    bool writeError;
    bool pdfA1b = false;
    bool staged = false;
    bool stagedWritten = false;
    // Device and inode of the file opened, to tell that it still stands at fileName; set only
    // when what was opened is a regular file.
    bool regularFileOpened = false;
    quint64 fileDevice = 0;
    quint64 fileInode = 0;
};

#endif // PDFOUTPUT_H
