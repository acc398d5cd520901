// wincheck.exe: loads reader.dll by name, resolves every export and runs the core
// scenario against whatever answers on COM1. Exit code 0 when every step passed.

#include <windows.h>

#include "scenario.h"

int main() {
    HMODULE dll = LoadLibraryA("reader.dll");
    if (!dll) {
        std::printf("FAIL LoadLibrary reader.dll (error %lu)\n", GetLastError());
        return 2;
    }
    scenario::Api api;
    const int missing = scenario::bind(
        api, [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(dll, name)); });
    if (missing) return 3;
    const int failed = scenario::run(api);
    FreeLibrary(dll);
    return failed ? 1 : 0;
}
