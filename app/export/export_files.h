#pragma once
// The files the summary menu writes: their default names and the exchange file.

#include <QDate>
#include <QString>

#include "card/patient_state.h"
#include "report/cloud_tables.h"

class ExportLookups;

namespace summary {

// The archive's name for the patient and day with another extension:
// "1131209A123456789" + suffix (".pdf", ".json").
QString defaultExportName(const QDate& day, const QString& patientId, const QString& suffix);

// Writes the query's Bundle as UTF-8 JSON, whole or not at all.
bool writeFhirBundle(const QString& path, const PatientState& state,
                     const report::CloudSourceTables& tables, ExportLookups& lookups,
                     const QDate& queryDay, QString* errorText = nullptr);

}  // namespace summary
