#include "card/read_ic_card_data.h"

#include "card/card_decoding.h"
#include "card/control_software.h"
#include "card/cs_result.h"
#include "common/clock.h"
#include "common/prompts.h"
#include "common/status_sink.h"

namespace {
class Report {
  public:
    void add(const QString& label, CsAnswer code, const char* exportName) {
        text_ += QStringLiteral("\r\n") + label + csResultMessage(code, exportName);
    }
    void addLine(const QString& line) { text_ += QStringLiteral("\r\n") + line; }
    const QString& text() const { return text_; }

  private:
    QString text_;
};

template <typename T>
char* bytes(T& record) {
    return reinterpret_cast<char*>(&record);
}

using BufferEntry = std::optional<int32_t> (ControlSoftware::*)(char*, int32_t*);

// One category with a single buffer: `record` is zeroed and filled; a failure
// goes to the report under `label`.
template <typename T>
bool readCategory(ControlSoftware& cs, BufferEntry entry, const char* exportName, T& record,
                  Report& report, const QString& label) {
    zeroRecord(record);
    int32_t len = sizeof record;
    const CsAnswer r = ((cs.*entry)(bytes(record), &len));
    if (r != 0) report.add(label, r, exportName);
    return r == 0;
}
}  // namespace

bool ReadICcardData(const CardReadContext& ctx, const CardReadSettings& settings,
                    const treadCard& ptData, const QString& sReadCardDrID,
                    tICcardInfo& ICcardInfo) {
    zeroRecord(ICcardInfo);
    ControlSoftware& cs = ctx.cs;
    Report report;
    auto progress = [&](const char* text) {
        ctx.status.setMsg1(QString::fromUtf8(text));
        ctx.clock.pump();
    };

    if (settings.getTreatment) {
        if (!cs.LoadLibraryCshis()) return false;
        progress("讀取就醫資料....");
        tOPD_Hospital visits;
        zeroRecord(visits);
        int32_t len = sizeof visits;
        const CsAnswer r = (cs.hisGetTreatmentNoNeedHPC(bytes(visits), &len));
        if (r == 0)
            decodeVisits(visits, ICcardInfo, ctx.names);
        else
            report.add(QStringLiteral("讀取就醫資料"), r, "hisGetTreatmentNoNeedHPC");

        for (tICcardHx& hx : ICcardInfo.Hx) hx.IMP.len = 0;

        tDiagnosis diagnoses;
        prepareDiagnosisBuffer(diagnoses);
        len = sizeof diagnoses;
        const CsAnswer r2 = (cs.hisGetTreatmentNeedHPC(bytes(diagnoses), &len));
        if (r2 == 0) {
            if (!decodeDiagnoses(diagnoses, ICcardInfo, ctx.names))
                report.addLine(QStringLiteral("診斷資料庫無法使用,診斷名稱顯示為") +
                               QString::fromLatin1(kUnknownIcd10Text));
        } else {
            report.add(QStringLiteral("讀取就醫2資料"), r2, "hisGetTreatmentNeedHPC");
        }
    }

    if (settings.readPrescription && !sReadCardDrID.isEmpty()) {
        progress("讀取處方資料.....");
        tOutPatientPrescription mx;
        tLongtermPrescription longTerm;
        tImportantMx important;
        tallergy allergy;
        zeroRecord(mx);
        zeroRecord(longTerm);
        zeroRecord(important);
        zeroRecord(allergy);
        int32_t l1 = sizeof mx, l2 = sizeof longTerm, l3 = sizeof important, l4 = sizeof allergy;
        const CsAnswer r = (cs.hisReadPrescription(
            bytes(mx), &l1, bytes(longTerm), &l2, bytes(important), &l3, bytes(allergy), &l4));
        if (r == 0) {
            ICcardInfo.MX = mx;
            ICcardInfo.LongTermDrug = longTerm;
            ICcardInfo.ImportantMx = important;
            ICcardInfo.allergyHX = allergy;
        } else {
            report.add(QStringLiteral("讀取處方資料"), r, "hisReadPrescription");
        }
    }

    if (settings.registerPrevent) {
        progress("讀取預防保健資料.....");
        tprevent prevent;
        if (readCategory(cs, &ControlSoftware::hisGetRegisterPrevent, "hisGetRegisterPrevent",
                         prevent, report, QStringLiteral("讀取預防保健資料")))
            ICcardInfo.preventX = prevent;
    }

    if (settings.registerPregnant && ptData.sex != QLatin1Char('M')) {
        progress("讀取孕婦產檢資料.....");
        tpregnant pregnant;
        if (readCategory(cs, &ControlSoftware::hisGetRegisterPregnant, "hisGetRegisterPregnant",
                         pregnant, report, QStringLiteral("讀取孕婦產檢資料")))
            ICcardInfo.pregnantX = pregnant;
    }

    // The next three categories are read for their failures only: the card record
    // has no place for their content.
    if (settings.cumulativeData) {
        progress("讀取就醫費用累計資料.....");
        tFeeYear years;
        zeroRecord(years);
        int32_t len = sizeof years;
        (void)cs.hisGetCumulativeData(bytes(years), &len);
        tFeeAll all;
        zeroRecord(all);
        len = sizeof all;
        const CsAnswer r = (cs.hisGetCumulativeFee(bytes(all), &len));
        if (r != 0) report.add(QStringLiteral("讀取就醫費用累計資料"), r, "hisGetCumulativeFee");
    }

    if (settings.inoculateData) {
        progress("讀取預防接種資料.....");
        tInoculate inoculate;
        readCategory(cs, &ControlSoftware::hisGetInoculateData, "hisGetInoculateData", inoculate,
                     report, QStringLiteral("讀取預防接種資料"));
    }

    if (settings.organDonate) {
        progress("讀取器官捐贈資料.....");
        char mark[1];
        readCategory(cs, &ControlSoftware::hisGetOrganDonate, "hisGetOrganDonate", mark, report,
                     QStringLiteral("讀取器官捐贈資料"));
    }

    if (!report.text().isEmpty()) ctx.prompts.message(report.text());
    return true;
}
