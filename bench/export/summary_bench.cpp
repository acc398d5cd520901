// One query with 1 000 cloud drug rows (all still in supply) and 1 000 laboratory
// rows (1 000 items), beside the card's records:
//
//   BM_BuildSummary   the summary's document model
//   BM_WindowThreadPart
//                     what the window still does on its own thread before the
//                     pages are made aside: the source tables from the record
//                     texts and the document model (goal: well under 100 ms)
//   BM_BuildBundle    the FHIR Bundle and its JSON bytes
//   BM_SummaryPdf     the PDF as the program makes it (counters: bytes, pages of A4)
//   BM_SummaryPdfThroughTextDocument
//                     the same through Qt's text document, the way it used to be
//                     made (about 7.6 s of CPU; Qt WebEngine's printToPdf of the
//                     summary's HTML took longer still: 12-20 s wall, most of it
//                     in the browser's processes)
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
        summary::SummaryDocument d =
            summary::buildSummary(q.state, q.tables, q.extras, q.context, lookups);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_BuildSummary)->Unit(benchmark::kMillisecond);

// The record text the scraper would have written for a table.
QString recordText(report::Kind kind, const report::CloudTable& table) {
    const auto& columns = report::columnsOf(kind);
    QString text;
    for (const report::CloudRow& r : table.rows) {
        text += QStringLiteral("<D>");
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QString& key = columns[c].recordKey;
            text += u'<' + key + u'>' + r.cell(int(c)) + QStringLiteral("</") + key + u'>';
        }
        text += QStringLiteral("</D>");
    }
    return text;
}

void BM_WindowThreadPart(benchmark::State& state) {
    fixtures::FakeLookups lookups;
    const fixtures::Query& q = query();
    const QString drug = recordText(report::Kind::Drug, q.tables.drug);
    const QString lab = recordText(report::Kind::Lab, q.tables.lab);
    for (auto _ : state) {
        const report::CloudSourceTables tables = report::buildSourceTables(drug, lab);
        summary::SummaryDocument d =
            summary::buildSummary(q.state, tables, q.extras, q.context, lookups);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_WindowThreadPart)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BuildBundle(benchmark::State& state) {
    fixtures::FakeLookups lookups;
    const fixtures::Query& q = query();
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray json = fhir::bundleJson(
            fhir::buildBundle(q.state, q.tables, lookups, q.context.queryTime.date()));
        bytes = json.size();
        benchmark::DoNotOptimize(json.constData());
    }
    state.counters["json_bytes"] = double(bytes);
}
BENCHMARK(BM_BuildBundle)->Unit(benchmark::kMillisecond);

template <QByteArray (*make)(const summary::SummaryDocument&)>
void pdfBenchmark(benchmark::State& state) {
    fixtures::FakeLookups lookups;
    const fixtures::Query& q = query();
    const summary::SummaryDocument d =
        summary::buildSummary(q.state, q.tables, q.extras, q.context, lookups);
    QByteArray pdf;
    for (auto _ : state) {
        pdf = make(d);
        benchmark::DoNotOptimize(pdf.constData());
    }
    state.counters["pdf_bytes"] = double(pdf.size());
    state.counters["pdf_pages"] = double(pdf.count("/Type /Page\n"));
}

QByteArray programPdf(const summary::SummaryDocument& d) { return summary::summaryPdf(d); }

void BM_SummaryPdf(benchmark::State& state) { pdfBenchmark<programPdf>(state); }
BENCHMARK(BM_SummaryPdf)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_SummaryPdfThroughTextDocument(benchmark::State& state) {
    pdfBenchmark<summary::summaryPdfThroughTextDocument>(state);
}
BENCHMARK(BM_SummaryPdfThroughTextDocument)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

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
