#include "pdfoutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kCreator = QStringLiteral("VORANT Mevolin 3");

// A file that remembers whether any write to it failed. The PDF writer does not look at the
// results of its writes, so this is where a full disk or a file-size limit becomes visible.
class CheckedFile : public QFile
{
public:
    bool failed = false;

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        const qint64 written = QFile::writeData(data, length);
        if (written != length)
            failed = true;
        return written;
    }
};

// A new empty file in folder that no other process can reach by a name: made without one
// where the file system allows, else removed from the folder as soon as it is open. -1 when
// the folder takes no file.
int openNamelessFile(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
#ifdef O_TMPFILE
    const int unnamed = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (unnamed >= 0)
        return unnamed;
#endif
    QByteArray pattern = path + "/.mvpdfrender-stage-XXXXXX";
    const int named = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(pattern.constData());
    return named;
}

} // namespace

PDFOutput::PDFOutput()
    : pdfWriter(nullptr), file(nullptr), pdfPainter(nullptr), writeError(false)
{
}

PDFOutput::~PDFOutput()
{
    finishPDF();
    // A staged document still waiting for writeStaged() is dropped.
    finishPDF();
}

bool PDFOutput::startPDF(const QString &title, const QString &fileName)
{
    this->title = title;
    this->fileName = fileName;
    writeError = false;
    stagedWritten = false;
    regularFileOpened = false;

    file = new CheckedFile;
    file->setFileName(fileName);
    if (!file->open(QIODevice::WriteOnly))
        return false;
    struct stat opened {};
    if (::fstat(file->handle(), &opened) == 0 && S_ISREG(opened.st_mode)) {
        regularFileOpened = true;
        fileDevice = quint64(opened.st_dev);
        fileInode = quint64(opened.st_ino);
    }

    if (staged && !openStage()) {
        closeFile(false);
        removeWrittenFile();
        return false;
    }

    pdfWriter = new QPdfWriter(staged ? static_cast<QIODevice *>(stage) : file);
    pdfWriter->setTitle(title);
    pdfWriter->setCreator(kCreator);
    if (pdfA1b)
        pdfWriter->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    return true;
}

void PDFOutput::setPdfA1b(bool on)
{
    pdfA1b = on;
}

void PDFOutput::setStaged(bool on)
{
    staged = on;
}

bool PDFOutput::openStage()
{
    int handle = openNamelessFile(QFileInfo(fileName).absolutePath());
    if (handle < 0)
        handle = openNamelessFile(QDir::tempPath());
    if (handle < 0)
        return false;
    stage = new CheckedFile;
    if (!stage->open(handle, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return false;
    }
    return true;
}

bool PDFOutput::isValid() const
{
    return file && pdfWriter && file->isWritable();
}

void PDFOutput::setupPage(const QPageLayout &layout)
{
    if (!isValid())
        return;
    pdfWriter->setPageLayout(layout);
    pdfPainter = new QPainter;
    pdfPainter->begin(pdfWriter);
}

void PDFOutput::newPage()
{
    if (isValid())
        pdfWriter->newPage();
}

QRect PDFOutput::pageRect() const
{
    if (!isValid())
        return QRect(0, 0, 1, 1);
    return QRect(0, 0, pdfWriter->width(), pdfWriter->height());
}

QPainter *PDFOutput::painter() const
{
    return pdfPainter;
}

QPdfWriter &PDFOutput::writer()
{
    return *pdfWriter;
}

int PDFOutput::ppiX() const
{
    return isValid() ? pdfWriter->logicalDpiX() : 1;
}

int PDFOutput::ppiY() const
{
    return isValid() ? pdfWriter->logicalDpiY() : 1;
}

void PDFOutput::finishPDF()
{
    if (pdfPainter) {
        pdfPainter->end();
        delete pdfPainter;
        pdfPainter = nullptr;
    }
    const bool wasWriting = pdfWriter != nullptr;
    delete pdfWriter;
    pdfWriter = nullptr;
    if (stage) {
        if (wasWriting) {
            // The document waits in the stage for writeStaged().
            if (!stage->flush() || stage->error() != QFileDevice::NoError
                || static_cast<CheckedFile *>(stage)->failed)
                writeError = true;
            return;
        }
        delete stage;
        stage = nullptr;
        if (!stagedWritten)
            writeError = true;
        closeFile(stagedWritten);
        return;
    }
    closeFile(wasWriting);
}

bool PDFOutput::writeStaged(
        const std::function<bool(QFileDevice &stage, QFileDevice &target)> &write)
{
    if (!stage || !file || pdfWriter || stagedWritten)
        return false;
    stagedWritten = !writeError && stage->seek(0) && write(*stage, *file) && file->flush();
    return stagedWritten;
}

void PDFOutput::closeFile(bool documentWritten)
{
    if (!file)
        return;
    if (documentWritten) {
        // The writer has handed over the whole document; what is still buffered reaches
        // the file now, and a failure here is a failure of the document.
        const bool flushed = file->flush();
        if (!flushed || file->error() != QFileDevice::NoError
            || static_cast<CheckedFile *>(file)->failed)
            writeError = true;
    }
    file->close();
    if (documentWritten && (file->error() != QFileDevice::NoError || !stillAtPath()))
        writeError = true;
    delete file;
    file = nullptr;
}

bool PDFOutput::stillAtPath() const
{
    struct stat current {};
    return ::stat(QFile::encodeName(fileName).constData(), &current) == 0
            && quint64(current.st_dev) == fileDevice && quint64(current.st_ino) == fileInode;
}

bool PDFOutput::removeWrittenFile()
{
    if (!regularFileOpened || file)
        return false;
    // The entry that holds the file: fileName itself, or where its links lead.
    const QFileInfo info(fileName);
    const QString entry = info.isSymLink() ? info.canonicalFilePath() : fileName;
    if (entry.isEmpty())
        return false;
    const QByteArray encoded = QFile::encodeName(entry);
    struct stat current {};
    if (::lstat(encoded.constData(), &current) != 0 || !S_ISREG(current.st_mode)
        || quint64(current.st_dev) != fileDevice || quint64(current.st_ino) != fileInode)
        return false;
    return ::unlink(encoded.constData()) == 0;
}

bool PDFOutput::hasWriteError() const
{
    return writeError || (file && static_cast<const CheckedFile *>(file)->failed);
}

QString PDFOutput::filePath() const
{
    return fileName;
}

QString PDFOutput::documentTitle() const
{
    return title;
}
