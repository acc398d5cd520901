// A clinic day in minutes: one program window on a copy of the demo program folder,
// with the real browser engine, the stand-in card reader and the loopback cloud site
// and services, runs Reads one after another. The demo cards take turns, the three
// read modes are mixed, the fast cloud read is on, and every tenth Read has a
// failure switched on (the site unreachable, its login refused, a service answering
// 500, a damaged archive reopened after the Read).
//
//   build/bench/soak/soak_bench [reads]        (150 unless given)
//   SOAK_DETAIL=1 build/bench/soak/soak_bench   (and on stderr, after every Read, what
//                                               the program's memory is made of)
//
// The loopback site and services run as processes of their own (the demo folder's
// cloudsite and services), as the insurer's site and services are elsewhere at the
// clinic: their server threads and buffers are not the program's memory.
//
// After every Read it prints the resident memory of the program, of its browser
// processes and of the stand-ins, the open descriptors and the Read's wall time; at the end the
// growth from Read 10 to the last, the median and slowest Read of each kind, and the Reads that did
// not show their own patient.
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "cloud/webengine_browser_view.h"
#include "common/clock.h"
#include "common/ini_file.h"
#include "e2e_support.h"
#include "recording_prompts.h"
#include "shell/installation_view.h"
#include "shell/tftolv_view.h"

namespace {

const QString kDemo = QStringLiteral(SOAK_DEMO_DIR);

// Resident memory of a process in KiB (0 when it is gone).
long rssKiB(const QString& pid) {
    QFile f("/proc/" + pid + "/status");
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// The browser's processes: every descendant of this one but the stand-ins.
long childrenRssKiB(const std::set<QString>& standIns) {
    std::map<QString, QString> parent;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        if (pid.toLong() <= 0) continue;
        QFile f("/proc/" + pid + "/stat");
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QByteArray stat = f.readAll();
        const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1) parent[pid] = QString::fromLatin1(rest.at(1));
    }
    const QString self = QString::number(getpid());
    long total = 0;
    for (const auto& [pid, ppid] : parent) {
        if (standIns.count(pid)) continue;
        QString p = ppid;
        for (int depth = 0; depth < 8 && !p.isEmpty() && p != "1"; ++depth) {
            if (p == self) {
                total += rssKiB(pid);
                break;
            }
            if (standIns.count(p)) break;
            auto it = parent.find(p);
            p = it == parent.end() ? QString() : it->second;
        }
    }
    return total;
}

// What the program's resident memory is made of, for SOAK_DETAIL=1: anonymous,
// file-backed and shared pages, the heap's bytes in use and those freed but kept by
// the allocator (all arenas), and the threads (each may have an arena of its own).
void printDetail(int read) {
    auto field = [](const QByteArray& status, const char* name) {
        const int at = status.indexOf(name);
        if (at < 0) return 0L;
        const int from = at + int(std::strlen(name));
        return status.mid(from, status.indexOf('\n', from) - from)
            .trimmed()
            .split(' ')
            .first()
            .toLong();
    };
    QFile f("/proc/self/status");
    const QByteArray status = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const struct mallinfo2 m = mallinfo2();
    std::fprintf(stderr,
                 "detail %4d anon_kib %7ld file_kib %7ld shmem_kib %6ld heap_used_kib %7zu "
                 "heap_free_kib %7zu mmapped_kib %6zu threads %3ld\n",
                 read, field(status, "RssAnon:"), field(status, "RssFile:"),
                 field(status, "RssShmem:"), m.uordblks / 1024, m.fordblks / 1024, m.hblkhd / 1024,
                 field(status, "Threads:"));
}

