#include "report/clinical_aids.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "qstring_printer.h"
#include "report/lab_units.h"

using report::AidsPatient;
using report::CloudRow;
using report::CloudTable;
using ::testing::ElementsAre;

namespace {

const QDate kDay(2024, 12, 10);

struct Drug {
    QString atc7;
    QString ingredients{};
    QString date = QStringLiteral("113/12/01");
    QString source = QStringLiteral("晴川診所\n3501200000");
    QString days = QStringLiteral("28");
    QString name{};
    QString allergy{};
    QString elderly{};
};

struct Lab {
    QString date;
    QString result;
    QString unit = QStringLiteral("mg/dL");
    QString item = QStringLiteral("CRE");
    QString code = QStringLiteral("09015C");
};

template <typename T, typename Set>
CloudTable tableOf(report::Kind kind, const std::vector<T>& items, Set set) {
    CloudTable t;
    for (const T& i : items) {
        CloudRow r;
        r.values.fill(QString(), report::columnsOf(kind).size() - 1);
        auto cell = [&r, kind](const char* caption, const QString& v) {
            r.values[report::columnIndex(kind, QString::fromUtf8(caption)) - 1] = v;
        };
        set(i, r, cell);
        t.rows.append(r);
    }
    return t;
}

CloudTable drugs(const std::vector<Drug>& list) {
    return tableOf(report::Kind::Drug, list, [](const Drug& d, CloudRow& r, auto cell) {
        r.caption = d.date;
        cell("來源", d.source);
        cell("ATC7代碼", d.atc7);
        cell("成分名稱", d.ingredients);
        cell("給藥日數", d.days);
        cell("藥品名稱", d.name.isEmpty() ? d.atc7 : d.name);
        cell("新增過敏資料", d.allergy);
        cell("65歲以上病人宜注意用藥品項", d.elderly);
    });
}

CloudTable labs(const std::vector<Lab>& list) {
    return tableOf(report::Kind::Lab, list, [](const Lab& l, CloudRow& r, auto cell) {
        r.caption = l.date;
        cell("檢驗結果", l.result);
        cell("單位", l.unit);
        cell("檢驗項目", l.item);
        cell("醫令代碼", l.code);
    });
}

const AidsPatient kMan70{u'M', QDate(1954, 3, 1), {}};

QStringList titles(const report::AidSection& s) {
    QStringList out;
    for (const auto& f : s.findings) out << f.severity + u' ' + f.title;
    return out;
}

TEST(ClinicalAids, CkdEpi2021AgreesWithPublishedValues) {
    struct Case {
        double scr;
        int age;
        bool female;
        int expected;  // mL/min/1.73 m², rounded as calculators show it
    };
    // Both arms of the spline, both sexes.
    const Case cases[] = {{1.0, 60, false, 86}, {0.7, 50, true, 105}, {2.6, 70, false, 26},
                          {0.5, 30, true, 129}, {1.5, 80, true, 35}};
    for (const Case& c : cases)
        EXPECT_EQ(std::lround(*report::ckdEpi2021(c.scr, c.age, c.female)), c.expected)
            << c.scr << ' ' << c.age;
    EXPECT_FALSE(report::ckdEpi2021(1.0, 17, false));
    EXPECT_FALSE(report::ckdEpi2021(0, 60, false));
}

struct InteractionCase {
    const char* name;
    std::vector<Drug> drugs;
    std::vector<const char*> expected;
};

TEST(ClinicalAids, InteractionsAmongDrugsInSupply) {
    const InteractionCase cases[] = {
        {"warfarin with ibuprofen", {{"B01AA03"}, {"M01AE01"}}, {"嚴重 Warfarin+NSAID"}},
        {"warfarin with ibuprofen that ran out in November",
         {{"B01AA03"}, {.atc7 = "M01AE01", .date = "113/11/01", .days = "7"}},
         {}},
        {"clopidogrel with esomeprazole", {{"B01AC04"}, {"A02BC05"}},
         {"中度 Clopidogrel+Omeprazole"}},
        {"clopidogrel with pantoprazole", {{"B01AC04"}, {"A02BC02"}}, {}},
        {"simvastatin with clarithromycin", {{"C10AA01"}, {"J01FA09"}},
         {"禁忌 Simvastatin+CYP3A4強抑制劑"}},
        {"sildenafil with isosorbide mononitrate", {{"G04BE03"}, {"C01DA14"}},
         {"禁忌 PDE-5抑制劑+硝酸鹽"}},
        {"fluoxetine with tramadol/acetaminophen",
         {{"N06AB03"}, {.atc7 = "N02AJ13", .ingredients = "Tramadol HCl/Acetaminophen"}},
         {"嚴重 SSRI+Tramadol"}},
        {"losartan/HCTZ with naproxen: the triple whammy in two drugs",
         {{.atc7 = "C09DA01", .ingredients = "Losartan/Hydrochlorothiazide"}, {"M01AE02"}},
         {"嚴重 ACEI/ARB+利尿劑+NSAID"}},
        {"losartan with hydrochlorothiazide, no NSAID", {{"C09CA01"}, {"C03AA03"}}, {}},
        {"lorazepam with codeine cough syrup", {{"N05BA06"}, {"R05DA04"}},
         {"嚴重 BZD/Z-drug+鴉片類"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto aids = report::runClinicalAids(kDay, drugs(c.drugs), {}, kMan70);
        QStringList expected;
        for (const char* e : c.expected) expected << QString::fromUtf8(e);
        EXPECT_EQ(titles(aids.sections.at(0)), expected);
        EXPECT_EQ(aids.interactionCount(), int(expected.size()));
    }
}

TEST(ClinicalAids, KidneyFunctionFromTheLatestCreatinineInEitherUnit) {
    const CloudTable metformin = drugs({{.atc7 = "A10BA02", .ingredients = "Metformin HCl"}});
    struct Case {
        const char* name;
        std::vector<Lab> lab;
        const char* checkedStart;
        std::vector<const char*> flagged;
    };
    const Case cases[] = {
        {"eGFR 25 with metformin",
         {{"113/06/01", "1.0"}, {"113/11/20", "2.6"}},
         "eGFR 26 mL/min/1.73m² (<30)",
         {"嚴重 Metformin (eGFR<30)"}},
        {"the same creatinine in µmol/L from another hospital",
         {{"113/06/01", "1.0"}, {"113/11/20", "230", "umol/L", "Creatinine", "09015B"}},
         "eGFR 26 mL/min/1.73m² (<30)",
         {"嚴重 Metformin (eGFR<30)"}},
        {"eGFR 41: metformin at reduced dose",
         {{"113/11/20", "1.75"}},
         "eGFR 41 mL/min/1.73m² (<60)",
         {"注意 Metformin (eGFR<45)"}},
        {"normal kidney function", {{"113/11/20", "0.9"}}, "eGFR 92 mL/min/1.73m²", {}},
        {"a urine creatinine is not the serum value",
         {{"113/11/20", "120", "mg/dL", "U-CRE", "09016C"}},
         "檢驗記錄中沒有可用的血清肌酸酐結果",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto aids = report::runClinicalAids(kDay, metformin, labs(c.lab), kMan70);
        const report::AidSection& kidney = aids.sections.at(1);
        EXPECT_TRUE(kidney.checked.startsWith(QString::fromUtf8(c.checkedStart))) << kidney.checked.toStdString();
        QStringList expected;
        for (const char* e : c.flagged) expected << QString::fromUtf8(e);
        EXPECT_EQ(titles(kidney), expected);
    }
    // Without the card's sex there is no eGFR, and the aid says so.
    const auto unknown =
        report::runClinicalAids(kDay, metformin, labs({{"113/11/20", "2.6"}}), {{}, kMan70.birthday, {}});
    EXPECT_TRUE(unknown.sections.at(1).checked.contains("無性別")) << unknown.sections.at(1).checked.toStdString();
    EXPECT_TRUE(unknown.sections.at(1).findings.isEmpty());
}

TEST(ClinicalAids, AllergyFromTheCardAndFromCloudRows) {
    const CloudTable table = drugs({
        {.atc7 = "J01CR02", .ingredients = "Amoxicillin/Clavulanate potassium", .name = "安滅菌"},
        {.atc7 = "N02BE01", .ingredients = "Acetaminophen", .name = "普拿疼"},
        // An allergy recorded last year against paracetamol.
        {.atc7 = "N02BE01", .ingredients = "Paracetamol", .date = "112/05/01", .days = "3",
         .allergy = "疑似過敏 皮疹"},
    });
    const AidsPatient patient{u'F', QDate(1980, 1, 1), {"Amoxicillin"}};
    const auto aids = report::runClinicalAids(kDay, table, {}, patient);
    EXPECT_THAT(titles(aids.sections.at(2)),
                ElementsAre("嚴重 健保卡過敏: Amoxicillin", "嚴重 雲端過敏記錄: N02BE01 112/05/01"));
    EXPECT_THAT(aids.sections.at(2).findings.at(0).rows, ElementsAre(0));
    EXPECT_THAT(aids.sections.at(2).findings.at(1).rows, ElementsAre(1));
    // A class word on the card finds the class.
    const auto penicillin = report::runClinicalAids(kDay, table, {}, {u'F', {}, {"盤尼西林類"}});
    EXPECT_THAT(penicillin.sections.at(2).findings.at(0).rows, ElementsAre(0));
    EXPECT_THAT(penicillin.rowWarnings(3), ElementsAre("過敏", "過敏", ""));
}

TEST(ClinicalAids, ElderlyMarksOnlyFrom65) {
    const CloudTable table = drugs({{.atc7 = "N05BA01", .elderly = "Y"}, {.atc7 = "C09CA01"}});
    const auto old = report::runClinicalAids(kDay, table, {}, {u'M', QDate(1959, 12, 10), {}});
    EXPECT_THAT(titles(old.sections.at(3)), ElementsAre("注意 N05BA01"));
    EXPECT_TRUE(old.sections.at(3).checked.startsWith("病人於113/12/10為 65 歲"));
    const auto young = report::runClinicalAids(kDay, table, {}, {u'M', QDate(1959, 12, 11), {}});
    EXPECT_TRUE(young.sections.at(3).findings.isEmpty());
    EXPECT_TRUE(young.sections.at(3).checked.contains("未滿65歲"));
}

TEST(LabUnits, ConversionsWithKnownFactorsOnly) {
    using report::Analyte;
    struct Case {
        double value;
        const char* from;
        const char* to;
        Analyte analyte;
        double expected;  // < 0: none
    };
    const Case cases[] = {
        {88.4, "umol/L", "mg/dL", Analyte::Creatinine, 1.0},
        {1.0, "MG/DL", "μmol/L", Analyte::Creatinine, 88.4},
        {1.2, "mg/dL", "mg/L", Analyte::Crp, 12.0},
        {5.5, "mmol/L", "mg/dL", Analyte::Glucose, 99.088},
        {5.5, "mmol/L", "mg/dL", Analyte::Other, -1},
        {7.0, "%", "mg/dL", Analyte::Other, -1},
    };
    for (const Case& c : cases) {
        const auto v = report::convertUnit(c.value, report::canonicalUnit(c.from),
                                          report::canonicalUnit(c.to), c.analyte);
        if (c.expected < 0)
            EXPECT_FALSE(v) << c.from;
        else
            EXPECT_NEAR(*v, c.expected, 1e-6) << c.from;
    }
}

}  // namespace
