// The eligibility query against the in-process library and HTTP doubles: the bytes
// of the requests, the consent round, the buffers the library leaves behind, and
// every way an answer can go wrong.
#include "card/adult_prevent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/codepage.h"
#include "fake_services.h"
#include "qstring_printer.h"
#include "recording_prompts.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const QByteArray kOk = R"({"status":true,"code":"00","description":"符合成健資格"})";

QByteArray answer(const char* code, const char* description = "說明") {
    return QStringLiteral(R"({"status":true,"code":"%1","description":"%2"})")
        .arg(QString::fromUtf8(code), QString::fromUtf8(description))
        .toUtf8();
}

struct AdultPrevent : ::testing::Test {
    FakeHealthPromotionLibrary hpa;
    RecordingHttpTransport http;
    RecordingPrompts prompts;
    AdultPreventQuery query{hpa, http, prompts};
    bool basicReads = true;
    int basicCalls = 0;
    std::function<bool()> readBasic = [this] {
        ++basicCalls;
        return basicReads;
    };

    AdultPrevent() { query.setHost("127.0.0.1:8444"); }
    QString run() { return query.getAdultPrevent(readBasic); }
    QString sent(std::size_t i) const { return fromAnsi(http.requests.at(i).body); }
};

TEST_F(AdultPrevent, FirstRequestIsTheDocumentInCodePage950) {
    hpa.tokens = {toAnsi(QStringLiteral("tok偽"))};  // the token is CP950 text
    hpa.prevent = "03 1151021 1101010012";
    http.answer(200, kOk);

    EXPECT_EQ(run(), "符合成健資格");
    ASSERT_EQ(http.requests.size(), 1u);
    const HttpRequest& r = http.requests.front();
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.url.toString(), "https://127.0.0.1:8444/bhpApi/api/All/Valid");
    EXPECT_THAT(r.headers,
                ElementsAre(qMakePair(QByteArray("Content-Type"), QByteArray("application/json"))));
    const QByteArray expected =
        toAnsi(QStringLiteral(R"({"Token":"tok偽","Agree":null,"Person":{"HospId":"3501200000",)"
                              R"("SamId":"099000035012","CardId":"000011870235","Birth":"0690815",)"
                              R"("Pid":"B220715631","RegisterPrevent":"03 1151021 1101010012"}})"));
    EXPECT_EQ(r.body, expected);
    EXPECT_THAT(hpa.calls,
                ElementsAre("csOpenCom(0)", "csGetHospID(10)", "csGetCardNo type 1",
                            "csGetCardNo(12)", "hisGetBasicData(72)", "hisGetRegisterPrevent(126)",
                            "csCloseCom()", "GetBhpApiToken()"));
    EXPECT_THAT(prompts.messages(), IsEmpty());
}

