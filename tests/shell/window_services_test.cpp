// "Read" from the window with both web services: the stand-in helper libraries of
// the demo folder and the loopback services, pinned by the settings' fingerprint.
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "card/health_promotion_library.h"
#include "cloud/vpn_addon.h"
#include "services_site.h"
#include "window_fixture.h"

namespace {

const QString kDemo = QStringLiteral(SERVICES_DEMO_DIR);

class WindowServices : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        // Every stand-in reads the card from this test's folder.
        qputenv("TOLVANE_SIM_DIR", dir.path().toLocal8Bit());
        installControlSoftware();
        for (const char* name : {"hospbsc.txt", "MX.sqlite", "ICD10CM.sqlite"})
            ASSERT_TRUE(QFile::copy(kDemo + "/" + name, path(name))) << name;
        server = std::make_unique<services::Server>(
            services::Options{kDemo + "/cloudsite-cert.pem", kDemo + "/cloudsite-key.pem",
                              kDemo + "/" + services::kFixtureFile, dir.path()});
        ASSERT_TRUE(server->start(0)) << server->error().toStdString();
        QFile fp(kDemo + "/cloudsite-cert.sha256");
        ASSERT_TRUE(fp.open(QIODevice::ReadOnly));
        writeEndpoints();
        ini().writeString("endpoints", "preventApiHost", server->host());
        ini().writeString("endpoints", "referralHost", server->host());
        ini().writeString("endpoints", "testCertSha256",
                          QString::fromLatin1(fp.readAll()).trimmed());
        healthPromotion = &hpa;
        vpnAddOn = &vpn;
    }
    void TearDown() override {
        WindowTest::TearDown();
        server->stop();
        qunsetenv("TOLVANE_SIM_DIR");
    }
    void insertCard(const char* key) {
        QFile f(path("sim-card.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(key) + '\n');
    }

    HpaBhpLibrary hpa{kDemo};
    CsHisXAddOn vpn{kDemo};
    std::unique_ptr<services::Server> server;
};

TEST_F(WindowServices, ReadShowsEligibilityAndReferralsAndASecondPatientIsAskedForConsent) {
    insertCard("demo");
    TFtolv& w = start();
    get<QRadioButton>("CICcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();

    EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());
    EXPECT_EQ(get<QLabel>("Cmsg3")->text(), "林雅婷 符合成人預防保健(40-64歲每3年1次)");
    EXPECT_EQ(get<QPlainTextEdit>("CrefMemo")->toPlainText(),
              "1151201 心臟內科 高血壓追蹤~~1151118 骨科, 腰痛複診");
    EXPECT_EQ(w.query().patient.sRef, "1151201 心臟內科 高血壓追蹤~~1151118 骨科, 腰痛複診");

    insertCard("male");
    prompts.scriptQuestion(Prompts::Answer::Yes);
    get<QPushButton>("Cread")->click();
    EXPECT_THAT(prompts.questions(), ::testing::ElementsAre("知情同意?"));
    EXPECT_EQ(get<QLabel>("Cmsg3")->text(), "陳志明 符合成人預防保健(65歲以上每年1次)");
    EXPECT_TRUE(get<QPlainTextEdit>("CrefMemo")->toPlainText().isEmpty());
    EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());
    EXPECT_TRUE(w.isEnabled());
}

}  // namespace
