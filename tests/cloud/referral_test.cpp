// The referral query against in-process doubles: request bytes, the service
// description, SOAP replies, the reply's record fields and the VPN add-on
// component's values, failures included.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QXmlStreamReader>

#include "cloud/referral_documents.h"
#include "cloud/referral_query.h"
#include "fake_services.h"
#include "qstring_printer.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"
#include "virtual_clock.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

QByteArray description(const QString& location, const QString& port = "IPIE0000S01Soap") {
    return QStringLiteral(
               R"(<?xml version="1.0" encoding="utf-8"?>)"
               R"(<wsdl:definitions xmlns:wsdl="http://schemas.xmlsoap.org/wsdl/" )"
               R"(xmlns:soap="http://schemas.xmlsoap.org/wsdl/soap/" )"
               R"(xmlns:soap12="http://schemas.xmlsoap.org/wsdl/soap12/" targetNamespace="http://localhost/">)"
               R"(<wsdl:service name="IPIE0000S01">)"
               R"(<wsdl:port name="IPIE0000S01Soap12" binding="tns:IPIE0000S01Soap12">)"
               R"(<soap12:address location="https://wrong.example/12" /></wsdl:port>)"
               R"(<wsdl:port name="%2" binding="tns:IPIE0000S01Soap">)"
               R"(<soap:address location="%1" /></wsdl:port>)"
               R"(</wsdl:service></wsdl:definitions>)")
        .arg(location, port)
        .toUtf8();
}

QByteArray soapReply(const QString& resultText) {
    return QStringLiteral(R"(<?xml version="1.0" encoding="utf-8"?><soap:Envelope )"
                          R"(xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body>)"
                          R"(<GetRefDataResponse xmlns="http://localhost/"><GetRefDataResult>%1)"
                          R"(</GetRefDataResult></GetRefDataResponse></soap:Body></soap:Envelope>)")
        .arg(resultText.toHtmlEscaped())
        .toUtf8();
}

// The request JSON inside a posted envelope, as the service reads it.
QByteArray sentJson(const HttpRequest& post) {
    QXmlStreamReader r(post.body);
    while (r.readNextStartElement() || !r.atEnd()) {
        if (r.isStartElement() && r.name() == QLatin1String("json"))
            return r.readElementText().toUtf8();
        if (r.hasError()) break;
    }
    return QByteArray();
}

const QString kEndpoint = QStringLiteral("https://127.0.0.1:8445/ipie0000/IPIE0000S01.asmx");

struct Referral : ::testing::Test {
    FakeVpnAddOn vpn;
    RecordingHttpTransport http;
    RecordingPrompts prompts;
    RecordingStatusSink status;
    VirtualClock clock;
    ReferralQuery query{vpn, http, prompts, status, clock};
    treadCard patient;
    // The service's answers: the description, then the replies in turn.
    QByteArray wsdl = description(kEndpoint);
    std::vector<HttpResponse> replies;

    Referral() {
        query.setHost("127.0.0.1:8445");
        patient.A12ID = "B220715631";
        patient.A16SAMID = "SAM-FROM-CARD";
        http.handler = [this](const HttpRequest& r) {
            HttpResponse a;
            a.completed = true;
            a.status = 200;
            if (r.method == "GET") {
                a.body = wsdl;
            } else if (!replies.empty()) {
                a = replies.front();
                if (replies.size() > 1) replies.erase(replies.begin());
            }
            return a;
        };
    }
    void reply(const QString& json) {
        HttpResponse a;
        a.completed = true;
        a.status = 200;
        a.body = soapReply(json);
        replies = {a};
    }
    std::optional<QString> run() { return query.GetRefDataJSON("3501200000", patient); }
    std::vector<HttpRequest> posts() const {
        std::vector<HttpRequest> p;
        for (const HttpRequest& r : http.requests)
            if (r.method == "POST") p.push_back(r);
        return p;
    }
};

TEST_F(Referral, RequestBytes) {
    reply(R"({"sub":null})");
    EXPECT_EQ(run(), QString());

    ASSERT_EQ(http.requests.size(), 2u);
    EXPECT_EQ(http.requests[0].method, "GET");
    EXPECT_EQ(http.requests[0].url.toString(),
              "https://127.0.0.1:8445/ipie0000/IPIE0000S01.asmx?wsdl");
    const HttpRequest& post = http.requests[1];
    EXPECT_EQ(post.url.toString(), kEndpoint);
    EXPECT_THAT(
        post.headers,
        ElementsAre(
            qMakePair(QByteArray("Content-Type"), QByteArray("text/xml; charset=utf-8")),
            qMakePair(QByteArray("SOAPAction"), QByteArray("\"http://localhost/GetRefData\""))));
    const QByteArray json =
        R"({"sHospId":"3501200000","sPatId":"B220715631","sType":"","sRefSeq":"","sHospSeq":"",)"
        R"("sCardId":"000011870235","sClientRandom":"RANDOM-1","sSignature":"SIGNED-1",)"
        R"("sSamId":"099000035012"})";
    EXPECT_EQ(
        post.body.toStdString(),
        (QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>)"
                    R"(<soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/">)"
                    R"(<soap:Body><GetRefData xmlns="http://localhost/"><json>)") +
         QString::fromUtf8(json).toHtmlEscaped().toUtf8() +
         "</json></GetRefData></soap:Body></soap:Envelope>\n")
            .toStdString());
    EXPECT_EQ(sentJson(post), json);
    EXPECT_THAT(vpn.calls,
                ElementsAre("GetAllCardsInfoInCS", "VPNGetRandomX", "VPNH_SignX(RANDOM-1,1,90)"));
    EXPECT_EQ(vpn.created, 1);
    EXPECT_EQ(vpn.released, 1);
}

