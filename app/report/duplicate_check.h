#pragma once
// The local duplicate-medication check: among the drugs in supply on the query's
// day, which are taken twice. The same ingredient (also inside a combination
// product) from two prescriptions, two drugs of one ATC level-4 class, or two
// drugs of different classes given for the same purpose (a curated table).
// What a doctor does on purpose is told apart: a refill collected a few days
// early, two drugs of one class combined in one prescription, and a switch from
// one drug of a class to another.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "report/cloud_tables.h"
#include "report/drug_supply.h"

namespace report {

enum class DuplicateReason { SameIngredient, SameClass, SameEffect, Switch, EarlyRefill };

// "同成分", "同藥理類別", "同療效", "換藥?" and "提早領藥".
QString duplicateReasonText(DuplicateReason reason);
// The first three are duplications; a switch and an early refill are told, not counted.
bool countsAsDuplicate(DuplicateReason reason);

struct DuplicateEntry {
    int row = -1;           // index into the drug source table
    QDate date;             // the visit date
    QDate start;            // the first day of supply (the refill date when there is one)
    int remainingDays = 0;  // days of supply left on the query's day, that day included
};

struct DuplicateGroup {
    DuplicateReason reason = DuplicateReason::SameIngredient;
    QString code;  // the shared ingredient or ATC7 code, the class, or the table row's name
    QString note;  // why: the table's reason and source, or the days of overlap
    QList<DuplicateEntry> entries;  // newest visit first
};

struct DuplicateOptions {
    // A refill may be collected this many days before the previous supply ends.
    int earlyRefillDays = 10;
};

struct DuplicateFindings {
    QDate day;  // the day judged
    int earlyRefillDays = 0;  // the allowance it was judged with
    // Duplications first (same ingredient, same class, same purpose), then the
    // switches and early refills; within a reason the group with the newest visit first.
    QList<DuplicateGroup> groups;
    // One flag per source row: does the row take part in a duplication.
    QList<bool> rowFlags;
    // One text per source row: the reasons of every group it is in ("同成分", "提早領藥").
    QStringList rowWarnings;
    // The rows the check could not read.
    QList<SkippedDrugRow> skipped;
    QString skippedText;

    bool isDuplicated(int row) const {
        return row >= 0 && row < rowFlags.size() && rowFlags.at(row);
    }
    QString rowWarning(int row) const { return rowWarnings.value(row); }
    int duplicateCount() const;
};

DuplicateFindings findDuplicates(const CloudTable& drugs, const QDate& day,
                                 const DuplicateOptions& options = {});
// The same over rows already read (the aids of one patient share one reading).
DuplicateFindings findDuplicates(const DrugSupplies& supplies, int rowCount, const QDate& day,
                                 const DuplicateOptions& options = {});

// The status line part: "重複用藥:" and the number of duplications.
QString duplicateSummary(const DuplicateFindings& findings);

}  // namespace report
