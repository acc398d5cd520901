#pragma once
// The window with both web services: the stand-in helper libraries of the demo
// folder and the loopback services, pinned by the settings' fingerprint; every
// stand-in reads the card from the test's own folder.
#include <QFile>

#include "card/hpabhp_library.h"
#include "cloud/cshisx_addon.h"
#include "services_site.h"
#include "window_fixture.h"

inline const QString kDemo = QStringLiteral(SERVICES_DEMO_DIR);

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
