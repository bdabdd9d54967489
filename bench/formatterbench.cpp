// Micro benchmarks of the formatter on realistic receipt lines.
#include "mvstringformatter.h"

#include <benchmark/benchmark.h>

namespace {

const QString kLine80 = QStringLiteral(
        "Kawa ziarnista Crema, palona w Polsce, opakowanie 1 kg, partia 2026/11 nr 0042");
const QString kPrinterLine = QString(QChar(0x1B)) + QStringLiteral("ESUMA PLN") + QString(QChar(0x1B))
        + QStringLiteral("!   64,99 zł");

void wrap80(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(MvStringFormatter::wrap(kLine80, 40));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(wrap80);

void wrapSimple80(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(MvStringFormatter::wrapSimple(kLine80, 40));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(wrapSimple80);

void appFormatWRightWrap(benchmark::State &state)
{
    MvStringFormatter formatter;
    for (auto _ : state) {
        formatter.AppFormatWRightWrap(kLine80, QStringLiteral("2 x 64,99"));
        if (formatter.lines().size() > 1000)
            formatter.Clear();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(appFormatWRightWrap);

void quickViewFormat(benchmark::State &state)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines.append(i % 4 == 0 ? kPrinterLine : kLine80.left(40));
    for (auto _ : state)
        benchmark::DoNotOptimize(MvStringFormatter::quickViewFormat(lines));
    state.SetItemsProcessed(state.iterations() * lines.size());
}
BENCHMARK(quickViewFormat);

} // namespace

BENCHMARK_MAIN();
