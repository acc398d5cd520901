// The exchange file built from hand-made queries: the guide's identifier, the
// profiles, references that resolve inside the Bundle, dates, and no empty values.

#include "export/fhir_bundle.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <cstring>

#include "card/card_decoding.h"
#include "card/card_fields.h"
#include "common/codepage.h"
#include "export/export_files.h"
#include "export/fhir_names.h"
#include "export_fixtures.h"
#include "qstring_printer.h"

using namespace fhir;

namespace {

QJsonObject bundleOf(const fixtures::Query& q) {
    fixtures::FakeLookups lookups;
    return buildBundle(q.state, q.tables, lookups, q.context.queryTime.date());
}

QList<QJsonObject> resources(const QJsonObject& bundle, const QString& type) {
    QList<QJsonObject> out;
    for (const QJsonValue& e : bundle[QStringLiteral("entry")].toArray()) {
        const QJsonObject r = e[QStringLiteral("resource")].toObject();
        if (r[QStringLiteral("resourceType")].toString() == type) out << r;
    }
    return out;
}

// Every {"reference": ...} anywhere below `v`.
void collectReferences(const QJsonValue& v, QStringList& out) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (it.key() == QLatin1String("reference")) out << it.value().toString();
            collectReferences(it.value(), out);
        }
    } else if (v.isArray()) {
        for (const QJsonValue& x : v.toArray()) collectReferences(x, out);
    }
}

// Paths of values that are "" or empty objects and arrays.
void collectEmpty(const QJsonValue& v, const QString& path, QStringList& out) {
    if (v.isString() && v.toString().trimmed().isEmpty()) out << path;
    if (v.isObject()) {
        if (v.toObject().isEmpty()) out << path;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            collectEmpty(it.value(), path + QLatin1Char('.') + it.key(), out);
    }
    if (v.isArray()) {
        if (v.toArray().isEmpty()) out << path;
        int i = 0;
        for (const QJsonValue& x : v.toArray())
            collectEmpty(x, path + QStringLiteral("[%1]").arg(i++), out);
    }
}

TEST(FhirBundle, EveryRecordBecomesOneEntryWithItsProfileAndResolvableReferences) {
    const QJsonObject b = bundleOf(fixtures::fullQuery());
    EXPECT_EQ(b[QStringLiteral("resourceType")].toString(), QStringLiteral("Bundle"));
    EXPECT_EQ(b[QStringLiteral("type")].toString(), QStringLiteral("collection"));

    QMap<QString, int> count;
    QSet<QString> urls;
    for (const QJsonValue& e : b[QStringLiteral("entry")].toArray()) {
        const QString url = e[QStringLiteral("fullUrl")].toString();
        EXPECT_TRUE(url.startsWith(QStringLiteral("urn:uuid:"))) << url.toStdString();
        EXPECT_FALSE(urls.contains(url)) << "duplicate " << url.toStdString();
        urls << url;
        const QJsonObject r = e[QStringLiteral("resource")].toObject();
        const QString type = r[QStringLiteral("resourceType")].toString();
        ++count[type];
        EXPECT_EQ(r[QStringLiteral("meta")][QStringLiteral("profile")].toArray(),
                  QJsonArray{profileOf(type)})
            << type.toStdString();
        EXPECT_FALSE(profileOf(type).isEmpty()) << type.toStdString();
    }
    // Institutions: the SAM's, the visits' and the cloud rows' (met once each).
    EXPECT_EQ(count, (QMap<QString, int>{{"Patient", 1},
                                         {"Organization", 3},
                                         {"Encounter", 2},
                                         {"Condition", 4},  // three diagnoses, one critical illness
                                         {"MedicationStatement", 5},
                                         {"Observation", 3},
                                         {"AllergyIntolerance", 2}}));
    QStringList refs;
    collectReferences(b, refs);
    EXPECT_GT(refs.size(), 20);
    for (const QString& r : refs) EXPECT_TRUE(urls.contains(r)) << "dangling " << r.toStdString();

    QStringList empty;
    collectEmpty(b, QStringLiteral("Bundle"), empty);
    EXPECT_TRUE(empty.isEmpty()) << empty.join('\n').toStdString();
}