int openFds() {
    return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// A loopback stand-in run from the demo folder as a process of its own.
class StandIn {
  public:
    ~StandIn() { stop(); }
    // Started and answering on 127.0.0.1:port within a few seconds.
    bool start(const QString& program, const QStringList& args, int port) {
        stop();
        process_.setProgram(kDemo + "/" + program);
        process_.setArguments(args);
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.start();
        if (!process_.waitForStarted(5000)) return false;
        for (int i = 0; i < 100 && process_.state() == QProcess::Running; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
            if (probe.waitForConnected(100)) return true;
            QThread::msleep(50);
        }
        return false;
    }
    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) process_.kill();
        process_.waitForFinished(1000);
    }
    QString pid() const {
        return process_.state() == QProcess::Running ? QString::number(process_.processId())
                                                     : QString();
    }

  private:
    QProcess process_;
};

// A loopback port nobody listens on now.
int freePort() {
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, 0) ? s.serverPort() : 0;
}

struct Card {
    const char* key;
    const char* id;
    int drugRows;
};
const Card kCards[] = {{"demo", "B220715631", 26}, {"male", "F129048179", 4}};

enum class Mode { All, IcCard, Cloud };
const char* modeName(Mode m) {
    return m == Mode::All ? "all" : m == Mode::IcCard ? "card" : "cloud";
}

enum class Outcome { Own, Failed, Wrong };
const char* outcomeName(Outcome o) {
    return o == Outcome::Own ? "yes" : o == Outcome::Failed ? "failed" : "WRONG";
}

struct Sample {
    int read;
    Mode mode;
    const char* card;
    const char* fault;
    double wallMs;
    long rss, browserRss, standInRss;
    int fds;
    bool ownPatient;
    Outcome outcome;
};

class Day {
  public:
    bool setUp() {
        for (const char* f : {"libcshis.so", "libHpaBhp.so", "libCsHisX.so", "sim-cards.json",
                              "hospbsc.txt", "MX.sqlite", "ICD10CM.sqlite", "cloudsite-cert.pem",
                              "cloudsite-key.pem", "cloud-records.json", "services.json"})
            if (!QFile::copy(kDemo + "/" + f, path(f))) return fail(f);
        insert("demo");
        if (!startSite(false)) return false;
        // --log: the stand-in prints its request log and forgets it.
        const int servicesPort = freePort();
        if (!services_.start(
                "services",
                {"--port", QString::number(servicesPort), "--dir", dir_.path(), "--log"},
                servicesPort))
            return fail("services");
        const QString servicesHost = QString("127.0.0.1:%1").arg(servicesPort);
        QFile fp(kDemo + "/cloudsite-cert.sha256");
        if (!fp.open(QIODevice::ReadOnly)) return fail("fingerprint");
        if (!QFile::copy(kDemo + "/tolvane.ini", path("tolvane.ini"))) return fail("tolvane.ini");
        IniFile ini(path("tolvane.ini"));
        ini.writeStrings("endpoints",
                         {{"cloudHost", QString("127.0.0.1:%1").arg(sitePort_)},
                          {"vpnTestAddress", "127.0.0.1"},
                          {"testCertSha256", QString::fromLatin1(fp.readAll()).trimmed()},
                          {"preventApiHost", servicesHost},
                          {"referralHost", servicesHost}});
        const TFtolv::Deps deps =
            installation_.deps(pinger_, prompts_, systemClock(), path("profile"));
        window_ = std::make_unique<TFtolv>(deps);
        window_->show();
        if (auto* fast = window_->findChild<QAbstractButton*>("CfastCloudRead"))
            if (!fast->isChecked() && qEnvironmentVariableIsEmpty("SOAK_SLOW")) fast->click();
        return true;
    }

    ~Day() {
        window_.reset();
        site_.stop();
        services_.stop();
    }

