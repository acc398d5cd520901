#pragma once
// The name that stands for an institution code the institution list does not hold. The
// card read stores it in the record like a name; the summary and the export know it is
// none.

#include <QString>

inline QString unknownHospitalName() { return QStringLiteral("(不明院所)"); }