TEST(FhirBundle, PatientCarriesTheNationalIdAsTheGuideWritesIt) {
    const QList<QJsonObject> p =
        resources(bundleOf(fixtures::fullQuery()), QStringLiteral("Patient"));
    ASSERT_EQ(p.size(), 1);
    const QJsonObject expected = QJsonDocument::fromJson(R"({
      "use": "official",
      "type": {"coding": [{
        "system": "http://terminology.hl7.org/CodeSystem/v2-0203",
        "code": "NNxxx",
        "_code": {"extension": [{
          "url": "https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/identifier-suffix",
          "extension": [
            {"url": "suffix", "valueString": "TWN"},
            {"url": "valueSet", "valueCanonical": "http://hl7.org/fhir/ValueSet/iso3166-1-3"}]}]}}]},
      "system": "http://www.moi.gov.tw",
      "value": "B220715631"})")
                                     .object();
    EXPECT_EQ(p[0][QStringLiteral("identifier")].toArray(), QJsonArray{expected});
    EXPECT_EQ(p[0][QStringLiteral("name")][0][QStringLiteral("text")].toString(),
              QStringLiteral("林堃喆"));
    EXPECT_EQ(p[0][QStringLiteral("gender")].toString(), QStringLiteral("female"));
    EXPECT_EQ(p[0][QStringLiteral("birthDate")].toString(), QStringLiteral("2010-12-31"));
}

TEST(FhirBundle, TheSameQueryExportsByteForByteAndAnotherPatientGetsOtherIds) {
    const fixtures::Query q = fixtures::fullQuery();
    const QByteArray first = bundleJson(bundleOf(q));
    fixtures::Query again = fixtures::fullQuery();  // a reopened query refills the same state
    EXPECT_EQ(bundleJson(bundleOf(again)), first);

    again.state.ptData.A12ID = QStringLiteral("A123456789");
    const QJsonObject other = bundleOf(again);
    const QString a = bundleOf(q)[QStringLiteral("entry")][0][QStringLiteral("fullUrl")].toString();
    EXPECT_NE(other[QStringLiteral("entry")][0][QStringLiteral("fullUrl")].toString(), a);
    // UTF-8 on the way out, the name intact.
    EXPECT_TRUE(first.contains(QStringLiteral("林堃喆").toUtf8()));
}

// A query as the archive keeps it: the two card blocks byte for byte and the
// texts in the archive's code page. Reopening decodes the basic data again and
// rebuilds the tables from the record texts, as the window does.
PatientState throughTheArchive(const PatientState& fresh) {
    PatientState r;
    std::memcpy(&r.PtBuffer, &fresh.PtBuffer, sizeof r.PtBuffer);
    std::memcpy(&r.ICcardInfo, &fresh.ICcardInfo, sizeof r.ICcardInfo);
    decodeBasicInfo(r.PtBuffer, r.ptData);
    const auto kept = [](const QString& t) { return fromAnsi(toAnsi(t)); };
    r.sHospitalCode = kept(fresh.sHospitalCode);
    r.sRef = kept(fresh.sRef);
    r.sDrug = kept(fresh.sDrug);
    r.sLab = kept(fresh.sLab);
    return r;
}

