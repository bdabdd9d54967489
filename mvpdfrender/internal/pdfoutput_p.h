#ifndef PDFOUTPUT_P_H
#define PDFOUTPUT_P_H

// The private part of PDFOutput, for the library's own classes; not installed.

#include "pdfoutput.h"

#include "mvdelivery.h"
#include "mvinfofilter.h"
#include "mvsink.h"
#include "mvstage.h"
#include "mvworkfile.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

// The document's way out: the writer and painter, what the writer writes into (a sink passing
// writes on to the destination, or a stage), and the destination (the host's device, a file
// written directly, or the work file that takes the path's name when complete). A staged
// document is written again after its last page: into the work file, or for a device into a
// second stage that is then copied into the device on the device's own thread.
struct Q_DECL_HIDDEN PDFOutput::Private
{
    // The last bytes of a document that a device with a buffer of its own gets only once it
    // has passed on all before them: the end of the file, with its "%%EOF".
    static constexpr qint64 kHeldTailBytes = 16;

    static Private *get(PDFOutput &output) { return output.d.get(); }

    bool startWriter(const QByteArray &stageFolder);
    QIODevice *destination() const;
    // Where the staged document is written again: the work file, or a stage of its own that
    // copyTarget() names afterwards. Null when the output holds no staged document.
    QIODevice *rewriteTarget();
    // The device the rewritten document is copied into, from the stage rewriteTarget() made;
    // null when it was written into the work file.
    QIODevice *copyTarget() const;
    void complete(bool documentWritten);
    bool paintingGone();
    // Drops the unfinished document: the work file and the stages go, and a random-access
    // host device returns to the size it had (its position with it).
    void drop();
    // Remembers the first failed write, with the system's error number where it told one.
    void noteWriteFailure(int errorNumber);

    QString title;
    QString fileName;
    QString stagingFolder;
    bool pdfA1b = false;
    bool staged = false;

    QIODevice *hostDevice = nullptr;       // not owned
    qint64 hostStartPosition = 0;          // ... where it stood and how long it was at the start
    qint64 hostStartSize = 0;
    MvDelivery delivery;                   // what the host's device took of the document
    QByteArray heldTail;                   // the document's last bytes, held back from it
    std::unique_ptr<QFile> directFile;     // not a regular file at the path: written directly
    MvWorkFile work;                       // a regular file at the path, until complete
    std::unique_ptr<QFile> workDevice;     // on work's handle

    std::unique_ptr<MvSink> sink;
    std::unique_ptr<MvStage> stage;
    std::unique_ptr<MvStage> rewritten;    // a staged document written again, for a device
    std::unique_ptr<MvInfoFilter> infoFilter;  // between the writer and the sink or stage
    std::unique_ptr<QPdfWriter> writer;
    std::unique_ptr<QPainter> painter;
    bool stagedWritten = false;
    bool writeError = false;
    int systemError = 0;
};

#endif // PDFOUTPUT_P_H
