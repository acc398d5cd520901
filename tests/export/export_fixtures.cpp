#include "export_fixtures.h"

#include <algorithm>
#include <cstring>

#include "card/card_fields.h"

namespace fixtures {

namespace {

template <std::size_t N>
void put(char (&field)[N], const QByteArray& s) {
    std::memset(field, ' ', N);
    std::memcpy(field, s.constData(), std::min(N, std::size_t(s.size())));
}
template <std::size_t N>
void putText(char (&field)[N], const QString& s) {
    std::memset(field, 0, N);
    const QByteArray b = cutAnsi(ansiOf(s, int(N)), int(N));
    std::memcpy(field, b.constData(), std::size_t(b.size()));
}

void basic(PatientState& s, const QString& name, const QString& id, const QString& birthday,
           QChar sex) {
    s.ptData.name = name;
    s.ptData.A12ID = id;
    s.ptData.A13birthday = birthday;
    s.ptData.sex = sex;
    zeroRecord(s.PtBuffer);
    zeroRecord(s.ICcardInfo);
}

}  // namespace

FakeLookups::FakeLookups() {
    hospitals[QStringLiteral("3501200000")] = QStringLiteral("晴川診所");
    hospitals[QStringLiteral("1101010012")] = QStringLiteral("北辰聯合醫院");
    hospitals[QStringLiteral("0401180014")] = QStringLiteral("中港醫學中心");
    drugs[QStringLiteral("AC43071100")] = QStringLiteral("庫魯化錠500毫克");
    drugs[QStringLiteral("BC24096100")] = QStringLiteral("可悅您膜衣錠50毫克");
    drugs[QStringLiteral("47041C")] = QStringLiteral("傷口換藥");
    hospitals[QStringLiteral("3502010011")] = QStringLiteral("晴川耳鼻喉科診所");
    diagnoses[QStringLiteral("E119")] = QStringLiteral("第二型糖尿病");
    diagnoses[QStringLiteral("I10")] = QStringLiteral("本態性高血壓");
    diagnoses[QStringLiteral("J069")] = QStringLiteral("急性上呼吸道感染");
    diagnoses[QStringLiteral("C50")] = QStringLiteral("乳房惡性腫瘤");
    diagnoses[QStringLiteral("J302")] = QStringLiteral("其他季節性過敏性鼻炎");
}

DiagnosisName FakeLookups::diagnosisName(const QString& code) {
    const QString c = code.trimmed();
    const bool plain = !c.isEmpty() && std::all_of(c.begin(), c.end(), [](QChar ch) {
        return ch.isDigit() || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
    });
    if (!plain) return {DiagnosisStatus::NotLookedUp, {}};
    if (!diagnosisDatabaseThere)
        return {DiagnosisStatus::Unavailable, QString::fromLatin1(kUnknownIcd10Text)};
    if (!diagnoses.contains(c))
        return {DiagnosisStatus::NotFound, QString::fromLatin1(kUnknownIcd10Text)};
    return {DiagnosisStatus::Found, diagnoses.value(c)};
}

QString FakeLookups::hospitalName(const QString& code) {
    if (code.isEmpty()) return {};
    return hospitals.value(code, code);
}

InsuranceCodeName FakeLookups::insuranceName(const QString& code) {
    InsuranceCodeName n;
    n.name = drugs.value(code, code);
    n.status = drugs.contains(code) ? InsuranceCodeName::Status::Found
                                    : InsuranceCodeName::Status::NotFound;
    return n;
}

report::CloudRow row(report::Kind kind, const QMap<QString, QString>& cells) {
    report::CloudRow r;
    const auto& columns = report::columnsOf(kind);
    r.values.resize(columns.size() - 1);
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        const int i = report::columnIndex(kind, it.key());
        if (i == 0)
            r.caption = it.value();
        else if (i > 0)
            r.values[i - 1] = it.value();
    }
    return r;
}