TEST(FhirBundle, AReopenedArchivedQueryExportsAsTheFreshOne) {
    fixtures::Query q = fixtures::fullQuery();
    PatientState& s = q.state;
    const auto put = [](char* field, std::size_t width, const QString& text) {
        const QByteArray b = toAnsi(text);
        std::memset(field, ' ', width);
        std::memcpy(field, b.constData(), std::min(width, std::size_t(b.size())));
    };
    put(s.PtBuffer.Name, sizeof s.PtBuffer.Name, QStringLiteral("林小華"));
    put(s.PtBuffer.ID, sizeof s.PtBuffer.ID, QStringLiteral("B220715631"));
    put(s.PtBuffer.BirthDay, sizeof s.PtBuffer.BirthDay, QStringLiteral("0991231"));
    put(s.PtBuffer.Gender, sizeof s.PtBuffer.Gender, QStringLiteral("F"));
    s.ptData = treadCard{};
    decodeBasicInfo(s.PtBuffer, s.ptData);  // as the read leaves it
    s.sDrug = QStringLiteral(
        "<D><就醫日期>113/12/08</就醫日期><來源>北辰聯合醫院\n1101010012</來源>"
        "<藥品代碼>BC24096100</藥品代碼><藥品名稱>可悅您膜衣錠50毫克</藥品名稱>"
        "<給藥日數>28</給藥日數><ATC7代碼>C09CA01</ATC7代碼></D>");
    s.sLab = QStringLiteral(
        "<D><檢驗日期>113/11/05</檢驗日期><檢驗項目>U-PRO</檢驗項目><檢驗結果>2+</檢驗結果>"
        "<參考值>Negative (陰性)</參考值><醫令代碼>06013C</醫令代碼></D>");
    const auto exported = [&](const PatientState& state) {
        fixtures::FakeLookups lookups;
        return bundleJson(buildBundle(state, report::buildSourceTables(state.sDrug, state.sLab),
                                      lookups, q.context.queryTime.date()));
    };
    const QByteArray fresh = exported(s);
    EXPECT_GT(fresh.count("\"fullUrl\""), 10);
    EXPECT_EQ(exported(throughTheArchive(s)), fresh);
}

TEST(FhirBundle, MedicationsCarryTheirCodesPeriodAndStatus) {
    const QList<QJsonObject> m =
        resources(bundleOf(fixtures::fullQuery()), QStringLiteral("MedicationStatement"));
    QMap<QString, QJsonObject> byName;
    for (const QJsonObject& r : m)
        byName[r[QStringLiteral("medicationCodeableConcept")][QStringLiteral("text")].toString() +
               "/" + r[QStringLiteral("effectivePeriod")][QStringLiteral("start")].toString()] = r;

    const QJsonObject losartan = byName.value(QStringLiteral("可悅您膜衣錠50毫克/2024-12-08"));
    const QJsonArray codes =
        losartan[QStringLiteral("medicationCodeableConcept")][QStringLiteral("coding")].toArray();
    ASSERT_EQ(codes.size(), 2);
    EXPECT_EQ(codes[0][QStringLiteral("system")].toString(), system::drugCode);
    EXPECT_EQ(codes[0][QStringLiteral("code")].toString(), QStringLiteral("BC24096100"));
    EXPECT_EQ(codes[1][QStringLiteral("system")].toString(), system::atc);
    EXPECT_EQ(codes[1][QStringLiteral("code")].toString(), QStringLiteral("C09CA01"));
    EXPECT_EQ(losartan[QStringLiteral("effectivePeriod")][QStringLiteral("end")].toString(),
              QStringLiteral("2025-01-04"));  // 28 days from 8 December
    EXPECT_EQ(losartan[QStringLiteral("status")].toString(), QStringLiteral("active"));
    EXPECT_EQ(losartan[QStringLiteral("dosage")][0][QStringLiteral("text")].toString(),
              QStringLiteral("QD 總量 28"));

    // Without an ATC code only the insurer's code is written.
    const QJsonObject powder = byName.value(QStringLiteral("自調散劑/2024-12-05"));
    EXPECT_EQ(powder[QStringLiteral("medicationCodeableConcept")][QStringLiteral("coding")]
                  .toArray()
                  .size(),
              1);
    EXPECT_EQ(
        byName.value(QStringLiteral("普拿疼/2024-01-05"))[QStringLiteral("status")].toString(),
        QStringLiteral("completed"));
    // The card's outpatient slot names its institution through the visit.
    const QJsonObject card = byName.value(QStringLiteral("庫魯化錠500毫克/2024-12-01"));
    EXPECT_TRUE(card[QStringLiteral("informationSource")].isObject());
}

