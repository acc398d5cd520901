// The cloud read with the real browser engine against the loopback site.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QWebEngineCertificateError>
#include <QWebEngineLoadingInfo>
#include <QWidget>

#include "cloud/browser_driver.h"
#include "cloud/edge_chart.h"
#include "cloud/webengine_browser_view.h"
#include "cloud_site.h"
#include "common/clock.h"
#include "qstring_printer.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"
#include "test_certificate.h"

namespace {

const QString kDemo = QStringLiteral(CLOUDSITE_DEMO_DIR);

QString fingerprint() {
    QFile f(QDir(kDemo).filePath("cloudsite-cert.sha256"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).trimmed() : QString();
}

// The record text a correct read makes of the fixture's rows: the page drops
// double quotes, and a line break inside a cell of any column but the last shows
// as ">".
QString expectedRecords(const QJsonArray& columns, const QJsonArray& rows) {
    QString out;
    for (const QJsonValue& row : rows) {
        out += "<D>";
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QString name = columns.at(c).toString();
            QString v = row.toArray().at(c).toString();
            v.remove(u'"');
            v.replace(u'\n', u'>');
            out += "<" + name + ">" + v + "</" + name + ">";
        }
        out += "</D>";
    }
    return out;
}

QStringList rowsOf(const QString& records) {
    QStringList rows = records.split("</D>");
    rows.removeAll(QString());
    return rows;
}

struct CloudBrowser : ::testing::Test {
    QTemporaryDir dir;  // card state, profile, program folder
    QJsonObject fixture;
    std::unique_ptr<cloudsite::Site> site;
    QWidget window;
    std::unique_ptr<WebEngineBrowser> browser;
    RecordingPrompts prompts;
    RecordingStatusSink status;
    std::unique_ptr<BrowserDriver> driver;
    EdgeChartSettings settings;
    std::unique_ptr<EdgeChartLoader> loader;
    QString sDrug, sLab;
    QString patient;  // the ID of the card in the reader

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile::copy(QStringLiteral(CLOUD_TEST_FIXTURES "/sim-cards.json"),
                    QDir(dir.path()).filePath("sim-cards.json"));
        insert("first");
        QString error;
        fixture = cloudsite::Site::loadFixture(QDir(kDemo).filePath("cloud-records.json"), &error);
        ASSERT_FALSE(fixture.isEmpty()) << error.toStdString();
        site = std::make_unique<cloudsite::Site>(cloudsite::Options{
            QDir(kDemo).filePath("cloudsite-cert.pem"), QDir(kDemo).filePath("cloudsite-key.pem"),
            QDir(kDemo).filePath("cloud-records.json"), dir.path()});
        site->switches().pageDelayMs = 150;
        ASSERT_TRUE(site->start(0)) << site->error().toStdString();

        browser = std::make_unique<WebEngineBrowser>(&window, dir.filePath("profile"));
        browser->setTrustedCertificateFingerprint(fingerprint());
        driver = std::make_unique<BrowserDriver>(*browser, systemClock(), status);
        settings.URLaddr = QUrl(site->startAddress());
        settings.appPath = dir.path();
        settings.errorFileFolder = dir.path();
        loader =
            std::make_unique<EdgeChartLoader>(*driver, systemClock(), prompts, status, settings);
    }
    void TearDown() override {
        loader.reset();
        driver.reset();
        browser.reset();
        if (site) site->stop();
        // The engine lets go of the profile's files a little after the page is gone.
        for (int i = 0; i < 10 && !dir.remove(); ++i) Delay(systemClock(), 200);
    }

