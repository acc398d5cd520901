#pragma once
// The list of duplicate-medication groups: one branch per group with its reason
// and code, one line per drug with the visit date, the institution ("來源"), the
// drug and the days of supply left.

#include <QDialog>

#include "report/cloud_tables.h"
#include "report/duplicate_check.h"

class QTreeWidget;

class DuplicatesDialog : public QDialog {
  public:
    DuplicatesDialog(const cloud::DuplicateFindings& findings, const cloud::CloudTable& drugs,
                     QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }

  private:
    QTreeWidget* list_;
};
