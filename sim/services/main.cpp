// The loopback web services for the demo:
//   services [--port 8444] [--port 8445 ...] [--dir FOLDER] [--unpinned] [--log]
// Each --port starts one server with the same fixture and switches (the demo puts
// the eligibility API on 8444 and the referral service on 8445). FOLDER (default:
// the program's own folder) holds cloudsite-cert.pem, cloudsite-key.pem,
// services.json, the simulated card state and services-switches.txt. --unpinned
// serves services-unpinned-cert.pem instead, which the program does not trust.
// --log prints every request as it is answered.
#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "services_site.h"

namespace {
volatile std::sig_atomic_t quit = 0;
void onSignal(int) { quit = 1; }
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    QList<int> ports;
    QString dir = QCoreApplication::applicationDirPath();
    bool unpinned = false;
    bool log = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        bool ok = true;
        if (a == "--port" && i + 1 < args.size()) {
            ports << args.at(++i).toInt(&ok);
        } else if (a == "--dir" && i + 1 < args.size()) {
            dir = args.at(++i);
        } else if (a == "--unpinned") {
            unpinned = true;
        } else if (a == "--log") {
            log = true;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "services: bad argument %s\n", qPrintable(a));
            return 2;
        }
    }
    if (ports.isEmpty()) ports = {8444, 8445};
    const QDir d(dir);
    services::Options options;
    const QString cert = unpinned ? "services-unpinned" : "cloudsite";
    options.certFile = d.filePath(cert + "-cert.pem");
    options.keyFile = d.filePath(cert + "-key.pem");
    options.fixtureFile = d.filePath(services::kFixtureFile);
    options.simDir = d.absolutePath();
    std::vector<std::unique_ptr<services::Server>> servers;
    for (int port : ports) {
        auto s = std::make_unique<services::Server>(options);
        if (!s->start(port)) {
            std::fprintf(stderr, "services: %s\n", qPrintable(s->error()));
            return 1;
        }
        std::printf("services: https://%s\n", qPrintable(s->host()));
        servers.push_back(std::move(s));
    }
    std::fflush(stdout);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!quit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (!log) continue;
        for (auto& s : servers) {
            for (const services::Recorded& r : s->recorded())
                std::printf("%s %s %s -> %d\n%s\n", qPrintable(s->host()), qPrintable(r.method),
                            qPrintable(r.target), r.status, r.body.constData());
            s->clearRecorded();
        }
        std::fflush(stdout);
    }
    for (auto& s : servers) s->stop();
    return 0;
}
