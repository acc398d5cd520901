#include "report/cloud_report.h"

#include "common/ini_file.h"

namespace report {

std::optional<Kind> kindFromText(const QString& text) {
    if (text == QLatin1String("drug")) return Kind::Drug;
    if (text == QLatin1String("labdata")) return Kind::Lab;
    return std::nullopt;
}

CloudReport::CloudReport(QString iniPath) : iniPath_(std::move(iniPath)) {
    proxy_.setSourceModel(&model_);
}

void CloudReport::setLabDefaultWidths(const QList<int>& widths) {
    if (widths.size() != labColumns().size()) return;
    labDefaults_.clear();
    for (int w : widths) labDefaults_.append(normalizeWidth(w));
}

QList<int> CloudReport::defaultWidths(Kind kind) const {
    if (kind == Kind::Lab && !labDefaults_.isEmpty()) return labDefaults_;
    QList<int> widths;
    for (const CloudColumn& c : columnsOf(kind)) widths.append(c.defaultWidth);
    return widths;
}

void CloudReport::fillCloudData(const QString& sDrug, const QString& sLab) {
    sources_ = buildSourceTables(sDrug, sLab);
    supplies_.reset();
    setLocalDuplicateCheck(localDupCheck_);
}

const DrugSupplies& CloudReport::drugSupplies() const {
    if (!supplies_) supplies_ = readDrugSupplies(sources_.drug);
    return *supplies_;
}

void CloudReport::setLocalDuplicateCheck(bool on) {
    localDupCheck_ = on;
    duplicates_ = on ? findDuplicates(drugSupplies(), int(sources_.drug.rows.size()),
                                      today ? today() : QDate::currentDate(), duplicateOptions)
                     : DuplicateFindings{};
}

QString CloudReport::countText(int count) const {
    QString text = QStringLiteral("項目總量:") + QString::number(count);
    if (localDupCheck_ && cloudReportType_ == kindText(Kind::Drug))
        text += QStringLiteral("  ") + duplicateSummary(duplicates_);
    return text;
}

int CloudReport::sourceRowOf(int shownRow) const {
    if (shownRow < 0 || shownRow >= proxy_.rowCount()) return -1;
    return model_.sourceRow(proxy_.mapToSource(proxy_.index(shownRow, 0)).row());
}

int CloudReport::showCloud(const QString& kind) {
    const std::optional<Kind> k = kindFromText(kind);
    if (!k) return rowCount();
    if (cloudReportType_ != kind) {
        // The widths dragged on the kind left behind would be lost with its columns.
        storeColumnWidths();
        cloudReportType_ = kind;
        loadFieldDef(false);
    }
    const QString ownCode = ownHospitalCode ? ownHospitalCode() : QString();
    const CloudTable& table = sources_.of(*k);
    const bool marks = localDupCheck_ && *k == Kind::Drug;
    QList<CloudRow> rows;
    QList<int> sourceRows;
    QList<bool> marked;
    QStringList warnings;
    rows.reserve(table.rows.size());
    sourceRows.reserve(table.rows.size());
    for (int i = 0; i < table.rows.size(); ++i) {
        const CloudRow& row = table.rows.at(i);
        if (CloudSelectType == csSelect && !checkColudSelect(*k, row, rules_, ownCode)) continue;
        rows.append(row);
        sourceRows.append(i);
        if (marks) marked.append(duplicates_.isDuplicated(i));
        if (*k == Kind::Drug) {
            const QString dup = marks ? duplicates_.rowWarning(i) : QString();
            const QString aid = aidWarnings.value(i);
            warnings.append(dup.isEmpty() || aid.isEmpty() ? dup + aid : dup + u' ' + aid);
        }
    }
    model_.setRows(std::move(rows), std::move(sourceRows), std::move(marked), std::move(warnings));
    sort();
    return rowCount();
}

std::optional<Kind> CloudReport::fieldKind() const { return kindFromText(sFieldDefType_); }

void CloudReport::loadFieldDef(bool bForceReload) {
    if (!bForceReload && sFieldDefType_ == cloudReportType_) return;
    const std::optional<Kind> kind = kindFromText(cloudReportType_);
    if (!kind) return;
    IniFile ini(iniPath_);
    const LoadedFieldLists loaded =
        buildFieldLists(*kind, ini.readSection(fieldSectionOf(*kind)),
                        ini.readSection(sortSectionOf(*kind)), defaultWidths(*kind));
    sFieldDefType_ = cloudReportType_;
    lists_ = loaded.lists;
    applyColumns();
    // A section that was missing is written whole; a present one is updated in
    // place, keeping the keys that name no column of the kind.
    if (loaded.writeBack) {
        ini.writeStrings(sortSectionOf(*kind), sortSectionPairs(lists_.sort));
        ini.writeStrings(fieldSectionOf(*kind), fieldSectionPairs(lists_.fields));
    }
}

void CloudReport::applyColumns() {
    const std::optional<Kind> kind = fieldKind();
    QStringList captions;
    QList<int> sourceColumns;
    for (const FieldItem& f : lists_.fields) {
        captions.append(f.caption);
        sourceColumns.append(kind ? columnIndex(*kind, f.caption) : -1);
    }
    model_.setColumns(captions, sourceColumns);
}

bool CloudReport::writeFieldSection() const {
    const std::optional<Kind> kind = fieldKind();
    if (!kind || lists_.fields.isEmpty()) return false;
    return IniFile(iniPath_).writeSection(fieldSectionOf(*kind), fieldSectionPairs(lists_.fields));
}

void CloudReport::saveFieldDef() {
    const std::optional<Kind> kind = fieldKind();
    if (!kind || lists_.fields.isEmpty()) return;
    IniFile(iniPath_).writeSection(sortSectionOf(*kind), sortSectionPairs(lists_.sort));
    writeFieldSection();
}

void CloudReport::storeColumnWidths() { writeFieldSection(); }

int CloudReport::getWidthofColumn(const QString& caption) const {
    for (const FieldItem& f : lists_.fields)
        if (f.caption == caption) return f.width;
    return 0;
}

void CloudReport::setColumnWidth(int column, int width) {
    if (column < 0 || column >= lists_.fields.size()) return;
    lists_.fields[column].width = normalizeWidth(width);
}

void CloudReport::checkField(int index, bool checked) {
    if (index < 0 || index >= lists_.fields.size()) return;
    lists_.fields[index].checked = checked;
    for (FieldItem& f : lists_.fields) {
        if (!f.checked)
            f.width = 0;
        else if (f.width == 0)
            f.width = kCheckedWidth;
    }
    writeFieldSection();
}

std::optional<int> CloudReport::moveField(int index, int delta) {
    const std::optional<int> moved = moveItem(lists_.fields, index, delta);
    if (!moved) return moved;
    writeFieldSection();
    loadFieldDef(true);
    showCloud(cloudReportType_);
    return moved;
}

void CloudReport::checkSortKey(int index, bool checked) {
    const std::optional<Kind> kind = fieldKind();
    if (!kind || index < 0 || index >= lists_.sort.size()) return;
    lists_.sort[index].checked = checked;
    IniFile(iniPath_).writeSection(sortSectionOf(*kind), sortSectionPairs(lists_.sort));
    sort();
}

std::optional<int> CloudReport::moveSortKey(int index, int delta) {
    const std::optional<Kind> kind = fieldKind();
    if (!kind) return std::nullopt;
    const std::optional<int> moved = moveItem(lists_.sort, index, delta);
    if (!moved) return moved;
    IniFile(iniPath_).writeSection(sortSectionOf(*kind), sortSectionPairs(lists_.sort));
    sort();
    return moved;
}

void CloudReport::sort() {
    QList<ActiveSortKey> keys;
    const QStringList& captions = model_.captions();
    for (const SortItem& s : lists_.sort) {
        if (!s.checked) continue;
        const int column = static_cast<int>(captions.indexOf(s.caption));
        if (column >= 0) keys.append({column, isDateKey(s.caption)});
    }
    const bool forward = datesForward && datesForward();
    proxy_.sortBy(keys, !forward);
}

RuleTexts CloudReport::storedRuleTexts() const {
    const IniFile ini(iniPath_);
    return {memoTextFromStored(ini.readString(kRuleSection, kNameRuleKey, QString())),
            memoTextFromStored(ini.readString(kRuleSection, kICD10RuleKey, QString())),
            memoTextFromStored(ini.readString(kRuleSection, kATC3RuleKey, QString()))};
}

bool CloudReport::saveRules(const RuleTexts& memos) {
    IniFile ini(iniPath_);
    bool ok = ini.writeString(kRuleSection, kNameRuleKey, storedFromMemoText(memos.name));
    ok = ini.writeString(kRuleSection, kICD10RuleKey, storedFromMemoText(memos.icd10)) && ok;
    ok = ini.writeString(kRuleSection, kATC3RuleKey, storedFromMemoText(memos.atc3)) && ok;
    rules_ = {parseRuleList(memos.name), parseRuleList(memos.icd10), parseRuleList(memos.atc3)};
    return ok;
}

QStringList CloudReport::shownCells(int shownRow) const {
    const QModelIndex source = proxy_.mapToSource(proxy_.index(shownRow, 0));
    return source.isValid() ? model_.cells(source.row()) : QStringList();
}

ReportMenu CloudReport::contextMenu(int shownRow, int column, const QString& appPath) const {
    if (shownRow < 0 || shownRow >= proxy_.rowCount()) return {};
    return contextMenuFor(model_.captions(), shownCells(shownRow), column, appPath);
}

QString CloudReport::copyText(bool withTags) const {
    QList<QStringList> rows;
    for (int r = 0; r < proxy_.rowCount(); ++r) {
        const int source = proxy_.mapToSource(proxy_.index(r, 0)).row();
        // The row's warning travels as a field of its own after the columns.
        if (model_.isTicked(source)) rows.append(model_.shownCells(source) << model_.warning(source));
    }
    QList<bool> checked;
    for (const FieldItem& f : lists_.fields) checked.append(f.checked);
    checked.append(true);
    return report::copyText(rows, model_.captions() + QStringList{QStringLiteral("警示")}, checked,
                           withTags);
}

}  // namespace report
