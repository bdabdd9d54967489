// Measures how responsive the desktop example's window stays while it writes a report: a
// 10 ms timer runs beside the report, and the longest gap between its ticks is what a user
// would feel as the window's longest freeze.
//
//   windowbench [--lines N]      (default 100 000 lines of receipts)
#include "reportwindow.h"
#include "samplereceipts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kTimerIntervalMs = 10;
constexpr int kDefaultLines = 100000;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const int linesAt = args.indexOf(QStringLiteral("--lines"));
    const int lineCount = linesAt > 0 ? args.value(linesAt + 1).toInt() : kDefaultLines;

    QTemporaryDir dir;
    ReportWindow window({{QStringLiteral("paragony"), SampleReceipts::lines(lineCount)}}, dir.path());
    window.show();

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&]() {
        const qint64 now = clock.nsecsElapsed();
        longestGap = qMax(longestGap, now - lastTick);
        lastTick = now;
    });
    // A pass ends with the page's progress signal: the time between two is one pass and the
    // event loop's turn after it.
    qint64 lastPage = 0;
    qint64 longestPass = 0;
    int pages = 1;
    QObject::connect(&window, &ReportWindow::pageWritten, [&]() {
        const qint64 now = clock.nsecsElapsed();
        if (pages > 1)
            longestPass = qMax(longestPass, now - lastPage);
        lastPage = now;
        ++pages;
    });
    QEventLoop loop;
    QObject::connect(&window, &ReportWindow::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);

    window.selectAll();
    clock.start();
    timer.start(kTimerIntervalMs);
    window.generate();
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("%d lines, %d pages in %.2f s; longest gap between %d ms timer ticks %.1f ms, "
                "longest page pass %.1f ms\n", lineCount, pages, seconds, kTimerIntervalMs,
                longestGap / 1e6, longestPass / 1e6);
    return 0;
}
