// The messages of the control software's result codes.

#include "card/err_message.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QSet>
#include <climits>

namespace {

TEST(ErrMessage, TableHoldsEveryCodeOnceInEachRange) {
    const auto table = errMessageTable();
    EXPECT_EQ(table.size(), 226u);
    QSet<int32_t> codes;
    for (const ErrMessageEntry& e : table) codes.insert(e.code);
    EXPECT_EQ(codes.size(), 226);

    struct Range {
        int32_t from, to;
        int count;
    };
    for (const Range r : {Range{1001, 1099, 53}, Range{4000, 4071, 16}, Range{5001, 5174, 75},
                          Range{6005, 6019, 10}, Range{9001, 9268, 72}}) {
        int n = 0;
        for (const int32_t c : codes) n += (c >= r.from && c <= r.to) ? 1 : 0;
        EXPECT_EQ(n, r.count) << r.from << "-" << r.to;
    }
}

TEST(ErrMessage, OnlyTheKnownGroupsShareAMessage) {
    QMap<QString, QList<int32_t>> byMessage;
    for (const ErrMessageEntry& e : errMessageTable())
        byMessage[QString::fromUtf8(e.message)] << e.code;
    QMap<QString, QList<int32_t>> shared;
    for (auto it = byMessage.begin(); it != byMessage.end(); ++it) {
        if (it->size() > 1) shared.insert(it.key(), *it);
    }
    const QMap<QString, QList<int32_t>> expected = {
        {QStringLiteral("註冊失敗"), {1050, 1051, 1053}},
        {QStringLiteral("雲端伺服器錯誤"), {1055, 1056}},
        {QStringLiteral("登錄資料錯誤"), {1057, 1058}},
        {QStringLiteral("找不到[就醫資料登錄]中的該組資料!"), {5022, 5027}},
    };
    EXPECT_EQ(shared, expected);
}

TEST(ErrMessage, SampleOfEachRange) {
    const struct {
        int32_t code;
        const char* message;
    } cases[] = {
        {1001, "向雲端 server 取雲端藥歷失敗"},
        {1011, "取 HospID & SAMID 錯誤"},
        {1099, "離線不提供此 API 服務"},
        {4000, "讀卡機Timeout!"},
        {4013, "未置入健保IC卡或(虛擬)未置入虛擬健保卡"},
        {4050, "安全模組尚未與IDC認證"},
        {4071, "健保IC卡與IDC認證失敗"},
        {5001, "就醫可用次數不足"},
        {5081, "最近24小時內同院所未曾就醫，故不可取消就醫(就醫類別輸入ZA/ZB時檢查)"},
        {5174, "取就醫識別碼失敗"},
        {6005, "安全模組卡的外部認證失敗"},
        {6019, "醫事人員卡密碼不能為空白"},
        {9001, "送至IDC Message Header 檢核不符"},
        {9012, "IDC 無該卡片資 料"},  // the spaces inside are part of the text
        {9201, "初始安全模組檔讀取異常，請在C:\\NHI\\SAM\\COMX1目錄下放置健保署正確安全模組檔。"},
        {9268, "IDC驗證虛擬醫師卡失敗"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetErrMessage(c.code), QString::fromUtf8(c.message)) << c.code;
}

TEST(ErrMessage, CodesWithoutEntryGiveTheDefaultText) {
    const struct {
        int32_t code;
        const char* message;
    } cases[] = {
        {1052, "未定義的錯誤代碼! Error Code=1052"},
        {0, "未定義的錯誤代碼! Error Code=0"},
        {-1, "未定義的錯誤代碼! Error Code=-1"},
        {1000, "未定義的錯誤代碼! Error Code=1000"},
        {9269, "未定義的錯誤代碼! Error Code=9269"},
        {INT32_MIN, "未定義的錯誤代碼! Error Code=-2147483648"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetErrMessage(c.code), QString::fromUtf8(c.message)) << c.code;
}

}  // namespace
