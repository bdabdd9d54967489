#include "pdfoutput.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

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

} // namespace

PDFOutput::PDFOutput()
    : pdfWriter(nullptr), file(nullptr), pdfPainter(nullptr), writeError(false)
{
}

PDFOutput::~PDFOutput()
{
    finishPDF();
}

bool PDFOutput::startPDF(const QString &title, const QString &fileName)
{
    this->title = title;
    this->fileName = fileName;
    writeError = false;
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

    pdfWriter = new QPdfWriter(file);
    pdfWriter->setTitle(title);
    pdfWriter->setCreator(kCreator);
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
    if (file) {
        if (wasWriting) {
            // The writer has handed over the whole document; what is still buffered reaches
            // the file now, and a failure here is a failure of the document.
            const bool flushed = file->flush();
            if (!flushed || file->error() != QFileDevice::NoError
                || static_cast<CheckedFile *>(file)->failed)
                writeError = true;
        }
        file->close();
        if (wasWriting && (file->error() != QFileDevice::NoError || !stillAtPath()))
            writeError = true;
        delete file;
    }
    pdfWriter = nullptr;
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