TEST_F(Referral, ValuesAreEscapedForJsonAndThenForXml) {
    patient.A12ID = R"(A1"</json><x>&)";
    reply(R"({"sub":null})");
    run();
    EXPECT_TRUE(sentJson(posts().at(0)).contains(R"("sPatId":"A1\"</json><x>&",)"))
        << posts().at(0).body.toStdString();
}

TEST_F(Referral, ReplyTexts) {
    struct Case {
        const char* name;
        QString json;
        std::optional<QString> text;
    };
    const QString twelve = "A1,2,3,4,5,6,7,8,9,10,11,12";
    const QString nine = "B1,2,3,4,5,6,7,8,9";
    const std::vector<Case> cases = {
        {"sub null", R"({"sub":null})", QString()},
        {"sub text null", R"({"sub":"NuLL"})", QString()},
        {"12 and 9 fields",
         QStringLiteral(R"({"sub":[{"oEtData":"%1"},{"oEtData":"%2"}]})").arg(twelve, nine), "A1"},
        {"two used",
         QStringLiteral(R"({"sub":[{"oEtData":"%1"},{"oEtData":"%2"}]})")
             .arg(twelve, QString(twelve).replace("A1", "C3")),
         "A1~~C3"},
        {"quoted comma", R"({"sub":[{"oEtData":"\"轉診, 台北\",2,3,4,5,6,7,8,9,10"}]})",
         "轉診, 台北"},
        {"empty sub", R"({"sub":[]})", QString()},
        {"not JSON", "<html/>", std::nullopt},
        {"no sub", R"({"subs":[]})", std::nullopt},
        {"sub an object", R"({"sub":{}})", std::nullopt},
        {"entry without oEtData", QStringLiteral(R"({"sub":[{"oEtData":"%1"},{}]})").arg(twelve),
         std::nullopt},
        {"oEtData a number", R"({"sub":[{"oEtData":5}]})", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(referral::referralText(c.json), c.text) << c.name;
}

