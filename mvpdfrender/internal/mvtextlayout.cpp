#include "mvtextlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLayoutDpi = 100;
constexpr qreal kInchesPerMetre = 1.0 / 0.0254;
// Qt's default document margin and tab stop distance, in pixels of the screen.
constexpr qreal kDocumentMargin = 4.0;
constexpr qreal kTabStopDistance = 80.0;
// Qt keeps text positions in 1/64 pixel (26.6 fixed point), truncating what it converts.
constexpr qreal kFixedPointSteps = 64.0;

// The resolution Qt scales a document's fixed lengths against (the screen's, as Qt rounds it).
int screenDpi()
{
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        return 96;
    const QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
            ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? qRound(screen->logicalDotsPerInchY()) : kLayoutDpi;
}

qreal truncatedToFixedPoint(qreal value)
{
    return std::floor(value * kFixedPointSteps) / kFixedPointSteps;
}

// The tab stop distance that Qt turns into kTabStopDistance pixels on the layout device (or
// the next 1/64 pixel, where no distance gives it exactly). Qt multiplies the distance by the
// device's resolution over the screen's, both in fixed point: the ratio truncated, the
// product rounded to the nearest step.
qreal tabStopDistanceFor(int screen)
{
    const qreal steps = kFixedPointSteps;
    const qreal ratio = std::floor(qreal(kLayoutDpi) / screen * steps);
    const qreal wanted = kTabStopDistance * steps;
    // The smallest distance d (in steps) with d * ratio / steps, rounded, at least wanted.
    return std::ceil((wanted * steps - steps / 2) / ratio) / steps;
}

} // namespace

QPaintDevice *MvTextLayout::device()
{
    // Only its resolution is ever read; it is never painted on.
    static QImage layoutDevice = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMetre = qRound(kLayoutDpi * kInchesPerMetre);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return &layoutDevice;
}

void MvTextLayout::prepare(QTextDocument *document)
{
    document->documentLayout()->setPaintDevice(device());
    const int screen = screenDpi();
    if (screen == kLayoutDpi)
        return;
    QTextOption option = document->defaultTextOption();
    option.setTabStopDistance(tabStopDistanceFor(screen));
    document->setDefaultTextOption(option);
    const qreal toScreen = qreal(screen) / kLayoutDpi;
    // Qt rounds the scaled margin to whole pixels: only a screen far from 100 dpi changes it.
    if (qRound(kDocumentMargin / toScreen) != qRound(kDocumentMargin))
        document->setDocumentMargin(kDocumentMargin * toScreen);
}

QTextBlockFormat MvTextLayout::blockFormat(const QTextBlockFormat &base,
                                           const QTextCharFormat &format, qreal percent)
{
    const QFontMetricsF metrics(format.font(), device());
    const qreal ascent = metrics.ascent();
    const qreal descent = metrics.descent();
    // The height FreeType gives the font: ascent, descent and line gap, rounded as a whole.
    const qreal fontHeight = std::round(ascent + descent + metrics.leading());
    const qreal wholePixel = std::max(std::ceil(ascent) + std::ceil(descent), fontHeight);
    const qreal measured = std::ceil(ascent + descent + std::max(metrics.leading(), 0.0));
    QTextBlockFormat result = base;
    if (wholePixel == measured || measured <= 0.0) {
        result.setLineHeight(percent, QTextBlockFormat::ProportionalHeight);
        return result;
    }
    // Aim at the middle of the wanted 1/64 pixel step, so that Qt's truncation lands on it.
    const qreal wanted = truncatedToFixedPoint(wholePixel * percent / 100.0)
            + 0.5 / kFixedPointSteps;
    result.setLineHeight(100.0 * wanted / measured, QTextBlockFormat::ProportionalHeight);
    return result;
}
