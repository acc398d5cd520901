#pragma once
// The local duplicate-medication check: which drugs of the cloud records are
// still being taken today and overlap another visit's drug, by ingredient (the
// same ATC7 code) or by class (the same ATC5 code, different ingredients).

#include <QDate>
#include <QList>
#include <QString>

#include "report/cloud_tables.h"

namespace cloud {

enum class DuplicateReason { SameIngredient, SameClass };

// "同成分" and "同藥理類別".
QString duplicateReasonText(DuplicateReason reason);

struct DuplicateEntry {
    int row = -1;           // index into the drug source table
    QDate date;             // the visit date, parsed
    int remainingDays = 0;  // days of supply left, today included
};

struct DuplicateGroup {
    DuplicateReason reason = DuplicateReason::SameIngredient;
    QString code;                   // the shared ATC7 code, or the shared class code
    QList<DuplicateEntry> entries;  // newest visit first
};

struct DuplicateFindings {
    // Same ingredient first, then same class; within a reason, the group with the
    // newest visit first.
    QList<DuplicateGroup> groups;
    // One flag per source row: does the row take part in any group.
    QList<bool> rowFlags;

    bool isDuplicated(int row) const {
        return row >= 0 && row < rowFlags.size() && rowFlags.at(row);
    }
};

// Only rows in supply today count: their visit date plus "給藥日數" days covers
// today, or "單筆餘藥日數試算" is positive. Rows without an ATC7 code, with a date
// that does not parse, or with a day count that is not a whole number are left out.
DuplicateFindings findDuplicates(const CloudTable& drugs, const QDate& today);

// The status line part: "重複用藥:" and the number of groups.
QString duplicateSummary(const DuplicateFindings& findings);

// Put after the caption of a row that takes part in a duplication, so that the
// mark also travels with copied text.
QString duplicateMarker();

}  // namespace cloud
