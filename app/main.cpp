// Program entry: no arguments and no environment are read. Creates the main
// window, whose creation runs the start-up sequence, and runs the message loop.

#include <QApplication>
#include <QMetaObject>

#include "cloud/webengine_browser_view.h"
#include "common/clock.h"
#include "flow/icmp_pinger.h"
#include "shell/installation_view.h"
#include "shell/qt_prompts_view.h"

int main(int argc, char** argv) {
    WebEngineBrowser::prepareEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));

    const QString appPath = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    Installation installation(appPath);
    IcmpPinger pinger(systemClock());
    QtPrompts prompts;

    TFtolv Ftolv(installation.deps(pinger, prompts, systemClock(),
                                   WebEngineBrowser::defaultProfileFolder()));
    // A rejected control software still completes start-up; the program ends as
    // soon as the message loop runs.
    if (Ftolv.endRequested())
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    Ftolv.show();
    return app.exec();
}
