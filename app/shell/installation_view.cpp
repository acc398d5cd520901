#include "installation_view.h"

#include <QLayout>
#include <QUrl>

#include "cloud/webengine_browser_view.h"

Installation::Installation(const QString& appPath)
    : controlSoftware(appPath), healthPromotion(appPath), vpnAddOn(appPath), appPath_(appPath) {}

TFtolv::Deps Installation::deps(Pinger& pinger, Prompts& prompts, Clock& clock,
                                const QString& profileFolder) {
    TFtolv::Deps deps;
    deps.appPath = appPath_;
    deps.controlSoftware = &controlSoftware;
    deps.pinger = &pinger;
    deps.prompts = &prompts;
    deps.clock = &clock;
    deps.healthPromotion = &healthPromotion;
    deps.vpnAddOn = &vpnAddOn;
    deps.browserFactory = [profileFolder](QWidget* host, const Endpoints& endpoints) -> Browser* {
        auto* browser = new WebEngineBrowser(host, profileFolder);
        if (browser->parent() == nullptr) browser->setParent(host);
        browser->setTrustedCertificateFingerprint(endpoints.testCertSha256);
        // The page stays on the configured cloud host (the port is not part of it).
        browser->setSiteHost(QUrl(QStringLiteral("https://") + endpoints.cloudHost).host());
        host->layout()->addWidget(browser->view());
        return browser;
    };
    return deps;
}
