#include "pdfoutput.h"

#include "mvpdftext.h"
#include "mvsink.h"
#include "mvstage.h"
#include "mvworkfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>


namespace {

const QString kCreator = QStringLiteral("VORANT Mevolin 3");
// A stage of a document written into a device stays in memory up to this size.
constexpr qint64 kMemoryStageBytes = 16 * 1024 * 1024;

QByteArray folderOf(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArrayLiteral("/") : path.left(slash);
}

} // namespace

// The document's way out: the writer and painter, what the writer writes into (a sink passing
// writes on to the destination, or a stage), and the destination (the host's device, a file
// written directly, or the work file that takes the path's name when complete).
struct PDFOutput::Private
{
    QString title;
    QString fileName;
    QString stagingFolder;
    bool pdfA1b = false;
    bool staged = false;

    QIODevice *hostDevice = nullptr;       // not owned
    std::unique_ptr<QFile> directFile;     // not a regular file at the path: written directly
    MvWorkFile work;                       // a regular file at the path, until complete
    std::unique_ptr<QFile> workDevice;     // on work's handle

    std::unique_ptr<MvSink> sink;
    std::unique_ptr<MvStage> stage;
    std::unique_ptr<QPdfWriter> writer;
    std::unique_ptr<QPainter> painter;
    bool stagedWritten = false;
    bool writeError = false;
};

PDFOutput::PDFOutput() : d(new Private)
{
}

PDFOutput::~PDFOutput()
{
    finishPDF();
    // A staged document still waiting for writeStaged() is dropped.
    finishPDF();
}

void PDFOutput::setPdfA1b(bool on)
{
    d->pdfA1b = on;
}

void PDFOutput::setStaged(bool on)
{
    d->staged = on;
}

void PDFOutput::setStagingFolder(const QString &folder)
{
    d->stagingFolder = folder;
}

bool PDFOutput::startPDF(const QString &title, const QString &fileName)
{
    discard();
    d->title = title;
    d->fileName = fileName;
    d->hostDevice = nullptr;
    QByteArray resolved;
    struct stat status {};
    bool exists = false;
    if (!MvWorkFile::resolve(QFile::encodeName(fileName), &resolved, &status, &exists)
        || (exists && S_ISDIR(status.st_mode)))
        return false;
    if (exists && !S_ISREG(status.st_mode)) {
        // A device or a FIFO takes the document as it comes; its stage waits elsewhere.
        d->directFile = std::make_unique<QFile>(fileName);
        if (!d->directFile->open(QIODevice::WriteOnly)) {
            d->directFile.reset();
            return false;
        }
        return startWriter(QFile::encodeName(d->stagingFolder), kMemoryStageBytes);
    }
    if (!d->work.create(resolved))
        return false;
    d->workDevice = std::make_unique<QFile>();
    d->workDevice->open(d->work.handle(), QIODevice::ReadWrite, QFileDevice::DontCloseHandle);
    return startWriter(folderOf(resolved), 0);
}

bool PDFOutput::startPDF(const QString &title, QIODevice *device)
{
    discard();
    d->title = title;
    d->fileName.clear();
    if (!device || !device->isWritable())
        return false;
    d->hostDevice = device;
    return startWriter(QFile::encodeName(d->stagingFolder), kMemoryStageBytes);
}

bool PDFOutput::startWriter(const QByteArray &stageFolder, qint64 memoryStage)
{
    d->writeError = false;
    d->stagedWritten = false;
    QIODevice *into = nullptr;
    if (d->staged) {
        d->stage = std::make_unique<MvStage>(
                stageFolder.isEmpty() ? QFile::encodeName(QDir::tempPath()) : stageFolder, memoryStage);
        into = d->stage.get();
    } else {
        d->sink = std::make_unique<MvSink>(destination());
        into = d->sink.get();
    }
    d->writer = std::make_unique<QPdfWriter>(into);
    // The title goes into the document information and, for PDF/A, the XMP packet (XML).
    d->writer->setTitle(MvPdfText::forMetadata(d->title));
    d->writer->setCreator(kCreator);
    if (d->pdfA1b)
        d->writer->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    return true;
}

QIODevice *PDFOutput::destination() const
{
    if (d->hostDevice)
        return d->hostDevice;
    if (d->directFile)
        return d->directFile.get();
    return d->workDevice.get();
}