TEST(FhirBundle, LaboratoryValuesAreQuantitiesOnlyWhenNumeric) {
    const QList<QJsonObject> obs =
        resources(bundleOf(fixtures::fullQuery()), QStringLiteral("Observation"));
    ASSERT_EQ(obs.size(), 3);
    const QJsonObject glucose = obs[0];
    EXPECT_EQ(glucose[QStringLiteral("code")][QStringLiteral("text")].toString(),
              QStringLiteral("09005C Glu-AC"));
    EXPECT_EQ(glucose[QStringLiteral("valueQuantity")].toObject(),
              (QJsonObject{{"value", 112}, {"unit", "mg/dL"}}));
    EXPECT_EQ(glucose[QStringLiteral("interpretation")][0][QStringLiteral("coding")][0]
                     [QStringLiteral("code")]
                         .toString(),
              QStringLiteral("H"));
    EXPECT_EQ(glucose[QStringLiteral("effectiveDateTime")].toString(),
              QStringLiteral("2024-12-02"));
    EXPECT_EQ(
        glucose[QStringLiteral("category")][0][QStringLiteral("coding")][0][QStringLiteral("code")]
            .toString(),
        QStringLiteral("laboratory"));

    const QJsonObject protein = obs[2];
    EXPECT_FALSE(protein.contains(QStringLiteral("valueQuantity")));
    EXPECT_EQ(protein[QStringLiteral("valueString")].toString(), QStringLiteral("2+"));
    EXPECT_EQ(protein[QStringLiteral("referenceRange")][0][QStringLiteral("text")].toString(),
              QStringLiteral("Negative\n(陰性)"));
    EXPECT_FALSE(protein.contains(QStringLiteral("interpretation")));
}

TEST(FhirBundle, VisitsAndDiagnosesAroundRocYear100) {
    const QJsonObject b = bundleOf(fixtures::fullQuery());
    const QList<QJsonObject> enc = resources(b, QStringLiteral("Encounter"));
    ASSERT_EQ(enc.size(), 2);
    EXPECT_EQ(enc[1][QStringLiteral("period")][QStringLiteral("start")].toString(),
              QStringLiteral("2011-01-01T08:00:00+08:00"));
    EXPECT_EQ(enc[1][QStringLiteral("diagnosis")].toArray().size(), 1);
    const QList<QJsonObject> cond = resources(b, QStringLiteral("Condition"));
    const QJsonObject first =
        cond[0][QStringLiteral("code")][QStringLiteral("coding")][0].toObject();
    EXPECT_EQ(first[QStringLiteral("system")].toString(), system::icd10cm);
    EXPECT_EQ(first[QStringLiteral("code")].toString(), QStringLiteral("E11.9"));
    EXPECT_EQ(first[QStringLiteral("display")].toString(), QStringLiteral("第二型糖尿病"));
    const QJsonObject critical = cond.last();
    EXPECT_EQ(critical[QStringLiteral("onsetPeriod")].toObject(),
              (QJsonObject{{"start", "2021-10-15"}, {"end", "2026-10-14"}}));
}

TEST(FhirBundle, EmptyQueryIsThePatientAlone) {
    const QJsonArray entries = bundleOf(fixtures::emptyQuery())[QStringLiteral("entry")].toArray();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0][QStringLiteral("resource")][QStringLiteral("resourceType")].toString(),
              QStringLiteral("Patient"));
}

