#ifndef MVTEXTLAYOUT_H
#define MVTEXTLAYOUT_H

#include <QtGlobal>

class QPaintDevice;
class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;

// How the library's text items are laid out, so that a report comes out the same whatever
// screen the host has and whichever Qt it is built with. Left alone, Qt lays text out for the
// primary screen's resolution (pages then depended on the host's monitor), and Qt 5 and Qt 6
// measure a line differently. The items are laid out for one fixed device instead, and their
// lines are given whole-pixel heights.
class MvTextLayout
{
public:
    // Lines of the composer's text items are set at this percentage of their whole-pixel
    // height (see blockFormat()).
    static constexpr qreal LineHeightPercent = 90.0;

    // The device every text item is laid out for: 100 dots per inch, the resolution of Qt's
    // offscreen and virtual screens.
    static QPaintDevice *device();

    // Lays document out for device(). Qt scales the document margin and tab stops of a
    // document laid out for another device by that device's resolution over the screen's; the
    // document keeps the lengths it would have on a 100 dpi screen.
    static void prepare(QTextDocument *document);

    // base with its line height set to percent of the whole-pixel height of a line in format:
    // FreeType's ascent and descent each rounded up to whole pixels, as Qt 5 measures them.
    // Qt 6 measures a line from the unrounded ones (often a pixel less), so under Qt 6 the
    // percentage is raised for such fonts until the line advances as far as under Qt 5.
    static QTextBlockFormat blockFormat(const QTextBlockFormat &base, const QTextCharFormat &format,
                                        qreal percent);
};

#endif // MVTEXTLAYOUT_H