    void insert(const char* key) {
        QFile f(QDir(dir.path()).filePath("sim-card.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(key);
        patient = QString(key) == "first" ? "B220715631" : "F129048179";
    }
    QString expected(const char* patient, const char* kind) const {
        const QJsonObject p = fixture.value("patients").toObject().value(patient).toObject();
        return expectedRecords(
            fixture.value(QString(kind) == "drug" ? "drugColumns" : "labColumns").toArray(),
            p.value(kind).toArray());
    }
};

TEST_F(CloudBrowser, FullReadThenTheNextCardThenADirectRead) {
    ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join("|").toStdString();
    EXPECT_EQ(rowsOf(sDrug).size(), 26);
    EXPECT_EQ(rowsOf(sDrug), rowsOf(expected("B220715631", "drug")));
    EXPECT_EQ(rowsOf(sLab), rowsOf(expected("B220715631", "lab")));
    EXPECT_TRUE(sLab.contains("<檢驗結果>2+</檢驗結果>"));
    EXPECT_TRUE(QFile::exists(dir.filePath("check.log")));

    // The next patient: the site is still logged in, the change-card button
    // takes the card now in the reader; this one has no laboratory records.
    insert("second");
    ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
    EXPECT_EQ(rowsOf(sDrug), rowsOf(expected("F129048179", "drug")));
    EXPECT_EQ(sLab, "");
    EXPECT_TRUE(prompts.messages().isEmpty());

    // The page is open: a direct read takes the same tables without logging in.
    ASSERT_TRUE(loader->loadEdgeChartNoLogin(patient, sDrug, sLab));
    EXPECT_EQ(rowsOf(sDrug), rowsOf(expected("F129048179", "drug")));
    EXPECT_EQ(sLab, "");
}

// The same record text to the byte; on a difference only the row counts are shown.
::testing::AssertionResult sameText(const QString& got, const QString& want) {
    if (got == want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << rowsOf(got).size() << " rows differ from " << rowsOf(want).size() << " rows";
}

TEST_F(CloudBrowser, FastReadGivesTheSameRecordTextAsTheDefaultRead) {
    // Logging in with the fast pacing, then the default read of the same card.
    settings.fastRead = true;
    ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join("|").toStdString();
    const QString fastDrug = sDrug, fastLab = sLab;
    settings.fastRead = false;
    ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
    EXPECT_EQ(rowsOf(sDrug), rowsOf(expected("B220715631", "drug")));
    EXPECT_EQ(rowsOf(sLab), rowsOf(expected("B220715631", "lab")));
    EXPECT_TRUE(sameText(fastDrug, sDrug));
    EXPECT_TRUE(sameText(fastLab, sLab));

    // The next read of the logged-in site, with pages that take a second to
    // repaint, and a direct read of the page it leaves open.
    settings.fastRead = true;
    site->switches().pageDelayMs = 1000;
    QString drug, lab;
    ASSERT_TRUE(loader->loadEdgeChart(patient, drug, lab));
    EXPECT_TRUE(sameText(drug, sDrug));
    EXPECT_TRUE(sameText(lab, sLab));
    drug.clear();
    lab.clear();
    ASSERT_TRUE(loader->loadEdgeChartNoLogin(patient, drug, lab));
    EXPECT_TRUE(sameText(drug, sDrug));
    EXPECT_TRUE(sameText(lab, sLab));
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join("|").toStdString();
}

TEST_F(CloudBrowser, ChangeOfCardThatComesLateOrNever) {
    ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
    const QString first = patient;

    // The site ignores the click: the first patient's page is not read as the second's.
    insert("second");
    site->switches().changeIgnored = true;
    sDrug.clear();
    EXPECT_FALSE(loader->loadEdgeChart(patient, sDrug, sLab));
    EXPECT_EQ(prompts.messages(), QStringList{EdgeChartLoader::mismatchMessage(first, patient)});
    EXPECT_EQ(sDrug, "");
    site->switches().changeIgnored = false;

    // The new card is taken 1.5 s after the click; the old page stays meanwhile.
    prompts.clear();
    site->switches().changeDelayMs = 1500;
    ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join("|").toStdString();
    EXPECT_EQ(rowsOf(sDrug), rowsOf(expected("F129048179", "drug")));
}

TEST_F(CloudBrowser, PagerSwitches) {
    struct Case {
        const char* name;
        std::atomic<bool> cloudsite::Switches::*sw;
        int drugRows;
        QStringList messages;
    } const cases[] = {
        {"thousands separators", &cloudsite::Switches::pagerThousands, 26, {}},
        {"next without table number",
         &cloudsite::Switches::nextWithoutNumber,
         10,
         {"查詢[西醫用藥]的項目數次異常", "查詢[檢查與檢驗]的項目數次異常"}},
        {"page does not change",
         &cloudsite::Switches::pageStuck,
         10,
         {"查詢[西醫用藥]的項目數次異常", "查詢[檢查與檢驗]的項目數次異常"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        (site->switches().*c.sw) = true;
        ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
        (site->switches().*c.sw) = false;
        EXPECT_EQ(prompts.messages(), c.messages);
        EXPECT_EQ(rowsOf(sDrug), rowsOf(expected("B220715631", "drug")).mid(0, c.drugRows));
    }
}

TEST_F(CloudBrowser, SiteFailures) {
    struct Case {
        const char* name;
        std::atomic<bool> cloudsite::Switches::*sw;
        QString message;
    } const cases[] = {
        {"maintenance", &cloudsite::Switches::maintenance, "網頁維護中..請稍候再試"},
        {"no portal text", &cloudsite::Switches::noPortalText, "網頁下載錯誤或逾時2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        (site->switches().*c.sw) = true;
        EXPECT_FALSE(loader->loadEdgeChart(patient, sDrug, sLab));
        (site->switches().*c.sw) = false;
        EXPECT_EQ(prompts.messages(), QStringList{c.message});
    }
}

TEST_F(CloudBrowser, OnlyTheConfiguredCertificateIsTrusted) {
    browser->setTrustedCertificateFingerprint(QString(64, u'0'));
    driver->navigate(QUrl(site->startAddress()));
    EXPECT_TRUE(driver->waitEdgeComplete());  // a certificate error counts as completed
    EXPECT_FALSE(
        driver->GetEdgeText(EdgeChartLoader::kPageText).contains("健保雲端系統2.0(實體健保卡)"));

    browser->setTrustedCertificateFingerprint(fingerprint());
    driver->navigate(QUrl(site->startAddress()));
    EXPECT_TRUE(driver->waitEdgeComplete());
    EXPECT_TRUE(
        driver->GetEdgeText(EdgeChartLoader::kPageText).contains("健保雲端系統2.0(實體健保卡)"));
}

TEST_F(CloudBrowser, ThePageStaysOnTheSiteHost) {
    // The same site on a second loopback address stands for any other host; it
    // must never be asked for anything.
    cloudsite::Site foreign(cloudsite::Options{
        QDir(kDemo).filePath("cloudsite-cert.pem"), QDir(kDemo).filePath("cloudsite-key.pem"),
        QDir(kDemo).filePath("cloud-records.json"), dir.path()});
    ASSERT_TRUE(foreign.start("127.0.0.2", 0)) << foreign.error().toStdString();
    browser->setSiteHost("127.0.0.1");
    const QString away = foreign.startAddress();
    const QString base = site->startAddress();
    auto onSite = [&] { return QUrl(browser->currentAddress()).host() == "127.0.0.1"; };

    driver->navigate(QUrl(base + "away?to=" + QUrl::toPercentEncoding(away)));
    ASSERT_TRUE(driver->waitEdgeComplete());
    for (const char* script : {"document.getElementById('away').click();",
                               "document.getElementById('popup').click();", "go();"}) {
        SCOPED_TRACE(script);
        driver->clearNavigationFlags();
        driver->runScript(script);
        Delay(systemClock(), 800);
        EXPECT_TRUE(onSite()) << browser->currentAddress().toStdString();
    }
    // A refused redirect ends its navigation at once rather than at the time-out.
    driver->navigate(QUrl(base + "redirect?to=" + QUrl::toPercentEncoding(away)));
    QElapsedTimer redirectWait;
    redirectWait.start();
    EXPECT_TRUE(driver->waitEdgeComplete());
    EXPECT_LT(redirectWait.elapsed(), 5000);
    Delay(systemClock(), 500);
    EXPECT_NE(QUrl(browser->currentAddress()).host(), "127.0.0.2");
    EXPECT_EQ(foreign.requests(), 0) << "a request reached the other host";

    // The same link on the site itself is followed: only other hosts are refused.
    driver->navigate(QUrl(base + "away?to=" + QUrl::toPercentEncoding(base)));
    ASSERT_TRUE(driver->waitEdgeComplete());
    driver->clearNavigationFlags();
    driver->runScript("document.getElementById('away').click();");
    EXPECT_TRUE(driver->waitEdgeComplete());
    EXPECT_EQ(browser->currentAddress(), base);
}

TEST_F(CloudBrowser, ANavigationToTheAddressBeingLoadedIsConfirmed) {
    // The window opens the start page on its own; a Read asking for the same
    // address while it still loads must see that load end, not wait 10 s for a
    // start the engine never reports.
    site->switches().answerDelayMs = 1000;
    browser->navigate(QUrl(site->startAddress()));
    Delay(systemClock(), 200);
    driver->navigate(QUrl(site->startAddress()));
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(driver->waitEdgeComplete());
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_TRUE(
        driver->GetEdgeText(EdgeChartLoader::kPageText).contains("健保雲端系統2.0(實體健保卡)"));
}

TEST_F(CloudBrowser, ThePinnedCertificateHoldsOnlyOnTheSiteHost) {
    // The program itself sent to the other host: the pinned certificate does not
    // name it, and it is not the site's host either.
    cloudsite::Site foreign(cloudsite::Options{
        QDir(kDemo).filePath("cloudsite-cert.pem"), QDir(kDemo).filePath("cloudsite-key.pem"),
        QDir(kDemo).filePath("cloud-records.json"), dir.path()});
    ASSERT_TRUE(foreign.start("127.0.0.2", 0)) << foreign.error().toStdString();
    for (const char* siteHost : {"127.0.0.1", "127.0.0.2"}) {
        SCOPED_TRACE(siteHost);
        browser->setSiteHost(siteHost);
        driver->navigate(QUrl(foreign.startAddress()));
        EXPECT_TRUE(driver->waitEdgeComplete());  // a certificate error counts as completed
        EXPECT_FALSE(driver->GetEdgeText(EdgeChartLoader::kPageText)
                         .contains("健保雲端系統2.0(實體健保卡)"));
    }
}

TEST(WebEnginePinnedCertificate, OnlyAMissingAuthorityOnTheSiteHostIsForgiven) {
    const QSslCertificate good = makeTestCertificate({});
    const QSslCertificate expired = makeTestCertificate({"127.0.0.1", "IP:127.0.0.1", -7200, -60});
    const QUrl url("https://127.0.0.1:8443/imu/IMUE1000/");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    struct Case {
        const char* name;
        int type;
        QSslCertificate cert;
        QString siteHost;
        bool accepted;
    } const cases[] = {
        {"authority missing on the site", QWebEngineCertificateError::CertificateAuthorityInvalid,
         good, "127.0.0.1", true},
        {"another site host", QWebEngineCertificateError::CertificateAuthorityInvalid, good,
         "127.0.0.2", false},
        {"no site host yet", QWebEngineCertificateError::CertificateAuthorityInvalid, good, "",
         false},
        {"expired, named first as authority",
         QWebEngineCertificateError::CertificateAuthorityInvalid, expired, "127.0.0.1", false},
        {"wrong name", QWebEngineCertificateError::CertificateCommonNameInvalid, good, "127.0.0.1",
         false},
        {"dates", QWebEngineCertificateError::CertificateDateInvalid, good, "127.0.0.1", false},
        {"revoked", QWebEngineCertificateError::CertificateRevoked, good, "127.0.0.1", false},
    };
    for (const Case& c : cases) {
        const QByteArray pin = c.cert.digest(QCryptographicHash::Sha256);
        EXPECT_EQ(WebEngineBrowser::pinnedCertificateAccepted(c.type, url, {c.cert}, c.siteHost,
                                                              pin, now),
                  c.accepted)
            << c.name;
    }
}

TEST_F(CloudBrowser, ReinitialisedPageReopensItsAddressAndLoginSurvives) {
    settings.reinitializeWeb = true;
    ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
    const QString shown = browser->currentAddress();
    browser->reinitialize();
    EXPECT_EQ(browser->currentAddress(), "");
    Delay(systemClock(), 1500);
    EXPECT_EQ(browser->currentAddress(), shown);
    // The session cookie lives in the profile: the record page opens without a login.
    EXPECT_TRUE(driver->GetEdgeText(EdgeChartLoader::kMenuText).contains("請換卡再按我"));
}

TEST_F(CloudBrowser, LoginSurvivesARestartOfTheProgram) {
    ASSERT_TRUE(loader->loadEdgeChart(patient, sDrug, sLab));
    const QUrl records(browser->currentAddress());
    loader.reset();
    driver.reset();
    browser.reset();
    Delay(systemClock(), 1000);  // the profile writes its cookies on the way out

    browser = std::make_unique<WebEngineBrowser>(&window, dir.filePath("profile"));
    browser->setTrustedCertificateFingerprint(fingerprint());
    driver = std::make_unique<BrowserDriver>(*browser, systemClock(), status);
    driver->navigate(records);
    ASSERT_TRUE(driver->waitEdgeComplete());
    EXPECT_TRUE(driver->GetEdgeText(EdgeChartLoader::kMenuText).contains("請換卡再按我"));
}

TEST(WebEngineErrorStatus, OnlyALostNetworkIsDisconnected) {
    struct Case {
        QWebEngineLoadingInfo::ErrorDomain domain;
        int code;
        int want;
    } const cases[] = {
        {QWebEngineLoadingInfo::ConnectionErrorDomain, -106, Browser::kErrorStatusDisconnected},
        {QWebEngineLoadingInfo::ConnectionErrorDomain, -105, 13},  // name not resolved
        {QWebEngineLoadingInfo::DnsErrorDomain, -105, 13},
        {QWebEngineLoadingInfo::ConnectionErrorDomain, -102, 12},  // refused
        {QWebEngineLoadingInfo::CertificateErrorDomain, -202, 5},
        {QWebEngineLoadingInfo::HttpErrorDomain, -106, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WebEngineBrowser::webErrorStatus(c.domain, c.code), c.want) << c.code;
}

}  // namespace

int main(int argc, char** argv) {
    // As root the engine's sandbox cannot start; keep it off the network too.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    WebEngineBrowser::prepareEnvironment();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
