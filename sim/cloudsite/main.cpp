// The loopback cloud record site for the demo:
//   cloudsite [--port 8443] [--dir FOLDER] [--page-delay MS] [--maintenance] [--no-portal]
//             [--login-fails] [--never-loads] [--pager-thousands] [--next-without-number]
//             [--page-stuck] [--change-delay MS] [--change-ignored] [--stale-load MS]
//             [--no-table]
// FOLDER (default: the program's own folder) holds cloudsite-cert.pem,
// cloudsite-key.pem, cloud-records.json and the simulated card state.
#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "cloud_site.h"

namespace {
volatile std::sig_atomic_t quit = 0;
void onSignal(int) { quit = 1; }
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    int port = 8443;
    QString dir = QCoreApplication::applicationDirPath();
    cloudsite::Options options;
    auto value = [&](int& i) { return i + 1 < args.size() ? args.at(++i) : QString(); };
    struct Flag {
        const char* name;
        std::atomic<bool> cloudsite::Switches::*member;
    };
    const Flag flags[] = {{"--maintenance", &cloudsite::Switches::maintenance},
                          {"--no-portal", &cloudsite::Switches::noPortalText},
                          {"--login-fails", &cloudsite::Switches::loginFails},
                          {"--never-loads", &cloudsite::Switches::neverLoads},
                          {"--pager-thousands", &cloudsite::Switches::pagerThousands},
                          {"--next-without-number", &cloudsite::Switches::nextWithoutNumber},
                          {"--page-stuck", &cloudsite::Switches::pageStuck},
                          {"--change-ignored", &cloudsite::Switches::changeIgnored},
                          {"--no-table", &cloudsite::Switches::noTable}};
    QList<const Flag*> on;
    int pageDelay = -1;
    int changeDelay = -1;
    int staleLoad = -1;
    int answerDelay = -1;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        bool known = false;
        if (a == "--port") {
            port = value(i).toInt(&known);
        } else if (a == "--dir") {
            dir = value(i);
            known = !dir.isEmpty();
        } else if (a == "--page-delay") {
            pageDelay = value(i).toInt(&known);
        } else if (a == "--change-delay") {
            changeDelay = value(i).toInt(&known);
        } else if (a == "--stale-load") {
            staleLoad = value(i).toInt(&known);
        } else if (a == "--answer-delay") {
            answerDelay = value(i).toInt(&known);
        } else {
            for (const Flag& f : flags)
                if (a == f.name) {
                    on.append(&f);
                    known = true;
                }
        }
        if (!known) {
            std::fprintf(stderr, "cloudsite: bad argument %s\n", qPrintable(a));
            return 2;
        }
    }
    const QDir d(dir);
    options.certFile = d.filePath("cloudsite-cert.pem");
    options.keyFile = d.filePath("cloudsite-key.pem");
    options.fixtureFile = d.filePath("cloud-records.json");
    options.simDir = d.absolutePath();
    cloudsite::Site site(options);
    for (const Flag* f : on) (site.switches().*(f->member)) = true;
    if (pageDelay >= 0) site.switches().pageDelayMs = pageDelay;
    if (changeDelay >= 0) site.switches().changeDelayMs = changeDelay;
    if (staleLoad >= 0) site.switches().staleLoadMs = staleLoad;
    if (answerDelay >= 0) site.switches().answerDelayMs = answerDelay;
    if (!site.start(port)) {
        std::fprintf(stderr, "cloudsite: %s\n", qPrintable(site.error()));
        return 1;
    }
    std::printf("cloudsite: %s\n", qPrintable(site.startAddress()));
    std::fflush(stdout);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!quit) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    site.stop();
    return 0;
}
