#pragma once
// The query as an exchange file: one FHIR R4 Bundle of type "collection" with the
// patient, the institutions met, the card's visits, diagnoses, prescriptions and
// allergies, and the cloud's drug and laboratory rows.
//
// The Bundle is a function of its inputs alone: entry ids are name-based UUIDs of
// what each entry stands for, so a reopened archived query exports byte for byte
// as the fresh one did.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include "card/patient_state.h"
#include "common/roc_date.h"
#include "report/cloud_tables.h"

class ExportLookups;

namespace fhir {

// "2024-03-05"; empty for an invalid date.
QString fhirDate(const QDate& date);
// "2024-03-05T09:30:00+08:00" for a card date-time with its time, else the date alone.
QString fhirDateTime(const RocDateTime& when);
// A card's ICD-10-CM code written with its dot ("E119" -> "E11.9").
QString icd10WithDot(const QString& code);

// `queryDay` decides which drugs are still taken (status "active").
QJsonObject buildBundle(const PatientState& state, const report::CloudSourceTables& tables,
                        ExportLookups& lookups, const QDate& queryDay);

// The Bundle as the file holds it: UTF-8 JSON.
QByteArray bundleJson(const QJsonObject& bundle);

}  // namespace fhir
