#include "pdfoutput_p.h"

#include "mvpdftext.h"

#include <QBuffer>
#include <QDateTime>
#include <QCoreApplication>
#include <QDir>
#include <QPageLayout>
#include <QThread>

#include <cerrno>

namespace {

const QString kCreator = QStringLiteral("VORANT Mevolin 3");
// What Qt's writer names itself as in the document information.
const QString kProducer = QStringLiteral("Qt ") + QLatin1String(qVersion());
// A stage of a document written into a device stays in memory up to this size.
constexpr qint64 kMemoryStageBytes = 16 * 1024 * 1024;

QByteArray folderOf(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArrayLiteral("/") : path.left(slash);
}

} // namespace

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
    QByteArray resolved;
    MvWorkFile::Kind kind = MvWorkFile::Kind::None;
    d->systemError = 0;
    if (!MvWorkFile::resolve(QFile::encodeName(fileName), &resolved, &kind)) {
        d->systemError = errno;
        return false;
    }
    if (kind == MvWorkFile::Kind::Directory) {
        d->systemError = EISDIR;
        return false;
    }
    if (kind == MvWorkFile::Kind::Other) {
        // A device or a FIFO takes the document as it comes; its stage waits elsewhere.
        d->directFile = std::make_unique<QFile>(fileName);
        errno = 0;
        if (!d->directFile->open(QIODevice::WriteOnly)) {
            d->systemError = errno;
            d->directFile.reset();
            return false;
        }
        return d->startWriter(QFile::encodeName(d->stagingFolder));
    }
    if (!d->work.create(resolved)) {
        d->systemError = d->work.systemError();
        return false;
    }
    d->workDevice = std::make_unique<QFile>();
    d->workDevice->open(d->work.handle(), QIODevice::ReadWrite, QFileDevice::DontCloseHandle);
    return d->startWriter(folderOf(resolved));
}

bool PDFOutput::startPDF(const QString &title, QIODevice *device)
{
    discard();
    d->title = title;
    d->fileName.clear();
    // The device is used from this thread: it must be the device's own.
    if (!device || !device->isWritable() || device->thread() != QThread::currentThread())
        return false;
    d->hostDevice = device;
    d->hostStartPosition = device->pos();
    d->hostStartSize = device->isSequential() ? 0 : device->size();
    d->delivery.watch(device);
    return d->startWriter(QFile::encodeName(d->stagingFolder));
}

// A stage beside the path starts in a file there; any other stays in memory while it is small.
bool PDFOutput::Private::startWriter(const QByteArray &stageFolder)
{
    writeError = false;
    systemError = 0;
    stagedWritten = false;
    QIODevice *into = nullptr;
    if (staged) {
        const qint64 memoryBound = workDevice ? 0 : kMemoryStageBytes;
        stage = std::make_unique<MvStage>(
                stageFolder.isEmpty() ? QFile::encodeName(QDir::tempPath()) : stageFolder, memoryBound);
        into = stage.get();
    } else {
        sink = std::make_unique<MvSink>(destination(), &delivery, delivery.buffered() ? kHeldTailBytes : 0);
        into = sink.get();
    }
    // One moment for the document information and the XMP packet, which must agree.
    const QDateTime created = QDateTime::currentDateTimeUtc();
    infoFilter = std::make_unique<MvInfoFilter>(into, kCreator, created);
    writer = std::make_unique<QPdfWriter>(infoFilter.get());
    writer->setTitle(MvPdfText::forMetadata(title));
    writer->setCreator(MvInfoFilter::paddedCreator(kCreator));
    if (pdfA1b) {
        writer->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        writer->setDocumentXmpMetadata(MvPdfText::xmpPacket(title, kCreator, kProducer, created));
    }
    return true;
}

QIODevice *PDFOutput::Private::destination() const
{
    if (hostDevice)
        return hostDevice;
    if (directFile)
        return directFile.get();
    return workDevice.get();
}

QIODevice *PDFOutput::Private::rewriteTarget()
{
    if (!stage || writer || stagedWritten)
        return nullptr;
    if (workDevice)
        return workDevice.get();
    if (!rewritten) {
        const QByteArray folder = stagingFolder.isEmpty() ? QFile::encodeName(QDir::tempPath())
                                                          : QFile::encodeName(stagingFolder);
        rewritten = std::make_unique<MvStage>(folder, kMemoryStageBytes);
    }
    return rewritten.get();
}

QIODevice *PDFOutput::Private::copyTarget() const
{
    return rewritten ? destination() : nullptr;
}

void PDFOutput::Private::noteWriteFailure(int errorNumber)
{
    if (!writeError)
        systemError = errorNumber;
    writeError = true;
}