bool PDFOutput::isValid() const
{
    const QIODevice *into = destination();
    return d->writer && into && into->isWritable();
}

void PDFOutput::setupPage(const QPageLayout &layout)
{
    if (!isValid())
        return;
    d->writer->setPageLayout(layout);
    d->painter = std::make_unique<QPainter>();
    d->painter->begin(d->writer.get());
}

void PDFOutput::newPage()
{
    if (isValid())
        d->writer->newPage();
}

QRect PDFOutput::pageRect() const
{
    if (!isValid())
        return QRect(0, 0, 1, 1);
    return QRect(0, 0, d->writer->width(), d->writer->height());
}

QPainter *PDFOutput::painter() const
{
    return d->painter.get();
}

QPdfWriter &PDFOutput::writer()
{
    return *d->writer;
}

int PDFOutput::ppiX() const
{
    return isValid() ? d->writer->logicalDpiX() : 1;
}

int PDFOutput::ppiY() const
{
    return isValid() ? d->writer->logicalDpiY() : 1;
}

// Without the application Qt's painting cannot finish a document (its fonts are gone with
// it): the writer and painter are left as they are, never freed, and the document is dropped.
bool PDFOutput::paintingGone()
{
    if (QCoreApplication::instance() || !d->painter)
        return false;
    Q_UNUSED(d->painter.release())
    Q_UNUSED(d->writer.release())
    d->writeError = true;
    discard();
    return true;
}

void PDFOutput::finishPDF()
{
    if (paintingGone())
        return;
    if (d->painter) {
        d->painter->end();
        d->painter.reset();
    }
    const bool wasWriting = d->writer != nullptr;
    d->writer.reset();
    if (d->stage) {
        if (wasWriting) {
            // The document waits in the stage for writeStaged().
            d->writeError = d->writeError || d->stage->failed();
            return;
        }
        d->stage.reset();
        if (!d->stagedWritten)
            d->writeError = true;
        complete(d->stagedWritten);
        return;
    }
    if (d->sink) {
        d->writeError = d->writeError || d->sink->failed();
        d->sink.reset();
    }
    complete(wasWriting);
}

// Hands the document over to its destination for good: flushed, and at a path, published.
void PDFOutput::complete(bool documentWritten)
{
    if (documentWritten) {
        // What is still buffered reaches the destination now: a failure here is a failure of
        // the document.
        if (auto *file = qobject_cast<QFileDevice *>(destination())) {
            if (!file->flush() || file->error() != QFileDevice::NoError)
                d->writeError = true;
        }
    }
    d->workDevice.reset();
    if (d->directFile) {
        d->directFile->close();
        d->writeError = d->writeError || (documentWritten && d->directFile->error() != QFileDevice::NoError);
        d->directFile.reset();
    }
    if (d->work.handle() < 0)
        return;
    if (documentWritten && !d->writeError && !d->work.publish())
        d->writeError = true;
    d->work.discard();
}

bool PDFOutput::writeStaged(const std::function<bool(QIODevice &stage, QIODevice &target)> &write)
{
    QIODevice *target = destination();
    if (!d->stage || !target || d->writer || d->stagedWritten)
        return false;
    auto *file = qobject_cast<QFileDevice *>(target);
    d->stagedWritten = !d->writeError && d->stage->seek(0) && write(*d->stage, *target)
            && (!file || file->flush());
    return d->stagedWritten;
}

void PDFOutput::discard()
{
    if (paintingGone())
        return;
    // Ending the painter finishes the document: its end goes nowhere.
    if (d->sink)
        d->sink->detach();
    d->painter.reset();
    d->writer.reset();
    d->sink.reset();
    d->stage.reset();
    d->workDevice.reset();
    d->work.discard();
    d->directFile.reset();
}

bool PDFOutput::removeWrittenFile()
{
    return !d->writer && d->work.removePublished();
}

bool PDFOutput::hasWriteError() const
{
    return d->writeError || (d->sink && d->sink->failed()) || (d->stage && d->stage->failed());
}

QString PDFOutput::filePath() const
{
    return d->fileName;
}

QString PDFOutput::documentTitle() const
{
    return d->title;
}
