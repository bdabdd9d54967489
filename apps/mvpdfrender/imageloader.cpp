#include "imageloader.h"

#include "inputreader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kBytesPerKiB = 1024;

// Collects what is said while an image is decoded: the decoders report damage (a truncated
// file, a bad checksum) only as warnings through Qt, or as lines of their own on standard
// error, which is lent to a temporary file meanwhile.
class DecoderMessages
{
public:
    DecoderMessages() : previous(qInstallMessageHandler(&DecoderMessages::collect))
    {
        current = this;
        std::fflush(stderr);
        captured = std::tmpfile();
        savedError = captured ? ::dup(STDERR_FILENO) : -1;
        if (savedError >= 0)
            ::dup2(::fileno(captured), STDERR_FILENO);
    }

    ~DecoderMessages()
    {
        qInstallMessageHandler(previous);
        current = nullptr;
        restoreError();
        if (captured)
            std::fclose(captured);
    }

    // Everything said so far; standard error is its own again afterwards.
    QStringList all()
    {
        restoreError();
        if (captured) {
            QFile file;
            if (std::fseek(captured, 0, SEEK_SET) == 0 && file.open(captured, QIODevice::ReadOnly))
                messages += QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        return messages;
    }

private:
    Q_DISABLE_COPY(DecoderMessages)

    void restoreError()
    {
        if (savedError < 0)
            return;
        std::fflush(stderr);
        ::dup2(savedError, STDERR_FILENO);
        ::close(savedError);
        savedError = -1;
    }

    static void collect(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (current && type != QtDebugMsg && type != QtInfoMsg)
            current->messages.append(message);
    }

    static DecoderMessages *current;
    QtMessageHandler previous;
    QStringList messages;
    std::FILE *captured = nullptr;
    int savedError = -1;
};

DecoderMessages *DecoderMessages::current = nullptr;

} // namespace

ImageLoader::ImageLoader(InputReader &reader) : reader(reader), decoded(kCacheBytes / kBytesPerKiB)
{
}

bool ImageLoader::load(const QString &path, const QString &shownName, QImage *image, QString *error)
{
    if (const QImage *kept = decoded.object(path)) {
        *image = *kept;
        return true;
    }
    // A file read again (its image dropped from the cache) is not a further input.
    InputReader again;
    InputReader &fileReader = readOnce.contains(path) ? again : reader;
    QByteArray bytes;
    switch (fileReader.readRegularFile(path, kMaxFileBytes, &bytes, error)) {
    case InputReader::Result::Cancelled:
        *error = QStringLiteral("image \"%1\": reading interrupted").arg(shownName);
        return false;
    case InputReader::Result::Refused:
        // The reader names the file by its full path; the document names it by shownName.
        error->replace(path, QStringLiteral("image \"%1\"").arg(shownName));
        return false;
    case InputReader::Result::Ok:
        break;
    }
    readOnce.insert(path);
    if (!decode(bytes, shownName, image, error))
        return false;
    decoded.insert(path, new QImage(*image), int(image->sizeInBytes() / kBytesPerKiB) + 1);
    return true;
}

bool ImageLoader::decode(const QByteArray &bytes, const QString &shownName, QImage *image,
                         QString *error) const
{
    const QString name = QStringLiteral("image \"%1\"").arg(shownName);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader imageReader(&buffer);
    DecoderMessages messages;
    if (!imageReader.canRead()) {
        *error = QStringLiteral("%1: not an image in a format that can be read").arg(name);
        return false;
    }
    // The size the file declares, known before any pixel is decoded.
    const QSize size = imageReader.size();
    if (!size.isValid() || size.isEmpty()) {
        *error = QStringLiteral("%1: the file does not declare its size").arg(name);
        return false;
    }
    if (qint64(size.width()) * size.height() > kMaxPixels) {
        *error = QStringLiteral("%1: %2 x %3 pixels, more than the limit of %4 megapixels")
                .arg(name).arg(size.width()).arg(size.height()).arg(kMaxPixels / 1000000);
        return false;
    }
    const bool read = imageReader.read(image);
    const QStringList said = messages.all();
    if (!read || image->isNull() || !said.isEmpty()) {
        const QString reason = !said.isEmpty() ? said.first() : imageReader.errorString();
        *error = QStringLiteral("%1: damaged or incomplete (%2)").arg(name, reason);
        return false;
    }
    return true;
}
