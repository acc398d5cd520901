#include "list_columns.h"

namespace columns {

const QList<ListColumn>& treatItem() {
    static const QList<ListColumn> c = {
        {"日期", 55},     {"品名", 276},      {"健保碼", 94},     {"醫令", 34},       {"部位", 40},
        {"使用方式", 62}, {"日數", 34, true}, {"總量", 62, true}, {"調劑", 34, true},
    };
    return c;
}

const QList<ListColumn>& longDrug() {
    static const QList<ListColumn> c = {
        {"開立日期", 94}, {"藥品名", 236},    {"健保碼", 94},
        {"用法", 94},     {"日數", 34, true}, {"總量", 62, true},
    };
    return c;
}

const QList<ListColumn>& criticalIllness() {
    static const QList<ListColumn> c = {{"診斷", 480}, {"起始日期", 58}, {"結束日期", 58}};
    return c;
}

const QList<ListColumn>& importantMx() {
    static const QList<ListColumn> c = {
        {"日期", 78},  {"醫療院所", 158}, {"醫令碼", 94},
        {"醫令", 158}, {"部位", 40},      {"總量", 62, true},
    };
    return c;
}

const QList<ListColumn>& prevent() {
    static const QList<ListColumn> c = {
        {"日期", 78}, {"醫療院所", 158}, {"項目代碼", 94}, {"註記", 78}};
    return c;
}

const QList<ListColumn>& pregnant() {
    static const QList<ListColumn> c = {{"日期", 78}, {"醫療院所", 158}, {"產檢代碼", 94}};
    return c;
}

const QList<ListColumn>& cloudDrug() {
    static const QList<ListColumn> c = {
        {"就醫日期", 54},
        {"來源", 150},
        {"主診斷", 150},
        {"ATC5代碼", 0},
        {"ATC3名稱", 50},
        {"ATC5名稱", 0},
        {"複方註記", 0},
        {"成分名稱", 0},
        {"藥品代碼", 100},
        {"藥品名稱", 180},
        {"給藥日數", 70},
        {"藥品用量", 70},
        {"藥品規格量", 50},
        {"用法用量", 80},
        {"連箋領藥日", 80},
        {"餘藥日數", 50},
        {"就醫序號", 65},
        {"藥品療效不等", 0},
        {"連箋原處方醫事機構", 0},
        {"費用年月", 0},
        {"新增過敏資料", 50},
        {"項次", 0},
        {"65歲以上病人宜注意用藥品項", 50},
        {"ATC7代碼", 50},
    };
    return c;
}

const QList<ListColumn>& cloudLabData() {
    static const QList<ListColumn> c = {
        {"檢驗日期", 32},     {"來源", 50},     {"主診斷", 50},   {"就醫科別", 0},
        {"檢驗類別", 50},     {"醫令名稱", 0},  {"檢驗項目", 0},  {"檢驗結果", 0},
        {"參考值", 50},       {"醫令代碼", 50}, {"檢驗方法", 50}, {"檢體採檢方法", 50},
        {"開立醫令日期", 50}, {"報告日期", 50}, {"診療部位", 50}, {"報告結果", 65},
        {"影像查詢", 0},      {"品質通報", 0},  {"單位", 50},     {"費用年月", 0},
        {"項次", 0},          {"註記", 50},     {"備註", 50},
    };
    return c;
}

}  // namespace columns
