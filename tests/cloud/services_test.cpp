// Both web-service queries end to end on loopback: the production HTTP transport
// with the pinned test certificate, the stand-in libraries of the demo folder
// loaded by the production loaders, and the stand-in services with their switches.
// Time-outs are set short; no test waits long.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QTemporaryDir>

#include "card/adult_prevent.h"
#include "card/hpabhp_library.h"
#include "cloud/qt_http_transport.h"
#include "cloud/referral_documents.h"
#include "cloud/referral_query.h"
#include "cloud/cshisx_addon.h"
#include "qstring_printer.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"
#include "services_site.h"
#include "virtual_clock.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const QString kDemo = QStringLiteral(SERVICES_DEMO_DIR);
constexpr int kShortTimeoutMs = 400;

QString pinnedFingerprint() {
    QFile f(QDir(kDemo).filePath("cloudsite-cert.sha256"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).trimmed() : QString();
}

struct Services : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<services::Server> server;
    QtHttpTransport http{kShortTimeoutMs};
    HpaBhpLibrary hpa{kDemo};
    CsHisXAddOn vpn{kDemo};
    RecordingPrompts prompts;
    RecordingStatusSink status;
    VirtualClock clock;
    AdultPreventQuery prevent{hpa, http, prompts};
    ReferralQuery referral{vpn, http, prompts, status, clock};
    treadCard patient;

    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QStringLiteral(CSHIS_FIXTURE), dir.filePath("sim-cards.json")));
        qputenv("TOLVANE_SIM_DIR", dir.path().toLocal8Bit());
        insert("demo");
        ASSERT_TRUE(start("cloudsite"));
        http.setTrustedCertificateFingerprint(pinnedFingerprint());
    }
    void TearDown() override {
        server->stop();
        qunsetenv("TOLVANE_SIM_DIR");
    }
    bool start(const QString& cert) {
        if (server) server->stop();
        server = std::make_unique<services::Server>(services::Options{
            QDir(kDemo).filePath(cert + "-cert.pem"), QDir(kDemo).filePath(cert + "-key.pem"),
            QDir(kDemo).filePath(services::kFixtureFile), dir.path()});
        if (!server->start(0)) {
            ADD_FAILURE() << server->error().toStdString();
            return false;
        }
        prevent.setHost(server->host());
        referral.setHost(server->host());
        return true;
    }
    void insert(const char* key) { write("sim-card.txt", key); }
    void write(const char* file, const QByteArray& text) {
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    // The patient of the inserted card as the program has it after the basic data.
    bool readBasic() {
        patient.A12ID = QFile::exists(dir.filePath("sim-card.txt")) ? cardId() : QString();
        return !patient.A12ID.isEmpty();
    }
    QString cardId() const {
        QFile f(dir.filePath("sim-card.txt"));
        f.open(QIODevice::ReadOnly);
        return f.readAll().trimmed() == "male" ? "F129048179" : "B220715631";
    }
    QString eligibility() {
        return prevent.getAdultPrevent([this] { return readBasic(); });
    }
    std::optional<QString> referrals() {
        readBasic();
        return referral.GetRefDataJSON("3501200000", patient);
    }
    QStringList paths() const {
        QStringList p;
        for (const services::Recorded& r : server->recorded())
            p << QStringLiteral("%1 %2 %3").arg(r.method, r.target).arg(r.status);
        return p;
    }
};

