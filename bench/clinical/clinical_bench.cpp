// The clinical aids over large generated record texts, next to the report's own
// fill + show of the same rows (fillCloudData and showCloud with the default
// columns and sort keys). The figure that matters: AllAids (duplicates,
// interactions, kidney, allergy, age, the supply timeline and one trend over
// 10 000 drug and 2 000 laboratory rows) against FillAndShowAll of the same rows.
//
//   build-release/bench/clinical/clinical_bench
//   build-release/bench/clinical/clinical_bench --benchmark_repetitions=5
//       --benchmark_filter='AllAids|FillAndShowAll|AidPart'
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <random>

#include "report/clinical_aids.h"
#include "report/cloud_report.h"
#include "report/cloud_tables.h"
#include "report/duplicate_check.h"
#include "report/lab_trend.h"
#include "report/supply_timeline.h"

namespace {

const QDate kToday(2024, 12, 10);

QString rocDate(const QDate& d) {
    return QStringLiteral("%1/%2/%3")
        .arg(d.year() - 1911)
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

QString record(const QList<report::CloudColumn>& columns, const QStringList& cells) {
    QString out = QStringLiteral("<D>");
    for (int i = 0; i < columns.size(); ++i) {
        const QString& key = columns.at(i).recordKey;
        out += u'<' + key + u'>' + cells.value(i) + QStringLiteral("</") + key + u'>';
    }
    return out + QStringLiteral("</D>");
}

// Drug rows of the last year from 40 institutions: 60 ingredients in 15 classes,
// 3 to 28 days, some with days left over; a fixed seed keeps runs comparable.
QString drugText(int rows) {
    std::mt19937 rng(20241210);
    const QStringList days = {"3", "7", "14", "28"};
    const QStringList remaining = {"", "0", "0", "5", "23"};
    QString text;
    for (int i = 0; i < rows; ++i) {
        const int cls = int(rng() % 15), ingredient = int(rng() % 4);
        const QString atc5 = QStringLiteral("C%1AA").arg(cls, 2, 10, QLatin1Char('0'));
        const QString atc7 =
            atc5 + QStringLiteral("%1").arg(ingredient + 1, 2, 10, QLatin1Char('0'));
        QStringList cells(report::drugColumns().size());
        cells[0] = rocDate(kToday.addDays(-int(rng() % 365)));
        cells[1] = QStringLiteral("診所%1\n35012%2")
                       .arg(rng() % 40)
                       .arg(rng() % 40, 5, 10, QLatin1Char('0'));
        cells[3] = atc7;
        // Every fifth a combination product sharing an ingredient with another class.
        cells[7] = i % 5 == 0 ? QStringLiteral("Ing%1 HCl/Ing%2").arg(cls * 4 + ingredient).arg((cls + 1) % 15 * 4)
                              : QStringLiteral("Ing%1 HCl").arg(cls * 4 + ingredient);
        cells[9] = QStringLiteral("藥品%1").arg(atc7);
        cells[10] = days.at(int(rng() % days.size()));
        cells[15] = remaining.at(int(rng() % remaining.size()));
        cells[16] = QStringLiteral("%1").arg(i % 9999, 4, 10, QLatin1Char('0'));
        cells[23] = atc7;
        text += record(report::drugColumns(), cells);
    }
    return text;
}

// Laboratory rows of 20 items, mostly numbers, some text results and censored values.
QString labText(int rows) {
    std::mt19937 rng(20241211);
    QString text;
    for (int i = 0; i < rows; ++i) {
        const int item = int(rng() % 20);
        QStringList cells(report::labColumns().size());
        cells[0] = rocDate(kToday.addDays(-int(rng() % 2000)));
        cells[6] = item == 0 ? QStringLiteral("CRE") : QStringLiteral("ITEM%1").arg(item);
        const int kind = int(rng() % 10);
        cells[7] = kind == 0   ? QStringLiteral("Negative")
                   : kind == 1 ? QStringLiteral("<0.5")
                               : QString::number(50 + int(rng() % 1000) / 10.0);
        cells[8] = QStringLiteral("70-100");
        cells[9] = item == 0 ? QStringLiteral("09015C")
                             : QStringLiteral("0900%1C").arg(item, 2, 10, QLatin1Char('0'));
        // Some institutions report in SI units.
        cells[18] = item == 0 && i % 3 == 0 ? QStringLiteral("umol/L") : QStringLiteral("mg/dL");
        text += record(report::labColumns(), cells);
    }
    return text;
}

// fillCloudData + showCloud of one kind, the columns and lists loaded once before.
void fillAndShow(benchmark::State& state, const QString& sDrug, const QString& sLab,
                 const QString& kind) {
    QTemporaryDir dir;
    report::CloudReport report(dir.filePath(QStringLiteral("tolvane.ini")));
    report.showCloud(kind);
    for (auto _ : state) {
        report.fillCloudData(sDrug, sLab);
        benchmark::DoNotOptimize(report.showCloud(kind));
    }
}

void FillAndShowDrug(benchmark::State& state) {
    fillAndShow(state, drugText(int(state.range(0))), QString(), QStringLiteral("drug"));
}
BENCHMARK(FillAndShowDrug)->Arg(10000)->Unit(benchmark::kMillisecond);

void Duplicates(benchmark::State& state) {
    const report::CloudTable table =
        report::parseRecordText(report::Kind::Drug, drugText(int(state.range(0))));
    int groups = 0;
    for (auto _ : state) {
        const auto findings = report::findDuplicates(table, kToday);
        groups = int(findings.groups.size());
        benchmark::DoNotOptimize(findings);
    }
    state.counters["groups"] = groups;
}
BENCHMARK(Duplicates)->Arg(10000)->Unit(benchmark::kMillisecond);

void FillAndShowLab(benchmark::State& state) {
    fillAndShow(state, QString(), labText(int(state.range(0))), QStringLiteral("labdata"));
}
BENCHMARK(FillAndShowLab)->Arg(10000)->Unit(benchmark::kMillisecond);

// The report's fill of both kinds and show of the drug rows.
void FillAndShowAll(benchmark::State& state) {
    fillAndShow(state, drugText(int(state.range(0))), labText(int(state.range(1))),
                QStringLiteral("drug"));
}
BENCHMARK(FillAndShowAll)->Args({10000, 2000})->Unit(benchmark::kMillisecond);

// Every aid over the same rows, as the cloud page computes them for a new query.
// The aids start from the report's own source tables (the parse of the record
// text that the fill made, shared, so not timed here): the drug rows are read
// once into supplies (CloudReport::drugSupplies), then the duplicate check, the
// other aids with their row warnings, the supply timeline and one trend.
void AllAids(benchmark::State& state) {
    const report::CloudTable drugs =
        report::parseRecordText(report::Kind::Drug, drugText(int(state.range(0))));
    const report::CloudTable lab =
        report::parseRecordText(report::Kind::Lab, labText(int(state.range(1))));
    const report::AidsPatient patient{u'F', QDate(1950, 5, 1), {QStringLiteral("Ing7"), QStringLiteral("盤尼西林")}};
    int findings = 0;
    for (auto _ : state) {
        // One reading of the drug rows serves every aid.
        const report::DrugSupplies supplies = report::readDrugSupplies(drugs);
        const auto duplicates = report::findDuplicates(supplies, int(drugs.rows.size()), kToday);
        const auto aids = report::runClinicalAids(kToday, supplies, lab, patient);
        benchmark::DoNotOptimize(aids.rowWarnings(int(drugs.rows.size())));
        const auto timeline = report::buildSupplyTimeline(supplies, drugs, kToday);
        const auto trend = report::extractTrendSet(lab, 0);
        findings = int(duplicates.groups.size()) + aids.interactionCount() + aids.otherCount();
        benchmark::DoNotOptimize(timeline);
        benchmark::DoNotOptimize(trend);
    }
    state.counters["findings"] = findings;
}
BENCHMARK(AllAids)->Args({10000, 2000})->Unit(benchmark::kMillisecond);

// The parts of AllAids one at a time: 0 reading the rows, 1 duplicates, 2 the
// other aids, 3 the timeline, 4 one trend.
void AidPart(benchmark::State& state) {
    const report::CloudTable drugs = report::parseRecordText(report::Kind::Drug, drugText(10000));
    const report::CloudTable lab = report::parseRecordText(report::Kind::Lab, labText(2000));
    const report::DrugSupplies supplies = report::readDrugSupplies(drugs);
    const report::AidsPatient patient{u'F', QDate(1950, 5, 1), {QStringLiteral("Ing7")}};
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0: benchmark::DoNotOptimize(report::readDrugSupplies(drugs)); break;
            case 1: benchmark::DoNotOptimize(report::findDuplicates(supplies, 10000, kToday)); break;
            case 2: benchmark::DoNotOptimize(report::runClinicalAids(kToday, supplies, lab, patient)); break;
            case 3: benchmark::DoNotOptimize(report::buildSupplyTimeline(supplies, drugs, kToday)); break;
            default: benchmark::DoNotOptimize(report::extractTrendSet(lab, 0)); break;
        }
    }
}
BENCHMARK(AidPart)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void TrendSeries(benchmark::State& state) {
    const report::CloudTable table =
        report::parseRecordText(report::Kind::Lab, labText(int(state.range(0))));
    int points = 0;
    for (auto _ : state) {
        const auto series = report::extractTrendSeries(table, 0);
        points = int(series.points.size());
        benchmark::DoNotOptimize(series);
    }
    state.counters["points"] = points;
}
BENCHMARK(TrendSeries)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
