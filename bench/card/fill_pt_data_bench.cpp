// The patient pages' data work (buildPatientPages) for a card with every prescription slot filled
// and 27 institution names to look up, against a 30 000-line "hospbsc.txt".
//
//   BM_FillPTdata                 the institution list kept parsed between calls
//   BM_FillPTdata_ReReadPerName   the list read and parsed again for every name
//
// Both open the drug database of the demo folder once per call, as the pages do.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "card/card_fields.h"
#include "card/code_tables.h"
#include "card/drug_database.h"
#include "card/patient_pages.h"
#include "codes/make_hospital_list.h"

namespace {

template <std::size_t N>
void put(char (&field)[N], const QString& s) {
    const QByteArray b = s.toLatin1();
    std::memset(field, ' ', N);
    std::memcpy(field, b.constData(), std::min(N, std::size_t(b.size())));
}

struct Folder {
    QTemporaryDir dir;
    bool ok = false;
    Folder() {
        ok = bench::writeHospitalList(dir.filePath(QString::fromLatin1(kHospitalListFile))) &&
             QFile::copy(QStringLiteral(TOLVANE_DEMO_DIR "/") + QLatin1String(kDrugDatabaseFile),
                         dir.filePath(QString::fromLatin1(kDrugDatabaseFile)));
    }
};

Folder& folder() {
    static Folder f;
    return f;
}

// Six visits, and every slot of the three prescription lists filled with codes of the
// sample database (and one it does not know); institutions from the end of the list.
PatientState fullCard() {
    PatientState s;
    zeroRecord(s.ICcardInfo);
    tICcardInfo& c = s.ICcardInfo;
    const QStringList& hosp = bench::simulatedCardInstitutions();
    const QStringList drugs{"A012345100", "A023456212", "AC34567100", "AB45678100",
                            "A067890100", "AB78901100", "XX00000000"};
    for (int i = 0; i < 6; ++i) {
        setAnsi(c.Hx[i].visitDateTime, QStringLiteral("11312%1093000").arg(i + 10).toLatin1());
        setAnsi(c.Hx[i].hospitalCode, hosp[i % hosp.size()].toLatin1());
        setText(c.Hx[i].IMP, QStringLiteral("J069_急性上呼吸道感染`I10_本態性高血壓"));
    }
    for (int i = 0; i < 60; ++i) {
        put(c.MX.slot[i].p0, QStringLiteral("11312%1093000").arg(i % 7 + 10));
        put(c.MX.slot[i].p4, drugs[i % drugs.size()]);
        put(c.MX.slot[i].p7, QStringLiteral("TID"));
    }
    for (int i = 0; i < 30; ++i) {
        put(c.LongTermDrug.slot[i].p0, QStringLiteral("1131%1").arg(i + 101));
        put(c.LongTermDrug.slot[i].p4, drugs[i % drugs.size()]);
    }
    for (int i = 0; i < 10; ++i) {
        put(c.ImportantMx.slot[i].p0, QStringLiteral("1131%1").arg(i + 101));
        put(c.ImportantMx.slot[i].t2, hosp[i % hosp.size()]);
        put(c.ImportantMx.slot[i].p4, QStringLiteral("64164B"));
    }
    for (auto& e : c.preventX.entry) put(e.HospitalCode, hosp[1]);
    for (auto& e : c.pregnantX.entry) put(e.HospitalCode, hosp[2]);
    return s;
}

// The list read again for every name.
class ReReadLookups : public PageLookups {
  public:
    ReReadLookups(QString appPath, DrugDatabase& drugs)
        : appPath_(std::move(appPath)), drugs_(drugs) {}
    QString hospitalName(const QString& code) override {
        HospitalNames fresh(appPath_);
        return fresh.getHospitalName(code);
    }
    InsuranceCodeName insuranceName(const QString& code) override { return drugs_.nameOf(code); }

  private:
    QString appPath_;
    DrugDatabase& drugs_;
};

void BM_FillPTdata(benchmark::State& state) {
    if (!folder().ok) {
        state.SkipWithError("no demo drug database or temporary folder");
        return;
    }
    const PatientState card = fullCard();
    HospitalNames names(folder().dir.path());
    (void)names.getHospitalName(QStringLiteral("3501200000"));  // parsed once at first use
    for (auto _ : state) {
        PatientPages pages = buildPatientPages(card, names, folder().dir.path());
        benchmark::DoNotOptimize(pages);
    }
}
BENCHMARK(BM_FillPTdata)->Unit(benchmark::kMillisecond);

void BM_FillPTdata_ReReadPerName(benchmark::State& state) {
    if (!folder().ok) {
        state.SkipWithError("no demo drug database or temporary folder");
        return;
    }
    const PatientState card = fullCard();
    for (auto _ : state) {
        DrugDatabase drugs(folder().dir.path());
        ReReadLookups lookups(folder().dir.path(), drugs);
        PatientPages pages = buildPatientPages(card, lookups);
        benchmark::DoNotOptimize(pages);
    }
}
BENCHMARK(BM_FillPTdata_ReReadPerName)->Unit(benchmark::kMillisecond);

}  // namespace
