// The drug report from record text: the getXMLitem walk over N generated rows
// against fillCloudData + showCloud("drug") with "就醫日期", "藥品名稱" and
// "給藥日數" as sort keys. Run: build-release/bench/report/report_bench
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <random>

#include "common/record_text.h"
#include "common/ini_file.h"
#include "report/cloud_report.h"
#include "report/duplicate_check.h"

namespace {

// Drug record text of `rows` rows, the same for every run (seeded).
QString drugRecordText(int rows) {
    std::mt19937 rng(20241201);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    static const char* const sources[] = {"晴川診所>3501200000", "北辰聯合醫院>1101010012",
                                          "松濤內科診所>1101150033", "中港醫學中心>0401180014"};
    static const char* const names[] = {
        "庫魯化錠500毫克", "可悅您膜衣錠50毫克",    "立普妥膜衣錠10毫克", "\"普拿疼\"錠500毫克",
        "咳停錠",          "歐美拉唑腸溶膠囊20毫克"};
    static const char* const days[] = {"3", "7", "14", "28"};
    const auto& columns = report::drugColumns();
    QString text;
    text.reserve(qsizetype(rows) * 900);
    for (int r = 0; r < rows; ++r) {
        QStringList cells(columns.size());
        cells[0] = QStringLiteral("%1/%2/%3")
                       .arg(100 + pick(14))
                       .arg(1 + pick(12), 2, 10, QLatin1Char('0'))
                       .arg(1 + pick(28), 2, 10, QLatin1Char('0'));
        cells[1] = QString::fromUtf8(sources[pick(4)]);
        cells[2] = QStringLiteral("E11.9 第二型糖尿病");
        cells[4] = QStringLiteral("BLOOD GLUCOSE LOWERING DRUGS");
        cells[8] = QStringLiteral("AC%1").arg(pick(100000000), 8, 10, QLatin1Char('0'));
        cells[9] = QString::fromUtf8(names[pick(6)]);
        cells[10] = QString::fromLatin1(days[pick(4)]);
        cells[13] = QStringLiteral("BID");
        cells[23] = QStringLiteral("A10BA02");
        text += QStringLiteral("<D>");
        for (int i = 0; i < columns.size(); ++i)
            text += u'<' + columns[i].recordKey + u'>' + cells[i] + QStringLiteral("</") +
                    columns[i].recordKey + u'>';
        text += QStringLiteral("</D>\r\n");
    }
    return text;
}

const QString& textOf(int rows) {
    static QHash<int, QString> texts;
    auto it = texts.find(rows);
    if (it == texts.end()) it = texts.insert(rows, drugRecordText(rows));
    return *it;
}

void BM_GetXMLitemWalk(benchmark::State& state) {
    const QString& text = textOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QStringList list;
        int pos = 1;
        int records = 0;
        while ((pos = getXMLitem(text, pos, QStringLiteral("D"), list)) != 0) {
            ++records;
            list.clear();
        }
        benchmark::DoNotOptimize(records);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FillAndShowDrug(benchmark::State& state) {
    const QString& text = textOf(static_cast<int>(state.range(0)));
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tolvane.ini"));
    IniFile(ini).writeSection(QStringLiteral("drugsort"), {{QStringLiteral("就醫日期"), "Y"},
                                                           {QStringLiteral("藥品名稱"), "Y"},
                                                           {QStringLiteral("給藥日數"), "Y"}});
    report::CloudReport report(ini);
    report.showCloud(QStringLiteral("drug"));  // columns and lists once, as after the first read
    for (auto _ : state) {
        report.fillCloudData(text, QString());
        benchmark::DoNotOptimize(report.showCloud(QStringLiteral("drug")));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The local duplicate check over the same rows, from the source table the fill built.
void BM_DuplicateCheck(benchmark::State& state) {
    const report::CloudTable drugs =
        report::parseRecordText(report::Kind::Drug, textOf(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(report::findDuplicates(drugs, QDate(2024, 12, 10)));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_GetXMLitemWalk)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAndShowDrug)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DuplicateCheck)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
