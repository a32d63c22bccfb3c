// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <benchmark/benchmark.h>

// main() of the benchmarks that make windows: a QApplication on the offscreen
// platform unless another is asked for.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
