#include "imageloader.h"

#include "inputreader.h"
#include "tool.h"

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

// Little- and big-endian numbers in a file's bytes; 0 past its end.
quint32 littleEndian32(const QByteArray &bytes, int at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16 | quint32(data[3]) << 24;
}

quint32 bigEndian32(const QByteArray &bytes, int at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint32(data[0]) << 24 | quint32(data[1]) << 16 | quint32(data[2]) << 8 | quint32(data[3]);
}

constexpr int kBmpFileSize = 2;            // BITMAPFILEHEADER.bfSize
constexpr int kBmpPixelsOffset = 10;       // BITMAPFILEHEADER.bfOffBits
constexpr int kBmpInfo = 14;               // BITMAPINFOHEADER, after the file header
constexpr int kBmpInfoSize = 4, kBmpWidth = 4, kBmpHeight = 8, kBmpBitCount = 14, kBmpCompression = 16;
constexpr quint32 kBmpUncompressed = 0;
constexpr char kGifTrailer = 0x3B;
constexpr int kIcoCount = 4, kIcoEntries = 6, kIcoEntrySize = 16, kIcoDataSize = 8, kIcoDataOffset = 12;
const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);
constexpr int kPngWidth = 16, kPngHeight = 20;   // in the IHDR chunk that follows the signature

// The pixels of an uncompressed bitmap whose header starts at `at`: rows padded to 4 bytes.
qint64 bitmapPixelBytes(const QByteArray &bytes, int at)
{
    const qint64 width = qint32(littleEndian32(bytes, at + kBmpWidth));
    const qint64 height = qAbs(qint64(qint32(littleEndian32(bytes, at + kBmpHeight))));
    const qint64 bits = littleEndian32(bytes, at + kBmpBitCount) & 0xFFFF;
    return (width * bits + 31) / 32 * 4 * height;
}

// The pixels an icon's image will have, whatever its directory says: an embedded PNG's own
// header, or a bitmap's (whose height counts the mask too).
qint64 iconImagePixels(const QByteArray &bytes, int at)
{
    if (bytes.mid(at, kPngSignature.size()) == kPngSignature)
        return qint64(bigEndian32(bytes, at + kPngWidth)) * bigEndian32(bytes, at + kPngHeight);
    return qint64(qint32(littleEndian32(bytes, at + kBmpWidth)))
            * qAbs(qint64(qint32(littleEndian32(bytes, at + kBmpHeight)))) / 2;
}

// Whether the file holds as much as its own headers promise, where decoders would make up the
// rest (a bitmap or GIF cut short decodes with black or empty pixels), and no icon (or cursor)
// hides an image larger than maxPixels behind the size its directory declares. Empty when so,
// else why.
QString incomplete(const QByteArray &bytes, qint64 maxPixels)
{
    // Known by their own first bytes: Qt names no format for an icon read from memory.
    const bool bitmap = bytes.startsWith("BM");
    const bool gif = bytes.startsWith("GIF8");
    const bool icon = bytes.startsWith(QByteArray("\0\0\1\0", 4)) || bytes.startsWith(QByteArray("\0\0\2\0", 4));
    if (bitmap) {
        const qint64 declared = littleEndian32(bytes, kBmpFileSize);
        const qint64 pixels = littleEndian32(bytes, kBmpPixelsOffset);
        const bool uncompressed = littleEndian32(bytes, kBmpInfo + kBmpCompression) == kBmpUncompressed
                && littleEndian32(bytes, kBmpInfo + kBmpInfoSize) >= kBmpCompression + 4;
        if (declared > bytes.size()
            || (uncompressed && pixels + bitmapPixelBytes(bytes, kBmpInfo) > bytes.size()))
            return Tool::tr("the file ends before its pixels do");
    } else if (gif) {
        if (!bytes.endsWith(kGifTrailer))
            return Tool::tr("the file ends before its trailer");
    } else if (icon) {
        const int count = int(littleEndian32(bytes, kIcoCount) & 0xFFFF);
        for (int i = 0; i < count; ++i) {
            const int entry = kIcoEntries + i * kIcoEntrySize;
            const qint64 size = littleEndian32(bytes, entry + kIcoDataSize);
            const qint64 offset = littleEndian32(bytes, entry + kIcoDataOffset);
            if (entry + kIcoEntrySize > bytes.size() || offset + size > bytes.size())
                return Tool::tr("the file ends before its images do");
            if (iconImagePixels(bytes, int(offset)) > maxPixels)
                return Tool::tr("an image in it is larger than the limit of %1 megapixels")
                        .arg(maxPixels / 1000000);
        }
    }
    return QString();
}

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
        *error = Tool::tr("image \"%1\": reading interrupted").arg(shownName);
        return false;
    case InputReader::Result::Refused:
        // The reader names the file by its full path; the document names it by shownName.
        error->replace(path, Tool::tr("image \"%1\"").arg(shownName));
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
    const QString name = Tool::tr("image \"%1\"").arg(shownName);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader imageReader(&buffer);
    DecoderMessages messages;
    if (!imageReader.canRead()) {
        *error = Tool::tr("%1: not an image in a format that can be read").arg(name);
        return false;
    }
    // The size the file declares, known before any pixel is decoded.
    const QSize size = imageReader.size();
    if (!size.isValid() || size.isEmpty()) {
        *error = Tool::tr("%1: the file does not declare its size").arg(name);
        return false;
    }
    if (qint64(size.width()) * size.height() > kMaxPixels) {
        *error = Tool::tr("%1: %2 x %3 pixels, more than the limit of %4 megapixels")
                .arg(name).arg(size.width()).arg(size.height()).arg(kMaxPixels / 1000000);
        return false;
    }
    const QString missing = incomplete(bytes, kMaxPixels);
    if (!missing.isEmpty()) {
        *error = Tool::tr("%1: damaged or incomplete (%2)").arg(name, missing);
        return false;
    }
    const bool read = imageReader.read(image);
    const QStringList said = messages.all();
    if (!read || image->isNull() || !said.isEmpty()) {
        const QString reason = !said.isEmpty() ? said.first() : imageReader.errorString();
        *error = Tool::tr("%1: damaged or incomplete (%2)").arg(name, reason);
        return false;
    }
    return true;
}
