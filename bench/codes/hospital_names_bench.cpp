// Institution names from a 30 000-line "hospbsc.txt".
//
//   cmake --build <build> --target codes_bench && <build>/bench/codes/codes_bench

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "card/code_tables.h"
#include "make_hospital_list.h"

namespace {

struct ListFolder {
    QTemporaryDir dir;
    ListFolder() {
        if (!bench::writeHospitalList(dir.filePath(kHospitalListFile), 30000)) std::abort();
    }
};

ListFolder& folder() {
    static ListFolder f;
    return f;
}

const QString& lastCode() { return bench::simulatedCardInstitutions().last(); }

// The pages' look-up with the parsed list kept between calls.
void BM_getHospitalName_cached(benchmark::State& state) {
    HospitalNames names(folder().dir.path());
    names.getHospitalName(lastCode());
    for (auto _ : state) benchmark::DoNotOptimize(names.getHospitalName(lastCode()));
}
BENCHMARK(BM_getHospitalName_cached);

// What every call would cost if the list were read and scanned each time.
void BM_getHospitalName_rereadEveryCall(benchmark::State& state) {
    for (auto _ : state) {
        HospitalNames names(folder().dir.path());
        benchmark::DoNotOptimize(names.getHospitalName(lastCode()));
    }
}
BENCHMARK(BM_getHospitalName_rereadEveryCall)->Unit(benchmark::kMillisecond);

void BM_CreateHospitalSet(benchmark::State& state) {
    CHospitalSet set;
    for (auto _ : state) set.CreateHospitalSet(folder().dir.path());
}
BENCHMARK(BM_CreateHospitalSet)->Unit(benchmark::kMillisecond);

void BM_HosCodeToName(benchmark::State& state) {
    CHospitalSet set;
    set.CreateHospitalSet(folder().dir.path());
    for (auto _ : state) benchmark::DoNotOptimize(set.HosCodeToName(lastCode()));
}
BENCHMARK(BM_HosCodeToName);

}  // namespace
