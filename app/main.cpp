// Program entry: no arguments and no environment are read. Creates the main
// window, whose creation runs the start-up sequence, and runs the message loop.

#include <QApplication>
#include <QDir>
#include <QMetaObject>
#include <QVBoxLayout>

#include "card/health_promotion_library.h"
#include "card/loaded_control_software.h"
#include "cloud/vpn_addon.h"
#include "cloud/webengine_browser_view.h"
#include "common/clock.h"
#include "shell/pinger.h"
#include "shell/qt_prompts_view.h"
#include "shell/tftolv_view.h"

int main(int argc, char** argv) {
    WebEngineBrowser::prepareEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));

    const QString appPath = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    LoadedControlSoftware controlSoftware(appPath);
    HpaBhpLibrary healthPromotion(appPath);
    CsHisXAddOn vpnAddOn(appPath);
    IcmpPinger pinger(systemClock());
    QtPrompts prompts;

    TFtolv::Deps deps;
    deps.appPath = appPath;
    deps.controlSoftware = &controlSoftware;
    deps.pinger = &pinger;
    deps.prompts = &prompts;
    deps.clock = &systemClock();
    deps.healthPromotion = &healthPromotion;
    deps.vpnAddOn = &vpnAddOn;
    deps.browserFactory = [](QWidget* host, const Endpoints& endpoints) -> Browser* {
        auto* browser = new WebEngineBrowser(host, WebEngineBrowser::defaultProfileFolder());
        if (browser->parent() == nullptr) browser->setParent(host);
        browser->setTrustedCertificateFingerprint(endpoints.testCertSha256);
        host->layout()->addWidget(browser->view());
        return browser;
    };

    TFtolv Ftolv(deps);
    // A rejected control software still completes start-up; the program ends as
    // soon as the message loop runs.
    if (Ftolv.endRequested())
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    Ftolv.show();
    return app.exec();
}
