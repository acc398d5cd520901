#include "report/cloud_tables.h"

#include "common/record_text.h"

namespace report {

QString CloudRow::cell(int column) const {
    if (column == 0) return caption;
    if (column < 0 || column > values.size()) return {};
    return values.at(column - 1);
}

const QList<CloudColumn>& drugColumns() {
    static const QList<CloudColumn> columns = {
        {"就醫日期", "就醫日期", 54},
        {"來源", "來源", 150},
        {"主診斷", "主診斷", 150},
        {"ATC5代碼", "ATC5代碼", 0},
        {"ATC3名稱", "ATC3名稱", 50},
        {"ATC5名稱", "ATC5名稱", 0},
        {"複方註記", "複方註記", 0},
        {"成分名稱", "成分名稱", 0},
        {"藥品代碼", "藥品代碼", 100},
        {"藥品名稱", "藥品名稱", 180},
        {"給藥日數", "給藥日數", 70},
        {"藥品用量", "藥品用量", 70},
        {"藥品規格量", "藥品規格量", 50},
        {"用法用量", "用法用量", 80},
        {"連箋領藥日", "慢連箋領藥日(住院用藥迄日)", 80},
        {"餘藥日數", "單筆餘藥日數試算", 50},
        {"就醫序號", "就醫序號", 65},
        {"藥品療效不等", "藥品療效不等", 0},
        {"連箋原處方醫事機構", "慢連箋原處方醫事機構代碼", 0},
        {"費用年月", "費用年月", 0},
        {"新增過敏資料", "新增過敏資料", 50},
        {"項次", "項次", 0},
        {"65歲以上病人宜注意用藥品項", "高齡者宜注意用藥品項", 50},
        {"ATC7代碼", "ATC7代碼", 50},
    };
    return columns;
}

const QList<CloudColumn>& labColumns() {
    static const QList<CloudColumn> columns = [] {
        const QList<QPair<QString, int>> captions = {
            {"檢驗日期", 32},     {"來源", 50},     {"主診斷", 50},   {"就醫科別", 0},
            {"檢驗類別", 50},     {"醫令名稱", 0},  {"檢驗項目", 0},  {"檢驗結果", 0},
            {"參考值", 50},       {"醫令代碼", 50}, {"檢驗方法", 50}, {"檢體採檢方法", 50},
            {"開立醫令日期", 50}, {"報告日期", 50}, {"診療部位", 50}, {"報告結果", 65},
            {"影像查詢", 0},      {"品質通報", 0},  {"單位", 50},     {"費用年月", 0},
            {"項次", 0},          {"註記", 50},     {"備註", 50},
        };
        QList<CloudColumn> list;
        for (const auto& [caption, width] : captions) list.append({caption, caption, width});
        return list;
    }();
    return columns;
}

const QList<CloudColumn>& columnsOf(Kind kind) {
    return kind == Kind::Drug ? drugColumns() : labColumns();
}

int columnIndex(Kind kind, const QString& caption) {
    const auto& columns = columnsOf(kind);
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).caption == caption) return i;
    return -1;
}

QString kindText(Kind kind) {
    return kind == Kind::Drug ? QStringLiteral("drug") : QStringLiteral("labdata");
}

CloudTable parseRecordText(Kind kind, const QString& recordText) {
    CloudTable table;
    if (recordText.isEmpty()) return table;
    const auto& columns = columnsOf(kind);
    int pos = 1;
    QStringList children;
    for (;;) {
        children.clear();
        pos = getXMLitem(recordText, pos, QStringLiteral("D"), children);
        if (pos == 0) break;
        // "name=content": the first child of a name wins, as a key look-up would.
        auto valueOf = [&children](const QString& key) {
            const QString prefix = key + u'=';
            for (const QString& child : children)
                if (child.startsWith(prefix)) return child.mid(prefix.size());
            return QString();
        };
        const QString date = valueOf(columns.first().recordKey).trimmed();
        if (date.isEmpty()) continue;
        CloudRow row;
        row.caption = date;
        row.values.reserve(columns.size() - 1);
        for (int i = 1; i < columns.size(); ++i)
            row.values.append(valueOf(columns.at(i).recordKey));
        table.rows.append(std::move(row));
    }
    return table;
}

CloudSourceTables buildSourceTables(const QString& sDrug, const QString& sLab) {
    return {parseRecordText(Kind::Drug, sDrug), parseRecordText(Kind::Lab, sLab)};
}

}  // namespace report
