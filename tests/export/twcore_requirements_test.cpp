// What the national core guide (TW Core IG) asks of the resources this export
// writes, one row per requirement with the place in the guide it comes from,
// checked against every fixture Bundle. The URLs are written out here on purpose:
// a renamed constant in the export must fail this table, not follow it.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <functional>

#include "export/fhir_bundle.h"
#include "export_fixtures.h"

namespace {

const QString kTwCore = QStringLiteral("https://twcore.mohw.gov.tw/ig/twcore/");

QList<QJsonObject> fixtureBundles() {
    QList<QJsonObject> out;
    for (const fixtures::Query& q : {fixtures::fullQuery(), fixtures::emptyQuery(),
                                     fixtures::longQuery(5, 5), fixtures::deskQuery()}) {
        fixtures::FakeLookups lookups;
        out << fhir::buildBundle(q.state, q.tables, lookups, q.context.queryTime.date());
    }
    return out;
}

QList<QJsonObject> resourcesOf(const QJsonObject& bundle, const QString& type) {
    QList<QJsonObject> out;
    for (const QJsonValue& e : bundle[QStringLiteral("entry")].toArray())
        if (e[QStringLiteral("resource")][QStringLiteral("resourceType")].toString() == type)
            out << e[QStringLiteral("resource")].toObject();
    return out;
}

QStringList systemsOf(const QJsonValue& codeable) {
    QStringList out;
    for (const QJsonValue& c : codeable[QStringLiteral("coding")].toArray())
        out << c[QStringLiteral("system")].toString();
    return out;
}

bool allIn(const QStringList& values, const QStringList& allowed) {
    if (values.isEmpty()) return false;
    for (const QString& v : values)
        if (!allowed.contains(v)) return false;
    return true;
}

struct Requirement {
    const char* resourceType;
    const char* what;
    const char* where;  // the guide's own words and page
    std::function<bool(const QJsonObject&)> holds;
};

bool hasProfile(const QJsonObject& r, const QString& profile) {
    return r[QStringLiteral("meta")][QStringLiteral("profile")].toArray() ==
           QJsonArray{kTwCore + profile};
}

const QList<Requirement>& requirements() {
    static const QList<Requirement> rows{
        // Profiles.
        {"Patient", "meta.profile",
         "Patient-twcore page: \"Official URL: "
         "https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/Patient-twcore\"",
         [](const QJsonObject& r) { return hasProfile(r, "StructureDefinition/Patient-twcore"); }},
        {"Organization", "meta.profile",
         "the guide's CapabilityStatement: \"rest.resource.type = #Organization, profile = "
         "https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/Organization-twcore\" "
         "(Organization-hosp-twcore derives from it)",
         [](const QJsonObject& r) {
             return hasProfile(r, "StructureDefinition/Organization-twcore");
         }},
        {"Encounter", "meta.profile",
         "Condition-twcore: \"Condition.encounter "
         "Reference(https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/Encounter-twcore)\"",
         [](const QJsonObject& r) {
             return hasProfile(r, "StructureDefinition/Encounter-twcore");
         }},
        {"Condition", "meta.profile",
         "TW Core Condition: "
         "\"https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/Condition-twcore\"",
         [](const QJsonObject& r) {
             return hasProfile(r, "StructureDefinition/Condition-twcore");
         }},
        {"MedicationStatement", "meta.profile",
         "the guide's CapabilityStatement: \"rest.resource.type = #MedicationStatement, profile = "
         "https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/MedicationStatement-twcore\"",
         [](const QJsonObject& r) {
             return hasProfile(r, "StructureDefinition/MedicationStatement-twcore");
         }},
        {"Observation", "meta.profile",
         "TW Core Observation Laboratory Result: \"Official URL: "
         "https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/"
         "Observation-laboratoryResult-twcore\"",
         [](const QJsonObject& r) {
             return hasProfile(r, "StructureDefinition/Observation-laboratoryResult-twcore");
         }},
        {"AllergyIntolerance", "meta.profile",
         "the guide's CapabilityStatement: \"rest.resource.type = #AllergyIntolerance, profile = "
         "https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/AllergyIntolerance-twcore\"",
         [](const QJsonObject& r) {
             return hasProfile(r, "StructureDefinition/AllergyIntolerance-twcore");
         }},
        {"Procedure", "meta.profile",
         "TW Core Procedure (TWCoreProcedure): "
         "\"https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/Procedure-twcore\"",
         [](const QJsonObject& r) {
             return hasProfile(r, "StructureDefinition/Procedure-twcore");
         }},

        // The national ID.
        {"Patient", "identifier: the national ID",
         "example pat-example: \"識別碼型別: National Person Identifier (v2-0203#NNxxx [extension: "
         "Identifier Suffix]: TWN); 身分證字號(official): A123456789 (http://www.moi.gov.tw)\"; "
         "identifier-suffix: \"Official URL: "
         "https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/identifier-suffix\", used on "
         "Patient.identifier.type.coding.code",
         [](const QJsonObject& r) {
             const QJsonObject id = r[QStringLiteral("identifier")][0].toObject();
             const QJsonObject type =
                 id[QStringLiteral("type")][QStringLiteral("coding")][0].toObject();
             const QJsonObject suffix =
                 type[QStringLiteral("_code")][QStringLiteral("extension")][0].toObject();
             return id[QStringLiteral("use")] == QStringLiteral("official") &&
                    id[QStringLiteral("system")] == QStringLiteral("http://www.moi.gov.tw") &&
                    !id[QStringLiteral("value")].toString().isEmpty() &&
                    type[QStringLiteral("system")] ==
                        QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0203") &&
                    type[QStringLiteral("code")] == QStringLiteral("NNxxx") &&
                    suffix[QStringLiteral("url")] ==
                        kTwCore + "StructureDefinition/identifier-suffix" &&
                    suffix[QStringLiteral("extension")][0][QStringLiteral("valueString")] ==
                        QStringLiteral("TWN");
         }},
        {"Patient", "gender 1..1, birthDate 1..1",
         "TWPatient model: \"gender 1..1 code 性別。\", \"birthDate 1..1 date 出生日期。\"",
         [](const QJsonObject& r) {
             return r.contains(QStringLiteral("gender")) && r.contains(QStringLiteral("birthDate"));
         }},

        // Conditions.
        {"Condition", "clinicalStatus 1..1",
         "TWCondition model: \"clinicalStatus ... Control 1..1\" (病情、問題或診斷的臨床狀態)",
         [](const QJsonObject& r) {
             return systemsOf(r[QStringLiteral("clinicalStatus")]) ==
                    QStringList{
                        QStringLiteral("http://terminology.hl7.org/CodeSystem/condition-clinical")};
         }},
        {"Condition", "category 1..1", "TWCondition model: \"category ... Control 1..1\"",
         [](const QJsonObject& r) { return r[QStringLiteral("category")].toArray().size() == 1; }},
        {"Condition", "code 1..1 in the insurer's ICD-10-CM, codes with their dot",
         "TWCondition model: \"code ... Control 1..1\"; ValueSet icd-10-cm-2023-tw "
         "(臺灣健保署2023年中文版ICD-10-CM值集): \"Include all codes defined in "
         "https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/icd-10-cm-2023-tw\", codes such as E08.0",
         [](const QJsonObject& r) {
             const QJsonObject c =
                 r[QStringLiteral("code")][QStringLiteral("coding")][0].toObject();
             return c[QStringLiteral("system")] == kTwCore + "CodeSystem/icd-10-cm-2023-tw" &&
                    c[QStringLiteral("code")].toString().contains(QRegularExpression(
                        QStringLiteral(R"(^[A-Z][0-9][0-9A-Z](\.[0-9A-Z]{1,4})?$)")));
         }},

        // Institutions.
        {"Organization", "identifier 1..*: the institution code",
         "TWOrganization model: \"identifier 1..* 機構唯一識別碼(例如:醫事機構代碼...)\"; ValueSet "
         "organization-identifier-tw (臺灣醫事司醫事機構代碼值集): codes of "
         "https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/organization-identifier-tw such as "
         "\"3701014247 大衛牙醫診所\"",
         [](const QJsonObject& r) {
             const QJsonObject id = r[QStringLiteral("identifier")][0].toObject();
             return id[QStringLiteral("system")] ==
                        kTwCore + "CodeSystem/organization-identifier-tw" &&
                    id[QStringLiteral("value")].toString().size() == 10;
         }},
        {"Organization", "name 1..1", "TWOrganization model: \"name ... Control 1..1\" (機構名稱)",
         [](const QJsonObject& r) {
             return !r[QStringLiteral("name")].toString().trimmed().isEmpty();
         }},

        // Laboratory results.
        {"Observation", "code in the insurer's medical service items",
         "TW Core Observation Laboratory Result examples: "
         "\"實驗室檢驗檢查-使用臺灣醫療服務給付項目-檢驗值集代碼\"; CodeSystem "
         "https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/medical-service-payment-tw",
         [](const QJsonObject& r) {
             const QStringList s = systemsOf(r[QStringLiteral("code")]);
             // A row without an order code carries its text alone.
             return s.isEmpty() ? r[QStringLiteral("code")][QStringLiteral("text")].isString()
                                : allIn(s, {kTwCore + "CodeSystem/medical-service-payment-tw"});
         }},
        {"Observation", "status, code, subject, effective date",
         "TWObservation model: \"resultStatus 1..1\", \"observationCode 1..1\", \"subject 1..1\", "
         "\"dateTime 1..1\"",
         [](const QJsonObject& r) {
             return r.contains(QStringLiteral("status")) && r.contains(QStringLiteral("code")) &&
                    r.contains(QStringLiteral("subject")) &&
                    r.contains(QStringLiteral("effectiveDateTime"));
         }},

        // Drugs, treatments, allergies.
        {"MedicationStatement", "drug code in the insurer's drug codes, ATC in the guide's",
         "ValueSet medication-nhi-tw (臺灣健保署用藥品項代碼值集): \"Include all codes defined in "
         "https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/medication-nhi-tw\"; CodeSystem "
         "https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/medcation-atc-tw",
         [](const QJsonObject& r) {
             const QStringList s = systemsOf(r[QStringLiteral("medicationCodeableConcept")]);
             return !s.isEmpty() && s.first() == kTwCore + "CodeSystem/medication-nhi-tw" &&
                    allIn(s, {kTwCore + "CodeSystem/medication-nhi-tw",
                              kTwCore + "CodeSystem/medcation-atc-tw"});
         }},
        {"Procedure", "status, code, subject; code in the insurer's medical service items",
         "TWProcedure model: \"status 1..1\", \"code 1..1\", \"subject 1..1\"; ValueSet "
         "procedure-tw (臺灣健保署醫療服務給付項目-處置或手術值集): \"Include all codes defined in "
         "https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/medical-service-payment-tw\"",
         [](const QJsonObject& r) {
             return r.contains(QStringLiteral("status")) && r.contains(QStringLiteral("subject")) &&
                    allIn(systemsOf(r[QStringLiteral("code")]),
                          {kTwCore + "CodeSystem/medical-service-payment-tw"});
         }},
        {"AllergyIntolerance", "clinicalStatus",
         "R4 invariant ait-1 that the guide's profile keeps: \"AllergyIntolerance.clinicalStatus "
         "SHALL be present if verificationStatus is not entered-in-error\"",
         [](const QJsonObject& r) {
             return systemsOf(r[QStringLiteral("clinicalStatus")]) ==
                    QStringList{QStringLiteral(
                        "http://terminology.hl7.org/CodeSystem/allergyintolerance-clinical")};
         }},
    };
    return rows;
}

TEST(TwCoreRequirements, EveryFixtureBundleMeetsEveryRowOfTheGuide) {
    const QList<QJsonObject> bundles = fixtureBundles();
    for (const Requirement& req : requirements()) {
        int seen = 0;
        for (const QJsonObject& b : bundles)
            for (const QJsonObject& r : resourcesOf(b, QString::fromLatin1(req.resourceType))) {
                ++seen;
                EXPECT_TRUE(req.holds(r))
                    << req.resourceType << " " << req.what << "\n  guide: " << req.where
                    << "\n  resource: " << QJsonDocument(r).toJson().toStdString();
            }
        // A row no fixture exercises checks nothing.
        EXPECT_GT(seen, 0) << req.resourceType << " " << req.what;
    }
}

// Every code system the Bundles name, and where it comes from: the guide's own, or
// one of the base R4 systems the guide's profiles bind.
TEST(TwCoreRequirements, EveryCodeSystemWrittenIsOneTheGuideNames) {
    const QSet<QString> known{
        kTwCore + "CodeSystem/organization-identifier-tw",  // ValueSet organization-identifier-tw
        kTwCore + "CodeSystem/medication-nhi-tw",           // ValueSet medication-nhi-tw
        kTwCore + "CodeSystem/medcation-atc-tw",            // CodeSystem medcation-atc-tw
        kTwCore +
            "CodeSystem/medical-service-payment-tw",  // ValueSet procedure-tw, laboratory examples
        kTwCore + "CodeSystem/icd-10-cm-2023-tw",     // ValueSet icd-10-cm-2023-tw
        "http://www.moi.gov.tw",                      // example pat-example
        "http://terminology.hl7.org/CodeSystem/v2-0203",  // ValueSet identifier-type-tw
        // Base R4 bindings the guide's profiles keep.
        "http://terminology.hl7.org/CodeSystem/v3-ActCode",
        "http://terminology.hl7.org/CodeSystem/condition-clinical",
        "http://terminology.hl7.org/CodeSystem/condition-category",
        "http://terminology.hl7.org/CodeSystem/allergyintolerance-clinical",
        "http://terminology.hl7.org/CodeSystem/observation-category",
        "http://terminology.hl7.org/CodeSystem/v3-ObservationInterpretation",
    };
    std::function<void(const QJsonValue&, QSet<QString>&)> collect = [&](const QJsonValue& v,
                                                                         QSet<QString>& out) {
        if (v.isArray())
            for (const QJsonValue& x : v.toArray()) collect(x, out);
        if (!v.isObject()) return;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (it.key() == QLatin1String("system")) out << it.value().toString();
            collect(it.value(), out);
        }
    };
    QSet<QString> written;
    for (const QJsonObject& b : fixtureBundles()) collect(b, written);
    for (const QString& s : written) EXPECT_TRUE(known.contains(s)) << s.toStdString();
    // The laboratory codes' old, undefined system in particular.
    EXPECT_FALSE(written.contains(kTwCore + "CodeSystem/medical-treatment-nhi-tw"));
}

}  // namespace
