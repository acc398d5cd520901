// Processor time the program spends while a Read waits on a slow site: one full
// cloud read (loadEdgeChart, logged in) with the real browser engine against the
// loopback site answering every request 5 s late. A wait that sleeps until the
// browser's next event costs next to nothing; one that spins keeps a core busy
// for the whole read.
//
//   build/bench/cloud/read_cpu_bench
//
// ui_cpu_per_wall is the user-interface thread's processor time over the wall
// time of the read (goal: at most 0.05); process_cpu_per_wall counts every thread
// of the program (the engine's own threads and the in-process site included), not
// the engine's renderer processes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <ctime>
#include <memory>

#include "cloud/browser_driver.h"
#include "cloud/edge_chart.h"
#include "cloud/webengine_browser_view.h"
#include "cloud_site.h"
#include "common/clock.h"
#include "common/prompts.h"
#include "common/status_sink.h"

namespace {

const QString kDemo = QStringLiteral(CLOUDSITE_DEMO_DIR);

struct NoPrompts : Prompts {
    int shown = 0;
    void message(const QString&) override { ++shown; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    Answer question(const QString&) override { return Answer::No; }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

struct NoStatus : StatusSink {
    void setMsg1(const QString&) override {}
    void setMsg2(const QString&) override {}
    void setMsg3(const QString&) override {}
    void setBusyCursor(bool) override {}
};

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double processCpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto ms = [](const timeval& v) {
        return double(v.tv_sec) * 1000.0 + double(v.tv_usec) / 1000.0;
    };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

void BM_SlowSiteRead(benchmark::State& state) {
    const int lateMs = int(state.range(0));
    const bool fast = state.range(1) != 0;
    QTemporaryDir dir;
    QFile cards(dir.filePath("sim-cards.json"));
    cards.open(QIODevice::WriteOnly);
    cards.write(R"({"cards":[{"key":"demo","id":"B220715631","name":"x"}]})");
    cards.close();
    QFile inserted(dir.filePath("sim-card.txt"));
    inserted.open(QIODevice::WriteOnly);
    inserted.write("demo");
    inserted.close();

    cloudsite::Site site(cloudsite::Options{
        QDir(kDemo).filePath("cloudsite-cert.pem"), QDir(kDemo).filePath("cloudsite-key.pem"),
        QDir(kDemo).filePath("cloud-records.json"), dir.path()});
    if (!site.start(0)) {
        state.SkipWithError("site did not start");
        return;
    }
    QWidget window;
    NoStatus status;
    NoPrompts prompts;
    {
        WebEngineBrowser browser(&window, dir.filePath("profile"));
        QFile fp(QDir(kDemo).filePath("cloudsite-cert.sha256"));
        fp.open(QIODevice::ReadOnly);
        browser.setTrustedCertificateFingerprint(QString::fromLatin1(fp.readAll()).trimmed());
        BrowserDriver driver(browser, systemClock(), status);
        EdgeChartSettings settings;
        settings.URLaddr = QUrl(site.startAddress());
        settings.appPath = dir.path();
        settings.errorFileFolder = dir.path();
        settings.fastRead = fast;
        EdgeChartLoader loader(driver, systemClock(), prompts, status, settings);
        QString sDrug, sLab;
        loader.loadEdgeChart(QStringLiteral("B220715631"), sDrug, sLab);  // logs in
        site.switches().answerDelayMs = lateMs;

        double wallMs = 0, uiMs = 0, processMs = 0;
        int rows = 0;
        for (auto _ : state) {
            QElapsedTimer wall;
            const double ui0 = threadCpuMs(), p0 = processCpuMs();
            wall.start();
            loader.loadEdgeChart(QStringLiteral("B220715631"), sDrug, sLab);
            wallMs += double(wall.elapsed());
            uiMs += threadCpuMs() - ui0;
            processMs += processCpuMs() - p0;
            rows = int(sDrug.count(QLatin1String("</D>")) + sLab.count(QLatin1String("</D>")));
        }
        site.switches().answerDelayMs = 0;
        state.counters["wall_ms"] = wallMs / double(state.iterations());
        state.counters["ui_cpu_per_wall"] = uiMs / wallMs;
        state.counters["process_cpu_per_wall"] = processMs / wallMs;
        state.counters["rows"] = rows;
        state.counters["messages"] = prompts.shown;
    }
    site.stop();
    for (int i = 0; i < 10 && !dir.remove(); ++i) Delay(systemClock(), 200);
}

BENCHMARK(BM_SlowSiteRead)
    ->ArgNames({"lateMs", "fast"})
    ->Args({5000, 0})
    ->Args({5000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                "--no-sandbox --disable-gpu --disable-background-timer-throttling "
                "--disable-renderer-backgrounding --disable-backgrounding-occluded-windows");
    WebEngineBrowser::prepareEnvironment();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
