// The same summary of 1 000 cloud drug rows and 1 000 laboratory rows printed by
// the embedded browser engine instead (Qt WebEngine: the summary's HTML loaded
// into a page, then QWebEnginePage::printToPdf), for comparison with
// export_bench's BM_SummaryPdf and BM_SummaryPdfThroughTextDocument:
//
//   BM_SummaryPdfThroughBrowser   load and print, wall time (the work is done in
//                                 the browser's own processes; counters: bytes)
//
// The page is loaded once before timing, as the program's engine is already up.
// Run from build-release/bench/export; offscreen, no display needed.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>

#include "export/summary_document.h"
#include "export_fixtures.h"

namespace {

QString summaryFile(const QTemporaryDir& dir) {
    fixtures::FakeLookups lookups;
    const fixtures::Query q = fixtures::longQuery(1000, 1000);
    QString html = summary::summaryHtml(
        summary::buildSummary(q.state, q.tables, q.extras, q.context, lookups));
    // The browser's own table printing: the header group repeats on every page.
    html.replace(QStringLiteral("<head>"),
                 QStringLiteral("<head><style>body{font-family:'WenQuanYi Zen Hei';"
                                "font-size:9.5pt} thead{display:table-header-group}"
                                " tr{break-inside:avoid}</style>"));
    QFile f(dir.filePath(QStringLiteral("summary.html")));
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(html.toUtf8());
    return f.fileName();
}

bool load(QWebEnginePage& page, const QString& file) {
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool done) {
        ok = done;
        loop.quit();
    });
    page.load(QUrl::fromLocalFile(file));
    loop.exec();
    return ok;
}

QByteArray print(QWebEnginePage& page) {
    QEventLoop loop;
    QByteArray pdf;
    page.printToPdf(
        [&](const QByteArray& bytes) {
            pdf = bytes;
            loop.quit();
        },
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                    QPageLayout::Millimeter));
    loop.exec();
    return pdf;
}

void BM_SummaryPdfThroughBrowser(benchmark::State& state) {
    QTemporaryDir dir;
    const QString file = summaryFile(dir);
    QWebEnginePage page;
    if (!load(page, file)) {
        state.SkipWithError("the browser engine did not load the page");
        return;
    }
    QByteArray pdf;
    for (auto _ : state) {
        if (!load(page, file)) state.SkipWithError("load failed");
        pdf = print(page);
    }
    state.counters["pdf_bytes"] = double(pdf.size());
}
BENCHMARK(BM_SummaryPdfThroughBrowser)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine's sandbox cannot start as root (the demo sets the same).
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
