#include "report/clinical_tables.h"

namespace report {

bool matchesPattern(const DrugSupply& drug, const QStringList& pattern) {
    for (const QString& term : pattern) {
        if (term.startsWith(u'=')) {
            if (drug.ingredients.contains(QStringView(term).mid(1))) return true;
        } else if (!drug.atc7.isEmpty() && drug.atc7.startsWith(term)) {
            return true;
        }
    }
    return false;
}

QString severityText(Severity s) {
    switch (s) {
        case Severity::Contraindicated: return QStringLiteral("禁忌");
        case Severity::Major: return QStringLiteral("嚴重");
        case Severity::Moderate: break;
    }
    return QStringLiteral("中度");
}

namespace {

// Drug groups the tables name more than once.
const QStringList kAceiArb = {"C09"};
const QStringList kNsaid = {"M01A", "=IBUPROFEN", "=DICLOFENAC", "=NAPROXEN", "=CELECOXIB"};
const QStringList kAntiplatelet = {"B01AC"};
const QStringList kWarfarin = {"B01AA"};
const QStringList kOralAnticoagulant = {"B01AA", "B01AE07", "B01AF"};
const QStringList kDoac = {"B01AE07", "B01AF"};
const QStringList kStrongCyp3a4 = {"J01FA09", "J02AB02", "J02AC02", "J02AC03", "J02AC04"};
const QStringList kSsri = {"N06AB"};
const QStringList kSsriSnri = {"N06AB", "N06AX16", "N06AX21"};
const QStringList kTramadol = {"N02AX02", "=TRAMADOL"};
const QStringList kOpioid = {"N02A", "R05DA04", "=CODEINE", "=TRAMADOL"};
const QStringList kBenzodiazepineOrZ = {"N05BA", "N05CD", "N05CF"};
const QStringList kDiuretic = {"C03", "C09BA", "C09DA", "=HYDROCHLOROTHIAZIDE", "=INDAPAMIDE"};
const QStringList kPotassium = {"A12BA"};
const QStringList kMraOrSparing = {"C03DA", "C03DB"};
const QStringList kNitrate = {"C01DA"};
const QStringList kPde5 = {"G04BE03", "G04BE08", "G04BE09", "=SILDENAFIL", "=TADALAFIL"};
const QStringList kClarithromycin = {"J01FA09"};
const QStringList kAzole = {"J02AB02", "J02AC"};
const QStringList kMetformin = {"A10BA02", "=METFORMIN"};
const QStringList kGabapentinoid = {"N03AX12", "N03AX16", "=GABAPENTIN", "=PREGABALIN"};

}  // namespace

const QList<DuplicationRule>& therapeuticDuplications() {
    static const QList<DuplicationRule> rules = {
        {"ACEI+ARB", {"C09A", "C09B"}, {"C09C", "C09D"}, {},
         "ACE抑制劑併用ARB:雙重阻斷RAS未見益處,高血鉀、低血壓與急性腎損傷增加",
         "ONTARGET (N Engl J Med 2008;358:1547); KDIGO 2021 Blood Pressure in CKD, rec. 3.3.1"},
        {"ACEI/ARB+Aliskiren", {"C09A", "C09B", "C09C", "C09D"}, {"C09XA"}, {},
         "ACE抑制劑或ARB併用aliskiren:糖尿病或腎功能不全者禁用",
         "Aliskiren US prescribing information, Contraindications (ALTITUDE)"},
        {"BZD+Z-drug", {"N05BA", "N05CD"}, {"N05CF"}, {},
         "苯二氮平類併用Z類安眠藥:同為GABA-A作用,鎮靜、跌倒與認知障礙相加",
         "AGS Beers Criteria 2023, Table 2 and Table 5 (CNS-active combinations)"},
        {"BZD+BZD", {"N05BA"}, {"N05CD"}, {},
         "抗焦慮與安眠用苯二氮平類併用:同機轉重複,鎮靜與跌倒風險相加",
         "AGS Beers Criteria 2023, Table 2 (benzodiazepines)"},
        {"NSAID+NSAID", {"M01A"}, {"M01A"}, {},
         "兩種不同類NSAID:止痛效果不加成,消化道出血與腎毒性增加",
         "NSAID class labeling (FDA), Warnings: GI bleeding; avoid concomitant NSAIDs"},
        {"DPP-4i+GLP-1RA", {"A10BH", "=SITAGLIPTIN", "=LINAGLIPTIN", "=SAXAGLIPTIN",
                            "=VILDAGLIPTIN", "=ALOGLIPTIN"},
         {"A10BJ", "=LIRAGLUTIDE", "=DULAGLUTIDE", "=SEMAGLUTIDE"}, {},
         "DPP-4抑制劑併用GLP-1促效劑:同為腸泌素途徑,併用無額外降糖效果",
         "ADA Standards of Care in Diabetes 2024, section 9 (do not combine DPP-4i with GLP-1 RA)"},
        {"H2RA+PPI", {"A02BA"}, {"A02BC"}, {},
         "H2阻斷劑併用氫離子幫浦阻斷劑:抑酸重複,一般無額外益處",
         "ACG Clinical Guideline for GERD 2022 (Am J Gastroenterol 2022;117:27)"},
        {"抗憂鬱劑x2", {"N06A"}, {"N06A"}, {},
         "兩種抗憂鬱劑:血清素症候群、QT延長與副作用相加,請確認為刻意併用",
         "SSRI/SNRI US prescribing information, Warnings: serotonin syndrome"},
        {"抗精神病劑x2", {"N05A"}, {"N05A"}, {"N05AN"},
         "兩種抗精神病劑:錐體外症狀、QT延長、代謝副作用與跌倒相加",
         "AGS Beers Criteria 2023, Table 5; APA Practice Guideline for Schizophrenia 2020"},
        {"抗組織胺x2", {"R06A"}, {"R06A"}, {},
         "兩種口服抗組織胺:嗜睡與抗膽鹼作用相加,高齡者尤應避免",
         "AGS Beers Criteria 2023, Table 2 (first-generation antihistamines)"},
    };
    return rules;
}

const QList<InteractionRule>& interactionRules() {
    static const QList<InteractionRule> rules = {
        {"Warfarin+NSAID", kWarfarin, kNsaid, {}, Severity::Major,
         "NSAID抑制血小板並傷害胃黏膜,併用warfarin出血風險明顯上升",
         "Warfarin (Coumadin) US prescribing information, section 7 Drug Interactions"},
        {"DOAC+NSAID", kDoac, kNsaid, {}, Severity::Major,
         "直接口服抗凝血劑併用NSAID,大出血風險增加",
         "2021 EHRA Practical Guide on NOACs in AF (Europace 2021;23:1612)"},
        {"抗凝血劑+抗血小板", kOralAnticoagulant, kAntiplatelet, {}, Severity::Major,
         "口服抗凝血劑併用抗血小板藥:出血風險相加,請確認適應症與療程",
         "2023 ACC/AHA/ACCP/HRS Guideline for Atrial Fibrillation, section 6.8"},
        {"Clopidogrel+Omeprazole", {"B01AC04", "=CLOPIDOGREL"}, {"A02BC01", "A02BC05"}, {},
         Severity::Moderate,
         "Omeprazole/esomeprazole抑制CYP2C19,clopidogrel活性代謝物減少;可改用pantoprazole",
         "Clopidogrel (Plavix) US prescribing information, sections 5.1 and 7.1"},
        {"Simvastatin+CYP3A4強抑制劑", {"C10AA01", "=SIMVASTATIN"}, kStrongCyp3a4, {},
         Severity::Contraindicated, "Simvastatin血中濃度大增,橫紋肌溶解風險",
         "Simvastatin (Zocor) US prescribing information, section 4 Contraindications"},
        {"Atorvastatin+Clarithromycin/Azole", {"C10AA05", "=ATORVASTATIN"},
         {"J01FA09", "J02AC02", "J02AB02", "J02AC04"}, {}, Severity::Moderate,
         "Atorvastatin濃度上升,劑量宜≤20 mg並注意肌肉症狀",
         "Atorvastatin (Lipitor) US prescribing information, section 7 Table"},
        {"Colchicine+Clarithromycin/Azole", {"M04AC01", "=COLCHICINE"},
         {"J01FA09", "J02AB02", "J02AC02", "J02AC03", "J02AC04"}, {}, Severity::Major,
         "CYP3A4/P-gp抑制使colchicine中毒(致死案例);腎或肝功能不全者禁用",
         "Colchicine (Colcrys) US prescribing information, sections 4 and 7"},
        {"Methotrexate+TMP/SMX", {"L01BA01", "L04AX03", "=METHOTREXATE"},
         {"J01EE01", "=SULFAMETHOXAZOLE", "=TRIMETHOPRIM"}, {}, Severity::Major,
         "兩者皆抗葉酸且減少methotrexate排除,骨髓抑制",
         "Methotrexate US prescribing information, section 7 Drug Interactions"},
        {"Methotrexate+NSAID", {"L01BA01", "L04AX03", "=METHOTREXATE"}, kNsaid, {},
         Severity::Moderate, "NSAID減少methotrexate腎排除,骨髓與腸胃毒性",
         "Methotrexate US prescribing information, section 7 Drug Interactions"},
        {"PDE-5抑制劑+硝酸鹽", kPde5, kNitrate, {}, Severity::Contraindicated,
         "併用造成嚴重低血壓", "Sildenafil (Viagra) US prescribing information, section 4"},
        {"ACEI/ARB+Spironolactone", kAceiArb, kMraOrSparing, {}, Severity::Moderate,
         "皆使血鉀上升,腎功能不全或高齡者高血鉀",
         "Spironolactone (Aldactone) US prescribing information, section 5.1 Hyperkalemia"},
        {"ACEI/ARB+鉀補充", kAceiArb, kPotassium, {}, Severity::Moderate,
         "RAS阻斷劑減少鉀排除,併用鉀補充劑高血鉀",
         "Lisinopril US prescribing information, section 7.2 (potassium supplements)"},
        {"Spironolactone+鉀補充", kMraOrSparing, kPotassium, {}, Severity::Major,
         "保鉀利尿劑併用鉀補充劑,致命性高血鉀",
         "Spironolactone (Aldactone) US prescribing information, section 7"},
        {"ACEI/ARB+利尿劑+NSAID", kAceiArb, kDiuretic, kNsaid, Severity::Major,
         "三者併用(triple whammy)使急性腎損傷風險上升",
         "Lapi F et al. BMJ 2013;346:e8525"},
        {"SSRI+Tramadol", kSsri, kTramadol, {}, Severity::Major,
         "血清素症候群與癲癇發作風險",
         "Tramadol (Ultram) US prescribing information, sections 5 and 7"},
        {"BZD/Z-drug+鴉片類", kBenzodiazepineOrZ, kOpioid, {}, Severity::Major,
         "中樞抑制相加,呼吸抑制、昏迷甚至死亡",
         "FDA Drug Safety Communication 2016-08-31 (boxed warning: opioids with benzodiazepines)"},
        {"鴉片類+Gabapentinoid", kOpioid, kGabapentinoid, {}, Severity::Moderate,
         "併用gabapentin/pregabalin增加呼吸抑制",
         "FDA Drug Safety Communication 2019-12-19 (gabapentinoids and respiratory depression)"},
        {"SSRI/SNRI+NSAID", kSsriSnri, kNsaid, {}, Severity::Moderate,
         "血清素減少血小板凝集,併用NSAID消化道出血增加",
         "Sertraline (Zoloft) US prescribing information, section 5.3 Abnormal Bleeding"},
        {"SSRI/SNRI+抗凝血劑", kSsriSnri, kOralAnticoagulant, {}, Severity::Moderate,
         "出血風險增加,warfarin者宜監測INR",
         "Sertraline (Zoloft) US prescribing information, sections 5.3 and 7"},
        {"Warfarin+Amiodarone", kWarfarin, {"C01BD01"}, {}, Severity::Major,
         "Amiodarone抑制warfarin代謝,INR上升,warfarin常需減量30-50%",
         "Amiodarone US prescribing information, section 7; Warfarin prescribing information, section 7"},
        {"Warfarin+Fluconazole/Metronidazole/TMP-SMX", kWarfarin,
         {"J02AC01", "J01XD01", "P01AB01", "J01EE01", "=METRONIDAZOLE", "=SULFAMETHOXAZOLE"}, {},
         Severity::Major, "CYP2C9抑制使INR上升,出血",
         "Warfarin (Coumadin) US prescribing information, section 7 (CYP2C9 inhibitors)"},
        {"Digoxin+Amiodarone/Clarithromycin/Verapamil", {"C01AA05"},
         {"C01BD01", "J01FA09", "C08DA01"}, {}, Severity::Major,
         "P-gp抑制使digoxin濃度上升,中毒", "Digoxin (Lanoxin) US prescribing information, section 7"},
        {"Allopurinol+Azathioprine", {"M04AA01"}, {"L04AX01"}, {}, Severity::Major,
         "Xanthine oxidase受抑制,azathioprine蓄積造成骨髓抑制;需減量至1/3-1/4",
         "Azathioprine (Imuran) US prescribing information, section 7"},
        {"Lithium+ACEI/ARB/利尿劑/NSAID", {"N05AN01"},
         {"C09", "C03AA", "C03BA", "M01A"}, {}, Severity::Major,
         "鋰鹽排除減少,血中濃度上升致中毒",
         "Lithium carbonate US prescribing information, section 7"},
        {"Theophylline+Ciprofloxacin/Clarithromycin", {"R03DA04"}, {"J01MA02", "J01FA09"}, {},
         Severity::Major, "CYP1A2/3A4抑制使theophylline中毒(心律不整、癲癇)",
         "Ciprofloxacin (Cipro) US prescribing information, section 7 (theophylline)"},
        {"Tizanidine+Ciprofloxacin/Fluvoxamine", {"M03BX02"}, {"J01MA02", "N06AB08"}, {},
         Severity::Contraindicated, "CYP1A2強抑制使tizanidine濃度大增,低血壓與嗜睡",
         "Tizanidine (Zanaflex) US prescribing information, section 4"},
        {"Verapamil/Diltiazem+Beta阻斷劑", {"C08DA01", "C08DB01"}, {"C07"}, {},
         Severity::Moderate, "房室傳導與心跳抑制相加,心搏過緩與房室阻斷",
         "Verapamil (Calan) US prescribing information, section 7"},
        {"Ticagrelor+CYP3A4強抑制劑", {"B01AC24"}, kStrongCyp3a4, {}, Severity::Contraindicated,
         "Ticagrelor濃度大增,出血", "Ticagrelor (Brilinta) US prescribing information, section 7.1"},
        {"Rivaroxaban/Apixaban+Azole", {"B01AF01", "B01AF02"}, {"J02AB02", "J02AC02", "J02AC04"},
         {}, Severity::Major, "CYP3A4與P-gp併同抑制,抗凝血劑濃度上升出血",
         "Rivaroxaban (Xarelto) US prescribing information, section 7.2"},
        {"Sulfonylurea+Fluconazole/Clarithromycin", {"A10BB"}, {"J02AC01", "J01FA09"}, {},
         Severity::Moderate, "磺醯尿素類代謝受抑制,低血糖",
         "Glimepiride (Amaryl) US prescribing information, section 7"},
        {"Fluoroquinolone+類固醇", {"J01MA"}, {"H02AB"}, {}, Severity::Moderate,
         "肌腱炎與肌腱斷裂風險增加,60歲以上尤甚",
         "Fluoroquinolone class labeling (FDA boxed warning: tendinitis and tendon rupture)"},
        {"Carbamazepine+Clarithromycin", {"N03AF01"}, {"J01FA09"}, {}, Severity::Major,
         "Carbamazepine代謝受抑制,中毒(暈眩、運動失調)",
         "Carbamazepine (Tegretol) US prescribing information, section 7"},
        {"Metformin+Topiramate", kMetformin, {"N03AX11"}, {}, Severity::Moderate,
         "Topiramate造成代謝性酸中毒,與metformin乳酸中毒風險相加",
         "Topiramate (Topamax) US prescribing information, section 7"},
    };
    return rules;
}

const QList<RenalRule>& renalRules() {
    static const QList<RenalRule> rules = {
        {"Metformin", kMetformin, 30, "eGFR<30禁用", {},
         "FDA Drug Safety Communication 2016-04-08 (metformin and kidney function)"},
        {"Metformin", kMetformin, 45, "eGFR 30-45:不宜新開始,續用者每日劑量≤1000 mg並評估",
         {}, "FDA Drug Safety Communication 2016-04-08; KDIGO 2022 Diabetes in CKD, rec. 4.1.3"},
        {"NSAID", kNsaid, 30, "eGFR<30避免使用", {},
         "KDIGO 2024 CKD guideline, practice point 3.15.1 (NSAIDs)"},
        {"NSAID", kNsaid, 60, "eGFR<60避免長期使用,短期使用請監測腎功能", {},
         "KDIGO 2024 CKD guideline, section 3.15 (drug stewardship)"},
        {"Dabigatran", {"B01AE07"}, 30, "CrCl<30不建議使用(國內仿單)", {},
         "Dabigatran (Pradaxa) prescribing information; 2021 EHRA Practical Guide on NOACs"},
        {"Rivaroxaban", {"B01AF01"}, 50, "心房顫動:CrCl 15-50 減為15 mg QD;<15避免", {},
         "Rivaroxaban (Xarelto) US prescribing information, section 2.3"},
        {"Apixaban", {"B01AF02"}, 30,
         "依年齡≥80、體重≤60 kg、肌酸酐≥1.5 mg/dL任兩項減為2.5 mg BID;CrCl<15避免", {},
         "Apixaban (Eliquis) prescribing information, section 2.2; 2021 EHRA Practical Guide"},
        {"Edoxaban", {"B01AF03"}, 50, "CrCl 15-50 減為30 mg QD;<15避免", {},
         "Edoxaban (Lixiana/Savaysa) prescribing information, section 2"},
        {"Gabapentin", {"N03AX12", "=GABAPENTIN"}, 60,
         "CrCl 30-59:每日200-700 mg分兩次;<30:每日200-700 mg一次", {},
         "Gabapentin (Neurontin) US prescribing information, section 2.4 Table 1"},
        {"Pregabalin", {"N03AX16", "=PREGABALIN"}, 60,
         "CrCl 30-60減半;15-30減至1/4;<15再減", {},
         "Pregabalin (Lyrica) US prescribing information, section 2.5 Table 1"},
        {"Colchicine", {"M04AC01", "=COLCHICINE"}, 30,
         "CrCl<30:起始0.3 mg/日,痛風發作療程兩週內不重複", {},
         "Colchicine (Colcrys) US prescribing information, section 2.5"},
        {"Allopurinol", {"M04AA01"}, 60,
         "CKD 3期以上:起始≤100 mg/日(CKD 4以上50 mg/日),緩慢調升", {},
         "2020 ACR Guideline for the Management of Gout, recommendation on starting dose"},
        {"Glibenclamide", {"A10BB01", "=GLIBENCLAMIDE", "=GLYBURIDE"}, 60,
         "腎功能不全易延長低血糖,避免使用", {},
         "KDIGO 2022 Diabetes in CKD, Figure 21; AGS Beers Criteria 2023, Table 2"},
        {"鉀補充(併RAS阻斷/保鉀利尿)", kPotassium, 45,
         "併用ACEI/ARB/spironolactone且eGFR<45:高血鉀風險,請追蹤血鉀", kAceiArb + kMraOrSparing,
         "KDIGO 2024 CKD guideline, practice point 3.6.5 (potassium); Spironolactone label 5.1"},
        {"Spironolactone", {"C03DA01"}, 30, "eGFR<30避免使用(高血鉀)", {},
         "Spironolactone (Aldactone) US prescribing information, section 5.1"},
        {"Famotidine", {"A02BA03"}, 50, "CrCl<50:劑量減半或延長給藥間隔(中樞副作用)", {},
         "Famotidine (Pepcid) US prescribing information, section 2.2"},
        {"Tramadol", kTramadol, 30, "CrCl<30:每12小時給藥,每日≤200 mg", {},
         "Tramadol (Ultram) US prescribing information, section 2.5"},
        {"Nitrofurantoin", {"J01XE01"}, 30, "CrCl<30避免使用", {},
         "AGS Beers Criteria 2023, Table 6 (kidney function)"},
    };
    return rules;
}

const QList<AllergyClass>& allergyClasses() {
    static const QList<AllergyClass> classes = {
        {{"PENICILLIN", "盤尼西林", "青黴素"}, {"J01C"}},
        {{"CEPHALOSPORIN", "頭孢"}, {"J01DB", "J01DC", "J01DD", "J01DE"}},
        {{"SULFA", "磺胺"}, {"J01E"}},
        {{"NSAID", "非類固醇"}, {"M01A"}},
        {{"ASPIRIN", "阿斯匹靈"}, {"B01AC06", "N02BA01", "=ASPIRIN", "=ACETYLSALICYLICACID"}},
        {{"QUINOLONE", "奎諾酮"}, {"J01MA"}},
        {{"STATIN"}, {"C10AA"}},
        {{"ACEI", "ACE INHIBITOR"}, {"C09A", "C09B"}},
    };
    return classes;
}

}  // namespace report
