#pragma once
// The list of the clinical aids: first the duplicate-medication groups (one
// branch per group with its reason and code, one line per drug with the visit
// date, the institution, the drug and the days of supply left), then the other
// aids, each with what it checked and on which day, and the notice that the
// insurer's own check of the drug about to be prescribed still applies.

#include <QDialog>

#include "report/clinical_aids.h"
#include "report/cloud_tables.h"
#include "report/duplicate_check.h"

class QLabel;
class QTreeWidget;

class DuplicatesDialog : public QDialog {
  public:
    // `checkOn`: whether the local duplicate check ran (the rule panel's box).
    DuplicatesDialog(const report::DuplicateFindings& findings, const report::CloudTable& drugs,
                     QWidget* parent = nullptr, const report::ClinicalAids* aids = nullptr,
                     bool checkOn = true);

    QTreeWidget* list() const { return list_; }
    QTreeWidget* aidsList() const { return aidsList_; }
    QLabel* checkedText() const { return checked_; }
    QLabel* notice() const { return notice_; }

  private:
    QTreeWidget* list_;
    QTreeWidget* aidsList_;
    QLabel* checked_;
    QLabel* notice_;
};
