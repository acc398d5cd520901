// The loopback site's own behaviour over HTTPS, without a browser: the switches
// that the browser tests cannot reach in reasonable time, and the session.
#include "cloud_site.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

namespace {

const QString kDemo = QStringLiteral(CLOUDSITE_DEMO_DIR);

struct SiteFixture : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<cloudsite::Site> site;
    std::unique_ptr<httplib::SSLClient> client;

    void SetUp() override {
        QFile::copy(QStringLiteral(CLOUD_TEST_FIXTURES "/sim-cards.json"),
                    QDir(dir.path()).filePath("sim-cards.json"));
        insert("first");
        site = std::make_unique<cloudsite::Site>(cloudsite::Options{
            QDir(kDemo).filePath("cloudsite-cert.pem"), QDir(kDemo).filePath("cloudsite-key.pem"),
            QDir(kDemo).filePath("cloud-records.json"), dir.path()});
        ASSERT_TRUE(site->start(0)) << site->error().toStdString();
        client = std::make_unique<httplib::SSLClient>("127.0.0.1", site->port());
        // The test certificate is its own issuer: trust exactly it.
        client->set_ca_cert_path(QDir(kDemo).filePath("cloudsite-cert.pem").toStdString().c_str());
        client->enable_server_certificate_verification(true);
        client->set_read_timeout(2, 0);
    }
    void TearDown() override { site->stop(); }

    void insert(const char* key) {
        QFile f(QDir(dir.path()).filePath("sim-card.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(key);
    }
    // Logs in; returns the session cookie ("" when the login went back to the portal).
    std::string login() {
        auto res = client->Get("/imu/IMUE1000/login");
        if (!res || res->status != 302) return {};
        const std::string cookie = res->get_header_value("Set-Cookie");
        return cookie.substr(0, cookie.find(';'));
    }
    std::string records(const std::string& cookie, int tab = 1) {
        auto res = client->Get(("/imu/IMUE1000/IMUE0008?tab=" + std::to_string(tab)).c_str(),
                               {{"Cookie", cookie}});
        return res && res->status == 200 ? res->body : std::string();
    }
};

TEST_F(SiteFixture, SessionFollowsTheCardInTheReader) {
    EXPECT_EQ(records("IMUSID=guess"), "");  // no session: back to the portal
    const std::string cookie = login();
    ASSERT_FALSE(cookie.empty());
    EXPECT_NE(records(cookie).find("B220715631"), std::string::npos);

    insert("second");
    EXPECT_NE(records(cookie).find("B220715631"), std::string::npos);  // until the button
    auto res = client->Get("/imu/IMUE1000/changecard", {{"Cookie", cookie}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 302);
    const std::string page = records(cookie);
    EXPECT_NE(page.find("F129048179"), std::string::npos);
    // No laboratory records: that tab cannot be opened.
    EXPECT_NE(page.find("title=\"檢查與檢驗\" class=\"disable\""), std::string::npos);
    // An open tab without records says so.
    EXPECT_NE(records(cookie, 2).find("個案查無資料"), std::string::npos);

    insert("none");
    EXPECT_EQ(login(), "");  // no card, no login
}

TEST_F(SiteFixture, ChangeOfCardSwitches) {
    const std::string cookie = login();
    ASSERT_FALSE(cookie.empty());
    insert("second");

    site->switches().changeIgnored = true;
    ASSERT_TRUE(client->Get("/imu/IMUE1000/changecard", {{"Cookie", cookie}}));
    EXPECT_NE(records(cookie).find("B220715631"), std::string::npos);  // still the first
    site->switches().changeIgnored = false;

    site->switches().changeDelayMs = 800;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(client->Get("/imu/IMUE1000/changecard", {{"Cookie", cookie}}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
    EXPECT_NE(records(cookie).find("F129048179"), std::string::npos);

    // A record page whose table never comes, and one still loading a hidden frame.
    insert("first");
    site->switches().changeDelayMs = 0;
    ASSERT_TRUE(client->Get("/imu/IMUE1000/changecard", {{"Cookie", cookie}}));
    site->switches().noTable = true;
    site->switches().staleLoadMs = 500;
    const std::string page = records(cookie);
    EXPECT_EQ(page.find("TableDiv"), std::string::npos);
    EXPECT_EQ(page.find("個案查無資料"), std::string::npos);
    EXPECT_NE(page.find("/imu/IMUE1000/slow"), std::string::npos);
}

TEST_F(SiteFixture, LoginSwitchAndAStartPageThatNeverAnswers) {
    site->switches().loginFails = true;
    EXPECT_EQ(login(), "");
    site->switches().loginFails = false;
    EXPECT_NE(login(), "");

    site->switches().neverLoads = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client->Get("/imu/IMUE1000/"));  // our 2 s read time-out
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    // Stopping releases the held answer at once.
    const auto stopStart = std::chrono::steady_clock::now();
    site->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopStart, std::chrono::seconds(5));
}

}  // namespace
