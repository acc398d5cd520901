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

QList<ListColumn> cloudRecords(report::Kind kind) {
    QList<ListColumn> list;
    for (const report::CloudColumn& c : report::columnsOf(kind))
        list.append({c.caption, c.defaultWidth});
    return list;
}

}  // namespace columns
