// libreader.so loaded by name and driven through its exports alone.

#include <dirent.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <string>

#include "scenario_firmware.h"

namespace readertest {
namespace {

int openDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

TEST(LoadedByName, ExportsAndCoreScenario) {
    readerfw::Firmware fw;
    prepareScenario(fw);
    setenv("READER_COM1", fw.devicePath().c_str(), 1);

    const std::string path = std::string(READER_LIBRARY_DIR) + "/libreader.so";
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    scenario::Api api;
    ASSERT_EQ(scenario::bind(api, [&](const char* name) { return dlsym(lib, name); }), 0);
    EXPECT_EQ(scenario::run(api), 0);
    checkScenarioFrames(fw);

    // Unloading with the port open closes it.
    std::uint8_t port = 0;
    const int closed = openDescriptors();
    ASSERT_NE(api.OpenComPort(&port), 0u);
    EXPECT_EQ(openDescriptors(), closed + 1);
    dlclose(lib);
    EXPECT_EQ(openDescriptors(), closed) << "the port stayed open after unloading";
    lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr);
    ASSERT_EQ(scenario::bind(api, [&](const char* name) { return dlsym(lib, name); }), 0);
    EXPECT_NE(api.OpenComPort(&port), 0u);
    api.CloseComPort(0);
    dlclose(lib);
    unsetenv("READER_COM1");
}

}  // namespace
}  // namespace readertest
