#include "progressview.h"

#include "tool.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kBarWidth = 30;
// The narrowest bar worth drawing; below it only the percentage is shown.
constexpr int kMinBarWidth = 8;
// Assumed when the terminal does not say how wide it is.
constexpr int kDefaultColumns = 80;

int terminalColumns()
{
    winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultColumns;
}

} // namespace

ProgressView::ProgressView(Style style, const QString &counted) : style(style), counted(counted)
{
}

void ProgressView::update(int pagesWritten, double percent)
{
    const double share = qBound(0.0, percent, 100.0);
    const QString shareText = Tool::locale().toString(share, 'f', 1) + QStringLiteral(" %");
    switch (style) {
    case Style::None:
        return;
    case Style::Lines:
        std::fprintf(stderr, "%s\n", qUtf8Printable(Tool::tr("page %1 written, %2 %3").arg(pagesWritten)
                                                      .arg(shareText, counted)));
        break;
    case Style::Bar: {
        // The line never reaches the last column: a terminal would wrap it there.
        const int room = terminalColumns() - 1;
        const QString tail = QStringLiteral(" %1 %2, ").arg(shareText, counted)
                + Tool::tr("%n page(s) written", nullptr, pagesWritten);
        const int barWidth = qMin(kBarWidth, room - int(tail.size()) - 2);
        QString line;
        if (barWidth >= kMinBarWidth) {
            const int filled = int(share / 100.0 * barWidth);
            line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(barWidth - filled, QLatin1Char('.'))
                    + QLatin1Char(']') + tail;
        } else {
            line = shareText.left(room);
        }
        std::fprintf(stderr, "\r%s%*s", qUtf8Printable(line), qMax(0, drawnWidth - int(line.size())), "");
        drawnWidth = int(line.size());
        break;
    }
    }
    std::fflush(stderr);
}

void ProgressView::finish()
{
    if (drawnWidth > 0) {
        std::fprintf(stderr, "\r%*s\r", drawnWidth, "");
        std::fflush(stderr);
        drawnWidth = 0;
    }
}
