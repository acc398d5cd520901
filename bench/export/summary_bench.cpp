// One query with 1 000 cloud drug rows (all still in supply) and 1 000 laboratory
// rows (1 000 items), beside the card's records:
//
//   BM_BuildSummary   the summary's document model
//   BM_BuildBundle    the FHIR Bundle and its JSON bytes
//   BM_SummaryPdf     the PDF (counters: bytes, pages of A4)
//
// Run from build-release/bench/export; the PDF needs no display (offscreen).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTextDocument>

#include "export/fhir_bundle.h"
#include "export/summary_document.h"
#include "export_fixtures.h"

namespace {

const fixtures::Query& query() {
    static const fixtures::Query q = fixtures::longQuery(1000, 1000);
    return q;
}

void BM_BuildSummary(benchmark::State& state) {
    fixtures::FakeLookups lookups;
    const fixtures::Query& q = query();
    for (auto _ : state) {
        summary::SummaryDocument d = summary::buildSummary(q.state, q.tables, q.extras, q.context, lookups);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_BuildSummary)->Unit(benchmark::kMillisecond);

void BM_BuildBundle(benchmark::State& state) {
    fixtures::FakeLookups lookups;
    const fixtures::Query& q = query();
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray json =
            fhir::bundleJson(fhir::buildBundle(q.state, q.tables, lookups, q.context.queryTime.date()));
        bytes = json.size();
        benchmark::DoNotOptimize(json.constData());
    }
    state.counters["json_bytes"] = double(bytes);
}
BENCHMARK(BM_BuildBundle)->Unit(benchmark::kMillisecond);

void BM_SummaryPdf(benchmark::State& state) {
    fixtures::FakeLookups lookups;
    const fixtures::Query& q = query();
    const summary::SummaryDocument d = summary::buildSummary(q.state, q.tables, q.extras, q.context, lookups);
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray pdf = summary::summaryPdf(d);
        bytes = pdf.size();
        benchmark::DoNotOptimize(pdf.constData());
    }
    state.counters["pdf_bytes"] = double(bytes);
    state.counters["pdf_pages"] = double(QByteArray(summary::summaryPdf(d)).count("/Type /Page\n"));
}
BENCHMARK(BM_SummaryPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
