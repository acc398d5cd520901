// The stand-in control software: every entry point with C linkage and the argument
// layout of the real library, answered by one Simulator (simulator.h) from the fixture
// of the program folder.

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "simulator.h"

#if defined(_WIN32) && !defined(_WIN64)
#define CSHIS_API __stdcall
#else
#define CSHIS_API
#endif
#if defined(_WIN32)
#define CSHIS_EXPORT extern "C" __declspec(dllexport)
#define CSHIS_HIDDEN extern "C"
#else
#define CSHIS_EXPORT extern "C" __attribute__((visibility("default")))
#define CSHIS_HIDDEN extern "C" __attribute__((visibility("hidden")))
#endif

namespace {

simcshis::Simulator& sim() {
    static simcshis::Simulator s;
    return s;
}

}  // namespace

// The partial variant (SIMCSHIS_PARTIAL) lacks two exports, for the paths that find an
// entry point missing: their functions are compiled but not exported. CSHIS_LINKAGE(name)
// picks CSHIS_HIDDEN for a name with a CSHIS_LEFT_OUT_ line below, CSHIS_EXPORT otherwise.
#define CSHIS_LEFT_OUT_csGetVersionEx ~, CSHIS_HIDDEN
#define CSHIS_LEFT_OUT_hisReadPrescription ~, CSHIS_HIDDEN
#define CSHIS_SECOND(first, second, ...) second
#define CSHIS_PICK(...) CSHIS_SECOND(__VA_ARGS__)
#ifdef SIMCSHIS_PARTIAL
#define CSHIS_LINKAGE(name) CSHIS_PICK(CSHIS_LEFT_OUT_##name, CSHIS_EXPORT, ~)
#else
#define CSHIS_LINKAGE(name) CSHIS_EXPORT
#endif

// Every entry point of the list under its export name, answered by the simulator.
#define CSHIS_ENTRY(result, name, exportName, params, args) \
    CSHIS_LINKAGE(exportName) result CSHIS_API exportName params { return sim().exportName args; }
TOLVANE_CONTROL_SOFTWARE_ENTRIES(CSHIS_ENTRY)
#undef CSHIS_ENTRY

// ---- Controls for tests in the same process (reached with dlsym on the same handle) ----

// Forgets the calls, the forced results and the reader's session.
CSHIS_EXPORT void simcshisReset() { sim().reset(); }

// Reads the fixture and the state file from `dir` instead (null or empty: the default).
CSHIS_EXPORT void simcshisSetDir(const char* dir) {
    sim().setDir(dir ? QString::fromLocal8Bit(dir) : QString());
}

// Forces the results of `entry` from a comma-separated list such as "4000,4000,0",
// consumed in order, the last repeating; null or empty codes remove the forcing. A
// code written "w4000" makes a card read deliver the first half of its data first.
CSHIS_EXPORT void simcshisForce(const char* entry, const char* codes) {
    if (entry == nullptr) return;
    sim().force(QString::fromLatin1(entry), QString::fromLatin1(codes ? codes : ""));
}

// Puts the card `key` in just before the `call`-th call of `entry` from now.
CSHIS_EXPORT void simcshisSwapCard(const char* entry, int call, const char* key) {
    if (entry == nullptr) return;
    sim().swapCardAt(QString::fromLatin1(entry), call, QString::fromUtf8(key ? key : ""));
}

// How often `entry` was called since the last reset (null: all calls).
CSHIS_EXPORT int simcshisCallCount(const char* entry) {
    return sim().callCount(entry ? QString::fromLatin1(entry) : QString());
}

// The calls since the last reset, one "entry(arguments)" per line. Copies what fits into
// `buffer` (always zero-terminated when size > 0) and returns the full length.
CSHIS_EXPORT int simcshisCallLog(char* buffer, int size) {
    QByteArray text;
    for (const QString& line : sim().callLog()) text += line.toUtf8() + '\n';
    if (buffer != nullptr && size > 0) {
        const int n = std::min(size - 1, static_cast<int>(text.size()));
        std::memcpy(buffer, text.constData(), static_cast<size_t>(n));
        buffer[n] = '\0';
    }
    return static_cast<int>(text.size());
}
