// The 32-bit Windows DLL: its export table, and the core scenario run by
// wincheck.exe under wine against the firmware stand-in.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "scenario_firmware.h"

extern char** environ;

namespace readertest {
namespace {

const std::string kWin32Dir = READER_WIN32_DIR;
const std::string kDll = kWin32Dir + "/reader/reader.dll";
const std::string kCheck = kWin32Dir + "/reader/wincheck.exe";

bool exists(const std::string& p) {
    struct stat st;
    return stat(p.c_str(), &st) == 0;
}

std::string readFile(const std::string& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Outcome {
    int status = -1;  // exit code, or -1 when it did not finish in time
    std::string output;
};

// Runs a program with extra environment entries, output captured, killed after
// `limitSeconds`.
Outcome run(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
            int limitSeconds) {
    Outcome r;
    char outName[] = "/tmp/reader-wine-XXXXXX";
    const int out = mkstemp(outName);
    if (out < 0) return r;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> cargv, cenv;
    for (const auto& a : argv) cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    for (const auto& e : env) cenv.push_back(const_cast<char*>(e.c_str()));
    cenv.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out, 1);
    posix_spawn_file_actions_adddup2(&fa, out, 2);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    pid_t pid;
    const int rc = posix_spawnp(&pid, cargv[0], &fa, &attr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&fa);
    posix_spawnattr_destroy(&attr);
    close(out);
    if (rc != 0) {
        r.output = "cannot start " + argv[0];
        unlink(outName);
        return r;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    r.output = readFile(outName);
    unlink(outName);
    return r;
}

void requireWin32Build() {
    ASSERT_TRUE(exists(kDll) && exists(kCheck))
        << "reader.dll or wincheck.exe is missing in " << kWin32Dir
        << ": build the Windows preset first (cmake --preset win32 && cmake --build --preset "
           "win32)";
}

TEST(WindowsDll, ExportsExactlyTheInterfaceAndNeedsNoRuntimeBesideIt) {
    requireWin32Build();
    ASSERT_FALSE(std::string(READER_OBJDUMP).empty()) << "i686-w64-mingw32-objdump not found";
    const Outcome dump = run({READER_OBJDUMP, "-p", kDll}, {}, 60);
    ASSERT_EQ(dump.status, 0) << dump.output;

    std::vector<std::string> names, imports;
    std::istringstream lines(dump.output);
    std::string line;
    bool inNames = false;
    while (std::getline(lines, line)) {
        if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
            inNames = true;
            continue;
        }
        if (inNames) {
            const auto close = line.find(']');
            if (line.find('[') == std::string::npos || close == std::string::npos) {
                inNames = false;
            } else {
                names.push_back(line.substr(close + 2));
            }
        }
        if (const auto at = line.find("DLL Name: "); at != std::string::npos)
            imports.push_back(line.substr(at + 10));
    }
    std::vector<std::string> expected;
    std::istringstream want(readFile(READER_EXPORTS_FILE));
    while (std::getline(want, line))
        if (!line.empty()) expected.push_back(line);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected.size(), 37u);
    EXPECT_EQ(names, expected);
    for (const auto& dll : imports) {
        std::string lower = dll;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        EXPECT_TRUE(lower == "kernel32.dll" || lower == "msvcrt.dll") << "imports " << dll;
    }
}

struct Wine {
    std::string wine;        // the loader
    std::string wineserver;  // its server
    std::string arch;
    std::string prefix;
    std::string check;  // wincheck.exe
};

std::vector<std::string> wineEnv(const Wine& w) {
    return {"WINEPREFIX=" + w.prefix, "WINEARCH=" + w.arch, "WINEDEBUG=-all",
            "WINEDLLOVERRIDES=mscoree,mshtml=", "DISPLAY="};
}

// Boots the prefix once, maps COM1 to the stand-in's terminal through wine's
// registry (wine keeps its own device links) and runs wincheck.exe.
void scenarioUnderWine(const Wine& w) {
    const auto env = wineEnv(w);
    if (!exists(w.prefix + "/system.reg")) {
        const Outcome boot = run({w.wine, "wineboot", "-i"}, env, 300);
        ASSERT_EQ(boot.status, 0) << "wineboot failed: " << boot.output;
        run({w.wineserver, "-w"}, env, 120);
    }
    readerfw::Firmware fw;
    prepareScenario(fw);
    const Outcome reg = run({w.wine, "reg", "add", "HKLM\\Software\\Wine\\Ports", "/v", "COM1",
                             "/t", "REG_SZ", "/d", fw.devicePath(), "/f"},
                            env, 120);
    ASSERT_EQ(reg.status, 0) << reg.output;
    // The device links are made anew from the registry when the server starts again.
    run({w.wineserver, "-k"}, env, 60);
    const Outcome check = run({w.wine, w.check}, env, 180);
    run({w.wineserver, "-k"}, env, 60);
    EXPECT_EQ(check.status, 0) << check.output;
    checkScenarioFrames(fw);
}

TEST(WindowsDll, CoreScenarioUnderWine) {
    requireWin32Build();
    const Wine w{"wine", "wineserver", "win32", READER_WINE_PREFIX, kCheck};
    const Outcome probe = run({w.wine, "--version"}, wineEnv(w), 60);
    if (probe.status != 0 && probe.output.find("Exec format error") != std::string::npos) {
        // A kernel without 32-bit x86 support cannot start wine32 at all; that is the
        // machine, not the DLL. The export table test above and the x86_64 build of
        // the same code below still run.
        GTEST_SKIP() << "this machine cannot execute 32-bit x86 programs, so wine32 cannot "
                        "run reader.dll here: "
                     << probe.output;
    }
    ASSERT_EQ(probe.status, 0) << "wine cannot run here: " << probe.output;
    scenarioUnderWine(w);
}

#ifdef READER_WIN64_DIR
TEST(WindowsDll, SameCodeBuiltForX86_64UnderWine64) {
    const std::string dir = std::string(READER_WIN64_DIR) + "/reader";
    ASSERT_TRUE(exists(dir + "/reader.dll") && exists(dir + "/wincheck.exe"))
        << "the x86_64 build is missing in " << READER_WIN64_DIR << " (target reader_win64)";
    const Wine w{"/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64", "win64",
                 std::string(READER_WINE_PREFIX) + "64", dir + "/wincheck.exe"};
    ASSERT_EQ(access(w.wine.c_str(), X_OK), 0)
        << "wine64 is not installed (scripts/install-deps installs it)";
    scenarioUnderWine(w);
}
#endif

}  // namespace
}  // namespace readertest