Query fullQuery() {
    Query q;
    PatientState& s = q.state;
    // Born on the last day of ROC year 99; 堃 and 喆 lie outside Big5.
    basic(s, QStringLiteral("林堃喆"), QStringLiteral("B220715631"), QStringLiteral("0991231"),
          QLatin1Char('F'));
    s.sHospitalCode = QStringLiteral("3501200000");
    tICcardInfo& c = s.ICcardInfo;
    setAnsi(c.Hx[0].visitDateTime, "1131201093000");
    setAnsi(c.Hx[0].hospitalCode, "3501200000");
    setText(c.Hx[0].hospitalName, QStringLiteral("晴川診所"));
    setText(c.Hx[0].IMP, QStringLiteral("E119_第二型糖尿病`I10_本態性高血壓"));
    setAnsi(c.Hx[1].visitDateTime, "1000101080000");  // the first day of ROC year 100
    setAnsi(c.Hx[1].hospitalCode, "0401180014");
    setText(c.Hx[1].hospitalName, QStringLiteral("中港醫學中心"));
    setText(c.Hx[1].IMP, QStringLiteral("J069_急性上呼吸道感染"));
    setText(c.CriticalIllness[0].DX, QStringLiteral("C50_乳房惡性腫瘤"));
    setAnsi(c.CriticalIllness[0].StartDate, "1101015");
    setAnsi(c.CriticalIllness[0].EndDate, "1151014");
    putText(c.allergyHX.s1, QStringLiteral("盤尼西林"));
    putText(c.allergyHX.s3, QStringLiteral("阿斯匹靈"));
    put(c.LongTermDrug.slot[0].p0, "1131125");
    put(c.LongTermDrug.slot[0].p4, "BC24096100");
    put(c.LongTermDrug.slot[0].p7, "QD");
    put(c.LongTermDrug.slot[0].p1, "28");
    put(c.LongTermDrug.slot[0].p10, "28");
    put(c.MX.slot[0].p0, "1131201093000");
    put(c.MX.slot[0].p3, "1");
    put(c.MX.slot[0].p4, "AC43071100");
    put(c.MX.slot[0].p7, "BID");
    put(c.MX.slot[0].p1, "07");
    put(c.MX.slot[0].p10, "14");
    s.sRef = QStringLiteral("轉出院所：中港醫學中心\n轉診日期：113/11/20");

    using report::Kind;
    const QString clinic = QStringLiteral("晴川診所\n3501200000");
    const QString hospital = QStringLiteral("北辰聯合醫院\n1101010012");
    q.tables.drug.rows << row(Kind::Drug, {{"就醫日期", "113/12/08"},
                                           {"來源", hospital},
                                           {"ATC7代碼", "C09CA01"},
                                           {"藥品代碼", "BC24096100"},
                                           {"藥品名稱", "可悅您膜衣錠50毫克"},
                                           {"給藥日數", "28"},
                                           {"藥品用量", "28"},
                                           {"用法用量", "QD"}});
    // No ATC code at all.
    q.tables.drug.rows << row(Kind::Drug, {{"就醫日期", "113/12/05"},
                                           {"來源", clinic},
                                           {"藥品代碼", "A000000100"},
                                           {"藥品名稱", "自調散劑"},
                                           {"給藥日數", "14"},
                                           {"藥品用量", "42"},
                                           {"用法用量", "TID"}});
    // Supply long over by the query day.
    q.tables.drug.rows << row(Kind::Drug, {{"就醫日期", "113/01/05"},
                                           {"來源", clinic},
                                           {"ATC7代碼", "N02BE01"},
                                           {"藥品代碼", "AC00001100"},
                                           {"藥品名稱", "普拿疼"},
                                           {"給藥日數", "3"},
                                           {"用法用量", "PRN"}});
    q.tables.lab.rows << row(Kind::Lab, {{"檢驗日期", "113/12/02"},
                                         {"來源", clinic},
                                         {"醫令名稱", "飯前血糖"},
                                         {"檢驗項目", "Glu-AC"},
                                         {"檢驗結果", "112"},
                                         {"參考值", "70-100"},
                                         {"醫令代碼", "09005C"},
                                         {"單位", "mg/dL"},
                                         {"註記", "H"}});
    // An older result of the same item: the summary shows only the latest.
    q.tables.lab.rows << row(Kind::Lab, {{"檢驗日期", "113/06/02"},
                                         {"來源", clinic},
                                         {"醫令名稱", "飯前血糖"},
                                         {"檢驗項目", "Glu-AC"},
                                         {"檢驗結果", "95"},
                                         {"參考值", "70-100"},
                                         {"醫令代碼", "09005C"},
                                         {"單位", "mg/dL"}});
    q.tables.lab.rows << row(Kind::Lab, {{"檢驗日期", "113/11/05"},
                                         {"來源", QStringLiteral("中港醫學中心\n0401180014")},
                                         {"醫令名稱", "尿蛋白"},
                                         {"檢驗項目", "U-PRO"},
                                         {"檢驗結果", "2+"},
                                         {"參考值", "Negative\n(陰性)"},
                                         {"醫令代碼", "06013C"}});
    q.extras.duplicateCheckOn = true;
    q.extras.duplicates << summary::DuplicateGroup{
        QStringLiteral("ATC C09CA"),
        {QStringLiteral("可悅您膜衣錠50毫克"), QStringLiteral("得安穩錠")}};
    q.extras.eligibilityText = QStringLiteral("符合成人預防保健資格");
    q.context.queryTime = QDateTime(QDate(2024, 12, 10), QTime(14, 30));
    q.context.programName = QStringLiteral("Tolvane");
    q.context.programVersion = QStringLiteral("1.0.0.1");
    return q;
}

Query emptyQuery() {
    Query q;
    basic(q.state, QStringLiteral("王小明"), QStringLiteral("A123456789"),
          QStringLiteral("0730101"), QLatin1Char('M'));
    q.context.queryTime = QDateTime(QDate(2024, 12, 10), QTime(9, 0));
    q.context.programName = QStringLiteral("Tolvane");
    q.context.programVersion = QStringLiteral("1.0.0.1");
    return q;
}

