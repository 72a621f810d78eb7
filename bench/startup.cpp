// Time from process start to the main window shown and laid out (tralu
// --screenshot on the demo collection), against a minimal Qt program that
// shows one empty window, measured in turns in one run.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double RunOnce(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString data = qEnvironmentVariable("TRALU_BENCH_DATA", QDir::tempPath());
    const QString bin = QStringLiteral(TRALU_BINARY_DIR);
    const QString root = data + QStringLiteral("/demo/Music");
    const QString png = data + QStringLiteral("/startup.png");
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
    std::vector<double> tralu, baseline;
    RunOnce(bin + QStringLiteral("/tralu"), {"--music-root", root, "--screenshot", png}); // warm
    RunOnce(bin + QStringLiteral("/bench/bench_startup_baseline"), {png});
    for (int i = 0; i < runs; ++i) {
        tralu.push_back(RunOnce(bin + QStringLiteral("/tralu"),
                                {"--music-root", root, "--screenshot", png}));
        baseline.push_back(RunOnce(bin + QStringLiteral("/bench/bench_startup_baseline"), {png}));
        std::printf("run %2d  tralu %7.1f ms  baseline %7.1f ms\n", i + 1, tralu.back(),
                    baseline.back());
    }
    const double t = Median(tralu), b = Median(baseline);
    std::printf("RESULT tralu_ms=%.1f baseline_ms=%.1f ratio=%.2f runs=%d\n", t, b, t / b, runs);
    return 0;
}