    Sample read(int n) {
        const Card& card = kCards[n % 2];
        insert(card.key);
        Mode mode = Mode((n / 2) % 3);
        const char* fault = "";
        if (n % 10 == 0) {
            mode = Mode::All;  // a fault of the site or the services needs a Read that asks them
            static const char* const kFaults[] = {"site-unreachable", "login-refused",
                                                  "service-500", "damaged-archive"};
            fault = kFaults[(n / 10 - 1) % 4];
        }
        const QString f = QString::fromLatin1(fault);
        if (f == "site-unreachable") site_.stop();
        if (f == "login-refused") startSite(true);
        if (f == "service-500") switchServices("http500");

        get<QRadioButton>(mode == Mode::All      ? "CICcloudcheck"
                          : mode == Mode::IcCard ? "CICcheck"
                                                 : "Ccloudcheck")
            ->setChecked(true);
        prompts_.clear();
        prompts_.scriptQuestion(Prompts::Answer::No);
        prompts_.scriptInput(QString::fromLatin1(card.id));
        QElapsedTimer wall;
        wall.start();
        get<QPushButton>("Cread")->click();
        const double ms = double(wall.elapsed());

        // Own: this card's ID and, where the cloud was read, this card's records.
        // Failed: nothing of another patient, but not all of this one (a message
        // was shown). Wrong: anything of the other patient on screen.
        const Card& other = kCards[(n + 1) % 2];
        const int drug = e2e::records(window_->query().patient.sDrug);
        const QString shownId = get<QLineEdit>("CptID")->text();
        Outcome outcome = Outcome::Own;
        if ((mode != Mode::Cloud && shownId != card.id) ||
            (mode != Mode::IcCard && drug == other.drugRows))
            outcome = Outcome::Wrong;
        else if (mode != Mode::IcCard && drug != card.drugRows)
            outcome = Outcome::Failed;
        const bool own = outcome != Outcome::Wrong;
        if (outcome != Outcome::Own)
            std::fprintf(stderr, "read %d (%s): ID box %s, %d drug records, messages: %s\n", n,
                         card.id, qPrintable(get<QLineEdit>("CptID")->text()),
                         e2e::records(window_->query().patient.sDrug),
                         qPrintable(prompts_.messages().join(" | ")));
        if (f == "site-unreachable" || f == "login-refused") startSite(false);
        if (f == "service-500") switchServices("");
        if (f == "damaged-archive") reopenDamaged(card.id);
        Delay(systemClock(), 50);
        const std::set<QString> standIns = {site_.pid(), services_.pid()};
        long standInRss = 0;
        for (const QString& pid : standIns)
            if (!pid.isEmpty()) standInRss += rssKiB(pid);
        return {
            n,          mode,      card.key, fault,  ms, rssKiB("self"), childrenRssKiB(standIns),
            standInRss, openFds(), own,      outcome};
    }

    QStringList messages() const { return prompts_.messages(); }

