#pragma once
// The cloud report: the two source tables, the kind shown, all rows or the
// selected ones, the field and sort lists with their widths, and the filter
// rules. Operations return what a view shows (counts, menu items, copy text);
// the settings file is opened for each read or write.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "report/cloud_report_model.h"
#include "report/cloud_tables.h"
#include "report/drug_supply.h"
#include "report/duplicate_check.h"
#include "report/field_config.h"
#include "report/filter_rules.h"
#include "report/report_texts.h"

namespace report {

enum tCloudSelectType { csAll, csSelect };

// The three memos of the rule panel.
struct RuleTexts {
    QString name;
    QString icd10;
    QString atc3;
};

class CloudReport {
  public:
    explicit CloudReport(QString iniPath);
    CloudReport(const CloudReport&) = delete;
    CloudReport& operator=(const CloudReport&) = delete;

    // What the report reads from outside when it needs it: the clinic's own code
    // (sHospitalCode) and the settings "日期順向排序" (CdateSortType).
    std::function<QString()> ownHospitalCode;
    std::function<bool()> datesForward;
    // Today's date, for the supply periods of the duplicate check.
    std::function<QDate()> today;

    // Start-up: the rule lists from their stored values and the laboratory
    // columns' default widths ("CloudLabData", already split; one per column).
    void setRules(FilterRules rules) { rules_ = std::move(rules); }
    void setLabDefaultWidths(const QList<int>& widths);
    const FilterRules& rules() const { return rules_; }
    QList<int> defaultWidths(Kind kind) const;

    // Both source tables rebuilt from the record texts.
    void fillCloudData(const QString& sDrug, const QString& sLab);
    const CloudSourceTables& sourceTables() const { return sources_; }
    // The drug rows read as supplies: read once after a fill, when an aid first
    // asks, and shared by all of them (the duplicate check, the other aids, the
    // supply timeline), so no aid reads the rows again.
    const DrugSupplies& drugSupplies() const;

    // The local duplicate-medication check ("本區重複用藥檢查"): when on, each fill
    // finds the groups and the drug report marks their rows; when off nothing is
    // computed.
    void setLocalDuplicateCheck(bool on);
    // The stored early-refill allowance the check uses.
    DuplicateOptions duplicateOptions;
    // The other clinical aids' warnings by drug source row, shown with the
    // duplicate check's on the drug report (set by the aids before a show).
    QStringList aidWarnings;
    bool localDuplicateCheck() const { return localDupCheck_; }
    const DuplicateFindings& duplicates() const { return duplicates_; }
    // The status text of a report of `count` rows: "項目總量:" and the count, and on
    // the drug report with the check on, the number of duplication groups.
    QString countText(int count) const;
    // The source-table row of a row in the shown order, or -1.
    int sourceRowOf(int shownRow) const;
    // Shows "drug" or "labdata" (anything else leaves the report as it is) and
    // returns the number of report rows.
    int showCloud(const QString& kind);

    QString cloudReportType() const { return cloudReportType_; }
    QString sFieldDefType() const { return sFieldDefType_; }
    tCloudSelectType CloudSelectType = csAll;

    // Column and sort configuration. Before the first report there are no lists
    // and these do nothing.
    void loadFieldDef(bool bForceReload);
    void saveFieldDef();
    // Writes the current column widths into the field section (program end, and
    // before the kind changes, so dragged widths are not lost).
    void storeColumnWidths();
    int getWidthofColumn(const QString& caption) const;
    const QList<FieldItem>& fields() const { return lists_.fields; }
    const QList<SortItem>& sortKeys() const { return lists_.sort; }
    // A column's border dragged in the view.
    void setColumnWidth(int column, int width);
    // A field's box ticked or cleared: the width becomes 50 or 0.
    void checkField(int index, bool checked);
    // A field or sort key moved one place; the new index, or nullopt when nothing moved.
    std::optional<int> moveField(int index, int delta);
    void checkSortKey(int index, bool checked);
    std::optional<int> moveSortKey(int index, int delta);
    // Sorts the rows again under the current keys.
    void sort();

    // Filter rules: the panel's texts as stored, and saving them.
    RuleTexts storedRuleTexts() const;
    bool saveRules(const RuleTexts& memos);

    // Interactions on rows of the shown order (proxy rows).
    ReportMenu contextMenu(int shownRow, int column, const QString& appPath) const;
    QString copyText(bool withTags) const;
    QStringList shownCells(int shownRow) const;

    CloudReportModel& model() { return model_; }
    const CloudReportModel& model() const { return model_; }
    CloudReportSortProxy& proxy() { return proxy_; }
    const CloudReportSortProxy& proxy() const { return proxy_; }
    int rowCount() const { return model_.rowCount(); }

  private:
    std::optional<Kind> fieldKind() const;
    void applyColumns();
    bool writeFieldSection() const;

    QString iniPath_;
    CloudSourceTables sources_;
    mutable std::optional<DrugSupplies> supplies_;
    QString cloudReportType_;
    QString sFieldDefType_;
    FieldLists lists_;
    FilterRules rules_;
    QList<int> labDefaults_;
    bool localDupCheck_ = false;
    DuplicateFindings duplicates_;
    CloudReportModel model_;
    CloudReportSortProxy proxy_;
};

std::optional<Kind> kindFromText(const QString& text);

}  // namespace report
