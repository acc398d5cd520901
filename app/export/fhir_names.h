#pragma once
// The names the exchange file commits to: the profile of each resource type and
// the systems of its codes and identifiers. They follow the national core
// implementation guide; when a guide release renames one, it changes here only.

#include <QList>
#include <QString>

namespace fhir {

struct ProfileName {
    QString resourceType;  // the resource, "Observation" for laboratory results
    QString profile;       // the canonical URL written into meta.profile
};

// One profile per resource type we write.
const QList<ProfileName>& profileNames();
// The profile of a resource type; empty for a type we do not write.
QString profileOf(const QString& resourceType);

namespace system {
// The national ID: the identifier's system, its type and the guide's suffix extension.
inline const QString nationalId = QStringLiteral("http://www.moi.gov.tw");
inline const QString identifierType =
    QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0203");
inline const QString nationalIdTypeCode = QStringLiteral("NNxxx");
inline const QString identifierSuffix =
    QStringLiteral("https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/identifier-suffix");
inline const QString countryCodes = QStringLiteral("http://hl7.org/fhir/ValueSet/iso3166-1-3");
inline const QString nationalIdSuffix = QStringLiteral("TWN");
// The insurer's institution codes.
inline const QString institutionCode =
    QStringLiteral("https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/organization-identifier-tw");
// The insurer's drug codes, its medical service items (laboratory orders and
// treatments such as 47041C) and the guide's ATC codes.
inline const QString drugCode =
    QStringLiteral("https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/medication-nhi-tw");
inline const QString medicalServiceCode =
    QStringLiteral("https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/medical-service-payment-tw");
inline const QString atc =
    QStringLiteral("https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/medcation-atc-tw");
// The insurer's Chinese ICD-10-CM, codes written with their dot.
inline const QString icd10cm =
    QStringLiteral("https://twcore.mohw.gov.tw/ig/twcore/CodeSystem/icd-10-cm-2023-tw");
inline const QString encounterClass =
    QStringLiteral("http://terminology.hl7.org/CodeSystem/v3-ActCode");
inline const QString conditionClinical =
    QStringLiteral("http://terminology.hl7.org/CodeSystem/condition-clinical");
inline const QString allergyClinical =
    QStringLiteral("http://terminology.hl7.org/CodeSystem/allergyintolerance-clinical");
inline const QString conditionCategory =
    QStringLiteral("http://terminology.hl7.org/CodeSystem/condition-category");
inline const QString observationCategory =
    QStringLiteral("http://terminology.hl7.org/CodeSystem/observation-category");
inline const QString interpretation =
    QStringLiteral("http://terminology.hl7.org/CodeSystem/v3-ObservationInterpretation");
}  // namespace system

}  // namespace fhir