TEST_F(AdultPrevent, ValuesThatNeedEscapingStayOneString) {
    hpa.tokens = {QByteArray(R"(a"b\c)")};
    http.answer(200, kOk);
    run();
    EXPECT_TRUE(sent(0).startsWith(R"({"Token":"a\"b\\c","Agree":null,)")) << sent(0).toStdString();
}

struct ConsentCase {
    const char* code;
    Prompts::Answer answer;
    bool asks;
    const char* agree;  // the second request's "Agree"
};

class Consent : public AdultPrevent, public ::testing::WithParamInterface<ConsentCase> {};

TEST_P(Consent, CodeDecidesTheQuestionAndTheAnswerTheSecondRequest) {
    const ConsentCase c = GetParam();
    http.answer(200, answer(c.code, "需同意"));
    http.answer(200, answer("0401", "已同意"));  // never leads to a third request
    prompts.scriptQuestion(c.answer);

    const QString shown = run();
    if (!c.asks) {
        EXPECT_EQ(shown, "需同意");
        EXPECT_EQ(http.requests.size(), 1u);
        EXPECT_THAT(prompts.questions(), IsEmpty());
        return;
    }
    EXPECT_EQ(shown, "已同意");
    EXPECT_THAT(prompts.questions(), ElementsAre("知情同意?"));
    ASSERT_EQ(http.requests.size(), 2u);
    EXPECT_TRUE(sent(0).contains(R"("Token":"TOKEN-1","Agree":null,)"));
    EXPECT_TRUE(sent(1).contains(
        QStringLiteral(R"("Token":"TOKEN-2","Agree":%1,)").arg(QLatin1String(c.agree))))
        << sent(1).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Codes, Consent,
                         ::testing::Values(ConsentCase{"0401", Prompts::Answer::Yes, true, "true"},
                                           ConsentCase{"0401", Prompts::Answer::No, true, "false"},
                                           ConsentCase{"0401", Prompts::Answer::Closed, true,
                                                       "false"},
                                           ConsentCase{"A04", Prompts::Answer::Yes, true, "true"},
                                           ConsentCase{"04", Prompts::Answer::Yes, true, "true"},
                                           ConsentCase{"0040", Prompts::Answer::Yes, false, ""},
                                           ConsentCase{"A040", Prompts::Answer::Yes, false, ""},
                                           ConsentCase{"0", Prompts::Answer::Yes, false, ""},
                                           ConsentCase{"", Prompts::Answer::Yes, false, ""}));

TEST_F(AdultPrevent, EveryBufferStartsEmptySoNothingStaleIsSent) {
    http.answer(200, kOk);
    run();
    EXPECT_EQ(query.HCdata.HospID, "3501200000");

    // The next patient's calls fail: the earlier patient's values must not go out,
    // nor the basic data that shares its area with the preventive-care bytes.
    hpa.failing = {"csGetHospID", "csGetCardNo", "hisGetRegisterPrevent"};
    hpa.basic = FakeHealthPromotionLibrary::basicData("000012904817", "F129048179", "0550220");
    run();
    EXPECT_TRUE(sent(1).contains(R"("HospId":"","SamId":"","CardId":"000012904817")"))
        << sent(1).toStdString();
    EXPECT_TRUE(sent(1).contains(R"("RegisterPrevent":"")")) << sent(1).toStdString();
}

TEST_F(AdultPrevent, PreventLengthIsClampedToTheBuffer) {
    struct Case {
        int32_t reported;
        int chars;
    } cases[] = {{200, 126}, {-5, 0}, {5, 5}};
    hpa.prevent = QByteArray("AB  CD") + QByteArray(150, 'x');
    for (const Case& c : cases) {
        hpa.reportedPreventLength = c.reported;
        http.answer(200, kOk);
        run();
        EXPECT_EQ(query.HCdata.PreventData.size(), c.chars) << c.reported;
    }
    EXPECT_EQ(query.HCdata.PreventData, "AB  C");  // spaces inside are kept
}

TEST_F(AdultPrevent, NullTokenIsSentAsEmptyText) {
    hpa.tokens = {std::nullopt};
    http.answer(200, kOk);
    run();
    EXPECT_TRUE(sent(0).startsWith(R"({"Token":"","Agree":null,)"));
}

TEST_F(AdultPrevent, CardOrReaderThatCannotBeReadGivesNoCardData) {
    basicReads = false;
    EXPECT_EQ(run(), "讀不到健保卡資料");
    EXPECT_THAT(hpa.calls, IsEmpty());

    basicReads = true;
    hpa.openResult = 9205;
    EXPECT_EQ(run(), "讀不到健保卡資料");
    EXPECT_THAT(prompts.messages(), ElementsAre("無法開啟健保卡讀卡機"));
    EXPECT_THAT(hpa.calls, ElementsAre("csOpenCom(0)"));  // nothing to close
    EXPECT_TRUE(http.requests.empty());
}

TEST_F(AdultPrevent, AnswersThatAreNotUsable) {
    struct Case {
        const char* name;
        std::function<void(RecordingHttpTransport&)> serve;
        QStringList messages;
    };
    const QString badAnswer = QStringLiteral("成健資格查詢回應格式錯誤");
    const std::vector<Case> cases = {
        {"not JSON", [](auto& h) { h.answer(200, "<html>busy</html>"); }, {}},
        {"an array", [](auto& h) { h.answer(200, "[1,2]"); }, {}},
        {"empty body", [](auto& h) { h.answer(200, ""); }, {}},
        {"no status",
         [](auto& h) { h.answer(200, R"({"code":"00","description":"x"})"); },
         {badAnswer}},
        {"status as text",
         [](auto& h) { h.answer(200, R"({"status":"true","code":"00","description":"x"})"); },
         {badAnswer}},
        {"code as number",
         [](auto& h) { h.answer(200, R"({"status":true,"code":401,"description":"x"})"); },
         {badAnswer}},
        {"description null",
         [](auto& h) { h.answer(200, R"({"status":true,"code":"0401","description":null})"); },
         {badAnswer}},
        {"time-out", [](auto& h) { h.fail("連線逾時"); }, {"連線逾時"}},
        {"HTTP 500", [](auto& h) { h.answer(500, kOk); }, {"伺服器回應錯誤 HTTP 500"}},
    };
    for (const Case& c : cases) {
        RecordingHttpTransport h;
        RecordingPrompts p;
        AdultPreventQuery q(hpa, h, p);
        q.setHost("127.0.0.1:8444");
        c.serve(h);
        EXPECT_EQ(q.getAdultPrevent(readBasic), QString()) << c.name;
        EXPECT_EQ(p.messages(), c.messages) << c.name;
        EXPECT_EQ(h.requests.size(), 1u) << c.name << ": no consent round";
    }
}

TEST_F(AdultPrevent, EmptyDescriptionShowsNothing) {
    http.answer(200, R"({"status":true,"code":"00","description":""})");
    EXPECT_EQ(run(), QString());
    EXPECT_THAT(prompts.messages(), IsEmpty());
}

TEST_F(AdultPrevent, MissingHostOrLibraryIsSaidOncePerRun) {
    query.setHost(QString());
    EXPECT_EQ(run(), QString());
    EXPECT_EQ(run(), QString());
    EXPECT_THAT(prompts.messages(), ElementsAre(adult_prevent::kNoHost));

    RecordingPrompts p;
    AdultPreventQuery q(hpa, http, p);
    q.setHost("127.0.0.1:8444");
    hpa.loads = false;
    EXPECT_EQ(q.getAdultPrevent(readBasic), QString());
    EXPECT_EQ(q.getAdultPrevent(readBasic), QString());
    EXPECT_THAT(p.messages(), ElementsAre(adult_prevent::kNoLibrary));
    EXPECT_EQ(basicCalls, 0);
    EXPECT_TRUE(http.requests.empty());
}

}  // namespace