  private:
    bool fail(const char* what) {
        std::fprintf(stderr, "soak: cannot set up %s\n", what);
        return false;
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    void insert(const char* card) {
        QFile f(path("sim-card.txt"));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(QByteArray(card) + '\n');
    }
    template <class T>
    T* get(const char* name) {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    // A fresh site on the same port: its sessions are gone, so the next Read logs in.
    bool startSite(bool loginFails) {
        if (sitePort_ == 0) sitePort_ = freePort();
        QStringList args = {"--port", QString::number(sitePort_), "--dir", dir_.path()};
        if (loginFails) args << "--login-fails";
        return site_.start("cloudsite", args, sitePort_) || fail("site");
    }
    void switchServices(const QByteArray& text) {
        QFile f(path("services-switches.txt"));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(text);
    }
    // The newest archive file of the patient cut short, then opened from the ID box.
    void reopenDamaged(const char* id) {
        QString newest;
        QDirIterator it(path("cloudData"), {QStringLiteral("*%1.dat").arg(id)}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (newest.isEmpty() || f > newest) newest = f;
        }
        if (newest.isEmpty()) return;
        QFile f(newest);
        if (f.open(QIODevice::ReadWrite)) f.resize(40);
        f.close();
        auto* box = get<QLineEdit>("CsrID");
        box->setText(QString::fromLatin1(id));
        QTest::keyClick(box, Qt::Key_Return);
    }

    QTemporaryDir dir_;
    int sitePort_ = 0;
    StandIn site_;
    StandIn services_;
    Installation installation_{dir_.path() + "/"};
    e2e::AnswersAlways pinger_;
    RecordingPrompts prompts_;
    std::unique_ptr<TFtolv> window_;
};

// The first Read and the one after the site was replaced start with a login.
bool loggingIn(const std::vector<Sample>& samples, int read) {
    if (read == 1) return true;
    const char* before = samples[std::size_t(read - 2)].fault;
    return std::strcmp(before, "site-unreachable") == 0 ||
           std::strcmp(before, "login-refused") == 0;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                "--no-sandbox --disable-gpu --disable-background-networking "
                "--disable-component-update --no-first-run --disable-sync");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    e2e::ensureApplication();
    const int reads = argc > 1 ? std::max(10, std::atoi(argv[1])) : 150;

    const bool detail = !qEnvironmentVariableIsEmpty("SOAK_DETAIL");

    Day day;
    if (!day.setUp()) return 1;
    std::vector<Sample> samples;
    std::printf(
        "read mode  card fault             wall_ms  rss_kib  browser_kib  standin_kib  fds  "
        "patient\n");
    for (int n = 1; n <= reads; ++n) {
        const Sample s = day.read(n);
        samples.push_back(s);
        if (detail) printDetail(n);
        // Each arena's bytes in use and free, where the growth is measured from and to.
        if (detail && (n == 10 || n == reads)) malloc_info(0, stderr);
        std::printf("%4d %-5s %-4s %-16s %8.0f %8ld %12ld %12ld %4d  %s\n", s.read,
                    modeName(s.mode), s.card, s.fault, s.wallMs, s.rss, s.browserRss, s.standInRss,
                    s.fds, outcomeName(s.outcome));
        std::fflush(stdout);
    }

    const Sample& first = samples[9];
    const Sample& last = samples.back();
    auto pct = [](long a, long b) { return a > 0 ? 100.0 * double(b - a) / double(a) : 0.0; };
    std::printf(
        "\ngrowth read 10 -> %d: program %+.1f %% (%ld -> %ld KiB), browser %+.1f %% "
        "(%ld -> %ld KiB), program+browser %+.1f %%, fds %d -> %d\n",
        last.read, pct(first.rss, last.rss), first.rss, last.rss,
        pct(first.browserRss, last.browserRss), first.browserRss, last.browserRss,
        pct(first.rss + first.browserRss, last.rss + last.browserRss), first.fds, last.fds);
    std::printf("stand-ins (not the program) read 10 -> %d: %ld -> %ld KiB\n", last.read,
                first.standInRss, last.standInRss);
    int notOwn = 0;
    for (const Sample& s : samples) notOwn += s.ownPatient ? 0 : 1;
    for (const Sample& s : samples)
        if (loggingIn(samples, s.read) && s.read > 1)
            std::printf("read %d logs in again after the site came back: %.0f ms\n", s.read,
                        s.wallMs);
    int failed = 0;
    for (const Sample& s : samples) failed += s.outcome == Outcome::Failed ? 1 : 0;
    // A kind is a mode and a card: the demo card has six pages of records, the
    // other one.
    for (Mode m : {Mode::All, Mode::IcCard, Mode::Cloud}) {
        for (const Card& c : kCards) {
            std::vector<double> plain;
            const Sample* slowest = nullptr;
            for (const Sample& s : samples) {
                // Reads with a fault, and those that log in again (the first, and the
                // one after the site came back), are of other kinds.
                if (s.mode != m || std::strcmp(s.card, c.key) != 0 || *s.fault ||
                    loggingIn(samples, s.read))
                    continue;
                plain.push_back(s.wallMs);
                if (!slowest || s.wallMs > slowest->wallMs) slowest = &s;
            }
            const double med = median(plain);
            if (slowest)
                std::printf(
                    "%-5s %-4s: %zu reads, median %.0f ms, slowest read %d %.0f ms "
                    "(%.2f x median)\n",
                    modeName(m), c.key, plain.size(), med, slowest->read, slowest->wallMs,
                    slowest->wallMs / med);
        }
    }
    std::printf("reads that failed with a message (nothing of another patient): %d\n", failed);
    std::printf("reads showing another patient: %d\n", notOwn);
    return 0;
}
