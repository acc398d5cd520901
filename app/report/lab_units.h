#pragma once
// Laboratory units as the institutions write them, and the conversions between
// the units of one test whose factor is known, so that a series is drawn in one
// unit and the kidney aid reads creatinine in either unit.

#include <QString>
#include <optional>

namespace report {

enum class Analyte { Other, Creatinine, Glucose, Crp };

// Which test a row is, from its order code ("醫令代碼", the insurer's) or its names.
// Urine tests and clearances are not the serum value.
Analyte analyteOf(const QString& orderCode, const QString& item, const QString& orderName);

// "mg/dL", "µmol/L", "mmol/L", "mg/L", "g/dL", "g/L" for the ways of writing them
// ("MG/DL", "umol/l", "μmol/L", " mg/dl "); any other unit trimmed as written.
QString canonicalUnit(const QString& unit);

// `value` in `from` expressed in `to` (canonical units): mass concentrations
// between each other for any test; creatinine µmol/L and glucose mmol/L against
// mg/dL. None when no factor is known.
std::optional<double> convertUnit(double value, const QString& from, const QString& to,
                                  Analyte analyte);

}  // namespace report
