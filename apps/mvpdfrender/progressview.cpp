#include "progressview.h"

#include <cstdio>

namespace {
constexpr int kBarWidth = 30;
}

ProgressView::ProgressView(Style style) : style(style)
{
}

void ProgressView::update(int pagesWritten, double percent, const QString &libraryMessage,
                          const QString &noun)
{
    switch (style) {
    case Style::None:
        return;
    case Style::Lines:
        std::fprintf(stderr, "%s\n", qUtf8Printable(libraryMessage));
        break;
    case Style::Bar: {
        const double share = qBound(0.0, percent, 100.0);
        const int filled = int(share / 100.0 * kBarWidth);
        const QString bar = QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('.'));
        std::fprintf(stderr, "\r[%s] %5.1f %% %s, %d page%s written ", qUtf8Printable(bar), share,
                     qUtf8Printable(noun), pagesWritten, pagesWritten == 1 ? "" : "s");
        drawn = true;
        break;
    }
    }
    std::fflush(stderr);
}

void ProgressView::finish()
{
    if (drawn) {
        std::fprintf(stderr, "\r%*s\r", kBarWidth + 50, "");
        std::fflush(stderr);
        drawn = false;
    }
}