Query longQuery(int drugs, int labs) {
    Query q = fullQuery();
    using report::Kind;
    for (int i = 0; i < drugs; ++i)
        q.tables.drug.rows << row(
            Kind::Drug,
            {{"就醫日期", QStringLiteral("113/12/%1").arg(i % 9 + 1, 2, 10, QLatin1Char('0'))},
             {"來源", QStringLiteral("北辰聯合醫院\n1101010012")},
             {"ATC7代碼", QStringLiteral("C09CA%1").arg(i % 90 + 10)},
             {"藥品代碼", QStringLiteral("BC%1").arg(i, 8, 10, QLatin1Char('0'))},
             {"藥品名稱", QStringLiteral("長期用藥第%1號膜衣錠").arg(i)},
             {"給藥日數", QStringLiteral("28")},
             {"藥品用量", QStringLiteral("28")},
             {"用法用量", QStringLiteral("QD")}});
    for (int i = 0; i < labs; ++i)
        q.tables.lab.rows << row(
            Kind::Lab,
            {{"檢驗日期", QStringLiteral("113/%1/15").arg(i % 12 + 1, 2, 10, QLatin1Char('0'))},
             {"來源", QStringLiteral("晴川診所\n3501200000")},
             {"醫令名稱", QStringLiteral("檢驗項目%1").arg(i)},
             {"檢驗項目", QStringLiteral("ITEM%1").arg(i)},
             {"檢驗結果", QString::number(50 + i % 100)},
             {"參考值", QStringLiteral("60-120")},
             {"醫令代碼", QStringLiteral("09%1C").arg(i, 3, 10, QLatin1Char('0'))},
             {"單位", QStringLiteral("mg/dL")}});
    return q;
}

}  // namespace fixtures

namespace fixtures {

Query deskQuery() {
    Query q;
    PatientState& s = q.state;
    basic(s, QStringLiteral("陳雅婷"), QStringLiteral("F228361045"), QStringLiteral("0780615"),
          QLatin1Char('F'));
    s.sHospitalCode = QStringLiteral("1101010012");
    tICcardInfo& c = s.ICcardInfo;
    setAnsi(c.Hx[0].visitDateTime, "1131206101500");
    setAnsi(c.Hx[0].hospitalCode, "1101010012");
    setText(c.Hx[0].hospitalName, QStringLiteral("北辰聯合醫院"));
    // As the card read writes them: the card's text of J302 was cut, Z9999 has no
    // name, and the four slots the control software did not touch hold the placeholder.
    setText(c.Hx[0].IMP, QStringLiteral("J302_其他季節性過敏性`Z9999_(unknown ICD10 code)`"
                                        "[XXXXXXX]_`[XXXXXXX]_`[XXXXXXX]_`[XXXXXXX]_"));
    setText(c.CriticalIllness[0].DX, QStringLiteral("[XXXXXXX]_"));
    // A drug, a treatment and a supply ordered at that visit.
    put(c.MX.slot[0].p0, "1131206101500");
    put(c.MX.slot[0].p3, "1");
    put(c.MX.slot[0].p4, "AC43071100");
    put(c.MX.slot[0].p7, "TID");
    put(c.MX.slot[0].p1, "03");
    put(c.MX.slot[0].p10, "9");
    put(c.MX.slot[1].p0, "1131206101500");
    put(c.MX.slot[1].p3, "3");
    put(c.MX.slot[1].p4, "47041C");
    put(c.MX.slot[1].p10, "1");
    put(c.MX.slot[2].p0, "1131206101500");
    put(c.MX.slot[2].p3, "4");
    put(c.MX.slot[2].p4, "FHZ0345678");
    put(c.MX.slot[2].p10, "1");

    using report::Kind;
    // 3502010011 is listed under another name; 5903123456 is not listed at all.
    q.tables.drug.rows << row(Kind::Drug, {{"就醫日期", "113/11/28"},
                                           {"來源", "晴川耳鼻喉>(轉診)>3502010011"},
                                           {"ATC7代碼", "R06AX27"},
                                           {"藥品代碼", "BC25329100"},
                                           {"藥品名稱", "停敏膜衣錠5毫克"},
                                           {"給藥日數", "14"},
                                           {"藥品用量", "14"},
                                           {"用法用量", "QD"}});
    q.tables.lab.rows << row(Kind::Lab, {{"檢驗日期", "113/11/20"},
                                         {"來源", "杏林醫事檢驗所>5903123456"},
                                         {"醫令名稱", "白血球計數"},
                                         {"檢驗項目", "WBC"},
                                         {"檢驗結果", "6,800"},
                                         {"參考值", "4000-10000"},
                                         {"醫令代碼", "08011C"},
                                         {"單位", "/uL"}});
    q.context.queryTime = QDateTime(QDate(2024, 12, 10), QTime(10, 20));
    q.context.programName = QStringLiteral("Tolvane");
    q.context.programVersion = QStringLiteral("1.0.0.1");
    return q;
}

}  // namespace fixtures