// The desk query's card and cloud records as a receiving system must read them.
TEST(FhirBundle, DeskQueryInstitutionsDiagnosesAndOrders) {
    const QJsonObject b = bundleOf(fixtures::deskQuery());

    // Every institution met gets one Organization, named from the list where it
    // is listed: the SAM's and the visit's, the cloud drug's (listed under another
    // name than its row's), the laboratory's (not listed: its row's name).
    QMap<QString, QString> orgs;  // code -> name
    QMap<QString, QString> orgUrl;
    for (const QJsonValue& e : b[QStringLiteral("entry")].toArray()) {
        const QJsonObject r = e[QStringLiteral("resource")].toObject();
        if (r[QStringLiteral("resourceType")] != QStringLiteral("Organization")) continue;
        const QString code = r[QStringLiteral("identifier")][0][QStringLiteral("value")].toString();
        EXPECT_FALSE(orgs.contains(code)) << code.toStdString();
        orgs[code] = r[QStringLiteral("name")].toString();
        orgUrl[code] = e[QStringLiteral("fullUrl")].toString();
    }
    EXPECT_EQ(orgs, (QMap<QString, QString>{{"1101010012", "北辰聯合醫院"},
                                            {"3502010011", "晴川耳鼻喉科診所"},
                                            {"5903123456", "杏林醫事檢驗所"}}));
    const QList<QJsonObject> meds = resources(b, QStringLiteral("MedicationStatement"));
    const QList<QJsonObject> obs = resources(b, QStringLiteral("Observation"));
    ASSERT_EQ(meds.size(), 2);  // the card's drug and the cloud's
    ASSERT_EQ(obs.size(), 1);
    EXPECT_EQ(meds[1][QStringLiteral("informationSource")][QStringLiteral("reference")].toString(),
              orgUrl.value(QStringLiteral("3502010011")));
    EXPECT_EQ(obs[0][QStringLiteral("performer")][0][QStringLiteral("reference")].toString(),
              orgUrl.value(QStringLiteral("5903123456")));
    // "6,800" is a number, inside its range.
    EXPECT_EQ(obs[0][QStringLiteral("valueQuantity")].toObject(),
              (QJsonObject{{"value", 6800}, {"unit", "/uL"}}));
    EXPECT_FALSE(obs[0].contains(QStringLiteral("interpretation")));

    // Two diagnoses: the placeholders are none, the critical-illness slot neither.
    // J30.2 is named from the database, not from the card's cut text; Z99.99 has
    // no name at all.
    const QList<QJsonObject> cond = resources(b, QStringLiteral("Condition"));
    ASSERT_EQ(cond.size(), 2);
    const QJsonObject rhinitis = cond[0][QStringLiteral("code")].toObject();
    EXPECT_EQ(rhinitis[QStringLiteral("coding")][0][QStringLiteral("code")].toString(),
              QStringLiteral("J30.2"));
    EXPECT_EQ(rhinitis[QStringLiteral("coding")][0][QStringLiteral("display")].toString(),
              QStringLiteral("其他季節性過敏性鼻炎"));
    EXPECT_EQ(rhinitis[QStringLiteral("text")].toString(), QStringLiteral("其他季節性過敏性鼻炎"));
    const QJsonObject unknown = cond[1][QStringLiteral("code")].toObject();
    EXPECT_EQ(unknown, (QJsonObject{{"coding", QJsonArray{QJsonObject{{"system", system::icd10cm},
                                                                      {"code", "Z99.99"}}}}}));
    EXPECT_EQ(
        resources(b, QStringLiteral("Encounter"))[0][QStringLiteral("diagnosis")].toArray().size(),
        2);
    const QByteArray json = bundleJson(b);
    EXPECT_FALSE(json.contains("XXXX"));
    EXPECT_FALSE(json.contains("unknown ICD10"));

    // The treatment is a Procedure in the insurer's medical service items; the
    // supply is left out.
    const QList<QJsonObject> proc = resources(b, QStringLiteral("Procedure"));
    ASSERT_EQ(proc.size(), 1);
    EXPECT_EQ(
        proc[0][QStringLiteral("code")][QStringLiteral("coding")][0].toObject(),
        (QJsonObject{
            {"system", system::medicalServiceCode}, {"code", "47041C"}, {"display", "傷口換藥"}}));
    EXPECT_EQ(proc[0][QStringLiteral("performedDateTime")].toString(),
              QStringLiteral("2024-12-06T10:15:00+08:00"));
    EXPECT_EQ(proc[0][QStringLiteral("performer")][0][QStringLiteral("actor")]
                  [QStringLiteral("reference")]
                      .toString(),
              orgUrl.value(QStringLiteral("1101010012")));
    EXPECT_FALSE(json.contains("FHZ0345678"));
    EXPECT_EQ(meds[0][QStringLiteral("medicationCodeableConcept")][QStringLiteral("coding")][0]
                  [QStringLiteral("code")]
                      .toString(),
              QStringLiteral("AC43071100"));
}