TEST_F(Services, DemoPatientGetsEligibilityAndReferrals) {
    EXPECT_EQ(eligibility(), "符合成人預防保健(40-64歲每3年1次)");
    EXPECT_EQ(referrals(), "1151201 心臟內科 高血壓追蹤~~1151118 骨科, 腰痛複診");
    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_THAT(paths(), ElementsAre("POST /bhpApi/api/All/Valid 200",
                                     "GET /ipie0000/IPIE0000S01.asmx?wsdl 200",
                                     "POST /ipie0000/IPIE0000S01.asmx 200"));
    // What went out: the library's values of the inserted card, in code page 950.
    const services::Recorded api = server->recorded().first();
    EXPECT_TRUE(api.body.contains(
        R"("Person":{"HospId":"3501200000","SamId":"099000035012","CardId":"000011870235",)"
        R"("Birth":"0690815","Pid":"B220715631","RegisterPrevent":")"))
        << api.body.toStdString();
    EXPECT_FALSE(status.busy);
}

TEST_F(Services, ConsentRoundGoesOutWithANewToken) {
    insert("male");
    struct Case {
        Prompts::Answer answer;
        const char* shown;
    } cases[] = {{Prompts::Answer::Yes, "符合成人預防保健(65歲以上每年1次)"},
                 {Prompts::Answer::Closed, "民眾未同意,無法查詢資格"}};
    for (const Case& c : cases) {
        server->clearRecorded();
        prompts.scriptQuestion(c.answer);
        EXPECT_EQ(eligibility(), c.shown);
        const QList<services::Recorded> sent = server->recorded();
        ASSERT_EQ(sent.size(), 2);
        EXPECT_EQ(sent[1].status, 200) << "the stand-in refuses a token used twice";
    }
    EXPECT_THAT(prompts.questions(), ElementsAre("知情同意?", "知情同意?"));
    EXPECT_EQ(referrals(), QString()) << "sub null";
}

TEST_F(Services, EverySwitchEndsAsDocumentedWithoutWaitingLong) {
    struct Case {
        const char* name;
        QByteArray switchText;
        // Eligibility: the text and whether a message was shown.
        QString shown;
        bool said;
        bool referralFails;
    };
    const QString ok = QStringLiteral("符合成人預防保健(40-64歲每3年1次)");
    const std::vector<Case> cases = {
        {"http404", "http404", "", true, true},
        {"http500", "http500", "", true, true},
        {"not-json", "not-json", "", false, true},
        {"wrong-types", "wrong-types", "", true, true},
        {"soap-fault", "soap-fault", ok, false, true},
        {"no-result", "no-result", ok, false, true},
        {"slow", "slow 1500", "", true, true},
        {"no-reply", "no-reply", "", true, true},
        {"cut-body", "cut-body", "", true, true},
        {"no-description", "no-description", ok, false, true},
        {"http-description", "http-description", ok, false, true},
        {"huge", "huge", "", true, true},  // valid, only too long
    };
    for (const Case& c : cases) {
        write(services::kSwitchFile, c.switchText);
        RecordingPrompts p;
        AdultPreventQuery q(hpa, http, p);
        q.setHost(server->host());
        ReferralQuery r(vpn, http, p, status, clock);
        r.setHost(server->host());
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(q.getAdultPrevent([this] { return readBasic(); }), c.shown) << c.name;
        EXPECT_EQ(p.messages().size(), c.said ? 1 : 0)
            << c.name << ": " << p.messages().join(" / ").toStdString();
        readBasic();
        EXPECT_EQ(r.GetRefDataJSON("3501200000", patient).has_value(), !c.referralFails) << c.name;
        EXPECT_LT(t.elapsed(), 4 * kShortTimeoutMs + 1000) << c.name;
        EXPECT_FALSE(status.busy) << c.name;
    }
    write(services::kSwitchFile, "");
    EXPECT_TRUE(referrals().has_value()) << "the endpoint was never cached from a bad description";
}

TEST_F(Services, CertificateMustBeThePinnedOne) {
    // Served with a certificate nobody pinned.
    ASSERT_TRUE(start("services-unpinned"));
    EXPECT_EQ(eligibility(), QString());
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(referrals(), std::nullopt);

    // The right server with a wrong fingerprint configured.
    ASSERT_TRUE(start("cloudsite"));
    http.setTrustedCertificateFingerprint(QString(64, u'A'));
    EXPECT_EQ(referrals(), std::nullopt);
    EXPECT_TRUE(server->recorded().isEmpty()) << "nothing reached the server";

    http.setTrustedCertificateFingerprint(pinnedFingerprint());
    EXPECT_TRUE(referrals().has_value());

    // Plain http is refused before anything is sent.
    HttpRequest plain;
    plain.url =
        QUrl(QStringLiteral("http://%1/ipie0000/IPIE0000S01.asmx?wsdl").arg(server->host()));
    server->clearRecorded();
    const HttpResponse refused = http.exchange(plain);
    EXPECT_FALSE(refused.completed);
    EXPECT_FALSE(refused.error.isEmpty());
    EXPECT_TRUE(server->recorded().isEmpty());
}

TEST_F(Services, SmallAnswerHoldsNoBufferOfTheCapsSize) {
    // Taking each chunk with a read of the whole remaining cap set aside 4 MiB (and
    // on growth 8 MiB) per chunk, and the answer kept that buffer.
    HttpRequest wsdl;
    wsdl.url =
        QUrl(QStringLiteral("https://%1/ipie0000/IPIE0000S01.asmx?wsdl").arg(server->host()));
    const HttpResponse answer = http.exchange(wsdl);
    ASSERT_TRUE(answer.completed) << answer.error.toStdString();
    ASSERT_FALSE(answer.body.isEmpty());
    EXPECT_LT(answer.body.capacity(), 4 * answer.body.size() + 64 * 1024);
}

TEST_F(Services, StandInRejectsValuesNotOfTheInsertedCard) {
    // Values read for one card, the card swapped before the request goes out.
    readBasic();
    ASSERT_TRUE(hpa.load());
    ASSERT_TRUE(prevent.GetHcData([] { return true; }));
    insert("male");
    EXPECT_EQ(prevent.RequestApiX("/All/Valid")->Description, QString());
    EXPECT_EQ(server->recorded().last().status, 400);

    insert("demo");
    referral.getPTsignature("1", "90", patient);
    referral::Request request;
    request.sHospId = "3501200000";
    request.sPatId = "B220715631";
    request.sCardId = referral.CardId;
    request.sClientRandom = referral.ClientRandom;
    request.sSignature = referral.Signature;
    request.sSamId = referral.SamId;
    EXPECT_TRUE(referral.GetRefData(QString::fromUtf8(referral::requestJson(request))).has_value());
    request.sSignature[0] = request.sSignature[0] == u'0' ? u'1' : u'0';
    EXPECT_EQ(referral.GetRefData(QString::fromUtf8(referral::requestJson(request))), std::nullopt);
    EXPECT_EQ(server->recorded().last().status, 500);
}

TEST_F(Services, HelperLibrarySwitches) {
    ASSERT_TRUE(hpa.load()) << hpa.loadError().toStdString();
    char area[256];
    int32_t length = 126;

    write("hpabhp-switches.txt", "open-fails\nnull-token\nlong-prevent\nfail csGetHospID");
    EXPECT_EQ(hpa.csOpenCom(0), 9205);
    EXPECT_EQ(hpa.GetBhpApiToken(), std::nullopt);
    std::memset(area, 'Z', sizeof area);
    EXPECT_NE(hpa.csGetHospID(area, &length), 0);
    EXPECT_EQ(area[0], 'Z') << "a failing call leaves its buffer";
    length = 126;
    EXPECT_EQ(hpa.hisGetRegisterPrevent(area, &length), 0);
    EXPECT_EQ(length, 300);

    write("hpabhp-switches.txt", "");
    EXPECT_EQ(hpa.csOpenCom(0), 0);
    const std::optional<QByteArray> token = hpa.GetBhpApiToken();
    ASSERT_TRUE(token.has_value());
    EXPECT_TRUE(token->startsWith("BHP-"));
    length = 72;
    EXPECT_EQ(hpa.hisGetBasicData(area, &length), 0);
    EXPECT_EQ(QByteArray(area + 32, 10), "B220715631");
}

TEST_F(Services, ComponentSwitches) {
    struct Case {
        QByteArray switchText;
        bool creatable;
        std::optional<QString> list;  // "*" for any non-empty text
        bool randomWorks;
    } cases[] = {
        {"not-creatable", false, std::nullopt, false},
        {"empty-list", true, QString(), true},
        {"malformed-list", true, "*", true},
        {"fail GetAllCardsInfoInCS", true, std::nullopt, true},
        {"fail VPNGetRandomX", true, "*", false},
        // A length of INT_MAX: one byte more would overflow the buffer size.
        {"huge-length GetAllCardsInfoInCS", true, std::nullopt, true},
        {"huge-length VPNGetRandomX", true, "*", false},
    };
    for (const Case& c : cases) {
        write("vpnaddon-switches.txt", c.switchText);
        std::unique_ptr<VpnAddOnSession> s = vpn.create();
        ASSERT_EQ(s != nullptr, c.creatable) << c.switchText.constData();
        if (!s) continue;
        const std::optional<QString> list = s->GetAllCardsInfoInCS();
        EXPECT_EQ(list.has_value(), c.list.has_value()) << c.switchText.constData();
        if (list && c.list && *c.list != "*") {
            EXPECT_EQ(*list, *c.list);
        }
        EXPECT_EQ(s->VPNGetRandomX().has_value(), c.randomWorks) << c.switchText.constData();
    }
    write("vpnaddon-switches.txt", "huge-length VPNH_SignX");
    QString random = QStringLiteral("RND1");
    EXPECT_EQ(vpn.create()->VPNH_SignX(random, "1", "90"), std::nullopt);

    write("vpnaddon-switches.txt", "empty-array");
    const auto list = vpn.create()->GetAllCardsInfoInCS();
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(referral::parseCardList(*list), std::nullopt) << list->toStdString();

    // Every component made was released again.
    QLibrary lib(QDir(kDemo).filePath("CsHisX"));
    const auto live = reinterpret_cast<int (*)()>(lib.resolve("vpnLiveComponents"));
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live(), 0);
}

}  // namespace