bool PDFOutput::isValid() const
{
    const QIODevice *into = d->destination();
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
bool PDFOutput::Private::paintingGone()
{
    if (QCoreApplication::instance() || !painter)
        return false;
    Q_UNUSED(painter.release())
    Q_UNUSED(writer.release())
    Q_UNUSED(infoFilter.release())
    writeError = true;
    drop();
    return true;
}

void PDFOutput::finishPDF()
{
    if (d->paintingGone())
        return;
    if (d->painter) {
        d->painter->end();
        d->painter.reset();
    }
    const bool wasWriting = d->writer != nullptr;
    d->writer.reset();
    // A failure to pass on what it held is the sink's or the stage's, which note it.
    if (d->infoFilter)
        d->infoFilter->release();
    d->infoFilter.reset();
    if (d->stage) {
        if (wasWriting) {
            // The document waits in the stage to be written again.
            if (d->stage->failed())
                d->noteWriteFailure(d->stage->systemError());
            return;
        }
        d->stage.reset();
        if (d->rewritten && d->rewritten->failed())
            d->noteWriteFailure(d->rewritten->systemError());
        d->rewritten.reset();
        if (!d->stagedWritten)
            d->writeError = true;
        d->complete(d->stagedWritten);
        return;
    }
    if (d->sink) {
        if (d->sink->failed())
            d->noteWriteFailure(d->sink->systemError());
        d->heldTail = d->sink->takeHeld();
        d->sink.reset();
    }
    d->complete(wasWriting);
}

// Hands the document over to its destination for good: flushed, and at a path, published.
void PDFOutput::Private::complete(bool documentWritten)
{
    if (documentWritten) {
        // What is still buffered reaches the destination now: a failure here is a failure of
        // the document.
        auto *file = qobject_cast<QFileDevice *>(destination());
        errno = 0;
        if (file && (!file->flush() || file->error() != QFileDevice::NoError))
            noteWriteFailure(errno);
    }
    workDevice.reset();
    if (directFile) {
        directFile->close();
        if (documentWritten && directFile->error() != QFileDevice::NoError)
            noteWriteFailure(0);
        directFile.reset();
    }
    if (hostDevice) {
        // A device that did not get the whole document goes back to what it held.
        if (writeError)
            drop();
        hostDevice = nullptr;
    }
    if (!work.isOpen())
        return;
    if (documentWritten && !writeError && !work.publish())
        noteWriteFailure(work.systemError());
    work.discard();
}

bool PDFOutput::writeStaged(const std::function<bool(QIODevice &stage, QIODevice &target)> &write)
{
    QIODevice *target = d->destination();
    if (!d->stage || !target || d->writer || d->stagedWritten)
        return false;
    auto *file = qobject_cast<QFileDevice *>(target);
    d->stagedWritten = !d->writeError && d->stage->seek(0) && write(*d->stage, *target)
            && (!file || file->flush());
    return d->stagedWritten;
}

void PDFOutput::discard()
{
    if (!d->paintingGone())
        d->drop();
}

void PDFOutput::Private::drop()
{
    // Ending the painter finishes the document: its end goes nowhere.
    if (sink)
        sink->detach();
    if (stage)
        stage->detach();
    painter.reset();
    writer.reset();
    infoFilter.reset();
    sink.reset();
    stage.reset();
    rewritten.reset();
    heldTail.clear();
    workDevice.reset();
    work.discard();
    directFile.reset();
    if (hostDevice && !hostDevice->isSequential()) {
        if (auto *buffer = qobject_cast<QBuffer *>(hostDevice)) {
            buffer->buffer().truncate(int(hostStartSize));
        } else if (auto *file = qobject_cast<QFileDevice *>(hostDevice)) {
            // A file whose buffer cannot be written (its disk full of the report) cannot
            // resize itself: its file is cut back beneath it, which makes room for the buffer,
            // and then cut back again once the buffer is out.
            if (!file->resize(hostStartSize) && file->handle() >= 0) {
                MvWorkFile::truncateHandle(file->handle(), hostStartSize);
                file->flush();
                file->resize(hostStartSize);
            }
        }
        hostDevice->seek(hostStartPosition);
    }
    hostDevice = nullptr;
    delivery.watch(nullptr);
}

bool PDFOutput::removeWrittenFile()
{
    return !d->writer && d->work.removePublished();
}

bool PDFOutput::hasWriteError() const
{
    return d->writeError || (d->sink && d->sink->failed()) || (d->stage && d->stage->failed())
            || (d->rewritten && d->rewritten->failed());
}

QString PDFOutput::filePath() const
{
    return d->fileName;
}

QString PDFOutput::documentTitle() const
{
    return d->title;
}

void PDFOutput::emergencyCleanup()
{
    MvWorkFile::emergencyCleanup();
}
