#include "export/export_files.h"

#include "common/atomic_file.h"
#include "common/roc_date.h"
#include "export/fhir_bundle.h"

namespace summary {

QString defaultExportName(const QDate& day, const QString& patientId, const QString& suffix) {
    return DateTimeToStr7(day) + patientId.trimmed().toUpper() + suffix;
}

bool writeFhirBundle(const QString& path, const PatientState& state,
                     const report::CloudSourceTables& tables, ExportLookups& lookups,
                     const QDate& queryDay, QString* errorText) {
    return writeFileAtomically(
        path, fhir::bundleJson(fhir::buildBundle(state, tables, lookups, queryDay)), errorText);
}

}  // namespace summary