TEST(ReferralFields, SplitAtCommasWithQuotedFields) {
    struct Case {
        QString text;
        QStringList fields;
    } cases[] = {
        {"a,b,,c", {"a", "b", "", "c"}},
        {"", {""}},
        {R"("x,y",z)", {"x,y", "z"}},
        {R"("say ""hi""",z)", {R"(say "hi")", "z"}},
        {R"("unclosed,runs,to the end)", {"unclosed,runs,to the end"}},
        {R"("q"tail,z)", {"qtail", "z"}},
        {R"(a"b,c)", {R"(a"b)", "c"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(referral::splitFields(c.text), c.fields) << c.text.toStdString();
}

TEST(ReferralSoap, RepliesWithoutAResult) {
    const QByteArray fault =
        R"(<soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body>)"
        R"(<soap:Fault><faultcode>soap:Server</faultcode><faultstring>boom</faultstring>)"
        R"(</soap:Fault></soap:Body></soap:Envelope>)";
    const QByteArray noResult =
        R"(<soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body>)"
        R"(<GetRefDataResponse xmlns="http://localhost/"/></soap:Body></soap:Envelope>)";
    const QByteArray notEnvelope = R"(<GetRefDataResult>{"sub":null}</GetRefDataResult>)";
    const QByteArray cut = soapReply(R"({"sub":null})").left(150);
    for (const QByteArray& r : {fault, noResult, notEnvelope, cut, QByteArray("{}"), QByteArray()})
        EXPECT_EQ(referral::soapResult(r), std::nullopt) << r.toStdString();
    EXPECT_EQ(referral::soapResult(soapReply(R"({"a":"<&>"})")), R"({"a":"<&>"})");
}

TEST_F(Referral, DescriptionDecidesTheEndpointAndIsKeptAfterAGoodFetchOnly) {
    struct Case {
        const char* name;
        QByteArray wsdl;
    };
    const std::vector<Case> refused = {
        {"http address", description("http://127.0.0.1:8445/ipie0000/IPIE0000S01.asmx")},
        {"other port only", description(kEndpoint, "OtherSoap")},
        {"not XML", "<wsdl:definitions"},
        {"no address", description("")},
    };
    reply(R"({"sub":null})");
    for (const Case& c : refused) {
        wsdl = c.wsdl;
        EXPECT_EQ(run(), std::nullopt) << c.name;
    }
    EXPECT_TRUE(posts().empty()) << "nothing goes to an endpoint that is not https";
    EXPECT_EQ(http.requests.size(), refused.size()) << "each query fetched it again";

    wsdl = description(kEndpoint);
    EXPECT_EQ(run(), QString());
    EXPECT_EQ(run(), QString());
    EXPECT_EQ(http.requests.size(), refused.size() + 3) << "one more description, two posts";
}

TEST_F(Referral, ServiceFailuresGiveNothingSilently) {
    HttpResponse fault;
    fault.completed = true;
    fault.status = 500;
    fault.body = "<soap:Envelope/>";
    HttpResponse timeout;
    timeout.error = "time-out";
    for (const HttpResponse& r : {fault, timeout}) {
        replies = {r};
        EXPECT_EQ(run(), std::nullopt);
    }
    EXPECT_THAT(prompts.messages(), IsEmpty());
    // The hourglass went on and off around each call.
    EXPECT_EQ(status.history, QStringList({"busy", "idle", "busy", "idle"}));
    EXPECT_FALSE(status.busy);
}

TEST_F(Referral, PreviousPatientsValuesNeverGoOut) {
    reply(R"({"sub":null})");
    run();
    EXPECT_EQ(query.CardId, "000011870235");

    vpn.creatable = false;
    run();
    EXPECT_TRUE(sentJson(posts().at(1))
                    .contains(R"("sCardId":"","sClientRandom":"","sSignature":"","sSamId":"")"))
        << posts().at(1).body.toStdString();
    EXPECT_THAT(prompts.messages(), IsEmpty());
}

TEST_F(Referral, ComponentAnswersDecideWhatIsSent) {
    struct Case {
        const char* name;
        std::function<void(FakeVpnAddOn&)> set;
        bool posted;
        QStringList messages;
        const char* sent;  // part of the request JSON
    };
    const QString listError = ReferralQuery::kCardListError;
    const std::vector<Case> cases = {
        {"empty list",
         [](auto& v) { v.cardList = QString(); },
         true,
         {listError},
         R"("sCardId":"","sClientRandom":"RANDOM-1","sSignature":"SIGNED-1","sSamId":"SAM-FROM-CARD")"},
        {"list call fails",
         [](auto& v) { v.cardList.reset(); },
         true,
         {listError},
         R"("sCardId":"","sClientRandom":"","sSignature":"","sSamId":"")"},
        {"random fails",
         [](auto& v) { v.random.reset(); },
         true,
         {},
         R"("sCardId":"000011870235","sClientRandom":"","sSignature":"","sSamId":"099000035012")"},
        {"random rewritten by the signing",
         [](auto& v) { v.rewrittenRandom = QStringLiteral("RANDOM-2"); },
         true,
         {},
         R"("sClientRandom":"RANDOM-2","sSignature":"SIGNED-1")"},
        {"not JSON", [](auto& v) { v.cardList = QStringLiteral("garbage"); }, false, {}, ""},
        {"empty SAM list",
         [](auto& v) {
             v.cardList = QStringLiteral(
                 R"({"AllCardsInfoInCS":{"SAM":[],"HC":[{"CARD_ID":"000011870235"}]}})");
         },
         false,
         {},
         ""},
        {"no HC",
         [](auto& v) {
             v.cardList = QStringLiteral(R"({"AllCardsInfoInCS":{"SAM":[{"CARD_ID":"1"}]}})");
         },
         false,
         {},
         ""},
        {"card ID a number",
         [](auto& v) {
             v.cardList = QStringLiteral(
                 R"({"AllCardsInfoInCS":{"SAM":[{"CARD_ID":1}],"HC":[{"CARD_ID":"2"}]}})");
         },
         false,
         {},
         ""},
    };
    for (const Case& c : cases) {
        FakeVpnAddOn v;
        c.set(v);
        RecordingHttpTransport h;
        h.handler = http.handler;
        RecordingPrompts p;
        ReferralQuery q(v, h, p, status, clock);
        q.setHost("127.0.0.1:8445");
        reply(R"({"sub":null})");
        const std::optional<QString> text = q.GetRefDataJSON("3501200000", patient);
        EXPECT_EQ(text.has_value(), c.posted) << c.name;
        EXPECT_EQ(p.messages(), c.messages) << c.name;
        EXPECT_EQ(v.created, v.released) << c.name;
        const bool posted = std::any_of(h.requests.begin(), h.requests.end(),
                                        [](const HttpRequest& r) { return r.method == "POST"; });
        EXPECT_EQ(posted, c.posted) << c.name;
        if (posted) {
            EXPECT_TRUE(sentJson(h.requests.back()).contains(c.sent)) << c.name;
        }
    }
}

TEST_F(Referral, MissingHostIsSaidOnce) {
    query.setHost(QString());
    EXPECT_EQ(run(), std::nullopt);
    EXPECT_EQ(run(), std::nullopt);
    EXPECT_THAT(prompts.messages(), ElementsAre(ReferralQuery::kNoHost));
    EXPECT_TRUE(http.requests.empty());
    EXPECT_EQ(vpn.created, 0);
}

}  // namespace
