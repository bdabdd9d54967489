#ifndef IMAGELOADER_H
#define IMAGELOADER_H

#include <QCache>
#include <QImage>
#include <QSet>
#include <QString>

class InputReader;

// Loads the images that documents name, within limits, so that no image file can fill the
// memory or pass half-read: a regular file of at most kMaxFileBytes whose declared size is at
// most kMaxPixels, decoded completely without a single error or warning of the decoder.
// Decoded images are kept (up to kCacheBytes) so that a logo on every receipt is decoded once.
class ImageLoader
{
public:
    static constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
    // 30 megapixels, 120 MB decoded: a receipt scanned at 600 dpi, an A4 page at 300 dpi or a
    // phone's photo fit.
    static constexpr qint64 kMaxPixels = 30 * 1000 * 1000;
    static constexpr int kCacheBytes = 64 * 1024 * 1024;

    // Files read for the first time go through reader, which counts them among the inputs.
    explicit ImageLoader(InputReader &reader);

    // path: the file, shown in messages as shownName. False with error when the image is
    // refused (or its reading was interrupted by a signal).
    bool load(const QString &path, const QString &shownName, QImage *image, QString *error);

private:
    Q_DISABLE_COPY(ImageLoader)

    bool decode(const QByteArray &bytes, const QString &shownName, QImage *image, QString *error) const;

    InputReader &reader;
    QSet<QString> readOnce;            // paths already counted among the inputs
    QCache<QString, QImage> decoded;   // by path; cost in KiB
};

#endif // IMAGELOADER_H