TEST(FhirBundle, WithoutTheDiagnosisDatabaseTheCardsTextNamesTheCode) {
    const fixtures::Query q = fixtures::deskQuery();
    fixtures::FakeLookups lookups;
    lookups.diagnosisDatabaseThere = false;
    const QList<QJsonObject> cond =
        resources(buildBundle(q.state, q.tables, lookups, q.context.queryTime.date()),
                  QStringLiteral("Condition"));
    ASSERT_EQ(cond.size(), 2);
    EXPECT_EQ(cond[0][QStringLiteral("code")][QStringLiteral("text")].toString(),
              QStringLiteral("其他季節性過敏性"));
    // The card read's own unknown-code text is no name either.
    EXPECT_FALSE(cond[1][QStringLiteral("code")].toObject().contains(QStringLiteral("text")));
}

// Entry ids are made from archived text; a "%2" in it must stay text. Two visits
// that differ only there are two visits, and so are their diagnoses.
TEST(FhirBundle, IdsTakeArchivedTextAsWritten) {
    const auto conditionAndEncounter = [](const char* visitText) {
        fixtures::Query q = fixtures::deskQuery();
        setAnsi(q.state.ICcardInfo.Hx[0].visitDateTime, visitText);
        QString encounter, condition;
        for (const QJsonValue& e : bundleOf(q)[QStringLiteral("entry")].toArray()) {
            const QString type =
                e[QStringLiteral("resource")][QStringLiteral("resourceType")].toString();
            if (type == QStringLiteral("Encounter"))
                encounter = e[QStringLiteral("fullUrl")].toString();
            if (type == QStringLiteral("Condition") && condition.isEmpty())
                condition = e[QStringLiteral("fullUrl")].toString();
        }
        return qMakePair(encounter, condition);
    };
    const auto a = conditionAndEncounter("1131206%2");
    const auto b = conditionAndEncounter("11312060");
    ASSERT_FALSE(a.second.isEmpty());
    EXPECT_NE(a.first, b.first);
    EXPECT_NE(a.second, b.second);
}

TEST(FhirDates, RocDatesBecomeFhirDates) {
    struct Case {
        const char* roc;
        const char* fhir;
    };
    const Case cases[] = {
        {"0991231", "2010-12-31"},
        {"1000101", "2011-01-01"},
        {"99/12/31", "2010-12-31"},
        {"100/01/01", "2011-01-01"},
        {"1130229", "2024-02-29"},
        {"1000229", ""},  // 2011 has no 29 February
        {"1131301", ""},
        {"0000000", ""},
        {"", ""},
        {"113/1", ""},
        {"11312O1", ""},
        {" 1131210 ", "2024-12-10"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fhirDate(rocDateFromText(QString::fromLatin1(c.roc))),
                  QString::fromLatin1(c.fhir))
            << c.roc;

    EXPECT_EQ(fhirDateTime(rocDateTimeFromText(QStringLiteral("0991231235959"))),
              QStringLiteral("2010-12-31T23:59:59+08:00"));
    EXPECT_EQ(fhirDateTime(rocDateTimeFromText(QStringLiteral("1000101"))),
              QStringLiteral("2011-01-01"));
    EXPECT_EQ(fhirDateTime(rocDateTimeFromText(QStringLiteral("1000101246000"))), QString());
    EXPECT_EQ(icd10WithDot(QStringLiteral("E119")), QStringLiteral("E11.9"));
    EXPECT_EQ(icd10WithDot(QStringLiteral("I10")), QStringLiteral("I10"));
    EXPECT_EQ(icd10WithDot(QStringLiteral("J06.9")), QStringLiteral("J06.9"));
}

TEST(ExportFiles, NamedLikeTheArchiveAndWrittenAsTheBundleIsBuilt) {
    EXPECT_EQ(summary::defaultExportName(QDate(2024, 12, 9), QStringLiteral(" a123456789 "),
                                         QStringLiteral(".pdf")),
              QStringLiteral("1131209A123456789.pdf"));
    QTemporaryDir dir;
    const fixtures::Query q = fixtures::fullQuery();
    fixtures::FakeLookups lookups;
    const QString path = dir.filePath(QStringLiteral("q.json"));
    ASSERT_TRUE(
        summary::writeFhirBundle(path, q.state, q.tables, lookups, q.context.queryTime.date()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bundleJson(bundleOf(q)));
    QString error;
    EXPECT_FALSE(summary::writeFhirBundle(dir.filePath(QStringLiteral("no/q.json")), q.state,
                                          q.tables, lookups, q.context.queryTime.date(), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
